#include <QTest>
#include <functional>
#include <utility>

#include "gui/wavelark_fixture.h"
#include "gui/window_invariants.h"
#include "platform/paths.h"
#include "platform/program_folder.h"

using namespace testsupport;

TEST_F(WavelarkTest, ClockShowsLocalTimeAndTheSecondZone) {
    ondrix::Wavelark& w = loaded();
    EXPECT_TRUE(w.lbltid2->isHidden());
    clock.time = QDateTime(QDate(2026, 12, 7), QTime(2, 15, 40));
    w.Timer3_Timer();
    EXPECT_EQ(w.lbltime->text(), QStringLiteral("02:15:40"));
    EXPECT_EQ(w.lbltid2->text(), QStringLiteral("20"));
    EXPECT_EQ(w.lbltid3->text(), QStringLiteral(":15:40"));
    EXPECT_FALSE(w.lbltid2->isHidden());
    EXPECT_FALSE(w.lbltid3->isHidden());

    folder.write(QStringLiteral("!tzone.txt"), crlf({QStringLiteral("9")}));
    w.settings().LoadTimeZone();
    clock.time.setTime(QTime(9, 5, 0));
    w.Timer3_Timer();
    EXPECT_EQ(w.lbltid2->text(), QStringLiteral("0"));

    // A day or more of offset still gives an hour of the day.
    folder.write(QStringLiteral("!tzone.txt"), crlf({QStringLiteral("30")}));
    w.settings().LoadTimeZone();
    clock.time.setTime(QTime(2, 0, 0));
    w.Timer3_Timer();
    EXPECT_EQ(w.lbltid2->text(), QStringLiteral("20"));

    // Offset 0 later: the second clock keeps its last caption.
    folder.write(QStringLiteral("!tzone.txt"), crlf({QStringLiteral("0")}));
    w.settings().LoadTimeZone();
    clock.time.setTime(QTime(5, 1, 2));
    w.Timer3_Timer();
    EXPECT_EQ(w.lbltime->text(), QStringLiteral("05:01:02"));
    EXPECT_EQ(w.lbltid2->text(), QStringLiteral("20"));
}

TEST_F(WavelarkTest, NoPositiveOffsetNeverShowsTheSecondClock) {
    for (const char* offset : {"0", "-3"}) {
        folder.write(QStringLiteral("!tzone.txt"), crlf({QString::fromLatin1(offset)}));
        ondrix::Wavelark& w = loaded();
        w.Timer3_Timer();
        EXPECT_EQ(w.lbltime->text(), QStringLiteral("02:15:40"));
        EXPECT_TRUE(w.lbltid2->isHidden());
        EXPECT_TRUE(w.lbltid3->isHidden());
    }
}

TEST_F(WavelarkTest, ScrollingTextsMoveAndWrapAroundTheSurface) {
    ondrix::Wavelark& w = loaded();
    const float widthL2R = static_cast<float>(w.lblScrollL2R->width()) * 15.0f;
    const float widthR2L = static_cast<float>(w.lblScrollR2L->width()) * 15.0f;
    w.Timer2_Timer();
    EXPECT_FLOAT_EQ(w.scrollL2RLeft(), -widthL2R + 30);
    EXPECT_FLOAT_EQ(w.scrollR2LLeft(), 10320 - 30);
    EXPECT_EQ(w.lblScrollR2L->x(), (10320 - 30) / 15);
    // Exactly on the edge stays one more tick; past it wraps.
    w.setScrollLefts(10230, -widthR2L + 30);
    w.Timer2_Timer();
    EXPECT_FLOAT_EQ(w.scrollL2RLeft(), 10260);
    EXPECT_FLOAT_EQ(w.scrollR2LLeft(), -widthR2L);
    w.Timer2_Timer();
    EXPECT_FLOAT_EQ(w.scrollL2RLeft(), -widthL2R);
    EXPECT_FLOAT_EQ(w.scrollR2LLeft(), 10260);
}

