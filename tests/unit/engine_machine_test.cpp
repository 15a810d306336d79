// The media engine's rules as scripted libmpv events: no libmpv, no event loop.
#include "player/media/engine_machine.h"

#include <gtest/gtest.h>

#include <QFile>
#include <algorithm>
#include <functional>
#include <ostream>
#include <tuple>

#include "support/temp_folder.h"

namespace ondrix {
void PrintTo(PlayState state, std::ostream* out) {
    *out << static_cast<int>(state);
}
}  // namespace ondrix

using namespace ondrix;
using S = PlayState;
using Kind = EngineCommand::Kind;

namespace {

// Public, so that the script steps below can reach it.
class EngineMachineTest : public ::testing::Test {
  public:
    using Event = std::function<void(EngineMachineTest&)>;
    struct Step {
        Event event;
        PlayState after;
    };

    // Runs the events in turn, each followed by the state it must leave.
    void run(const std::vector<Step>& steps) {
        for (std::size_t i = 0; i < steps.size(); ++i) {
            steps[i].event(*this);
            for (EngineCommand& c : machine.takeCommands()) sent.push_back(std::move(c));
            ASSERT_EQ(machine.state(), steps[i].after) << "after step " << i + 1;
        }
    }
    // Feeds events with no state to check after each.
    void feed(const std::vector<Event>& events) {
        for (const Event& e : events) {
            e(*this);
            for (EngineCommand& c : machine.takeCommands()) sent.push_back(std::move(c));
        }
    }
    // Where the last command of a kind went out; -1 for never.
    std::ptrdiff_t lastIndex(Kind kind) const {
        for (auto c = sent.rbegin(); c != sent.rend(); ++c)
            if (c->kind == kind) return sent.rend() - c - 1;
        return -1;
    }
    int count(Kind kind) const {
        return static_cast<int>(
            std::count_if(sent.begin(), sent.end(), [&](const auto& c) { return c.kind == kind; }));
    }
    // The pauses of the timer's starts, in order.
    std::vector<int> starts(EngineTimer timer) const {
        std::vector<int> ms;
        for (const EngineCommand& c : sent)
            if (c.kind == Kind::StartTimer && c.timer == timer) ms.push_back(c.ms);
        return ms;
    }
    std::uint64_t lastLoadTag() const {
        for (auto c = sent.rbegin(); c != sent.rend(); ++c)
            if (c->kind == Kind::Load) return c->tag;
        return 0;
    }

    // The last hook's Continue: its pause, or -1 when none was sent.
    int lastContinueMs() const {
        for (auto c = sent.rbegin(); c != sent.rend(); ++c)
            if (c->kind == Kind::Continue) return c->tag == hooks ? c->ms : -1;
        return -1;
    }

    // The core the scripted events come from.
    int core() const { return machine.activeCore(); }

