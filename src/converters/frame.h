#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include "converters/layouts.h"
#include "platform/shell.h"
#include "ui/dialogs.h"
#include "ui/drag.h"
#include "ui/pick_list.h"
#include "ui/twips_position.h"
#include "ui/window_placement.h"

class QLineEdit;

namespace ondrix {

class ClickableLabel;

// What distinguishes the two converter programs.
struct ConverterProgram {
    QString windowName;  // formMp3, formFlac
    QString caption;
    QString encoder;             // lame.exe, flac.exe
    QString dialogMiddleFilter;  // the format's own entry of the dialog filter
    const WindowLayout* layout;
};

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

// The files of a folder whose names match the pattern whatever their letter
// case ("SONG.WAV" for "*.wav"), in name order, hidden files left out.
QStringList filesMatching(const QString& folder, const QString& pattern);

// The eight lines of the converters' help box.
QStringList converterHelpLines();

// The converter window shared by OndrixMP3 and OndrixFlac: file choice,
// help, keys, drag and the encoder launch. The command labels belong to the
// program's own window class.
class ConverterFrame : public QWidget, public WindowPlacement {
    Q_OBJECT
  public:
    ConverterFrame(const ConverterProgram& program, Shell& shell, Dialogs& dialogs,
                   QWidget* parent = nullptr);

    void Form_Load();
    void Form_KeyDown(int keyCode, int shift);
    void Form_MouseMove(int button, int shift, float x, float y);
    void LblFiles_Click();
    void Image1_Click();

    const ConverterProgram& program() const { return program_; }
    DragAnchor dragAnchor() const { return anchor_; }
    QLineEdit* textBox(const QString& name) const;
    PickList* fileList() const { return fileList_; }
    ClickableLabel* commandLabel(const QString& name) const;

    double windowLeft() const override;
    double windowTop() const override;
    void setWindowLeft(double twips) override;
    void setWindowTop(double twips) override;

  protected:
    // Copies the list's selected name into Text1; the program's click handler.
    void pickFromList();
    // Starts the encoder with the parameter text; never waits, never reports.
    void launchEncoder(const QString& parameters);
    QString text(const QString& boxName) const;
    // The output name for the parameter text, from Text1 and Text2.
    QString outputName() const;

    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    void createControls();
    void fillFileList(const QString& pattern);
    void showHelp();
    void endProgram();

    const ConverterProgram& program_;
    Shell& shell_;
    Dialogs& dialogs_;
    PickList* fileList_ = nullptr;
    QLineEdit* text1_ = nullptr;
    QString initDir_;
    QString dialogFileName_;
    QString listFolder_;
    DragAnchor anchor_;
    TwipsPosition position_;
};

}  // namespace ondrix
