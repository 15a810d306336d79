// The real player under Xvfb, driven with xdotool as a user would.
#include <gtest/gtest.h>

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPoint>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTest>
#include <QThread>
#include <QUrl>
#include <cmath>
#include <functional>

#include "gui/window_invariants.h"
#include "player/layout.h"
#include "support/accessibility.h"
#include "support/icecast.h"
#include "support/processes.h"
#include "support/session_bus.h"
#include "support/suite_paths.h"
#include "support/temp_folder.h"
#include "support/web_server.h"

using namespace testsupport;

namespace {

QByteArray crlf(const QStringList& lines) {
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

class PlayerUnderX : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!haveProgram(QStringLiteral("xdotool")) || !haveProgram(QStringLiteral("Xvfb")))
            GTEST_SKIP() << "needs Xvfb and xdotool";
        x_ = std::make_unique<Xvfb>();
        settings.write(QStringLiteral("!WLKstart.txt"), crlf({"3000", "1500"}));
        settings.write(QStringLiteral("!tzone.txt"), crlf({"0"}));
        settings.write(QStringLiteral("!moving.txt"), crlf({"moving"}));
        // Nothing listens on port 9 of the loopback: the stations fail fast.
        settings.write(QStringLiteral("!rkeys.txt"),
                       crlf({"+", "One", "http://127.0.0.1:9/", "http://127.0.0.1:9/one"}));
    }

    void TearDown() override {
        if (player_.state() != QProcess::NotRunning) {
            player_.kill();
            player_.waitForFinished(5000);
        }
    }

    QString xdotool(const QStringList& arguments) {
        QString out;
        runCommand(QStringLiteral("xdotool"), arguments, x_->environment(), &out, 15000);
        return out.trimmed();
    }

    void start(const QString& program, const QString& folder, const QStringList& arguments = {},
               const std::function<void(QProcessEnvironment&)>& adjust = {}) {
        // A display that another test's server had just given up may refuse
        // the program even though it answered us: then a fresh one is tried.
        for (int attempt = 1;; ++attempt) {
            QProcessEnvironment env = x_->environment();
            if (adjust) adjust(env);
            player_.setProcessEnvironment(env);
            player_.setWorkingDirectory(folder);
            player_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            endWithParent(player_);
            player_.start(program, arguments);
            ASSERT_TRUE(player_.waitForStarted(10000));
            const bool shown = QTest::qWaitFor(
                [&] { return !windowId().isEmpty() || player_.state() == QProcess::NotRunning; },
                20000);
            if (shown && player_.state() == QProcess::Running) break;
            ASSERT_LT(attempt, 3) << "no window";
            player_.kill();
            player_.waitForFinished(5000);
            x_ = std::make_unique<Xvfb>();
        }
        QThread::msleep(300);
    }

    QString windowId() {
        const QString found =
            xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                     QStringLiteral("--class"), QStringLiteral("ondrixWavelark31")});
        return found.split(QLatin1Char('\n')).constFirst().trimmed();
    }

    QPoint windowPosition() {
        const QString geometry = xdotool({QStringLiteral("getwindowgeometry"), windowId()});
        const auto match =
            QRegularExpression(QStringLiteral("Position: (-?\\d+),(-?\\d+)")).match(geometry);
        return match.hasMatch() ? QPoint(match.captured(1).toInt(), match.captured(2).toInt())
                                : QPoint(-99999, -99999);
    }

    // A left-button drag from a point of the window (window coordinates).
    // When the window follows, each step waits for the window's own move: a
    // pointer event queued before the move landed is relative to where the
    // window was.
    void drag(QPoint from, QPoint by, bool windowFollows = true) {
        const QPoint origin = windowPosition();
        const QPoint start = origin + from;
        xdotool(
            {QStringLiteral("mousemove"), QString::number(start.x()), QString::number(start.y())});
        xdotool({QStringLiteral("mousemove"), QString::number(start.x() + 1),
                 QString::number(start.y())});
        xdotool(
            {QStringLiteral("mousemove"), QString::number(start.x()), QString::number(start.y())});
        xdotool({QStringLiteral("mousedown"), QStringLiteral("1")});
        const int steps = 4;
        for (int i = 1; i <= steps; ++i) {
            const QPoint step = by * i / steps;
            xdotool({QStringLiteral("mousemove"), QString::number(start.x() + step.x()),
                     QString::number(start.y() + step.y())});
            if (windowFollows)
                EXPECT_TRUE(
                    QTest::qWaitFor([&] { return windowPosition() == origin + step; }, 10000))
                    << "the window did not follow the drag at step " << i;
            else
                QThread::msleep(50);
        }
        xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
        QThread::msleep(200);
    }

    void key(const QString& keys) {
        // Without a window manager the keyboard follows the pointer.
        const QPoint over = windowPosition() + QPoint(40, 62);
        xdotool(
            {QStringLiteral("mousemove"), QString::number(over.x()), QString::number(over.y())});
        xdotool({QStringLiteral("key"), keys});
        QThread::msleep(400);
    }

    // Closes the message box the player shows (it has the keyboard).
    void confirmMessageBox() {
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return !xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                 QStringLiteral("--name"),
                                 QStringLiteral("^(ondrix|OndrixRadio)$")})
                            .isEmpty();
            },
            10000))
            << "no message box";
        const QString box =
            xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                     QStringLiteral("--name"), QStringLiteral("^(ondrix|OndrixRadio)$")})
                .split(QLatin1Char('\n'))
                .constFirst();
        // Without a window manager the keyboard follows the pointer.
        const QString geometry = xdotool({QStringLiteral("getwindowgeometry"), box});
        const auto at =
            QRegularExpression(QStringLiteral("Position: (-?\\d+),(-?\\d+)")).match(geometry);
        const auto size =
            QRegularExpression(QStringLiteral("Geometry: (\\d+)x(\\d+)")).match(geometry);
        ASSERT_TRUE(at.hasMatch() && size.hasMatch()) << geometry.toStdString();
        xdotool({QStringLiteral("mousemove"),
                 QString::number(at.captured(1).toInt() + size.captured(1).toInt() / 2),
                 QString::number(at.captured(2).toInt() + size.captured(2).toInt() / 2)});
        xdotool({QStringLiteral("key"), QStringLiteral("Return")});
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                QStringLiteral("--name"), QStringLiteral("^(ondrix|OndrixRadio)$")})
                    .isEmpty();
            },
            10000))
            << "the message box stays open";
        QThread::msleep(200);
    }

    // Starts the player in the settings folder with its error box off; what
    // it printed when it ended within 20 s with status 1, else nothing.
    QString failedStartErrors() {
        QProcess player;
        QProcessEnvironment env = x_->environment();
        env.insert(QStringLiteral("ONDRIX_NO_ERROR_BOX"), QStringLiteral("1"));
        player.setProcessEnvironment(env);
        player.setWorkingDirectory(settings.path());
        player.start(playerProgram(), {});
        if (!player.waitForFinished(20000) || player.exitCode() != 1) return QString();
        return QString::fromLocal8Bit(player.readAllStandardError());
    }

    bool finishedWith(int status) {
        if (!player_.waitForFinished(10000)) return false;
        return player_.exitStatus() == QProcess::NormalExit && player_.exitCode() == status;
    }

    QString playerProgram() const {
        return testsupport::buildPath(QStringLiteral("ondrixWavelark31"));
    }

    TempFolder settings;
    std::unique_ptr<Xvfb> x_;
    QProcess player_;
};