TEST_F(WavelarkTest, WindowOutOfSightStandsOnReturnWhereASeenOneDoes) {
    // More than one round of both texts, and not a whole number of ticks.
    constexpr int kTicks = 4865;
    const std::pair<std::function<void(QWidget&)>, std::function<void(QWidget&)>> ways[] = {
        {[](QWidget& w) { w.hide(); }, [](QWidget& w) { w.show(); }},
        {[](QWidget& w) { w.showMinimized(); }, [](QWidget& w) { w.showNormal(); }},
    };
    const auto clocks = [](const ondrix::Wavelark& w) {
        return QStringList{w.lbltime->text(), w.lbltid2->text(), w.lbltid3->text()};
    };
    ondrix::Wavelark& seen = loaded();
    seen.show();
    for (const auto& [leave, back] : ways) {
        ondrix::Wavelark away(ondrix::WavelarkServices{engine, shell, clock, random, dialogs});
        away.Form_Load();
        away.setScrollLefts(seen.scrollL2RLeft(), seen.scrollR2LLeft());
        away.show();
        leave(away);
        EXPECT_FALSE(away.Timer2->isActive());
        EXPECT_FALSE(away.Timer3->isActive());
        clock.time = clock.time.addMSecs(kTicks * 20 + 13);
        for (int i = 0; i < kTicks; ++i) seen.Timer2_Timer();
        seen.Timer3_Timer();
        back(away);
        EXPECT_FLOAT_EQ(away.scrollL2RLeft(), seen.scrollL2RLeft());
        EXPECT_FLOAT_EQ(away.scrollR2LLeft(), seen.scrollR2LLeft());
        EXPECT_EQ(away.lblScrollL2R->pos(), seen.lblScrollL2R->pos());
        EXPECT_EQ(away.lblScrollR2L->pos(), seen.lblScrollR2L->pos());
        EXPECT_EQ(clocks(away), clocks(seen));
        EXPECT_TRUE(away.Timer2->isActive());
        EXPECT_TRUE(away.Timer3->isActive());
    }
}

TEST_F(WavelarkTest, ClockClickReloadsPositionAndStationsOnly) {
    ondrix::Wavelark& w = loaded();
    folder.write(QStringLiteral("!WLKstart.txt"),
                 crlf({QStringLiteral("150"), QStringLiteral("300")}));
    folder.write(QStringLiteral("!rkeys.txt"), crlf({"+", "New", "http://new/", "http://new/s"}));
    folder.write(QStringLiteral("!tzone.txt"), crlf({QStringLiteral("2")}));
    QTest::mouseClick(w.lbltime, Qt::LeftButton);
    EXPECT_EQ(w.pos(), QPoint(10, 20));
    EXPECT_EQ(w.LabelR[0]->text(), QStringLiteral("New"));
    EXPECT_EQ(w.settings().timeZoneOffset(), 6);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(WavelarkTest, HelpBoxThenReloadAfterItCloses) {
    ondrix::Wavelark& w = loaded();
    QPoint whileOpen;
    dialogs.onMessage = [&] {
        // The user edits the files while the box is open.
        whileOpen = w.pos();
        folder.write(QStringLiteral("!WLKstart.txt"),
                     crlf({QStringLiteral("450"), QStringLiteral("600")}));
        folder.write(QStringLiteral("!rkeys.txt"),
                     crlf({"+", "Edited", "http://e/", "http://e/s"}));
    };
    w.Form_KeyDown(112, 0);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    const MessageCall& help = dialogs.messages[0];
    EXPECT_EQ(help.title, QStringLiteral("OndrixRadio"));
    EXPECT_EQ(help.icon, ondrix::MessageIcon::Information);
    EXPECT_EQ(whileOpen, QPoint(200, 100));
    EXPECT_EQ(w.pos(), QPoint(30, 40));
    EXPECT_EQ(w.LabelR[0]->text(), QStringLiteral("Edited"));

    dialogs.onMessage = nullptr;
    w.show();
    const QString text = help.text;  // the list of boxes grows
    testsupport::expectHelpNamesTheKeysThatAct(text, [&](int key) {
        const size_t shown = dialogs.messages.size(), opened = shell.calls.size();
        w.Form_KeyDown(key, 0);
        return dialogs.messages.size() > shown || shell.calls.size() > opened || !w.isVisible();
    });
}

TEST_F(WavelarkTest, FailingReloadIsReportedAndThePlayerGoesOn) {
    ondrix::Wavelark& w = loaded();
    QFile::remove(folder.file(QStringLiteral("!rkeys.txt")));
    w.Form_KeyDown(112, 0);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].text,
              QStringLiteral("Run-time error '53': File not found (!rkeys.txt)"));
    EXPECT_EQ(dialogs.messages[1].icon, ondrix::MessageIcon::Critical);
    EXPECT_EQ(w.LabelR[0]->text(), QStringLiteral("S1"));
    // Still working.
    w.LabelR2_Click();
    EXPECT_EQ(engine.urls.last(), QStringLiteral("http://stream2.example/live"));
}

