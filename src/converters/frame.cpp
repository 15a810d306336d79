#include "converters/frame.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QRegularExpression>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#include "platform/command_line.h"
#include "platform/outside_text.h"
#include "platform/program_folder.h"
#include "ui/clickable_label.h"
#include "ui/help_box.h"
#include "ui/key_command.h"
#include "ui/pick_list.h"
#include "ui/plain_text.h"
#include "ui/vendor.h"

namespace ondrix {

namespace {

const QString kWavPattern = QStringLiteral("*.wav");

}  // namespace

QString dialogFilterText(const QString& middleFilter) {
    return QStringLiteral("Wave Files (*.wav)|*wav|") + middleFilter +
           QStringLiteral("All Files (*.*)|*.*| ");
}

QStringList qtNameFilters(const QString& filterText) {
    const QStringList pieces = filterText.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < pieces.size(); i += 2) {
        // Windows separates patterns with ";" and lets "*.*" match names
        // without a dot; Qt separates with blanks and "*" matches all.
        QStringList patterns = pieces.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
        }
        patterns.removeAll(QString());
        if (patterns.isEmpty()) continue;
        const QString description = pieces.at(i).trimmed();
        filters << (description.isEmpty() ? QString() : description + QLatin1Char(' ')) +
                       QLatin1Char('(') + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters;
}

namespace {

// "song.wav" with ".mp3" gives "song.mp3"; a name without an extension gets
// one.
QString withExtension(const QString& name, const QString& extension) {
    const qsizetype nameStart = name.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    // A dot that begins the file's own name (".wav") is no extension.
    const bool hasExtension = dot > nameStart;
    return (hasExtension ? name.left(dot) : name) + extension;
}

// ".mp3": a dot, then text without a further dot, folder, blank or quote.
bool isExtensionOnly(const QString& text) {
    static const QRegularExpression extension(QStringLiteral(R"(^\.[^./\\\s"]+$)"));
    return extension.match(text).hasMatch();
}

}  // namespace

QString pickedNameText(const QString& name) {
    const bool looksLikeOption = name.startsWith(QLatin1Char('-'));
    return quoteWindowsArgument(looksLikeOption ? QStringLiteral("./") + name : name);
}

std::optional<QString> derivedOutputName(const QString& inputText, const QString& outputText) {
    if (!isExtensionOnly(outputText)) return std::nullopt;
    const QStringList inputs = splitWindowsCommandLine(inputText);
    if (inputs.size() != 1) return std::nullopt;
    return pickedNameText(withExtension(inputs.constFirst(), outputText));
}

QString outputNameText(const QString& inputText, const QString& outputText) {
    return derivedOutputName(inputText, outputText).value_or(outputText);
}

bool isWaveFile(const QString& path) {
    if (!QFileInfo(path).isFile()) return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = file.read(12);
    return head.size() == 12 && head.startsWith("RIFF") && head.endsWith("WAVE");
}

bool nameFitsFileSystem(const QString& path) {
    const QFileInfo info(path);
    const QByteArray name = QFile::encodeName(info.fileName());
#ifdef Q_OS_UNIX
    long longest = pathconf(QFile::encodeName(info.absolutePath()).constData(), _PC_NAME_MAX);
    if (longest <= 0) longest = 255;
    return name.size() <= longest;
#else
    return info.fileName().size() <= 255;
#endif
}

std::optional<QString> firstNonFile(const QStringList& names, const QString& folder) {
    for (const QString& name : names) {
        // stat() only: opening a FIFO to look at it would block.
        const QFileInfo info(QDir(folder).absoluteFilePath(name));
        if (info.exists() && !info.isFile()) return name;
    }
    return std::nullopt;
}

QString shownName(const QString& name) {
    constexpr qsizetype kLongest = 80;
    QString shown = cleanOutsideText(name);
    if (shown.size() <= kLongest) return shown;
    return shown.left(kLongest / 2 - 1) + QChar(0x2026) + shown.right(kLongest / 2);
}

