#pragma once

#include <QCoreApplication>
#include <QString>

#include "converters/frame.h"
#include "platform/shell.h"
#include "ui/fonts.h"
#include "ui/guarded_application.h"

namespace ondrix {

// The whole of a converter program: its one window on the real shell and
// dialogs, until the window closes. Started with the wrapper's private
// argument it is instead the encoder's wrapper, with no window at all.
template <typename Window>
int runConverter(int argc, char** argv, const QString& programName) {
    if (const std::optional<int> status = runConsoleWrapper(argc, argv)) return *status;
    GuardedApplication app(argc, argv);
    QCoreApplication::setApplicationName(programName);
    installFontSubstitutes();
    // The encoder starts through this very program's wrapper mode.
    SystemShell shell(QCoreApplication::applicationFilePath());
    QtDialogs dialogs;
    Window window(shell, dialogs);
    window.show();
    return app.exec();
}

}  // namespace ondrix
