#include "media/mpv_engine.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QtEndian>
#include <cmath>
#include <vector>

#include "support/icecast.h"
#include "support/processes.h"
#include "support/temp_folder.h"
#include "support/wav_tone.h"
#include "support/web_server.h"

using ondrix::MpvEngine;
using ondrix::PlayState;
using testsupport::wavTone;

namespace {

// Addresses as typed into the URL box.
constexpr auto kTyped = ondrix::AddressOrigin::UrlBox;

// Every state the engine reports, in order.
struct StateLog {
    explicit StateLog(MpvEngine& engine)
        : connection(QObject::connect(&engine, &MpvEngine::playStateChanged, &engine,
                                      [this](PlayState state) { states.push_back(state); })) {}
    ~StateLog() { QObject::disconnect(connection); }
    bool saw(PlayState state) const {
        return std::find(states.begin(), states.end(), state) != states.end();
    }
    QMetaObject::Connection connection;
    std::vector<PlayState> states;
};

// Waits until what plays has moved on by a few reports of its position:
// whatever libmpv still had on its way meanwhile has arrived.
bool playsOn(const MpvEngine& engine) {
    const double from = engine.currentPosition();
    return QTest::qWaitFor(
               [&] {
                   return engine.playState() != PlayState::Playing ||
                          engine.currentPosition() > from;
               },
               10000) &&
           engine.playState() == PlayState::Playing;
}

class MpvEngineTest : public ::testing::Test {
  protected:
    testsupport::TempFolder folder;
    MpvEngine engine{nullptr, QStringLiteral("null")};
};

TEST_F(MpvEngineTest, WavFilePlaysToItsEndWithItsNominalBitRate) {
    folder.write(QStringLiteral("tone.wav"), wavTone(1.5));
    StateLog log(engine);
    EXPECT_EQ(engine.playState(), PlayState::Undefined);

    engine.setURL(folder.file(QStringLiteral("tone.wav")), kTyped);
    EXPECT_EQ(engine.playState(), PlayState::Transitioning);  // at once, before any event

    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Playing; }, 10000));
    EXPECT_EQ(engine.currentMediaItemInfo(QStringLiteral("bitrate")), QStringLiteral("1411200"));
    EXPECT_EQ(engine.mediaTitle(), QStringLiteral("tone.wav"));
    EXPECT_NEAR(engine.duration(), 1.5, 0.05);

    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Stopped; }, 10000));
    // A file is never reconnected, nor reported as unplayable.
    EXPECT_FALSE(log.saw(PlayState::Reconnecting));
    EXPECT_FALSE(log.saw(PlayState::Ready));
    EXPECT_EQ(log.states.front(), PlayState::Transitioning);
    EXPECT_EQ(engine.currentMediaItemInfo(QStringLiteral("bitrate")), QString());
}

TEST_F(MpvEngineTest, BitRateFollowsTheFileNowPlaying) {
    folder.write(QStringLiteral("cd.wav"), wavTone(5.0));
    folder.write(QStringLiteral("phone.wav"), wavTone(5.0, 440.0, 8000, 1));
    const QString bitRate = QStringLiteral("bitrate");
    engine.setURL(folder.file(QStringLiteral("cd.wav")), kTyped);
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Playing; }, 10000));
    EXPECT_EQ(engine.currentMediaItemInfo(bitRate), QStringLiteral("1411200"));
    EXPECT_EQ(engine.currentMediaItemInfo(bitRate), QStringLiteral("1411200"));  // asked again

    engine.setURL(folder.file(QStringLiteral("phone.wav")), kTyped);
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Playing; }, 10000));
    EXPECT_EQ(engine.currentMediaItemInfo(bitRate), QStringLiteral("128000"));
    EXPECT_EQ(engine.currentMediaItemInfo(QStringLiteral("BitRate")), QStringLiteral("128000"));
    EXPECT_EQ(engine.currentMediaItemInfo(QStringLiteral("duration")), QString());
}