// A point of the bare surface: under the title row between the station rows.
const QPoint kSurface(40, 62);

const QString kMprisName = QStringLiteral("org.mpris.MediaPlayer2.wavelark");
const QString kMprisPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kMprisPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");

// A property of the player's media control, read over the test's bus.
QVariant playerProperty(const PrivateBus& bus, const char* name) {
    const QDBusMessage reply = bus.connection().call(
        QDBusMessage::createMethodCall(kMprisName, kMprisPath,
                                       QStringLiteral("org.freedesktop.DBus.Properties"),
                                       QStringLiteral("Get"))
        << kMprisPlayer << QString::fromLatin1(name));
    return reply.arguments().isEmpty()
               ? QVariant()
               : reply.arguments().constFirst().value<QDBusVariant>().variant();
}

}  // namespace

TEST_F(PlayerUnderX, DragSaveAndReloadMoveTheWindowBack) {
    start(playerProgram(), settings.path());
    EXPECT_EQ(windowPosition(), QPoint(200, 100));  // 3000, 1500 twips

    drag(kSurface, QPoint(60, 30));
    EXPECT_EQ(windowPosition(), QPoint(260, 130));

    key(QStringLiteral("F11"));
    confirmMessageBox();
    EXPECT_EQ(settings.read(QStringLiteral("!WLKstart.txt")), QByteArray("3900\r\n1950\r\n"));

    drag(kSurface, QPoint(-100, 50));
    EXPECT_EQ(windowPosition(), QPoint(160, 180));
    key(QStringLiteral("F1"));
    confirmMessageBox();
    EXPECT_EQ(windowPosition(), QPoint(260, 130));

    drag(kSurface, QPoint(30, 30));
    // A click on the clock re-reads the position as well.
    const QPoint clock = windowPosition() + QPoint(270, 55);
    xdotool({QStringLiteral("mousemove"), QString::number(clock.x()), QString::number(clock.y())});
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
    QThread::msleep(400);
    EXPECT_EQ(windowPosition(), QPoint(260, 130));

    // A drag that starts on a control does not move the window.
    drag(QPoint(20, 42), QPoint(50, 50), false);  // on station button R1
    EXPECT_EQ(windowPosition(), QPoint(260, 130));
}

