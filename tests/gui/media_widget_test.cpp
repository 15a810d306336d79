#include "player/media_widget.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QSlider>

#include "support/fakes.h"

using ondrix::MediaPlayerWidget;
using ondrix::PlayState;

namespace {

// A fake with the transport operations the widget drives.
class TransportEngine : public testsupport::FakeEngine {
  public:
    int volume() const override { return volume_; }
    void setVolume(int percent) override {
        volume_ = percent;
        calls.push_back(QStringLiteral("volume=%1").arg(percent));
    }
    bool mute() const override { return mute_; }
    void setMute(bool on) override {
        mute_ = on;
        calls.push_back(on ? QStringLiteral("mute") : QStringLiteral("unmute"));
    }
    double duration() const override { return length; }
    void setCurrentPosition(double seconds) override { seeks.push_back(seconds); }
    QString mediaTitle() const override { return title; }
    QString streamTitle() const override { return stream; }

    double length = 0.0;
    QString title, stream;
    std::vector<double> seeks;

  private:
    int volume_ = 50;
    bool mute_ = false;
};

class MediaWidgetTest : public ::testing::Test {
  protected:
    TransportEngine engine;
    MediaPlayerWidget widget{engine};
};

TEST_F(MediaWidgetTest, PlayPauseFollowsTheStateAndStopStops) {
    EXPECT_EQ(widget.volumeSlider()->value(), 50);
    EXPECT_EQ(widget.actions().size(), 5);  // the context menu

    engine.state = PlayState::Stopped;
    widget.playPauseAction()->trigger();
    for (PlayState running : {PlayState::Playing, PlayState::Buffering, PlayState::Reconnecting}) {
        engine.state = running;
        emit engine.playStateChanged(running);
        EXPECT_EQ(widget.playPauseAction()->text(), QStringLiteral("Pause"));
        widget.playPauseAction()->trigger();
    }
    engine.state = PlayState::Paused;
    emit engine.playStateChanged(PlayState::Paused);
    EXPECT_EQ(widget.playPauseAction()->text(), QStringLiteral("Play"));
    widget.playPauseAction()->trigger();
    widget.stopAction()->trigger();

    EXPECT_EQ(engine.calls, (QStringList{QStringLiteral("play"), QStringLiteral("pause"),
                                         QStringLiteral("pause"), QStringLiteral("pause"),
                                         QStringLiteral("play"), QStringLiteral("stop")}));
}

TEST_F(MediaWidgetTest, VolumeAndMuteReachTheEngineAndComeBackWithoutEcho) {
    widget.volumeUpAction()->trigger();
    widget.volumeDownAction()->trigger();
    widget.volumeDownAction()->trigger();
    widget.muteAction()->trigger();
    widget.muteAction()->trigger();
    EXPECT_EQ(engine.calls, (QStringList{QStringLiteral("volume=55"), QStringLiteral("volume=50"),
                                         QStringLiteral("volume=45"), QStringLiteral("mute"),
                                         QStringLiteral("unmute")}));
    for (int i = 0; i < 30; ++i) widget.volumeUpAction()->trigger();
    EXPECT_EQ(engine.volume(), 100);

    // Changes made elsewhere show without being sent back.
    engine.calls.clear();
    emit engine.volumeChanged(20);
    emit engine.muteChanged(true);
    EXPECT_EQ(widget.volumeSlider()->value(), 20);
    EXPECT_TRUE(widget.muteAction()->isChecked());
    EXPECT_TRUE(engine.calls.isEmpty());
}

TEST_F(MediaWidgetTest, DisplayShowsWhatPlaysAndTheStationsTitle) {
    engine.title = QStringLiteral("groovesalad-128-mp3");
    engine.stream = QStringLiteral("Artist - Song");
    emit engine.titleChanged(engine.title);
    EXPECT_EQ(widget.titleText(), engine.title);
    EXPECT_EQ(widget.streamTitleText(), engine.stream);

    engine.stream.clear();
    emit engine.playStateChanged(PlayState::Transitioning);
    EXPECT_EQ(widget.streamTitleText(), QString());
}

TEST_F(MediaWidgetTest, PositionSeeksOnlyInWhatHasALength) {
    emit engine.durationChanged(0.0);  // a live stream
    EXPECT_FALSE(widget.positionSlider()->isEnabled());

    engine.length = 200.0;
    emit engine.durationChanged(200.0);
    EXPECT_TRUE(widget.positionSlider()->isEnabled());
    emit engine.positionChanged(50.0);
    EXPECT_EQ(widget.positionSlider()->value(), 250);

    widget.positionSlider()->setSliderDown(true);
    widget.positionSlider()->setValue(500);
    emit engine.positionChanged(60.0);  // the engine must not move a held slider
    EXPECT_EQ(widget.positionSlider()->value(), 500);
    widget.positionSlider()->setSliderDown(false);
    ASSERT_EQ(engine.seeks.size(), 1u);
    EXPECT_DOUBLE_EQ(engine.seeks[0], 100.0);
}

}  // namespace
