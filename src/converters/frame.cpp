#include "converters/frame.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QRegularExpression>
#include <algorithm>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#include "platform/command_line.h"
#include "platform/outside_text.h"
#include "platform/program_folder.h"
#include "ui/clickable_label.h"
#include "ui/fonts.h"
#include "ui/frame_lines.h"
#include "ui/help_box.h"
#include "ui/key_command.h"
#include "ui/key_preview.h"
#include "ui/pick_list.h"
#include "ui/plain_text.h"
#include "ui/suite_look.h"
#include "ui/twips.h"
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
    const QString hyphens(22, QLatin1Char('-'));
    return {QStringLiteral("F1 = this help "),
            QStringLiteral("F6  = ") + vendorWebDomain() + QStringLiteral("  "),
            QStringLiteral("F12 = Exit this program "),
            hyphens,
            QStringLiteral("Hold left button on mouse to move"),
            hyphens,
            QStringLiteral("VOSKE - OndrixRadio "),
            vendorSiteAddress()};
}

ConverterFrame::ConverterFrame(const ConverterProgram& program, Shell& shell, Dialogs& dialogs,
                               QWidget* parent)
    : QWidget(parent), program_(program), shell_(shell), dialogs_(dialogs) {
    const WindowLayout& layout = *program_.layout;
    setObjectName(program_.windowName);
    setWindowTitle(program_.caption);
    QIcon icon;
    for (const QString& resource : layout.iconResources) icon.addFile(resource);
    setWindowIcon(icon);
    setFixedSize(twipsToPixels(layout.clientWidth), twipsToPixels(layout.clientHeight));
    setAutoFillBackground(true);
    setColour(this, QPalette::Window, layout.background);
    setMouseTracking(true);
    createControls();
    new KeyPreview(this, [this](int keyCode, int shift) { Form_KeyDown(keyCode, shift); });
    connect(commandLabel(QStringLiteral("LblFiles")), &ClickableLabel::clicked, this,
            &ConverterFrame::LblFiles_Click);
    connect(commandLabel(QStringLiteral("Image1")), &ClickableLabel::clicked, this,
            &ConverterFrame::Image1_Click);
    // What the user types is passed as typed, even where it repeats a pick.
    connect(text1_, &QLineEdit::textEdited, this, [this] { pickedText_.clear(); });
    Form_Load();
}

void ConverterFrame::createControls() {
    const WindowLayout& layout = *program_.layout;
    std::vector<std::pair<int, QWidget*>> focusable;
    for (const ControlLayout& control : layout.controls) {
        QWidget* widget = nullptr;
        switch (control.kind) {
            case ControlKind::TextBox: {
                auto* box = new QLineEdit(control.caption, this);
                setColour(box, QPalette::Base, control.background);
                if (control.name == QLatin1String("Text1")) text1_ = box;
                widget = box;
                focusable.emplace_back(control.tabIndex, box);
                break;
            }
            case ControlKind::FileList:
                fileList_ = new PickList(this);
                fileList_->setVisible(false);
                setColour(fileList_, QPalette::Base, control.background);
                widget = fileList_;
                focusable.emplace_back(control.tabIndex, fileList_);
                break;
            case ControlKind::Label:
            case ControlKind::CommandLabel: {
                QLabel* label = control.kind == ControlKind::CommandLabel
                                    ? new ClickableLabel(control.caption, this)
                                    : new QLabel(control.caption, this);
                label->setAutoFillBackground(true);
                setColour(label, QPalette::Window, control.background);
                setColour(label, QPalette::WindowText, control.textColor);
                const Qt::Alignment across =
                    control.kind == ControlKind::CommandLabel
                        ? Qt::AlignHCenter
                        : (control.rightAligned ? Qt::AlignRight : Qt::AlignLeft);
                label->setAlignment(
                    across |
                    (control.kind == ControlKind::CommandLabel ? Qt::AlignVCenter : Qt::AlignTop));
                widget = label;
                break;
            }
            case ControlKind::Picture: {
                auto* picture = new ClickableLabel(QString(), this);
                picture->setPixmap(QPixmap(control.caption));
                picture->setScaledContents(true);
                widget = picture;
                break;
            }
            case ControlKind::DriveList:
            case ControlKind::FolderList:
            case ControlKind::CheckBox:
            case ControlKind::MediaPlayer:
                // The player's kinds; a converter window has none.
                continue;
        }
        widget->setObjectName(control.name);
        widget->setGeometry(twipsRect(control.left, control.top, control.width, control.height));
        if (!control.toolTip.isEmpty()) setPlainToolTip(widget, control.toolTip);
        if (!control.fontFamily.isEmpty())
            widget->setFont(fontAt96Dpi(control.fontFamily, control.fontPoints, control.bold));
        // Moves over a control are the control's own, never a drag of the window.
        widget->setAttribute(Qt::WA_NoMousePropagation);
    }
    std::sort(focusable.begin(), focusable.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 1; i < focusable.size(); ++i)
        QWidget::setTabOrder(focusable[i - 1].second, focusable[i].second);
    if (auto* first = findChild<QWidget*>(layout.focusAtStart)) first->setFocus();
}

