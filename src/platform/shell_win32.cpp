#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// shellapi.h needs the types of windows.h.
#include <shellapi.h>

#include <QByteArray>

#include "platform/shell.h"

namespace ondrix {

namespace {
// The ANSI shell call takes texts in the system code page; an empty text is
// passed as no text at all.
const char* orNull(const QByteArray& text) {
    return text.isEmpty() ? nullptr : text.constData();
}
}  // namespace

int shellExecute(WindowHandle window, const QString& operation, const QString& file,
                 const QString& parameters, const QString& directory, int showCommand,
                 const QString& /*consoleWrapper*/) {
    // ShellExecuteA gives a console program a console window of its own.
    const QByteArray operationText = operation.toLocal8Bit();
    const QByteArray fileText = file.toLocal8Bit();
    const QByteArray parameterText = parameters.toLocal8Bit();
    const QByteArray directoryText = directory.toLocal8Bit();
    const HINSTANCE result =
        ShellExecuteA(reinterpret_cast<HWND>(window), orNull(operationText), fileText.constData(),
                      orNull(parameterText), orNull(directoryText), showCommand);
    return static_cast<int>(reinterpret_cast<INT_PTR>(result));
}

std::optional<int> runConsoleWrapper(int, char**) {
    // Nothing here starts a program through the wrapper mode.
    return std::nullopt;
}

}  // namespace ondrix
