#include "player/media/engine_machine.h"

#include <algorithm>
#include <cmath>
#include <utility>

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

std::int64_t steadyMeasuredRate(std::int64_t shown, double measured) {
    if (!(measured > 0.0)) return 0;
    const auto shownRate = static_cast<double>(shown);
    if (shown > 0 && std::abs(measured - shownRate) <= 0.05 * shownRate) return shown;
    return std::llround(measured / 1000.0) * 1000;
}

std::int64_t reportedBitRate(std::int64_t icyKbps, std::int64_t demuxed, std::int64_t measured) {
    if (icyKbps > 0) return icyKbps * 1000;
    return demuxed > 0 ? demuxed : std::max<std::int64_t>(measured, 0);
}

QString failureText(FailureReason reason) {
    switch (reason.kind) {
        case Failure::None:
            return QString();
        case Failure::HttpStatus: {
            static const std::pair<int, const char*> phrases[] = {
                {400, "Bad request"},    {401, "Not authorized"},
                {403, "Forbidden"},      {404, "Not found"},
                {410, "Gone"},           {500, "Server error"},
                {502, "Bad gateway"},    {503, "Service unavailable"},
                {504, "Gateway timeout"}};
            const char* phrase = "HTTP error";
            for (const auto& [status, words] : phrases)
                if (status == reason.detail) phrase = words;
            return QStringLiteral("%1 (%2)").arg(QLatin1String(phrase)).arg(reason.detail);
        }
        case Failure::ConnectionRefused:
            return QStringLiteral("Connection refused");
        case Failure::ServerNotFound:
            return QStringLiteral("Server not found");
        case Failure::NoAnswer:
            return QStringLiteral("No answer from the server");
        case Failure::NothingPlayed:
            return QStringLiteral("Nothing played within %1 s").arg(reason.detail);
        case Failure::NotAudio:
            return QStringLiteral("Not an audio stream");
        case Failure::CannotOpen:
            return QStringLiteral("Cannot open this address");
        case Failure::OffTheAir:
            return QStringLiteral("Off the air: gave up after %1 s").arg(reason.detail);
        case Failure::PlaylistLoop:
            return QStringLiteral("Playlist lists itself");
        case Failure::FailedEntries:
            return QStringLiteral("Playlist: %1 entries in a row failed").arg(reason.detail);
    }
    return QString();
}

PlayState playStateOf(EnginePhase phase) {
    switch (phase) {
        case EnginePhase::Idle:
            return PlayState::Undefined;
        case EnginePhase::Opening:
            return PlayState::Transitioning;
        case EnginePhase::Buffering:
            return PlayState::Buffering;
        case EnginePhase::Playing:
            return PlayState::Playing;
        case EnginePhase::Paused:
            return PlayState::Paused;
        case EnginePhase::Ended:
            return PlayState::Stopped;
        case EnginePhase::Failed:
            return PlayState::Ready;
        case EnginePhase::Reconnecting:
            return PlayState::Reconnecting;
    }
    return PlayState::Undefined;
}

EngineMachine::EngineMachine(Clock clock) : clock_(std::move(clock)) {}

std::vector<EngineCommand> EngineMachine::takeCommands() {
    std::vector<EngineCommand> taken;
    taken.swap(commands_);
    return taken;
}

bool EngineMachine::loaded() const {
    return load_ && load_->entry && load_->entry->progress >= Entry::Progress::Loaded;
}

void EngineMachine::setUrl(const QString& url, AddressKind kind) {
    url_ = url;
    kind_ = url.isEmpty() ? AddressKind::Refused : kind;
    failure_ = {};
    cancelReconnect();
    if (kind_ == AddressKind::Refused) {
        forget();
        if (!url.isEmpty()) failure_ = {{Failure::CannotOpen}};
        setPhase(EnginePhase::Failed);
    } else {
        load(false);
    }
    settle();
}

