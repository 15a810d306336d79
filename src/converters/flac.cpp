#include "converters/flac.h"

#include "platform/program_folder.h"
#include "ui/clickable_label.h"
#include "ui/pick_list.h"

namespace ondrix {

ParameterText smallestParameterText(const ParameterText& input, const ParameterText& output) {
    return QStringLiteral("-8 ") + input + QStringLiteral(" -o ") + output;
}

ParameterText standardParameterText(const ParameterText& input, const ParameterText& output) {
    return QStringLiteral("-4 ") + input + QStringLiteral(" -o ") + output;
}

ParameterText largerParameterText(const ParameterText& input, const ParameterText& output) {
    return QStringLiteral("-0 ") + input + QStringLiteral(" -o") + output;
}

std::optional<QByteArray> flacOutputArgument(const QList<QByteArray>& inputs,
                                             const QList<QByteArray>& outputs) {
    // Names after the first output one are more inputs, and FLAC takes "-o"
    // with one input only; "-o" without a name starts nothing.
    if (outputs.isEmpty() || inputs.size() + outputs.size() != 2) return std::nullopt;
    return outputs.constFirst();
}

const ConverterProgram& flacProgram() {
    static const ConverterProgram program{
        .windowName = QStringLiteral("formFlac"),
        .caption = QStringLiteral("Ondrix Flac"),
        .encoder = QStringLiteral("flac.exe"),
        .dialogMiddleFilter = QStringLiteral("Flac Files (*.flac)|*flac|"),
        .fileListName = QStringLiteral("File1"),
        .layout = &flacWindowLayout(),
        .outputArgument = flacOutputArgument,
        // FLAC refuses to replace a file unless told.
        .replaceOption = QStringLiteral("-f "),
        .missingEncoderText =
            missingProgramText(QStringLiteral("The FLAC encoder"), QStringLiteral("flac"),
                               QStringLiteral("flac.exe"), QStringLiteral("OndrixFlac")),
    };
    return program;
}

formFlac::formFlac(Shell& shell, Dialogs& dialogs, QWidget* parent)
    : ConverterFrame(flacProgram(), shell, dialogs, parent) {
    connect(fileList(), &PickList::picked, this, &formFlac::File1_Click);
    connect(commandLabel(QStringLiteral("lblComp8")), &ClickableLabel::clicked, this,
            &formFlac::lblComp8_Click);
    connect(commandLabel(QStringLiteral("lblComp5")), &ClickableLabel::clicked, this,
            &formFlac::lblComp5_Click);
    connect(commandLabel(QStringLiteral("LblComp0")), &ClickableLabel::clicked, this,
            &formFlac::LblComp0_Click);
}

void formFlac::File1_Click() {
    pickFromList();
}

void formFlac::lblComp8_Click() {
    launchEncoder(smallestParameterText);
}

void formFlac::lblComp5_Click() {
    launchEncoder(standardParameterText);
}

void formFlac::LblComp0_Click() {
    launchEncoder(largerParameterText);
}

}  // namespace ondrix
