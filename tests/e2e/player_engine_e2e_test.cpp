// The player window over the real libmpv engine and a local Icecast server.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTimer>
#include <algorithm>

#include "media/mpv_engine.h"
#include "platform/paths.h"
#include "player/media_widget.h"
#include "player/window.h"
#include "support/fakes.h"
#include "support/icecast.h"
#include "support/processes.h"
#include "support/temp_folder.h"
#include "support/web_server.h"

using namespace testsupport;
using ondrix::PlayState;

namespace {

QByteArray crlf(const QStringList& lines) {
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

// The real engine, with every address it is asked to open written down.
class RecordingEngine : public ondrix::MpvEngine {
  public:
    RecordingEngine() : ondrix::MpvEngine(nullptr, QStringLiteral("null")) {}
    void setURL(const QString& url, ondrix::AddressOrigin origin) override {
        urls << url;
        ondrix::MpvEngine::setURL(url, origin);
    }
    QStringList urls;
};

class PlayerWithEngine : public ::testing::Test {
  protected:
    PlayerWithEngine() : here_(settings.path()) {
        settings.write(QStringLiteral("!WLKstart.txt"), crlf({"1500", "1500"}));
        settings.write(QStringLiteral("!tzone.txt"), crlf({"0"}));
        settings.write(QStringLiteral("!moving.txt"), crlf({"moving"}));
        settings.write(QStringLiteral("!rkeys.txt"), crlf({}));
    }

    ondrix::Wavelark& window() {
        if (!window_)
            window_ = std::make_unique<ondrix::Wavelark>(
                ondrix::WavelarkServices{engine, shell, clock, random, dialogs});
        return *window_;
    }

    // Generates short MP3 clips of the given length in seconds.
    static bool makeClip(const QString& path, int hz, double seconds) {
        return runCommand(
                   QStringLiteral("ffmpeg"),
                   {QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y"),
                    QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                    QStringLiteral("sine=frequency=%1:duration=%2:sample_rate=44100")
                        .arg(hz)
                        .arg(seconds),
                    QStringLiteral("-ac"), QStringLiteral("2"), QStringLiteral("-b:a"),
                    QStringLiteral("128k"), path}) == 0;
    }

    // Stations 1 and 2 on two live mounts of the server.
    bool twoStationsOn(IcecastServer& server) {
        if (!server.startSource(QStringLiteral("/one"), 440) ||
            !server.startSource(QStringLiteral("/two"), 660))
            return false;
        settings.write(
            QStringLiteral("!rkeys.txt"),
            crlf({"+", "One", "http://one.example/", server.url(QStringLiteral("/one")), "+", "Two",
                  "http://two.example/", server.url(QStringLiteral("/two"))}));
        return true;
    }

    TempFolder settings;
    RecordingEngine engine;
    FakeShell shell;
    ondrix::SystemClock clock;
    ondrix::SystemRandom random;
    FakeDialogs dialogs;

  private:
    CurrentDirectory here_;
    std::unique_ptr<ondrix::Wavelark> window_;
};

}  // namespace

TEST_F(PlayerWithEngine, StationOneListensAtStartAndTheSecondButtonMovesTheListener) {
    if (!IcecastServer::available()) GTEST_SKIP() << "needs icecast2 and ffmpeg";
    IcecastServer server;
    ASSERT_TRUE(twoStationsOn(server));

    QElapsedTimer sinceStart;
    sinceStart.start();
    ondrix::Wavelark& w = window();
    w.Form_Load();
    w.show();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return server.listeners(QStringLiteral("/one")) == 1; }, 5000));
    EXPECT_LT(sinceStart.elapsed(), 2000) << "the listener came late";
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Playing; }, 5000));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return w.Label1->text() == QStringLiteral("128 kbps"); }, 3000))
        << w.Label1->text().toStdString();

    QTest::mouseClick(w.LabelR[1], Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return server.listeners(QStringLiteral("/two")) == 1 &&
                   server.listeners(QStringLiteral("/one")) == 0;
        },
        5000));
    EXPECT_EQ(w.label2->text(), QStringLiteral("http://two.example/"));
}

