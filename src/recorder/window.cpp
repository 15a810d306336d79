#include "recorder/window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTimer>

#include "platform/outside_text.h"
#include "recorder/layout.h"
#include "recorder/level_bar.h"
#include "ui/clickable_label.h"
#include "ui/help_box.h"
#include "ui/plain_text.h"

namespace ondrix {

namespace {

constexpr int kCloseWaitMs = 3000;

// The recorder's own kind of control: the level bar.
QWidget* makeLevelBar(const ControlLayout& control, QWidget* window) {
    return control.kind == ControlKind::LevelBar ? new LevelBar(window) : nullptr;
}

}  // namespace

QString elapsedText(qint64 dataBytes) {
    const qint64 seconds = dataBytes / kRecordBytesPerSecond;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QStringList recorderHelpLines() {
    return QStringList{QStringLiteral("F1 = this help "),
                       QStringLiteral("F12 = Exit this program ")} +
           helpBoxEnding();
}

formWRec::formWRec(CaptureFactory makeSource, std::function<RecordFolder()> folder,
                   const Clock& clock, Dialogs& dialogs, FolderOpener& opener, QWidget* parent)
    : SuiteWindow(wrecWindowLayout(), {dialogs, recorderHelpLines()}, Qt::WindowFlags(), parent),
      dialogs_(dialogs),
      opener_(opener),
      recording_(std::move(makeSource), std::move(folder), clock),
      controls_(buildControls(wrecWindowLayout(), this, makeLevelBar)) {
    setObjectName(QStringLiteral("formWRec"));
    setWindowTitle(QStringLiteral("Ondrix WRec"));
    bindControls();
    connect(&recording_, &Recording::folderChosen, this, &formWRec::onFolderChosen);
    connect(&recording_, &Recording::fileStarted, this, &formWRec::onFileStarted);
    connect(&recording_, &Recording::progressed, this, &formWRec::onProgress);
    connect(&recording_, &Recording::finished, this, &formWRec::onFinished);
}

void formWRec::bindControls() {
    controls_.bind(LabelFolder, QStringLiteral("LabelFolder"));
    controls_.bind(LabelFile, QStringLiteral("LabelFile"));
    controls_.bind(LabelTime, QStringLiteral("LabelTime"));
    controls_.bind(LabelSize, QStringLiteral("LabelSize"));
    controls_.bind(LabelLevel, QStringLiteral("LabelLevel"));
    controls_.bind(LabelState, QStringLiteral("LabelState"));
    controls_.bind(LabelStop, QStringLiteral("LabelStop"));
    controls_.bind(level_, QStringLiteral("Level1"));
    connect(LabelStop, &ClickableLabel::clicked, this, &formWRec::LabelStop_Click);
    connect(controls_.find<ClickableLabel>(QStringLiteral("LabelOpen")), &ClickableLabel::clicked,
            this, &formWRec::LabelOpen_Click);
    connect(controls_.find<ClickableLabel>(QStringLiteral("LabelExit")), &ClickableLabel::clicked,
            this, &formWRec::LabelExit_Click);
}

void formWRec::Form_Load() {
    startRecording();
}

void formWRec::startRecording() {
    filePath_.clear();
    meter_.reset();
    showLevels();
    LabelFile->clear();
    LabelTime->setText(elapsedText(0));
    LabelSize->clear();
    LabelState->setText(QStringLiteral("Starting"));
    LabelStop->setText(QStringLiteral("Stop"));
    recording_.start();
}

void formWRec::onFolderChosen(const QString& path, bool isMusicFolder) {
    folderPath_ = path;
    showText(LabelFolder, shownName(folderText({path, isMusicFolder}, QDir::homePath())));
    setPlainToolTip(LabelFolder, shownName(path));
}

void formWRec::onFileStarted(const QString& path) {
    filePath_ = path;
    showText(LabelFile, shownName(QFileInfo(path).fileName()));
    LabelState->setText(QStringLiteral("Recording"));
    onProgress(0, 0);
}

void formWRec::onProgress(qint64 dataBytes, double peak) {
    LabelTime->setText(elapsedText(dataBytes));
    LabelSize->setText(
        QLocale::c().formattedDataSize(44 + dataBytes, 1, QLocale::DataSizeTraditionalFormat));
    meter_.add(peak, static_cast<double>(dataBytes) / kRecordBytesPerSecond);
    showLevels();
}

// The number beside the bar is also what assistive tools read for it.
void formWRec::showLevels() {
    const std::optional<double> readout = meter_.readoutDb();
    const QString number = readout ? levelText(*readout) : QString();
    LabelLevel->setText(number);
    level_->setLevels(meter_.levelDb(), meter_.markDb(), number);
}

void formWRec::onFinished(const QString& message) {
    meter_.reset();
    showLevels();
    QString state = message.isEmpty() ? QStringLiteral("Stopped") : message;
    if (!message.isEmpty() && !filePath_.isEmpty())
        state += QStringLiteral(". The file keeps what was recorded.");
    LabelState->setText(state);
    LabelStop->setText(QStringLiteral("Record"));
    if (closing_) close();
}

void formWRec::LabelStop_Click() {
    if (recording_.isRunning())
        recording_.stop();
    else
        startRecording();
}

void formWRec::LabelOpen_Click() {
    if (!folderPath_.isEmpty()) opener_.openFolder(folderPath_);
}

void formWRec::LabelExit_Click() {
    exitProgram();
}

void formWRec::closeEvent(QCloseEvent* event) {
    // The window goes once the file is finished, which takes one read.
    if (recording_.isRunning()) {
        closing_ = true;
        recording_.stop();
        event->ignore();
        // A sound server that stopped answering must not keep the program
        // open: its file already counts all it delivered but the last moment.
        QTimer::singleShot(kCloseWaitMs, this, [this] {
            if (recording_.isRunning()) QCoreApplication::exit(0);
        });
        return;
    }
    event->accept();
}

}  // namespace ondrix
