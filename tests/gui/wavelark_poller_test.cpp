#include <sys/stat.h>

#include <QAction>
#include <QFileInfo>
#include <QTest>
#include <tuple>

#include "gui/wavelark_fixture.h"
#include "platform/paths.h"
#include "player/media_widget.h"

using namespace testsupport;
using ondrix::PlayState;

namespace {

class PollerTest : public WavelarkTest {
  protected:
    // A music folder beside the settings, shown in the lists.
    ondrix::Wavelark& withMusic(const QStringList& names) {
        music_ = std::make_unique<TempFolder>();
        for (const QString& name : names) music_->write(name, "x");
        ondrix::Wavelark& w = loaded();
        w.Dir1->setPath(music_->path());
        engine.urls.clear();
        engine.calls.clear();
        return w;
    }
    QString inMusic(const QString& name) const { return ondrix::joinPath(music_->path(), name); }

    // One tick once the engine stopped.
    void tickStopped(ondrix::Wavelark& w) {
        engine.state = PlayState::Stopped;
        w.Timer1_Timer();
    }

    std::unique_ptr<TempFolder> music_;
};

}  // namespace

TEST_F(PollerTest, StatusTextForEachState) {
    ondrix::Wavelark& w = loaded();
    EXPECT_EQ(w.Label1->text(), QStringLiteral("kbps"));  // before the first status
    const std::pair<PlayState, QString> texts[] = {
        {PlayState::Paused, QStringLiteral("Paus")},
        {PlayState::Buffering, QStringLiteral("Buffering ")},
        {PlayState::Ready, QStringLiteral("Ready")},
        {PlayState::Reconnecting, QStringLiteral("Reconnect")},
    };
    for (const auto& [state, text] : texts) {
        engine.state = state;
        w.Timer1_Timer();
        EXPECT_EQ(w.Label1->text(), text) << "state " << static_cast<int>(state);
    }
    // Other states leave the caption as it was.
    for (int state : {0, 4, 5, 7, static_cast<int>(PlayState::MediaEnded),
                      static_cast<int>(PlayState::Transitioning), 12, -1}) {
        engine.state = static_cast<PlayState>(state);
        w.Timer1_Timer();
        EXPECT_EQ(w.Label1->text(), QStringLiteral("Reconnect")) << "state " << state;
    }
}

TEST_F(PollerTest, BitRateWhilePlaying) {
    ondrix::Wavelark& w = loaded();
    engine.state = PlayState::Playing;
    const std::pair<QString, QString> rates[] = {
        {QStringLiteral("128000"), QStringLiteral("128 kbps")},
        {QStringLiteral("0"), QStringLiteral("0 kbps")},
        // Whole kbps always, rounded; nothing until a rate is known.
        {QStringLiteral("44100"), QStringLiteral("44 kbps")},
        {QStringLiteral("98666"), QStringLiteral("99 kbps")},
        {QStringLiteral("1411200"), QStringLiteral("1411 kbps")},
        {QString(), QString()},
        {QStringLiteral("fast"), QString()},
    };
    for (const auto& [info, text] : rates) {
        engine.bitrate = info;
        w.Timer1_Timer();
        EXPECT_EQ(w.Label1->text(), text) << info.toStdString();
    }
}

TEST_F(PollerTest, ListOrderPlaysTheFollowingEntriesAndWrapsAtTheEnd) {
    ondrix::Wavelark& w = withMusic({"a.mp3", "b.mp3", "c.mp3"});
    ASSERT_EQ(w.File1->listCount(), 3);
    w.File1->setListIndex(1);  // the user picks b
    EXPECT_EQ(engine.urls, QStringList({inMusic("b.mp3")}));
    EXPECT_EQ(w.shuttlePosition(), 1);

    tickStopped(w);
    EXPECT_EQ(w.Label1->text(), QStringLiteral("Stopped"));
    // The nested click starts the file, then the step sets it once more.
    EXPECT_EQ(engine.urls.mid(1), QStringList({inMusic("c.mp3"), inMusic("c.mp3")}));
    EXPECT_EQ(w.shuttlePosition(), 2);

    tickStopped(w);
    EXPECT_EQ(engine.urls.last(), inMusic("a.mp3"));
    EXPECT_EQ(w.File1->listIndex(), 0);
    tickStopped(w);
    EXPECT_EQ(engine.urls.last(), inMusic("b.mp3"));
}

TEST_F(PollerTest, MediaEndedWaitsForTheStop) {
    ondrix::Wavelark& w = withMusic({"a.mp3", "b.mp3"});
    w.File1->setListIndex(0);
    engine.state = PlayState::MediaEnded;
    w.Timer1_Timer();
    EXPECT_EQ(engine.urls.size(), 1);
}

TEST_F(PollerTest, BeforeAnyClickTheFirstStopPlaysTheSecondEntry) {
    ondrix::Wavelark& w = withMusic({"a.mp3", "b.mp3", "c.mp3"});
    tickStopped(w);
    EXPECT_EQ(engine.urls.last(), inMusic("b.mp3"));
}

