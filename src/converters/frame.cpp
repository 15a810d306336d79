#include "converters/frame.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>

#include "platform/command_line.h"
#include "ui/clickable_label.h"
#include "ui/help_box.h"
#include "ui/pick_list.h"
#include "ui/vendor.h"

namespace ondrix {

namespace {

const QString kWavPattern = QStringLiteral("*.wav");

}  // namespace

QStringList converterHelpLines() {
    return QStringList{QStringLiteral("F1 = this help "),
                       QStringLiteral("F6  = ") + vendorWebDomain() + QStringLiteral("  "),
                       QStringLiteral("F12 = Exit this program ")} +
           helpBoxEnding();
}

ConverterFrame::ConverterFrame(const ConverterProgram& program, Shell& shell, Dialogs& dialogs,
                               QWidget* parent)
    : SuiteWindow(*program.layout, {dialogs, converterHelpLines(), &shell}, Qt::WindowFlags(),
                  parent),
      controls_(buildControls(*program.layout, this)),
      program_(program),
      shell_(shell),
      dialogs_(dialogs) {
    setObjectName(program_.windowName);
    setWindowTitle(program_.caption);
    controls_.bind(Text1, QStringLiteral("Text1"));
    controls_.bind(Text2, QStringLiteral("Text2"));
    controls_.bind(fileList_, program_.fileListName);
    connect(commandLabel(QStringLiteral("LblFiles")), &ClickableLabel::clicked, this,
            &ConverterFrame::LblFiles_Click);
    connect(commandLabel(QStringLiteral("Image1")), &ClickableLabel::clicked, this,
            &ConverterFrame::Image1_Click);
    // What the user types is passed as typed, even where it repeats a pick.
    connect(Text1, &QLineEdit::textEdited, this, [this] { pickedText_.clear(); });
}

QString ConverterFrame::inputText() const {
    // Text1 shows the pick's visible form until it is edited.
    if (!pickedText_.isEmpty() && Text1->text() == pickedShown_) return pickedText_;
    return Text1->text();
}

QString ConverterFrame::outputName() const {
    return outputNameText(inputText(), Text2->text());
}

void ConverterFrame::Form_Load() {
    fileList_->setVisible(true);
    fillFileList(kWavPattern);
    // The dialog starts where the list's files are, so that both offer the
    // same files.
    initDir_ = listFolder_;
}

void ConverterFrame::fillFileList(const QString& pattern) {
    listFolder_ = QDir::currentPath();
    fileList_->setEntries(filesMatching(listFolder_, pattern));
}

void ConverterFrame::pickFromList() {
    const QString name = fileList_->pickedText();
    if (name.isEmpty()) return;
    pickedText_ = pickedNameText(name);
    pickedPath_ = QDir(listFolder_).absoluteFilePath(name);
    pickedShown_ = shownName(pickedText_).text();
    Text1->setText(pickedShown_);
}

void ConverterFrame::LblFiles_Click() {
    // Cancel, or any failure of the dialog, ends the handler quietly.
    try {
        const OpenFileRequest request{initDir_,
                                      qtNameFilters(dialogFilterText(program_.dialogMiddleFilter)),
                                      dialogFileName_};
        const std::optional<QString> chosen = dialogs_.openFile(this, request);
        if (!chosen) return;
        dialogFileName_ = *chosen;
        pickedText_ = pickedNameText(*chosen);
        pickedPath_ = *chosen;
        pickedShown_ = shownName(pickedText_).text();
        Text1->setText(pickedShown_);
    } catch (...) {
    }
}

void ConverterFrame::Image1_Click() {
    exitProgram();
}

void ConverterFrame::launchEncoder(const ParameterText& parameterText) {
    const QString input = inputText();
    const QString output = outputName();
    if (const ShownText why = refusal(input, output); !why.isEmpty()) {
        tell(why);
        return;
    }
    if (!shell_.canRun(program_.encoder)) {
        tell(shownTitle(program_.missingEncoderText));
        return;
    }
    const std::optional<QString> written = writtenFile(input, output);
    QString passedInput = input;
    if (const std::optional<QString> replaced = replacedFile(written)) {
        const ShownText question =
            shownShortName(*replaced) + ShownText::own(u" already exists. Replace it?");
        if (!dialogs_.ask(this, question.text(), program_.caption)) return;
        passedInput = program_.replaceOption + input;
    }
    // The encoder works in the folder the list shows, so that a bare name
    // picked from the list is found whatever folder the program lives in.
    const int result = shell_.run(static_cast<WindowHandle>(winId()), QStringLiteral("Open"),
                                  program_.encoder, parameterText(passedInput, output), listFolder_,
                                  kShowNormal, written.value_or(QString()));
    if (result == kShellFileNotFound) tell(shownTitle(program_.missingEncoderText));
}

ShownText ConverterFrame::refusal(const QString& input, const QString& output) const {
    const QStringList names = splitWindowsCommandLine(input) + splitWindowsCommandLine(output);
    if (const std::optional<QString> nonFile = firstNonFile(names, listFolder_))
        return shownShortName(*nonFile) + ShownText::own(u" is not a file.");
    // Only a pick is looked into: typed text goes to the encoder as typed.
    if (!pickedText_.isEmpty() && input == pickedText_ && QFileInfo::exists(pickedPath_) &&
        !isWaveFile(pickedPath_))
        return shownShortName(QFileInfo(pickedPath_).fileName()) +
               ShownText::own(u" is not a WAV file.");
    if (derivedOutputName(input, Text2->text())) {
        const QStringList derived = splitWindowsCommandLine(output);
        if (derived.size() == 1 &&
            !nameFitsFileSystem(QDir(listFolder_).absoluteFilePath(derived.constFirst())))
            return ShownText::own(u"The output name is too long.");
    }
    return {};
}

std::optional<QString> ConverterFrame::writtenFile(const QString& input,
                                                   const QString& output) const {
    return program_.outputArgument(splitWindowsCommandLine(input), splitWindowsCommandLine(output));
}

std::optional<QString> ConverterFrame::replacedFile(const std::optional<QString>& written) const {
    if (!written) return std::nullopt;
    // Decided as the encoder does: the name as passed, in its working folder.
    const QFileInfo info(QDir(listFolder_).absoluteFilePath(*written));
    if (!info.exists() && !info.isSymLink()) return std::nullopt;
    return info.fileName();
}

void ConverterFrame::tell(const ShownText& text) {
    dialogs_.message(this, text.text(), program_.caption, MessageIcon::Critical);
}

}  // namespace ondrix
