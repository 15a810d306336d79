#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <atomic>
#include <cmath>
#include <cstring>
#include <thread>

#include "gui/window_invariants.h"
#include "recorder/layout.h"
#include "recorder/level_bar.h"
#include "recorder/single_instance.h"
#include "recorder/window.h"
#include "support/fakes.h"
#include "support/processes.h"
#include "support/shown_text.h"
#include "support/temp_folder.h"
#include "ui/key_command.h"

namespace {

using namespace ondrix;

// A 1 kHz tone of the given peak (half scale unless told), faster than real
// time; it may fail to open or stop delivering after a number of reads.
class FakeCapture : public CaptureSource {
  public:
    FakeCapture(QString openError, int readsBeforeFailure, double peak = 0.5)
        : openError_(std::move(openError)), readsLeft_(readsBeforeFailure), peak_(peak) {}
    bool open(QString& error) override {
        error = openError_;
        return openError_.isEmpty();
    }
    bool read(char* data, std::size_t bytes, QString& error) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (readsLeft_-- == 0) {
            error = QStringLiteral("Sound server: Connection terminated");
            return false;
        }
        for (std::size_t at = 0; at + 3 < bytes; at += 4, ++frame_) {
            const auto value = static_cast<qint16>(
                32767 * peak_ * std::sin(2 * M_PI * 1000 * frame_ / kRecordRate));
            std::memcpy(data + at, &value, 2);
            std::memcpy(data + at + 2, &value, 2);
        }
        return true;
    }

  private:
    QString openError_;
    int readsLeft_;
    double peak_;
    double frame_ = 0;
};

class FakeOpener : public FolderOpener {
  public:
    void openFolder(const QString& path) override { opened.push_back(path); }
    std::vector<QString> opened;
};

class RecorderWindowTest : public ::testing::Test {
  protected:
    std::unique_ptr<formWRec> open(const QString& openError = {}, int readsBeforeFailure = -1,
                                   double peak = 0.5) {
        auto window = std::make_unique<formWRec>(
            [=] { return std::make_unique<FakeCapture>(openError, readsBeforeFailure, peak); },
            [this] {
                return RecordFolder{folder.path(), isMusicFolder};
            },
            clock, dialogs, opener);
        window->Form_Load();
        window->show();
        return window;
    }
    static QString text(const formWRec& window, const char* name) {
        return window.label(QString::fromLatin1(name))->text();
    }
    // The sound bytes the header counts, when it counts exactly what the file holds.
    static qint64 finishedDataBytes(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) return -1;
        const QByteArray header = file.read(44);
        quint32 data = 0;
        std::memcpy(&data, header.constData() + 40, 4);
        return file.size() == 44 + qint64(data) ? qint64(data) : -1;
    }

    testsupport::TempFolder folder;
    testsupport::FakeClock clock;
    testsupport::FakeDialogs dialogs;
    FakeOpener opener;
    bool isMusicFolder = true;
};

TEST_F(RecorderWindowTest, RecordsAtOnceAndStopThenRecordStartsANewFile) {
    auto window = open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return text(*window, "LabelTime") == "0:00:01"; }, 10000));
    EXPECT_EQ(text(*window, "LabelFile"), QStringLiteral("OndrixRec-20261207-021540.wav"));
    EXPECT_EQ(text(*window, "LabelState"), QStringLiteral("Recording"));
    EXPECT_EQ(text(*window, "LabelStop"), QStringLiteral("Stop"));
    EXPECT_TRUE(text(*window, "LabelSize").endsWith(QStringLiteral(" kB")));
    EXPECT_NEAR(window->levelBar()->levelDb(), -6.0, 0.1);
    // Assistive tools read the level as the number beside the bar shows it.
    EXPECT_EQ(text(*window, "LabelLevel"), QStringLiteral("-6 dB"));
    EXPECT_EQ(window->levelBar()->accessibleName(), QStringLiteral("Level -6 dB"));
    window->LabelStop_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isRecording(); }, 5000));
    EXPECT_EQ(text(*window, "LabelState"), QStringLiteral("Stopped"));
    EXPECT_EQ(text(*window, "LabelStop"), QStringLiteral("Record"));
    EXPECT_LT(window->levelBar()->levelDb(), kLevelFloorDb);
    EXPECT_EQ(window->levelBar()->accessibleName(), QStringLiteral("Level"));
    EXPECT_TRUE(window->isVisible());
    const QString first = window->filePath();
    const qint64 recorded = finishedDataBytes(first);
    EXPECT_GE(recorded, kRecordBytesPerSecond);
    EXPECT_EQ(text(*window, "LabelTime"), elapsedText(recorded));

    // Record again: a new file in the same second gets its own name.
    window->LabelStop_Click();
    EXPECT_EQ(text(*window, "LabelStop"), QStringLiteral("Stop"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return text(*window, "LabelTime") == "0:00:01"; }, 10000));
    EXPECT_EQ(text(*window, "LabelFile"), QStringLiteral("OndrixRec-20261207-021540-1.wav"));
    window->LabelStop_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isRecording(); }, 5000));
    EXPECT_EQ(finishedDataBytes(first), recorded);
    EXPECT_GE(finishedDataBytes(window->filePath()), kRecordBytesPerSecond);
    // Texts are surface to drag the window by; the labels used as buttons are not.
    const QLabel* time = window->label(QStringLiteral("LabelTime"));
    const QLabel* stop = window->label(QStringLiteral("LabelStop"));
    EXPECT_EQ(window->childAt(time->geometry().center()), nullptr);
    EXPECT_EQ(window->childAt(stop->geometry().center()), stop);
}

