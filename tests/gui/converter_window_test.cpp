#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <memory>

#include "converters/flac.h"
#include "converters/mp3.h"
#include "gui/window_invariants.h"
#include "platform/program_folder.h"
#include "support/fakes.h"
#include "support/processes.h"
#include "support/shown_text.h"
#include "support/temp_folder.h"
#include "ui/clickable_label.h"
#include "ui/key_command.h"

namespace {

using namespace ondrix;
using testsupport::CurrentDirectory;
using testsupport::FakeDialogs;
using testsupport::FakeShell;
using testsupport::TempFolder;

// The start of a WAV file, as far as the converters look.
const QByteArray kWaveHeader("RIFF\x24\0\0\0WAVEfmt ", 16);

// A converter window over fakes, started in a scratch folder of WAV files.
class ConverterWindowTest : public ::testing::Test {
  protected:
    ConverterWindowTest() {
        for (const char* name : {"song.wav", "b.Wav", "SONG2.WAV", "my song.wav", "notes.txt",
                                 "song.wav.bak", ".hidden.wav"})
            folder.write(QString::fromLatin1(name), kWaveHeader);
    }

    formMp3& mp3() {
        if (!mp3_) {
            mp3_ = std::make_unique<formMp3>(shell, dialogs);
            mp3_->Form_Load();
        }
        return *mp3_;
    }
    formFlac& flac() {
        if (!flac_) {
            flac_ = std::make_unique<formFlac>(shell, dialogs);
            flac_->Form_Load();
        }
        return *flac_;
    }
    // Picks the entry of the file named, whatever the list shows of it.
    static void select(ConverterFrame& window, const QString& name) {
        PickList* list = window.fileList();
        for (int row = 0; row < list->count(); ++row)
            if (list->item(row)->data(Qt::UserRole).toString() == name)
                return list->setListIndex(row);
        ADD_FAILURE() << name.toStdString() << " is not listed";
    }
    static QString text(ConverterFrame& window, const char* box) {
        return window.textBox(QString::fromLatin1(box))->text();
    }
    static void typeInto(QLineEdit* box, const char* text) {
        box->clear();
        QTest::keyClicks(box, QString::fromLatin1(text));
    }
    static void click(QWidget* widget) {
        ASSERT_NE(widget, nullptr);
        QTest::mouseClick(widget, Qt::LeftButton);
    }

    TempFolder folder;
    CurrentDirectory here{folder.path()};
    FakeShell shell;
    FakeDialogs dialogs;