TEST_F(MpvEngineTest, PlaylistPlaysItsFirstPlayableEntry) {
    folder.write(QStringLiteral("tone.wav"), wavTone(1.0));
    folder.write(QStringLiteral("bad.txt"), "no audio");
    folder.write(QStringLiteral("list.m3u"),
                 (folder.file(QStringLiteral("missing.wav")) + QLatin1Char('\n') +
                  folder.file(QStringLiteral("bad.txt")) + QLatin1Char('\n') +
                  folder.file(QStringLiteral("tone.wav")) + QLatin1Char('\n'))
                     .toUtf8());
    folder.write(QStringLiteral("dead.m3u"),
                 (folder.file(QStringLiteral("missing.wav")) + QLatin1Char('\n') +
                  folder.file(QStringLiteral("bad.txt")))
                     .toUtf8());
    {
        StateLog log(engine);
        engine.setURL(folder.file(QStringLiteral("list.m3u")), kTyped);
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return engine.playState() == PlayState::Playing; }, 10000));
        EXPECT_EQ(engine.currentMediaItemInfo(QStringLiteral("bitrate")),
                  QStringLiteral("1411200"));
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return engine.playState() == PlayState::Stopped; }, 10000));
        EXPECT_FALSE(log.saw(PlayState::Ready));
    }
    engine.setURL(folder.file(QStringLiteral("dead.m3u")), kTyped);
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Ready; }, 10000));
}

TEST_F(MpvEngineTest, StopPlayPauseAndResume) {
    folder.write(QStringLiteral("long.wav"), wavTone(20));
    engine.controlsPlay();  // nothing to play yet
    EXPECT_EQ(engine.playState(), PlayState::Undefined);
    engine.controlsStop();
    EXPECT_EQ(engine.playState(), PlayState::Undefined);

    engine.setURL(folder.file(QStringLiteral("long.wav")), kTyped);
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Playing; }, 10000));

    engine.controlsPause();
    EXPECT_EQ(engine.playState(), PlayState::Paused);
    engine.controlsPlay();
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Playing; }, 10000));

    StateLog log(engine);
    engine.controlsStop();
    EXPECT_EQ(engine.playState(), PlayState::Stopped);
    engine.controlsPlay();
    EXPECT_EQ(engine.playState(), PlayState::Transitioning);
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Playing; }, 10000));
    // Late events of the stopped load changed nothing, before or after the play.
    EXPECT_EQ(log.states, (std::vector<PlayState>{PlayState::Stopped, PlayState::Transitioning,
                                                  PlayState::Buffering, PlayState::Playing}));

    engine.setVolume(80);
    engine.setMute(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.volume() == 80 && engine.mute(); }, 5000));
}

TEST_F(MpvEngineTest, AddressesThatCannotBePlayedEndAsReadyNotStopped) {
    folder.write(QStringLiteral("notes.txt"), "This is not audio at all.\r\nJust text.\r\n");
    const QStringList addresses = {
        folder.file(QStringLiteral("notes.txt")),
        folder.file(QStringLiteral("missing.mp3")),
        QStringLiteral("http://127.0.0.1:%1/stream").arg(testsupport::freePort()),
        QStringLiteral("fdclose://0"),  // would close the player's own stdin
        folder.path(),                  // would play every file beneath it
        QStringLiteral("-"),            // standard input
        QStringLiteral("av://lavfi:sine"),
    };
    // One log for all: a late event of one address shows while the next opens.
    StateLog log(engine);
    for (const QString& address : addresses) {
        SCOPED_TRACE(address.toStdString());
        engine.setURL(address, kTyped);
        ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Ready; }, 15000));
        EXPECT_FALSE(log.saw(PlayState::Stopped));
        EXPECT_FALSE(log.saw(PlayState::Playing));
        // A stop of the failed address keeps Ready, so no shuttle step follows.
        engine.controlsStop();
        EXPECT_EQ(engine.playState(), PlayState::Ready);
    }
    engine.setURL(QString(), kTyped);
    EXPECT_EQ(engine.playState(), PlayState::Ready);
}

