#include "player/media/engine_machine.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>
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

// The scheme of "scheme://rest" in lower case; empty for a plain path.
QString schemeOf(const QString& url) {
    const qsizetype separator = url.indexOf(QStringLiteral("://"));
    if (separator <= 1) return QString();            // "C://x" is a drive, not a scheme
    QString scheme = url.left(separator).toLower();  // not const: returned by move
    for (QChar c : std::as_const(scheme))
        if (!(c.isLetterOrNumber() || c == QLatin1Char('+') || c == QLatin1Char('-') ||
              c == QLatin1Char('.')))
            return QString();
    return scheme;
}

}  // namespace

bool isNetworkScheme(const QString& url) {
    const QString scheme = schemeOf(url);
    return !scheme.isEmpty() && scheme != QLatin1String("file");
}

bool isOpenableScheme(const QString& url) {
    // libmpv also knows schemes that reach into the player process itself
    // ("fd://", "fdclose://" act on its file descriptors) or run filter
    // graphs; an address typed into the test box must not get there.
    static const QStringList allowed = {
        QStringLiteral("http"),  QStringLiteral("https"), QStringLiteral("icyx"),
        QStringLiteral("mms"),   QStringLiteral("mmsh"),  QStringLiteral("mmst"),
        QStringLiteral("rtsp"),  QStringLiteral("rtsps"), QStringLiteral("rtmp"),
        QStringLiteral("rtmps"), QStringLiteral("rtp"),   QStringLiteral("udp"),
        QStringLiteral("srt"),   QStringLiteral("ftp"),   QStringLiteral("sftp"),
        QStringLiteral("smb"),   QStringLiteral("dav"),   QStringLiteral("davs"),
        QStringLiteral("file")};
    const QString scheme = schemeOf(url);
    return scheme.isEmpty() || allowed.contains(scheme);
}

AddressKind addressKind(const QString& url) {
    if (url.isEmpty() || !isOpenableScheme(url)) return AddressKind::Refused;
    if (isNetworkScheme(url)) return AddressKind::Network;
    QString path = url;
    if (!schemeOf(url).isEmpty()) {
        const QUrl fileUrl(url);
        if (!fileUrl.isLocalFile()) return AddressKind::Refused;
        path = fileUrl.toLocalFile();
    }
    // libmpv reads "-" as standard input, plays every file beneath a folder
    // and would read a device or a descriptor for good.
    if (path == QLatin1String("-")) return AddressKind::Refused;
    const QFileInfo info(path);
    const QString absolute = QDir::cleanPath(info.absoluteFilePath());
    for (const char* system : {"/dev/", "/proc/"})
        if (absolute.startsWith(QLatin1String(system))) return AddressKind::Refused;
    return info.isFile() ? AddressKind::File : AddressKind::Refused;
}

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

