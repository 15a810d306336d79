#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "player/media/engine_machine.h"
#include "player/media/media_engine.h"

struct mpv_handle;
struct mpv_event;
struct mpv_node;

namespace ondrix {

// The media player component on libmpv. Nothing here waits for libmpv:
// commands are queued, properties are observed, and libmpv's wakeup posts a
// drain of its event queue to the Qt event loop, which keeps playState cached.
class MpvEngine : public MediaEngine {
    Q_OBJECT
  public:
    // audioOutput empty: libmpv's default; tests pass "null".
    explicit MpvEngine(QObject* parent = nullptr, const QString& audioOutput = QString());
    ~MpvEngine() override;

    void controlsStop() override;
    void controlsPlay() override;
    void setURL(const QString& url) override;
    QString URL() const override { return url_; }
    PlayState playState() const override { return state_; }
    QString currentMediaItemInfo(const QString& attribute) const override;

    void controlsPause() override;
    int volume() const override { return volume_; }
    void setVolume(int percent) override;
    bool mute() const override { return mute_; }
    void setMute(bool on) override;
    double currentPosition() const override { return position_; }
    // A live stream has a length libmpv guesses from what it has buffered;
    // only what can be sought in counts.
    double duration() const override { return seekable_ ? length_ : 0.0; }
    void setCurrentPosition(double seconds) override;
    QString mediaTitle() const override;
    QString streamTitle() const override { return streamTitle_; }

    // How long a dropped network stream is tried again before giving up.
    void setReconnectLimit(int milliseconds) { reconnectLimitMs_ = milliseconds; }
    // How long a silent server is waited for before the address counts as dead.
    void setNetworkTimeout(int seconds);

    // Whether an address is a network stream rather than a local file.
    static bool isNetworkAddress(const QString& url);
    // Whether an address is a path or uses a file or network scheme.
    static bool isOpenableAddress(const QString& url);

  private:
    // An event of one playlist entry, kept while the entry of a load is unknown.
    struct EntryEvent {
        int64_t entryId;
        enum Kind { Start, Loaded, Restarted, End } kind;
        int reason;        // End: mpv_end_file_reason
        int64_t insertId;  // End of a playlist: its first entry
        int insertCount;   // and how many it has
    };

    void drainEvents();
    void handleEvent(const mpv_event& event);
    void handleEntryEvent(const EntryEvent& e);
    void handleLoadReply(uint64_t generation, int error, const mpv_node* result);
    void handlePropertyChange(uint64_t id, const void* property);
    void load(bool reconnecting);
    void sendStop();
    void sendCommands();
    void setPause(bool on);
    void endOfCurrent(int reason);
    void endLostEntry();
    void scheduleReconnect();
    void reconnectNow();
    void cancelReconnect();
    void updatePlayingState();
    void setState(PlayState state);
    void setStreamTitle(const QString& title);

    std::unique_ptr<mpv_handle, void (*)(mpv_handle*)> mpv_;
    std::atomic<bool> drainQueued_{false};

    QString url_;
    PlayState state_ = PlayState::Undefined;

    // Which playlist entry is ours: a load is "pending" until libmpv's reply
    // to loadfile names the entry it made; events meanwhile are kept.
    uint64_t loadGeneration_ = 0;
    bool loadPending_ = false;
    int64_t currentEntry_ = -1;
    int64_t playlistLast_ = -1;  // last entry of an opened playlist
    int64_t activeEntry_ = -1;   // between its start-file and end-file
    std::vector<EntryEvent> heldEvents_;
    bool loadWanted_ = false;    // a loadfile of url_ waits to be sent
    bool loadInFlight_ = false;  // a loadfile awaits its reply
    bool stopWanted_ = false;
    bool mayBePlaying_ = false;  // a loadfile went out since the last stop
    QTimer retryTimer_;
    QTimer positionTimer_;
    bool loaded_ = false;   // the current entry's file-loaded was seen
    bool started_ = false;  // audio has begun (playback-restart)
    bool played_ = false;   // reached Playing since the load

    bool eventsLost_ = false;  // libmpv's event queue ran over
    bool idleActive_ = true;
    bool pause_ = false;
    bool pausedForCache_ = false;
    int volume_ = 50;
    bool mute_ = false;
    double position_ = 0.0;
    double length_ = 0.0;
    bool seekable_ = false;
    QString mediaTitle_;
    QString streamTitle_;
    QString stationName_;  // ICY icy-name
    int64_t demuxBitrate_ = 0;
    int64_t icyBitrate_ = 0;
    double audioBitrate_ = 0.0;
    mutable int64_t bitRateOfText_ = -1;  // no text made yet
    mutable QString bitRateText_;

    QTimer reconnectTimer_;
    QElapsedTimer reconnectClock_;
    bool reconnecting_ = false;
    int reconnectAttempt_ = 0;
    int reconnectLimitMs_ = 30000;
};

}  // namespace ondrix