TEST_F(WavelarkTest, KeysOpenTheSettingsFilesOfTheCurrentDirectoryAndTheVendorSite) {
    ondrix::Wavelark& w = loaded();
    ASSERT_NE(QDir::currentPath(), ondrix::programFolder());
    const std::pair<int, QString> keys[] = {{113, QStringLiteral("infoondrix3.txt")},
                                            {114, QStringLiteral("!rkeys.txt")},
                                            {115, QStringLiteral("!tzone.txt")},
                                            {116, QStringLiteral("!moving.txt")}};
    for (const auto& [key, file] : keys) {
        shell.calls.clear();
        w.Form_KeyDown(key, 2);  // Ctrl alone acts like no modifier
        ASSERT_EQ(shell.calls.size(), 1u) << key;
        EXPECT_EQ(shell.calls[0].file, file);
        EXPECT_EQ(shell.calls[0].directory, QDir::toNativeSeparators(folder.path()));
        EXPECT_EQ(shell.calls[0].parameters, QString());
    }
    shell.calls.clear();
    w.Form_KeyDown(117, 0);
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].file, QStringLiteral("www.ondrix.example"));
    EXPECT_EQ(shell.calls[0].directory, ondrix::programFolder());
}

TEST_F(WavelarkTest, KeysWithShiftOrAltAndOtherKeysDoNothing) {
    ondrix::Wavelark& w = loaded();
    w.show();
    for (int key : {112, 113, 114, 115, 116, 117, 122, 123}) {
        for (int mask : {1, 4, 3, 5, 6, 7}) w.Form_KeyDown(key, mask);
    }
    for (int key : {118, 119, 120, 121, 65, 48}) w.Form_KeyDown(key, 0);
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(w.isVisible());
}

TEST_F(WavelarkTest, SavePositionWritesTheFileThenTellsTheUser) {
    ondrix::Wavelark& w = loaded();
    w.move(120, 45);
    w.Form_KeyDown(122, 0);
    EXPECT_EQ(folder.read(QStringLiteral("!WLKstart.txt")), QByteArray("1800\r\n675\r\n"));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Position saved"));
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("ondrix"));
    // A place set between two pixels is saved as set while the window stays there.
    w.setWindowLeft(1507);
    w.setWindowTop(698);
    w.Form_KeyDown(122, 0);
    EXPECT_EQ(folder.read(QStringLiteral("!WLKstart.txt")), QByteArray("1507\r\n698\r\n"));
}

TEST_F(WavelarkTest, FunctionKeysActWhicheverControlHasTheFocusAndStillReachIt) {
    ondrix::Wavelark& w = loaded();
    w.show();
    QApplication::setActiveWindow(&w);
    struct KeyCounter : QObject {
        int presses = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::KeyPress) ++presses;
            return false;
        }
    };
    for (QWidget* target : std::initializer_list<QWidget*>{w.Text1, w.File1, w.Random_Play,
                                                           w.Drive1, w.WindowsMediaPlayer1}) {
        shell.calls.clear();
        KeyCounter counter;
        target->installEventFilter(&counter);
        target->setFocusPolicy(target->focusPolicy() == Qt::NoFocus ? Qt::StrongFocus
                                                                    : target->focusPolicy());
        target->setFocus();
        QTest::keyClick(target, Qt::Key_F3);
        target->removeEventFilter(&counter);
        EXPECT_EQ(shell.calls.size(), 1u) << target->objectName().toStdString();
        EXPECT_GE(counter.presses, 1) << target->objectName().toStdString();
    }
}

TEST_F(WavelarkTest, ExitAndF12CloseTheWindow) {
    ondrix::Wavelark& w = loaded();
    w.show();
    QTest::mouseClick(w.LabelExit, Qt::LeftButton);
    EXPECT_FALSE(w.isVisible());
    w.show();
    w.Form_KeyDown(123, 1);
    EXPECT_TRUE(w.isVisible());
    w.Form_KeyDown(123, 2);
    EXPECT_FALSE(w.isVisible());
}

TEST_F(WavelarkTest, RecorderStartsFromTheProgramFolderAndPlaybackGoesOn) {
    ondrix::Wavelark& w = loaded();
    QTest::mouseClick(w.LabelRec, Qt::LeftButton);
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].file, QStringLiteral("OndrixWRec.exe"));
    EXPECT_TRUE(shell.calls[0].run);
    EXPECT_EQ(shell.calls[0].parameters, QString());
    EXPECT_EQ(shell.calls[0].directory, ondrix::programFolder());
    EXPECT_TRUE(engine.calls.isEmpty());
    EXPECT_TRUE(dialogs.messages.empty());
    // A missing recorder is named, not passed over in silence.
    shell.missing = QStringList{QStringLiteral("OndrixWRec.exe")};
    QTest::mouseClick(w.LabelRec, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("OndrixWRec was not found")));
}

