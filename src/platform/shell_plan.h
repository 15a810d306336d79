#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "platform/parameter_text.h"

namespace ondrix {

// What the shell open of this platform looks at besides its arguments.
struct ShellEnvironment {
    QString programFolder{};
    QStringList pathFolders{};
    // The terminal emulator that console programs start in; empty starts
    // them without one (no desktop, or none installed).
    QString terminalEmulator{};
    // The program with the wrapper mode that console programs run through;
    // empty runs them directly.
    QString consoleWrapper{};
    // Where a console program started without a terminal writes its output;
    // empty leaves its output where the caller's goes.
    QString logFolder{};
};

// The running process's program folder, PATH, terminal emulator (only when
// DISPLAY is set) and log folder ($XDG_STATE_HOME/ondrix, by default
// ~/.local/state/ondrix).
ShellEnvironment currentShellEnvironment(const QString& consoleWrapper = QString());

// One program start: the program's path, its arguments (by their bytes, as
// the program receives them), its working folder, and the file its output
// is appended to (empty: inherited).
struct ShellLaunch {
    QString program{};
    QList<QByteArray> arguments{};
    QString workingDirectory{};
    QString outputLog{};
};

// What opening a document or web address starts: the desktop's opener, or
// nothing when the file is empty, names nothing that exists or could be
// opened, or is itself a program. Never a program of that name.
std::optional<ShellLaunch> planDocumentOpen(const QString& file, const QString& directory,
                                            const ShellEnvironment& environment);

// The program that running the named one finds: a name without a folder is
// looked for in the program folder, then on the PATH, as given and without a
// trailing ".exe", never in the working directory; a name with a folder only
// where it says. Nothing when it is nowhere.
std::optional<QString> findProgram(const QString& program, const QString& directory,
                                   const ShellEnvironment& environment);

// What running the program with the parameter text starts; nothing when the
// program is not found. A console program started through the wrapper
// without a terminal has its end told on the desktop, naming the output.
std::optional<ShellLaunch> planProgramRun(const QString& program, const ParameterText& parameters,
                                          const QString& directory,
                                          const ShellEnvironment& environment,
                                          const QByteArray& output = QByteArray());

// Starts the launch detached, stdin from /dev/null, its arguments passed
// byte for byte; false when it could not be started. A log it writes to is
// first kept under kLogLimit; when the log cannot be written, the output
// goes where this process's goes.
bool startLaunch(const ShellLaunch& launch);

// A log over the limit loses its older half, cut at a line's start.
constexpr qint64 kLogLimit = qint64{1024} * 1024;
void keepLogUnder(const QString& path, qint64 limit);

// "http://...", "mailto:..." (a scheme of two letters or more).
bool hasUrlScheme(const QString& file);
// "www.example.org", "radio.example.org:8000/live": a host name without a
// scheme, as the shell guesses one.
bool isBareHostName(const QString& file);
// A regular executable file that the system can run (an ELF binary or a
// script with "#!").
bool isStartableProgram(const QString& path);
// A program that uses no window system library, so it needs a terminal to
// show its output.
bool isConsoleProgram(const QString& path);

}  // namespace ondrix