  private:
    std::unique_ptr<formMp3> mp3_;
    std::unique_ptr<formFlac> flac_;
};

// Sends a pointer move with the given buttons to a widget of the window.
void moveOver(QWidget* widget, QPoint pixels, Qt::MouseButtons buttons) {
    QMouseEvent event(QEvent::MouseMove, QPointF(pixels), widget->mapToGlobal(QPointF(pixels)),
                      Qt::NoButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

TEST_F(ConverterWindowTest, KeyCommandsRunWithNoModifierOrCtrlAlone) {
    for (int mask = 0; mask < 8; ++mask) {
        SCOPED_TRACE(mask);
        formMp3 window(shell, dialogs);
        window.Form_Load();
        window.show();
        const size_t shownBefore = dialogs.messages.size();
        const size_t openedBefore = shell.calls.size();
        window.Form_KeyDown(kKeyF1, mask);
        window.Form_KeyDown(kKeyF6, mask);
        window.Form_KeyDown(kKeyF12, mask);
        const bool acts = mask == 0 || mask == kCtrlMask;
        EXPECT_EQ(dialogs.messages.size() - shownBefore, acts ? 1u : 0u);
        EXPECT_EQ(shell.calls.size() - openedBefore, acts ? 1u : 0u);
        EXPECT_EQ(window.isVisible(), !acts);
    }
}

TEST_F(ConverterWindowTest, OtherKeysDoNothing) {
    formFlac& window = flac();
    window.show();
    for (int key : {kKeyF2, kKeyF3, kKeyF4, kKeyF5, 118, 119, 120, 121, kKeyF11, 65, 90, 48, 57, 0})
        window.Form_KeyDown(key, 0);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_TRUE(window.isVisible());
}

TEST_F(ConverterWindowTest, F6OpensTheVendorSiteFromTheProgramFolder) {
    mp3().Form_KeyDown(kKeyF6, kCtrlMask);
    ASSERT_EQ(shell.calls.size(), 1u);
    const auto& call = shell.calls[0];
    EXPECT_FALSE(call.run);
    EXPECT_EQ(call.file, QStringLiteral("www.ondrix.example"));
    EXPECT_EQ(call.parameters, QString());
    EXPECT_EQ(call.directory, programFolder());
    EXPECT_NE(call.window, WindowHandle{0});
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ConverterWindowTest, HelpBoxText) {
    flac().Form_KeyDown(kKeyF1, 0);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("OndrixRadio"));
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Information);
    const QString help = dialogs.messages[0].text;
    testsupport::expectHelpNamesTheKeysThatAct(help, [&](int key) {
        formMp3 window(shell, dialogs);
        window.Form_Load();
        window.show();
        const size_t shown = dialogs.messages.size(), opened = shell.calls.size();
        window.Form_KeyDown(key, 0);
        return dialogs.messages.size() > shown || shell.calls.size() > opened ||
               !window.isVisible();
    });
    // Its last line is the address F6 opens.
    flac().Form_KeyDown(kKeyF6, 0);
    EXPECT_EQ(help.split(QStringLiteral("\r\n")).constLast(), shell.calls.back().file);
}

TEST_F(ConverterWindowTest, KeysReachTheWindowBeforeTheFocusedControl) {
    formMp3& window = mp3();
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QLineEdit* text2 = window.textBox(QStringLiteral("Text2"));
    text2->setFocus();
    QTest::keyClick(text2, Qt::Key_X);
    EXPECT_EQ(text2->text(), QStringLiteral(".mp3x"));
    QTest::keyClick(text2, Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_TRUE(dialogs.messages.empty());
    QTest::keyClick(text2, Qt::Key_F1, Qt::ControlModifier);
    EXPECT_EQ(dialogs.messages.size(), 1u);
    window.fileList()->setFocus();
    QTest::keyClick(window.fileList(), Qt::Key_F1);
    EXPECT_EQ(dialogs.messages.size(), 2u);
}

TEST_F(ConverterWindowTest, F12AndExitPictureCloseTheWindowWithoutStoppingLaterEventLoops) {
    formMp3 first(shell, dialogs);
    first.Form_Load();
    first.show();
    first.Form_KeyDown(kKeyF12, kCtrlMask);
    EXPECT_FALSE(first.isVisible());
    formFlac second(shell, dialogs);
    second.Form_Load();
    second.show();
    click(second.commandLabel(QStringLiteral("Image1")));
    EXPECT_FALSE(second.isVisible());
    // Outside a running program the end request must not poison the next loop.
    QEventLoop loop;
    QTimer::singleShot(0, &loop, [&loop] { loop.exit(7); });
    EXPECT_EQ(loop.exec(), 7);
}

TEST_F(ConverterWindowTest, DragFollowsThePointerFromTheAnchor) {
    formMp3& window = mp3();
    window.setWindowLeft(2000);
    window.setWindowTop(1000);
    window.Form_MouseMove(0, 0, 500, 300);
    window.Form_MouseMove(kLeftButton, 0, 650, 375);
    EXPECT_DOUBLE_EQ(window.windowLeft(), 2150);
    EXPECT_DOUBLE_EQ(window.windowTop(), 1075);
    EXPECT_EQ(window.pos(), QPoint(143, 72));  // 2150 / 15 and 1075 / 15, rounded
    // Half-way anchors go to the even neighbour.
    window.Form_MouseMove(0, 0, 500.5f, 301.5f);
    EXPECT_EQ(window.dragAnchor().x, 500);
    EXPECT_EQ(window.dragAnchor().y, 302);
    window.Form_MouseMove(kLeftButton, 0, 600, 402);
    EXPECT_DOUBLE_EQ(window.windowLeft(), 2250);
    EXPECT_DOUBLE_EQ(window.windowTop(), 1175);
}

TEST_F(ConverterWindowTest, OtherButtonsNeitherMoveNorReanchor) {
    formFlac& window = flac();
    window.setWindowLeft(1500);
    window.setWindowTop(1500);
    window.Form_MouseMove(0, 0, 90, 60);
    for (int buttons :
         {kRightButton, kLeftButton | kRightButton, kMiddleButton, kLeftButton | kMiddleButton}) {
        window.Form_MouseMove(buttons, 0, 900, 900);
        EXPECT_EQ(window.dragAnchor().x, 90);
        EXPECT_EQ(window.dragAnchor().y, 60);
        EXPECT_DOUBLE_EQ(window.windowLeft(), 1500);
        EXPECT_DOUBLE_EQ(window.windowTop(), 1500);
    }
    // A drag without a button-free move first uses the anchor (0, 0).
    formMp3 fresh(shell, dialogs);
    fresh.Form_Load();
    fresh.setWindowLeft(300);
    fresh.setWindowTop(450);
    fresh.Form_MouseMove(kLeftButton, 0, 150, 75);
    EXPECT_DOUBLE_EQ(fresh.windowLeft(), 450);
    EXPECT_DOUBLE_EQ(fresh.windowTop(), 525);
}

TEST_F(ConverterWindowTest, PointerMovesDragOnlyFromTheSurface) {
    formMp3& window = mp3();
    window.setWindowLeft(1500);
    window.setWindowTop(3000);
    moveOver(&window, QPoint(100, 10), Qt::NoButton);
    EXPECT_EQ(window.dragAnchor().x, 1500);
    EXPECT_EQ(window.dragAnchor().y, 150);
    moveOver(&window, QPoint(110, 14), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(window.windowLeft(), 1650);
    EXPECT_DOUBLE_EQ(window.windowTop(), 3060);
    // Over a label or the list the move is the control's, not the window's.
    moveOver(window.commandLabel(QStringLiteral("LblCBR")), QPoint(5, 5), Qt::LeftButton);
    moveOver(window.findChild<QLabel*>(QStringLiteral("Label2")), QPoint(5, 5), Qt::LeftButton);
    moveOver(window.fileList()->viewport(), QPoint(5, 5), Qt::LeftButton);
    moveOver(window.commandLabel(QStringLiteral("LblCBR")), QPoint(5, 5), Qt::NoButton);
    EXPECT_DOUBLE_EQ(window.windowLeft(), 1650);
    EXPECT_DOUBLE_EQ(window.windowTop(), 3060);
    EXPECT_EQ(window.dragAnchor().x, 1500);
}

TEST_F(ConverterWindowTest, FileNamesLikeMarkupAreShownAsText) {
    const QString odd = QStringLiteral("<img src=\"x.png\"><b>a.wav");
    folder.write(odd, kWaveHeader);
    for (ConverterFrame* window : std::initializer_list<ConverterFrame*>{&mp3(), &flac()}) {
        select(*window, odd);
        EXPECT_EQ(testsupport::widgetsShowingMarkup(*window), QStringList());
    }
}

TEST_F(ConverterWindowTest, ListShowsTheWavFilesOfTheStartFolderOnce) {
    formFlac& window = flac();
    QStringList shown;
    for (int row = 0; row < window.fileList()->count(); ++row)
        shown << window.fileList()->item(row)->text();
    EXPECT_EQ(shown, (QStringList{"b.Wav", "my song.wav", "song.wav", "SONG2.WAV"}));
    EXPECT_TRUE(window.fileList()->isVisibleTo(&window));
    folder.write(QStringLiteral("later.wav"), "RIFF");
    QCoreApplication::processEvents();
    EXPECT_EQ(window.fileList()->count(), 4);
    EXPECT_EQ(text(window, "Text1"), QString());
}

TEST_F(ConverterWindowTest, ListPickGivesTheBareNameAndDialogPickTheFullPath) {
    formMp3& window = mp3();
    select(window, QStringLiteral("SONG2.WAV"));
    EXPECT_EQ(text(window, "Text1"), QStringLiteral("SONG2.WAV"));

    const QString chosen = folder.file(QStringLiteral("song.wav"));
    dialogs.nextChoice = chosen;
    click(window.commandLabel(QStringLiteral("LblFiles")));
    EXPECT_EQ(text(window, "Text1"), chosen);
    ASSERT_EQ(dialogs.requests.size(), 1u);
    // The dialog starts where the list's files are.
    EXPECT_EQ(dialogs.requests[0].initialDir, folder.path());
    EXPECT_EQ(dialogs.requests[0].nameFilters,
              qtNameFilters(dialogFilterText(mp3Program().dialogMiddleFilter)));
    EXPECT_EQ(dialogs.requests[0].fileName, QString());

    // Cancel keeps Text1; the next opening starts from the last choice.
    window.textBox(QStringLiteral("Text1"))->setText(QStringLiteral("typed.wav"));
    dialogs.nextChoice.reset();
    window.LblFiles_Click();
    EXPECT_EQ(text(window, "Text1"), QStringLiteral("typed.wav"));
    window.LblFiles_Click();
    ASSERT_EQ(dialogs.requests.size(), 3u);
    EXPECT_EQ(dialogs.requests[1].fileName, chosen);
    EXPECT_EQ(dialogs.requests[2].fileName, chosen);
    EXPECT_EQ(flac().program().dialogMiddleFilter, QStringLiteral("Flac Files (*.flac)|*flac|"));
}

class ThrowingDialogs : public FakeDialogs {
  public:
    std::optional<QString> openFile(QWidget*, const OpenFileRequest&) override {
        throw std::runtime_error("dialog failed");
    }
};

TEST_F(ConverterWindowTest, DialogFailureEndsTheHandlerQuietly) {
    ThrowingDialogs failing;
    formFlac window(shell, failing);
    window.Form_Load();
    window.textBox(QStringLiteral("Text1"))->setText(QStringLiteral("kept.wav"));
    EXPECT_NO_THROW(window.LblFiles_Click());
    EXPECT_EQ(text(window, "Text1"), QStringLiteral("kept.wav"));
    EXPECT_TRUE(failing.messages.empty());
}

TEST_F(ConverterWindowTest, PickedNamesReachTheEncoderWholeTypedTextAsTyped) {
    for (const char* name : {"-dash.wav", "quo\"te.wav", "tab\tname.wav"})
        folder.write(QString::fromLatin1(name), kWaveHeader);
    // The output, as the encoder will name it, goes along for the notice of its end.
    struct Pick {
        const char *name, *text1, *parameters, *output;
    };
    const Pick picks[] = {
        {"my song.wav", "\"my song.wav\"", "-8 \"my song.wav\" -o \"my song.flac\"",
         "my song.flac"},
        {"-dash.wav", "./-dash.wav", "-8 ./-dash.wav -o ./-dash.flac", "./-dash.flac"},
        {"quo\"te.wav", R"("quo\"te.wav")", R"(-8 "quo\"te.wav" -o "quo\"te.flac")",
         "quo\"te.flac"},
        // Text1 shows the tab visibly; the encoder gets the real name.
        {"tab\tname.wav", "\"tab\u2409name.wav\"", "-8 \"tab\tname.wav\" -o \"tab\tname.flac\"",
         "tab\tname.flac"},
    };
    formFlac& window = flac();
    for (const Pick& pick : picks) {
        SCOPED_TRACE(pick.name);
        select(window, QString::fromLatin1(pick.name));
        EXPECT_EQ(text(window, "Text1"), QString::fromUtf8(pick.text1));
        shell.calls.clear();
        click(window.commandLabel(QStringLiteral("lblComp8")));
        ASSERT_EQ(shell.calls.size(), 1u);
        EXPECT_EQ(shell.calls[0].parameters, QString::fromLatin1(pick.parameters));
        EXPECT_EQ(shell.calls[0].output, QString::fromLatin1(pick.output));
    }
    EXPECT_EQ(text(window, "Text2"), QStringLiteral(".flac"));
    const QString chosen = folder.file(QStringLiteral("my song.wav"));
    dialogs.nextChoice = chosen;
    window.LblFiles_Click();
    EXPECT_EQ(text(window, "Text1"), QLatin1Char('"') + chosen + QLatin1Char('"'));
    window.textBox(QStringLiteral("Text1"))->setText(QStringLiteral("-typed.wav"));
    window.textBox(QStringLiteral("Text2"))->setText(QStringLiteral("out.flac"));
    shell.calls.clear();
    click(window.commandLabel(QStringLiteral("LblComp0")));
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].parameters, QStringLiteral("-0 -typed.wav -oout.flac"));
}

