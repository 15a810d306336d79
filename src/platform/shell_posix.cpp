#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <array>

#include "platform/command_line.h"
#include "platform/program_folder.h"
#include "platform/shell.h"
#include "platform/shell_plan.h"

namespace ondrix {

namespace {

const QString kOpener = QStringLiteral("xdg-open");

QString withoutExeSuffix(const QString& name) {
    return name.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive) ? name.chopped(4) : QString();
}

ShellLaunch openerLaunch(const QString& target, const QString& workingDirectory) {
    return {kOpener, {target}, workingDirectory};
}

ShellLaunch programLaunch(const QString& program, const QString& parameters,
                          const QString& workingDirectory, const ShellEnvironment& environment) {
    const QStringList arguments = splitWindowsCommandLine(parameters);
    if (!environment.terminalEmulator.isEmpty() && isConsoleProgram(program)) {
        return {environment.terminalEmulator,
                QStringList{QStringLiteral("-e"), program} + arguments, workingDirectory};
    }
    return {program, arguments, workingDirectory};
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
    const QByteArray head = program.read(4 * 1024 * 1024);
    static const std::array<const char*, 7> windowLibraries = {
        "libX11.so", "libxcb.so", "libwayland-client.so", "libQt5Gui", "libQt6Gui",
        "libgtk-",   "libSDL2"};
    for (const char* library : windowLibraries) {
        if (head.contains(library)) return false;
    }
    return true;
}

ShellEnvironment currentShellEnvironment() {
    ShellEnvironment environment;
    environment.programFolder = programFolder();
    environment.pathFolders =
        qEnvironmentVariable("PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (!qEnvironmentVariable("DISPLAY").isEmpty()) {
        environment.terminalEmulator =
            QStandardPaths::findExecutable(QStringLiteral("x-terminal-emulator"));
    }
    return environment;
}

std::optional<ShellLaunch> planShellOpen(const QString& file, const QString& parameters,
                                         const QString& directory,
                                         const ShellEnvironment& environment) {
    if (file.trimmed().isEmpty()) return std::nullopt;
    const QString workingDirectory = directory.isEmpty() ? QDir::currentPath() : directory;
    if (hasUrlScheme(file)) return openerLaunch(file, workingDirectory);

    const QString asGiven = QDir(workingDirectory).absoluteFilePath(file);
    if (QFileInfo::exists(asGiven)) {
        if (isStartableProgram(asGiven)) {
            return programLaunch(asGiven, parameters, workingDirectory, environment);
        }
        return openerLaunch(asGiven, workingDirectory);
    }

    QStringList names{file};
    if (const QString bare = withoutExeSuffix(file); !bare.isEmpty()) names.append(bare);
    QStringList folders{workingDirectory};
    // A name with a folder in it is only looked for where it says.
    if (!file.contains(QLatin1Char('/'))) {
        folders.append(environment.programFolder);
        folders.append(environment.pathFolders);
    }
    for (const QString& folder : folders) {
        if (folder.isEmpty()) continue;
        for (const QString& name : names) {
            const QString candidate = QDir(folder).absoluteFilePath(name);
            if (isStartableProgram(candidate)) {
                return programLaunch(candidate, parameters, workingDirectory, environment);
            }
        }
    }

    if (isBareHostName(file)) {
        return openerLaunch(QStringLiteral("http://") + file, workingDirectory);
    }
    return std::nullopt;
}

bool startLaunch(const ShellLaunch& launch) {
    QProcess process;
    process.setProgram(launch.program);
    process.setArguments(launch.arguments);
    process.setWorkingDirectory(launch.workingDirectory);
    process.setStandardInputFile(QProcess::nullDevice());
    return process.startDetached();
}

int shellExecute(WindowHandle, const QString&, const QString& file, const QString& parameters,
                 const QString& directory, int) {
    const std::optional<ShellLaunch> launch =
        planShellOpen(file, parameters, directory, currentShellEnvironment());
    if (!launch) return kShellFileNotFound;
    return startLaunch(*launch) ? kShellStarted : kShellFailed;
}

}  // namespace ondrix