void EngineMachine::setUrl(const QString& url, AddressKind kind) {
    url_ = url;
    kind_ = url.isEmpty() ? AddressKind::Refused : kind;
    failure_ = {};
    failureVague_ = false;
    cancelReconnect();
    if (kind_ == AddressKind::Refused) {
        forget();
        if (!url.isEmpty()) failure_ = {Failure::CannotOpen};
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
        if (pending_ || !loaded())
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
    pause_ = on;
}

void EngineMachine::load(bool reconnecting) {
    ++generation_;
    pending_ = PendingLoad{};
    currentEntry_ = playlistLast_ = -1;
    entry_ = Entry::Waiting;
    attempt_ = true;
    played_ = false;
    eventsLost_ = false;
    seekable_ = sized_ = icy_ = hls_ = false;
    duration_ = position_ = 0.0;
    playlists_ = {};
    playlists_.followed.push_back(url_);
    hint_ = {};
    loadStartMs_ = clock_();
    if (!reconnecting) failure_ = {};
    failureVague_ = false;
    // autoStart: a new address plays even when the last one was paused.
    if (pause_) setPause(false);
    loadWanted_ = true;
    send();
    if (!reconnecting) setPhase(EnginePhase::Opening);
}

void EngineMachine::forget() {
    // Whatever is still on its way from the last load no longer concerns us.
    ++generation_;
    pending_.reset();
    loadWanted_ = false;
    currentEntry_ = playlistLast_ = -1;
    entry_ = Entry::Waiting;
    attempt_ = played_ = eventsLost_ = false;
    if (!mayBePlaying_) return;
    command({.kind = EngineCommand::Kind::Stop, .core = active_});
    mayBePlaying_ = false;
}

void EngineMachine::send() {
    // Every command holds a slot of libmpv's event queue until its reply is
    // read, so only one loadfile is under way at a time; the newest address
    // goes when it is answered.
    if (!loadWanted_ || loadInFlight_) return;
    // Only an idle second core takes the load: one still closing an earlier
    // stream would make it wait behind that close.
    Core& other = cores_[static_cast<std::size_t>(1 - active_)];
    if (!cores_[static_cast<std::size_t>(active_)].idle && other.made && other.idle) {
        command({.kind = EngineCommand::Kind::Stop, .core = active_});
        active_ = 1 - active_;
        // It may have been left paused with the stream it last played.
        command({.kind = EngineCommand::Kind::Pause, .on = false, .core = active_});
    }
    cores_[static_cast<std::size_t>(active_)].idle = false;
    command(
        {.kind = EngineCommand::Kind::Load, .address = url_, .tag = generation_, .core = active_});
    loadWanted_ = false;
    loadInFlight_ = true;
    mayBePlaying_ = true;
}

void EngineMachine::coreMade(int core) {
    cores_[static_cast<std::size_t>(core)].made = true;
}

void EngineMachine::loadReplied(int /*core*/, std::uint64_t tag, bool ok, std::int64_t entryId) {
    // Each load's reply frees the one slot, whichever core sent it.
    loadInFlight_ = false;
    if (!pending_ || tag != generation_) {
        send();
    } else if (!ok) {
        pending_.reset();
        attemptFailed();
    } else {
        const std::vector<EntryEvent> held = std::move(pending_->held);
        pending_.reset();
        currentEntry_ = playlists_.top = entryId;
        for (const EntryEvent& e : held) handle(e);
        // The idle state seen while the load was pending may be older than it.
        if (eventsLost_) command({.kind = EngineCommand::Kind::AskIdle, .core = active_});
    }
    settle();
}

void EngineMachine::fileStarted(int core, std::int64_t entryId) {
    if (core != active_) return;
    activeEntry_ = entryId;
    arrive({entryId, EntryEvent::Start, EndReason::Eof, 0, 0});
}

void EngineMachine::fileLoaded(int core) {
    if (core != active_) return;
    arrive({activeEntry_, EntryEvent::Loaded, EndReason::Eof, 0, 0});
}

void EngineMachine::playbackRestarted(int core) {
    if (core != active_) return;
    arrive({activeEntry_, EntryEvent::Restarted, EndReason::Eof, 0, 0});
}

void EngineMachine::fileEnded(int core, std::int64_t entryId, EndReason reason,
                              std::int64_t insertId, int insertCount) {
    if (core != active_) return;
    if (activeEntry_ == entryId) activeEntry_ = -1;
    arrive({entryId, EntryEvent::End, reason, insertId, insertCount});
}

bool EngineMachine::watchesOpening(int core) const {
    // Only an entry a playlist of ours put in can be a loop: the address
    // itself is the first of the followed ones.
    return core == active_ && !pending_ && currentEntry_ >= 0 && activeEntry_ != playlists_.top &&
           (activeEntry_ == currentEntry_ ||
            (activeEntry_ > currentEntry_ && activeEntry_ <= playlistLast_));
}

void EngineMachine::entryOpening(int core, std::uint64_t hook, const QString& address) {
    int delay = 0;
    if (watchesOpening(core)) {
        playlists_.opening = activeEntry_;
        playlists_.openingAddress = address;
        if (std::find(playlists_.followed.begin(), playlists_.followed.end(), address) !=
            playlists_.followed.end()) {
            fail({Failure::PlaylistLoop});
        } else if (playlists_.failedInARow > 0) {
            // A playlist of dead entries is not run through as fast as
            // libmpv can fail them.
            delay = static_cast<int>(
                std::max<qint64>(0, playlists_.lastFailureMs + kFailedEntryGapMs - clock_()));
        }
    }
    command({.kind = EngineCommand::Kind::Continue, .tag = hook, .ms = delay, .core = core});
    settle();
}

void EngineMachine::arrive(const EntryEvent& e) {
    // The entry an event belongs to is fixed when it arrives; while the
    // entry of our load is unknown, the event waits for it.
    if (pending_)
        pending_->held.push_back(e);
    else
        handle(e);
    settle();
}

void EngineMachine::handle(const EntryEvent& e) {
    if (currentEntry_ < 0) return;
    // After a failed or finished entry of an opened playlist libmpv goes on
    // with the next one, which then is ours.
    if (e.kind == EntryEvent::Start && e.entryId > currentEntry_ && e.entryId <= playlistLast_) {
        currentEntry_ = e.entryId;
        entry_ = Entry::Waiting;
    }
    if (e.entryId != currentEntry_) return;
    switch (e.kind) {
        case EntryEvent::Start:
            entry_ = Entry::Opening;
            if (!reconnect_ && !pause_) setPhase(EnginePhase::Buffering);
            return;
        case EntryEvent::Loaded:
            if (entry_ != Entry::Opening) return;
            entry_ = Entry::Loaded;
            updatePlaying();
            return;
        case EntryEvent::Restarted:
            if (!loaded()) return;
            entry_ = Entry::Started;
            updatePlaying();
            return;
        case EntryEvent::End:
            break;
    }
    if (entry_ == Entry::Ended) return;
    if (e.reason == EndReason::Redirect && e.insertId > 0) {
        // A playlist (.pls, .m3u) was opened: its entries play in its place.
        if (playlists_.opening == e.entryId && e.entryId != playlists_.top)
            playlists_.followed.push_back(playlists_.openingAddress);
        if (static_cast<int>(playlists_.followed.size()) > kMaxNestedPlaylists) {
            fail({Failure::PlaylistLoop});
            return;
        }
        currentEntry_ = e.insertId;
        playlistLast_ = e.insertId + std::max(e.insertCount, 1) - 1;
        entry_ = Entry::Waiting;
        return;
    }
    endOfCurrent(e.reason);
}

void EngineMachine::endOfCurrent(EndReason reason) {
    const bool decoded = entry_ == Entry::Started || played_;
    entry_ = Entry::Ended;
    eventsLost_ = false;  // it ended once; nothing lost can end it again
    const bool stopped = reason == EndReason::Stop || reason == EndReason::Quit;
    if (!stopped && currentEntry_ < playlistLast_) {
        if (decoded) {
            playlists_.failedInARow = 0;
        } else if (entryFailed()) {
            return;
        }
        entry_ = Entry::Waiting;  // the next entry follows
        return;
    }
    attempt_ = false;
    if (reconnect_) {
        scheduleReconnect();
    } else if (stopped) {
        setPhase(EnginePhase::Ended);
    } else if (network() && played_ && reason == EndReason::Eof && !lengthKnown() && !icy_ &&
               !hls_) {
        // A body without a length, from a server that is no station: a file
        // made on the fly and a live stream end alike here, and libmpv does
        // not say whether the last chunk came. The server is asked once.
        command({.kind = EngineCommand::Kind::AskServer, .address = url_, .tag = generation_});
        setPhase(EnginePhase::Reconnecting);
    } else if (network() && played_ && !(reason == EndReason::Eof && lengthKnown())) {
        // libmpv ends a dropped live stream as it ends a file; only an entry
        // without a known length can be a live stream.
        startReconnect();
    } else {
        // An address that never got as far as decoding could not be opened.
        if (reason == EndReason::Eof && decoded)
            setPhase(EnginePhase::Ended);
        else
            failOpening(reason);
    }
}

bool EngineMachine::lengthKnown() const {
    // libmpv guesses a live stream's length from the bytes received so far,
    // which keeps just ahead of the playing position; only a length the
    // server announced (or a seekable entry) makes a real one. The position
    // still has to be near it: some stations announce a huge size.
    // An HLS entry's size is its playlist's; only the end marker, which
    // makes it seekable, tells a finished one.
    return seekable_ ||
           (sized_ && !hls_ && duration_ > 0.0 && position_ > 0.0 &&
            position_ >= duration_ - kEndSlackSeconds && position_ <= duration_ + kPastEndSeconds);
}

void EngineMachine::eventsLost(int core) {
    if (core != active_) return;
    eventsLost_ = true;
    // What was lost may include the end of our entry; libmpv's present idle
    // state tells whether anything still plays.
    command({.kind = EngineCommand::Kind::AskIdle, .core = active_});
    settle();
}

void EngineMachine::idleChanged(int core, bool idle) {
    cores_[static_cast<std::size_t>(core)].idle = idle;
    if (core != active_) return;
    endLostEntry();
    settle();
}

void EngineMachine::endLostEntry() {
    // Events can be dropped when the queue runs over while the window's
    // thread is held; then only libmpv being idle tells that our entry ended.
    // A load under way asks again once it is answered.
    if (!eventsLost_ || !cores_[static_cast<std::size_t>(active_)].idle || pending_ ||
        loadWanted_ || loadInFlight_)
        return;
    eventsLost_ = false;
    if (currentEntry_ < 0 || entry_ == Entry::Ended) return;
    activeEntry_ = -1;
    playlistLast_ = currentEntry_;  // idle: no later entry of a playlist follows
    endOfCurrent(entry_ == Entry::Started || played_ ? EndReason::Eof : EndReason::Error);
}

void EngineMachine::pauseChanged(int core, bool on) {
    if (core != active_) return;
    pause_ = on;
    updatePlaying();
    settle();
}

void EngineMachine::pausedForCacheChanged(int core, bool on) {
    if (core != active_) return;
    pausedForCache_ = on;
    updatePlaying();
    settle();
}

void EngineMachine::seekableChanged(int core, bool on) {
    if (core == active_) seekable_ = on;
}

void EngineMachine::durationChanged(int core, double seconds) {
    if (core == active_) duration_ = std::max(seconds, 0.0);
}

void EngineMachine::sizeChanged(int core, std::int64_t bytes) {
    if (core == active_) sized_ = bytes > 0;
}

void EngineMachine::icyChanged(int core, bool on) {
    if (core == active_) icy_ = on;
}

void EngineMachine::hlsChanged(int core, bool on) {
    if (core == active_) hls_ = on;
}

void EngineMachine::serverAnswered(std::uint64_t tag, bool live) {
    if (!askingServer() || tag != generation_) return;
    if (live)
        startReconnect();
    else
        setPhase(EnginePhase::Ended);
    settle();
}

void EngineMachine::positionChanged(int core, double seconds) {
    // A late answer about an earlier entry says nothing about this one.
    if (core == active_ && loaded()) position_ = seconds;
}

void EngineMachine::timerDue(EngineTimer timer) {
    if (timer == EngineTimer::Reconnect) {
        if (reconnect_) {
            reconnect_->timerArmed = false;
            load(true);
        }
    } else if (watchdogArmed_) {
        watchdogArmed_ = false;
        // The stream did not play, or play again, in time: a trickle of
        // bytes keeps libmpv waiting without ever timing out.
        const bool wasPlaying = played_;
        forget();
        if (reconnect_) {
            scheduleReconnect();
        } else if (wasPlaying) {
            startReconnect();
        } else {
            failure_ = {Failure::NothingPlayed, stallLimitMs_ / 1000};
            setPhase(EnginePhase::Failed);
        }
    }
    settle();
}

bool EngineMachine::entryFailed() {
    playlists_.lastFailureMs = clock_();
    if (++playlists_.failedInARow < kMaxFailedEntries) return false;
    fail({Failure::FailedEntries, playlists_.failedInARow});
    return true;
}

void EngineMachine::fail(FailureReason reason) {
    cancelReconnect();
    forget();
    failure_ = reason;
    failureVague_ = false;
    setPhase(EnginePhase::Failed);
}

void EngineMachine::attemptFailed() {
    attempt_ = false;
    if (reconnect_)
        scheduleReconnect();
    else
        failOpening(EndReason::Error);
}

void EngineMachine::failOpening(EndReason reason) {
    // libmpv's own error only says loading failed; a silent server is told
    // by the time it took, anything else by what the network layer said.
    if (hint_.kind != Failure::None)
        failure_ = hint_;
    else if (reason != EndReason::Error)
        failure_ = {Failure::NotAudio};
    else if (network() && clock_() - loadStartMs_ >= networkTimeoutMs_ - kTimeoutSlackMs)
        failure_ = {Failure::NoAnswer};
    else
        failure_ = {Failure::CannotOpen};
    failureVague_ = hint_.kind == Failure::None && reason == EndReason::Error;
    setPhase(EnginePhase::Failed);
}

void EngineMachine::openingError(FailureReason reason) {
    if (failureVague_ && phase_ == EnginePhase::Failed) {
        failure_ = reason;
        failureVague_ = false;
    } else if (attempt_) {
        hint_ = reason;
    }
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
        currentEntry_ = playlistLast_ = -1;
        failure_ = {Failure::OffTheAir, reconnectLimitMs_ / 1000};
        setPhase(EnginePhase::Ended);
        return;
    }
    command(
        {.kind = EngineCommand::Kind::StartTimer, .timer = EngineTimer::Reconnect, .ms = pause});
    reconnect_->timerArmed = true;
}

