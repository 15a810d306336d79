#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "converters/frame.h"

namespace ondrix {

// FLAC parameter texts: level, input name, then the output option.
QString smallestParameterText(const QString& input, const QString& output);
QString standardParameterText(const QString& input, const QString& output);
// Its output option carries the name attached: "-o" + output.
QString largerParameterText(const QString& input, const QString& output);

// The file FLAC writes: the name after "-o", when it encodes one input.
std::optional<QString> flacOutputArgument(const QStringList& inputs, const QStringList& outputs);

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
