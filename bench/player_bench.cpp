#include "player_bench.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <QUrl>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "measure.h"
#include "media/mpv_engine.h"
#include "mpv_peer.h"
#include "platform/local_time.h"
#include "platform/random_source.h"
#include "platform/runtime_error.h"
#include "platform/shell.h"
#include "player/window.h"
#include "real_player.h"
#include "ui/dialogs.h"
#include "ui/fonts.h"
#include "ui/guarded_application.h"

namespace bench {

namespace {

constexpr int kPlayTimeoutMs = 20000;
// Listening time between two switches, as a user would, for both players.
constexpr int kListenMs = 300;

const QStringList kMpvOptions{QStringLiteral("--no-config"), QStringLiteral("--no-video"),
                              QStringLiteral("--ao=null")};

// The server's own pace: milliseconds from connecting to a stream to its
// first audio byte (the first byte after the response's header), for a bare
// socket client that does nothing else; -1 on failure.
double firstAudioByteMs(const QString& address, int timeoutMs) {
    const QUrl url(address);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const QByteArray host = url.host().toUtf8();
    const QByteArray port = QByteArray::number(url.port(80));
    if (getaddrinfo(host.constData(), port.constData(), &hints, &found) != 0) return -1;
    const int fd = socket(found->ai_family, found->ai_socktype, found->ai_protocol);
    QElapsedTimer timer;
    timer.start();
    double result = -1;
    if (fd >= 0 && ::connect(fd, found->ai_addr, found->ai_addrlen) == 0) {
        const QByteArray request = "GET " + url.path(QUrl::FullyEncoded).toUtf8() +
                                   " HTTP/1.0\r\nHost: " + host + "\r\n\r\n";
        QByteArray received;
        bool headerDone = false;
        if (send(fd, request.constData(), request.size(), 0) == request.size()) {
            while (timer.elapsed() < timeoutMs) {
                pollfd ready{fd, POLLIN, 0};
                if (poll(&ready, 1, 100) <= 0) continue;
                char buffer[4096];
                const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
                if (n <= 0) break;
                received.append(buffer, n);
                const qsizetype end = received.indexOf("\r\n\r\n");
                if (!headerDone && end >= 0) headerDone = true;
                if (headerDone && received.size() > end + 4) {
                    result = elapsedMs(timer);
                    break;
                }
            }
        }
    }
    if (fd >= 0) close(fd);
    freeaddrinfo(found);
    return result;
}

}  // namespace

int runStartupBench(const StartupOptions& options) {
    std::vector<double> player;
    std::vector<double> mpv;
    for (int run = 0; run < options.runs; ++run) {
        const double playerMs = timeUntilOutput(
            QCoreApplication::applicationDirPath() + QStringLiteral("/ondrix_bench_player"), {},
            options.settingsFolder, "playing", kPlayTimeoutMs);
        const double mpvMs = timeUntilOutput(
            QStringLiteral("mpv"),
            kMpvOptions + QStringList{QStringLiteral("--really-quiet"),
                                      QStringLiteral("--script=") + options.firstAudioScript,
                                      options.url},
            options.settingsFolder, "first-audio", kPlayTimeoutMs);
        if (playerMs < 0 || mpvMs < 0) {
            std::fprintf(stderr,
                         "bench: start-up run %d did not reach audio (player %.0f, mpv %.0f)\n",
                         run + 1, playerMs, mpvMs);
            return 1;
        }
        player.push_back(playerMs);
        mpv.push_back(mpvMs);
    }
    std::printf("startup samples ms: player %s | mpv %s\n", qPrintable(sampleList(player)),
                qPrintable(sampleList(mpv)));
    printFigure(QStringLiteral("startup_player_ms"), median(player), QStringLiteral("ms"));
    printFigure(QStringLiteral("startup_mpv_ms"), median(mpv), QStringLiteral("ms"));
    return 0;
}

int runSwitchBench(int& argc, char** argv, const SwitchOptions& options) {
    ondrix::GuardedApplication app(argc, argv);
    ondrix::installFontSubstitutes();
    if (!QDir::setCurrent(options.settingsFolder)) {
        std::fprintf(stderr, "bench: no settings folder %s\n", qPrintable(options.settingsFolder));
        return 1;
    }

    std::vector<double> player;
    {
        RealPlayer realPlayer(options.audioOutput);
        if (!realPlayer.start()) return 1;
        ondrix::MpvEngine& engine = realPlayer.engine;
        ondrix::Wavelark& window = realPlayer.window;
        const auto playing = [&] { return engine.playState() == ondrix::PlayState::Playing; };
        if (!pollUntil(playing, kPlayTimeoutMs)) {
            std::fprintf(stderr, "bench: station 1 did not play\n");
            return 1;
        }
        for (int i = 0; i < options.switches; ++i) {
            const bool toSecond = i % 2 == 0;
            ondrix::ClickableLabel* button = window.LabelR[toSecond ? 1 : 0];
            const QString& expected = toSecond ? options.urlB : options.urlA;
            QElapsedTimer timer;
            timer.start();
            QTest::mouseClick(button, Qt::LeftButton);
            if (!pollUntil(playing, kPlayTimeoutMs) || engine.URL() != expected) {
                std::fprintf(stderr, "bench: switch %d did not play %s\n", i + 1,
                             qPrintable(expected));
                return 1;
            }
            player.push_back(elapsedMs(timer));
            runEventLoop(kListenMs);
        }
    }

    std::vector<double> mpv;
    try {
        MpvPeer peer(options.socketPath, kMpvOptions);
        const QString playback = QStringLiteral("playback-restart");
        if (!peer.loadFile(options.urlA) || !peer.waitForEvent(playback, kPlayTimeoutMs))
            throw std::runtime_error("mpv did not play the first stream");
        for (int i = 0; i < options.switches; ++i) {
            QThread::msleep(kListenMs);
            peer.discardPending();
            const QString& url = i % 2 == 0 ? options.urlB : options.urlA;
            QElapsedTimer timer;
            timer.start();
            if (!peer.loadFile(url) || !peer.waitForEvent(playback, kPlayTimeoutMs))
                throw std::runtime_error("mpv did not switch");
            mpv.push_back(elapsedMs(timer));
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench: %s\n", error.what());
        return 1;
    }

    // The floor, with the same pause between two connections.
    std::vector<double> floor;
    for (int i = 0; i < options.switches; ++i) {
        QThread::msleep(kListenMs);
        const QString& url = i % 2 == 0 ? options.urlB : options.urlA;
        const double ms = firstAudioByteMs(url, kPlayTimeoutMs);
        if (ms < 0) {
            std::fprintf(stderr, "bench: no audio byte from %s\n", qPrintable(url));
            return 1;
        }
        floor.push_back(ms);
    }

    std::printf("switch samples ms: player %s | mpv %s | first byte %s\n",
                qPrintable(sampleList(player)), qPrintable(sampleList(mpv)),
                qPrintable(sampleList(floor)));
    printFigure(QStringLiteral("switch_player_ms"), median(player), QStringLiteral("ms"));
    printFigure(QStringLiteral("switch_mpv_ms"), median(mpv), QStringLiteral("ms"));
    printFigure(QStringLiteral("switch_floor_ms"), median(floor), QStringLiteral("ms"));
    return 0;
}

}  // namespace bench
