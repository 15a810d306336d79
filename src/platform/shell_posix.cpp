#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/command_line.h"
#include "platform/desktop_notice.h"
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
    return {kOpener, {target}, workingDirectory, {}};
}

ShellLaunch programLaunch(const QString& program, const QString& parameters,
                          const QString& workingDirectory, const ShellEnvironment& environment,
                          const QString& output) {
    const QStringList arguments = splitWindowsCommandLine(parameters);
    if (!isConsoleProgram(program)) return {program, arguments, workingDirectory, {}};
    QStringList command = QStringList{program} + arguments;
    if (!environment.consoleWrapper.isEmpty()) {
        command =
            QStringList{environment.consoleWrapper, QString::fromLatin1(kConsoleWrapperArgument)} +
            command;
    }
    if (!environment.terminalEmulator.isEmpty()) {
        return {environment.terminalEmulator,
                QStringList{QStringLiteral("-e")} + command,
                workingDirectory,
                {}};
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
                  QStringList{QString::fromLatin1(kEndNoticeArgument), output, log} +
                  command.mid(2);
    const QString first = command.takeFirst();
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

std::optional<ShellLaunch> planProgramRun(const QString& program, const QString& parameters,
                                          const QString& directory,
                                          const ShellEnvironment& environment,
                                          const QString& output) {
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

void keepLogUnder(const QString& path, qint64 limit) {
    QFile log(path);
    if (log.size() <= limit || !log.open(QIODevice::ReadWrite)) return;
    if (!log.seek(log.size() - limit / 2)) return;
    QByteArray newer = log.readAll();
    // The first line kept is a whole one.
    newer.remove(0, newer.indexOf('\n') + 1);
    log.resize(0);
    log.seek(0);
    log.write(newer);
}

bool startLaunch(const ShellLaunch& launch) {
    QProcess process;
    process.setProgram(launch.program);
    process.setArguments(launch.arguments);
    process.setWorkingDirectory(launch.workingDirectory);
    process.setStandardInputFile(QProcess::nullDevice());
    if (!launch.outputLog.isEmpty()) {
        QFile log(launch.outputLog);
        // When the log cannot be written the output goes where ours goes.
        if (QDir().mkpath(QFileInfo(log).absolutePath()) && log.open(QIODevice::Append)) {
            log.close();
            keepLogUnder(launch.outputLog, kLogLimit);
            process.setStandardOutputFile(launch.outputLog, QIODevice::Append);
            process.setStandardErrorFile(launch.outputLog, QIODevice::Append);
        }
    }
    return process.startDetached();
}

int shellOpenDocument(WindowHandle, const QString&, const QString& file, const QString& directory,
                      int) {
    const std::optional<ShellLaunch> launch =
        planDocumentOpen(file, directory, currentShellEnvironment());
    if (!launch) return kShellFileNotFound;
    return startLaunch(*launch) ? kShellStarted : kShellFailed;
}

int shellRunProgram(WindowHandle, const QString&, const QString& program, const QString& parameters,
                    const QString& directory, int, const QString& output,
                    const QString& consoleWrapper) {
    const std::optional<ShellLaunch> launch = planProgramRun(
        program, parameters, directory, currentShellEnvironment(consoleWrapper), output);
    if (!launch) return kShellFileNotFound;
    return startLaunch(*launch) ? kShellStarted : kShellFailed;
}

bool shellFindsProgram(const QString& program) {
    return findProgram(program, QString(), currentShellEnvironment()).has_value();
}

namespace {

// The command as one line, each argument written as the parameter text
// writes it.
QByteArray commandLine(char** command) {
    QStringList words;
    for (char** word = command; *word; ++word)
        words << quoteWindowsArgument(QString::fromLocal8Bit(*word));
    return words.join(QLatin1Char(' ')).toLocal8Bit();
}

void waitForEnter() {
    if (isatty(STDIN_FILENO)) std::fputs("Press Enter to close this window.", stdout);
    std::fflush(stdout);
    for (int c = std::getchar(); c != EOF && c != '\n'; c = std::getchar()) {
    }
}

}  // namespace

std::optional<int> runConsoleWrapper(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], kConsoleWrapperArgument) != 0) return std::nullopt;
    // The notice's output and log come before the program, when asked for.
    const bool notify = argc > 2 && std::strcmp(argv[2], kEndNoticeArgument) == 0;
    const int first = notify ? 5 : 2;
    if (argc <= first) return 2;
    char** command = argv + first;
    const auto tellEnd = [&](const QString& failure) {
        if (!notify) return;
        const QString output = QString::fromLocal8Bit(argv[3]);
        showDesktopNotice(
            QFileInfo(QString::fromLocal8Bit(argv[0])).fileName(),
            programEndNotice(QString::fromLocal8Bit(command[0]), failure,
                             output.isEmpty() ? output : QDir::current().absoluteFilePath(output),
                             QString::fromLocal8Bit(argv[4]), QDir::homePath()));
    };
    const bool toLog = !isatty(STDOUT_FILENO);
    if (toLog) {
        // In a log, say when, where and what ran.
        char when[32] = "";
        const std::time_t now = std::time(nullptr);
        std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", std::localtime(&now));
        std::printf("%s in %s: %s\n", when, QDir::currentPath().toLocal8Bit().constData(),
                    commandLine(command).constData());
    }
    std::fflush(stdout);

    // For a log the program writes into a pipe, read here and written out as
    // a terminal would finally show it.
    int pipeEnds[2] = {-1, -1};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (toLog && pipe2(pipeEnds, O_CLOEXEC) == 0) {
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
    }
    pid_t child = 0;
    const int spawnError = posix_spawn(&child, command[0], &actions, nullptr, command, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (pipeEnds[1] >= 0) close(pipeEnds[1]);
    if (spawnError != 0) {
        if (pipeEnds[0] >= 0) close(pipeEnds[0]);
        std::printf("%s could not be started: %s\n", command[0], std::strerror(spawnError));
        std::fflush(stdout);
        tellEnd(QStringLiteral("could not be started"));
        waitForEnter();
        return 127;
    }
    if (pipeEnds[0] >= 0) {
        TerminalText text;
        char buffer[4096];
        for (;;) {
            const ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            const QByteArray lines = text.feed(QByteArray(buffer, got));
            std::fwrite(lines.constData(), 1, static_cast<size_t>(lines.size()), stdout);
            std::fflush(stdout);
        }
        const QByteArray rest = text.finish();
        std::fwrite(rest.constData(), 1, static_cast<size_t>(rest.size()), stdout);
        std::fflush(stdout);
        close(pipeEnds[0]);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        tellEnd({});
        return 0;
    }
    int exitStatus = 0;
    if (WIFEXITED(status)) {
        exitStatus = WEXITSTATUS(status);
        std::printf("\n%s ended with exit status %d.\n", command[0], exitStatus);
        std::fflush(stdout);
        tellEnd(QStringLiteral("stopped with status %1").arg(exitStatus));
    } else {
        exitStatus = 128 + WTERMSIG(status);
        std::printf("\n%s was ended by signal %d (%s).\n", command[0], WTERMSIG(status),
                    strsignal(WTERMSIG(status)));
        std::fflush(stdout);
        tellEnd(QStringLiteral("was ended by signal %1").arg(WTERMSIG(status)));
    }
    waitForEnter();
    return exitStatus;
}

}  // namespace ondrix