TEST_F(MpvEngineTest, AFailedAddressSaysWhyUntilTheNextIsSet) {
    testsupport::WebServer web;
    web.route(QStringLiteral("/page"),
              {.type = "text/html", .body = "<html><body>A web page, not audio.</body></html>\n"});
    web.route(QStringLiteral("/silent"), testsupport::WebServer::Reply::noAnswer());
    engine.setNetworkTimeout(2);
    // Files with no audio at all: a picture and a film without sound.
    QImage(16, 16, QImage::Format_RGB32).save(folder.file(QStringLiteral("cover.png")));
    ASSERT_EQ(testsupport::runCommand(
                  QStringLiteral("ffmpeg"),
                  {"-loglevel", "error", "-f", "lavfi", "-i", "testsrc=duration=1:size=64x48",
                   folder.file(QStringLiteral("silent-film.mkv"))}),
              0);
    const std::pair<QString, const char*> cases[] = {
        {folder.file(QStringLiteral("cover.png")), "Not an audio stream"},
        {folder.file(QStringLiteral("silent-film.mkv")), "Not an audio stream"},
        {web.url(QStringLiteral("/gone")), "Not found (404)"},
        {QStringLiteral("http://127.0.0.1:%1/x").arg(testsupport::freePort()),
         "Connection refused"},
        // ".invalid" never resolves.
        {QStringLiteral("http://nosuch.invalid/x"), "Server not found"},
        {web.url(QStringLiteral("/page")), "Not an audio stream"},
        {web.url(QStringLiteral("/silent")), "No answer from the server"},
        {QStringLiteral("htp://127.0.0.1/x"), "Cannot open this address"},
        {folder.file(QStringLiteral("missing.mp3")), "File not found"},
    };
    for (const auto& [address, reason] : cases) {
        SCOPED_TRACE(address.toStdString());
        engine.setURL(address, kTyped);
        if (engine.playState() != PlayState::Ready) {
            EXPECT_EQ(engine.failureText(), QString());  // the last one's reason is gone
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Ready; }, 10000));
        EXPECT_TRUE(QTest::qWaitFor(
            [&, reason = reason] { return engine.failureText() == QString::fromUtf8(reason); },
            2000))
            << engine.failureText().toStdString();
    }
}

// A change away from something playing loads on the other libmpv core;
// libavformat tells its network errors through the first core made only.
TEST_F(MpvEngineTest, AFailureOnEitherCoreSaysWhy) {
    testsupport::WebServer web;
    folder.write(QStringLiteral("tone.wav"), wavTone(30));
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        engine.setURL(folder.file(QStringLiteral("tone.wav")), kTyped);
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return engine.playState() == PlayState::Playing; }, 10000));
        engine.setURL(web.url(QStringLiteral("/gone")), kTyped);
        ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Ready; }, 10000));
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return engine.failureText() == QStringLiteral("Not found (404)"); }, 2000))
            << engine.failureText().toStdString();
    }
}

TEST_F(MpvEngineTest, EventsOfAnEarlierLoadDoNotChangeTheNewOne) {
    folder.write(QStringLiteral("a.wav"), wavTone(20, 440));
    folder.write(QStringLiteral("b.wav"), wavTone(20, 660));
    folder.write(QStringLiteral("bad.txt"), "no audio");

    // A playing file replaced by another: its end must not read as Stopped.
    engine.setURL(folder.file(QStringLiteral("a.wav")), kTyped);
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Playing; }, 10000));
    {
        StateLog log(engine);
        engine.setURL(folder.file(QStringLiteral("b.wav")), kTyped);
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return engine.playState() == PlayState::Playing; }, 10000));
        EXPECT_TRUE(playsOn(engine));
        EXPECT_FALSE(log.saw(PlayState::Stopped));
        EXPECT_FALSE(log.saw(PlayState::Ready));
    }
    // An unplayable address replaced at once: its failure arrives after the
    // new load was queued and must not mark the new one as Ready.
    {
        // One log for all: a late failure of one round shows in the next.
        StateLog log(engine);
        for (int round = 0; round < 5; ++round) {
            engine.setURL(folder.file(QStringLiteral("bad.txt")), kTyped);
            engine.setURL(folder.file(QStringLiteral("a.wav")), kTyped);
            ASSERT_TRUE(
                QTest::qWaitFor([&] { return engine.playState() == PlayState::Playing; }, 10000));
            EXPECT_FALSE(log.saw(PlayState::Ready)) << "round " << round;
        }
        EXPECT_TRUE(playsOn(engine));
        EXPECT_FALSE(log.saw(PlayState::Ready));
    }
    // And the other way round: the good file's events must not hide the failure.
    engine.setURL(folder.file(QStringLiteral("b.wav")), kTyped);
    engine.setURL(folder.file(QStringLiteral("bad.txt")), kTyped);
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Ready; }, 10000));
    // Its late events would show before the next address plays.
    StateLog log(engine);
    engine.setURL(folder.file(QStringLiteral("a.wav")), kTyped);
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Playing; }, 10000));
    EXPECT_EQ(log.states, (std::vector<PlayState>{PlayState::Transitioning, PlayState::Buffering,
                                                  PlayState::Playing}));
}

