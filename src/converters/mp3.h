#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

#include "converters/frame.h"

namespace ondrix {

// LAME parameter texts: options, input name, output name.
ParameterText cbrParameterText(const ParameterText& input, const ParameterText& output);
ParameterText abrParameterText(const ParameterText& input, const ParameterText& output);
ParameterText vbrParameterText(const ParameterText& input, const ParameterText& output);
ParameterText userCodeParameterText(const QString& userOptions, const ParameterText& input,
                                    const ParameterText& output);

// The file LAME writes: the second name on its command line; with only an
// input, that name with ".mp3" in place of a sound file extension
// (".wav", ".aif", ".aiff", ".raw", ".pcm") or after any other.
std::optional<QByteArray> lameOutputArgument(const QList<QByteArray>& inputs,
                                             const QList<QByteArray>& outputs);

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
