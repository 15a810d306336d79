#include "support/fuzz_entries.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <initializer_list>
#include <map>
#include <stdexcept>

#include "platform/command_line.h"
#include "platform/runtime_error.h"
#include "player/settings/settings_files.h"

namespace testsupport {

namespace {

using ondrix::PlayerSettings;
using ondrix::RuntimeError;

class RecordingHost : public ondrix::SettingsHost {
  public:
    double windowLeft() const override { return left; }
    double windowTop() const override { return top; }
    void setWindowLeft(double twips) override {
        left = twips;
        moves += QLatin1Char('L');
    }
    void setWindowTop(double twips) override {
        top = twips;
        moves += QLatin1Char('T');
    }
    void setStationCaption(int button, const QString& caption) override {
        captions[button] = caption;
    }
    void keepOnScreen() override {}
    void showInformation(const QString& text, const QString& title) override {
        information.append(text + QLatin1Char('|') + title);
    }

    double left = 0;
    double top = 0;
    QString moves;
    std::map<int, QString> captions;
    QStringList information;
};

// One folder for the whole run: a fresh folder per input would cost more than
// the loaders themselves.
const QString& scratchFolder() {
    static QTemporaryDir folder;
    if (!folder.isValid()) throw std::runtime_error("cannot make a temporary folder");
    static const QString path = folder.path();
    return path;
}

void writeWhole(const QString& path, const QByteArray& content) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(content) != content.size()) {
        throw std::runtime_error("cannot write a settings file");
    }
}

// Runs one loader; a run-time error is an expected outcome when it names the
// loader's file and is one of the errors that loader can meet.
QString runLoader(PlayerSettings& settings, void (PlayerSettings::*load)(), const QString& file,
                  std::initializer_list<int> expected, bool* succeeded = nullptr) {
    if (succeeded) *succeeded = false;
    try {
        (settings.*load)();
    } catch (const RuntimeError& error) {
        if (error.file() != file) {
            return file + QStringLiteral(": error names ") + error.file();
        }
        for (const int number : expected) {
            if (error.number() == number) return {};
        }
        return file + QStringLiteral(": unexpected ") + error.message();
    }
    if (succeeded) *succeeded = true;
    return {};
}

QString checkStations(const PlayerSettings& settings, const RecordingHost& host) {
    const ondrix::StationTable& stations = settings.stations();
    if (!stations.name[0].isEmpty() || !stations.webPage[0].isEmpty() ||
        !stations.streamUrl[0].isEmpty()) {
        return QStringLiteral("slot 0 was written");
    }
    for (const auto& [button, caption] : host.captions) {
        if (button < 1 || button > ondrix::StationTable::kButtonCount) {
            return QStringLiteral("caption set on button %1").arg(button);
        }
        if (caption != stations.name[button]) {
            return QStringLiteral("button %1 shows another name than its slot").arg(button);
        }
    }
    return {};
}

QString checkSavedPositionReadsBack(PlayerSettings& settings, RecordingHost& host) {
    settings.SavePosition();
    if (host.information != QStringList{QStringLiteral("Position saved|ondrix")}) {
        return QStringLiteral("save did not report once");
    }
    RecordingHost again;
    PlayerSettings reread(again, settings.folder());
    reread.LoadStartPosition();
    if (reread.startLeft() != settings.startLeft() || reread.startTop() != settings.startTop()) {
        return QStringLiteral("saved position %1,%2 read back as %3,%4")
            .arg(settings.startLeft())
            .arg(settings.startTop())
            .arg(reread.startLeft())
            .arg(reread.startTop());
    }
    return {};
}

