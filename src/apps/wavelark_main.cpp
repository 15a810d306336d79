#include <memory>

#include "media/mpv_engine.h"
#include "platform/freed_memory.h"
#include "platform/local_time.h"
#include "platform/random_source.h"
#include "platform/runtime_error.h"
#include "platform/shell.h"
#include "player/mpris.h"
#include "player/window.h"
#include "ui/dialogs.h"
#include "ui/event_loop.h"
#include "ui/fonts.h"
#include "ui/guarded_application.h"
#include "ui/x11_images.h"

int main(int argc, char** argv) {
    // Station changes keep no stream's large buffers (see freed_memory.h).
    ondrix::mapLargeBlocksOnTheirOwn();
    ondrix::preferSocketImagesOnX11();
    ondrix::preferPlainEventLoop();
    ondrix::GuardedApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ondrixWavelark31"));
    ondrix::installFontSubstitutes();

    ondrix::SystemShell shell;
    ondrix::SystemClock clock;
    ondrix::SystemRandom random;
    ondrix::QtDialogs dialogs;
    std::unique_ptr<ondrix::MpvEngine> engine;
    std::unique_ptr<ondrix::Wavelark> window;
    try {
        engine = std::make_unique<ondrix::MpvEngine>();
        window = std::make_unique<ondrix::Wavelark>(
            ondrix::WavelarkServices{*engine, shell, clock, random, dialogs});
    } catch (const ondrix::RuntimeError& error) {
        // No engine: the program ends before any window is shown.
        ondrix::failAndExit(error.message());
    }
    ondrix::startWindow(*window);
    // Media keys and panels; the window owns it, and without a session bus
    // there is none.
    ondrix::MprisService::start(*window, *engine, window.get());
    const int status = app.exec();
    window.reset();  // before the engine it uses
    return status;
}