TEST_F(MpvEngineTest, ThousandsOfCallsInARowLeaveTheLastAddressPlaying) {
    folder.write(QStringLiteral("a.wav"), wavTone(20, 440));
    folder.write(QStringLiteral("b.wav"), wavTone(20, 660));
    const QString a = folder.file(QStringLiteral("a.wav"));
    const QString b = folder.file(QStringLiteral("b.wav"));
    // One address per keystroke, with no event processed in between.
    for (int i = 0; i < 2000; ++i) engine.setURL(b.left(1 + i % b.size()), kTyped);
    engine.setURL(a, kTyped);
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Playing; }, 20000));
    EXPECT_EQ(engine.mediaTitle().toStdString(), "a.wav");

    for (int i = 0; i < 501; ++i) {  // station switches, ending on b
        engine.controlsStop();
        engine.setURL(i % 2 ? a : b, kTyped);
        engine.controlsPlay();
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Playing; }, 20000));
    EXPECT_EQ(engine.mediaTitle().toStdString(), "b.wav");
    EXPECT_TRUE(playsOn(engine));
}

TEST_F(MpvEngineTest, EndIsFoundAfterEventsWereLostWhileTheThreadWasHeld) {
    // A long playlist of missing files makes thousands of events; with the
    // window's thread held meanwhile, libmpv's queue runs over and drops them.
    folder.write(QStringLiteral("tone.wav"), wavTone(0.5));
    QByteArray list;
    for (int i = 0; i < 1500; ++i)
        list += folder.file(QStringLiteral("missing%1.wav").arg(i)).toUtf8() + '\n';
    list += folder.file(QStringLiteral("tone.wav")).toUtf8() + '\n';
    folder.write(QStringLiteral("long.m3u"), list);

    engine.setURL(folder.file(QStringLiteral("long.m3u")), kTyped);
    QThread::sleep(6);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return engine.playState() == PlayState::Stopped ||
                   engine.playState() == PlayState::Ready;
        },
        10000))
        << "state " << static_cast<int>(engine.playState());

    engine.setURL(folder.file(QStringLiteral("tone.wav")), kTyped);
    EXPECT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Playing; }, 10000));
}

TEST_F(MpvEngineTest, ASilentServerTimesOutWithoutHoldingTheEventLoop) {
    testsupport::WebServer silent;
    silent.route(QStringLiteral("/live"), testsupport::WebServer::Reply::noAnswer());
    engine.setNetworkTimeout(2);

    qint64 longestGapMs = 0;
    QElapsedTimer sinceTick;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { longestGapMs = std::max(longestGapMs, sinceTick.restart()); });
    ticker.start(10);
    sinceTick.start();

    StateLog log(engine);
    engine.controlsStop();
    engine.setURL(silent.url(QStringLiteral("/live")), kTyped);
    engine.controlsPlay();
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Ready; }, 30000));
    ticker.stop();

    EXPECT_EQ(silent.requests(QStringLiteral("/live")), 1);  // it did connect and wait
    EXPECT_FALSE(log.saw(PlayState::Stopped));
    // Held for the network timeout, the loop would miss its ticks for two
    // seconds; the bound leaves room for a busy machine.
    EXPECT_LT(longestGapMs, 1000) << "the event loop was held";
}

TEST_F(MpvEngineTest, FiniteFileFromAWebServerEndsStoppedAndIsFetchedOnce) {
    testsupport::WebServer server;
    server.route(QStringLiteral("/tone.wav"), {.type = "audio/wav", .body = wavTone(3.0)});
    StateLog log(engine);
    engine.setURL(server.url(QStringLiteral("/tone.wav")), kTyped);
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Playing; }, 10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Stopped; }, 10000));
    // Whether to fetch again is settled before Stopped is told.
    EXPECT_EQ(server.requests(QStringLiteral("/tone.wav")), 1);
    EXPECT_FALSE(log.saw(PlayState::Reconnecting));
}

