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

// Always "open", shown normally; ShellExecute's number above 32 means started.
ShellResult shellExecute(WindowHandle window, const QString& file, const QString& parameters,
                         const QString& directory) {
    const QByteArray fileText = file.toLocal8Bit();
    const QByteArray parameterText = parameters.toLocal8Bit();
    const QByteArray directoryText = directory.toLocal8Bit();
    const HINSTANCE started =
        ShellExecuteA(reinterpret_cast<HWND>(window), "open", fileText.constData(),
                      orNull(parameterText), orNull(directoryText), SW_SHOWNORMAL);
    const auto result = reinterpret_cast<INT_PTR>(started);
    if (result > 32) return ShellResult::Started;
    return result == SE_ERR_FNF ? ShellResult::NotFound : ShellResult::Failed;
}

}  // namespace

ShellResult shellOpenDocument(WindowHandle window, const QString& file, const QString& directory) {
    // A program's name is not a document: ShellExecute would start it.
    for (const char* program : {".exe", ".com", ".bat", ".cmd"}) {
        if (file.endsWith(QLatin1String(program), Qt::CaseInsensitive))
            return ShellResult::NotFound;
    }
    return shellExecute(window, file, QString(), directory);
}

ShellResult shellRunProgram(WindowHandle window, const QString& program,
                            const ParameterText& parameters, const QString& directory,
                            const QByteArray& /*output*/, const QString& /*consoleWrapper*/) {
    // ShellExecuteA gives a console program a console window of its own.
    // Names are UTF-16 text here, so the parameter text holds them whole.
    if (!shellFindsProgram(program)) return ShellResult::NotFound;
    return shellExecute(window, program, parameters.text(), directory);
}

bool shellFindsProgram(const QString& program) {
    // The folders ShellExecute looks in: the program's own, the current one,
    // the system's and the PATH.
    char found[MAX_PATH];
    const QByteArray name = program.toLocal8Bit();
    return SearchPathA(nullptr, name.constData(), nullptr, MAX_PATH, found, nullptr) > 0;
}

}  // namespace ondrix