// The inverse of the splitter: how a Windows program quotes an argument so
// that CommandLineToArgvW gives it back unchanged.
QString quoteArgument(const QString& argument) {
    static const QRegularExpression needsQuotes(QStringLiteral("[ \\t\"]"));
    if (!argument.isEmpty() && !argument.contains(needsQuotes)) return argument;
    QString quoted(QLatin1Char('"'));
    qsizetype backslashes = 0;
    for (const QChar c : argument) {
        if (c == QLatin1Char('\\')) {
            ++backslashes;
            continue;
        }
        if (c == QLatin1Char('"')) {
            quoted += QString(2 * backslashes + 1, QLatin1Char('\\'));
        } else {
            quoted += QString(backslashes, QLatin1Char('\\'));
        }
        backslashes = 0;
        quoted += c;
    }
    quoted += QString(2 * backslashes, QLatin1Char('\\'));
    quoted += QLatin1Char('"');
    return quoted;
}

QString describe(const QStringList& arguments) {
    return QLatin1Char('[') + arguments.join(QStringLiteral("] [")) + QLatin1Char(']');
}

}  // namespace

QString fuzzSettingsFiles(const std::uint8_t* data, std::size_t size) {
    const QByteArray content(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString& folder = scratchFolder();
    for (const QString& name : {ondrix::kStartPositionFile, ondrix::kTimeZoneFile,
                                ondrix::kMovingTextFile, ondrix::kRadioKeysFile}) {
        writeWhole(folder + QLatin1Char('/') + name, content);
    }

    RecordingHost host;
    PlayerSettings settings(host, folder);
    bool positionLoaded = false;
    QString problem = runLoader(
        settings, &PlayerSettings::LoadStartPosition, ondrix::kStartPositionFile,
        {RuntimeError::InputPastEndOfFile, RuntimeError::Overflow, RuntimeError::TypeMismatch},
        &positionLoaded);
    if (problem.isEmpty()) {
        problem = runLoader(
            settings, &PlayerSettings::LoadTimeZone, ondrix::kTimeZoneFile,
            {RuntimeError::InputPastEndOfFile, RuntimeError::Overflow, RuntimeError::TypeMismatch});
    }
    if (problem.isEmpty()) {
        problem = runLoader(settings, &PlayerSettings::LoadMovingText, ondrix::kMovingTextFile,
                            {RuntimeError::InputPastEndOfFile});
    }
    if (problem.isEmpty()) {
        problem = runLoader(settings, &PlayerSettings::LoadRadioKeys, ondrix::kRadioKeysFile,
                            {RuntimeError::InputPastEndOfFile, RuntimeError::SubscriptOutOfRange});
    }
    if (problem.isEmpty()) problem = checkStations(settings, host);
    if (problem.isEmpty() && positionLoaded) {
        if (host.moves != QStringLiteral("LT") || host.left != settings.startLeft() ||
            host.top != settings.startTop()) {
            problem = QStringLiteral("window not moved left then top to the loaded position");
        } else {
            problem = checkSavedPositionReadsBack(settings, host);
        }
    }
    return problem;
}

QString fuzzCommandLine(const std::uint8_t* data, std::size_t size) {
    const QString parameters =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList arguments = ondrix::splitWindowsCommandLine(parameters);

    qsizetype characters = 0;
    for (const QString& argument : arguments) characters += argument.size();
    if (characters > parameters.size()) {
        return QStringLiteral("arguments hold more characters than the text");
    }

    static const QRegularExpression blanks(QStringLiteral("[ \\t]+"));
    if (!parameters.contains(QLatin1Char('"')) && !parameters.contains(QLatin1Char('\\'))) {
        const QStringList words = parameters.split(blanks, Qt::SkipEmptyParts);
        if (arguments != words) {
            return QStringLiteral("plain words split as ") + describe(arguments);
        }
    }

    QStringList quoted;
    for (const QString& argument : arguments) quoted.append(quoteArgument(argument));
    const QStringList again = ondrix::splitWindowsCommandLine(quoted.join(QLatin1Char(' ')));
    if (again != arguments) {
        return QStringLiteral("quoted arguments ") + describe(arguments) +
               QStringLiteral(" split again as ") + describe(again);
    }
    return {};
}

}  // namespace testsupport