TEST_F(PlayerUnderX, F12EndsWithStatusZeroButNotWithShiftOrAlt) {
    start(playerProgram(), settings.path());
    key(QStringLiteral("shift+F12"));
    key(QStringLiteral("alt+F12"));
    EXPECT_EQ(player_.state(), QProcess::Running);
    key(QStringLiteral("F12"));
    EXPECT_TRUE(finishedWith(0));
}

TEST_F(PlayerUnderX, ExitLabelEndsWithStatusZero) {
    start(playerProgram(), settings.path());
    const QPoint exitLabel = windowPosition() + QPoint(628, 148);
    xdotool({QStringLiteral("mousemove"), QString::number(exitLabel.x()),
             QString::number(exitLabel.y())});
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
    EXPECT_TRUE(finishedWith(0));
}

TEST_F(PlayerUnderX, MissingSettingsFileEndsTheStartWithTheErrorNamed) {
    QFile::remove(settings.file(QStringLiteral("!WLKstart.txt")));
    EXPECT_TRUE(failedStartErrors().contains(
        QStringLiteral("Run-time error '53': File not found (!WLKstart.txt)")));
}

TEST_F(PlayerUnderX, InstalledDesktopEntryRunsInTheUsersOwnSettingsFolder) {
    TempFolder prefix, home;
    ASSERT_EQ(runCommand(QStringLiteral("cmake"),
                         {QStringLiteral("--install"), testsupport::buildPath(QString()),
                          QStringLiteral("--prefix"), prefix.path()},
                         QProcessEnvironment::systemEnvironment(), nullptr, 120000),
              0);
    QFile entry(prefix.file(QStringLiteral("share/applications/ondrix-wavelark.desktop")));
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    const auto exec = QRegularExpression(QStringLiteral("(?m)^Exec=(\\S+) (\\S+)$"))
                          .match(QString::fromUtf8(entry.readAll()));
    ASSERT_TRUE(exec.hasMatch());

    const QString ownFolder = home.file(QStringLiteral(".local/share/ondrix/wavelark"));
    const auto asUser = [&](QProcessEnvironment& env) {
        env.insert(QStringLiteral("HOME"), home.path());
        env.remove(QStringLiteral("XDG_DATA_HOME"));
    };
    start(exec.captured(1), home.path(), {exec.captured(2)}, asUser);
    for (const char* name :
         {"!rkeys.txt", "!WLKstart.txt", "!tzone.txt", "!moving.txt", "infoondrix3.txt"})
        EXPECT_TRUE(QFile::exists(ownFolder + QLatin1Char('/') + QLatin1String(name))) << name;
    EXPECT_EQ(windowPosition(), QPoint(100, 100));  // the default 1500, 1500 twips

    drag(kSurface, QPoint(45, 15));
    key(QStringLiteral("F11"));
    confirmMessageBox();
    QFile saved(ownFolder + QStringLiteral("/!WLKstart.txt"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray("2175\r\n1725\r\n"));
    key(QStringLiteral("F12"));
    ASSERT_TRUE(finishedWith(0));

    // The next start keeps the user's file.
    start(exec.captured(1), home.path(), {exec.captured(2)}, asUser);
    EXPECT_EQ(windowPosition(), QPoint(145, 115));
}

// On the real display the window is painted as its table says, and the
// texts of the bottom strip move.
TEST_F(PlayerUnderX, ScreenshotShowsTheWindowAsItsTableSaysAndTheTextsMove) {
    start(playerProgram(), settings.path());
    xdotool({QStringLiteral("mousemove"), QStringLiteral("1000"), QStringLiteral("900")});
    const ondrix::WindowLayout& table = ondrix::wavelarkWindowLayout();
    const QRect window(windowPosition(), QSize(ondrix::twipsToPixels(table.clientWidth),
                                               ondrix::twipsToPixels(table.clientHeight)));
    const QString shot = testsupport::buildPath(QStringLiteral("wavelark-window.png"));
    ASSERT_TRUE(x_->screenshot(shot));
    const QImage first = QImage(shot).copy(window);
    ASSERT_FALSE(first.isNull());
    testsupport::expectPaintedFromTable(first, table);

    const QRect strip = ondrix::twipsRect(0, 2520, table.clientWidth, 360);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return x_->screenshot(shot) &&
                   QImage(shot).copy(window).copy(strip) != first.copy(strip);
        },
        10000))
        << "the texts stand still";
}

