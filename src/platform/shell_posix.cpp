#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>
#include <array>

#include "platform/program_folder.h"
#include "platform/shell.h"
#include "platform/shell_plan.h"

namespace ondrix {

namespace {

const QString kOpener = QStringLiteral("xdg-open");

QString withoutExeSuffix(const QString& name) {
    return name.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive) ? name.chopped(4) : QString();
}

// "lame.exe" is looked for as "lame.exe", then as "lame".
QStringList programNames(const QString& name) {
    QStringList names{name};
    if (const QString bare = withoutExeSuffix(name); !bare.isEmpty()) names.append(bare);
    return names;
}

ShellLaunch openerLaunch(const QString& target, const QString& workingDirectory) {
    return {kOpener, {QFile::encodeName(target)}, workingDirectory, {}};
}

ShellLaunch programLaunch(const QString& program, const ParameterText& parameters,
                          const QString& workingDirectory, const ShellEnvironment& environment,
                          const QByteArray& output) {
    const QList<QByteArray> arguments = parameters.arguments();
    if (!isConsoleProgram(program)) return {program, arguments, workingDirectory, {}};
    QList<QByteArray> command = QList<QByteArray>{QFile::encodeName(program)} + arguments;
    if (!environment.consoleWrapper.isEmpty()) {
        command = QList<QByteArray>{QFile::encodeName(environment.consoleWrapper),
                                    kConsoleWrapperArgument} +
                  command;
    }
    if (!environment.terminalEmulator.isEmpty()) {
        return {
            environment.terminalEmulator, QList<QByteArray>{"-e"} + command, workingDirectory, {}};
    }
    // Without a terminal a console program's output would be lost.
    QString log;
    if (!environment.logFolder.isEmpty()) {
        const QString name = QFileInfo(program).fileName();
        const QString bare = withoutExeSuffix(name);
        log = QDir(environment.logFolder)
                  .filePath((bare.isEmpty() ? name : bare) + QStringLiteral(".log"));
    }
    // ... and its end unseen: the wrapper tells it on the desktop.
    if (!environment.consoleWrapper.isEmpty())
        command = command.mid(0, 2) +
                  QList<QByteArray>{kEndNoticeArgument, output, QFile::encodeName(log)} +
                  command.mid(2);
    const QString first = QFile::decodeName(command.takeFirst());
    return {first, command, workingDirectory, log};
}

}  // namespace

bool hasUrlScheme(const QString& file) {
    // "host.example:8000" names a port, not a scheme.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:(?![0-9])"));
    return scheme.match(file).hasMatch();
}

bool isBareHostName(const QString& file) {
    // Three labels or a leading "www." keep a missing "notes.txt" from
    // becoming a web address.
    static const QRegularExpression host(QStringLiteral(
        "^(?:www\\.[A-Za-z0-9-]+(?:\\.[A-Za-z0-9-]+)+|[A-Za-z0-9-]+(?:\\.[A-Za-z0-9-]+){2,})"
        "(?::[0-9]+)?(?:/\\S*)?$"));
    return host.match(file).hasMatch();
}

bool isStartableProgram(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile() || !info.isExecutable()) return false;
    QFile program(path);
    if (!program.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = program.read(4);
    return head == QByteArray(
                       "\x7f"
                       "ELF",
                       4) ||
           head.startsWith("#!");
}

bool isConsoleProgram(const QString& path) {
    QFile program(path);
    if (!program.open(QIODevice::ReadOnly)) return true;
    // The needed-library names sit in the dynamic string table near the
    // start of the file.
    const QByteArray head = program.read(qint64{4} * 1024 * 1024);
    static const std::array<const char*, 7> windowLibraries = {
        "libX11.so", "libxcb.so", "libwayland-client.so", "libQt5Gui", "libQt6Gui",
        "libgtk-",   "libSDL2"};
    for (const char* library : windowLibraries) {
        if (head.contains(library)) return false;
    }
    return true;
}

