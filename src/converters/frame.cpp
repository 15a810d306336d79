#include "converters/frame.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>

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
    connect(Text1, &QLineEdit::textEdited, this, [this] { pickedText_.reset(); });
}

ParameterText ConverterFrame::inputText() const {
    // Text1 shows the pick's visible form until it is edited.
    if (pickedText_ && Text1->text() == pickedShown_) return *pickedText_;
    return Text1->text();
}

ParameterText ConverterFrame::outputName() const {
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
    const QByteArray name = fileList_->pickedName();
    if (name.isEmpty()) return;
    pick(name, pathInFolder(listFolder_, name));
}

void ConverterFrame::pick(const QByteArray& name, const QByteArray& path) {
    pickedText_ = pickedNameText(name);
    pickedPath_ = path;
    pickedShown_ = shownName(pickedText_->bytes()).text();
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
        pick(QFile::encodeName(*chosen), QFile::encodeName(*chosen));
    } catch (...) {
    }
}

void ConverterFrame::Image1_Click() {
    exitProgram();
}

void ConverterFrame::launchEncoder(const ParameterTextRule& parameterText) {
    const ParameterText input = inputText();
    const ParameterText output = outputName();
    if (const ShownText why = refusal(input, output); !why.isEmpty()) {
        tell(why);
        return;
    }
    if (!shell_.canRun(program_.encoder)) {
        tell(shownTitle(program_.missingEncoderText));
        return;
    }
    const std::optional<QByteArray> written = writtenFile(input, output);
    ParameterText passedInput = input;
    if (const std::optional<QByteArray> replaced = replacedFile(written)) {
        const ShownText question =
            shownShortName(*replaced) + ShownText::own(u" already exists. Replace it?");
        if (!dialogs_.ask(this, question.text(), program_.caption)) return;
        passedInput = program_.replaceOption + input;
    }
    // The encoder works in the folder the list shows, so that a bare name
    // picked from the list is found whatever folder the program lives in.
    const ShellResult result =
        shell_.run(static_cast<WindowHandle>(winId()), program_.encoder,
                   parameterText(passedInput, output), listFolder_, written.value_or(QByteArray()));
    if (result == ShellResult::NotFound) tell(shownTitle(program_.missingEncoderText));
}

ShownText ConverterFrame::refusal(const ParameterText& input, const ParameterText& output) const {
    const QList<QByteArray> names = input.arguments() + output.arguments();
    if (const std::optional<QByteArray> nonFile = firstNonFile(names, listFolder_))
        return shownShortName(*nonFile) + ShownText::own(u" is not a file.");
    // Only a pick is looked into: typed text goes to the encoder as typed.
    if (pickedText_ && input == *pickedText_ && factsOf(pickedPath_, true).exists &&
        !isWaveFile(pickedPath_))
        return shownShortName(pickedPath_.mid(pickedPath_.lastIndexOf('/') + 1)) +
               ShownText::own(u" is not a WAV file.");
    if (const std::optional<ParameterText> derived = derivedOutputName(input, Text2->text())) {
        const QList<QByteArray> written = derived->arguments();
        if (written.size() == 1 &&
            !nameFitsFileSystem(pathInFolder(listFolder_, written.constFirst())))
            return ShownText::own(u"The output name is too long.");
    }
    return {};
}

std::optional<QByteArray> ConverterFrame::writtenFile(const ParameterText& input,
                                                      const ParameterText& output) const {
    return program_.outputArgument(input.arguments(), output.arguments());
}

std::optional<QByteArray> ConverterFrame::replacedFile(
    const std::optional<QByteArray>& written) const {
    if (!written) return std::nullopt;
    // Decided as the encoder does: the name as passed, in its working folder.
    const QByteArray path = pathInFolder(listFolder_, *written);
    if (!factsOf(path, false).exists) return std::nullopt;
    return path.mid(path.lastIndexOf('/') + 1);
}

void ConverterFrame::tell(const ShownText& text) {
    dialogs_.message(this, text.text(), program_.caption, MessageIcon::Critical);
}

}  // namespace ondrix