TEST_F(PlayerUnderX, PlayerctlDrivesThePlayerOverTheSessionBus) {
    if (!haveProgram(QStringLiteral("playerctl")) || !haveProgram(QStringLiteral("dbus-daemon")) ||
        !IcecastServer::available())
        GTEST_SKIP() << "needs playerctl, dbus-daemon, icecast2 and ffmpeg";
    IcecastServer server;
    const QString one = QStringLiteral("/one.mp3"), two = QStringLiteral("/two.mp3"),
                  three = QStringLiteral("/three.mp3");
    ASSERT_TRUE(server.startSource(one, 440));
    ASSERT_TRUE(server.startSource(two, 660));
    ASSERT_TRUE(server.startSource(three, 880));
    settings.write(
        QStringLiteral("!rkeys.txt"),
        crlf({"+", "One", "http://one.example/", server.url(one), "+", "Two", "http://two.example/",
              server.url(two), "+", "Three", "http://three.example/", server.url(three)}));
    PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty());
    const auto onBus = [&](QProcessEnvironment& env) { bus.join(env); };
    QProcessEnvironment env = x_->environment();
    onBus(env);
    // Followers learn of changes only from the player's PropertiesChanged.
    Follower statuses(env, {QStringLiteral("status")});
    Follower titles(env, {QStringLiteral("metadata"), QStringLiteral("title")});
    start(playerProgram(), settings.path(), {}, onBus);

    const auto ctl = [&](const QStringList& arguments) {
        QString out;
        runCommand(QStringLiteral("playerctl"),
                   QStringList{QStringLiteral("--player=wavelark")} + arguments, env, &out, 10000);
        return out.trimmed();
    };
    const auto meta = [&](const char* key) {
        return ctl({QStringLiteral("metadata"), QLatin1String(key)});
    };
    const auto status = [&] { return ctl({QStringLiteral("status")}); };

    EXPECT_TRUE(QTest::qWaitFor([&] { return server.listeners(one) == 1; }, 15000));
    EXPECT_EQ(status(), QStringLiteral("Playing"));
    EXPECT_EQ(meta("xesam:album"), QStringLiteral("One"));
    EXPECT_EQ(meta("xesam:artist"), QStringLiteral("One"));
    EXPECT_EQ(meta("xesam:url"), server.url(one));
    ASSERT_TRUE(server.setStreamTitle(one, QStringLiteral("Lark - Song")));
    EXPECT_TRUE(titles.sawLast(QStringLiteral("Lark - Song"), 15000)) << titles.seen();
    EXPECT_EQ(playerProperty(bus, "CanSeek"), QVariant(false));  // a live station

    ctl({QStringLiteral("pause")});
    EXPECT_TRUE(QTest::qWaitFor([&] { return status() == QStringLiteral("Paused"); }, 5000));
    ctl({QStringLiteral("play")});
    EXPECT_TRUE(QTest::qWaitFor([&] { return status() == QStringLiteral("Playing"); }, 5000));

    // Next and Previous walk the buttons with an address, wrapping at both ends.
    const std::pair<const char*, QString> steps[] = {
        {"next", two}, {"next", three}, {"next", one}, {"previous", three}, {"previous", two}};
    for (const auto& step : steps) {
        const char* command = step.first;
        const QString& mount = step.second;
        ctl({QLatin1String(command)});
        EXPECT_TRUE(QTest::qWaitFor([&] { return meta("xesam:url") == server.url(mount); }, 5000))
            << command << " did not reach " << mount.toStdString();
    }
    EXPECT_EQ(meta("xesam:album"), QStringLiteral("Two"));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return server.listeners(two) == 1 && server.listeners(one) == 0; }, 15000));
    EXPECT_EQ(meta("xesam:title"), QStringLiteral("Two"));  // no stream title yet

    ctl({QStringLiteral("stop")});
    EXPECT_TRUE(QTest::qWaitFor([&] { return status() == QStringLiteral("Stopped"); }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.listeners(two) == 0; }, 10000));
    EXPECT_TRUE(statuses.sawLast(QStringLiteral("Playing Paused Playing Stopped"), 5000))
        << statuses.seen();
}

