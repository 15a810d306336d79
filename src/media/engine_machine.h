#pragma once

#include <QString>
#include <QtGlobal>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

#include "media/address_gate.h"
#include "media/failure.h"
#include "media/media_engine.h"

namespace ondrix {

// The pause before try number `attempt` (from 0) to reopen a dropped stream:
// 1, 2, 4, 8 ... seconds while less than limitMs have passed since the drop,
// else -1.
int reconnectPauseMs(int attempt, qint64 elapsedMs, int limitMs);

// Why libmpv ended a playlist entry.
// NotAudio: an error for an answer libmpv could not make out.
enum class EndReason { Eof, Stop, Quit, Error, NotAudio, Redirect };

enum class EngineTimer { Reconnect, Watchdog };

// The engine's two libmpv cores: the first is made with it, the second later.
enum class CoreId : std::uint8_t { First, Second };
constexpr CoreId otherCore(CoreId core) {
    return core == CoreId::First ? CoreId::Second : CoreId::First;
}

// What the machine asks of libmpv, in the order given. The first five are
// for one of the engine's two libmpv cores, `core`.
struct EngineCommand {
    enum class Kind {
        Stop,        // stop whatever plays
        Load,        // loadfile `address` replace; its reply carries `tag`
        Pause,       // set pause to `on`
        AskIdle,     // read idle-active once
        Continue,    // let libmpv open the entry it holds for hook `tag`, after `ms`
        Refuse,      // let libmpv go on from hook `tag` without opening the entry
        AskServer,   // fetch `address` once to learn whether it is live; answer with `tag`
        StartTimer,  // call timerDue(`timer`) after `ms`
        StopTimer,
    };
    Kind kind = Kind::Stop;
    QString address = {};
    std::uint64_t tag = 0;
    bool on = false;
    EngineTimer timer = EngineTimer::Reconnect;
    int ms = 0;
    CoreId core = CoreId::First;

    bool operator==(const EngineCommand&) const = default;
};

// Where the machine stands, as the display and the poller see it.
enum class EnginePhase {
    Idle,       // nothing was asked for yet
    Opening,    // a new address was asked for and has not started
    Buffering,  // the entry opens, or waits for data
    Playing,
    Paused,
    Ended,         // stopped by the user, or played to its end
    Failed,        // no address, or it could not be opened or decoded
    Reconnecting,  // a dropped stream is tried again, or the server is asked what it is
};

// The playState the display and the poller see for a phase.
PlayState playStateOf(EnginePhase phase);

// The media engine's rules, apart from libmpv: it takes the user's calls and
// libmpv's events, keeps its phase, and lists the commands to send. It never
// waits and never calls out; the time comes from the clock it is given.
class EngineMachine {
  public:
    using Clock = std::function<qint64()>;  // milliseconds, never going back
    explicit EngineMachine(Clock clock);

    // The user's calls. The verdict is the address gate's on url.
    void setUrl(const QString& url, const AddressVerdict& verdict);
    void play();
    void stop();
    void pause();

    // The engine's second core exists and may take loads.
    void coreMade(CoreId core);

    // libmpv's events, each from the core named. Only the active core's
    // count, but for the answers to loads, which any core may send, and the
    // cores' idle states, which say which core may take a load. A load's
    // reply names the playlist entry it made; file-loaded and
    // playback-restart belong to the entry the core started last.
    void loadReplied(CoreId core, std::uint64_t tag, bool ok, std::int64_t entryId);
    void fileStarted(CoreId core, std::int64_t entryId);
    void fileLoaded(CoreId core);
    void playbackRestarted(CoreId core);
    // insertId and insertCount: the entries a redirect (a playlist) put in
    // place of the ended one.
    void fileEnded(CoreId core, std::int64_t entryId, EndReason reason, std::int64_t insertId = 0,
                   int insertCount = 0);
    // libmpv holds the entry started last before opening it, until the
    // Continue or Refuse command with the same hook; `verdict` is the
    // address gate's on what it would open.
    void entryOpening(CoreId core, std::uint64_t hook, const AddressVerdict& verdict);
    // Whether the entry started last is one a playlist of ours put in, whose
    // address entryOpening must see; any other is let go at once.
    bool watchesOpening(CoreId core) const;
    // Where the entry libmpv holds comes from: a playlist on this machine or
    // one a server sent.
    AddressOrigin openingOrigin(CoreId core) const;
    // What the network layer said of the current address (an HTTP status, a
    // refused connection); libmpv may tell it just after the entry's end.
    // libavformat logs through the first core made, whichever core failed.
    void openingError(FailureReason reason);
    void eventsLost(CoreId core);
    void idleChanged(CoreId core, bool idle);
    void pauseChanged(CoreId core, bool on);
    void pausedForCacheChanged(CoreId core, bool on);
    void seekableChanged(CoreId core, bool on);
    void durationChanged(CoreId core, double seconds);
    // The size the server announced for the entry (0: none, as for a live
    // stream).
    void sizeChanged(CoreId core, std::int64_t bytes);
    void positionChanged(CoreId core, double seconds);
    // The server sent ICY headers: a station, whatever its framing.
    void icyChanged(CoreId core, bool on);
    // The entry is an HLS playlist: its size is the playlist's, not the media's.
    void hlsChanged(CoreId core, bool on);
    // The answer to AskServer: whether the address streams on, or failed to
    // answer (live), or sent a whole body that ended (a file).
    void serverAnswered(std::uint64_t tag, bool live);
    void timerDue(EngineTimer timer);

