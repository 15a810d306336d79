#include "recorder/window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include "platform/outside_text.h"
#include "recorder/level_bar.h"
#include "ui/clickable_label.h"
#include "ui/control_table.h"
#include "ui/fonts.h"
#include "ui/help_box.h"
#include "ui/key_command.h"
#include "ui/key_preview.h"
#include "ui/plain_text.h"
#include "ui/suite_look.h"
#include "ui/twips.h"
#include "ui/vendor.h"

namespace ondrix {

namespace {

constexpr int kClientWidth = 5700;
constexpr int kClientHeight = 3300;
constexpr int kCloseWaitMs = 3000;

const ControlLayout kLabels[] = {
    {.name = QStringLiteral("Label2"),
     .kind = ControlKind::Label,
     .caption = QStringLiteral("VOSKE"),
     .left = 120,
     .top = 120,
     .width = 1095,
     .height = 255,
     .background = kGrey,
     .textColor = kPaleYellow,
     .fontFamily = kTahoma,
     .fontPoints = 12},
    {.name = QStringLiteral("Label4"),
     .kind = ControlKind::Label,
     .caption = QStringLiteral("wav record"),
     .left = 3840,
     .top = 120,
     .width = 1695,
     .height = 255,
     .background = kGrey,
     .textColor = kPaleYellow,
     .fontFamily = kTahoma,
     .fontPoints = 12,
     .rightAligned = true},
    {.name = QStringLiteral("LabelFolder"),
     .kind = ControlKind::Label,
     .caption = QStringLiteral(""),
     .left = 240,
     .top = 600,
     .width = 3600,
     .height = 285,
     .background = kGrey,
     .textColor = kPaleYellow,
     .fontFamily = kTahoma,
     .fontPoints = 9.75},
    {.name = QStringLiteral("LabelOpen"),
     .kind = ControlKind::CommandLabel,
     .caption = QStringLiteral("Open folder"),
     .left = 3960,
     .top = 570,
     .width = 1500,
     .height = 315,
     .background = kDarkGrey,
     .textColor = kPaleYellow,
     .fontFamily = kTahoma,
     .fontPoints = 9.75},
    {.name = QStringLiteral("LabelFile"),
     .kind = ControlKind::Label,
     .caption = QStringLiteral(""),
     .left = 240,
     .top = 960,
     .width = 5220,
     .height = 285,
     .background = kGrey,
     .textColor = kLilac,
     .fontFamily = kTahoma,
     .fontPoints = 9.75},
    {.name = QStringLiteral("LabelTime"),
     .kind = ControlKind::Label,
     .caption = QStringLiteral("0:00:00"),
     .left = 240,
     .top = 1320,
     .width = 2400,
     .height = 375,
     .background = kGrey,
     .textColor = kPaleYellow,
     .fontFamily = kTahoma,
     .fontPoints = 14},
    {.name = QStringLiteral("LabelSize"),
     .kind = ControlKind::Label,
     .caption = QStringLiteral(""),
     .left = 2880,
     .top = 1320,
     .width = 2580,
     .height = 375,
     .background = kGrey,
     .textColor = kPaleYellow,
     .fontFamily = kTahoma,
     .fontPoints = 12,
     .rightAligned = true},
    {.name = QStringLiteral("LabelQuiet"),
     .kind = ControlKind::Label,
     .caption = QStringLiteral(""),
     .left = 4560,
     .top = 1770,
     .width = 900,
     .height = 285,
     .background = kGrey,
     .textColor = kPaleYellow,
     .fontFamily = kTahoma,
     .fontPoints = 9.75,
     .rightAligned = true},
    {.name = QStringLiteral("LabelState"),
     .kind = ControlKind::Label,
     .caption = QStringLiteral("Starting"),
     .left = 240,
     .top = 2145,
     .width = 5220,
     .height = 480,
     .background = kGrey,
     .textColor = kLilac,
     .fontFamily = kTahoma,
     .fontPoints = 9.75},
    {.name = QStringLiteral("LabelStop"),
     .kind = ControlKind::CommandLabel,
     .caption = QStringLiteral("Stop"),
     .left = 240,
     .top = 2760,
     .width = 1695,
     .height = 375,
     .background = kDarkGrey,
     .textColor = kLilac,
     .fontFamily = kTahoma,
     .fontPoints = 12},
    {.name = QStringLiteral("LabelExit"),
     .kind = ControlKind::CommandLabel,
     .caption = QStringLiteral("Exit"),
     .left = 3765,
     .top = 2760,
     .width = 1695,
     .height = 375,
     .background = kDarkGrey,
     .textColor = kPaleYellow,
     .fontFamily = kTahoma,
     .fontPoints = 12},
};

const QRect kLevelBar = twipsRect(240, 1800, 4200, 225);

}  // namespace

QString elapsedText(qint64 dataBytes) {
    const qint64 seconds = dataBytes / kRecordBytesPerSecond;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QStringList recorderHelpLines() {
    const QString hyphens(22, QLatin1Char('-'));
    return {QStringLiteral("F1 = this help "),
            QStringLiteral("F12 = Exit this program "),
            hyphens,
            QStringLiteral("Hold left button on mouse to move"),
            hyphens,
            QStringLiteral("VOSKE - OndrixRadio "),
            vendorSiteAddress()};
}

formWRec::formWRec(CaptureFactory makeSource, std::function<RecordFolder()> folder,
                   const Clock& clock, Dialogs& dialogs, FolderOpener& opener, QWidget* parent)
    : QWidget(parent),
      dialogs_(dialogs),
      opener_(opener),
      recording_(std::move(makeSource), std::move(folder), clock) {
    setObjectName(QStringLiteral("formWRec"));
    setWindowTitle(QStringLiteral("Ondrix WRec"));
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/icons/ondrixwrec-%1.png").arg(size));
    setWindowIcon(icon);
    setFixedSize(twipsToPixels(kClientWidth), twipsToPixels(kClientHeight));
    setAutoFillBackground(true);
    setColour(this, QPalette::Window, kGrey);
    setMouseTracking(true);
    createControls();
    new KeyPreview(this, [this](int keyCode, int shift) { Form_KeyDown(keyCode, shift); });
    connect(&recording_, &Recording::folderChosen, this, &formWRec::onFolderChosen);
    connect(&recording_, &Recording::fileStarted, this, &formWRec::onFileStarted);
    connect(&recording_, &Recording::progressed, this, &formWRec::onProgress);
    connect(&recording_, &Recording::finished, this, &formWRec::onFinished);
    Form_Load();
}

void formWRec::createControls() {
    for (const ControlLayout& control : kLabels) {
        const bool button = control.kind == ControlKind::CommandLabel;
        QLabel* widget =
            button ? new ClickableLabel(control.caption, this) : new QLabel(control.caption, this);
        widget->setObjectName(control.name);
        widget->setGeometry(twipsRect(control.left, control.top, control.width, control.height));
        widget->setAutoFillBackground(true);
        setColour(widget, QPalette::Window, control.background);
        setColour(widget, QPalette::WindowText, control.textColor);
        widget->setFont(fontAt96Dpi(control.fontFamily, control.fontPoints, control.bold));
        widget->setAlignment(button ? Qt::AlignCenter
                                    : (control.rightAligned ? Qt::AlignRight : Qt::AlignLeft) |
                                          Qt::AlignTop);
        // File names and error texts are shown as they are, never as markup.
        widget->setTextFormat(Qt::PlainText);
        widget->setWordWrap(!button);
        // Texts are surface to drag by; a button's moves are its own.
        if (button)
            widget->setAttribute(Qt::WA_NoMousePropagation);
        else
            widget->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    level_ = new LevelBar(this);
    level_->setObjectName(QStringLiteral("Level1"));
    level_->setGeometry(kLevelBar);
    level_->setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(findChild<ClickableLabel*>(QStringLiteral("LabelStop")), &ClickableLabel::clicked, this,
            &formWRec::LabelStop_Click);
    connect(findChild<ClickableLabel*>(QStringLiteral("LabelOpen")), &ClickableLabel::clicked, this,
            &formWRec::LabelOpen_Click);
    connect(findChild<ClickableLabel*>(QStringLiteral("LabelExit")), &ClickableLabel::clicked, this,
            &formWRec::LabelExit_Click);
}

QLabel* formWRec::label(const QString& name) const {
    return findChild<QLabel*>(name, Qt::FindDirectChildrenOnly);
}

void formWRec::Form_Load() {
    startRecording();
}

void formWRec::startRecording() {
    filePath_.clear();
    meter_.reset();
    level_->setLevels(meter_.levelDb(), meter_.markDb());
    label(QStringLiteral("LabelFile"))->clear();
    label(QStringLiteral("LabelTime"))->setText(elapsedText(0));
    label(QStringLiteral("LabelSize"))->clear();
    label(QStringLiteral("LabelQuiet"))->clear();
    label(QStringLiteral("LabelState"))->setText(QStringLiteral("Starting"));
    label(QStringLiteral("LabelStop"))->setText(QStringLiteral("Stop"));
    recording_.start();
}

void formWRec::onFolderChosen(const QString& path, bool isMusicFolder) {
    folderPath_ = path;
    QLabel* folder = label(QStringLiteral("LabelFolder"));
    folder->setText(cleanOutsideText(folderText({path, isMusicFolder}, QDir::homePath())));
    setPlainToolTip(folder, cleanOutsideText(path));
}

void formWRec::onFileStarted(const QString& path) {
    filePath_ = path;
    label(QStringLiteral("LabelFile"))->setText(cleanOutsideText(QFileInfo(path).fileName()));
    label(QStringLiteral("LabelState"))->setText(QStringLiteral("Recording"));
    onProgress(0, 0);
}

void formWRec::onProgress(qint64 dataBytes, double peak) {
    label(QStringLiteral("LabelTime"))->setText(elapsedText(dataBytes));
    label(QStringLiteral("LabelSize"))
        ->setText(
            QLocale::c().formattedDataSize(44 + dataBytes, 1, QLocale::DataSizeTraditionalFormat));
    meter_.add(peak, static_cast<double>(dataBytes) / kRecordBytesPerSecond);
    level_->setLevels(meter_.levelDb(), meter_.markDb());
    label(QStringLiteral("LabelQuiet"))
        ->setText(meter_.isQuiet() ? QStringLiteral("quiet") : QString());
}

void formWRec::onFinished(const QString& message) {
    meter_.reset();
    level_->setLevels(meter_.levelDb(), meter_.markDb());
    label(QStringLiteral("LabelQuiet"))->clear();
    QString state = message.isEmpty() ? QStringLiteral("Stopped") : message;
    if (!message.isEmpty() && !filePath_.isEmpty())
        state += QStringLiteral(". The file keeps what was recorded.");
    label(QStringLiteral("LabelState"))->setText(state);
    label(QStringLiteral("LabelStop"))->setText(QStringLiteral("Record"));
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

void formWRec::bringToFront() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void formWRec::LabelExit_Click() {
    close();
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

void formWRec::Form_KeyDown(int keyCode, int shift) {
    if (!keyCommandAllowed(shift)) return;
    if (keyCode == kKeyF1) showHelpBox(dialogs_, this, recorderHelpLines());
    if (keyCode == kKeyF12) close();
}

void formWRec::Form_MouseMove(int button, int /*shift*/, float x, float y) {
    dragMove(anchor_, button, x, y, *this);
}

void formWRec::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = pixelsToTwips(event->position());
    Form_MouseMove(buttonMask(event->buttons()), modifierMask(event->modifiers()),
                   static_cast<float>(at.x()), static_cast<float>(at.y()));
}

double formWRec::windowLeft() const {
    return position_.left(*this);
}
double formWRec::windowTop() const {
    return position_.top(*this);
}
void formWRec::setWindowLeft(double twips) {
    position_.setLeft(*this, twips);
}
void formWRec::setWindowTop(double twips) {
    position_.setTop(*this, twips);
}

void formWRec::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setPen(QPen(Qt::black, 4));
    painter.drawLine(QPoint(0, 32), QPoint(width(), 32));  // under the title row
    painter.setPen(QPen(Qt::black, 5));
    painter.drawRect(rect().adjusted(2, 2, -3, -3));
}

}  // namespace ondrix
