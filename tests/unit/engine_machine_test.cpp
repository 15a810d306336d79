// The media engine's rules as rows of scripted libmpv events: the phase a
// row starts from, the event, the phase it leads to and the commands sent.
// No libmpv, no event loop.
#include "media/engine_machine.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <algorithm>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "media/bit_rate.h"
#include "support/temp_folder.h"

namespace ondrix {
void PrintTo(EnginePhase phase, std::ostream* out) {
    static const char* const names[] = {"Idle",   "Opening", "Buffering", "Playing",
                                        "Paused", "Ended",   "Failed",    "Reconnecting"};
    *out << names[static_cast<int>(phase)];
}
}  // namespace ondrix

using namespace ondrix;
using P = EnginePhase;
using enum EnginePhase;
using Kind = EngineCommand::Kind;
using Commands = std::vector<std::string>;

namespace {

// A machine, its clock and everything it sent.
struct Script {
    qint64 now = 0;
    std::uint64_t hooks = 0;
    EngineMachine machine{[this] { return now; }};
    std::vector<EngineCommand> sent;

    CoreId core() const { return machine.activeCore(); }
    std::uint64_t last(Kind kind) const {
        for (auto c = sent.rbegin(); c != sent.rend(); ++c)
            if (c->kind == kind) return c->tag;
        return 0;
    }
    // Runs an event; the commands it made, in words.
    Commands step(const std::function<void(Script&)>& event);
};
using Event = std::function<void(Script&)>;

std::string words(const EngineCommand& c) {
    const std::string at = "@" + std::to_string(static_cast<int>(c.core));
    const std::string timer = c.timer == EngineTimer::Reconnect ? "reconnect" : "watchdog";
    switch (c.kind) {
        case Kind::Stop:
            return "stop" + at;
        case Kind::Load:
            return "load" + at;
        case Kind::Pause:
            return (c.on ? "pause" : "resume") + at;
        case Kind::AskIdle:
            return "idle?" + at;
        case Kind::Continue:
            return "continue+" + std::to_string(c.ms);
        case Kind::Refuse:
            return "refuse";
        case Kind::AskServer:
            return "ask server";
        case Kind::StartTimer:
            return timer + " " + std::to_string(c.ms);
        case Kind::StopTimer:
            return "-" + timer;
    }
    return "?";
}

Commands Script::step(const Event& event) {
    event(*this);
    Commands made;
    for (EngineCommand& c : machine.takeCommands()) {
        made.push_back(words(c));
        sent.push_back(std::move(c));
    }
    return made;
}

// A regular file under a folder kept for the run, named after `name`.
QString localFile(const char* name) {
    static const testsupport::TempFolder folder;
    const QString file = QString::fromUtf8(name).mid(1).replace(QLatin1Char('/'), QLatin1Char('_'));
    if (!QFileInfo::exists(folder.file(file))) folder.write(file, "RIFF");
    return folder.file(file);
}

// The user's calls and libmpv's events; addresses pass the real gate.
Event url(const char* address) {
    return [=](Script& s) {
        const QString text = QString::fromUtf8(address);
        s.machine.setUrl(text, admitAddress(AddressOrigin::UrlBox, text));
    };
}
Event file(const char* name) {
    return [=](Script& s) {
        const QString path = localFile(name);
        s.machine.setUrl(path, admitAddress(AddressOrigin::FileList, path));
    };
}
Event replied(std::int64_t entry) {
    return [=](Script& s) { s.machine.loadReplied(s.core(), s.last(Kind::Load), true, entry); };
}
const Event refused = [](Script& s) {
    s.machine.loadReplied(s.core(), s.last(Kind::Load), false, 0);
};
Event started(std::int64_t entry) {
    return [=](Script& s) { s.machine.fileStarted(s.core(), entry); };
}
const Event loaded = [](Script& s) { s.machine.fileLoaded(s.core()); };
const Event restarted = [](Script& s) { s.machine.playbackRestarted(s.core()); };
Event ended(std::int64_t entry, EndReason reason = EndReason::Eof, std::int64_t insertId = 0,
            int count = 0) {
    return [=](Script& s) { s.machine.fileEnded(s.core(), entry, reason, insertId, count); };
}
Event paused(bool on) {
    return [=](Script& s) { s.machine.pauseChanged(s.core(), on); };
}
Event cache(bool waiting) {
    return [=](Script& s) { s.machine.pausedForCacheChanged(s.core(), waiting); };
}
Event seekable(bool on) {
    return [=](Script& s) { s.machine.seekableChanged(s.core(), on); };
}
Event length(double seconds) {
    return [=](Script& s) { s.machine.durationChanged(s.core(), seconds); };
}
Event sized(std::int64_t bytes) {
    return [=](Script& s) { s.machine.sizeChanged(s.core(), bytes); };
}
Event at(double seconds) {
    return [=](Script& s) { s.machine.positionChanged(s.core(), seconds); };
}
Event due(EngineTimer timer) {
    return [=](Script& s) { s.machine.timerDue(timer); };
}
Event later(qint64 ms) {
    return [=](Script& s) { s.now += ms; };
}
Event idle(bool on, std::optional<CoreId> core = std::nullopt) {
    return [=](Script& s) { s.machine.idleChanged(core.value_or(s.core()), on); };
}
// libmpv holds the entry it starts next before opening this address.
Event opening(const char* address) {
    return [=](Script& s) {
        s.machine.entryOpening(
            s.core(), ++s.hooks,
            admitAddress(s.machine.openingOrigin(s.core()), QString::fromUtf8(address)));
    };
}
Event told(Failure kind, int detail = 0) {
    return [=](Script& s) { s.machine.openingError({kind, detail}); };
}
Event on(CoreId core, const std::function<void(EngineMachine&, CoreId)>& call) {
    return [=](Script& s) { call(s.machine, core); };
}
const Event lost = [](Script& s) { s.machine.eventsLost(s.core()); };
const Event stop = [](Script& s) { s.machine.stop(); };
const Event play = [](Script& s) { s.machine.play(); };
const Event pause = [](Script& s) { s.machine.pause(); };
const Event hls = [](Script& s) { s.machine.hlsChanged(s.core(), true); };
// A load answered with entry 1, which opens and plays.
const Event opens = [](Script& s) {
    for (const Event& e : {replied(1), started(1), loaded, restarted}) e(s);
};
// The same from a station: its server sent ICY headers.
const Event onAir = [](Script& s) {
    opens(s);
    s.machine.icyChanged(s.core(), true);
};
Event answered(bool live) {
    return [=](Script& s) { s.machine.serverAnswered(s.last(Kind::AskServer), live); };
}
const EngineTimer kReconnect = EngineTimer::Reconnect;
const EngineTimer kWatchdog = EngineTimer::Watchdog;

// One rule: from the phase the given events lead to, one event.
struct Row {
    const char* rule;
    std::vector<Event> given;
    P from;
    Event event;
    P to;
    Commands commands;
};

Row row(const char* rule, std::vector<Event> given, P from, Event event, P to,
        Commands commands = {}) {
    return {rule, std::move(given), from, std::move(event), to, std::move(commands)};
}

void check(const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.rule);
        Script s;
        for (const Event& e : row.given) s.step(e);
        EXPECT_EQ(s.machine.phase(), row.from);
        const Commands made = s.step(row.event);
        EXPECT_EQ(s.machine.phase(), row.to);
        EXPECT_EQ(made, row.commands);
    }
}