TEST_F(PollerTest, RandomOrderDrawsWithinTheListAndReseedsEachTime) {
    ondrix::Wavelark& w = withMusic({"a.mp3", "b.mp3", "c.mp3", "d.mp3"});
    w.Random_Play->setChecked(true);
    w.Random_Play_Click();
    EXPECT_EQ(w.randomOrderFlag(), -1);
    EXPECT_TRUE(engine.urls.isEmpty());  // ticking the box starts nothing

    random.values = {0.0, 0.99999, 0.5, 0.74};
    const char* expected[] = {"a.mp3", "d.mp3", "c.mp3", "c.mp3"};
    for (const char* name : expected) {
        tickStopped(w);
        EXPECT_EQ(engine.urls.last(), inMusic(QString::fromLatin1(name)));
    }
    EXPECT_EQ(random.reseeds, 4);
}

TEST_F(PollerTest, RandomOrderWithOneEntryPlaysItAgain) {
    ondrix::Wavelark& w = withMusic({"only.mp3"});
    w.Random_Play->setChecked(true);
    w.File1->setListIndex(0);
    engine.urls.clear();
    random.values = {0.7};
    tickStopped(w);
    EXPECT_EQ(engine.urls, QStringList({inMusic("only.mp3"), inMusic("only.mp3")}));
}

TEST_F(PollerTest, EmptyListStartsNothingInEitherOrder) {
    ondrix::Wavelark& w = withMusic({});
    tickStopped(w);
    w.Random_Play->setChecked(true);
    w.Random_Play_Click();
    tickStopped(w);
    EXPECT_TRUE(engine.urls.isEmpty());
    EXPECT_EQ(w.Label1->text(), QStringLiteral("Stopped"));
}

TEST_F(PollerTest, PositionBeyondAShorterFolderWrapsToItsFirstEntry) {
    ondrix::Wavelark& w = withMusic({"1.mp3", "2.mp3", "3.mp3", "4.mp3", "5.mp3"});
    w.File1->setListIndex(4);
    TempFolder shorter;
    shorter.write(QStringLiteral("x.mp3"), "x");
    shorter.write(QStringLiteral("y.mp3"), "x");
    w.Dir1->setPath(shorter.path());
    EXPECT_EQ(w.File1->listCount(), 2);
    EXPECT_EQ(w.shuttlePosition(), 4);  // a folder change keeps the position
    tickStopped(w);
    EXPECT_EQ(engine.urls.last(), ondrix::joinPath(shorter.path(), QStringLiteral("x.mp3")));
}

