#include "platform/clock.h"
#include "platform/random_source.h"
#include "platform/runtime_error.h"
#include "platform/shell.h"
#include "player/media/mpv_engine.h"
#include "player/window.h"
#include "ui/dialogs.h"
#include "ui/fonts.h"
#include "ui/guarded_application.h"

int main(int argc, char** argv) {
    ondrix::GuardedApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ondrixWavelark31"));
    ondrix::installFontSubstitutes();

    ondrix::MpvEngine engine;
    ondrix::SystemShell shell;
    ondrix::SystemClock clock;
    ondrix::SystemRandom random;
    ondrix::QtDialogs dialogs;
    ondrix::Wavelark window({engine, shell, clock, random, dialogs});
    try {
        window.Form_Load();
    } catch (const ondrix::RuntimeError& error) {
        // A failed start ends the program before the window is shown.
        ondrix::failAndExit(error.message());
    }
    window.show();
    return app.exec();
}