    // How long a dropped stream is tried again before it counts as stopped.
    void setReconnectLimit(int ms) { reconnectLimitMs_ = ms; }
    // How long a stream may take to play, or to play again after a stall.
    void setStallLimit(int ms) { stallLimitMs_ = ms; }
    // How long libmpv waits for a silent server before it gives up.
    void setNetworkTimeout(int ms) { networkTimeoutMs_ = ms; }

    // Playlists: how many entries may fail in a row, and the least time
    // between two tries after a failed one.
    static constexpr int kMaxFailedEntries = 5;
    static constexpr int kFailedEntryGapMs = 350;
    // Playlists inside playlists deeper than this are taken for a loop,
    // whatever their addresses say (a query that changes each time).
    static constexpr int kMaxNestedPlaylists = 8;

    EnginePhase phase() const;
    // The core whose entry is ours; the other may still be closing a stream.
    CoreId activeCore() const { return active_; }
    // Whether an event of `core` counts for the address: only the active
    // core's do.
    bool counts(CoreId core) const { return core == active_; }
    PlayState state() const { return playStateOf(phase()); }
    const QString& url() const { return url_; }
    bool network() const { return admitted_ && admitted_->network(); }
    // The current entry was opened and has not ended.
    bool loaded() const;
    bool reconnecting() const { return reconnect() != nullptr; }
    bool seekable() const { return stream_.seekable; }
    // Why the current address did not play; cleared by the next address.
    FailureReason failure() const;
    double duration() const { return stream_.duration; }
    double position() const { return stream_.position; }

    // The commands made since the last call, oldest first.
    std::vector<EngineCommand> takeCommands();

  private:
    struct EntryEvent {
        std::int64_t entryId;
        enum Kind { Start, Loaded, Restarted, End } kind;
        EndReason reason;
        std::int64_t insertId;
        int insertCount;
    };

    // The playlist entry that is ours, once the reply to its load named it.
    struct Entry {
        std::int64_t top = 0;     // the entry of the address itself
        std::int64_t id = 0;      // top, or one a playlist put in its place
        std::int64_t last = 0;    // the last entry of the playlist opened; id when none
        bool fromServer = false;  // the playlist that put id..last in came from a server
        // How far libmpv got with it: its start-file, file-loaded and
        // playback-restart.
        enum class Progress { Named, Started, Loaded, Restarted } progress = Progress::Named;
    };
    // What the opened playlists of a load have shown so far.
    struct Playlists {
        std::vector<QString> followed;  // the address and every playlist opened
        struct Opening {
            std::int64_t entry;
            Admitted address;
        };
        std::optional<Opening> opening;  // the entry libmpv last held before opening
        int failedInARow = 0;
        qint64 lastFailureMs = 0;
    };
    // A load of the current address, from its loadfile until its entry ends.
    struct Load {
        std::uint64_t tag = 0;
        qint64 sinceMs = 0;
        // Queued: waits for libmpv's one slot for a loadfile; AwaitingCore:
        // both cores are busy, the first to go idle takes it.
        enum class Stage { Queued, AwaitingCore, Sent } stage = Stage::Queued;
        std::vector<EntryEvent> held = {};  // came after the loadfile, before its reply
        std::optional<Entry> entry = {};
        Playlists playlists = {};
        FailureReason hint = {};  // what the network layer said meanwhile
        bool played = false;      // it reached Playing, and may stall since
        bool eventsLost = false;  // libmpv dropped events since
    };
    // A dropped stream being tried again.
    struct Reconnect {
        int attempt = 0;
        qint64 sinceMs = 0;                    // when it dropped
        std::optional<qint64> nextTryMs = {};  // its timer runs
        FailureReason said = {};               // what the server said of a try
    };

