#pragma once

#include <QLineEdit>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <optional>

#include "converters/layouts.h"
#include "platform/shell.h"
#include "ui/clickable_label.h"
#include "ui/control_builder.h"
#include "ui/dialogs.h"
#include "ui/pick_list.h"
#include "ui/suite_window.h"

namespace ondrix {

// The name of the file an encoder writes, from the arguments that the input
// and output boxes give it; nothing when it would write none.
using OutputArgumentRule = std::optional<QString> (*)(const QStringList& inputs,
                                                      const QStringList& outputs);

// What distinguishes the two converter programs.
struct ConverterProgram {
    QString windowName;  // formMp3, formFlac
    QString caption;
    QString encoder;             // lame.exe, flac.exe
    QString dialogMiddleFilter;  // the format's own entry of the dialog filter
    QString fileListName;        // File2, File1
    const WindowLayout* layout;
    OutputArgumentRule outputArgument;
    // Put before the input once the user agreed to replace the output.
    QString replaceOption;
    QString missingEncoderText;
};

// A parameter text from the input and output names.
using ParameterText = std::function<QString(const QString& input, const QString& output)>;

// The open-file dialog's filter text: wave files, the program's format, all files.
QString dialogFilterText(const QString& middleFilter);

// "Desc|pattern|Desc|pattern|..." as Qt name filters: the description as
// written, then the pattern in the last parentheses, where Qt reads it
// ("Wave Files (*.wav) (*wav)"). "*.*" matches every name, as on Windows; a
// description without a pattern is dropped. The dialog shows only the
// descriptions.
QStringList qtNameFilters(const QString& filterText);

// A picked file name as it goes into Text1, so that the encoder receives it
// as one argument and never as an option: quoted by the rules the parameter
// text is split by, and "./" before a name that begins with "-".
QString pickedNameText(const QString& name);

// The output name that goes into the parameter text. When the output box
// holds only an extension (".mp3") and the input box one name, it is the
// input's name with that extension, written like a picked name; otherwise
// the output box as it stands.
QString outputNameText(const QString& inputText, const QString& outputText);

// The input's name with the output box's extension, written like a picked
// name, when the output box holds only an extension and the input box one
// name; otherwise nothing.
std::optional<QString> derivedOutputName(const QString& inputText, const QString& outputText);

// Whether the file begins with a RIFF/WAVE header. Only a regular file is
// opened: a FIFO would block.
bool isWaveFile(const QString& path);

// Whether the file system that would hold the path takes its name's length.
bool nameFitsFileSystem(const QString& path);

// The first of the names, each taken relative to the folder, that exists and
// is no regular file (a FIFO, device or folder); no file is opened.
std::optional<QString> firstNonFile(const QStringList& names, const QString& folder);

// A name from outside as a message shows it: cleaned as all outside text,
// a long name shortened in the middle.
QString shownName(const QString& name);

// The files of a folder whose names match the pattern whatever their letter
// case ("SONG.WAV" for "*.wav"), in name order, hidden files left out.
QStringList filesMatching(const QString& folder, const QString& pattern);

// The eight lines of the converters' help box.
QStringList converterHelpLines();

// The converter window shared by OndrixMP3 and OndrixFlac: file choice,
// help, keys, drag and the encoder launch. The command labels belong to the
// program's own window class.
class ConverterFrame : public SuiteWindow {
    Q_OBJECT
  public:
    ConverterFrame(const ConverterProgram& program, Shell& shell, Dialogs& dialogs,
                   QWidget* parent = nullptr);

    void Form_Load();
    void Form_KeyDown(int keyCode, int shift) override;
    void LblFiles_Click();
    void Image1_Click();

    const ConverterProgram& program() const { return program_; }
    // The table's controls by name; nullptr for a name it does not hold.
    QLineEdit* textBox(const QString& name) const { return controls_.find<QLineEdit>(name); }
    PickList* fileList() const { return fileList_; }
    ClickableLabel* commandLabel(const QString& name) const {
        return controls_.find<ClickableLabel>(name);
    }

  protected:
    // Copies the list's selected name into Text1; the program's click handler.
    void pickFromList();
    // Starts the encoder with the parameter text built from Text1 and the
    // output name, unless the names cannot serve, the encoder is missing or
    // the user keeps the file it would replace; then it says why. Never waits.
    void launchEncoder(const ParameterText& parameterText);
    // The output name for the parameter text, from Text1 and Text2.
    QString outputName() const;

    const BuiltControls controls_;
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;

  private:
    void fillFileList(const QString& pattern);
    void showHelp();
    void endProgram();
    // Why the encoder must not start on these names; empty when it may.
    QString refusal(const QString& input, const QString& output) const;
    // The file the encoder writes, as named in its arguments; nothing when
    // it would write none.
    std::optional<QString> writtenFile(const QString& input, const QString& output) const;
    // The existing file the encoder would write over; nothing when none.
    std::optional<QString> replacedFile(const std::optional<QString>& written) const;
    void tell(const QString& text);

    const ConverterProgram& program_;
    Shell& shell_;
    Dialogs& dialogs_;
    PickList* fileList_ = nullptr;
    QString initDir_;
    QString dialogFileName_;
    QString listFolder_;
    // What a pick put into Text1 and the file it names; typed text is not
    // checked as a pick.
    QString pickedText_;
    QString pickedPath_;
};

}  // namespace ondrix