TEST_F(PlayerUnderX, PlayerctlStepsTheFolderWalkDuringShuttlePlay) {
    if (!haveProgram(QStringLiteral("playerctl")) || !haveProgram(QStringLiteral("dbus-daemon")) ||
        !haveProgram(QStringLiteral("ffmpeg")))
        GTEST_SKIP() << "needs playerctl, dbus-daemon and ffmpeg";
    // Named to sort after the settings files, in the folder the list shows first.
    for (const char* name : {"y.mp3", "z.mp3"})
        ASSERT_EQ(runCommand(QStringLiteral("ffmpeg"),
                             {QStringLiteral("-loglevel"), QStringLiteral("error"),
                              QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                              QStringLiteral("sine=duration=60"),
                              settings.file(QString::fromLatin1(name))}),
                  0);
    PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    bus.join(env);
    start(playerProgram(), settings.path(), {}, [&](QProcessEnvironment& e) { bus.join(e); });
    // playerctl's answer, about the player on the test's bus.
    const auto ctl = [&](const QString& arguments) {
        QString out;
        runCommand(QStringLiteral("playerctl"),
                   (QStringLiteral("--player=wavelark ") + arguments).split(QLatin1Char(' ')), env,
                   &out, 10000);
        return out.trimmed();
    };
    const auto uri = [&](const char* name) {
        return QUrl::fromLocalFile(settings.file(QString::fromLatin1(name)))
            .toString(QUrl::FullyEncoded);
    };
    const auto url = [&] { return ctl(QStringLiteral("metadata xesam:url")); };

    // A click in the file list, then the last entry and the one above it.
    const QPoint list = windowPosition() + QPoint(470, 38);
    xdotool({QStringLiteral("mousemove"), QString::number(list.x()), QString::number(list.y())});
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
    xdotool({QStringLiteral("key"), QStringLiteral("End"), QStringLiteral("Up")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return url() == uri("y.mp3"); }, 15000))
        << url().toStdString();
    EXPECT_EQ(ctl(QStringLiteral("metadata xesam:artist")), QDir(settings.path()).dirName());
    EXPECT_EQ(ctl(QStringLiteral("metadata xesam:title")), QStringLiteral("y.mp3"));

    // playerctl quotes an object path.
    const QString firstTrack =
        ctl(QStringLiteral("metadata mpris:trackid")).remove(QLatin1Char('\''));
    const auto position = [&] { return ctl(QStringLiteral("position")).toDouble(); };

    ctl(QStringLiteral("next"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return url() == uri("z.mp3"); }, 10000));
    // A file has a length: it shows on the bus and the file can be sought.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return std::abs(ctl(QStringLiteral("metadata mpris:length")).toLongLong() - 60000000) <
                   500000;
        },
        10000))
        << ctl(QStringLiteral("metadata mpris:length")).toStdString();
    EXPECT_EQ(playerProperty(bus, "CanSeek"), QVariant(true));
    // A seek meant for the file before, arriving after Next, is not this one's.
    const QDBusMessage stale = bus.connection().call(
        QDBusMessage::createMethodCall(kMprisName, kMprisPath, kMprisPlayer,
                                       QStringLiteral("SetPosition"))
        << QVariant::fromValue(QDBusObjectPath(firstTrack)) << qlonglong{30000000});
    ASSERT_EQ(stale.type(), QDBusMessage::ReplyMessage) << stale.errorMessage().toStdString();
    const double before = position();
    EXPECT_TRUE(QTest::qWaitFor([&] { return position() >= before + 1; }, 10000));
    EXPECT_LT(position(), 30);

    ctl(QStringLiteral("previous"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return url() == uri("y.mp3"); }, 10000));
    ctl(QStringLiteral("position 30"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return position() >= 30; }, 10000));
}