// Each kind of source ends or reconnects by what its server said.
class MpvEngineSourceTest : public MpvEngineTest {
  protected:
    void SetUp() override {
        if (!testsupport::haveProgram(QStringLiteral("ffmpeg"))) GTEST_SKIP() << "needs ffmpeg";
    }
    // An MP3 tone, or HLS segments of it when `hls` names a playlist.
    QByteArray encode(double seconds, const QStringList& output) {
        QStringList args = {"-loglevel",
                            "error",
                            "-y",
                            "-f",
                            "lavfi",
                            "-i",
                            QStringLiteral("sine=frequency=440:duration=%1").arg(seconds),
                            "-ac",
                            "2",
                            "-b:a",
                            "128k"};
        EXPECT_EQ(testsupport::runCommand(QStringLiteral("ffmpeg"), args + output), 0);
        QFile file(output.last());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QByteArray mp3(double seconds) {
        return encode(seconds, {folder.file(QStringLiteral("clip.mp3"))});
    }
    // Serves every file of the folder under its name.
    void serveFolder(testsupport::WebServer& web, const QByteArray& type) {
        for (const QString& name : QDir(folder.path()).entryList(QDir::Files)) {
            QFile file(folder.file(name));
            if (file.open(QIODevice::ReadOnly))
                web.route(QLatin1Char('/') + name, {.type = type, .body = file.readAll()});
        }
    }
    bool waitFor(PlayState state, int ms = 15000) {
        return QTest::qWaitFor([&] { return engine.playState() == state; }, ms);
    }
    static int count(const StateLog& log, PlayState state) {
        return static_cast<int>(std::count(log.states.begin(), log.states.end(), state));
    }
};

// A file's title tag names it, whether it lies on the disk or a web server
// sends it.
TEST_F(MpvEngineSourceTest, AFileShowsItsTitleTagFromTheDiskAndTheWeb) {
    const QString tagged = folder.file(QStringLiteral("tagged.mp3"));
    testsupport::WebServer web;
    web.route(QStringLiteral("/tagged.mp3"),
              {.type = "audio/mpeg",
               .body = encode(
                   30, {QStringLiteral("-metadata"), QStringLiteral("title=Long Local"), tagged})});
    for (const QString& address : {tagged, web.url(QStringLiteral("/tagged.mp3"))}) {
        engine.setURL(address, kTyped);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return engine.mediaTitle() == QStringLiteral("Long Local"); }, 10000))
            << address.toStdString() << ": " << engine.mediaTitle().toStdString();
        EXPECT_EQ(engine.titleTag(), QStringLiteral("Long Local"));
    }
}

TEST_F(MpvEngineSourceTest, AFileSentChunkedWithoutALengthEndsOnce) {
    testsupport::WebServer web;
    web.route(QStringLiteral("/clip.mp3"),
              {.body = mp3(3), .framing = testsupport::WebServer::Reply::Framing::Chunked});
    StateLog log(engine);
    engine.setURL(web.url(QStringLiteral("/clip.mp3")), kTyped);
    ASSERT_TRUE(waitFor(PlayState::Stopped));
    // Asked once more to learn it was a file, never played again.
    EXPECT_LE(web.requests(QStringLiteral("/clip.mp3")), 2);
    EXPECT_EQ(count(log, PlayState::Playing), 1);
    EXPECT_FALSE(waitFor(PlayState::Playing, 3000));
}

TEST_F(MpvEngineSourceTest, ALiveStreamSentChunkedIsReconnectedWhenCut) {
    testsupport::WebServer web;
    web.route(QStringLiteral("/live"), {.body = mp3(10), .liveBytesPerSecond = 16000});
    engine.setURL(web.url(QStringLiteral("/live")), kTyped);
    ASSERT_TRUE(waitFor(PlayState::Playing));
    StateLog log(engine);
    web.cut();
    ASSERT_TRUE(waitFor(PlayState::Reconnecting));
    ASSERT_TRUE(waitFor(PlayState::Playing, 20000));
    EXPECT_FALSE(log.saw(PlayState::Stopped));
}

TEST_F(MpvEngineSourceTest, ASwitchAwayFromAStreamGoneQuietPlaysTheNextAtOnce) {
    // The quiet stream's core closes it only when the next bytes come: the
    // next station must not wait behind that.
    testsupport::WebServer web;
    const QByteArray tone = mp3(10);
    web.route(QStringLiteral("/quiet"), {.body = tone, .liveBytesPerSecond = 16000});
    web.route(QStringLiteral("/next"), {.body = tone, .liveBytesPerSecond = 16000});
    engine.setURL(web.url(QStringLiteral("/quiet")), kTyped);
    ASSERT_TRUE(waitFor(PlayState::Playing));
    web.hush();
    ASSERT_TRUE(waitFor(PlayState::Buffering));  // it ran dry
    QElapsedTimer switched;
    switched.start();
    engine.setURL(web.url(QStringLiteral("/next")), kTyped);
    ASSERT_TRUE(waitFor(PlayState::Playing, 15000));
    EXPECT_LT(switched.elapsed(), 1000);
}