TEST_F(PlayerWithEngine, OneClickPlaysAFolderOfClipsThroughInListOrder) {
    TempFolder music;
    for (int i = 1; i <= 3; ++i)
        ASSERT_TRUE(makeClip(music.file(QStringLiteral("clip%1.mp3").arg(i)), 300 + 100 * i, 1));
    ondrix::Wavelark& w = window();
    w.Form_Load();
    w.show();
    w.Dir1->setPath(music.path());
    engine.urls.clear();

    QStringList playedWithBitRate;
    w.File1->setListIndex(0);  // one click on the first clip
    const bool throughAll = QTest::qWaitFor(
        [&] {
            // Sample what the status label shows while each clip plays.
            if (engine.playState() == PlayState::Playing &&
                w.Label1->text() == QStringLiteral("128 kbps") &&
                !playedWithBitRate.contains(engine.URL()))
                playedWithBitRate << engine.URL();
            return playedWithBitRate.size() == 3;
        },
        15000);
    EXPECT_TRUE(throughAll) << playedWithBitRate.join(QLatin1Char(' ')).toStdString();
    const QStringList inOrder = {ondrix::joinPath(music.path(), QStringLiteral("clip1.mp3")),
                                 ondrix::joinPath(music.path(), QStringLiteral("clip2.mp3")),
                                 ondrix::joinPath(music.path(), QStringLiteral("clip3.mp3"))};
    EXPECT_EQ(playedWithBitRate, inOrder);
    EXPECT_EQ(engine.urls.mid(0, 3),
              QStringList({inOrder[0], inOrder[1], inOrder[1]}));  // the click, then a shuttle step
}

TEST_F(PlayerWithEngine, AFolderOfFilesThatCannotPlayOpensOneAddressOnly) {
    TempFolder notes;
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        notes.write(QString::fromLatin1(name), "just text\n");
    ondrix::Wavelark& w = window();
    w.Form_Load();
    w.show();
    w.Dir1->setPath(notes.path());
    engine.urls.clear();
    // Only the poller's tick writes the status: once it shows Ready, the
    // tick that would have stepped on has run.
    w.Label1->clear();
    w.File1->setListIndex(1);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return w.Label1->text() == QStringLiteral("Ready"); }, 10000));
    EXPECT_EQ(engine.urls.size(), 1) << engine.urls.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(engine.playState(), PlayState::Ready);
}

TEST_F(PlayerWithEngine, AFolderPlaylistOfADeviceAndAFifoOpensNeitherAndTheWalkGoesOn) {
    TempFolder music;
    const QString fifo = music.file(QStringLiteral(".pipe"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(makeClip(music.file(QStringLiteral("a.mp3")), 500, 1));
    music.write(QStringLiteral("b-list.m3u"), ("/dev/zero\n" + fifo + "\n/dev/zero\n").toUtf8());
    ASSERT_TRUE(makeClip(music.file(QStringLiteral("c.mp3")), 600, 1));
    // A writer opens without waiting only while someone reads the FIFO.
    bool fifoRead = false;
    const auto fifoHasReader = [&] {
        const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) ::close(fd);
        return fd >= 0;
    };
    ondrix::Wavelark& w = window();
    w.Form_Load();
    w.show();
    w.Dir1->setPath(music.path());
    w.File1->setListIndex(0);
    const QString next = ondrix::joinPath(music.path(), QStringLiteral("c.mp3"));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            fifoRead = fifoRead || fifoHasReader();
            return engine.URL() == next && engine.playState() == PlayState::Playing;
        },
        15000))
        << engine.urls.join(QLatin1Char(' ')).toStdString();
    EXPECT_FALSE(fifoRead);
}

TEST_F(PlayerWithEngine, AStationWhoseSourceStopsIsFollowedByTheNextFileOfTheList) {
    if (!IcecastServer::available()) GTEST_SKIP() << "needs icecast2 and ffmpeg";
    IcecastServer server;
    ASSERT_TRUE(server.startSource(QStringLiteral("/live")));
    TempFolder music;
    ASSERT_TRUE(makeClip(music.file(QStringLiteral("a.mp3")), 500, 3));
    ASSERT_TRUE(makeClip(music.file(QStringLiteral("b.mp3")), 600, 3));
    settings.write(QStringLiteral("!rkeys.txt"), crlf({"+", "Live", "http://live.example/",
                                                       server.url(QStringLiteral("/live"))}));
    engine.setReconnectLimit(2000);  // a dropped stream gives up soon here

    ondrix::Wavelark& w = window();
    w.Form_Load();
    w.show();
    w.Dir1->setPath(music.path());
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Playing; }, 8000));
    server.stopSource(QStringLiteral("/live"));
    // Before any file was clicked the list-order step takes the second entry.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return engine.URL() == ondrix::joinPath(music.path(), QStringLiteral("b.mp3")) &&
                   engine.playState() == PlayState::Playing;
        },
        20000))
        << engine.urls.join(QLatin1Char(' ')).toStdString();
}

