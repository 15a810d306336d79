#include <gtest/gtest.h>

#include <optional>
#include <utility>

#include "platform/paths.h"
#include "platform/session_bus.h"
#include "player/file_browser.h"
#include "player/mpris.h"
#include "player/window.h"
#include "support/temp_folder.h"
#include "ui/drag.h"
#include "ui/key_command.h"

using namespace ondrix;

TEST(SecondClockHour, MovesBackByTheOffsetWithinTheDay) {
    EXPECT_EQ(secondClockHour(2, 6), 20);
    EXPECT_EQ(secondClockHour(9, 9), 0);
    EXPECT_EQ(secondClockHour(23, 1), 22);
    EXPECT_EQ(secondClockHour(0, 23), 1);
    EXPECT_EQ(secondClockHour(2, 30), 20);  // not -4
    EXPECT_EQ(secondClockHour(5, 48), 5);
}

TEST(ScrollRules, StrictWrapTestsAtTheEdges) {
    // Left to right: landing exactly on the right edge stays, one step past wraps.
    EXPECT_FLOAT_EQ(scrollLeftToRight(10230, 1200, 30), 10260);
    EXPECT_FLOAT_EQ(scrollLeftToRight(10260, 1200, 30), -1200);
    // Right to left: right end exactly on the left edge stays.
    EXPECT_FLOAT_EQ(scrollRightToLeft(-1170, 1200, 30), -1200);
    EXPECT_FLOAT_EQ(scrollRightToLeft(-1200, 1200, 30), 10260);
}

TEST(StepShuttleIndex, FollowsTheListEitherWayAndWraps) {
    EXPECT_EQ(stepShuttleIndex(0, 3, 1), 1);
    EXPECT_EQ(stepShuttleIndex(1, 3, 1), 2);
    EXPECT_EQ(stepShuttleIndex(2, 3, 1), 0);
    EXPECT_EQ(stepShuttleIndex(7, 3, 1), 0);
    EXPECT_EQ(stepShuttleIndex(-1, 3, 1), 0);
    EXPECT_EQ(stepShuttleIndex(0, 1, 1), 0);
    EXPECT_EQ(stepShuttleIndex(0, 0, 1), -1);
    EXPECT_EQ(stepShuttleIndex(2, 3, -1), 1);
    EXPECT_EQ(stepShuttleIndex(0, 3, -1), 2);
    EXPECT_EQ(stepShuttleIndex(7, 3, -1), 2);
    EXPECT_EQ(stepShuttleIndex(0, 0, -1), -1);
}

TEST(JoinPath, AlwaysInsertsTheSeparator) {
    EXPECT_EQ(joinPath(QStringLiteral("/music"), QStringLiteral("a.mp3")),
              QStringLiteral("/music/a.mp3"));
    EXPECT_EQ(joinPath(QStringLiteral("/"), QStringLiteral("a.mp3")), QStringLiteral("//a.mp3"));
}

namespace {
struct FakePlacement : WindowPlacement {
    double left = 0, top = 0;
    double windowLeft() const override { return left; }
    double windowTop() const override { return top; }
    void setWindowLeft(double v) override { left = v; }
    void setWindowTop(double v) override { top = v; }
};
}  // namespace

TEST(DragMove, LeftButtonMovesByThePointersDistanceFromTheAnchor) {
    DragAnchor anchor;
    FakePlacement window;
    window.left = 2000;
    window.top = 1000;
    dragMove(anchor, 0, 500, 300, window);
    dragMove(anchor, kLeftButton, 650, 375, window);
    EXPECT_EQ(window.left, 2150);
    EXPECT_EQ(window.top, 1075);
    EXPECT_EQ(anchor.x, 500);  // a drag leaves the anchor
    for (int buttons : {kRightButton, kMiddleButton, kLeftButton | kRightButton}) {
        dragMove(anchor, buttons, 9000, 9000, window);
        EXPECT_EQ(window.left, 2150);
        EXPECT_EQ(anchor.x, 500);
    }
}

TEST(DragMove, AnchorRoundsHalfToEven) {
    DragAnchor anchor;
    FakePlacement window;
    dragMove(anchor, 0, 500.5f, 301.5f, window);
    EXPECT_EQ(anchor.x, 500);
    EXPECT_EQ(anchor.y, 302);
    dragMove(anchor, 0, 7.4f, -2.5f, window);
    EXPECT_EQ(anchor.x, 7);
    EXPECT_EQ(anchor.y, -2);
}

