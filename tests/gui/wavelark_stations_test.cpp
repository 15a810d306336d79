#include <QSignalSpy>
#include <QTest>

#include "gui/wavelark_fixture.h"
#include "platform/paths.h"
#include "platform/program_folder.h"
#include "platform/runtime_error.h"
#include "player/mpris.h"
#include "support/shown_text.h"
#include "support/suite_paths.h"

using namespace testsupport;
using ondrix::RuntimeError;

TEST_F(WavelarkTest, FormLoadPlacesWindowLabelsStationsAndStartsStationOne) {
    ondrix::Wavelark& w = window();
    w.Form_Load();

    EXPECT_EQ(w.pos(), QPoint(200, 100));  // 3000, 1500 twips
    EXPECT_EQ(w.LabelR[0]->text(), QStringLiteral("S1"));
    EXPECT_EQ(w.LabelR[2]->text(), QStringLiteral("S3"));
    EXPECT_EQ(w.LabelR[3]->text(),
              QStringLiteral("R4"));  // no record: the caption it was created with stays
    EXPECT_EQ(w.settings().timeZoneOffset(), 6);

    EXPECT_EQ(engine.calls, QStringList({QStringLiteral("stop"),
                                         QStringLiteral("URL=http://stream1.example/live"),
                                         QStringLiteral("play")}));
    EXPECT_EQ(w.label2->text(), QStringLiteral("http://page1.example/"));
    EXPECT_EQ(w.currentWebPage(), QStringLiteral("http://page1.example/"));

    EXPECT_EQ(w.lblScrollL2R->text(), QStringLiteral("VOSKE CARE - since 1985 "));
    EXPECT_EQ(w.lblScrollR2L->text(), QStringLiteral("Moving on"));
    EXPECT_FLOAT_EQ(w.scrollL2RLeft(), -float(w.lblScrollL2R->width() * 15));
    EXPECT_FLOAT_EQ(w.scrollR2LLeft(), 10260 + 60);
    EXPECT_EQ(w.marqueeStep(), 30);
}

TEST_F(WavelarkTest, FormLoadStopsAtTheFirstFailingFile) {
    QFile::remove(folder.file(QStringLiteral("!WLKstart.txt")));
    folder.write(QStringLiteral("!tzone.txt"), crlf({QStringLiteral("not a number")}));
    try {
        window().Form_Load();
        FAIL() << "a missing start-position file must fail";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), 53);
        EXPECT_EQ(error.file(), QStringLiteral("!WLKstart.txt"));
    }
    EXPECT_TRUE(engine.calls.isEmpty());
    EXPECT_EQ(window().LabelR[0]->text(), QStringLiteral("R1"));
    EXPECT_EQ(window().settings().timeZoneOffset(), 0);
}

TEST_F(WavelarkTest, StationWithoutRecordSendsEmptyAddressAndEmptyPage) {
    ondrix::Wavelark& w = loaded();
    w.LabelR3_Click();
    EXPECT_EQ(engine.urls.last(), QStringLiteral("http://stream3.example/live"));
    w.LabelR4_Click();
    EXPECT_EQ(engine.calls, QStringList({QStringLiteral("stop"),
                                         QStringLiteral("URL=http://stream3.example/live"),
                                         QStringLiteral("play"), QStringLiteral("stop"),
                                         QStringLiteral("URL="), QStringLiteral("play")}));
    EXPECT_EQ(w.label2->text(), QString());
    EXPECT_EQ(w.currentWebPage(), QString());
    EXPECT_EQ(w.LabelR[3]->text(), QStringLiteral("R4"));
}

TEST_F(WavelarkTest, StationButtonClickWithTheMouse) {
    ondrix::Wavelark& w = loaded();
    QTest::mouseClick(w.LabelR[1], Qt::LeftButton);
    EXPECT_EQ(engine.urls, QStringList({QStringLiteral("http://stream2.example/live")}));
    QTest::mouseClick(w.LabelR[0], Qt::RightButton);
    EXPECT_EQ(engine.urls.size(), 1);
}

TEST_F(WavelarkTest, EveryKeystrokeInTheTestBoxSetsTheAddressTypedSoFar) {
    ondrix::Wavelark& w = loaded();
    w.Text1->clear();
    QTest::keyClicks(w.Text1, QStringLiteral("ab:"));
    EXPECT_EQ(engine.urls, QStringList({QString(), QStringLiteral("a"), QStringLiteral("ab"),
                                        QStringLiteral("ab:")}));
    w.Text1->setText(QStringLiteral(" http://x/mp3\t "));  // blanks around it go
    EXPECT_EQ(engine.urls.last(), QStringLiteral("http://x/mp3"));
    // No stop and no play: the engine starts the address by itself.
    EXPECT_FALSE(engine.calls.contains(QStringLiteral("play")));
    EXPECT_FALSE(engine.calls.contains(QStringLiteral("stop")));
    EXPECT_EQ(w.currentWebPage(), QStringLiteral("http://page1.example/"));
}

TEST_F(WavelarkTest, WebPageLabelOpensTheLastStartedStationsPageFromTheProgramFolder) {
    ondrix::Wavelark& w = loaded();
    w.LabelR2_Click();
    w.Text1->setText(QStringLiteral("http://typed.example/"));
    QTest::mouseClick(w.label2, Qt::LeftButton);
    ASSERT_EQ(shell.calls.size(), 1u);
    const ShellCall& call = shell.calls[0];
    EXPECT_FALSE(call.run);
    EXPECT_EQ(call.file, QStringLiteral("http://page2.example/"));
    EXPECT_EQ(call.parameters, QString());
    EXPECT_EQ(call.directory, ondrix::programFolder());
}

