#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "player/media/engine_machine.h"

struct mpv_handle;
struct mpv_event;

namespace ondrix {

// Why an address failed, from a line of libmpv's log; none when the line
// does not tell.
FailureReason networkFailureOf(const QString& logLine);

// One event of a core, copied out of libmpv: nothing of libmpv's is kept.
struct CoreEvent {
    enum class Kind {
        LoadReplied,  // tag, on: it succeeded, entry
        FileStarted,  // entry
        FileLoaded,
        PlaybackRestarted,
        FileEnded,  // entry, reason, insertId, insertCount
        EventsLost,
        NetworkFailure,  // failure
        Hook,            // tag: the entry libmpv holds before opening it
        Opening,         // tag: the hook; text: the address it opens
        Pause,           // on
        PausedForCache,  // on
        Idle,            // on
        Seekable,        // on
        Mute,            // on
        Duration,        // number
        PolledDuration,  // number: asked for with the position
        Position,        // number
        AudioBitRate,    // number: measured
        Volume,          // number
        FileSize,        // entry: the bytes the server announced
        TrackBitRate,    // entry: the selected audio track's nominal rate
        FileFormat,      // text
        MediaTitle,      // text
        Metadata,        // on: ICY headers came; entry: icy-br; text: icy-name; title; titleTag
    };
    Kind kind;
    std::uint64_t tag = 0;
    bool on = false;
    std::int64_t entry = 0;
    double number = 0.0;
    EndReason reason = EndReason::Eof;
    std::int64_t insertId = 0;
    int insertCount = 0;
    FailureReason failure = {};
    QString text = {};
    QString title = {};
    QString titleTag = {};
};

// What a core is made with.
struct CoreSettings {
    QString audioOutput;  // empty: libmpv's default
    int volume = 50;
    bool mute = false;
    int networkTimeoutSeconds = 10;
    bool durationObserved = false;
};

// One libmpv player: it owns its handle, sends the engine's commands and
// hands each of its events, copied into a CoreEvent, to the handler on the
// window's thread, never from libmpv's. It decides nothing. Nothing here
// waits for libmpv: commands are queued, properties observed or asked for.
class MpvCore {
  public:
    using Handler = std::function<void(int core, const CoreEvent& event)>;
    // `context`: the object whose thread the events are handled on.
    MpvCore(int index, QObject* context, Handler handler);
    MpvCore(const MpvCore&) = delete;
    MpvCore& operator=(const MpvCore&) = delete;
    ~MpvCore() { destroy(); }

    // Makes the player; false when libmpv could not make one.
    bool create(const CoreSettings& settings);
    // No event is handled after this; the player may still be closing.
    void detach();
    // Ends the player; waits for libmpv to close it.
    void destroy();
    bool made() const { return handle_ != nullptr; }

    // False when libmpv's event queue is full: its replies hold the slots.
    bool tryLoad(const QString& address, std::uint64_t tag);
    bool tryStop();
    void setPause(bool on);
    void askIdle();
    void askPosition(bool withDuration);
    // The address of the entry held for `hook` is asked for, not read: a
    // read would wait for the core.
    void askOpening(std::uint64_t hook);
    void continueHook(std::uint64_t hook, int delayMs);
    void seek(double seconds);
    void setVolume(int percent);
    void setMute(bool on);
    void setNetworkTimeout(int seconds);
    void observeDuration(bool on);

  private:
    void drain();
    void translate(const mpv_event& event);
    void translateProperty(std::uint64_t id, const void* property);

    int index_;
    QObject* context_;
    Handler handler_;
    std::unique_ptr<mpv_handle, void (*)(mpv_handle*)> handle_{nullptr, nullptr};
    std::atomic<bool> drainQueued_{false};
};

}  // namespace ondrix