// Events in turn, each with the phase and commands it leads to.
struct Step {
    Event event;
    P to;
    Commands commands = {};
};
void run(Script& s, const std::vector<Step>& steps) {
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Commands made = s.step(steps[i].event);
        ASSERT_EQ(s.machine.phase(), steps[i].to) << "step " << i + 1;
        ASSERT_EQ(made, steps[i].commands) << "step " << i + 1;
    }
}

// Events in turn, as one: each sees the commands of those before it.
Event seq(const std::vector<Event>& events) {
    return [=](Script& s) {
        for (const Event& e : events) s.step(e);
    };
}
const char* const kLive = "http://r/live";
const Event streamPlays = seq({url(kLive), opens});
const Event stationPlays = seq({url(kLive), onAir});

TEST(EnginePhases, EachShowsItsPlayState) {
    const std::pair<P, PlayState> rows[] = {
        {Idle, PlayState::Undefined},      {Opening, PlayState::Transitioning},
        {Buffering, PlayState::Buffering}, {Playing, PlayState::Playing},
        {Paused, PlayState::Paused},       {Ended, PlayState::Stopped},
        {Failed, PlayState::Ready},        {Reconnecting, PlayState::Reconnecting},
    };
    for (const auto& [phase, state] : rows) EXPECT_EQ(playStateOf(phase), state);
}

