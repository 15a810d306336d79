// The steps the machine's events share: its loads and their entries, the
// reconnect, and the watchdog.
#include <algorithm>
#include <utility>

#include "media/engine_machine.h"
#include "media/overloaded.h"

namespace ondrix {

namespace {

// An entry with a length that ended this close to it played to its end.
constexpr double kEndSlackSeconds = 5.0;
// A file's position stays within its length but for an estimate's error.
// A stream that ended before its position was ever read proves nothing.
constexpr double kPastEndSeconds = 1.0;
// A failed open this close to the network timeout was waiting for a silent server.
constexpr qint64 kTimeoutSlackMs = 500;

}  // namespace

int reconnectPauseMs(int attempt, qint64 elapsedMs, int limitMs) {
    if (elapsedMs >= limitMs) return -1;
    const qint64 doubled = qint64{1000} << std::min(attempt, 20);
    // The last pause is cut short so that one try falls at the limit itself.
    return static_cast<int>(std::min(doubled, limitMs - elapsedMs));
}

const EngineMachine::Load* EngineMachine::load() const {
    return std::visit(
        overloaded{
            [](const Opening& p) -> const Load* { return &p.load; },
            [](const Buffering& p) -> const Load* { return &p.load; },
            [](const Playing& p) -> const Load* { return &p.load; },
            [](const Paused& p) -> const Load* { return p.load ? &*p.load : nullptr; },
            [](const Reconnecting& p) -> const Load* { return p.load ? &*p.load : nullptr; },
            [](const auto&) -> const Load* { return nullptr; },
        },
        phase_);
}

EngineMachine::Load* EngineMachine::load() {
    return const_cast<Load*>(std::as_const(*this).load());
}

const EngineMachine::Reconnect* EngineMachine::reconnect() const {
    if (const auto* p = std::get_if<Reconnecting>(&phase_)) return &p->reconnect;
    if (const auto* p = std::get_if<Paused>(&phase_); p && p->reconnect) return &*p->reconnect;
    return nullptr;
}

EngineMachine::Reconnect* EngineMachine::reconnect() {
    return const_cast<Reconnect*>(std::as_const(*this).reconnect());
}

bool EngineMachine::loaded() const {
    const Load* ours = load();
    return ours && ours->entry && ours->entry->progress >= Entry::Progress::Loaded;
}

EngineMachine::Load EngineMachine::newLoad() {
    // A load that waited for an idle core goes on waiting: the cores were asked.
    const Load* last = load();
    Load next{.tag = ++generation_, .sinceMs = clock_()};
    if (last && last->stage == Load::Stage::AwaitingCore) next.stage = Load::Stage::AwaitingCore;
    next.playlists.followed.push_back(admitted_->address());
    stream_ = {};
    // autoStart: a new address plays even when the last one was paused.
    if (libmpv_.pause) setPause(false);
    return next;
}

EngineMachine::Load EngineMachine::releaseLoad() {
    // Only a reconnect, paused or not, outlives its load; from any other
    // phase the caller moves on at once.
    return std::visit(overloaded{
                          [](Opening& p) { return std::move(p.load); },
                          [](Buffering& p) { return std::move(p.load); },
                          [](Playing& p) { return std::move(p.load); },
                          [](Paused& p) { return *std::exchange(p.load, std::nullopt); },
                          [](Reconnecting& p) { return *std::exchange(p.load, std::nullopt); },
                          [](auto&) { return Load{}; },
                      },
                      phase_);
}

void EngineMachine::setPause(bool on) {
    command({.kind = EngineCommand::Kind::Pause, .on = on, .core = active_});
    libmpv_.pause = on;
}

void EngineMachine::stopActive() {
    Core& active = core(active_);
    if (!active.holdsOurs) return;
    command({.kind = EngineCommand::Kind::Stop, .core = active_});
    active.holdsOurs = false;
}

void EngineMachine::send() {
    // Every command holds a slot of libmpv's event queue until its reply is
    // read, so only one loadfile is under way at a time; the newest address
    // goes when it is answered.
    Load* ours = load();
    if (!ours || ours->stage == Load::Stage::Sent || libmpv_.loadUnanswered) return;
    // Only an idle core takes the load: one still closing a stream would
    // make it wait behind that close. With both busy, the active one is
    // stopped too and the first to go idle takes it.
    CoreId target = active_;
    const CoreId other = otherCore(active_);
    if (!core(active_).idle && core(other).made) {
        if (core(other).idle) {
            target = other;
        } else {
            if (ours->stage == Load::Stage::AwaitingCore) return;
            ours->stage = Load::Stage::AwaitingCore;
            stopActive();
            // Their idle state may have changed unseen, as when a load failed at once.
            for (const CoreId each : {CoreId::First, CoreId::Second})
                command({.kind = EngineCommand::Kind::AskIdle, .core = each});
            return;
        }
    }
    if (target != active_) {
        stopActive();
        active_ = target;
        // It may have been left paused with the stream it last played.
        setPause(false);
    }
    Core& chosen = core(active_);
    chosen.idle = false;
    chosen.holdsOurs = true;
    command({.kind = EngineCommand::Kind::Load,
             .address = admitted_->address(),
             .tag = ours->tag,
             .core = active_});
    ours->stage = Load::Stage::Sent;
    libmpv_.loadUnanswered = true;
}

void EngineMachine::arrive(const EntryEvent& e) {
    // The entry an event belongs to is fixed when it arrives; while the
    // entry of our load is unknown, the event waits for it. Events from
    // before our loadfile went out are of earlier loads.
    Load* ours = load();
    if (ours && !ours->entry) {
        if (ours->stage == Load::Stage::Sent) ours->held.push_back(e);
    } else {
        handle(e);
    }
    settle();
}

void EngineMachine::handle(const EntryEvent& e) {
    Load* ours = load();
    if (!ours || !ours->entry) return;
    Entry& entry = *ours->entry;
    // After a failed or finished entry of an opened playlist libmpv goes on
    // with the next one, which then is ours.
    if (e.kind == EntryEvent::Start && e.entryId > entry.id && e.entryId <= entry.last) {
        entry.id = e.entryId;
        entry.progress = Entry::Progress::Named;
    }
    if (e.entryId != entry.id) return;
    switch (e.kind) {
        case EntryEvent::Start:
            entry.progress = Entry::Progress::Started;
            if (!reconnect() && !libmpv_.pause) toBuffering();
            return;
        case EntryEvent::Loaded:
            if (entry.progress != Entry::Progress::Started) return;
            entry.progress = Entry::Progress::Loaded;
            updatePlaying();
            return;
        case EntryEvent::Restarted:
            if (!loaded()) return;
            entry.progress = Entry::Progress::Restarted;
            updatePlaying();
            return;
        case EntryEvent::End:
            if (e.reason == EndReason::Redirect && e.insertId > 0)
                redirected(e);
            else
                endOfCurrent(e.reason);
            return;
    }
}

void EngineMachine::redirected(const EntryEvent& e) {
    // A playlist (.pls, .m3u) was opened: its entries play in its place.
    Load& ours = *load();
    Entry& entry = *ours.entry;
    Playlists& playlists = ours.playlists;
    const bool opened = playlists.opening && playlists.opening->entry == e.entryId;
    if (opened && e.entryId != entry.top)
        playlists.followed.push_back(playlists.opening->address.address());
    // Its entries are of a server's playlist when it came from a server.
    entry.fromServer =
        e.entryId == entry.top ? network() : !opened || playlists.opening->address.network();
    if (static_cast<int>(playlists.followed.size()) > kMaxNestedPlaylists) {
        fail({Failure::PlaylistLoop});
        return;
    }
    entry.id = e.insertId;
    entry.last = e.insertId + std::max(e.insertCount, 1) - 1;
    entry.progress = Entry::Progress::Named;
}

void EngineMachine::endOfCurrent(EndReason reason) {
    Load& ours = *load();
    Entry& entry = *ours.entry;
    const bool decoded = entry.progress == Entry::Progress::Restarted || ours.played;
    ours.eventsLost = false;  // it ended once; nothing lost can end it again
    const bool stopped = reason == EndReason::Stop || reason == EndReason::Quit;
    if (!stopped && entry.id < entry.last) {
        if (decoded) {
            ours.playlists.failedInARow = 0;
        } else if (entryFailed()) {
            return;
        }
        entry.progress = Entry::Progress::Named;  // the next entry follows
        return;
    }
    const Load ended = releaseLoad();
    if (reconnect()) {
        scheduleReconnect(ended.hint);
        return;
    }
    if (stopped) {
        phase_ = Ended{};
        return;
    }
    if (network() && ended.played && reason == EndReason::Eof && !lengthKnown() && !stream_.icy &&
        !stream_.hls) {
        // A body without a length, from a server that is no station: a file
        // made on the fly and a live stream end alike here, and libmpv does
        // not say whether the last chunk came. The server is asked once.
        command({.kind = EngineCommand::Kind::AskServer, .address = url_, .tag = ended.tag});
        phase_ = AskingServer{ended.tag};
    } else if (network() && ended.played && !(reason == EndReason::Eof && lengthKnown())) {
        // libmpv ends a dropped live stream as it ends a file; only an entry
        // without a known length can be a live stream.
        startReconnect();
    } else if (reason == EndReason::Eof && decoded) {
        phase_ = Ended{};
    } else {
        // An address that never got as far as decoding could not be opened.
        failOpening(reason, ended);
    }
}

bool EngineMachine::lengthKnown() const {
    // libmpv guesses a live stream's length from the bytes received so far,
    // which keeps just ahead of the playing position; only a length the
    // server announced (or a seekable entry) makes a real one. The position
    // still has to be near it: some stations announce a huge size.
    // An HLS entry's size is its playlist's; only the end marker, which
    // makes it seekable, tells a finished one.
    const Stream& s = stream_;
    return s.seekable || (s.sized && !s.hls && s.duration > 0.0 && s.position > 0.0 &&
                          s.position >= s.duration - kEndSlackSeconds &&
                          s.position <= s.duration + kPastEndSeconds);
}

void EngineMachine::endLostEntry() {
    // Events can be dropped when the queue runs over while the window's
    // thread is held; then only libmpv being idle tells that our entry ended.
    // A load under way asks again once it is answered.
    Load* ours = load();
    if (!ours || !ours->eventsLost || !ours->entry || !core(active_).idle) return;
    ours->eventsLost = false;
    core(active_).entry.reset();
    Entry& entry = *ours->entry;
    entry.last = entry.id;  // idle: no later entry of a playlist follows
    const bool decoded = entry.progress == Entry::Progress::Restarted || ours->played;
    endOfCurrent(decoded ? EndReason::Eof : EndReason::Error);
}

bool EngineMachine::entryFailed() {
    Playlists& playlists = load()->playlists;
    playlists.lastFailureMs = clock_();
    if (++playlists.failedInARow < kMaxFailedEntries) return false;
    fail({Failure::FailedEntries, playlists.failedInARow});
    return true;
}

void EngineMachine::fail(FailureReason reason) {
    stopReconnectTimer();
    stopActive();
    phase_ = Failed{reason};
}

void EngineMachine::failOpening(EndReason reason, const Load& load) {
    // libmpv's own error only says loading failed; a silent server is told
    // by the time it took, anything else by what the network layer said.
    if (load.hint.kind != Failure::None)
        phase_ = Failed{load.hint};
    else if (reason != EndReason::Error)
        phase_ = Failed{{Failure::NotAudio}};
    else if (network() && clock_() - load.sinceMs >= networkTimeoutMs_ - kTimeoutSlackMs)
        phase_ = Failed{{Failure::NoAnswer}, true};
    else
        phase_ = Failed{{Failure::CannotOpen}, true};
}

void EngineMachine::startReconnect() {
    phase_ = Reconnecting{Reconnect{.sinceMs = clock_()}, std::nullopt};
    scheduleReconnect();
}

void EngineMachine::scheduleReconnect(FailureReason said) {
    Reconnect& r = *reconnect();
    // A try without a word keeps what the last one said.
    if (said.kind != Failure::None) r.said = said;
    const int pause = reconnectPauseMs(r.attempt++, clock_() - r.sinceMs, reconnectLimitMs_);
    if (pause < 0) {
        // A server that kept answering with a reason (a status) is quoted,
        // as a failed first open is; one that said nothing is off the air.
        const FailureReason last = r.said;
        stopReconnectTimer();
        phase_ = Ended{last.kind != Failure::None
                           ? last
                           : FailureReason{Failure::OffTheAir, reconnectLimitMs_ / 1000}};
        return;
    }
    command(
        {.kind = EngineCommand::Kind::StartTimer, .timer = EngineTimer::Reconnect, .ms = pause});
    r.nextTryMs = clock_() + pause;
}

void EngineMachine::stopReconnectTimer() {
    Reconnect* r = reconnect();
    if (!r || !r->nextTryMs) return;
    command({.kind = EngineCommand::Kind::StopTimer, .timer = EngineTimer::Reconnect});
    r->nextTryMs.reset();
}

void EngineMachine::updatePlaying() {
    // Only our own entry, once opened and until it ends, decides the phase;
    // a reconnect under way goes with it.
    if (!loaded()) return;
    const bool restarted = load()->entry->progress == Entry::Progress::Restarted;
    std::optional<Reconnect> reconnecting;
    if (const Reconnect* r = reconnect()) reconnecting = *r;
    if (libmpv_.pause) {
        phase_ = Paused{releaseLoad(), reconnecting};
    } else if (!restarted || libmpv_.pausedForCache) {
        if (reconnecting)
            phase_ = Reconnecting{*reconnecting, releaseLoad()};
        else
            phase_ = Buffering{releaseLoad()};
    } else {
        stopReconnectTimer();
        Load ours = releaseLoad();
        ours.played = true;
        phase_ = Playing{std::move(ours)};
    }
}

void EngineMachine::toBuffering() {
    phase_ = Buffering{releaseLoad()};
}

void EngineMachine::settle() {
    // A stream is watched from its load until it plays, and again whenever
    // it waits for data; a pause by the user does not count.
    const bool waiting = network() && load() && !libmpv_.pause && !in<Playing>();
    if (waiting && !watchdogDueMs_) {
        command({.kind = EngineCommand::Kind::StartTimer,
                 .timer = EngineTimer::Watchdog,
                 .ms = stallLimitMs_});
        watchdogDueMs_ = clock_() + stallLimitMs_;
    } else if (!waiting && watchdogDueMs_) {
        command({.kind = EngineCommand::Kind::StopTimer, .timer = EngineTimer::Watchdog});
        watchdogDueMs_.reset();
    }
}

}  // namespace ondrix
