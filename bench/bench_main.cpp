// Harness for scripts/bench: one figure per subcommand, printed as lines that
// the script collects.
#include <QCoreApplication>
#include <QString>
#include <cstdio>

#include "cadence_floor.h"
#include "encoder_bench.h"
#include "idle_breakdown.h"
#include "player_bench.h"
#include "ui/event_loop.h"
#include "ui/x11_images.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: ondrix_bench startup SETTINGS URL FIRST_AUDIO_LUA RUNS\n"
                 "       ondrix_bench switch SETTINGS URL_A URL_B SOCKET COUNT [AO]\n"
                 "       ondrix_bench encoder MARKER_FILE ENCODER_SCRIPT COUNT\n"
                 "       ondrix_bench idle-breakdown SETTINGS SECONDS\n"
                 "       ondrix_bench cadence-floor [repaint|scroll|windows]\n");
    return 2;
}

QString argument(char** argv, int index) {
    return QString::fromLocal8Bit(argv[index]);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    // Windows here draw as the player's own main() has them draw.
    ondrix::preferSocketImagesOnX11();
    ondrix::preferPlainEventLoop();
    const QString command = argument(argv, 1);
    if (command == QLatin1String("startup") && argc == 6) {
        QCoreApplication app(argc, argv);
        return bench::runStartupBench(
            {argument(argv, 2), argument(argv, 3), argument(argv, 4), argument(argv, 5).toInt()});
    }
    if (command == QLatin1String("switch") && (argc == 7 || argc == 8)) {
        bench::SwitchOptions options{argument(argv, 2),
                                     argument(argv, 3),
                                     argument(argv, 4),
                                     argument(argv, 5),
                                     argc == 8 ? argument(argv, 7) : QString(),
                                     argument(argv, 6).toInt()};
        return bench::runSwitchBench(argc, argv, options);
    }
    if (command == QLatin1String("encoder") && argc == 5) {
        return bench::runEncoderBench(
            argc, argv, {argument(argv, 2), argument(argv, 3), argument(argv, 4).toInt()});
    }
    if (command == QLatin1String("idle-breakdown") && argc == 4) {
        return bench::runIdleBreakdown(argc, argv, argument(argv, 2), argument(argv, 3).toInt());
    }
    if (command == QLatin1String("cadence-floor") && argc <= 3) {
        const QString mode = argc == 3 ? argument(argv, 2) : QStringLiteral("scroll");
        if (mode == QLatin1String("repaint"))
            return bench::runCadenceFloor(argc, argv, bench::FloorMode::Repaint);
        if (mode == QLatin1String("scroll"))
            return bench::runCadenceFloor(argc, argv, bench::FloorMode::Scroll);
        if (mode == QLatin1String("windows"))
            return bench::runCadenceFloor(argc, argv, bench::FloorMode::Windows);
    }
    return usage();
}