// The real open-file dialog: the filter's patterns match whatever the letter
// case, the choice comes back as a full path, cancel gives nothing.
TEST_F(ConverterWindowTest, OpenFileDialogMatchesThePatternsRegardlessOfCase) {
    folder.write(QStringLiteral("tune.MP3"), "ID3");
    folder.write(QStringLiteral("dwav"), "RIFF");
    folder.write(QStringLiteral("README"), "text");
    const OpenFileRequest request{
        folder.path(), qtNameFilters(dialogFilterText(mp3Program().dialogMiddleFilter)), QString()};
    QStringList listed, allFiles, shownFilters;
    bool answered = false, allShown = false;
    QTimer poll;
    poll.setInterval(10);
    QElapsedTimer giveUp;
    bool accept = true;
    // Polls until the dialog shows, reads its listing once the folder is
    // loaded, then answers; the dialog may need a few ticks to take it.
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) return;
        auto* model = dialog->findChild<QFileSystemModel*>();
        auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
        const bool loaded = model && view && model->rowCount(view->rootIndex()) >= 5;
        if (!loaded && giveUp.hasExpired(10000)) dialog->reject();
        if (!loaded) return;
        auto listing = [&] {
            QStringList names;
            for (int row = 0; row < model->rowCount(view->rootIndex()); ++row)
                names << model->index(row, 0, view->rootIndex()).data().toString();
            names.sort(Qt::CaseInsensitive);
            return names;
        };
        if (!answered) {
            if (!allShown) {
                listed = listing();
                auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
                shownFilters.clear();
                for (int i = 0; types && i < types->count(); ++i)
                    shownFilters << types->itemText(i);
                dialog->selectNameFilter(request.nameFilters.constLast());
                allShown = true;
            }
            // The model applies a new filter in its own time: wait for the
            // listing to change (or give up) before reading it.
            allFiles = listing();
            if (allFiles == listed && !giveUp.hasExpired(10000)) return;
            dialog->selectNameFilter(request.nameFilters.constFirst());
            answered = true;
        }
        if (accept) {
            if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                name->setText(QStringLiteral("SONG2.WAV"));
            static_cast<QDialog*>(dialog)->accept();
        } else {
            dialog->reject();
        }
    });
    auto answer = [&](bool yes) {
        giveUp.start();
        accept = yes;
        answered = allShown = false;
        poll.start();
    };
    QtDialogs real;
    answer(true);
    EXPECT_EQ(real.openFile(nullptr, request), folder.file(QStringLiteral("SONG2.WAV")));
    EXPECT_TRUE(answered);
    // "*wav" has no dot, so "dwav" is a wave file too; hidden files stay hidden.
    EXPECT_EQ(listed, (QStringList{"b.Wav", "dwav", "my song.wav", "song.wav", "SONG2.WAV"}));
    EXPECT_EQ(shownFilters,
              (QStringList{"Wave Files (*.wav)", "MP3 Files (*.mp3)", "All Files (*.*)"}));
    EXPECT_TRUE(allFiles.contains(QStringLiteral("README"))) << allFiles.join(' ').toStdString();
    EXPECT_TRUE(allFiles.contains(QStringLiteral("notes.txt")));
    answer(false);
    EXPECT_EQ(real.openFile(nullptr, request), std::nullopt);
    poll.stop();
}