namespace {

// Resident memory after handing freed heap pages back to the system, so that
// what remains is memory in use rather than the allocator's slack.
long residentKb() {
    ::malloc_trim(0);
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').constFirst().toLong();
    return -1;
}

// How long the event loop went without running a 5 ms timer: the longest
// gap, and how many gaps were longer than a bound.
class LoopLatency : public QObject {
  public:
    explicit LoopLatency(qint64 boundMs) : boundMs_(boundMs) {
        timer_.setInterval(5);
        connect(&timer_, &QTimer::timeout, this, [this] {
            const qint64 gap = clock_.restart();
            worst_ = std::max(worst_, gap);
            if (gap > boundMs_) ++overBound_;
        });
        clock_.start();
        timer_.start();
    }
    void reset() {
        worst_ = 0;
        overBound_ = 0;
        clock_.restart();
    }
    qint64 worstMs() const { return worst_; }
    int gapsOverBound() const { return overBound_; }

  private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 boundMs_;
    qint64 worst_ = 0;
    int overBound_ = 0;
};

}  // namespace

TEST_F(PlayerWithEngine, ManyStationSwitchesAndAddressChangesStayResponsiveWithoutGrowing) {
    if (!IcecastServer::available()) GTEST_SKIP() << "needs icecast2 and ffmpeg";
    IcecastServer server;
    ASSERT_TRUE(twoStationsOn(server));
    ondrix::Wavelark& w = window();
    w.Form_Load();
    w.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Playing; }, 8000));

    LoopLatency latency(50);
    long afterWarmUp = 0;
    for (int i = 0; i < 500; ++i) {
        QTest::mouseClick(w.LabelR[i % 2], Qt::LeftButton);
        QCoreApplication::processEvents();
        if (i % 25 == 24) QTest::qWait(20);  // let the loads answer
        if (i == 49) {
            // Measured once a stream has played, so that decoding and output
            // buffers count in the base (taken after the wait either way).
            static_cast<void>(
                QTest::qWaitFor([&] { return engine.playState() == PlayState::Playing; }, 8000));
            QTest::qWait(1000);
            afterWarmUp = residentKb();
            latency.reset();
        }
    }
    w.Text1->clear();
    for (int i = 0; i < 2000; ++i) {
        w.Text1->setText(QStringLiteral("http://127.0.0.1:%1/one?%2").arg(server.port()).arg(i));
        QCoreApplication::processEvents();
    }
    const long growthKb = residentKb() - afterWarmUp;
    QTest::mouseClick(w.LabelR[1], Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return engine.playState() == PlayState::Playing &&
                   engine.URL() == server.url(QStringLiteral("/two"));
        },
        15000))
        << "the player still plays after the run";
    EXPECT_LT(growthKb, 5 * 1024) << "resident memory grew by " << growthKb << " kB";
    // A handler that waits on libmpv holds the loop at every switch; a busy
    // machine's scheduler may hold it once or twice.
    EXPECT_LE(latency.gapsOverBound(), 2)
        << latency.gapsOverBound() << " times over 50 ms, the longest " << latency.worstMs()
        << " ms";
    EXPECT_LE(latency.worstMs(), 250)
        << "the event loop was held for " << latency.worstMs() << " ms";
    RecordProperty("rss_growth_kb", static_cast<int>(growthKb));
    RecordProperty("worst_loop_gap_ms", static_cast<int>(latency.worstMs()));
}

#include <QTcpServer>
#include <QTcpSocket>