TEST_F(RecorderWindowTest, AFolderNamedLikeMarkupIsShownAsText) {
    const QString odd = folder.file(QStringLiteral("<img src=\"x.png\"><b>Mu\u202Esic\x1b[31m"));
    ASSERT_TRUE(QDir().mkpath(odd));
    formWRec window([] { return std::make_unique<FakeCapture>(QString(), -1, 0.5); },
                    [odd] {
                        return RecordFolder{odd, false};
                    },
                    clock, dialogs, opener);
    window.Form_Load();
    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !text(window, "LabelFile").isEmpty(); }, 10000));
    EXPECT_EQ(testsupport::widgetsShowingMarkup(window), QStringList());
    EXPECT_EQ(testsupport::widgetsShowingRawControls(window), QStringList());
    window.LabelStop_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.isRecording(); }, 5000));
}

TEST_F(RecorderWindowTest, KeysAndClosingFinishTheFile) {
    auto window = open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->filePath().isEmpty(); }, 5000));
    window->Form_KeyDown(kKeyF1, kShiftMask);
    window->Form_KeyDown(kKeyF12, kAltMask);
    EXPECT_TRUE(dialogs.messages.empty());
    window->Form_KeyDown(kKeyF1, kCtrlMask);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("OndrixRadio"));
    const QString help = dialogs.messages[0].text;  // the list of boxes grows
    testsupport::expectHelpNamesTheKeysThatAct(help, [&](int key) {
        const size_t shown = dialogs.messages.size();
        window->Form_KeyDown(key, 0);
        // Closing waits for the file's last read.
        return dialogs.messages.size() > shown ||
               QTest::qWaitFor([&] { return !window->isVisible(); }, key == kKeyF12 ? 5000 : 0);
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 5000));
    EXPECT_GT(finishedDataBytes(window->filePath()), 0);
}

TEST_F(RecorderWindowTest, SaysWhyTheRecordingEnded) {
    auto noServer = open(noSoundServerText());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !noServer->isRecording(); }, 5000));
    EXPECT_EQ(text(*noServer, "LabelState"), QStringLiteral("No sound server to record from"));
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
    noServer->LabelExit_Click();
    EXPECT_FALSE(noServer->isVisible());

    auto dropped = open({}, 3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dropped->isRecording(); }, 5000));
    EXPECT_EQ(
        text(*dropped, "LabelState"),
        QStringLiteral("Sound server: Connection terminated. The file keeps what was recorded."));
    EXPECT_EQ(finishedDataBytes(dropped->filePath()), 3 * kRecordBytesPerSecond / 10);
    EXPECT_EQ(text(*dropped, "LabelStop"), QStringLiteral("Record"));
}

TEST_F(RecorderWindowTest, ShowsTheFolderAndOpensIt) {
    for (const bool music : {true, false}) {
        isMusicFolder = music;
        auto window = open();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->folderPath().isEmpty(); }, 5000));
        EXPECT_EQ(text(*window, "LabelFolder"),
                  music ? folder.path() : QStringLiteral("home folder (no music folder)"));
        EXPECT_EQ(window->label(QStringLiteral("LabelFolder"))->textFormat(), Qt::PlainText);
        window->LabelOpen_Click();
        ASSERT_EQ(opener.opened.size(), 1u);
        EXPECT_EQ(opener.opened[0], folder.path());
        opener.opened.clear();
    }
}

TEST_F(RecorderWindowTest, IsBuiltFromItsTable) {
    auto window = open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Ondrix WRec"));
    EXPECT_EQ(window->windowIcon().availableSizes().size(), 3);
    testsupport::expectBuiltFromTable(*window, wrecWindowLayout());
}

// One recorder at a time: the second start is refused and knocks.
TEST(RecorderSingleInstance, SecondStartBringsTheFirstForward) {
    testsupport::TempFolder runtime;
    SingleInstance first(runtime.path());
    int raised = 0;
    QObject::connect(&first, &SingleInstance::raiseRequested, [&] { ++raised; });
    ASSERT_TRUE(first.claim());
    EXPECT_FALSE(SingleInstance(runtime.path()).claim());
    EXPECT_TRUE(QTest::qWaitFor([&] { return raised == 1; }, 5000));
    EXPECT_TRUE(SingleInstance(QString()).claim());
}

}  // namespace