struct LabelLaunch {
    const char* label;
    const char* parameters;
};

TEST_F(ConverterWindowTest, EveryCommandLabelStartsItsEncoderInTheListFolder) {
    // Text2 at its start text: the output is named after the input.
    const LabelLaunch mp3Labels[] = {{"LblCBR", "-h -b 128 song.wav song.mp3"},
                                     {"LblABR", "--preset standard song.wav song.mp3"},
                                     {"LblVBR", "--preset extreme song.wav song.mp3"},
                                     {"LblMake", "-V4 song.wav song.mp3"}};
    const LabelLaunch flacLabels[] = {{"lblComp8", "-8 song.wav -o song.flac"},
                                      {"lblComp5", "-4 song.wav -o song.flac"},
                                      {"LblComp0", "-0 song.wav -osong.flac"}};
    auto check = [this](ConverterFrame& window, const char* encoder, const auto& labels) {
        select(window, QStringLiteral("song.wav"));
        for (const LabelLaunch& launch : labels) {
            SCOPED_TRACE(launch.label);
            shell.calls.clear();
            click(window.commandLabel(QString::fromLatin1(launch.label)));
            ASSERT_EQ(shell.calls.size(), 1u);
            const auto& call = shell.calls[0];
            EXPECT_TRUE(call.run);
            EXPECT_EQ(call.file, QString::fromLatin1(encoder));
            EXPECT_EQ(call.parameters, QString::fromLatin1(launch.parameters));
            EXPECT_EQ(call.directory, folder.path());
            EXPECT_EQ(call.window, static_cast<WindowHandle>(window.winId()));
        }
    };
    check(mp3(), "lame.exe", mp3Labels);
    check(flac(), "flac.exe", flacLabels);

    // User Code reads Text3 as it stands, even empty.
    mp3().textBox(QStringLiteral("Text3"))->clear();
    mp3().textBox(QStringLiteral("Text2"))->setText(QStringLiteral("song.mp3"));
    shell.calls.clear();
    mp3().LblMake_Click();
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].parameters, QStringLiteral(" song.wav song.mp3"));
}