void EngineMachine::play() {
    if (url_.isEmpty()) return;
    if (phase_ == EnginePhase::Paused) {
        setPause(false);
        if (!loaded())
            setPhase(reconnect_ ? EnginePhase::Reconnecting : EnginePhase::Buffering);
        else
            updatePlaying();
    } else if (phase_ == EnginePhase::Ended || phase_ == EnginePhase::Failed ||
               phase_ == EnginePhase::Idle) {
        if (kind_ == AddressKind::Refused)
            setPhase(EnginePhase::Failed);
        else
            load(false);
    }
    settle();
}

void EngineMachine::stop() {
    cancelReconnect();
    forget();
    // A failed or empty address stays Ready: Stopped would start the shuttle.
    if (phase_ != EnginePhase::Idle && phase_ != EnginePhase::Failed) setPhase(EnginePhase::Ended);
    settle();
}

void EngineMachine::pause() {
    if (phase_ != EnginePhase::Playing && phase_ != EnginePhase::Buffering &&
        phase_ != EnginePhase::Opening)
        return;
    setPause(true);
    setPhase(EnginePhase::Paused);
    settle();
}

void EngineMachine::setPause(bool on) {
    command({.kind = EngineCommand::Kind::Pause, .on = on, .core = active_});
    libmpv_.pause = on;
}

void EngineMachine::load(bool reconnecting) {
    // A load that waited for an idle core goes on waiting: the cores were asked.
    const bool awaiting = load_ && load_->stage == Load::Stage::AwaitingCore;
    load_ = Load{.tag = ++generation_, .sinceMs = clock_()};
    if (awaiting) load_->stage = Load::Stage::AwaitingCore;
    load_->playlists.followed.push_back(url_);
    stream_ = {};
    if (!reconnecting) failure_ = {};
    failure_.guessed = false;
    // autoStart: a new address plays even when the last one was paused.
    if (libmpv_.pause) setPause(false);
    send();
    if (!reconnecting) setPhase(EnginePhase::Opening);
}