    // The phases, each with what it carries.
    struct Idle {};
    struct Opening {
        Load load;
    };
    struct Buffering {
        Load load;
    };
    struct Playing {
        Load load;
    };
    // A pause outlasts a reconnect: a paused stream that drops is tried
    // again, and holds a load only while a try is under way.
    struct Paused {
        std::optional<Load> load;
        std::optional<Reconnect> reconnect;
    };
    struct Reconnecting {
        Reconnect reconnect;
        std::optional<Load> load;  // the try under way
    };
    // A body without a length ended: the server is asked whether it is live.
    struct AskingServer {
        std::uint64_t tag;
    };
    struct Ended {
        FailureReason why;  // gave up reconnecting, or none
    };
    struct Failed {
        FailureReason why;
        bool guessed = false;  // a later word of the network layer may better it
    };
    using Phase = std::variant<Idle, Opening, Buffering, Playing, Paused, Reconnecting,
                               AskingServer, Ended, Failed>;

    // What the server said the current entry is, and where it plays; the
    // display reads it after the entry ended too.
    struct Stream {
        bool seekable = false;
        bool sized = false;  // the server announced a size
        bool icy = false;    // ICY headers: a station, whatever its framing
        bool hls = false;    // its size is a playlist's, not the media's
        double duration = 0.0;
        double position = 0.0;
    };
    struct Core {
        bool made = false;
        bool idle = true;                        // nothing loaded, or its last file has ended
        bool holdsOurs = false;                  // a load went to it since its last stop
        std::optional<std::int64_t> entry = {};  // between its start-file and end-file
    };
    // What the active core says of its pause, and whether libmpv's one slot
    // for a loadfile is taken: facts whatever the phase.
    struct Libmpv {
        bool pause = false;
        bool pausedForCache = false;
        bool loadUnanswered = false;
    };

    // What the phase carries, whichever it is.
    Load* load();
    const Load* load() const;
    Reconnect* reconnect();
    const Reconnect* reconnect() const;
    template <typename P>
    bool in() const {
        return std::holds_alternative<P>(phase_);
    }

    // The steps the events share (engine_load.cpp).
    template <typename Event>
    void fromActive(CoreId core, Event&& event);
    void arrive(const EntryEvent& e);
    void handle(const EntryEvent& e);
    void redirected(const EntryEvent& e);
    void endOfCurrent(EndReason reason);
    void endLostEntry();
    Load newLoad();
    Load releaseLoad();
    void stopActive();
    void send();
    void setPause(bool on);
    void failOpening(EndReason reason, const Load& load);
    bool entryFailed();
    void fail(FailureReason reason);
    void startReconnect();
    // `said`: what the server said of the try that failed, if anything.
    void scheduleReconnect(FailureReason said = {});
    void stopReconnectTimer();
    bool lengthKnown() const;
    void updatePlaying();
    void toBuffering();
    void settle();
    void command(EngineCommand c) { commands_.push_back(std::move(c)); }
    Core& core(CoreId id) { return cores_[static_cast<std::size_t>(id)]; }
    const Core& core(CoreId id) const { return cores_[static_cast<std::size_t>(id)]; }

    Clock clock_;
    std::vector<EngineCommand> commands_;
    QString url_;
    std::optional<Admitted> admitted_;  // url_, when the gate let it through
    Phase phase_ = Idle{};

    // A load while the active core is busy goes to an idle second one, and
    // the busy one is told to stop and closes in its own time.
    std::array<Core, 2> cores_{{{.made = true}, {}}};
    CoreId active_ = CoreId::First;
    Libmpv libmpv_;

    std::uint64_t generation_ = 0;  // the tag of the newest load
    Stream stream_;
    int networkTimeoutMs_ = 10000;
    int reconnectLimitMs_ = 30000;
    std::optional<qint64> watchdogDueMs_;  // the stall timer runs
    int stallLimitMs_ = 30000;
};

}  // namespace ondrix
