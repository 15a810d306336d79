#pragma once

#include <QByteArray>
#include <QList>
#include <optional>

#include "converters/frame.h"

namespace ondrix {

// FLAC parameter texts: level, input name, then the output option.
ParameterText smallestParameterText(const ParameterText& input, const ParameterText& output);
ParameterText standardParameterText(const ParameterText& input, const ParameterText& output);
// Its output option carries the name attached: "-o" + output.
ParameterText largerParameterText(const ParameterText& input, const ParameterText& output);

// The file FLAC writes: the name after "-o", when it encodes one input.
std::optional<QByteArray> flacOutputArgument(const QList<QByteArray>& inputs,
                                             const QList<QByteArray>& outputs);

const ConverterProgram& flacProgram();

// The OndrixFlac window.
class formFlac : public ConverterFrame {
    Q_OBJECT
  public:
    formFlac(Shell& shell, Dialogs& dialogs, QWidget* parent = nullptr);

    void File1_Click();
    void lblComp8_Click();
    void lblComp5_Click();
    void LblComp0_Click();
};

}  // namespace ondrix