TEST(EngineMachine, AFileOpensPlaysPausesAndEndsUnwatched) {
    Script s;
    run(s, {{file("/m/a.wav"), Opening, {"load@0"}},  // at once, before any event
            {replied(1), Opening},
            {started(1), Buffering},
            {loaded, Buffering},
            {restarted, Playing},
            {pause, Paused, {"pause@0"}},
            {paused(true), Paused},  // libmpv's word of it, or of its cache, resumes nothing
            {cache(false), Paused},
            {play, Playing, {"resume@0"}},
            {ended(1), Ended},
            {play, Opening, {"load@0"}},
            {stop, Ended, {"stop@0"}}});
}

TEST(EngineMachine, AStreamIsWatchedWhileItOpensOrStalls) {
    Script s;
    run(s, {{url(kLive), Opening, {"load@0", "watchdog 30000"}},
            {opens, Playing, {"-watchdog"}},
            {cache(true), Buffering, {"watchdog 30000"}},
            {cache(false), Playing, {"-watchdog"}}});
}

TEST(EngineMachine, AnEntryEndsByWhatItIs) {
    const Event aFile = seq({file("/m/x"), replied(1), started(1)});
    const Event announced = seq({sized(2880000), length(180)});
    check({
        row("a file's end before anything was decoded", {aFile, loaded}, Buffering, ended(1),
            Failed),
        row("an empty playlist", {aFile}, Buffering, ended(1), Failed),
        row("not audio", {aFile}, Buffering, ended(1, EndReason::Error), Failed),
        row("a playlist of dead entries",
            {aFile, ended(1, EndReason::Redirect, 2, 2), started(2), ended(2, EndReason::Error),
             started(3), loaded},
            Buffering, ended(3), Failed),
        row("a decoded file", {file("/m/x"), opens}, Playing, ended(1), Ended),
        row("a seekable network file, fetched once", {streamPlays, seekable(true)}, Playing,
            ended(1), Ended),
        row("played to its announced length", {streamPlays, announced, at(177.5)}, Playing,
            ended(1), Ended),
        row("played past its announced length: no file", {streamPlays, announced, at(185)}, Playing,
            ended(1), Reconnecting, {"ask server"}),
        row("dropped long before its announced length", {streamPlays, announced, at(60)}, Playing,
            ended(1), Reconnecting, {"ask server"}),
        row("a live stream with the length of its buffer", {streamPlays, length(0.8), at(42)},
            Playing, ended(1), Reconnecting, {"ask server"}),
        row("the same, ended before its position was read", {streamPlays, length(0.8)}, Playing,
            ended(1), Reconnecting, {"ask server"}),
        row("a guessed length that keeps ahead of the position",
            {streamPlays, length(6.4), at(6.0)}, Playing, ended(1), Reconnecting, {"ask server"}),
        row("a seekable file cut off", {streamPlays, seekable(true)}, Playing,
            ended(1, EndReason::Error), Reconnecting, {"reconnect 1000"}),
        row("a station's drop", {stationPlays}, Playing, ended(1), Reconnecting,
            {"reconnect 1000"}),
        row("HLS live: the playlist's size is no length",
            {streamPlays, hls, sized(900), length(6.4), at(6.0)}, Playing, ended(1), Reconnecting,
            {"reconnect 1000"}),
        row("HLS with its end marker", {streamPlays, hls, seekable(true)}, Playing, ended(1),
            Ended),
        row("asked: a whole body was a file", {streamPlays, ended(1)}, Reconnecting,
            answered(false), Ended),
        row("asked: still flowing, or gone", {streamPlays, ended(1)}, Reconnecting, answered(true),
            Reconnecting, {"reconnect 1000"}),
        row("an answer about an earlier load", {streamPlays, ended(1), url(kLive)}, Opening,
            answered(false), Opening),
        row("a whole life held for the reply: it played, so its end is a drop",
            {url(kLive), started(1), loaded, restarted, ended(1)}, Opening, replied(1),
            Reconnecting, {"ask server", "-watchdog"}),
    });
}
TEST(EngineMachine, ADroppedStreamIsTriedAgainUntilTheLimit) {
    const Event dropped = seq({stationPlays, ended(1)});
    const Event retried = seq({dropped, due(kReconnect)});
    check({
        row("its timer", {dropped}, Reconnecting, due(kReconnect), Reconnecting,
            {"load@0", "watchdog 30000"}),
        row("a try that fails waits longer", {retried}, Reconnecting, refused, Reconnecting,
            {"reconnect 2000", "-watchdog"}),
        row("back: playing again", {retried}, Reconnecting, opens, Playing, {"-watchdog"}),
        row("a late timer changes nothing", {retried, opens}, Playing, due(kReconnect), Playing),
        row("the user stops it", {dropped}, Reconnecting, stop, Ended, {"-reconnect", "stop@0"}),
        row("play after the give-up starts afresh",
            {dropped, later(30000), due(kReconnect), refused}, Ended, play, Opening,
            {"load@0", "watchdog 30000"}),
        row("a stall after playing is a drop", {streamPlays, cache(true)}, Buffering,
            due(kWatchdog), Reconnecting, {"stop@0", "reconnect 1000"}),
        row("a stream that never plays fails", {url(kLive), replied(1), started(1)}, Buffering,
            due(kWatchdog), Failed, {"stop@0"}),
        row("a pause is not watched", {url(kLive)}, Opening, pause, Paused,
            {"pause@0", "-watchdog"}),
        row("nor timed out", {url(kLive), pause}, Paused, due(kWatchdog), Paused),
    });
    // Tries that fail at once come at 1, 2, 4, 8 s and at the limit.
    Script s;
    s.step(dropped);
    std::vector<std::string> pauses = {"reconnect 1000"};
    for (int attempt = 0; attempt < 5; ++attempt) {
        s.step(later(std::stoi(pauses.back().substr(10))));
        s.step(due(kReconnect));
        for (const std::string& c : s.step(refused))
            if (c.starts_with("reconnect")) pauses.push_back(c);
    }
    EXPECT_EQ(pauses, (Commands{"reconnect 1000", "reconnect 2000", "reconnect 4000",
                                "reconnect 8000", "reconnect 15000"}));
    EXPECT_EQ(s.machine.phase(), Ended);
    EXPECT_EQ(s.machine.failure(), (FailureReason{Failure::OffTheAir, 30}));
}

