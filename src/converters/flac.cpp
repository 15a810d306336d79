#include "converters/flac.h"

#include "ui/clickable_label.h"
#include "ui/pick_list.h"

namespace ondrix {

QString smallestParameterText(const QString& input, const QString& output) {
    return QStringLiteral("-8 ") + input + QStringLiteral(" -o ") + output;
}

QString standardParameterText(const QString& input, const QString& output) {
    return QStringLiteral("-4 ") + input + QStringLiteral(" -o ") + output;
}

QString largerParameterText(const QString& input, const QString& output) {
    return QStringLiteral("-0 ") + input + QStringLiteral(" -o") + output;
}

const ConverterProgram& flacProgram() {
    static const ConverterProgram program{
        QStringLiteral("formFlac"), QStringLiteral("Ondrix Flac"),
        QStringLiteral("flac.exe"), QStringLiteral("Flac Files (*.flac)|*flac|"),
        &flacWindowLayout(),
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
    launchEncoder(smallestParameterText(text(QStringLiteral("Text1")), outputName()));
}

void formFlac::lblComp5_Click() {
    launchEncoder(standardParameterText(text(QStringLiteral("Text1")), outputName()));
}

void formFlac::LblComp0_Click() {
    launchEncoder(largerParameterText(text(QStringLiteral("Text1")), outputName()));
}

}  // namespace ondrix