TEST_F(ConverterWindowTest, AnExistingOutputIsReplacedOnlyAfterYes) {
    for (const char* name : {"song.mp3", "typed.mp3", "song.flac"})
        folder.write(QString::fromLatin1(name), "old");
    const struct {
        bool flac;
        const char *label, *text2;
        bool yes;
        const char* parameters;  // empty: nothing starts
    } rows[] = {
        {false, "LblCBR", ".mp3", false, ""},
        {false, "LblCBR", ".mp3", true, "-h -b 128 song.wav song.mp3"},
        {false, "LblMake", "typed.mp3", true, "-V4 song.wav typed.mp3"},
        {false, "LblVBR", "new.mp3", false, "--preset extreme song.wav new.mp3"},
        // FLAC replaces a file only when told.
        {true, "lblComp8", ".flac", true, "-8 -f song.wav -o song.flac"},
        {true, "LblComp0", ".flac", false, ""},
        {true, "LblComp0", ".flac", true, "-0 -f song.wav -osong.flac"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.label) + " " + row.text2 + (row.yes ? " yes" : " no"));
        ConverterFrame& window = row.flac ? static_cast<ConverterFrame&>(flac()) : mp3();
        select(window, QStringLiteral("song.wav"));
        const QString text2 = QString::fromLatin1(row.text2);
        window.textBox(QStringLiteral("Text2"))->setText(text2);
        shell.calls.clear();
        dialogs.questions.clear();
        dialogs.answer = row.yes;
        click(window.commandLabel(QString::fromLatin1(row.label)));
        const QString written = text2.startsWith(QLatin1Char('.')) ? "song" + text2 : text2;
        const bool exists = QFile::exists(folder.file(written));
        ASSERT_EQ(dialogs.questions.size(), exists ? 1u : 0u);
        if (exists) {
            EXPECT_EQ(dialogs.questions[0].text, written + " already exists. Replace it?");
        }
        const QString parameters = QString::fromLatin1(row.parameters);
        ASSERT_EQ(shell.calls.size(), parameters.isEmpty() ? 0u : 1u);
        if (!parameters.isEmpty()) {
            EXPECT_EQ(shell.calls[0].parameters, parameters);
        }
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ConverterWindowTest, HostileNamesShowVisiblyWhileTheRealNameIsEncoded) {
    // U+202E would show the WAV as "...vaw.png" and its MP3 as "...3pm.png".
    const QString stem = QStringLiteral("a\u202Egnp\x1b[31m\tb");
    folder.write(stem + QStringLiteral(".wav"), kWaveHeader);
    folder.write(stem + QStringLiteral(".mp3"), "old");
    formMp3& window = mp3();
    select(window, stem + QStringLiteral(".wav"));
    EXPECT_EQ(testsupport::widgetsShowingRawControls(window), QStringList());
    dialogs.answer = true;
    click(window.commandLabel(QStringLiteral("LblCBR")));
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0].text,
              QStringLiteral("a\uFFFDgnp\u241B[31m\u2409b.mp3 already exists. Replace it?"));
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].parameters,
              QStringLiteral("-h -b 128 \"%1.wav\" \"%1.mp3\"").arg(stem));
}