TEST(DragMove, WithoutAnAnchorTheFirstMoveJumpsByThePointerPosition) {
    DragAnchor anchor;
    FakePlacement window;
    window.left = 3000;
    dragMove(anchor, kLeftButton, 450, 120, window);
    EXPECT_EQ(window.left, 3450);
    EXPECT_EQ(window.top, 120);
}

TEST(KeyCommandRule, NoModifierOrCtrlAlone) {
    EXPECT_TRUE(keyCommandAllowed(0));
    EXPECT_TRUE(keyCommandAllowed(kCtrlMask));
    for (int mask : {1, 3, 4, 5, 6, 7}) EXPECT_FALSE(keyCommandAllowed(mask)) << mask;
    EXPECT_EQ(virtualKeyCode(Qt::Key_F1), 112);
    EXPECT_EQ(virtualKeyCode(Qt::Key_F12), 123);
    EXPECT_EQ(modifierMask(Qt::ShiftModifier | Qt::AltModifier), 5);
}

TEST(DriveOf, TheLongestMountRootHoldingThePath) {
    const QStringList drives = {QStringLiteral("/"), QStringLiteral("/media/usb"),
                                QStringLiteral("/media/usb2")};
    EXPECT_EQ(driveOf(QStringLiteral("/home/me/music"), drives), QStringLiteral("/"));
    EXPECT_EQ(driveOf(QStringLiteral("/media/usb/songs"), drives), QStringLiteral("/media/usb"));
    EXPECT_EQ(driveOf(QStringLiteral("/media/usb2"), drives), QStringLiteral("/media/usb2"));
    EXPECT_EQ(driveOf(QStringLiteral("/media/usb20/x"), drives), QStringLiteral("/"));
}

QString artistOf(const QString& station, const QString& url) {
    return mprisArtist(station, url).text();
}

TEST(MprisRules, StatusStationStepsAndTitle) {
    const struct {
        int state;
        const char* status;
    } states[] = {
        {0, "Stopped"}, {1, "Stopped"}, {2, "Paused"},   {3, "Playing"},  {6, "Playing"},
        {8, "Stopped"}, {9, "Playing"}, {10, "Stopped"}, {11, "Playing"},
    };
    for (const auto& s : states)
        EXPECT_EQ(mprisPlaybackStatus(static_cast<PlayState>(s.state)), QLatin1String(s.status))
            << s.state;

    StationTable stations;
    stations.streamUrl[2] = QStringLiteral("http://a/");
    stations.streamUrl[5] = QStringLiteral("http://b/");
    stations.streamUrl[7] = QStringLiteral("http://a/");
    stations.streamUrl[9] = QStringLiteral("http://c/");  // beyond the buttons
    stations.streamUrl[4] = QStringLiteral("  ");         // no address
    EXPECT_EQ(mprisStationSlot(stations, QStringLiteral("http://a/"), 0), 2);
    EXPECT_EQ(mprisStationSlot(stations, QStringLiteral("http://a/"), 7), 7);
    EXPECT_EQ(mprisStationSlot(stations, QStringLiteral("http://a/"), 5), 2);
    EXPECT_EQ(mprisStationSlot(stations, QStringLiteral("http://c/"), 9), 0);
    EXPECT_EQ(mprisStationSlot(stations, QStringLiteral("  "), 4), 0);
    const struct {
        int current, direction, expected;
    } steps[] = {
        {2, 1, 5}, {5, 1, 7},  {7, 1, 2}, {2, -1, 7}, {5, -1, 2},
        {0, 1, 2}, {0, -1, 7}, {3, 1, 5}, {3, -1, 2},
    };
    for (const auto& s : steps)
        EXPECT_EQ(mprisNeighbourStation(stations, s.current, s.direction), s.expected)
            << s.current << " " << s.direction;
    StationTable lone;
    lone.streamUrl[3] = QStringLiteral("http://a/");
    EXPECT_EQ(mprisNeighbourStation(lone, 3, 1), 0);
    EXPECT_EQ(mprisNeighbourStation(lone, 3, -1), 0);
    EXPECT_EQ(mprisNeighbourStation(lone, 0, -1), 3);
    EXPECT_EQ(mprisNeighbourStation(StationTable{}, 0, 1), 0);

    // The title tag, then the stream's title, then the station, then the address.
    const struct {
        const char *tag, *stream, *station, *url, *title;
    } titles[] = {
        {"Long Local", "Song", "One", "/music/a b.mp3", "Long Local"},
        {"", "Song", "One", "/music/a b.mp3", "Song"},
        {"\x1b[2J", " ", "One", "/music/a b.mp3", "One"},
        {"", "", "", "/music/a b.mp3", "a b.mp3"},
        {"", "\x1b]0;x\aSong\r\nTwo\u202E", "", "/music/a b.mp3", "Song Two"},
        {"", "\x1b[2J\r\n", "One", "/music/a b.mp3", "One"},
        {"", "", "", "C:\\music\\x.wav", "x.wav"},
        {"", "", "", "http://host/", "http://host/"},
    };
    for (const auto& t : titles)
        EXPECT_EQ(mprisTitle(QString::fromUtf8(t.tag), QString::fromUtf8(t.stream),
                             QString::fromUtf8(t.station), QString::fromUtf8(t.url))
                      .text(),
                  QString::fromUtf8(t.title))
            << t.title;
}