TEST_F(PollerTest, TheWalkStepsOverFilesThatCannotPlayOnceAroundTheFolder) {
    // Pictures and texts fail at once (Ready); anything else starts.
    engine.fails = [](const QString& url) { return !url.endsWith(QLatin1String(".mp3")); };
    const auto tickUntilStill = [&](ondrix::Wavelark& w) {
        for (int tick = 0; tick < 10; ++tick) w.Timer1_Timer();
    };
    // The addresses the walk opened, in order; a step sets its entry twice
    // (the list's click, then the step itself), which is one open.
    const auto opened = [&] {
        QStringList steps;
        for (qsizetype i = 0; i < engine.urls.size(); ++i)
            if (i == 0 || engine.urls[i] != engine.urls[i - 1])
                steps << QFileInfo(engine.urls[i]).fileName();
        return steps.join(QLatin1Char(' ')).toStdString();
    };
    const struct {
        const char* name;
        QStringList files;
        int picked;  // by the user; -1: the walk starts after a stop
        const char* opens;
    } cases[] = {
        {"over a cover and a log",
         {"a.mp3", "b.jpg", "c.log", "d.mp3"},
         0,
         "a.mp3 b.jpg c.log d.mp3"},
        {"nothing playable: each once", {"x.jpg", "y.jpg", "z.jpg"}, -1, "x.jpg y.jpg z.jpg"},
        {"the user's pick that fails stops", {"a.jpg", "b.mp3"}, 0, "a.jpg"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ondrix::Wavelark& w = withMusic(c.files);
        if (c.picked >= 0) {
            w.File1->setListIndex(c.picked);
            if (engine.urls.last().endsWith(QLatin1String(".mp3"))) tickStopped(w);  // it played
        } else {
            tickStopped(w);
        }
        tickUntilStill(w);
        tickUntilStill(w);
        EXPECT_EQ(opened(), c.opens);
    }
}

TEST_F(PollerTest, FileClickAfterStopSwitchesThePollerOn) {
    ondrix::Wavelark& w = withMusic({"a.mp3", "b.mp3"});
    w.LabelStop_Click();
    ASSERT_FALSE(w.Timer1->isActive());
    w.File1->setListIndex(1);
    EXPECT_TRUE(w.Timer1->isActive());
    EXPECT_EQ(engine.urls.last(), inMusic("b.mp3"));
}

TEST_F(PollerTest, TheDisplaysStopAndPlaySwitchThePollerAsTheWindowsDo) {
    ondrix::Wavelark& w = loaded();
    engine.state = PlayState::Playing;
    QAction* playPause = w.WindowsMediaPlayer1->playPauseAction();
    const std::tuple<QAction*, PlayState, bool, const char*> rows[] = {
        // the display's action, the state it leaves, Timer1 after, the call
        {w.WindowsMediaPlayer1->stopAction(), PlayState::Stopped, false, "stop"},
        {playPause, PlayState::Playing, true, "play"},
    };
    for (const auto& [action, after, polling, call] : rows) {
        SCOPED_TRACE(call);
        action->trigger();
        engine.state = after;
        EXPECT_EQ(w.Timer1->isActive(), polling);
        EXPECT_EQ(engine.calls.last(), QString::fromUtf8(call));
    }
}

TEST_F(PollerTest, EngineChangesRunTheTickAtOnceWhileTimer1IsOn) {
    ondrix::Wavelark& w = withMusic({"a.mp3", "b.mp3"});
    w.Timer1->start();
    ASSERT_GT(w.Timer1->interval(), 100) << "a timer tick would hide a missing reaction";
    engine.state = PlayState::Playing;
    engine.bitrate = QStringLiteral("128000");
    QCoreApplication::processEvents();
    EXPECT_EQ(w.Label1->text(), QStringLiteral("128 kbps"));
    engine.bitrate = QStringLiteral("96000");
    QCoreApplication::processEvents();
    EXPECT_EQ(w.Label1->text(), QStringLiteral("96 kbps"));

    // A station change stops the engine and hands it the next address in
    // one handler: the tick runs after it and starts no shuttle step.
    engine.state = PlayState::Stopped;
    engine.state = PlayState::Transitioning;
    QCoreApplication::processEvents();
    EXPECT_TRUE(engine.urls.isEmpty());

    // Timer1 off (Stop): a change runs nothing.
    w.Timer1->stop();
    engine.state = PlayState::Stopped;
    QCoreApplication::processEvents();
    EXPECT_TRUE(engine.urls.isEmpty());
    EXPECT_EQ(w.Label1->text(), QStringLiteral("96 kbps"));
}

TEST_F(PollerTest, MouseClickOnTheSelectedEntryPlaysItAgain) {
    ondrix::Wavelark& w = withMusic({"a.mp3", "b.mp3"});
    w.show();
    const QRect row = w.File1->visualItemRect(w.File1->item(1));
    QTest::mouseClick(w.File1->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseClick(w.File1->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(engine.urls, QStringList({inMusic("b.mp3"), inMusic("b.mp3")}));
}

TEST_F(PollerTest, RootFolderGetsTheSeparatorAddedAgain) {
    ondrix::Wavelark& w = loaded();
    w.Dir1->setPath(QStringLiteral("/"));
    ASSERT_EQ(w.File1->path(), QStringLiteral("/"));
    if (w.File1->listCount() == 0) GTEST_SKIP() << "the root folder holds no file here";
    w.File1->setListIndex(0);
    EXPECT_EQ(engine.urls.last(), QStringLiteral("//") + w.File1->fileName());
}

TEST_F(PollerTest, UnreadableFolderShowsEmptyLists) {
    ondrix::Wavelark& w = loaded();
    w.Dir1->setPath(folder.file(QStringLiteral("no such folder")));
    EXPECT_EQ(w.File1->listCount(), 0);
    tickStopped(w);
    EXPECT_TRUE(engine.urls.isEmpty());
}

TEST_F(PollerTest, FileListShowsRegularFilesInCaseBlindOrder) {
    ondrix::Wavelark& w = withMusic({"b.mp3", "A.mp3", "C.mp3", "a2.mp3"});
    const QByteArray fifo = QFile::encodeName(inMusic("pipe.mp3"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    QFile::link(inMusic("gone.mp3"), inMusic("broken.mp3"));
    QFile::link(inMusic("b.mp3"), inMusic("link.mp3"));
    w.File1->setPath(music_->path());
    QStringList shown;
    for (int row = 0; row < w.File1->listCount(); ++row) shown << w.File1->item(row)->text();
    EXPECT_EQ(shown, QStringList({"A.mp3", "a2.mp3", "b.mp3", "C.mp3", "link.mp3"}));
}

TEST_F(PollerTest, PickingTheDriveAlreadyShownChangesNothing) {
    ondrix::Wavelark& w = withMusic({"a.mp3"});
    emit w.Drive1->activated(w.Drive1->currentIndex());
    EXPECT_EQ(w.Dir1->path(), QDir::toNativeSeparators(music_->path()));
    EXPECT_EQ(w.File1->listCount(), 1);
}
