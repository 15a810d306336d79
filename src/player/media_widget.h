#pragma once

#include <QWidget>
#include <functional>

#include "media/media_engine.h"

class QAction;
class QLabel;
class QSlider;
class QToolButton;

namespace ondrix {

// The media player component's own face in the player's middle column: a
// dark display of what plays (and the title a station sends) with the
// transport controls along the bottom. The top of the display is left empty
// because the window draws its status and clock over it.
class MediaPlayerWidget : public QWidget {
    Q_OBJECT
  public:
    MediaPlayerWidget(MediaEngine& engine, QWidget* parent = nullptr);

    // For tests and the context menu alike.
    QAction* playPauseAction() const { return playPauseAction_; }
    QAction* stopAction() const { return stopAction_; }
    QAction* muteAction() const { return muteAction_; }
    QAction* volumeUpAction() const { return volumeUpAction_; }
    QAction* volumeDownAction() const { return volumeDownAction_; }
    QSlider* volumeSlider() const { return volume_; }
    QSlider* positionSlider() const { return position_; }
    QString titleText() const;
    QString streamTitleText() const;

    static constexpr int kVolumeStep = 5;

    // What the Stop button and the menu's Stop do; by default they stop the
    // engine.
    void setStopHandler(std::function<void()> handler) { stopHandler_ = std::move(handler); }
    // What Play does (Pause always pauses the engine); by default it plays.
    void setPlayHandler(std::function<void()> handler) { playHandler_ = std::move(handler); }

  private:
    void playPause();
    void showState(PlayState state);
    void showTitles();
    void showPosition(double seconds);
    void showDuration(double seconds);
    void showVolume(int percent);
    void showMute(bool on);

    MediaEngine& engine_;
    QLabel* title_ = nullptr;
    QLabel* streamTitle_ = nullptr;
    QSlider* position_ = nullptr;
    QSlider* volume_ = nullptr;
    QToolButton* playPauseButton_ = nullptr;
    QToolButton* stopButton_ = nullptr;
    QToolButton* muteButton_ = nullptr;
    QAction* playPauseAction_ = nullptr;
    QAction* stopAction_ = nullptr;
    QAction* muteAction_ = nullptr;
    QAction* volumeUpAction_ = nullptr;
    QAction* volumeDownAction_ = nullptr;
    std::function<void()> stopHandler_;
    std::function<void()> playHandler_;
};

}  // namespace ondrix