TEST_F(MpvEngineSourceTest, HlsOnDemandEndsOnce) {
    encode(4, {"-f", "hls", "-hls_time", "1", "-hls_playlist_type", "vod",
               folder.file(QStringLiteral("vod.m3u8"))});
    testsupport::WebServer web;
    serveFolder(web, "application/vnd.apple.mpegurl");
    StateLog log(engine);
    engine.setURL(web.url(QStringLiteral("/vod.m3u8")), kTyped);
    ASSERT_TRUE(waitFor(PlayState::Stopped, 20000));
    EXPECT_FALSE(log.saw(PlayState::Reconnecting));
    EXPECT_EQ(web.requests(QStringLiteral("/vod0.ts")), 1);
    // libmpv reads the playlist to learn what it is, then libavformat.
    EXPECT_LE(web.requests(QStringLiteral("/vod.m3u8")), 2);
}

TEST_F(MpvEngineSourceTest, HlsLiveGoneForTenSecondsPlaysAgainAndGoneForGoodSaysWhy) {
    // A live playlist: no end marker, so the player keeps asking for it.
    encode(4, {"-f", "hls", "-hls_time", "1", "-hls_list_size", "0",
               folder.file(QStringLiteral("live.m3u8"))});
    testsupport::WebServer web;
    serveFolder(web, "application/vnd.apple.mpegurl");
    const QString playlist = QStringLiteral("/live.m3u8");
    QFile file(folder.file(QStringLiteral("live.m3u8")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray live = file.readAll().replace("#EXT-X-ENDLIST\n", "");
    web.route(playlist, {.type = "application/vnd.apple.mpegurl", .body = live});

    engine.setURL(web.url(playlist), kTyped);
    ASSERT_TRUE(waitFor(PlayState::Playing));
    StateLog log(engine);
    web.route(playlist, testsupport::WebServer::Reply::failing(404));
    ASSERT_TRUE(waitFor(PlayState::Reconnecting, 30000));
    QElapsedTimer gone;
    gone.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return gone.elapsed() >= 10000; }, 15000));
    EXPECT_EQ(engine.playState(), PlayState::Reconnecting);
    web.route(playlist, {.type = "application/vnd.apple.mpegurl", .body = live});
    ASSERT_TRUE(waitFor(PlayState::Playing, 30000));
    EXPECT_FALSE(log.saw(PlayState::Stopped));

    // Gone for good, it ends with what the server kept answering.
    engine.setReconnectLimit(3000);
    web.route(playlist, testsupport::WebServer::Reply::failing(404));
    ASSERT_TRUE(waitFor(PlayState::Stopped, 30000));
    EXPECT_EQ(engine.failureText(), QStringLiteral("Not found (404)"));
}

// Whether anything listens on the port, TCP or UDP, as `ss` sees it.
bool portBound(int port) {
    QString out;
    testsupport::runCommand(QStringLiteral("ss"),
                            {QStringLiteral("-Hlntu"), QStringLiteral("sport = :%1").arg(port)},
                            QProcessEnvironment::systemEnvironment(), &out);
    return !out.trimmed().isEmpty();
}

