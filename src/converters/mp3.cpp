#include "converters/mp3.h"

#include "ui/clickable_label.h"
#include "ui/pick_list.h"

namespace ondrix {

QString cbrParameterText(const QString& input, const QString& output) {
    return QStringLiteral("-h -b 128 ") + input + QLatin1Char(' ') + output;
}

QString abrParameterText(const QString& input, const QString& output) {
    return QStringLiteral("--preset standard ") + input + QLatin1Char(' ') + output;
}

QString vbrParameterText(const QString& input, const QString& output) {
    return QStringLiteral("--preset extreme ") + input + QLatin1Char(' ') + output;
}

QString userCodeParameterText(const QString& userOptions, const QString& input,
                              const QString& output) {
    return userOptions + QLatin1Char(' ') + input + QLatin1Char(' ') + output;
}

const ConverterProgram& mp3Program() {
    static const ConverterProgram program{
        QStringLiteral("formMp3"),  QStringLiteral("Ondrix Mp3 (LAME)"),
        QStringLiteral("lame.exe"), QStringLiteral("MP3 Files (*.mp3)|*mp3|"),
        &mp3WindowLayout(),
    };
    return program;
}

formMp3::formMp3(Shell& shell, Dialogs& dialogs, QWidget* parent)
    : ConverterFrame(mp3Program(), shell, dialogs, parent) {
    connect(fileList(), &PickList::picked, this, &formMp3::File2_Click);
    connect(commandLabel(QStringLiteral("LblCBR")), &ClickableLabel::clicked, this,
            &formMp3::LblCBR_Click);
    connect(commandLabel(QStringLiteral("LblABR")), &ClickableLabel::clicked, this,
            &formMp3::LblABR_Click);
    connect(commandLabel(QStringLiteral("LblVBR")), &ClickableLabel::clicked, this,
            &formMp3::LblVBR_Click);
    connect(commandLabel(QStringLiteral("LblMake")), &ClickableLabel::clicked, this,
            &formMp3::LblMake_Click);
}

void formMp3::File2_Click() {
    pickFromList();
}

void formMp3::LblCBR_Click() {
    launchEncoder(cbrParameterText(text(QStringLiteral("Text1")), outputName()));
}

void formMp3::LblABR_Click() {
    launchEncoder(abrParameterText(text(QStringLiteral("Text1")), outputName()));
}

void formMp3::LblVBR_Click() {
    launchEncoder(vbrParameterText(text(QStringLiteral("Text1")), outputName()));
}

void formMp3::LblMake_Click() {
    const QString userOptions = text(QStringLiteral("Text3"));
    launchEncoder(userCodeParameterText(userOptions, text(QStringLiteral("Text1")), outputName()));
}

}  // namespace ondrix
