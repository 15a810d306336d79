#pragma once

#include <QString>
#include <cstdio>

#include "media/mpv_engine.h"
#include "platform/local_time.h"
#include "platform/random_source.h"
#include "platform/runtime_error.h"
#include "platform/shell.h"
#include "player/window.h"
#include "ui/dialogs.h"

// The player window over its real services, started the way the program
// starts it.
struct RealPlayer {
    explicit RealPlayer(const QString& audioOutput = QString()) : engine(nullptr, audioOutput) {}

    // Form_Load, then the window is shown; false, with the error on stderr,
    // when the start fails.
    bool start() {
        try {
            window.Form_Load();
        } catch (const ondrix::RuntimeError& error) {
            std::fprintf(stderr, "bench: start failed: %s\n", qPrintable(error.message()));
            return false;
        }
        window.show();
        return true;
    }

    ondrix::MpvEngine engine;
    ondrix::SystemShell shell;
    ondrix::SystemClock clock;
    ondrix::SystemRandom random;
    ondrix::QtDialogs dialogs;
    ondrix::Wavelark window{{engine, shell, clock, random, dialogs}};
};