TEST_F(WavelarkTest, DragOnTheSurfaceMovesTheWindowButNotFromAControl) {
    ondrix::Wavelark& w = loaded();
    w.show();
    w.move(100, 100);
    // Surface at (10, 450 twips) is free of controls: under the title row,
    // left column, between the buttons.
    const QPoint surface(40, 62);
    ASSERT_EQ(w.childAt(surface), nullptr);
    QTest::mouseMove(&w, surface);
    QMouseEvent press(QEvent::MouseButtonPress, surface, w.mapToGlobal(surface), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &press);
    w.Form_MouseMove(0, 0, 600, 930);
    EXPECT_EQ(w.dragAnchor().x, 600);
    w.Form_MouseMove(1, 0, 600 + 150, 930 + 300);
    EXPECT_EQ(w.pos(), QPoint(110, 120));
    w.Form_MouseMove(2, 0, 9000, 9000);  // right button: nothing
    EXPECT_EQ(w.pos(), QPoint(110, 120));
}

TEST_F(WavelarkTest, FailingSaveIsReportedWithoutPositionSavedAndThePlayerGoesOn) {
    ondrix::Wavelark& w = loaded();
    // A folder where the file should be: nothing can be written over it.
    QFile::remove(folder.file(QStringLiteral("!WLKstart.txt")));
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("!WLKstart.txt")));
    w.Form_KeyDown(122, 0);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith(QStringLiteral("Run-time error '75'")))
        << dialogs.messages[0].text.toStdString();
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("!WLKstart.txt")));
    w.LabelR2_Click();
    EXPECT_EQ(engine.urls.last(), QStringLiteral("http://stream2.example/live"));
}

TEST_F(WavelarkTest, MalformedFileAtReloadKeepsWhatWasLoadedBeforeIt) {
    ondrix::Wavelark& w = loaded();
    folder.write(QStringLiteral("!WLKstart.txt"),
                 crlf({QStringLiteral("600"), QStringLiteral("900")}));
    folder.write(QStringLiteral("!tzone.txt"), crlf({QStringLiteral("three")}));
    folder.write(QStringLiteral("!rkeys.txt"), crlf({"+", "Later", "http://l/", "http://l/s"}));
    w.Form_KeyDown(112, 0);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].text,
              QStringLiteral("Run-time error '13': Type mismatch (!tzone.txt)"));
    EXPECT_EQ(w.pos(), QPoint(40, 60));                    // read before the failure
    EXPECT_EQ(w.settings().timeZoneOffset(), 6);           // kept
    EXPECT_EQ(w.LabelR[0]->text(), QStringLiteral("S1"));  // not reached
}

TEST_F(WavelarkTest, FolderDeletedWhileShownPlaysNothingAndBreaksNothing) {
    ondrix::Wavelark& w = loaded();
    auto music = std::make_unique<TempFolder>();
    music->write(QStringLiteral("a.mp3"), "x");
    music->write(QStringLiteral("b.mp3"), "x");
    w.Dir1->setPath(music->path());
    const QString gone = music->path();
    music.reset();
    ASSERT_FALSE(QDir(gone).exists());
    w.File1->setListIndex(1);
    EXPECT_EQ(engine.urls.last(), ondrix::joinPath(gone, QStringLiteral("b.mp3")));
    engine.state = ondrix::PlayState::Stopped;
    w.Timer1_Timer();
    EXPECT_EQ(engine.urls.last(), ondrix::joinPath(gone, QStringLiteral("a.mp3")));
    w.Dir1->setPath(folder.path());
    EXPECT_GT(w.File1->listCount(), 0);
}

TEST_F(WavelarkTest, F1ShowsWhatItReRead) {
    ondrix::Wavelark& w = loaded();
    w.Timer3_Timer();
    ASSERT_FALSE(w.lbltid2->isHidden());
    const int oldWidth = w.lblScrollR2L->width();
    folder.write(QStringLiteral("!moving.txt"),
                 crlf({QStringLiteral("A much longer moving text than before")}));
    folder.write(QStringLiteral("!tzone.txt"), crlf({QStringLiteral("0")}));
    folder.write(QStringLiteral("!rkeys.txt"), stationRecords(1));
    w.Form_KeyDown(112, 0);
    EXPECT_EQ(w.lblScrollR2L->text(), QStringLiteral("A much longer moving text than before"));
    EXPECT_GT(w.lblScrollR2L->width(), oldWidth);
    w.Timer3_Timer();
    EXPECT_TRUE(w.lbltid2->isHidden());
    EXPECT_TRUE(w.lbltid3->isHidden());
    EXPECT_EQ(w.LabelR[0]->text(), QStringLiteral("S1"));
    EXPECT_EQ(w.LabelR[2]->text(), QStringLiteral("R3"));
    w.LabelR3_Click();
    EXPECT_EQ(engine.urls.last(), QString());
    EXPECT_EQ(w.label2->text(), QString());
}