TEST_F(WavelarkTest, WebPageLabelOpensOnlyWebAddresses) {
    const struct {
        const char* page;
        const char* opens;  // nullptr: nothing is handed to the shell
    } rows[] = {
        {"www.radio.example", "http://www.radio.example"},
        {"id", nullptr},
        {"/usr/bin/id", nullptr},
        {"file:///etc/passwd", nullptr},
    };
    for (const auto& row : rows) {
        folder.write(QStringLiteral("!rkeys.txt"),
                     crlf({"+", "S", QString::fromUtf8(row.page), "http://a/"}));
        shell.calls.clear();
        ondrix::Wavelark& w = window();
        w.Form_Load();
        QTest::mouseClick(w.label2, Qt::LeftButton);
        if (row.opens) {
            ASSERT_EQ(shell.calls.size(), 1u) << row.page;
            EXPECT_EQ(shell.calls[0].file, QString::fromUtf8(row.opens));
        } else {
            EXPECT_TRUE(shell.calls.empty()) << row.page;
        }
    }
}

TEST_F(WavelarkTest, PlayAndStopSwitchThePoller) {
    ondrix::Wavelark& w = loaded();
    w.Timer1->start();
    w.LabelStop_Click();
    EXPECT_EQ(engine.calls.last(), QStringLiteral("stop"));
    EXPECT_FALSE(w.Timer1->isActive());
    // A station plays while the status display stays frozen.
    w.LabelR1_Click();
    EXPECT_FALSE(w.Timer1->isActive());
    w.LabelPlay_Click();
    EXPECT_EQ(engine.calls.last(), QStringLiteral("play"));
    EXPECT_TRUE(w.Timer1->isActive());
}

TEST_F(WavelarkTest, MediaComponentsOwnStopIsThePlayersStop) {
    ondrix::Wavelark& w = loaded();
    w.Timer1->start();
    w.WindowsMediaPlayer1->stopAction()->trigger();
    EXPECT_EQ(engine.calls, QStringList{QStringLiteral("stop")});
    EXPECT_FALSE(w.Timer1->isActive()) << "the shuttle would start the next file";
}

TEST_F(WavelarkTest, StationNamesAreTextAndLongOnesAreCutWithTheWholeNameInEveryTip) {
    const QString markup = QStringLiteral("<b>Jazz</b>");
    const QString longName = QStringLiteral("Radio With A Very Long Name Indeed");
    folder.write(QStringLiteral("!rkeys.txt"),
                 crlf({"+", markup, "<i>page</i>", "http://a/", "+", longName, "", "http://b/"}));
    ondrix::Wavelark& w = loaded();
    EXPECT_EQ(w.LabelR[0]->text(), markup);
    EXPECT_EQ(w.label2->text(), QStringLiteral("<i>page</i>"));
    EXPECT_EQ(w.LabelR[0]->textFormat(), Qt::PlainText);
    EXPECT_EQ(w.label2->textFormat(), Qt::PlainText);
    EXPECT_EQ(w.LabelR[1]->text(), longName);
    EXPECT_TRUE(w.LabelR[1]->captionCut());
    EXPECT_EQ(testsupport::shownToolTip(*w.LabelR[1]), longName);
    EXPECT_EQ(testsupport::shownToolTip(*w.LabelR[0]), markup);  // whole, though not cut
    EXPECT_TRUE(w.LabelR[2]->toolTip().isEmpty());
}

TEST_F(WavelarkTest, DefaultStationNamesFitTheirButtons) {
    QFile defaults(testsupport::sourcePath(QStringLiteral("resources/settings/!rkeys.txt")));
    ASSERT_TRUE(defaults.open(QIODevice::ReadOnly));
    folder.write(QStringLiteral("!rkeys.txt"), defaults.readAll());
    ondrix::Wavelark& w = loaded();
    for (ondrix::ClickableLabel* button : w.LabelR) {
        EXPECT_FALSE(button->captionCut()) << button->text().toStdString();
        EXPECT_EQ(testsupport::shownToolTip(*button), button->text());
    }
}

TEST_F(WavelarkTest, MediaControlsNextAndPreviousStepTheWalkDuringShuttlePlay) {
    TempFolder music;
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"})
        music.write(QString::fromLatin1(name), "x");
    const auto file = [&](const char* name) {
        return ondrix::joinPath(music.path(), QLatin1String(name));
    };
    ondrix::Wavelark& w = loaded();
    ondrix::MprisService media(w, engine, nullptr);
    w.Dir1->setPath(music.path());
    w.File1->setListIndex(0);
    media.next();
    EXPECT_EQ(engine.URL(), file("b.mp3"));
    media.previous();
    media.previous();
    EXPECT_EQ(engine.URL(), file("c.mp3"));  // back past the first
    engine.state = ondrix::PlayState::Playing;
    const QVariantMap shown = media.metadata();
    EXPECT_EQ(shown.value(QStringLiteral("xesam:artist")).toStringList(),
              QStringList{QDir(music.path()).dirName()});
    EXPECT_TRUE(
        shown.value(QStringLiteral("xesam:url")).toString().startsWith(QStringLiteral("file:///")));

    w.PlayStation(1);  // a station ends the walk: Next goes to the next button
    media.next();
    EXPECT_EQ(engine.URL(), QStringLiteral("http://stream2.example/live"));
}