TEST_F(MpvEngineTest, NoStationMakesThePlayerListen) {
    if (!testsupport::haveProgram(QStringLiteral("ss"))) GTEST_SKIP() << "needs ss";
    const int port = testsupport::freePort();
    // An SDP description makes libavformat bind the RTP ports it lists.
    const QByteArray sdp = QStringLiteral(
                               "v=0\r\no=- 0 0 IN IP4 127.0.0.1\r\ns=x\r\n"
                               "c=IN IP4 0.0.0.0\r\nt=0 0\r\n"
                               "m=audio %1 RTP/AVP 14\r\n")
                               .arg(port)
                               .toUtf8();
    testsupport::WebServer web;
    web.route(QStringLiteral("/live.sdp"), {.type = "application/sdp", .body = sdp});
    folder.write(QStringLiteral("live.sdp"), sdp);
    engine.setStallLimit(3000);
    for (const QString& address :
         {QStringLiteral("udp://@:%1").arg(port), QStringLiteral("rtp://@:%1").arg(port),
          QStringLiteral("srt://:%1?mode=listener").arg(port),
          QStringLiteral("tcp://127.0.0.1:%1?listen=1").arg(port),
          web.url(QStringLiteral("/live.sdp")), folder.file(QStringLiteral("live.sdp"))}) {
        SCOPED_TRACE(address.toStdString());
        bool bound = false;
        engine.setURL(address, ondrix::AddressOrigin::StationFile);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                bound = bound || portBound(port);
                return engine.playState() == PlayState::Ready;
            },
            10000));
        EXPECT_FALSE(bound);
    }
}

TEST_F(MpvEngineTest, StationThatTricklesBytesIsGivenUpAtTheStallLimit) {
    testsupport::WebServer server;
    server.route(QStringLiteral("/slow"), {.body = "\xff", .liveBytesPerSecond = 10});
    engine.setStallLimit(3000);
    StateLog log(engine);
    QElapsedTimer timer;
    timer.start();
    engine.setURL(server.url(QStringLiteral("/slow")), kTyped);
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Ready; }, 15000));
    EXPECT_GE(timer.elapsed(), 2500);  // a coarse timer may fire a little early
    EXPECT_LT(timer.elapsed(), 8000);
    EXPECT_EQ(server.requests(QStringLiteral("/slow")), 1);
    EXPECT_FALSE(log.saw(PlayState::Playing));
    EXPECT_EQ(engine.failureText(), QStringLiteral("Nothing played within 3 s"));
}

TEST_F(MpvEngineTest, ASlotThatRunsANestedEventLoopSeesEveryStateInTurn) {
    // As a slot that opens a modal box does: libmpv's queue is drained again
    // under it, which must find no event of the outer drain still in use.
    folder.write(QStringLiteral("tone.wav"), wavTone(1.0));
    std::vector<PlayState> seen;
    QObject::connect(&engine, &MpvEngine::playStateChanged, &engine, [&](PlayState state) {
        seen.push_back(state);
        QEventLoop nested;
        QTimer::singleShot(100, &nested, &QEventLoop::quit);
        nested.exec();
    });
    engine.setURL(folder.file(QStringLiteral("tone.wav")), kTyped);
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Stopped; }, 10000));
    EXPECT_EQ(seen, (std::vector<PlayState>{PlayState::Transitioning, PlayState::Buffering,
                                            PlayState::Playing, PlayState::Stopped}));
}

class MpvEngineIcecastTest : public MpvEngineTest {
  protected:
    void SetUp() override {
        if (!testsupport::IcecastServer::available()) GTEST_SKIP() << "icecast2 or ffmpeg missing";
        server = std::make_unique<testsupport::IcecastServer>();
        ASSERT_TRUE(server->startSource(QStringLiteral("/tone.mp3")));
    }
    std::unique_ptr<testsupport::IcecastServer> server;
};

TEST_F(MpvEngineIcecastTest, StreamBuffersThenPlaysAt128kbps) {
    StateLog log(engine);
    engine.setURL(server->url(QStringLiteral("/tone.mp3")), kTyped);
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Playing; }, 15000));
    EXPECT_TRUE(log.saw(PlayState::Buffering));
    EXPECT_EQ(engine.currentMediaItemInfo(QStringLiteral("bitrate")), QStringLiteral("128000"));
    EXPECT_EQ(engine.mediaTitle().toStdString(), "Test tone");  // the station's icy-name
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return server->listeners(QStringLiteral("/tone.mp3")) == 1; }, 5000));

    ASSERT_TRUE(
        server->setStreamTitle(QStringLiteral("/tone.mp3"), QStringLiteral("Artist - Song")));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return engine.streamTitle() == QStringLiteral("Artist - Song"); }, 15000));

    engine.controlsStop();
    EXPECT_EQ(engine.playState(), PlayState::Stopped);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return server->listeners(QStringLiteral("/tone.mp3")) == 0; }, 5000));
}