void EngineMachine::cancelReconnect() {
    if (reconnect_ && reconnect_->timerArmed)
        command({.kind = EngineCommand::Kind::StopTimer, .timer = EngineTimer::Reconnect});
    reconnect_.reset();
}

void EngineMachine::updatePlaying() {
    // Only our own entry, once opened and until it ends, decides the state.
    if (pending_ || !loaded()) return;
    if (pause_) {
        setPhase(EnginePhase::Paused);
    } else if (entry_ != Entry::Started || pausedForCache_) {
        setPhase(reconnect_ ? EnginePhase::Reconnecting : EnginePhase::Buffering);
    } else {
        played_ = true;
        cancelReconnect();
        setPhase(EnginePhase::Playing);
    }
}

void EngineMachine::settle() {
    // A stream is watched from its load until it plays, and again whenever
    // it waits for data; a pause by the user does not count.
    const bool waiting = network() && attempt_ && !pause_ && phase_ != EnginePhase::Playing;
    if (waiting && !watchdogArmed_)
        command({.kind = EngineCommand::Kind::StartTimer,
                 .timer = EngineTimer::Watchdog,
                 .ms = stallLimitMs_});
    else if (!waiting && watchdogArmed_)
        command({.kind = EngineCommand::Kind::StopTimer, .timer = EngineTimer::Watchdog});
    watchdogArmed_ = waiting;
}

}  // namespace ondrix