TEST_F(ConverterWindowTest, NamesThatCannotServeAreRefusedBeforeAnythingStarts) {
    folder.write(QStringLiteral("fake.wav"), "just text\n");
    const QString longName = QString(251, QLatin1Char('a')) + QStringLiteral(".wav");
    folder.write(longName, kWaveHeader);
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("music")));
    ASSERT_EQ(mkfifo(QFile::encodeName(folder.file(QStringLiteral("pipe.wav"))), 0600), 0);
    const struct {
        bool flac;
        const char *pick, *typed, *text2;
        const char* message;  // empty: the encoder starts
    } rows[] = {
        {false, nullptr, "pipe.wav", ".mp3", "pipe.wav is not a file."},
        {true, nullptr, "music", "out.flac", "music is not a file."},
        {false, nullptr, "song.wav", "/dev/null", "/dev/null is not a file."},
        {false, "fake.wav", nullptr, ".mp3", "fake.wav is not a WAV file."},
        // Typed names reach the encoder as typed, also over a pick.
        {false, nullptr, "fake.wav", ".mp3", ""},
        {false, "fake.wav", "fake.wav", ".mp3", ""},
        // 255 bytes, and one more with ".flac".
        {true, "LONG", nullptr, ".flac", "The output name is too long."},
        {false, "LONG", nullptr, ".mp3", ""},
        {true, "LONG", nullptr, "short.flac", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.pick ? row.pick : "") + "|" + (row.typed ? row.typed : "") +
                     " " + row.text2);
        ConverterFrame& window = row.flac ? static_cast<ConverterFrame&>(flac()) : mp3();
        if (row.pick)
            select(window,
                   row.pick == std::string("LONG") ? longName : QString::fromLatin1(row.pick));
        if (row.typed) typeInto(window.textBox(QStringLiteral("Text1")), row.typed);
        window.textBox(QStringLiteral("Text2"))->setText(QString::fromLatin1(row.text2));
        shell.calls.clear();
        dialogs.messages.clear();
        click(
            window.commandLabel(row.flac ? QStringLiteral("lblComp5") : QStringLiteral("LblABR")));
        const QString message = QString::fromLatin1(row.message);
        ASSERT_EQ(dialogs.messages.size(), message.isEmpty() ? 0u : 1u);
        if (!message.isEmpty()) {
            EXPECT_EQ(dialogs.messages[0].text, message);
        }
        EXPECT_EQ(shell.calls.size(), message.isEmpty() ? 1u : 0u);
    }
}

