#pragma once

#include <QByteArray>
#include <QLineEdit>
#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <optional>

#include "converters/file_names.h"
#include "converters/layouts.h"
#include "platform/outside_text.h"
#include "platform/parameter_text.h"
#include "platform/shell.h"
#include "ui/clickable_label.h"
#include "ui/control_builder.h"
#include "ui/dialogs.h"
#include "ui/pick_list.h"
#include "ui/suite_window.h"

namespace ondrix {

// The name of the file an encoder writes, from the arguments that the input
// and output boxes give it (by their bytes); nothing when it would write none.
using OutputArgumentRule = std::optional<QByteArray> (*)(const QList<QByteArray>& inputs,
                                                         const QList<QByteArray>& outputs);

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
using ParameterTextRule =
    std::function<ParameterText(const ParameterText& input, const ParameterText& output)>;

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

    void Form_Load() override;
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
    void launchEncoder(const ParameterTextRule& parameterText);
    // What the encoder gets as its input: the name picked, which Text1 shows
    // in its visible form, or the text the user typed there.
    ParameterText inputText() const;
    // The output name for the parameter text, from the input and Text2.
    ParameterText outputName() const;

    const BuiltControls controls_;
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;

  private:
    void fillFileList(const QString& pattern);
    // Takes the name as the input, Text1 showing it; path: where it is.
    void pick(const QByteArray& name, const QByteArray& path);
    // Why the encoder must not start on these names; empty when it may.
    ShownText refusal(const ParameterText& input, const ParameterText& output) const;
    // The file the encoder writes, as named in its arguments; nothing when
    // it would write none.
    std::optional<QByteArray> writtenFile(const ParameterText& input,
                                          const ParameterText& output) const;
    // The existing file the encoder would write over, by its name; nothing
    // when none.
    std::optional<QByteArray> replacedFile(const std::optional<QByteArray>& written) const;
    void tell(const ShownText& text);

    const ConverterProgram& program_;
    Shell& shell_;
    Dialogs& dialogs_;
    PickList* fileList_ = nullptr;
    QString initDir_;
    QString dialogFileName_;
    QString listFolder_;
    // What a pick gives the encoder, how Text1 shows it, and the file it
    // names; typed text is not checked as a pick.
    std::optional<ParameterText> pickedText_;
    QString pickedShown_;
    QByteArray pickedPath_;
};

}  // namespace ondrix
