// The player as its own main() builds it, linked with nothing more, that
// prints "playing" once its engine reports playState 3 and then ends: the
// start-up half of ondrix_bench. Run with the settings folder as current
// directory.
#include <QTimer>
#include <cstdio>

#include "media/mpv_engine.h"
#include "platform/local_time.h"
#include "platform/random_source.h"
#include "platform/runtime_error.h"
#include "platform/shell.h"
#include "player/window.h"
#include "real_player.h"
#include "ui/dialogs.h"
#include "ui/event_loop.h"
#include "ui/fonts.h"
#include "ui/guarded_application.h"
#include "ui/x11_images.h"

namespace {
constexpr int kPlayTimeoutMs = 20000;
}

int main(int argc, char** argv) {
    ondrix::preferSocketImagesOnX11();
    ondrix::preferPlainEventLoop();
    ondrix::GuardedApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ondrixWavelark31"));
    ondrix::installFontSubstitutes();

    RealPlayer player;
    if (!player.start()) return 1;
    ondrix::MpvEngine& engine = player.engine;

    QObject::connect(&engine, &ondrix::MediaEngine::playStateChanged, &app,
                     [](ondrix::PlayState state) {
                         if (state != ondrix::PlayState::Playing) return;
                         std::printf("playing\n");
                         std::fflush(stdout);
                         QCoreApplication::quit();
                     });
    QTimer::singleShot(kPlayTimeoutMs, &app, [] { QCoreApplication::exit(1); });
    return app.exec();
}
