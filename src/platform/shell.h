#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

namespace ondrix {

// Native window handle as the shell call takes it (HWND on Windows, the X11
// window id elsewhere); only passed through.
using WindowHandle = std::uintptr_t;

constexpr int kShowNormal = 1;

// The desktop shell's "open" action: documents and web addresses open in
// their associated program, programs start with a parameter text. Callers
// never wait and ignore the result; it is returned for tests.
class Shell {
public:
    virtual ~Shell() = default;
    virtual int open(WindowHandle window, const QString& operation, const QString& file,
                     const QString& parameters, const QString& directory, int showCommand) = 0;
};

// Result codes in the manner of ShellExecute: above 32 means started.
constexpr int kShellStarted = 42;
constexpr int kShellFileNotFound = 2;
constexpr int kShellFailed = 0;

// The real shell of this platform (ShellExecuteA on Windows; xdg-open and
// direct program starts elsewhere).
int shellExecute(WindowHandle window, const QString& operation, const QString& file,
                 const QString& parameters, const QString& directory, int showCommand);

class SystemShell : public Shell {
public:
    int open(WindowHandle window, const QString& operation, const QString& file,
             const QString& parameters, const QString& directory, int showCommand) override {
        return shellExecute(window, operation, file, parameters, directory, showCommand);
    }
};

}  // namespace ondrix
