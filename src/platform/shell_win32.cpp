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

int shellExecute(WindowHandle window, const QString& operation, const QString& file,
                 const QString& parameters, const QString& directory, int showCommand) {
    const QByteArray operationText = operation.toLocal8Bit();
    const QByteArray fileText = file.toLocal8Bit();
    const QByteArray parameterText = parameters.toLocal8Bit();
    const QByteArray directoryText = directory.toLocal8Bit();
    const HINSTANCE result =
        ShellExecuteA(reinterpret_cast<HWND>(window), orNull(operationText), fileText.constData(),
                      orNull(parameterText), orNull(directoryText), showCommand);
    return static_cast<int>(reinterpret_cast<INT_PTR>(result));
}

}  // namespace

int shellOpenDocument(WindowHandle window, const QString& operation, const QString& file,
                      const QString& directory, int showCommand) {
    // A program's name is not a document: ShellExecute would start it.
    for (const char* program : {".exe", ".com", ".bat", ".cmd"}) {
        if (file.endsWith(QLatin1String(program), Qt::CaseInsensitive)) return SE_ERR_FNF;
    }
    return shellExecute(window, operation, file, QString(), directory, showCommand);
}

int shellRunProgram(WindowHandle window, const QString& operation, const QString& program,
                    const QString& parameters, const QString& directory, int showCommand,
                    const QString& /*output*/, const QString& /*consoleWrapper*/) {
    // ShellExecuteA gives a console program a console window of its own.
    if (!shellFindsProgram(program)) return SE_ERR_FNF;
    return shellExecute(window, operation, program, parameters, directory, showCommand);
}

bool shellFindsProgram(const QString& program) {
    // The folders ShellExecute looks in: the program's own, the current one,
    // the system's and the PATH.
    char found[MAX_PATH];
    const QByteArray name = program.toLocal8Bit();
    return SearchPathA(nullptr, name.constData(), nullptr, MAX_PATH, found, nullptr) > 0;
}

std::optional<int> runConsoleWrapper(int, char**) {
    // Nothing here starts a program through the wrapper mode.
    return std::nullopt;
}

}  // namespace ondrix
