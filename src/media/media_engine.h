#pragma once

#include <QObject>
#include <QString>

#include "media/address_gate.h"

namespace ondrix {

// The operations the player uses of its media player component. Every call
// returns at once; playState() is a cached value, cheap to poll.
class MediaEngine : public QObject {
    Q_OBJECT
  public:
    // playState values of the media player component. The numbers are the
    // control's published ones; a value outside them may still be reported.
    enum class PlayState : int {
        Undefined = 0,
        Stopped = 1,
        Paused = 2,
        Playing = 3,
        ScanForward = 4,
        ScanReverse = 5,
        Buffering = 6,
        Waiting = 7,
        MediaEnded = 8,
        Transitioning = 9,
        Ready = 10,
        Reconnecting = 11,
    };
    Q_ENUM(PlayState)

    using QObject::QObject;
    ~MediaEngine() override = default;

    virtual void controlsStop() = 0;
    virtual void controlsPlay() = 0;
    // With autoStart on, a new URL opens and plays by itself; what it may
    // name depends on where it came from.
    virtual void setURL(const QString& url, AddressOrigin origin) = 0;
    virtual QString URL() const = 0;
    virtual PlayState playState() const = 0;
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
    // The title tag of the file that plays, local or served; empty when it
    // has none.
    virtual QString titleTag() const { return QString(); }
    // Why the address did not play, in words; empty while nothing failed.
    // Changes are told with titleChanged.
    virtual QString failureText() const { return QString(); }

  signals:
    // Sent on every change of playState(), with the new state.
    void playStateChanged(ondrix::MediaEngine::PlayState state);
    // Sent whenever currentMediaItemInfo("bitrate") would give another text.
    void bitRateChanged();
    void titleChanged(const QString& title);
    void positionChanged(double seconds);
    void durationChanged(double seconds);
    void volumeChanged(int percent);
    void muteChanged(bool on);
};

using PlayState = MediaEngine::PlayState;

// The user asked for sound and it is on its way: opening, buffering and
// reconnecting count as playing, so Play/Pause offers a pause then.
inline bool soundOnItsWay(PlayState state) {
    return state == PlayState::Playing || state == PlayState::Buffering ||
           state == PlayState::Transitioning || state == PlayState::Reconnecting;
}

}  // namespace ondrix
