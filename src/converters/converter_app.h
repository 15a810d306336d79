#pragma once

#include <QCoreApplication>
#include <QString>
#include <cstdio>
#include <cstring>

#include "console/console_wrapper.h"
#include "converters/frame.h"
#include "platform/music_folder.h"
#include "platform/shell.h"
#include "ui/fonts.h"
#include "ui/guarded_application.h"

namespace ondrix {

// The whole of a converter program: its one window on the real shell and
// dialogs, until the window closes. Started with the wrapper's private
// argument it is instead the encoder's wrapper, with no window at all;
// with --music-folder it prints the folder it is meant to start in (the
// launcher asks, so that both follow one rule) and ends.
template <typename Window>
int runConverter(int argc, char** argv, const QString& programName) {
    if (const std::optional<int> status = runConsoleWrapper(argc, argv)) return *status;
    if (argc == 2 && std::strcmp(argv[1], "--music-folder") == 0) {
        std::printf("%s\n", musicFolder().path.toLocal8Bit().constData());
        return 0;
    }
    GuardedApplication app(argc, argv);
    QCoreApplication::setApplicationName(programName);
    installFontSubstitutes();
    // The encoder starts through this very program's wrapper mode.
    SystemShell shell(QCoreApplication::applicationFilePath());
    QtDialogs dialogs;
    Window window(shell, dialogs);
    startWindow(window);
    return app.exec();
}

}  // namespace ondrix