QLineEdit* ConverterFrame::textBox(const QString& name) const {
    return findChild<QLineEdit*>(name, Qt::FindDirectChildrenOnly);
}

ClickableLabel* ConverterFrame::commandLabel(const QString& name) const {
    return findChild<ClickableLabel*>(name, Qt::FindDirectChildrenOnly);
}

QString ConverterFrame::text(const QString& boxName) const {
    const QLineEdit* box = textBox(boxName);
    return box ? box->text() : QString();
}

QString ConverterFrame::outputName() const {
    return outputNameText(text(QStringLiteral("Text1")), text(QStringLiteral("Text2")));
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
    text1_->setText(pickedText_);
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
        text1_->setText(pickedText_);
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

void ConverterFrame::Form_MouseMove(int button, int /*shift*/, float x, float y) {
    dragMove(anchor_, button, x, y, *this);
}

void ConverterFrame::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = pixelsToTwips(event->position());
    Form_MouseMove(buttonMask(event->buttons()), modifierMask(event->modifiers()),
                   static_cast<float>(at.x()), static_cast<float>(at.y()));
}

void ConverterFrame::launchEncoder(const ParameterText& parameterText) {
    const QString input = text(QStringLiteral("Text1"));
    const QString output = outputName();
    if (const QString why = refusal(input, output); !why.isEmpty()) {
        tell(why);
        return;
    }
    if (!shell_.canRun(program_.encoder)) {
        tell(program_.missingEncoderText);
        return;
    }
    QString passedInput = input;
    if (const std::optional<QString> replaced = replacedFile(input, output)) {
        const QString question =
            shownName(*replaced) + QStringLiteral(" already exists. Replace it?");
        if (!dialogs_.ask(this, question, program_.caption)) return;
        passedInput = program_.replaceOption + input;
    }
    // The encoder works in the folder the list shows, so that a bare name
    // picked from the list is found whatever folder the program lives in.
    const int result =
        shell_.run(static_cast<WindowHandle>(winId()), QStringLiteral("Open"), program_.encoder,
                   parameterText(passedInput, output), listFolder_, kShowNormal);
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
    if (derivedOutputName(input, text(QStringLiteral("Text2")))) {
        const QStringList derived = splitWindowsCommandLine(output);
        if (derived.size() == 1 &&
            !nameFitsFileSystem(QDir(listFolder_).absoluteFilePath(derived.constFirst())))
            return QStringLiteral("The output name is too long.");
    }
    return {};
}

std::optional<QString> ConverterFrame::replacedFile(const QString& input,
                                                    const QString& output) const {
    const std::optional<QString> written =
        program_.outputArgument(splitWindowsCommandLine(input), splitWindowsCommandLine(output));
    if (!written) return std::nullopt;
    // Decided as the encoder does: the name as passed, in its working folder.
    const QFileInfo info(QDir(listFolder_).absoluteFilePath(*written));
    if (!info.exists() && !info.isSymLink()) return std::nullopt;
    return info.fileName();
}

void ConverterFrame::tell(const QString& text) {
    dialogs_.message(this, text, program_.caption, MessageIcon::Critical);
}

double ConverterFrame::windowLeft() const {
    return position_.left(*this);
}
double ConverterFrame::windowTop() const {
    return position_.top(*this);
}
void ConverterFrame::setWindowLeft(double twips) {
    position_.setLeft(*this, twips);
}
void ConverterFrame::setWindowTop(double twips) {
    position_.setTop(*this, twips);
}

void ConverterFrame::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    paintLines(painter, program_.layout->lines, palette().color(QPalette::WindowText));
}

}  // namespace ondrix