TEST(MprisRules, ArtistUrlAndSeek) {
    const struct {
        const char *station, *url, *artist, *uri;
    } rows[] = {
        {"One\x1b[2J", "http://a/s", "One", "http://a/s"},
        {"", "/music/Dub Folder/a b.mp3", "Dub Folder", "file:///music/Dub%20Folder/a%20b.mp3"},
        {"", "http://a/s", "", "http://a/s"},
        {"One", "/music/a.mp3", "One", "file:///music/a.mp3"},
        {"", "file:///music/a.mp3", "", "file:///music/a.mp3"},
    };
    for (const auto& r : rows) {
        const QString url = QString::fromUtf8(r.url);
        EXPECT_EQ(artistOf(QString::fromUtf8(r.station), url), QString::fromUtf8(r.artist))
            << r.url;
        EXPECT_EQ(mprisUrl(url), QString::fromUtf8(r.uri));
    }
    EXPECT_EQ(mprisSeekTarget(10, 5, 60), 15);
    EXPECT_EQ(mprisSeekTarget(10, -15, 60), 0);
    EXPECT_EQ(mprisSeekTarget(10, 51, 60), -1);  // past the end: the next entry
}

TEST(SessionBus, NoneIsLaunchedWhereNoneWasAnnounced) {
    testsupport::TempFolder withBus, withoutBus;
    withBus.write(QStringLiteral("bus"), "");
    const std::optional<QByteArray> saved[] = {
        qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS")
            ? std::optional(qgetenv("DBUS_SESSION_BUS_ADDRESS"))
            : std::nullopt,
        qEnvironmentVariableIsSet("XDG_RUNTIME_DIR") ? std::optional(qgetenv("XDG_RUNTIME_DIR"))
                                                     : std::nullopt};
    const struct {
        const char* address;
        const testsupport::TempFolder& runtime;
        bool advertised;
        const char* after;  // the address libdbus then reads
    } rows[] = {
        {"unix:path=/run/user/1000/bus", withoutBus, true, "unix:path=/run/user/1000/bus"},
        {"", withBus, true, ""},  // libdbus finds the socket itself
        {"", withoutBus, false, "disabled:"},
        {"disabled:", withoutBus, false, "disabled:"},
    };
    for (const auto& row : rows) {
        qputenv("DBUS_SESSION_BUS_ADDRESS", row.address);
        qputenv("XDG_RUNTIME_DIR", row.runtime.path().toLocal8Bit());
        EXPECT_EQ(sessionBusAdvertised(), row.advertised) << row.address;
        keepFromLaunchingASessionBus();
        EXPECT_EQ(qgetenv("DBUS_SESSION_BUS_ADDRESS"), QByteArray(row.after)) << row.address;
    }
    for (const auto& [name, value] :
         {std::pair{"DBUS_SESSION_BUS_ADDRESS", saved[0]}, std::pair{"XDG_RUNTIME_DIR", saved[1]}})
        value ? qputenv(name, *value) : qunsetenv(name);
}