// The real question box: Enter answers No, and names are not markup.
TEST(ConverterQuestion, EnterAnswersNoAndTheTextIsPlain) {
    Qt::TextFormat format = Qt::AutoText;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        format = box->textFormat();
        QTest::keyClick(box, Qt::Key_Return);
    });
    poll.start(10);
    QtDialogs real;
    EXPECT_FALSE(real.ask(nullptr, QStringLiteral("<b>a.mp3</b> already exists. Replace it?"),
                          QStringLiteral("Ondrix Mp3 (LAME)")));
    EXPECT_EQ(format, Qt::PlainText);
}

TEST_F(ConverterWindowTest, WindowsAreBuiltFromTheirTables) {
    const struct {
        ConverterFrame* window;
        const char* name;
        const char* title;
    } windows[] = {
        {&mp3(), "formMp3", "Ondrix Mp3 (LAME)"},
        {&flac(), "formFlac", "Ondrix Flac"},
    };
    for (const auto& [window, name, title] : windows) {
        SCOPED_TRACE(name);
        EXPECT_EQ(window->objectName(), QString::fromLatin1(name));
        EXPECT_EQ(window->windowTitle(), QString::fromLatin1(title));
        EXPECT_EQ(window->palette().color(QPalette::Window), QColor(128, 128, 128));
        EXPECT_EQ(window->windowIcon().availableSizes().size(), 3);
        testsupport::expectBuiltFromTable(*window, *window->program().layout);
    }
}

}  // namespace

