// The machine's table: one function per event, each naming, phase by phase,
// the next phase and the commands. The steps several events share are in
// engine_steps.cpp.
#include "media/engine_machine.h"

#include <algorithm>
#include <utility>

#include "media/overloaded.h"

namespace ondrix {

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

EnginePhase EngineMachine::phase() const {
    return std::visit(overloaded{
                          [](const Idle&) { return EnginePhase::Idle; },
                          [](const Opening&) { return EnginePhase::Opening; },
                          [](const Buffering&) { return EnginePhase::Buffering; },
                          [](const Playing&) { return EnginePhase::Playing; },
                          [](const Paused&) { return EnginePhase::Paused; },
                          // Asking the server shows as a reconnect: it may lead to one.
                          [](const Reconnecting&) { return EnginePhase::Reconnecting; },
                          [](const AskingServer&) { return EnginePhase::Reconnecting; },
                          [](const Ended&) { return EnginePhase::Ended; },
                          [](const Failed&) { return EnginePhase::Failed; },
                      },
                      phase_);
}

FailureReason EngineMachine::failure() const {
    if (const auto* failed = std::get_if<Failed>(&phase_)) return failed->why;
    if (const auto* ended = std::get_if<Ended>(&phase_)) return ended->why;
    return {};
}

// The user's calls.

void EngineMachine::setUrl(const QString& url, const AddressVerdict& verdict) {
    url_ = url;
    admitted_.reset();
    if (const auto* admitted = std::get_if<Admitted>(&verdict)) admitted_ = *admitted;
    stopReconnectTimer();
    if (!admitted_) {
        stopActive();
        const Refusal refusal = std::get<Refusal>(verdict);
        phase_ = Failed{refusal == Refusal::Empty
                            ? FailureReason{}
                            : FailureReason{Failure::Refused, static_cast<int>(refusal)}};
    } else {
        phase_ = Opening{newLoad()};
        send();
    }
    settle();
}

void EngineMachine::play() {
    if (url_.isEmpty()) return;
    const auto reopen = [this] {
        if (!admitted_) {
            if (!in<Failed>()) phase_ = Failed{failure()};
        } else {
            phase_ = Opening{newLoad()};
            send();
        }
    };
    std::visit(overloaded{
                   [&](Paused& p) {
                       setPause(false);
                       if (loaded())
                           updatePlaying();
                       else if (p.reconnect)
                           phase_ = Reconnecting{*p.reconnect, std::move(p.load)};
                       else if (p.load)
                           phase_ = Buffering{std::move(*p.load)};
                   },
                   [&](Idle&) { reopen(); }, [&](Ended&) { reopen(); }, [&](Failed&) { reopen(); },
                   [](auto&) {},  // under way already
               },
               phase_);
    settle();
}

void EngineMachine::stop() {
    stopReconnectTimer();
    stopActive();
    std::visit(overloaded{
                   // A failed or empty address stays Ready: Stopped would start the shuttle.
                   [](Failed&) {},
                   [](Idle&) {},
                   [](Ended&) {},  // keeps why it ended
                   [this](auto&) { phase_ = Ended{}; },
               },
               phase_);
    settle();
}

void EngineMachine::pause() {
    const auto paused = [this](Load& load) {
        setPause(true);
        phase_ = Paused{std::move(load), {}};
    };
    std::visit(overloaded{
                   [&](Opening& p) { paused(p.load); }, [&](Buffering& p) { paused(p.load); },
                   [&](Playing& p) { paused(p.load); },
                   [](auto&) {},  // nothing plays, or a reconnect waits
               },
               phase_);
    settle();
}

// libmpv's events.

template <typename Event>
void EngineMachine::fromActive(CoreId id, Event&& event) {
    // The one place where the events of a core that no longer counts end.
    if (!counts(id)) return;
    event();
    settle();
}

void EngineMachine::coreMade(CoreId id) {
    core(id).made = true;
}

void EngineMachine::loadReplied(CoreId /*core*/, std::uint64_t tag, bool ok, std::int64_t entryId) {
    // Each load's reply frees the one slot, whichever core sent it.
    libmpv_.loadUnanswered = false;
    Load* ours = load();
    if (!ours || ours->entry || ours->stage != Load::Stage::Sent || tag != ours->tag) {
        send();
    } else if (!ok) {
        const Load failed = releaseLoad();
        if (reconnect())
            scheduleReconnect(failed.hint);
        else
            failOpening(EndReason::Error, failed);
    } else {
        const std::vector<EntryEvent> held = std::move(ours->held);
        ours->held.clear();
        ours->entry = Entry{.top = entryId, .id = entryId, .last = entryId};
        for (const EntryEvent& e : held) handle(e);
        // The idle state seen while the load was pending may be older than it.
        if (const Load* now = load(); now && now->eventsLost)
            command({.kind = EngineCommand::Kind::AskIdle, .core = active_});
    }
    settle();
}

void EngineMachine::fileStarted(CoreId id, std::int64_t entryId) {
    core(id).entry = entryId;
    fromActive(id, [&] { arrive({entryId, EntryEvent::Start, EndReason::Eof, 0, 0}); });
}

void EngineMachine::fileLoaded(CoreId id) {
    fromActive(id, [&] {
        if (core(id).entry) arrive({*core(id).entry, EntryEvent::Loaded, EndReason::Eof, 0, 0});
    });
}

void EngineMachine::playbackRestarted(CoreId id) {
    fromActive(id, [&] {
        if (core(id).entry) arrive({*core(id).entry, EntryEvent::Restarted, EndReason::Eof, 0, 0});
    });
}

void EngineMachine::fileEnded(CoreId id, std::int64_t entryId, EndReason reason,
                              std::int64_t insertId, int insertCount) {
    if (core(id).entry == entryId) core(id).entry.reset();
    fromActive(id, [&] { arrive({entryId, EntryEvent::End, reason, insertId, insertCount}); });
}

bool EngineMachine::watchesOpening(CoreId id) const {
    // Only an entry a playlist of ours put in can be a loop: the address
    // itself is the first of the followed ones.
    const std::optional<std::int64_t>& now = core(id).entry;
    const Load* ours = load();
    if (!counts(id) || !ours || !ours->entry || !now) return false;
    const Entry& entry = *ours->entry;
    return *now != entry.top && (*now == entry.id || (*now > entry.id && *now <= entry.last));
}

AddressOrigin EngineMachine::openingOrigin(CoreId id) const {
    // An entry of ours nobody watches is the address itself, which passed
    // the gate already; a stray one counts as the stricter kind.
    const bool fromServer = !watchesOpening(id) || load()->entry->fromServer;
    return fromServer ? AddressOrigin::RemotePlaylist : AddressOrigin::LocalPlaylist;
}

void EngineMachine::entryOpening(CoreId id, std::uint64_t hook, const AddressVerdict& verdict) {
    int delay = 0;
    if (watchesOpening(id)) {
        Load& ours = *load();
        Playlists& playlists = ours.playlists;
        playlists.opening.reset();
        // What the network layer says from here on is of this entry.
        ours.hint = {};
        const auto* admitted = std::get_if<Admitted>(&verdict);
        if (!admitted) {
            // Refused at once, and failed as any entry that cannot be opened.
            ours.hint = {Failure::Refused, static_cast<int>(std::get<Refusal>(verdict))};
            command({.kind = EngineCommand::Kind::Refuse, .tag = hook, .core = id});
            settle();
            return;
        }
        const QString& address = admitted->address();
        playlists.opening = Playlists::Opening{*core(id).entry, *admitted};
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
    command({.kind = EngineCommand::Kind::Continue, .tag = hook, .ms = delay, .core = id});
    settle();
}

void EngineMachine::openingError(FailureReason reason) {
    auto* failed = std::get_if<Failed>(&phase_);
    if (failed && failed->guessed)
        *failed = Failed{reason};
    else if (Load* ours = load())
        ours->hint = reason;
    else if (Reconnect* r = reconnect())
        r->said = reason;  // libmpv often tells why a try failed after its end
}

void EngineMachine::eventsLost(CoreId id) {
    fromActive(id, [&] {
        Load* ours = load();
        if (!ours) return;
        ours->eventsLost = true;
        // What was lost may include the end of our entry; libmpv's present
        // idle state tells whether anything still plays.
        command({.kind = EngineCommand::Kind::AskIdle, .core = active_});
    });
}

void EngineMachine::idleChanged(CoreId id, bool idle) {
    core(id).idle = idle;
    if (idle) send();
    if (counts(id)) endLostEntry();
    settle();
}

void EngineMachine::pauseChanged(CoreId id, bool on) {
    fromActive(id, [&] {
        libmpv_.pause = on;
        updatePlaying();
    });
}

void EngineMachine::pausedForCacheChanged(CoreId id, bool on) {
    fromActive(id, [&] {
        libmpv_.pausedForCache = on;
        updatePlaying();
    });
}

void EngineMachine::seekableChanged(CoreId id, bool on) {
    fromActive(id, [&] { stream_.seekable = on; });
}

void EngineMachine::durationChanged(CoreId id, double seconds) {
    fromActive(id, [&] { stream_.duration = std::max(seconds, 0.0); });
}

void EngineMachine::sizeChanged(CoreId id, std::int64_t bytes) {
    fromActive(id, [&] { stream_.sized = bytes > 0; });
}

void EngineMachine::icyChanged(CoreId id, bool on) {
    fromActive(id, [&] { stream_.icy = on; });
}

void EngineMachine::hlsChanged(CoreId id, bool on) {
    fromActive(id, [&] { stream_.hls = on; });
}

void EngineMachine::positionChanged(CoreId id, double seconds) {
    // A late answer about an earlier entry says nothing about this one.
    fromActive(id, [&] {
        if (loaded()) stream_.position = seconds;
    });
}

// The engine's own answers and timers.

void EngineMachine::serverAnswered(std::uint64_t tag, bool live) {
    const auto* asking = std::get_if<AskingServer>(&phase_);
    if (!asking || asking->tag != tag) return;
    if (live)
        startReconnect();
    else
        phase_ = Ended{};
    settle();
}

void EngineMachine::timerDue(EngineTimer timer) {
    if (timer == EngineTimer::Reconnect) {
        const auto retry = [this](Reconnect& reconnect, std::optional<Load>& load) {
            reconnect.nextTryMs.reset();
            load = newLoad();
            send();
        };
        std::visit(overloaded{
                       [&](Reconnecting& p) { retry(p.reconnect, p.load); },
                       [&](Paused& p) {
                           if (p.reconnect) retry(*p.reconnect, p.load);
                       },
                       [](auto&) {},  // a late timer
                   },
                   phase_);
    } else if (watchdogDueMs_) {
        watchdogDueMs_.reset();
        // The stream did not play, or play again, in time: a trickle of
        // bytes keeps libmpv waiting without ever timing out.
        const Load* ours = load();
        const bool wasPlaying = ours && ours->played;
        if (ours) releaseLoad();
        stopActive();
        if (reconnect())
            scheduleReconnect();
        else if (wasPlaying)
            startReconnect();
        else
            phase_ = Failed{{Failure::NothingPlayed, stallLimitMs_ / 1000}};
    }
    settle();
}

std::vector<EngineCommand> EngineMachine::takeCommands() {
    std::vector<EngineCommand> taken;
    taken.swap(commands_);
    return taken;
}

}  // namespace ondrix