TEST(EngineMachine, EventsOfAnEarlierLoadOrBeforeTheLoadCountOnce) {
    const Event switched = seq({file("/m/a.wav"), opens, file("/m/b.wav")});
    const Event lostInPlay = seq({file("/m/a.wav"), opens, lost});
    const Event lostInLoad = seq({url(kLive), lost, idle(true)});
    check({
        row("the old entry's end after the new load went", {switched}, Opening,
            ended(1, EndReason::Stop), Opening),
        row("held, then not ours", {switched, ended(1, EndReason::Stop)}, Opening, replied(2),
            Opening),
        row("lost events ask whether libmpv is idle", {file("/m/a.wav"), opens}, Playing, lost,
            Playing, {"idle?@0"}),
        row("idle then ends the entry", {lostInPlay}, Playing, idle(true), Ended),
        row("and its own end comes after", {lostInPlay, idle(true)}, Ended, ended(1), Ended),
        row("lost before the reply: an idle says nothing yet", {url(kLive), lost}, Opening,
            idle(true), Opening),
        row("asked again once answered", {lostInLoad}, Opening, onAir, Playing,
            {"idle?@0", "-watchdog"}),
        row("an idle after the entry's own end ends nothing twice",
            {lostInLoad, onAir, idle(false), ended(1)}, Reconnecting, idle(true), Reconnecting),
    });
    // One loadfile at a time, however many addresses come: the last goes
    // when the first is answered, and the first one's entry is not ours.
    Script s;
    for (int i = 0; i < 1000; ++i) s.step(file("/m/first.wav"));
    s.step(file("/m/last.wav"));
    EXPECT_EQ(std::count_if(s.sent.begin(), s.sent.end(),
                            [](const EngineCommand& c) { return c.kind == Kind::Load; }),
              1);
    const std::uint64_t first = s.last(Kind::Load);
    run(s, {{[&](Script& t) { t.machine.loadReplied(CoreId::First, first, true, 3); },
             Opening,
             {"load@0"}},
            {started(3), Opening},
            {replied(4), Opening},
            {ended(3, EndReason::Stop), Opening},
            {started(4), Buffering}});
    EXPECT_EQ(s.sent.back().address, localFile("/m/last.wav"));
}