TEST_F(PlayerUnderX, DebianPackageUnpackedRunsItsDesktopEntry) {
    const QDir packages(testsupport::buildPath(QStringLiteral("package")));
    const QStringList debs = packages.entryList({QStringLiteral("*.deb")}, QDir::Files, QDir::Time);
    if (debs.isEmpty()) GTEST_SKIP() << "no package in build/package: run make package";
    const QString deb = packages.filePath(debs.constFirst());
    TempFolder root, home;
    ASSERT_EQ(runCommand(QStringLiteral("dpkg"), {QStringLiteral("-x"), deb, root.path()}), 0);

    QString fields;
    runCommand(QStringLiteral("dpkg-deb"),
               {QStringLiteral("-f"), deb, QStringLiteral("Depends"), QStringLiteral("Recommends")},
               QProcessEnvironment::systemEnvironment(), &fields);
    for (const char* name :
         {"libmpv2", "libqt6widgets6", "libqt6dbus6", "qt6-qpa-plugins", "lame", "flac"})
        EXPECT_TRUE(fields.contains(QLatin1String(name))) << name << " in " << fields.toStdString();
    EXPECT_TRUE(QFile::exists(root.file(QStringLiteral("usr/share/doc/ondrix/copyright"))));
    const QStringList metainfo = QDir(root.file(QStringLiteral("usr/share/metainfo")))
                                     .entryList({QStringLiteral("*.metainfo.xml")}, QDir::Files);
    EXPECT_EQ(metainfo.size(), 4);
    if (haveProgram(QStringLiteral("appstreamcli"))) {
        QString report;
        EXPECT_EQ(runCommand(QStringLiteral("bash"),
                             {QStringLiteral("-c"),
                              QStringLiteral("appstreamcli validate --no-net \"$0\"/*.xml"),
                              root.file(QStringLiteral("usr/share/metainfo"))},
                             QProcessEnvironment::systemEnvironment(), &report),
                  0)
            << report.toStdString();
    }
    if (haveProgram(QStringLiteral("lintian"))) {
        QString report;
        EXPECT_EQ(runCommand(QStringLiteral("lintian"), {deb},
                             QProcessEnvironment::systemEnvironment(), &report, 180000),
                  0)
            << report.toStdString();
        EXPECT_FALSE(report.contains(QStringLiteral("E: "))) << report.toStdString();
    }

    QFile entry(root.file(QStringLiteral("usr/share/applications/ondrix-wavelark.desktop")));
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    const auto exec = QRegularExpression(QStringLiteral("(?m)^Exec=(/usr/\\S+) (\\S+)$"))
                          .match(QString::fromUtf8(entry.readAll()));
    ASSERT_TRUE(exec.hasMatch());
    const auto asUser = [&](QProcessEnvironment& env) {
        env.insert(QStringLiteral("HOME"), home.path());
        env.remove(QStringLiteral("XDG_DATA_HOME"));
    };
    start(root.path() + exec.captured(1), home.path(), {exec.captured(2)}, asUser);
    EXPECT_TRUE(
        QFile::exists(home.file(QStringLiteral(".local/share/ondrix/wavelark/!rkeys.txt"))));
    EXPECT_EQ(windowPosition(), QPoint(100, 100));  // the default 1500, 1500 twips
    key(QStringLiteral("F12"));
    EXPECT_TRUE(finishedWith(0));
}