ShellEnvironment currentShellEnvironment(const QString& consoleWrapper) {
    ShellEnvironment environment;
    environment.programFolder = programFolder();
    environment.pathFolders =
        qEnvironmentVariable("PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (!qEnvironmentVariable("DISPLAY").isEmpty()) {
        environment.terminalEmulator =
            QStandardPaths::findExecutable(QStringLiteral("x-terminal-emulator"));
    }
    environment.consoleWrapper = consoleWrapper;
    // A relative XDG_STATE_HOME is to be ignored, like an unset one.
    QString stateHome = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(stateHome))
        stateHome = QDir::homePath() + QStringLiteral("/.local/state");
    environment.logFolder = stateHome + QStringLiteral("/ondrix");
    return environment;
}

std::optional<QString> findProgram(const QString& program, const QString& directory,
                                   const ShellEnvironment& environment) {
    if (program.trimmed().isEmpty()) return std::nullopt;
    if (program.contains(QLatin1Char('/'))) {
        // A name with a folder in it is only looked for where it says.
        const QString workingDirectory = directory.isEmpty() ? QDir::currentPath() : directory;
        for (const QString& candidate :
             programNames(QDir(workingDirectory).absoluteFilePath(program))) {
            if (isStartableProgram(candidate)) return candidate;
        }
        return std::nullopt;
    }
    // A bare program name: beside this program or on the PATH, never in the
    // working directory, where a data folder may hold anything executable. A
    // relative PATH entry would name that directory too.
    QStringList folders{environment.programFolder};
    folders.append(environment.pathFolders);
    for (const QString& folder : folders) {
        if (!QDir::isAbsolutePath(folder)) continue;
        for (const QString& name : programNames(program)) {
            const QString candidate = QDir(folder).absoluteFilePath(name);
            if (isStartableProgram(candidate)) return candidate;
        }
    }
    return std::nullopt;
}

std::optional<ShellLaunch> planProgramRun(const QString& program, const ParameterText& parameters,
                                          const QString& directory,
                                          const ShellEnvironment& environment,
                                          const QByteArray& output) {
    const std::optional<QString> found = findProgram(program, directory, environment);
    if (!found) return std::nullopt;
    const QString workingDirectory = directory.isEmpty() ? QDir::currentPath() : directory;
    return programLaunch(*found, parameters, workingDirectory, environment, output);
}

std::optional<ShellLaunch> planDocumentOpen(const QString& file, const QString& directory,
                                            const ShellEnvironment&) {
    if (file.trimmed().isEmpty()) return std::nullopt;
    const QString workingDirectory = directory.isEmpty() ? QDir::currentPath() : directory;
    if (hasUrlScheme(file)) return openerLaunch(file, workingDirectory);
    const QString asGiven = QDir(workingDirectory).absoluteFilePath(file);
    if (QFileInfo::exists(asGiven)) {
        // A program is neither started nor handed to the opener, which
        // might start it.
        if (isStartableProgram(asGiven)) return std::nullopt;
        return openerLaunch(asGiven, workingDirectory);
    }
    if (isBareHostName(file)) {
        return openerLaunch(QStringLiteral("http://") + file, workingDirectory);
    }
    return std::nullopt;
}

ShellResult shellOpenDocument(WindowHandle, const QString& file, const QString& directory) {
    const std::optional<ShellLaunch> launch =
        planDocumentOpen(file, directory, currentShellEnvironment());
    if (!launch) return ShellResult::NotFound;
    return startLaunch(*launch) ? ShellResult::Started : ShellResult::Failed;
}

ShellResult shellRunProgram(WindowHandle, const QString& program, const ParameterText& parameters,
                            const QString& directory, const QByteArray& output,
                            const QString& consoleWrapper) {
    const std::optional<ShellLaunch> launch = planProgramRun(
        program, parameters, directory, currentShellEnvironment(consoleWrapper), output);
    if (!launch) return ShellResult::NotFound;
    return startLaunch(*launch) ? ShellResult::Started : ShellResult::Failed;
}

bool shellFindsProgram(const QString& program) {
    return findProgram(program, QString(), currentShellEnvironment()).has_value();
}

}  // namespace ondrix