// No encoder beside the program or on the PATH: a box names it, and no file
// of the WAV folder, such as a planted "lame.exe", is handed to the opener.
TEST(ConverterWithoutEncoder, ClickNamesTheMissingEncoderAndOpensNothing) {
    TempFolder standIns, music, state;
    // The PATH holds nothing else: the stand-in uses shell builtins only.
    const QString opened = standIns.file(QStringLiteral("opened.txt"));
    standIns.write(QStringLiteral("xdg-open"), "#!/bin/sh\necho \"$@\" >> '" +
                                                   opened.toLocal8Bit() + "' && : > '" +
                                                   opened.toLocal8Bit() + ".done'\n");
    QFile::setPermissions(standIns.file(QStringLiteral("xdg-open")),
                          QFile::ReadOwner | QFile::ExeOwner);
    music.write(QStringLiteral("song.wav"), kWaveHeader);
    music.write(QStringLiteral("lame.exe"), "lame -V2 song.wav\n");
    music.write(QStringLiteral("flac.exe"), QByteArray("MZ\x90\0\3\0", 6));
    for (const QString planted : {"lame.exe", "flac.exe"})
        QFile::setPermissions(music.file(planted), QFile::ReadOwner | QFile::ExeOwner);
    const QByteArray oldPath = qgetenv("PATH"), oldState = qgetenv("XDG_STATE_HOME");
    qputenv("PATH", standIns.path().toLocal8Bit());
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    CurrentDirectory here(music.path());
    SystemShell shell;
    FakeDialogs dialogs;
    formMp3 mp3(shell, dialogs);
    mp3.Form_Load();
    formFlac flac(shell, dialogs);
    flac.Form_Load();
    for (ConverterFrame* window :
         {static_cast<ConverterFrame*>(&mp3), static_cast<ConverterFrame*>(&flac)}) {
        window->fileList()->setListIndex(0);
        ASSERT_EQ(window->textBox(QStringLiteral("Text1"))->text(), QStringLiteral("song.wav"));
    }
    mp3.LblCBR_Click();
    flac.lblComp8_Click();
    // F6 goes to the stand-in: once its line is there, an open by the
    // clicks would have been logged before it.
    mp3.Form_KeyDown(kKeyF6, 0);
    const bool f6Seen = QTest::qWaitFor([&] { return QFile::exists(opened + ".done"); }, 10000);
    qputenv("PATH", oldPath);
    oldState.isNull() ? qunsetenv("XDG_STATE_HOME") : qputenv("XDG_STATE_HOME", oldState);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].text, mp3Program().missingEncoderText);
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("apt install lame")));
    // Named as the program is found here.
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("put lame beside")));
    EXPECT_EQ(dialogs.messages[1].text, flacProgram().missingEncoderText);
    EXPECT_EQ(dialogs.messages[1].title, QStringLiteral("Ondrix Flac"));
    ASSERT_TRUE(f6Seen);
    EXPECT_EQ(QString::fromLocal8Bit(standIns.read(QStringLiteral("opened.txt"))),
              QStringLiteral("http://www.ondrix.example\n"));
}