QStringList filesMatching(const QString& folder, const QString& pattern) {
    // QDir matches name filters regardless of case unless told otherwise.
    return QDir(folder).entryList({pattern}, QDir::Files, QDir::Name | QDir::IgnoreCase);
}

QStringList converterHelpLines() {
    return QStringList{QStringLiteral("F1 = this help "),
                       QStringLiteral("F6  = ") + vendorWebDomain() + QStringLiteral("  "),
                       QStringLiteral("F12 = Exit this program ")} +
           helpBoxEnding();
}

ConverterFrame::ConverterFrame(const ConverterProgram& program, Shell& shell, Dialogs& dialogs,
                               QWidget* parent)
    : SuiteWindow(*program.layout, Qt::WindowFlags(), parent),
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
    Form_Load();
}

QString ConverterFrame::outputName() const {
    return outputNameText(Text1->text(), Text2->text());
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
    Text1->setText(pickedText_);
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
        Text1->setText(pickedText_);
    } catch (...) {
    }
}

void ConverterFrame::showHelp() {
    showHelpBox(dialogs_, this, converterHelpLines());
}

void ConverterFrame::Form_KeyDown(int keyCode, int shift) {
    if (!keyCommandAllowed(shift)) return;
    switch (keyCode) {
        case kKeyF1:
            showHelp();
            break;
        case kKeyF6:
            shell_.open(static_cast<WindowHandle>(winId()), QStringLiteral("Open"),
                        vendorSiteAddress(), QString(), programFolder(), kShowNormal);
            break;
        case kKeyF12:
            endProgram();
            break;
        default:
            break;
    }
}

void ConverterFrame::Image1_Click() {
    endProgram();
}

void ConverterFrame::endProgram() {
    close();
    // Ends the event loop with status 0; does nothing where no loop runs.
    QCoreApplication::quit();
}

void ConverterFrame::launchEncoder(const ParameterText& parameterText) {
    const QString input = Text1->text();
    const QString output = outputName();
    if (const QString why = refusal(input, output); !why.isEmpty()) {
        tell(why);
        return;
    }
    if (!shell_.canRun(program_.encoder)) {
        tell(program_.missingEncoderText);
        return;
    }
    const std::optional<QString> written = writtenFile(input, output);
    QString passedInput = input;
    if (const std::optional<QString> replaced = replacedFile(written)) {
        const QString question =
            shownName(*replaced) + QStringLiteral(" already exists. Replace it?");
        if (!dialogs_.ask(this, question, program_.caption)) return;
        passedInput = program_.replaceOption + input;
    }
    // The encoder works in the folder the list shows, so that a bare name
    // picked from the list is found whatever folder the program lives in.
    const int result = shell_.run(static_cast<WindowHandle>(winId()), QStringLiteral("Open"),
                                  program_.encoder, parameterText(passedInput, output), listFolder_,
                                  kShowNormal, written.value_or(QString()));
    if (result == kShellFileNotFound) tell(program_.missingEncoderText);
}

QString ConverterFrame::refusal(const QString& input, const QString& output) const {
    const QStringList names = splitWindowsCommandLine(input) + splitWindowsCommandLine(output);
    if (const std::optional<QString> nonFile = firstNonFile(names, listFolder_))
        return shownName(*nonFile) + QStringLiteral(" is not a file.");
    // Only a pick is looked into: typed text goes to the encoder as typed.
    if (!pickedText_.isEmpty() && input == pickedText_ && QFileInfo::exists(pickedPath_) &&
        !isWaveFile(pickedPath_))
        return shownName(QFileInfo(pickedPath_).fileName()) + QStringLiteral(" is not a WAV file.");
    if (derivedOutputName(input, Text2->text())) {
        const QStringList derived = splitWindowsCommandLine(output);
        if (derived.size() == 1 &&
            !nameFitsFileSystem(QDir(listFolder_).absoluteFilePath(derived.constFirst())))
            return QStringLiteral("The output name is too long.");
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

void ConverterFrame::tell(const QString& text) {
    dialogs_.message(this, text, program_.caption, MessageIcon::Critical);
}

}  // namespace ondrix
