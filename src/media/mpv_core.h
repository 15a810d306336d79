#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <utility>

#include "media/engine_machine.h"

struct mpv_handle;
struct mpv_event;

namespace ondrix {

// Why an address failed, from a line of libmpv's log; none when the line
// does not tell.
FailureReason networkFailureOf(const QString& logLine);

// What a station's ICY headers say.
struct IcyHeaders {
    bool any = false;              // ICY headers came at all
    std::int64_t bitRateKbps = 0;  // icy-br
    QString name;                  // icy-name
    QString title;                 // icy-title
};

// A core's events, each copied out of libmpv and told as a call on the
// window's thread. Every call names the core it comes from.
class CoreEvents {
  public:
    virtual ~CoreEvents() = default;
    virtual void loadReplied(CoreId core, std::uint64_t tag, bool ok, std::int64_t entry) = 0;
    virtual void fileStarted(CoreId core, std::int64_t entry) = 0;
    virtual void fileLoaded(CoreId core) = 0;
    virtual void playbackRestarted(CoreId core) = 0;
    virtual void fileEnded(CoreId core, std::int64_t entry, EndReason reason, std::int64_t insertId,
                           int insertCount) = 0;
    virtual void eventsLost(CoreId core) = 0;
    virtual void networkFailure(CoreId core, FailureReason reason) = 0;
    // libmpv holds an entry before opening it, until the hook is let go.
    virtual void entryHeld(CoreId core, std::uint64_t hook) = 0;
    // The address of the entry held for `hook`, as asked for.
    virtual void entryOpening(CoreId core, std::uint64_t hook, const QString& address) = 0;
    virtual void pauseChanged(CoreId core, bool on) = 0;
    virtual void pausedForCacheChanged(CoreId core, bool on) = 0;
    virtual void idleChanged(CoreId core, bool on) = 0;
    virtual void seekableChanged(CoreId core, bool on) = 0;
    virtual void muteSet(CoreId core, bool on) = 0;
    virtual void volumeSet(CoreId core, double percent) = 0;
    virtual void durationObserved(CoreId core, double seconds) = 0;
    // The duration asked for with the position, not observed.
    virtual void durationPolled(CoreId core, double seconds) = 0;
    virtual void positionPolled(CoreId core, double seconds) = 0;
    // What was measured, in bits per second.
    virtual void audioBitRateChanged(CoreId core, double rate) = 0;
    // The bytes the server announced.
    virtual void sizeChanged(CoreId core, std::int64_t bytes) = 0;
    // The selected audio track's nominal rate.
    virtual void trackBitRateChanged(CoreId core, std::int64_t rate) = 0;
    virtual void fileFormatChanged(CoreId core, const QString& format) = 0;
    virtual void mediaTitleChanged(CoreId core, const QString& title) = 0;
    // The title tag of what plays, from the same metadata as the ICY headers.
    virtual void titleTagChanged(CoreId core, const QString& tag) = 0;
    virtual void metadataChanged(CoreId core, const IcyHeaders& headers) = 0;
    // After each event, once it was told.
    virtual void eventTold() = 0;
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
// tells each of its events to `events` on the window's thread, never from
// libmpv's. It decides nothing. Nothing here
// waits for libmpv: commands are queued, properties observed or asked for.
class MpvCore {
  public:
    // `context`: the object whose thread the events are told on.
    MpvCore(CoreId id, QObject* context, CoreEvents& events);
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
    // Lets libmpv go on from `hook` with an address that opens nothing, so
    // that the entry fails at once.
    void refuseHook(std::uint64_t hook);
    void seek(double seconds);
    void setVolume(int percent);
    void setMute(bool on);
    void setNetworkTimeout(int seconds);
    void observeDuration(bool on);

  private:
    void drain();
    void translate(const mpv_event& event);
    void translateProperty(std::uint64_t id, const void* property);
    template <typename... Params, typename... Args>
    void tell(void (CoreEvents::*event)(CoreId, Params...), Args&&... args) {
        (events_.*event)(id_, std::forward<Args>(args)...);
        events_.eventTold();
    }

    CoreId id_;
    QObject* context_;
    CoreEvents& events_;
    std::unique_ptr<mpv_handle, void (*)(mpv_handle*)> handle_{nullptr, nullptr};
    std::atomic<bool> drainQueued_{false};
};

}  // namespace ondrix
