#include "converters/mp3.h"

#include "platform/program_folder.h"
#include "ui/clickable_label.h"
#include "ui/pick_list.h"

namespace ondrix {

ParameterText cbrParameterText(const ParameterText& input, const ParameterText& output) {
    return QStringLiteral("-h -b 128 ") + input + QStringLiteral(" ") + output;
}

ParameterText abrParameterText(const ParameterText& input, const ParameterText& output) {
    return QStringLiteral("--preset standard ") + input + QStringLiteral(" ") + output;
}

ParameterText vbrParameterText(const ParameterText& input, const ParameterText& output) {
    return QStringLiteral("--preset extreme ") + input + QStringLiteral(" ") + output;
}

ParameterText userCodeParameterText(const QString& userOptions, const ParameterText& input,
                                    const ParameterText& output) {
    return userOptions + QStringLiteral(" ") + input + QStringLiteral(" ") + output;
}

std::optional<QByteArray> lameOutputArgument(const QList<QByteArray>& inputs,
                                             const QList<QByteArray>& outputs) {
    const QList<QByteArray> names = inputs + outputs;
    if (names.size() == 2) return names.constLast();
    // More names, or none, and LAME refuses to start.
    if (names.size() != 1) return std::nullopt;
    QByteArray name = names.constFirst();
    // A sound file's extension, after at least one character, gives way.
    const qsizetype dot = name.lastIndexOf('.');
    static const QList<QByteArray> soundExtensions{"wav", "aif", "aiff", "raw", "pcm"};
    if (dot > 0 && soundExtensions.contains(name.mid(dot + 1).toLower())) name.truncate(dot);
    return name + ".mp3";
}

const ConverterProgram& mp3Program() {
    static const ConverterProgram program{
        .windowName = QStringLiteral("formMp3"),
        .caption = QStringLiteral("Ondrix Mp3 (LAME)"),
        .encoder = QStringLiteral("lame.exe"),
        .dialogMiddleFilter = QStringLiteral("MP3 Files (*.mp3)|*mp3|"),
        .fileListName = QStringLiteral("File2"),
        .layout = &mp3WindowLayout(),
        .outputArgument = lameOutputArgument,
        // LAME replaces an existing output without being told.
        .replaceOption = QString(),
        .missingEncoderText =
            missingProgramText(QStringLiteral("The MP3 encoder LAME"), QStringLiteral("lame"),
                               QStringLiteral("lame.exe"), QStringLiteral("OndrixMP3")),
    };
    return program;
}

formMp3::formMp3(Shell& shell, Dialogs& dialogs, QWidget* parent)
    : ConverterFrame(mp3Program(), shell, dialogs, parent) {
    controls_.bind(Text3, QStringLiteral("Text3"));
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
    launchEncoder(cbrParameterText);
}

void formMp3::LblABR_Click() {
    launchEncoder(abrParameterText);
}

void formMp3::LblVBR_Click() {
    launchEncoder(vbrParameterText);
}

void formMp3::LblMake_Click() {
    const QString userOptions = Text3->text();
    launchEncoder([&userOptions](const ParameterText& input, const ParameterText& output) {
        return userCodeParameterText(userOptions, input, output);
    });
}

}  // namespace ondrix