// A station file and a file from others: a title tag that names a picture,
// a web page that names a program. Hovering the title opens nothing; the web
// page label starts nothing; a real web address still reaches the opener.
TEST_F(PlayerUnderX, HostileTitlesAndWebPagesOpenAndStartNothing) {
    if (!haveProgram(QStringLiteral("strace")) || !haveProgram(QStringLiteral("ffmpeg")))
        GTEST_SKIP() << "needs strace and ffmpeg";
    TempFolder files;
    const QString picture = files.file(QStringLiteral("watched.png"));
    QImage(4, 4, QImage::Format_RGB32).save(picture);
    const QString marker = files.file(QStringLiteral("ran"));
    const QString program = files.file(QStringLiteral("run.sh"));
    files.write(QStringLiteral("run.sh"), ("#!/bin/sh\ntouch '" + marker + "'\n").toUtf8());
    QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const QString opened = files.file(QStringLiteral("opened.log"));
    QDir().mkpath(files.file(QStringLiteral("bin")));
    files.write(QStringLiteral("bin/xdg-open"),
                ("#!/bin/sh\necho \"$@\" >> '" + opened + "'\n").toUtf8());
    QFile::setPermissions(files.file(QStringLiteral("bin/xdg-open")),
                          QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const QString song = files.file(QStringLiteral("song.mp3"));
    ASSERT_EQ(runCommand(QStringLiteral("ffmpeg"),
                         {"-v", "error", "-f", "lavfi", "-i", "sine=d=60", "-metadata",
                          "title=<img src=\"" + picture + "\">", "-c:a", "libmp3lame", song}),
              0);
    settings.write(
        QStringLiteral("!rkeys.txt"),
        crlf({"+", "One", program, song, "+", "Two", "www.two.example", "http://127.0.0.1:9/two"}));
    const QString trace = files.file(QStringLiteral("trace.log"));
    start(QStringLiteral("strace"), settings.path(),
          {"-f", "-qq", "-e", "trace=openat,execve", "-o", trace, playerProgram()},
          [&](QProcessEnvironment& env) {
              env.insert(QStringLiteral("PATH"),
                         files.file(QStringLiteral("bin")) + ':' + env.value("PATH"));
          });

    // The pointer rests on the title line until its tip shows (a second
    // window of the player's class).
    auto visibleWindows = [&] {
        return xdotool({"search", "--onlyvisible", "--class", "ondrixWavelark31"})
            .split('\n', Qt::SkipEmptyParts)
            .size();
    };
    auto click = [&](QPoint at) {
        const QPoint p = windowPosition() + at;
        xdotool({"mousemove", QString::number(p.x()), QString::number(p.y())});
        xdotool({"click", "1"});
        QThread::msleep(300);
    };
    // Tips show in the active window only: a click on the surface makes it so.
    click(kSurface);
    const QPoint title = windowPosition() + QPoint(300, 110);
    bool tipShown = false;
    for (int attempt = 0; attempt < 8 && !tipShown; ++attempt) {
        xdotool(
            {"mousemove", QString::number(title.x() + attempt % 2), QString::number(title.y())});
        tipShown = QTest::qWaitFor([&] { return visibleWindows() > 1; }, 2500);
    }
    EXPECT_TRUE(tipShown) << "no tool tip on the title";
    const QPoint webPage(20, 100), stationTwo(76, 44);
    click(webPage);
    click(stationTwo);
    click(webPage);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(opened); }, 15000));
    EXPECT_EQ(files.read(QStringLiteral("opened.log")), QByteArray("http://www.two.example\n"));
    EXPECT_FALSE(QFile::exists(marker)) << "the station's web page ran a program";
    const QByteArray calls = files.read(QStringLiteral("trace.log"));
    EXPECT_FALSE(calls.contains(picture.toUtf8())) << "a title tag opened a file";
    EXPECT_FALSE(calls.contains(program.toUtf8())) << "a web page started a program";
}

