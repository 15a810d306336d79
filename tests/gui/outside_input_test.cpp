#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include "gui/wavelark_fixture.h"
#include "platform/paths.h"
#include "player/media_widget.h"
#include "support/shown_text.h"

using testsupport::crlf;
using testsupport::WavelarkTest;

namespace {

const QString kMarkup = QStringLiteral("<img src=\"/dev/zero\"><b>x</b>");

}  // namespace

TEST_F(WavelarkTest, TextFromOutsideIsNeverTakenAsMarkup) {
    folder.write(QStringLiteral("!rkeys.txt"),
                 crlf({"+", kMarkup + QStringLiteral(" and a long name"), kMarkup, kMarkup}));
    folder.write(QStringLiteral("!moving.txt"), crlf({kMarkup}));
    ondrix::Wavelark& w = loaded();
    w.PlayStation(1);
    engine.stream = kMarkup + QStringLiteral("\r\n\x1b[2Jsecond line\u202E");
    emit engine.titleChanged(engine.stream);
    w.Text1->setText(kMarkup);

    EXPECT_EQ(testsupport::widgetsShowingMarkup(w), QStringList());
    // The name shows whole in its button's tip, the title on one clean line.
    EXPECT_EQ(testsupport::shownToolTip(*w.LabelR[0]),
              kMarkup + QStringLiteral(" and a long name"));
    const auto* stream = w.WindowsMediaPlayer1->findChild<QLabel*>(QStringLiteral("streamTitle"));
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->text(), kMarkup + QStringLiteral(" second line"));
    EXPECT_EQ(testsupport::shownToolTip(*stream), stream->text());
}

TEST_F(WavelarkTest, HostileNamesShowNoRawControlOrDirectionCharacter) {
    const QString hostile = QStringLiteral("evil\u202Egnp\x1b[31m\tred\u2066.wav");
    folder.write(QStringLiteral("!rkeys.txt"),
                 crlf({"+", hostile, hostile, "http://s.example/live"}));
    folder.write(QStringLiteral("!moving.txt"), crlf({hostile}));
    testsupport::TempFolder music;
    music.write(hostile, "RIFF");
    music.write(QStringLiteral("two\nrows.wav"), "RIFF");
    ASSERT_TRUE(QDir(music.path()).mkdir(hostile.chopped(4)));
    ondrix::Wavelark& w = loaded();
    w.PlayStation(1);
    engine.stream = hostile;
    emit engine.titleChanged(hostile);
    w.Dir1->setPath(music.path());
    w.File1->setListIndex(0);
    // A volume's label is part of its mount point.
    const QString volume = ondrix::joinPath(music.path(), hostile.chopped(4));
    w.Drive1->setDrive(volume);
    EXPECT_EQ(testsupport::widgetsShowingRawControls(w), QStringList());
    // What the lists show is not what opens: the real name does.
    EXPECT_EQ(engine.urls.last(), ondrix::joinPath(music.path(), hostile));
    EXPECT_EQ(w.Drive1->drive(), volume);
}

TEST_F(WavelarkTest, ANameThatIsNoUtf8IsListedVisiblyAndOpensByItsBytes) {
    testsupport::TempFolder music;
    const QByteArray bytes = QFile::encodeName(music.path()) + "/caf\xe9.wav";
    const int fd = ::open(bytes.constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
    ondrix::Wavelark& w = loaded();
    w.Dir1->setPath(music.path());
    ASSERT_EQ(w.File1->listCount(), 1);
    EXPECT_EQ(w.File1->item(0)->text(), QStringLiteral("caf\uFFFD.wav"));
    w.File1->setListIndex(0);
    // Admitted by the gate, which looks the bytes up, and handed on whole.
    EXPECT_EQ(engine.playState(), ondrix::PlayState::Transitioning);
    EXPECT_EQ(QByteArray::fromPercentEncoding(engine.urls.last().toLatin1()), "file://" + bytes);
}

TEST_F(WavelarkTest, AMarqueeIsCutToWhatTheStripCanScroll) {
    folder.write(QStringLiteral("!moving.txt"), QByteArray(500000, 'm') + "\r\n");
    ondrix::Wavelark& w = loaded();
    EXPECT_EQ(w.lblScrollR2L->text().size(), ondrix::kMarqueeLimit);
    // Its right end starts beyond the left edge, so it scrolls into sight.
    EXPECT_GT(w.scrollR2LLeft() + static_cast<float>(w.lblScrollR2L->width() * 15), 0.0f);
}

TEST_F(WavelarkTest, AStartPositionOutOfSightPlacesTheWindowOnThePrimaryScreen) {
    const QRect primary = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint fresh = primary.topLeft() + QPoint(100, 100);
    const struct {
        const char *left, *top;
        QPoint at;
    } rows[] = {
        {"3000", "1500", QPoint(200, 100)}, {"40000", "-40000", fresh}, {"99999999", "0", fresh},
        {"-40000", "3000", fresh},          {"0", "-15", fresh},  // its top strip above the screen
        {"-9000", "0", QPoint(-600, 0)},                          // 84 pixels still in sight
    };
    for (const auto& row : rows) {
        folder.write(QStringLiteral("!WLKstart.txt"), crlf({row.left, row.top}));
        ondrix::Wavelark& w = window();
        w.settings().LoadStartPosition();
        EXPECT_EQ(w.pos(), row.at) << row.left << "," << row.top;
        // F11 keeps the place the window shows, not the one it was given.
        EXPECT_EQ(w.windowLeft(), row.at.x() * 15) << row.left;
    }
}