TEST_F(PlayerWithEngine, AnHlsStationFromAWebServerPlays) {
    if (!haveProgram(QStringLiteral("ffmpeg"))) GTEST_SKIP() << "needs ffmpeg";
    // A playlist of one-second AAC segments, as HLS stations send them.
    TempFolder site;
    ASSERT_EQ(
        runCommand(QStringLiteral("ffmpeg"), {"-loglevel",
                                              "error",
                                              "-y",
                                              "-f",
                                              "lavfi",
                                              "-i",
                                              "sine=frequency=440:duration=6:sample_rate=44100",
                                              "-ac",
                                              "2",
                                              "-c:a",
                                              "aac",
                                              "-b:a",
                                              "96k",
                                              "-f",
                                              "hls",
                                              "-hls_time",
                                              "1",
                                              "-hls_playlist_type",
                                              "vod",
                                              site.file(QStringLiteral("live.m3u8"))}),
        0);
    // A web server for the folder: each request gets the file and the end.
    QTcpServer web;
    ASSERT_TRUE(web.listen(QHostAddress::LocalHost, 0));
    QStringList requested;
    QObject::connect(&web, &QTcpServer::newConnection, [&] {
        while (QTcpSocket* socket = web.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [&, socket] {
                if (!socket->canReadLine()) return;
                const QString path = QString::fromLatin1(socket->readLine()).section(' ', 1, 1);
                requested << path;
                QFile file(site.file(path.mid(1)));
                const QByteArray body =
                    file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
                socket->write(
                    (body.isEmpty() ? "HTTP/1.1 404 Not Found\r\n" : "HTTP/1.1 200 OK\r\n") +
                    QByteArray("Content-Length: ") + QByteArray::number(body.size()) +
                    "\r\nConnection: close\r\n\r\n" + body);
                socket->disconnectFromHost();
            });
        }
    });
    const QString url = QStringLiteral("http://127.0.0.1:%1/live.m3u8").arg(web.serverPort());
    settings.write(QStringLiteral("!rkeys.txt"), crlf({"+", "HLS", "http://hls.example/", url}));

    ondrix::Wavelark& w = window();
    w.Form_Load();
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Playing; }, 10000))
        << "state " << static_cast<int>(engine.playState()) << ", requested "
        << requested.join(' ').toStdString();
    EXPECT_TRUE(requested.contains(QStringLiteral("/live.m3u8")));
    EXPECT_TRUE(std::any_of(requested.begin(), requested.end(), [](const QString& path) {
        return path.endsWith(QLatin1String(".ts"));
    }));
    w.LabelStop_Click();
}

namespace {

TEST_F(PlayerWithEngine, APlaylistWithoutEndStopsWithinSecondsAndSaysWhy) {
    WebServer web;
    const QString deadPort = QString::number(freePort());
    QByteArray dead;
    for (int i = 0; i < 1000; ++i)
        dead += "http://127.0.0.1:" + deadPort.toUtf8() + "/" + QByteArray::number(i) + "\n";
    web.route(QStringLiteral("/self.pls"),
              {.type = "audio/x-scpls",
               .body = "[playlist]\nNumberOfEntries=1\nFile1=" +
                       web.url(QStringLiteral("/self.pls")).toUtf8() + "\n"});
    web.route(QStringLiteral("/a.m3u"),
              {.type = "audio/x-mpegurl", .body = web.url(QStringLiteral("/b.m3u")).toUtf8()});
    web.route(QStringLiteral("/b.m3u"),
              {.type = "audio/x-mpegurl", .body = web.url(QStringLiteral("/a.m3u")).toUtf8()});
    web.route(QStringLiteral("/dead.m3u"), {.type = "audio/x-mpegurl", .body = dead});
    const std::pair<const char*, const char*> cases[] = {
        {"/self.pls", "Playlist lists itself"},
        {"/a.m3u", "Playlist lists itself"},
        {"/dead.m3u", "Playlist: 5 entries in a row failed"},
    };
    ondrix::Wavelark& w = window();
    w.Form_Load();
    // Named copies: clang before 16 cannot capture structured bindings.
    for (const auto& row : cases) {
        const char* path = row.first;
        const char* reason = row.second;
        SCOPED_TRACE(path);
        QElapsedTimer timer;
        timer.start();
        w.Text1->setText(web.url(QString::fromUtf8(path)));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return w.WindowsMediaPlayer1->titleText().startsWith(QString::fromUtf8(reason)) &&
                       w.Label1->text() == QStringLiteral("Ready");
            },
            5000))
            << w.WindowsMediaPlayer1->titleText().toStdString();
        EXPECT_LE(web.requests(QString::fromUtf8(path)), 2);
        // Five dead entries, the later four no faster than a few a second.
        if (QByteArray(path) == "/dead.m3u") {
            EXPECT_GE(timer.elapsed(), 4 * 300);
        }
    }
}

}  // namespace