void EngineMachine::forget() {
    // Whatever is still on its way from the last load no longer concerns us.
    load_.reset();
    stopActive();
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
    if (!load_ || load_->stage == Load::Stage::Sent || libmpv_.loadUnanswered) return;
    // Only an idle core takes the load: one still closing a stream would
    // make it wait behind that close. With both busy, the active one is
    // stopped too and the first to go idle takes it.
    int target = active_;
    if (!core(active_).idle && core(1 - active_).made) {
        if (core(1 - active_).idle) {
            target = 1 - active_;
        } else {
            if (load_->stage == Load::Stage::AwaitingCore) return;
            load_->stage = Load::Stage::AwaitingCore;
            stopActive();
            // Their idle state may have changed unseen, as when a load failed at once.
            for (int i : {0, 1}) command({.kind = EngineCommand::Kind::AskIdle, .core = i});
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
    command(
        {.kind = EngineCommand::Kind::Load, .address = url_, .tag = load_->tag, .core = active_});
    load_->stage = Load::Stage::Sent;
    libmpv_.loadUnanswered = true;
}

void EngineMachine::coreMade(int index) {
    core(index).made = true;
}

void EngineMachine::loadReplied(int /*core*/, std::uint64_t tag, bool ok, std::int64_t entryId) {
    // Each load's reply frees the one slot, whichever core sent it.
    libmpv_.loadUnanswered = false;
    if (!load_ || load_->entry || load_->stage != Load::Stage::Sent || tag != load_->tag) {
        send();
    } else if (!ok) {
        attemptFailed();
    } else {
        const std::vector<EntryEvent> held = std::move(load_->held);
        load_->held.clear();
        load_->entry = Entry{.top = entryId, .id = entryId, .last = entryId};
        for (const EntryEvent& e : held) handle(e);
        // The idle state seen while the load was pending may be older than it.
        if (load_ && load_->eventsLost)
            command({.kind = EngineCommand::Kind::AskIdle, .core = active_});
    }
    settle();
}

void EngineMachine::fileStarted(int index, std::int64_t entryId) {
    core(index).entry = entryId;
    if (index != active_) return;
    arrive({entryId, EntryEvent::Start, EndReason::Eof, 0, 0});
}

void EngineMachine::fileLoaded(int index) {
    if (index != active_ || !core(index).entry) return;
    arrive({*core(index).entry, EntryEvent::Loaded, EndReason::Eof, 0, 0});
}

void EngineMachine::playbackRestarted(int index) {
    if (index != active_ || !core(index).entry) return;
    arrive({*core(index).entry, EntryEvent::Restarted, EndReason::Eof, 0, 0});
}

void EngineMachine::fileEnded(int index, std::int64_t entryId, EndReason reason,
                              std::int64_t insertId, int insertCount) {
    if (core(index).entry == entryId) core(index).entry.reset();
    if (index != active_) return;
    arrive({entryId, EntryEvent::End, reason, insertId, insertCount});
}

bool EngineMachine::watchesOpening(int index) const {
    // Only an entry a playlist of ours put in can be a loop: the address
    // itself is the first of the followed ones.
    const std::optional<std::int64_t>& now = cores_[static_cast<std::size_t>(index)].entry;
    if (index != active_ || !load_ || !load_->entry || !now) return false;
    const Entry& ours = *load_->entry;
    return *now != ours.top && (*now == ours.id || (*now > ours.id && *now <= ours.last));
}

void EngineMachine::entryOpening(int index, std::uint64_t hook, const QString& address) {
    int delay = 0;
    if (watchesOpening(index)) {
        Playlists& playlists = load_->playlists;
        playlists.opening = Playlists::Opening{*core(index).entry, address};
        if (std::find(playlists.followed.begin(), playlists.followed.end(), address) !=
            playlists.followed.end()) {
            fail({Failure::PlaylistLoop});
        } else if (playlists.failedInARow > 0) {
            // A playlist of dead entries is not run through as fast as
            // libmpv can fail them.
            delay = static_cast<int>(
                std::max<qint64>(0, playlists.lastFailureMs + kFailedEntryGapMs - clock_()));
        }
    }
    command({.kind = EngineCommand::Kind::Continue, .tag = hook, .ms = delay, .core = index});
    settle();
}

void EngineMachine::arrive(const EntryEvent& e) {
    // The entry an event belongs to is fixed when it arrives; while the
    // entry of our load is unknown, the event waits for it. Events from
    // before our loadfile went out are of earlier loads.
    if (load_ && !load_->entry) {
        if (load_->stage == Load::Stage::Sent) load_->held.push_back(e);
    } else {
        handle(e);
    }
    settle();
}

void EngineMachine::handle(const EntryEvent& e) {
    if (!load_ || !load_->entry) return;
    Entry& entry = *load_->entry;
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
            if (!reconnect_ && !libmpv_.pause) setPhase(EnginePhase::Buffering);
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
            break;
    }
    Playlists& playlists = load_->playlists;
    if (e.reason == EndReason::Redirect && e.insertId > 0) {
        // A playlist (.pls, .m3u) was opened: its entries play in its place.
        if (playlists.opening && playlists.opening->entry == e.entryId && e.entryId != entry.top)
            playlists.followed.push_back(playlists.opening->address);
        if (static_cast<int>(playlists.followed.size()) > kMaxNestedPlaylists) {
            fail({Failure::PlaylistLoop});
            return;
        }
        entry.id = e.insertId;
        entry.last = e.insertId + std::max(e.insertCount, 1) - 1;
        entry.progress = Entry::Progress::Named;
        return;
    }
    endOfCurrent(e.reason);
}

void EngineMachine::endOfCurrent(EndReason reason) {
    Entry& entry = *load_->entry;
    const bool decoded = entry.progress == Entry::Progress::Restarted || load_->played;
    load_->eventsLost = false;  // it ended once; nothing lost can end it again
    const bool stopped = reason == EndReason::Stop || reason == EndReason::Quit;
    if (!stopped && entry.id < entry.last) {
        if (decoded) {
            load_->playlists.failedInARow = 0;
        } else if (entryFailed()) {
            return;
        }
        entry.progress = Entry::Progress::Named;  // the next entry follows
        return;
    }
    const Load ended = std::move(*load_);
    load_.reset();
    if (reconnect_) {
        scheduleReconnect();
        return;
    }
    if (stopped) {
        setPhase(EnginePhase::Ended);
        return;
    }
    if (network() && ended.played && reason == EndReason::Eof && !lengthKnown() && !stream_.icy &&
        !stream_.hls) {
        // A body without a length, from a server that is no station: a file
        // made on the fly and a live stream end alike here, and libmpv does
        // not say whether the last chunk came. The server is asked once.
        command({.kind = EngineCommand::Kind::AskServer, .address = url_, .tag = ended.tag});
        setPhase(EnginePhase::Reconnecting);
    } else if (network() && ended.played && !(reason == EndReason::Eof && lengthKnown())) {
        // libmpv ends a dropped live stream as it ends a file; only an entry
        // without a known length can be a live stream.
        startReconnect();
    } else if (reason == EndReason::Eof && decoded) {
        setPhase(EnginePhase::Ended);
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

void EngineMachine::eventsLost(int index) {
    if (index != active_ || !load_) return;
    load_->eventsLost = true;
    // What was lost may include the end of our entry; libmpv's present idle
    // state tells whether anything still plays.
    command({.kind = EngineCommand::Kind::AskIdle, .core = active_});
    settle();
}

void EngineMachine::idleChanged(int index, bool idle) {
    core(index).idle = idle;
    if (idle) send();
    if (index == active_) endLostEntry();
    settle();
}

void EngineMachine::endLostEntry() {
    // Events can be dropped when the queue runs over while the window's
    // thread is held; then only libmpv being idle tells that our entry ended.
    // A load under way asks again once it is answered.
    if (!load_ || !load_->eventsLost || !load_->entry || !core(active_).idle) return;
    load_->eventsLost = false;
    core(active_).entry.reset();
    Entry& entry = *load_->entry;
    entry.last = entry.id;  // idle: no later entry of a playlist follows
    const bool decoded = entry.progress == Entry::Progress::Restarted || load_->played;
    endOfCurrent(decoded ? EndReason::Eof : EndReason::Error);
}

void EngineMachine::pauseChanged(int index, bool on) {
    if (index != active_) return;
    libmpv_.pause = on;
    updatePlaying();
    settle();
}

void EngineMachine::pausedForCacheChanged(int index, bool on) {
    if (index != active_) return;
    libmpv_.pausedForCache = on;
    updatePlaying();
    settle();
}

void EngineMachine::seekableChanged(int index, bool on) {
    if (index == active_) stream_.seekable = on;
}

void EngineMachine::durationChanged(int index, double seconds) {
    if (index == active_) stream_.duration = std::max(seconds, 0.0);
}

void EngineMachine::sizeChanged(int index, std::int64_t bytes) {
    if (index == active_) stream_.sized = bytes > 0;
}

void EngineMachine::icyChanged(int index, bool on) {
    if (index == active_) stream_.icy = on;
}

void EngineMachine::hlsChanged(int index, bool on) {
    if (index == active_) stream_.hls = on;
}

void EngineMachine::serverAnswered(std::uint64_t tag, bool live) {
    if (!askingServer() || tag != generation_) return;
    if (live)
        startReconnect();
    else
        setPhase(EnginePhase::Ended);
    settle();
}

void EngineMachine::positionChanged(int index, double seconds) {
    // A late answer about an earlier entry says nothing about this one.
    if (index == active_ && loaded()) stream_.position = seconds;
}

void EngineMachine::timerDue(EngineTimer timer) {
    if (timer == EngineTimer::Reconnect) {
        if (reconnect_) {
            reconnect_->nextTryMs.reset();
            load(true);
        }
    } else if (watchdogDueMs_) {
        watchdogDueMs_.reset();
        // The stream did not play, or play again, in time: a trickle of
        // bytes keeps libmpv waiting without ever timing out.
        const bool wasPlaying = load_ && load_->played;
        forget();
        if (reconnect_) {
            scheduleReconnect();
        } else if (wasPlaying) {
            startReconnect();
        } else {
            failure_ = {{Failure::NothingPlayed, stallLimitMs_ / 1000}};
            setPhase(EnginePhase::Failed);
        }
    }
    settle();
}

bool EngineMachine::entryFailed() {
    Playlists& playlists = load_->playlists;
    playlists.lastFailureMs = clock_();
    if (++playlists.failedInARow < kMaxFailedEntries) return false;
    fail({Failure::FailedEntries, playlists.failedInARow});
    return true;
}

void EngineMachine::fail(FailureReason reason) {
    cancelReconnect();
    forget();
    failure_ = {reason};
    setPhase(EnginePhase::Failed);
}

void EngineMachine::attemptFailed() {
    const Load ended = std::move(*load_);
    load_.reset();
    if (reconnect_)
        scheduleReconnect();
    else
        failOpening(EndReason::Error, ended);
}

void EngineMachine::failOpening(EndReason reason, const Load& load) {
    // libmpv's own error only says loading failed; a silent server is told
    // by the time it took, anything else by what the network layer said.
    const bool told = load.hint.kind != Failure::None;
    if (told)
        failure_ = {load.hint};
    else if (reason != EndReason::Error)
        failure_ = {{Failure::NotAudio}};
    else if (network() && clock_() - load.sinceMs >= networkTimeoutMs_ - kTimeoutSlackMs)
        failure_ = {{Failure::NoAnswer}, true};
    else
        failure_ = {{Failure::CannotOpen}, true};
    setPhase(EnginePhase::Failed);
}

void EngineMachine::openingError(FailureReason reason) {
    if (failure_.guessed && phase_ == EnginePhase::Failed)
        failure_ = {reason};
    else if (load_)
        load_->hint = reason;
}

void EngineMachine::startReconnect() {
    reconnect_ = Reconnect{.sinceMs = clock_()};
    setPhase(EnginePhase::Reconnecting);
    scheduleReconnect();
}

void EngineMachine::scheduleReconnect() {
    const int pause =
        reconnectPauseMs(reconnect_->attempt++, clock_() - reconnect_->sinceMs, reconnectLimitMs_);
    if (pause < 0) {
        cancelReconnect();
        load_.reset();
        failure_ = {{Failure::OffTheAir, reconnectLimitMs_ / 1000}};
        setPhase(EnginePhase::Ended);
        return;
    }
    command(
        {.kind = EngineCommand::Kind::StartTimer, .timer = EngineTimer::Reconnect, .ms = pause});
    reconnect_->nextTryMs = clock_() + pause;
}

void EngineMachine::cancelReconnect() {
    if (reconnect_ && reconnect_->nextTryMs)
        command({.kind = EngineCommand::Kind::StopTimer, .timer = EngineTimer::Reconnect});
    reconnect_.reset();
}

void EngineMachine::updatePlaying() {
    // Only our own entry, once opened and until it ends, decides the state.
    if (!loaded()) return;
    if (libmpv_.pause) {
        setPhase(EnginePhase::Paused);
    } else if (load_->entry->progress != Entry::Progress::Restarted || libmpv_.pausedForCache) {
        setPhase(reconnect_ ? EnginePhase::Reconnecting : EnginePhase::Buffering);
    } else {
        load_->played = true;
        cancelReconnect();
        setPhase(EnginePhase::Playing);
    }
}

void EngineMachine::settle() {
    // A stream is watched from its load until it plays, and again whenever
    // it waits for data; a pause by the user does not count.
    const bool waiting = network() && load_ && !libmpv_.pause && phase_ != EnginePhase::Playing;
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