TEST(EngineMachine, APlaylistThatListsItselfOrAnOpenedOneFails) {
    const Event a = seq({url("http://r/a.pls"), replied(1), started(1), opening("http://r/a.pls"),
                         ended(1, EndReason::Redirect, 2, 1), started(2)});
    // Stopped before the held entry is let go, so it is never fetched.
    check({
        row("lists itself", {a}, Buffering, opening("http://r/a.pls"), Failed,
            {"stop@0", "continue+0", "-watchdog"}),
        row("two that list each other",
            {a, opening("http://r/b.pls"), ended(2, EndReason::Redirect, 3, 1), started(3)},
            Buffering, opening("http://r/b.pls"), Failed, {"stop@0", "continue+0", "-watchdog"}),
    });
    // Nested without end, each under a new address.
    Script s;
    for (const Event& e : {url("http://r/0.pls"), replied(1)}) s.step(e);
    for (int depth = 1; s.machine.phase() != Failed && depth < 20; ++depth) {
        const std::string address = "http://r/" + std::to_string(depth) + ".pls";
        for (const Event& e : {started(depth), opening(address.c_str()),
                               ended(depth, EndReason::Redirect, depth + 1, 1)})
            s.step(e);
        ASSERT_LE(depth, EngineMachine::kMaxNestedPlaylists + 1);  // the address's own counts too
    }
    EXPECT_EQ(s.machine.failure(), FailureReason{Failure::PlaylistLoop});
}

TEST(EngineMachine, EveryPlaylistEntryPassesTheGateByWhereItsListCameFrom) {
    const std::string local = localFile("/m/list.m3u").toStdString();
    const std::string track = localFile("/m/track.wav").toStdString();
    const auto opened = [](const std::string& list) {
        return seq({url(list.c_str()), replied(1), started(1), ended(1, EndReason::Redirect, 2, 3),
                    started(2)});
    };
    const Event local2 =
        seq({opened(local), opening("/dev/zero"), ended(2, EndReason::Error), started(3)});
    check({
        row("a device in a local list: refused, the next entry follows", {opened(local)}, Buffering,
            opening("/dev/zero"), Buffering, {"refuse"}),
        row("a regular file in it opens", {local2}, Buffering, opening(track.c_str()), Buffering,
            {"continue+350"}),
        row("a stream in it opens", {local2}, Buffering, opening("http://r/a.mp3"), Buffering,
            {"continue+350"}),
        row("a server's list naming a local file", {opened("http://r/list.m3u")}, Buffering,
            opening(local.c_str()), Buffering, {"refuse"}),
        row("a refused last entry fails the address with its reason",
            {local2, opening("/dev/zero"), ended(3, EndReason::Error), started(4),
             opening("/proc/self/fd/0")},
            Buffering, ended(4, EndReason::Error), Failed),
    });
    Script s;
    s.step(seq({local2, opening("/dev/zero"), ended(3, EndReason::Error), started(4),
                opening("/proc/self/fd/0"), ended(4, EndReason::Error)}));
    EXPECT_EQ(s.machine.failure(),
              (FailureReason{Failure::Refused, static_cast<int>(Refusal::NotAFile)}));
    EXPECT_EQ(failureText(s.machine.failure()), QStringLiteral("Not a regular file"));
}

