#include "idle_breakdown.h"

#include <sys/resource.h>

#include <QDir>
#include <QTimer>
#include <cstdio>
#include <functional>

#include "measure.h"
#include "player/window.h"
#include "real_player.h"
#include "ui/fonts.h"
#include "ui/guarded_application.h"

namespace bench {

namespace {

double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int runIdleBreakdown(int& argc, char** argv, const QString& settingsFolder, int seconds) {
    ondrix::GuardedApplication app(argc, argv);
    ondrix::installFontSubstitutes();
    if (!QDir::setCurrent(settingsFolder)) {
        std::fprintf(stderr, "bench: no settings folder %s\n", qPrintable(settingsFolder));
        return 1;
    }
    RealPlayer player;
    if (!player.start()) return 1;
    ondrix::Wavelark& window = player.window;
    runEventLoop(2000);

    const auto measure = [&](const char* name, const std::function<void()>& setUp) {
        for (QTimer* timer : {window.Timer1, window.Timer2, window.Timer3}) timer->start();
        setUp();
        runEventLoop(500);
        const double before = processCpuSeconds();
        runEventLoop(seconds * 1000);
        const double used = processCpuSeconds() - before;
        std::printf("idle breakdown, %s: %.2f %% of one core\n", name, 100.0 * used / seconds);
        std::fflush(stdout);
    };
    measure("as built", [] {});
    measure("without Timer1 (poller)", [&] { window.Timer1->stop(); });
    measure("without Timer2 (scrolling)", [&] { window.Timer2->stop(); });
    measure("without any timer", [&] {
        for (QTimer* timer : {window.Timer1, window.Timer2, window.Timer3}) timer->stop();
    });
    return 0;
}

}  // namespace bench
