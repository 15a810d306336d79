#include <gtest/gtest.h>

#include <QSlider>
#include <QTest>

#include "media/mpv_engine.h"
#include "player/media_widget.h"
#include "support/icecast.h"
#include "support/processes.h"
#include "support/temp_folder.h"

using ondrix::MediaPlayerWidget;
using ondrix::MpvEngine;
using ondrix::PlayState;

namespace {

// The widget on the real engine: what libmpv reports reaches the display.
TEST(MediaWidgetOnMpv, FileShowsItsNameAndMovesThePosition) {
    testsupport::TempFolder folder;
    const QString wav = folder.file(QStringLiteral("Evening Tone.wav"));
    ASSERT_EQ(testsupport::runCommand(
                  QStringLiteral("ffmpeg"),
                  {QStringLiteral("-nostdin"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                   QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                   QStringLiteral("sine=frequency=440:duration=10"), QStringLiteral("-ac"),
                   QStringLiteral("2"), wav}),
              0);
    MpvEngine engine(nullptr, QStringLiteral("null"));
    MediaPlayerWidget widget(engine);

    engine.setURL(wav, ondrix::AddressOrigin::UrlBox);
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Playing; }, 10000));
    EXPECT_EQ(widget.titleText(), QStringLiteral("Evening Tone.wav"));
    EXPECT_TRUE(widget.positionSlider()->isEnabled());
    EXPECT_TRUE(QTest::qWaitFor([&] { return widget.positionSlider()->value() > 100; }, 5000));
    EXPECT_EQ(widget.volumeSlider()->value(), 50);
    engine.setCurrentPosition(8.0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return engine.currentPosition() >= 7.9; }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return widget.positionSlider()->value() >= 790; }, 5000));

    widget.playPauseAction()->trigger();
    EXPECT_EQ(engine.playState(), PlayState::Paused);
    widget.playPauseAction()->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Playing; }, 5000));
    widget.stopAction()->trigger();
    EXPECT_EQ(engine.playState(), PlayState::Stopped);
    EXPECT_EQ(widget.positionSlider()->value(), 0);
}

TEST(MediaWidgetOnMpv, StreamShowsTheStationAndItsSongTitle) {
    if (!testsupport::IcecastServer::available()) GTEST_SKIP() << "icecast2 or ffmpeg missing";
    testsupport::IcecastServer server;
    ASSERT_TRUE(server.startSource(QStringLiteral("/live.mp3")));
    MpvEngine engine(nullptr, QStringLiteral("null"));
    MediaPlayerWidget widget(engine);

    engine.setURL(server.url(QStringLiteral("/live.mp3")), ondrix::AddressOrigin::UrlBox);
    EXPECT_EQ(widget.titleText(), server.url(QStringLiteral("/live.mp3")));  // until it answers
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.playState() == PlayState::Playing; }, 15000));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return widget.titleText() == QStringLiteral("Test tone"); }, 5000));
    EXPECT_FALSE(widget.positionSlider()->isEnabled());

    ASSERT_TRUE(server.setStreamTitle(QStringLiteral("/live.mp3"), QStringLiteral("Band - Tune")));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return widget.streamTitleText() == QStringLiteral("Band - Tune"); }, 15000));
}

}  // namespace
