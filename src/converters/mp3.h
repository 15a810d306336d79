#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "converters/frame.h"

namespace ondrix {

// LAME parameter texts: options, input name, output name.
QString cbrParameterText(const QString& input, const QString& output);
QString abrParameterText(const QString& input, const QString& output);
QString vbrParameterText(const QString& input, const QString& output);
QString userCodeParameterText(const QString& userOptions, const QString& input,
                              const QString& output);

// The file LAME writes: the second name on its command line; with only an
// input, that name with ".mp3" in place of a sound file extension
// (".wav", ".aif", ".aiff", ".raw", ".pcm") or after any other.
std::optional<QString> lameOutputArgument(const QStringList& inputs, const QStringList& outputs);

const ConverterProgram& mp3Program();

// The OndrixMP3 window.
class formMp3 : public ConverterFrame {
    Q_OBJECT
  public:
    formMp3(Shell& shell, Dialogs& dialogs, QWidget* parent = nullptr);

    void File2_Click();
    void LblCBR_Click();
    void LblABR_Click();
    void LblVBR_Click();
    void LblMake_Click();

  private:
    QLineEdit* Text3 = nullptr;
};

}  // namespace ondrix