// Files far beyond any real settings end the start with the error named,
// at once, instead of freezing or crashing in the layout.
TEST_F(PlayerUnderX, HugeSettingsFilesEndTheStartWithTheErrorWithinSeconds) {
    for (const QString& name : {QStringLiteral("!moving.txt"), QStringLiteral("!rkeys.txt")}) {
        const QByteArray kept = settings.read(name);
        ASSERT_TRUE(QFile(settings.file(name)).resize(200LL * 1024 * 1024));
        EXPECT_TRUE(failedStartErrors().contains(
            QStringLiteral("Run-time error '75': Path/File access error (") + name + ')'))
            << name.toStdString();
        settings.write(name, kept);
    }
}

// An assistive tool on the desktop's accessibility bus finds the controls by
// role and name, the station buttons and the scrolling texts named from the
// settings files as the screen shows them, and presses them as a click does.
TEST_F(PlayerUnderX, AssistiveToolsFindAndPressTheControls) {
    AccessibilityBus a11y;
    if (!a11y.ready()) GTEST_SKIP() << "needs at-spi2-core and python3-pyatspi";
    WebServer server;
    // The name's override mark is outside text the screen leaves out.
    settings.write(QStringLiteral("!rkeys.txt"),
                   crlf({"+", "One", "http://127.0.0.1:9/", server.url(QStringLiteral("/one")), "+",
                         "Tw\u202eo", "www.two.example", server.url(QStringLiteral("/two"))}));
    settings.write(QStringLiteral("!moving.txt"), crlf({"Mo\u202eving"}));
    start(playerProgram(), settings.path(), {}, [&](QProcessEnvironment& env) { a11y.join(env); });
    const QString app = QStringLiteral("ondrixWavelark31");
    EXPECT_TRUE(a11y.waitForObjects(
        app,
        {"frame|Wavelark Player", "push button|One", "push button|Two", "push button|R3",
         "push button|REC", "push button|Stop", "push button|Play", "push button|Exit",
         "push button|http://127.0.0.1:9/", "text|Test URL", "slider|Volume", "slider|Position",
         "label|VOSKE", "label|Wavelark Player", "check box|Shuttle Play", "list|Folders",
         "list|Files", "filler|Scrolling texts: VOSKE CARE - since 1985, Moving"}))
        << a11y.objects(app).join(QLatin1Char('\n')).toStdString();

    ASSERT_TRUE(a11y.act(app, QStringLiteral("push button"), QStringLiteral("Two")));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return server.requests(QStringLiteral("/two")) > 0; }, 15000));
    EXPECT_TRUE(a11y.waitForObjects(app, {"push button|www.two.example"}));

    ASSERT_TRUE(a11y.act(app, QStringLiteral("push button"), QStringLiteral("Exit")));
    EXPECT_TRUE(finishedWith(0));
}