TEST_F(MpvEngineIcecastTest, ASwitchFromAPausedStationPlaysTheNewOneAndClosesTheOld) {
    // The new station starts beside the old one, which closes in its own
    // time: neither the pause nor the old connection may stay behind.
    ASSERT_TRUE(server->startSource(QStringLiteral("/two.mp3"), 523));
    const QString one = server->url(QStringLiteral("/tone.mp3"));
    const QString two = server->url(QStringLiteral("/two.mp3"));
    for (const QString& url : {one, two, one}) {
        SCOPED_TRACE(url.toStdString());
        engine.setURL(url, kTyped);
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return engine.playState() == PlayState::Playing; }, 15000));
        engine.controlsPause();
        if (url == two) engine.controlsStop();
    }
    engine.setURL(two, kTyped);
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Playing; }, 15000));
    EXPECT_EQ(engine.mediaTitle().toStdString(), "Test tone");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return server->listeners(QStringLiteral("/two.mp3")) == 1 &&
                   server->listeners(QStringLiteral("/tone.mp3")) == 0;
        },
        5000));
    EXPECT_TRUE(playsOn(engine));
}

TEST_F(MpvEngineIcecastTest, StoppedSourceIsReconnectedThenGivenUp) {
    engine.setReconnectLimit(3000);
    engine.setURL(server->url(QStringLiteral("/tone.mp3")), kTyped);
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Playing; }, 15000));
    // Long enough for libmpv to guess the stream a length near its position,
    // which must not make the drop look like the end of a file.
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.currentPosition() >= 3; }, 10000));

    StateLog log(engine);
    server->stopSource(QStringLiteral("/tone.mp3"));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return engine.playState() == PlayState::Reconnecting; }, 20000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Stopped; }, 15000));
    EXPECT_EQ(log.states, (std::vector<PlayState>{PlayState::Reconnecting, PlayState::Stopped}));
    // Icecast answers 404 for a mount without a source, and is quoted.
    EXPECT_EQ(engine.failureText(), QStringLiteral("Not found (404)"));

    // Play after the give-up starts the station afresh; no attempt was left
    // pending meanwhile.
    StateLog after(engine);
    ASSERT_TRUE(server->startSource(QStringLiteral("/tone.mp3")));
    EXPECT_TRUE(after.states.empty());
    engine.controlsPlay();
    EXPECT_EQ(engine.playState(), PlayState::Transitioning);
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Playing; }, 15000));
    EXPECT_EQ(engine.failureText(), QString());
}

TEST_F(MpvEngineIcecastTest, ServerBackWithinTheLimitPlaysAgainInEachFormat) {
    for (const QString& mount :
         {QStringLiteral("/tone.mp3"), QStringLiteral("/tone.aac"), QStringLiteral("/tone.ogg")}) {
        SCOPED_TRACE(mount.toStdString());
        ASSERT_TRUE(server->sourceLive(mount) || server->startSource(mount));
        engine.setURL(server->url(mount), kTyped);
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return engine.playState() == PlayState::Playing; }, 15000));

        StateLog log(engine);
        server->stopServer();
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return engine.playState() == PlayState::Reconnecting; }, 20000));
        ASSERT_TRUE(server->startServer());
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return engine.playState() == PlayState::Playing; }, 25000));
        // Failed attempts and the new opening all show as Reconnecting.
        EXPECT_EQ(log.states,
                  (std::vector<PlayState>{PlayState::Reconnecting, PlayState::Playing}));
        EXPECT_TRUE(QTest::qWaitFor([&] { return server->listeners(mount) == 1; }, 5000));
    }
}

TEST_F(MpvEngineIcecastTest, UserStopDuringReconnectEndsIt) {
    engine.setURL(server->url(QStringLiteral("/tone.mp3")), kTyped);
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Playing; }, 15000));
    server->stopSource(QStringLiteral("/tone.mp3"));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return engine.playState() == PlayState::Reconnecting; }, 20000));
    engine.controlsStop();
    EXPECT_EQ(engine.playState(), PlayState::Stopped);
    ASSERT_TRUE(server->startSource(QStringLiteral("/tone.mp3")));
    // A pending attempt would find the source back within its next pause;
    // an attempt already under way when the stop came may connect for a
    // moment while its core closes.
    EXPECT_FALSE(QTest::qWaitFor([&] { return engine.playState() != PlayState::Stopped; }, 3000));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return server->listeners(QStringLiteral("/tone.mp3")) == 0; }, 5000));
}

}  // namespace