    qint64 now = 0;
    std::uint64_t hooks = 0;
    EngineMachine machine{[this] { return now; }};
    std::vector<EngineCommand> sent;
};

using Event = EngineMachineTest::Event;

// The user's calls and libmpv's events as script steps.
Event url(const char* address, AddressKind kind = AddressKind::Network) {
    return [=](auto& t) { t.machine.setUrl(QString::fromUtf8(address), kind); };
}
Event file(const char* address) {
    return url(address, AddressKind::File);
}
Event replied(std::int64_t entry) {
    return [=](auto& t) { t.machine.loadReplied(t.core(), t.lastLoadTag(), true, entry); };
}
Event refused() {
    return [](auto& t) { t.machine.loadReplied(t.core(), t.lastLoadTag(), false, -1); };
}
Event started(std::int64_t entry) {
    return [=](auto& t) { t.machine.fileStarted(t.core(), entry); };
}
const Event loaded = [](auto& t) { t.machine.fileLoaded(t.core()); };
const Event restarted = [](auto& t) { t.machine.playbackRestarted(t.core()); };
Event ended(std::int64_t entry, EndReason reason = EndReason::Eof, std::int64_t insertId = 0,
            int count = 0) {
    return [=](auto& t) { t.machine.fileEnded(t.core(), entry, reason, insertId, count); };
}
Event cache(bool waiting) {
    return [=](auto& t) { t.machine.pausedForCacheChanged(t.core(), waiting); };
}
Event seekable(bool on) {
    return [=](auto& t) { t.machine.seekableChanged(t.core(), on); };
}
Event length(double seconds) {
    return [=](auto& t) { t.machine.durationChanged(t.core(), seconds); };
}
Event sized(std::int64_t bytes) {
    return [=](auto& t) { t.machine.sizeChanged(t.core(), bytes); };
}
Event at(double seconds) {
    return [=](auto& t) { t.machine.positionChanged(t.core(), seconds); };
}
Event due(EngineTimer timer) {
    return [=](auto& t) { t.machine.timerDue(timer); };
}
Event later(qint64 ms) {
    return [=](auto& t) { t.now += ms; };
}
Event idle(bool on) {
    return [=](auto& t) { t.machine.idleChanged(t.core(), on); };
}
// libmpv holds the entry it starts next before opening this address.
Event opening(const char* address) {
    return
        [=](auto& t) { t.machine.entryOpening(t.core(), ++t.hooks, QString::fromUtf8(address)); };
}
Event told(Failure kind, int detail = 0) {
    return [=](auto& t) { t.machine.openingError({kind, detail}); };
}
const Event lost = [](auto& t) { t.machine.eventsLost(t.core()); };
const Event stop = [](auto& t) { t.machine.stop(); };
const Event play = [](auto& t) { t.machine.play(); };
const Event pause = [](auto& t) { t.machine.pause(); };
// A load answered with entry 1, which opens and plays.
const Event opens = [](auto& t) {
    for (const Event& e : {replied(1), started(1), loaded, restarted}) e(t);
};

// The same from a station: its server sent ICY headers.
const Event onAir = [](auto& t) {
    opens(t);
    t.machine.icyChanged(t.core(), true);
};
const Event hls = [](auto& t) { t.machine.hlsChanged(t.core(), true); };
Event icy(bool on) {
    return [=](auto& t) { t.machine.icyChanged(t.core(), on); };
}
Event answered(bool live) {
    return [=](auto& t) {
        for (auto c = t.sent.rbegin(); c != t.sent.rend(); ++c)
            if (c->kind == Kind::AskServer) return t.machine.serverAnswered(c->tag, live);
    };
}

const EngineTimer kReconnect = EngineTimer::Reconnect;
const EngineTimer kWatchdog = EngineTimer::Watchdog;

TEST_F(EngineMachineTest, FileBuffersPlaysPausesAndEndsStopped) {
    run({{file("/m/a.wav"), S::Transitioning},  // at once, before any event
         {replied(1), S::Transitioning},
         {started(1), S::Buffering},
         {loaded, S::Buffering},
         {restarted, S::Playing},
         {pause, S::Paused},
         {play, S::Playing},
         {ended(1), S::Stopped},
         {play, S::Transitioning},
         {stop, S::Stopped}});
    EXPECT_EQ(count(Kind::Load), 2);
    EXPECT_TRUE(starts(kWatchdog).empty());  // a local file is never given up on
}

TEST_F(EngineMachineTest, StreamThatStallsMidPlayBuffersThenPlaysAgain) {
    run({{url("http://r/live"), S::Transitioning},
         {opens, S::Playing},
         {cache(true), S::Buffering},
         {cache(false), S::Playing},
         {cache(true), S::Buffering}});
    // Watched while opening and while stalled, not while playing.
    EXPECT_EQ(starts(kWatchdog), (std::vector<int>{30000, 30000, 30000}));
    EXPECT_EQ(count(Kind::StopTimer), 2);
}

TEST_F(EngineMachineTest, EndOfFileBeforeAnythingWasDecodedIsReady) {
    const std::vector<std::pair<const char*, std::vector<Event>>> cases = {
        {"zero-byte file", {started(1), loaded, ended(1)}},
        {"empty playlist", {started(1), ended(1)}},
        {"not audio", {started(1), ended(1, EndReason::Error)}},
        {"playlist of dead entries",
         {started(1), ended(1, EndReason::Redirect, 2, 2), started(2), ended(2, EndReason::Error),
          started(3), loaded, ended(3)}},
    };
    for (const auto& [name, events] : cases) {
        SCOPED_TRACE(name);
        run({{file("/m/x"), S::Transitioning}, {replied(1), S::Transitioning}});
        for (const Event& e : events) e(*this);
        EXPECT_EQ(machine.state(), S::Ready);
    }
    // Once decoding began, the same end is a stop.
    run({{file("/m/x"), S::Transitioning}, {opens, S::Playing}, {ended(1), S::Stopped}});
}

TEST_F(EngineMachineTest, NetworkEntryWithAKnownLengthEndsStoppedALiveOneReconnects) {
    const std::vector<std::tuple<const char*, std::vector<Event>, PlayState>> cases = {
        {"seekable file", {seekable(true), ended(1)}, S::Stopped},
        {"played to its length", {sized(2880000), length(180), at(177.5), ended(1)}, S::Stopped},
        {"live stream", {ended(1)}, S::Reconnecting},
        {"live stream with the length of its buffer",
         {length(0.8), at(42), ended(1)},
         S::Reconnecting},
        {"the same, ended before its position was read", {length(0.8), ended(1)}, S::Reconnecting},
        {"live stream whose guessed length keeps ahead of its position",
         {length(6.4), at(6.0), ended(1)},
         S::Reconnecting},
        {"dropped long before its announced length",
         {sized(2880000), length(180), at(60), ended(1)},
         S::Reconnecting},
        {"seekable file cut off", {seekable(true), ended(1, EndReason::Error)}, S::Reconnecting},
    };
    for (const auto& [name, events, end] : cases) {
        SCOPED_TRACE(name);
        sent.clear();
        run({{url("http://r/x"), S::Transitioning}, {opens, S::Playing}});
        for (const Event& e : events) e(*this);
        EXPECT_EQ(machine.state(), end);
        if (end == S::Stopped) {
            EXPECT_EQ(count(Kind::Load), 1);  // fetched once
        }
        run({{stop, S::Stopped}});
    }
}

TEST_F(EngineMachineTest, AnEndWithoutALengthIsAFileOrADropAsTheServerSays) {
    const std::vector<std::tuple<const char*, std::vector<Event>, PlayState, int>> cases = {
        // name, events after it played, state, AskServer commands sent
        {"a station's drop", {icy(true), ended(1)}, S::Reconnecting, 0},
        {"no length, no ICY: asked; a whole body", {ended(1), answered(false)}, S::Stopped, 1},
        {"no length, no ICY: asked; still flowing or gone",
         {ended(1), answered(true)},
         S::Reconnecting,
         1},
        {"HLS live: the playlist's size is no length",
         {hls, sized(900), length(6.4), at(6.0), ended(1)},
         S::Reconnecting,
         0},
        {"HLS with its end marker", {hls, seekable(true), ended(1)}, S::Stopped, 0},
        {"an answer to an earlier load",
         {ended(1), url("http://r/x"), answered(false)},
         S::Transitioning,
         1},  // last: its load is still on its way
    };
    for (const auto& [name, events, end, asks] : cases) {
        SCOPED_TRACE(name);
        sent.clear();
        run({{url("http://r/x"), S::Transitioning}, {opens, S::Playing}});
        feed(events);
        EXPECT_EQ(machine.state(), end);
        EXPECT_EQ(count(Kind::AskServer), asks);
        EXPECT_EQ(starts(kReconnect).size(), end == S::Reconnecting ? 1u : 0u);
        run({{stop, S::Stopped}});
    }
}

TEST_F(EngineMachineTest, DroppedStreamIsTriedWithGrowingPausesThenStopped) {
    machine.setReconnectLimit(30000);
    run({{url("http://r/live"), S::Transitioning},
         {onAir, S::Playing},
         {ended(1), S::Reconnecting}});
    for (int attempt = 0; attempt < 5; ++attempt)
        run({{later(starts(kReconnect).back()), S::Reconnecting},
             {due(kReconnect), S::Reconnecting},
             {refused(), attempt < 4 ? S::Reconnecting : S::Stopped}});
    EXPECT_EQ(starts(kReconnect), (std::vector<int>{1000, 2000, 4000, 8000, 15000}));
    EXPECT_EQ(count(Kind::Load), 6);

    // Back within the limit: playing again ends the reconnect.
    run({{url("http://r/live"), S::Transitioning},
         {onAir, S::Playing},
         {ended(1), S::Reconnecting},
         {due(kReconnect), S::Reconnecting},
         {opens, S::Playing},
         {due(kReconnect), S::Playing}});  // a late timer changes nothing
}

TEST_F(EngineMachineTest, StreamThatTricklesIsGivenUp) {
    machine.setStallLimit(5000);
    // Never plays: a failed open.
    run({{url("http://r/slow"), S::Transitioning},
         {replied(1), S::Transitioning},
         {started(1), S::Buffering},
         {due(kWatchdog), S::Ready}});
    EXPECT_EQ(starts(kWatchdog), std::vector<int>{5000});
    EXPECT_EQ(count(Kind::Stop), 1);
    // Stalls after playing: a drop.
    run({{url("http://r/slow"), S::Transitioning},
         {opens, S::Playing},
         {cache(true), S::Buffering},
         {due(kWatchdog), S::Reconnecting}});
    // Paused by the user: not watched, and a late timer does nothing.
    run({{url("http://r/slow"), S::Transitioning},
         {pause, S::Paused},
         {due(kWatchdog), S::Paused}});
    EXPECT_EQ(sent.back(), (EngineCommand{.kind = Kind::StopTimer, .timer = kWatchdog}));
}

TEST_F(EngineMachineTest, EventsOfAnEarlierLoadDoNotChangeTheNewOne) {
    run({{file("/m/a.wav"), S::Transitioning},
         {opens, S::Playing},
         {file("/m/b.wav"), S::Transitioning},
         {ended(1, EndReason::Stop), S::Transitioning},  // a's end, after b was sent
         {replied(2), S::Transitioning},
         {started(2), S::Buffering}});
    // One loadfile at a time, however many addresses come: the last one
    // goes when the first is answered.
    sent.clear();
    for (int i = 0; i < 1000; ++i)
        machine.setUrl(QStringLiteral("/m/%1").arg(i), AddressKind::File);
    run({{file("/m/last.wav"), S::Transitioning}});
    EXPECT_EQ(count(Kind::Load), 1);
    const std::uint64_t first = lastLoadTag();
    run({{[&](auto& t) { t.machine.loadReplied(t.core(), first, true, 3); }, S::Transitioning},
         {started(3), S::Transitioning}});  // the first address's entry is not ours
    EXPECT_EQ(sent.back().address, QStringLiteral("/m/last.wav"));
    run({{replied(4), S::Transitioning},
         {ended(3, EndReason::Stop), S::Transitioning},
         {started(4), S::Buffering}});
}

TEST_F(EngineMachineTest, EventsHeldForTheReplyCountForTheEntryTheyCameWith) {
    // The whole life of a stream passed before its load was answered: it
    // played, so its end is a drop.
    run({{url("http://r/live"), S::Transitioning},
         {started(1), S::Transitioning},
         {loaded, S::Transitioning},
         {restarted, S::Transitioning},
         {ended(1), S::Transitioning},
         {replied(1), S::Reconnecting}});
}

TEST_F(EngineMachineTest, LostEventsEndTheEntryOnce) {
    run({{file("/m/a.wav"), S::Transitioning},
         {opens, S::Playing},
         {lost, S::Playing},
         {idle(true), S::Stopped},
         {ended(1), S::Stopped}});
    EXPECT_EQ(count(Kind::AskIdle), 1);
    // Lost while the load was pending: asked again once it is answered, and
    // a later idle after the entry's own end ends nothing twice.
    sent.clear();
    run({{url("http://r/live"), S::Transitioning},
         {lost, S::Transitioning},
         {idle(true), S::Transitioning},
         {onAir, S::Playing},
         {idle(false), S::Playing},
         {ended(1), S::Reconnecting},
         {idle(true), S::Reconnecting}});
    EXPECT_EQ(count(Kind::AskIdle), 2);
    EXPECT_EQ(starts(kReconnect).size(), 1u);
}

TEST_F(EngineMachineTest, PlaylistThatListsItselfOrAnOpenedOneFails) {
    const std::vector<std::pair<const char*, std::vector<Event>>> cases = {
        {"lists itself",
         {started(1), opening("http://r/a.pls"), ended(1, EndReason::Redirect, 2, 1), started(2),
          opening("http://r/a.pls")}},
        {"two that list each other",
         {started(1), opening("http://r/a.pls"), ended(1, EndReason::Redirect, 2, 1), started(2),
          opening("http://r/b.pls"), ended(2, EndReason::Redirect, 3, 1), started(3),
          opening("http://r/b.pls")}},
    };
    for (const auto& [name, events] : cases) {
        SCOPED_TRACE(name);
        sent.clear();
        run({{url("http://r/a.pls"), S::Transitioning}, {replied(1), S::Transitioning}});
        feed(events);
        EXPECT_EQ(machine.state(), S::Ready);
        EXPECT_EQ(machine.failure(), FailureReason{Failure::PlaylistLoop});
        // Stopped before the held entry is let go, so it is never fetched.
        EXPECT_LT(lastIndex(Kind::Stop), lastIndex(Kind::Continue));
        EXPECT_GE(lastIndex(Kind::Stop), 0);
    }
    // A new address clears the failure.
    run({{url("http://r/live"), S::Transitioning}});
    EXPECT_EQ(machine.failure(), FailureReason{});

    // Playlists nested without end, each under a new address.
    run({{url("http://r/0.pls"), S::Transitioning},
         {replied(9), S::Transitioning},  // the answer to the last address's load
         {replied(1), S::Transitioning}});
    for (int depth = 1; machine.state() != S::Ready && depth < 20; ++depth) {
        const std::string address = "http://r/" + std::to_string(depth) + ".pls";
        feed({started(depth), opening(address.c_str()),
              ended(depth, EndReason::Redirect, depth + 1, 1)});
        ASSERT_LE(depth, EngineMachine::kMaxNestedPlaylists + 1);  // the address's own counts too
    }
    EXPECT_EQ(machine.failure(), FailureReason{Failure::PlaylistLoop});
}

TEST_F(EngineMachineTest, DeadPlaylistEntriesAreTriedSlowlyAndFewInARow) {
    run({{url("http://r/list.m3u"), S::Transitioning},
         {replied(1), S::Transitioning},
         {started(1), S::Buffering},
         {opening("http://r/list.m3u"), S::Buffering},
         {ended(1, EndReason::Redirect, 2, 100), S::Buffering}});
    EXPECT_EQ(lastContinueMs(), 0);
    // Each row: the entry's hook, with the pause before it is let go, then its failure.
    const std::vector<std::tuple<qint64, int, PlayState>> rows = {
        {0, 0, S::Buffering},      // the first entry goes at once
        {100, 250, S::Buffering},  // 100 ms after a failure: held for the rest of the gap
        {0, 350, S::Buffering},   {1000, 0, S::Buffering},  // long after: at once
        {0, 350, S::Ready},  // the fifth failure in a row ends the address
    };
    std::int64_t entry = 2;
    for (const auto& [wait, held, after] : rows) {
        SCOPED_TRACE(entry);
        run({{later(wait), S::Buffering},
             {started(entry), S::Buffering},
             {opening("http://dead/x.mp3"), S::Buffering}});
        EXPECT_EQ(lastContinueMs(), held);
        run({{ended(entry, EndReason::Error), after}});
        ++entry;
    }
    EXPECT_EQ(machine.failure(), (FailureReason{Failure::FailedEntries, 5}));
    EXPECT_EQ(count(Kind::Stop), 1);

    // An entry that plays resets the count.
    run({{url("http://r/list.m3u"), S::Transitioning},
         {replied(1), S::Transitioning},
         {started(1), S::Buffering},
         {ended(1, EndReason::Redirect, 2, 100), S::Buffering}});
    std::int64_t next = 2;
    const auto fails = [&] {
        run({{started(next), S::Buffering}, {ended(next, EndReason::Error), S::Buffering}});
        ++next;
    };
    for (int i = 0; i < 4; ++i) fails();
    run({{started(next), S::Buffering}, {loaded, S::Buffering}, {restarted, S::Playing}});
    run({{ended(next++), S::Playing}});
    for (int i = 0; i < 4; ++i) fails();
    EXPECT_EQ(machine.failure(), FailureReason{});
}

TEST_F(EngineMachineTest, AFailedAddressKeepsWhyUntilTheNextOne) {
    machine.setStallLimit(5000);
    machine.setNetworkTimeout(2000);
    machine.setReconnectLimit(3000);
    const std::vector<std::tuple<const char*, std::vector<Event>, FailureReason>> cases = {
        {"refusal told after the end",
         {replied(1), started(1), ended(1, EndReason::Error), told(Failure::ConnectionRefused)},
         {Failure::ConnectionRefused}},
        {"status told before the end",
         {replied(1), started(1), told(Failure::HttpStatus, 404), ended(1, EndReason::Error)},
         {Failure::HttpStatus, 404}},
        {"nothing told",
         {replied(1), started(1), ended(1, EndReason::Error)},
         {Failure::CannotOpen}},
        {"failed at the network timeout",
         {replied(1), started(1), later(2000), ended(1, EndReason::Error)},
         {Failure::NoAnswer}},
        {"not audio, then a late word about something else",
         {replied(1), started(1), ended(1, EndReason::NotAudio), told(Failure::ConnectionRefused)},
         {Failure::NotAudio}},
        {"trickles", {replied(1), started(1), due(kWatchdog)}, {Failure::NothingPlayed, 5}},
        {"drops and never comes back",
         {onAir, ended(1), later(3000), due(kReconnect), refused()},
         {Failure::OffTheAir, 3}},
        {"load refused", {refused()}, {Failure::CannotOpen}},
    };
    for (const auto& [name, events, reason] : cases) {
        SCOPED_TRACE(name);
        run({{url("http://r/x"), S::Transitioning}});
        feed(events);
        EXPECT_EQ(machine.failure(), reason);
        EXPECT_EQ(machine.state(), reason.kind == Failure::OffTheAir ? S::Stopped : S::Ready);
        run({{stop, machine.state()}});
        EXPECT_EQ(machine.failure(), reason);  // a stop keeps it
    }
    run({{url("http://r/y"), S::Transitioning}});
    EXPECT_EQ(machine.failure(), FailureReason{});
}

TEST_F(EngineMachineTest, FailureReasonsInWords) {
    const std::pair<FailureReason, const char*> cases[] = {
        {{Failure::HttpStatus, 404}, "Not found (404)"},
        {{Failure::HttpStatus, 418}, "HTTP error (418)"},
        {{Failure::NothingPlayed, 30}, "Nothing played within 30 s"},
        {{Failure::OffTheAir, 30}, "Off the air: gave up after 30 s"},
        {{Failure::FailedEntries, 5}, "Playlist: 5 entries in a row failed"},
        {{}, ""},
    };
    for (const auto& [reason, words] : cases)
        EXPECT_EQ(failureText(reason), QString::fromUtf8(words));
}

TEST_F(EngineMachineTest, RefusedOrEmptyAddressIsReadyAtOnce) {
    run({{url("/", AddressKind::Refused), S::Ready},
         {play, S::Ready},
         {stop, S::Ready},
         {url("", AddressKind::File), S::Ready}});
    EXPECT_EQ(count(Kind::Load), 0);
}

TEST(EngineAddress, OnlyRegularFilesAndNetworkSchemesAreOpened) {
    testsupport::TempFolder folder;
    folder.write(QStringLiteral("a.wav"), "RIFF");
    const QString file = folder.file(QStringLiteral("a.wav"));
    ASSERT_TRUE(QFile::link(file, folder.file(QStringLiteral("link.wav"))));
    ASSERT_TRUE(
        QFile::link(folder.file(QStringLiteral("gone")), folder.file(QStringLiteral("broken"))));
    const std::pair<QString, AddressKind> cases[] = {
        {file, AddressKind::File},
        {folder.file(QStringLiteral("link.wav")), AddressKind::File},
        {QStringLiteral("file://") + file, AddressKind::File},
        {QStringLiteral("http://example.org:8000/live"), AddressKind::Network},
        {QStringLiteral("HTTPS://x/y.pls"), AddressKind::Network},
        {folder.path(), AddressKind::Refused},
        {QStringLiteral("/"), AddressKind::Refused},
        {QStringLiteral("file://") + folder.path(), AddressKind::Refused},
        {folder.file(QStringLiteral("broken")), AddressKind::Refused},
        {folder.file(QStringLiteral("missing.wav")), AddressKind::Refused},
        {QStringLiteral("/dev/null"), AddressKind::Refused},
        {QStringLiteral("/proc/self/fd/0"), AddressKind::Refused},
        {QStringLiteral("-"), AddressKind::Refused},
        {QStringLiteral("fd://0"), AddressKind::Refused},
        {QStringLiteral("fdclose://3"), AddressKind::Refused},
        {QStringLiteral("av://lavfi:sine"), AddressKind::Refused},
        {QString(), AddressKind::Refused},
    };
    for (const auto& [address, kind] : cases)
        EXPECT_EQ(addressKind(address), kind) << address.toStdString();
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

// Rows of event, state after it and the commands it sends, each with its core.
TEST_F(EngineMachineTest, AnIdleSecondCoreTakesTheLoadAndOnlyTheActiveCoreCounts) {
    using Sent = std::vector<std::pair<Kind, int>>;
    const auto direct = [](std::function<void(EngineMachine&)> e) {
        return Event([e](auto& t) { e(t.machine); });
    };
    struct Row {
        Event event;
        PlayState after;
        Sent commands;
    };
    const std::vector<Row> rows = {
        {file("/m/a.wav"), S::Transitioning, {{Kind::Load, 0}}},  // the second is not made
        {opens, S::Playing, {}},
        {direct([](auto& m) { m.coreMade(1); }), S::Playing, {}},
        // Core 0 plays: the idle core 1 loads, core 0 closes in its own time.
        {file("/m/b.wav"), S::Transitioning, {{Kind::Stop, 0}, {Kind::Pause, 1}, {Kind::Load, 1}}},
        {opens, S::Playing, {}},
        // Core 0's entry 1 is not core 1's entry 1.
        {direct([](auto& m) { m.fileEnded(0, 1, EndReason::Eof); }), S::Playing, {}},
        {direct([](auto& m) { m.pausedForCacheChanged(0, true); }), S::Playing, {}},
        // Core 0 is still closing: core 1 replaces its own entry.
        {file("/m/c.wav"), S::Transitioning, {{Kind::Load, 1}}},
        {opens, S::Playing, {}},
        {direct([](auto& m) { m.idleChanged(0, true); }), S::Playing, {}},
        {file("/m/d.wav"), S::Transitioning, {{Kind::Stop, 1}, {Kind::Pause, 0}, {Kind::Load, 0}}},
        {stop, S::Stopped, {{Kind::Stop, 0}}},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].event(*this);
        Sent got;
        for (EngineCommand& c : machine.takeCommands()) {
            got.emplace_back(c.kind, c.core);
            sent.push_back(std::move(c));
        }
        EXPECT_EQ(machine.state(), rows[i].after) << "row " << i + 1;
        EXPECT_EQ(got, rows[i].commands) << "row " << i + 1;
    }
}
