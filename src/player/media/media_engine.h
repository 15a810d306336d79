#pragma once

#include <QObject>
#include <QString>

namespace ondrix {

// playState values of the media player component.
namespace PlayState {
constexpr int Undefined = 0;
constexpr int Stopped = 1;
constexpr int Paused = 2;
constexpr int Playing = 3;
constexpr int ScanForward = 4;
constexpr int ScanReverse = 5;
constexpr int Buffering = 6;
constexpr int Waiting = 7;
constexpr int MediaEnded = 8;
constexpr int Transitioning = 9;
constexpr int Ready = 10;
constexpr int Reconnecting = 11;
}  // namespace PlayState

// The operations the player uses of its media player component. Every call
// returns at once; playState() is a cached value, cheap to poll.
class MediaEngine : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;
    ~MediaEngine() override = default;

    virtual void controlsStop() = 0;
    virtual void controlsPlay() = 0;
    // With autoStart on, a new URL opens and plays by itself.
    virtual void setURL(const QString& url) = 0;
    virtual QString URL() const = 0;
    virtual int playState() const = 0;
    // currentMedia.getItemInfo(attribute); "bitrate" is bits per second as
    // decimal text, empty when unknown.
    virtual QString currentMediaItemInfo(const QString& attribute) const = 0;

    // What the component's own transport controls need. The defaults make an
    // engine without them (a test fake) behave as one that cannot pause or seek.
    virtual void controlsPause() {}
    virtual int volume() const { return 50; }
    virtual void setVolume(int /*percent*/) {}
    virtual bool mute() const { return false; }
    virtual void setMute(bool /*on*/) {}
    // Seconds; a duration of 0 means none is known (a live stream).
    virtual double currentPosition() const { return 0.0; }
    virtual double duration() const { return 0.0; }
    virtual void setCurrentPosition(double /*seconds*/) {}
    // The name of what plays, and the title a station sends (ICY), if any.
    virtual QString mediaTitle() const { return URL(); }
    virtual QString streamTitle() const { return QString(); }

  signals:
    // For the component's own display; the player itself polls.
    void playStateChanged(int state);
    void bitRateChanged();
    void titleChanged(const QString& title);
    void positionChanged(double seconds);
    void durationChanged(double seconds);
    void volumeChanged(int percent);
    void muteChanged(bool on);
};

}  // namespace ondrix
