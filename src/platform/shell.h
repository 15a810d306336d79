#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <utility>

#include "platform/parameter_text.h"

namespace ondrix {

// Native window handle as the shell call takes it (HWND on Windows, the X11
// window id elsewhere); only passed through.
using WindowHandle = std::uintptr_t;

// What became of a request to the shell: callers say so where a program is
// missing and otherwise go on.
enum class ShellResult {
    Started,
    NotFound,  // no such document, address or program
    Failed,    // found, but it could not be started
};

// The desktop shell, asked for one of two things, always as "open" and
// shown normally. open() shows a document or a web address in the program
// the desktop associates with it, and never starts a program of that name.
// run() starts a program with a parameter text, or reports it missing; a
// program's name is never handed on as a document. Callers never wait.
class Shell {
  public:
    virtual ~Shell() = default;
    virtual ShellResult open(WindowHandle window, const QString& file,
                             const QString& directory) = 0;
    // The parameter text carries file names by their bytes (ParameterText),
    // so a name that is no UTF-8 reaches the program exactly. output: the
    // file the program is to write, by its bytes, relative to directory;
    // named where its end is told; empty when none is known.
    virtual ShellResult run(WindowHandle window, const QString& program,
                            const ParameterText& parameters, const QString& directory,
                            const QByteArray& output) = 0;
    // Whether run() would find the program, so that a caller can say it is
    // missing before asking the user anything.
    virtual bool canRun(const QString& program) = 0;
};

// The real shell of this platform (ShellExecuteA on Windows; xdg-open and
// direct program starts elsewhere).
ShellResult shellOpenDocument(WindowHandle window, const QString& file, const QString& directory);
// consoleWrapper names a program with the wrapper mode below (the running
// front-end) that console programs are started through; empty starts them
// directly.
ShellResult shellRunProgram(WindowHandle window, const QString& program,
                            const ParameterText& parameters, const QString& directory,
                            const QByteArray& output = QByteArray(),
                            const QString& consoleWrapper = QString());
bool shellFindsProgram(const QString& program);

class SystemShell : public Shell {
  public:
    SystemShell() = default;
    explicit SystemShell(QString consoleWrapper) : consoleWrapper_(std::move(consoleWrapper)) {}
    ShellResult open(WindowHandle window, const QString& file, const QString& directory) override {
        return shellOpenDocument(window, file, directory);
    }
    ShellResult run(WindowHandle window, const QString& program, const ParameterText& parameters,
                    const QString& directory, const QByteArray& output) override {
        return shellRunProgram(window, program, parameters, directory, output, consoleWrapper_);
    }
    bool canRun(const QString& program) override { return shellFindsProgram(program); }

  private:
    QString consoleWrapper_;
};

// The private first argument of a front-end's wrapper mode; users never type it.
inline constexpr char kConsoleWrapperArgument[] = "--ondrix-console-wrapper";
// After it, where no terminal shows the program: tell its end on the desktop.
// Followed by the file the program writes (or an empty argument) and its log,
// which the notice names only when the wrapper's output really went there.
inline constexpr char kEndNoticeArgument[] = "--ondrix-end-notice";

}  // namespace ondrix