TEST(EngineMachine, DeadPlaylistEntriesAreTriedSlowlyAndFewInARow) {
    Script s;
    for (const Event& e :
         {url("http://r/list.m3u"), replied(1), started(1), ended(1, EndReason::Redirect, 2, 100)})
        s.step(e);
    // Each: the wait before the entry, the pause before its hook is let go.
    const std::pair<qint64, int> entries[] = {
        {0, 0},                 // the first goes at once
        {100, 250},             // 100 ms after a failure: held for the rest of the gap
        {0, 350},   {1000, 0},  // long after: at once
        {0, 350},
    };
    std::int64_t entry = 2;
    for (const auto& [wait, held] : entries) {
        SCOPED_TRACE(entry);
        s.step(later(wait));
        s.step(started(entry));
        EXPECT_EQ(s.step(opening("http://dead/x.mp3")),
                  Commands{"continue+" + std::to_string(held)});
        s.step(ended(entry++, EndReason::Error));
    }
    // The fifth failure in a row ends the address.
    EXPECT_EQ(s.machine.phase(), Failed);
    EXPECT_EQ(s.machine.failure(), (FailureReason{Failure::FailedEntries, 5}));

    // An entry that plays starts the count again.
    Script t;
    for (const Event& e :
         {url("http://r/list.m3u"), replied(1), started(1), ended(1, EndReason::Redirect, 2, 100)})
        t.step(e);
    for (std::int64_t next = 2; next < 11; ++next) {
        t.step(started(next));
        if (next == 6)
            for (const Event& e : {loaded, restarted}) t.step(e);
        t.step(ended(next, next == 6 ? EndReason::Eof : EndReason::Error));
    }
    EXPECT_EQ(t.machine.phase(), Buffering);
    EXPECT_EQ(t.machine.failure(), FailureReason{});
}

TEST(EngineMachine, AFailedAddressKeepsWhyUntilTheNextOne) {
    const Event start = seq({url("http://r/x"), replied(1), started(1)});
    const std::pair<const char*, Event> cases[] = {
        {"refusal told after the end",
         seq({start, ended(1, EndReason::Error), told(Failure::ConnectionRefused)})},
        {"status told before the end",
         seq({start, told(Failure::HttpStatus, 404), ended(1, EndReason::Error)})},
        {"nothing told", seq({start, ended(1, EndReason::Error)})},
        {"failed at the network timeout", seq({start, later(2000), ended(1, EndReason::Error)})},
        {"failed a little before it", seq({start, later(1700), ended(1, EndReason::Error)})},
        {"not audio, then a late word about something else",
         seq({start, ended(1, EndReason::NotAudio), told(Failure::ConnectionRefused)})},
        {"trickles", seq({start, due(kWatchdog)})},
        {"drops and never comes back",
         seq({url("http://r/x"), onAir, ended(1), later(3000), due(kReconnect), refused})},
        {"drops and its server keeps saying why",
         seq({url("http://r/x"), onAir, ended(1), later(3000), due(kReconnect),
              told(Failure::HttpStatus, 404), refused})},
        {"load refused", seq({url("http://r/x"), refused})},
    };
    const FailureReason reasons[] = {
        {Failure::ConnectionRefused}, {Failure::HttpStatus, 404}, {Failure::CannotOpen},
        {Failure::NoAnswer},          {Failure::NoAnswer},        {Failure::NotAudio},
        {Failure::NothingPlayed, 5},  {Failure::OffTheAir, 3},    {Failure::HttpStatus, 404},
        {Failure::CannotOpen},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].first);
        Script s;
        s.machine.setStallLimit(5000);
        s.machine.setNetworkTimeout(2000);
        s.machine.setReconnectLimit(3000);
        s.step(cases[i].second);
        EXPECT_EQ(s.machine.failure(), reasons[i]);
        const bool gaveUp = std::string_view(cases[i].first).starts_with("drops");
        EXPECT_EQ(s.machine.phase(), gaveUp ? Ended : Failed);
        s.step(stop);
        EXPECT_EQ(s.machine.failure(), reasons[i]);  // a stop keeps it
        s.step(url("http://r/y"));
        EXPECT_EQ(s.machine.failure(), FailureReason{});
    }
}

TEST(EngineMachine, ARefusedOrEmptyAddressFailsAtOnceAndStaysSo) {
    const Event refusedUrl = url("/");
    check({
        row("a refused address", {}, Idle, refusedUrl, Failed),
        row("an empty one", {}, Idle, url(""), Failed),
        row("play", {refusedUrl}, Failed, play, Failed),
        row("stop: no Stopped, which would start the shuttle", {refusedUrl}, Failed, stop, Failed),
    });
}

