// The front-ends' wrapper mode: the encoder started in a terminal window
// that stays open when it fails, or its output written as a terminal would
// finally show it.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArrayList>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>

#include "console/console_wrapper.h"
#include "console/desktop_notice.h"
#include "platform/parameter_text.h"
#include "platform/shell.h"
#include "platform/terminal_text.h"

namespace ondrix {

namespace {

// Names as the log shows them: a control character as its picture (␛), so
// that reading the log in a terminal runs none; every other byte as it is,
// so that a name stays the file's own.
QByteArray visibleInLog(const QByteArray& bytes) {
    QByteArray shown;
    for (const char c : bytes) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 0x20 || code == 0x7f)
            shown += QString(QChar(code == 0x7f ? 0x2421 : 0x2400 + code)).toUtf8();
        else
            shown += c;
    }
    return shown;
}

// The command as one line, each argument written as the parameter text
// writes it, with its own bytes.
QByteArray commandLine(char** command) {
    QByteArrayList words;
    for (char** word = command; *word; ++word)
        words << ParameterText::argument(QByteArray(*word)).bytes();
    return visibleInLog(words.join(' '));
}

// The log, when what was written here went into it whole; else nothing,
// so that no notice sends the user to a file that does not hold the
// program's output (the log could not be opened, and the output went
// where the front-end's goes, or writing it failed).
QString logHoldingOutput(const QString& log) {
    struct stat written {};
    struct stat named {};
    if (log.isEmpty() || std::ferror(stdout) || fstat(STDOUT_FILENO, &written) != 0 ||
        stat(QFile::encodeName(log).constData(), &named) != 0)
        return {};
    return written.st_dev == named.st_dev && written.st_ino == named.st_ino ? log : QString();
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
                             logHoldingOutput(QString::fromLocal8Bit(argv[4])), QDir::homePath()));
    };
    const bool toLog = !isatty(STDOUT_FILENO);
    if (toLog) {
        // In a log, say when, where and what ran.
        char when[32] = "";
        const std::time_t now = std::time(nullptr);
        std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", std::localtime(&now));
        std::printf("%s in %s: %s\n", when,
                    visibleInLog(QFile::encodeName(QDir::currentPath())).constData(),
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
