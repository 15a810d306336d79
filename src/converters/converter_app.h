#pragma once

#include <QString>

#include "platform/shell.h"
#include "ui/dialogs.h"
#include "ui/fonts.h"
#include "ui/guarded_application.h"

namespace ondrix {

// The whole of a converter program: its one window on the real shell and
// dialogs, until the window closes.
template <typename Window>
int runConverter(int argc, char** argv, const QString& programName) {
    GuardedApplication app(argc, argv);
    QCoreApplication::setApplicationName(programName);
    installFontSubstitutes();
    SystemShell shell;
    QtDialogs dialogs;
    Window window(shell, dialogs);
    window.show();
    return app.exec();
}

}  // namespace ondrix