// Which core loads: only an idle one; with both busy the first to go idle.
TEST(EngineMachine, OnlyAnIdleCoreTakesALoadAndOnlyTheActiveCoreCounts) {
    Script s;
    run(s, {
               {file("/m/a.wav"), Opening, {"load@0"}},  // the second is not made yet
               {opens, Playing},
               {on(CoreId::Second, [](auto& m, CoreId c) { m.coreMade(c); }), Playing},
               // Core 0 plays: the idle core 1 loads, core 0 closes in its own time.
               {file("/m/b.wav"), Opening, {"stop@0", "resume@1", "load@1"}},
               {opens, Playing},
               // Core 0's entry 1 is not core 1's entry 1.
               {on(CoreId::First, [](auto& m, CoreId c) { m.fileEnded(c, 1, EndReason::Eof); }),
                Playing},
               {on(CoreId::First, [](auto& m, CoreId c) { m.pausedForCacheChanged(c, true); }),
                Playing},
               // Both busy: core 1 is stopped too, and both are asked.
               {file("/m/c.wav"), Opening, {"stop@1", "idle?@0", "idle?@1"}},
               {file("/m/d.wav"), Opening},  // asked once
               // Core 0 is done first and takes the newest address.
               {idle(true, CoreId::First), Opening, {"resume@0", "load@0"}},
               {opens, Playing},
               {idle(true, CoreId::Second), Playing},
               {file("/m/e.wav"), Opening, {"stop@0", "resume@1", "load@1"}},
               {stop, Ended, {"stop@1"}},
           });
    EXPECT_EQ(s.sent.back().core, CoreId::Second);
    const auto load = std::find_if(s.sent.rbegin(), s.sent.rend(),
                                   [](const EngineCommand& c) { return c.kind == Kind::Load; });
    EXPECT_EQ(load->address, localFile("/m/e.wav"));
}

TEST(EngineMachine, FailureReasonsInWords) {
    const std::pair<FailureReason, const char*> cases[] = {
        {{Failure::HttpStatus, 404}, "Not found (404)"},
        {{Failure::HttpStatus, 418}, "HTTP error (418)"},
        {{Failure::ServerNotFound}, "Server not found"},
        {{Failure::NothingPlayed, 30}, "Nothing played within 30 s"},
        {{Failure::OffTheAir, 30}, "Off the air: gave up after 30 s"},
        {{Failure::FailedEntries, 5}, "Playlist: 5 entries in a row failed"},
        {{}, ""},
    };
    for (const auto& [reason, words] : cases)
        EXPECT_EQ(failureText(reason), QString::fromUtf8(words));
}

TEST(ReconnectPause, TriesThatHangLeaveFewerOfThem) {
    EXPECT_EQ(reconnectPauseMs(1, 11000, 30000), 2000);
    EXPECT_EQ(reconnectPauseMs(2, 23000, 30000), 4000);
    EXPECT_EQ(reconnectPauseMs(3, 37000, 30000), -1);
    EXPECT_EQ(reconnectPauseMs(40, 0, 30000), 30000);  // no overflow
}

TEST(ReportedBitRate, DeclaredBeforeDemuxedBeforeMeasured) {
    EXPECT_EQ(reportedBitRate(96, 98666, 99000), 96000);  // icy-br 96 over an ADTS estimate
    EXPECT_EQ(reportedBitRate(0, 1411200, 1400000), 1411200);
    EXPECT_EQ(reportedBitRate(0, 0, 64000), 64000);
    EXPECT_EQ(reportedBitRate(0, 0, 0), 0);
}

TEST(SteadyMeasuredRate, WholeKbpsThatMoveOnlyByMoreThanFivePercent) {
    EXPECT_EQ(steadyMeasuredRate(0, 98825.4), 99000);
    EXPECT_EQ(steadyMeasuredRate(99000, 103900), 99000);
    EXPECT_EQ(steadyMeasuredRate(99000, 94100), 99000);
    EXPECT_EQ(steadyMeasuredRate(99000, 104200), 104000);
    EXPECT_EQ(steadyMeasuredRate(99000, 93900), 94000);
    EXPECT_EQ(steadyMeasuredRate(99000, 0), 0);  // unknown again
}

}  // namespace
