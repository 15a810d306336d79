#include <gtest/gtest.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QDBusContext>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QThread>
#include <cstdio>
#include <optional>

#include "converters/flac.h"
#include "converters/mp3.h"
#include "platform/folder_files.h"
#include "platform/shell.h"
#include "support/accessibility.h"
#include "support/fakes.h"
#include "support/processes.h"
#include "support/session_bus.h"
#include "support/suite_paths.h"
#include "support/temp_folder.h"
#include "support/wav_tone.h"
#include "ui/clickable_label.h"

namespace {

using namespace ondrix;
using namespace testsupport;

constexpr int kRate = 44100;

// Whether the encoder has written a complete, valid file by now.
bool validMp3(const QString& folder, const QString& name) {
    const QString mp3 = QDir(folder).filePath(name);
    const QString decoded = mp3 + QStringLiteral(".decoded.wav");
    if (!QFile::exists(mp3)) return false;
    if (runCommand(QStringLiteral("lame"),
                   {QStringLiteral("--quiet"), QStringLiteral("--decode"), mp3, decoded}) != 0)
        return false;
    // LAME pads, but never loses more than a few frames of the second.
    return QFile(decoded).size() > kRate * 4 * 9 / 10;
}

bool validFlac(const QString& folder, const QString& name) {
    const QString flacFile = QDir(folder).filePath(name);
    if (!QFile::exists(flacFile)) return false;
    if (runCommand(QStringLiteral("flac"),
                   {QStringLiteral("-t"), QStringLiteral("-s"), flacFile}) != 0)
        return false;
    QString samples;
    runCommand(QStringLiteral("metaflac"), {QStringLiteral("--show-total-samples"), flacFile},
               QProcessEnvironment::systemEnvironment(), &samples);
    return samples.trimmed() == QString::number(kRate);
}

bool waitForValid(const std::function<bool()>& valid) {
    return QTest::qWaitFor(
        [&] {
            if (valid()) return true;
            QThread::msleep(100);
            return false;
        },
        30000);
}

// Writes a marker if it ever runs.
const QByteArray kPlantedProgram = "#!/bin/sh\ntouch \"$(dirname \"$0\")/planted-ran\"\n";

class ConverterE2eTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!haveProgram(QStringLiteral("lame")) || !haveProgram(QStringLiteral("flac")))
            GTEST_SKIP() << "lame and flac are needed";
        folder.write(QStringLiteral("tone.wav"), wavTone(1.0));
        folder.write(QStringLiteral("my tone.wav"), wavTone(1.0));
        // What a FAT stick holds: every file executable, also ones named
        // like the encoders. Only the real encoders may run.
        for (const QString name : {"lame", "lame.exe", "flac", "flac.exe"}) {
            folder.write(name, kPlantedProgram);
            QFile::setPermissions(folder.file(name), QFile::ReadOwner | QFile::ExeOwner);
        }
        qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    }
    void TearDown() override {
        oldState.isNull() ? qunsetenv("XDG_STATE_HOME") : qputenv("XDG_STATE_HOME", oldState);
        // Qt removes the folder by names as text, and misses those that are no UTF-8.
        for (const QByteArray& name : listFiles(folder.path()))
            if (QString::fromUtf8(name).toUtf8() != name)
                unlink((QFile::encodeName(folder.path()) + '/' + name).constData());
        EXPECT_FALSE(QFile::exists(folder.file(QStringLiteral("planted-ran"))))
            << "a program from the WAV folder ran";
    }

    static void pick(ConverterFrame& window, const QString& name) {
        const auto items = window.fileList()->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1);
        window.fileList()->setListIndex(window.fileList()->row(items.constFirst()));
    }

    TempFolder folder, state;
    const QByteArray oldState = qgetenv("XDG_STATE_HOME");
};

TEST_F(ConverterE2eTest, EveryLabelMakesAFileItsEncoderAccepts) {
    CurrentDirectory here(folder.path());
    SystemShell shell;
    FakeDialogs dialogs;
    formMp3 mp3(shell, dialogs);
    mp3.Form_Load();
    formFlac flac(shell, dialogs);
    flac.Form_Load();
    const struct {
        ConverterFrame& window;
        QStringList labels;
        QString extension;
        bool (*valid)(const QString&, const QString&);
    } encoders[] = {{mp3, {"LblCBR", "LblABR", "LblVBR", "LblMake"}, ".mp3", validMp3},
                    {flac, {"lblComp8", "lblComp5", "LblComp0"}, ".flac", validFlac}};
    const std::pair<QString, QString> inputs[] = {{"tone.wav", ""}, {"my tone.wav", "blank-"}};
    for (const auto& encoder : encoders)
        for (const auto& [input, stem] : inputs) {
            pick(encoder.window, input);
            for (const QString& label : encoder.labels) {
                encoder.window.textBox(QStringLiteral("Text2"))
                    ->setText(stem + label + encoder.extension);
                QTest::mouseClick(encoder.window.commandLabel(label), Qt::LeftButton);
            }
        }
    for (const auto& encoder : encoders)
        for (const auto& input : inputs)
            for (const QString& label : encoder.labels) {
                const QString output = input.second + label + encoder.extension;
                EXPECT_TRUE(waitForValid([&] { return encoder.valid(folder.path(), output); }))
                    << output.toStdString();
            }
}

TEST_F(ConverterE2eTest, ListPicksOfOddNamesGiveOutputsNamedAfterThemBesideThem) {
    // Names by their bytes; the last is no UTF-8 and lists with U+FFFD.
    const QList<QByteArray> stems{"-dash", "quo\"te", "a", "my tone", "a\xff"};
    const QByteArray where = QFile::encodeName(folder.path()) + '/';
    for (const QByteArray& stem : stems) {
        std::FILE* file = std::fopen((where + stem + ".wav").constData(), "wb");
        ASSERT_NE(file, nullptr);
        const QByteArray tone = wavTone(1.0);
        std::fwrite(tone.constData(), 1, static_cast<size_t>(tone.size()), file);
        std::fclose(file);
    }
    CurrentDirectory here(folder.path());
    SystemShell shell;
    FakeDialogs dialogs;
    formMp3 mp3(shell, dialogs);
    mp3.Form_Load();
    formFlac flac(shell, dialogs);
    flac.Form_Load();
    // Text2 keeps its start text; "Larger" attaches the name to "-o".
    for (const QByteArray& stem : stems) {
        pick(mp3, QString::fromUtf8(stem + ".wav"));
        mp3.LblCBR_Click();
        pick(flac, QString::fromUtf8(stem + ".wav"));
        flac.LblComp0_Click();
    }
    // Each output is looked at through a link, which finds it only by the
    // stem's exact bytes.
    for (qsizetype i = 0; i < stems.size(); ++i) {
        const QString link = QStringLiteral("out%1").arg(i);
        for (const char* extension : {".mp3", ".flac"})
            ASSERT_EQ(symlink((stems[i] + extension).constData(),
                              (where + link.toUtf8() + extension).constData()),
                      0);
        EXPECT_TRUE(waitForValid([&] { return validMp3(folder.path(), link + ".mp3"); }))
            << stems[i].toStdString();
        EXPECT_TRUE(waitForValid([&] { return validFlac(folder.path(), link + ".flac"); }))
            << stems[i].toStdString();
    }
    EXPECT_FALSE(QFile::exists(folder.file(QStringLiteral(".mp3"))));
    EXPECT_FALSE(QFile::exists(folder.file(QStringLiteral(".flac"))));
}

TEST_F(ConverterE2eTest, AnExistingOutputSurvivesNoAndIsReplacedAfterYes) {
    folder.write(QStringLiteral("keep.wav"), wavTone(1.0));
    const QByteArray mine = "the user's own file, not made here";
    folder.write(QStringLiteral("keep.mp3"), mine);
    folder.write(QStringLiteral("keep.flac"), mine);
    CurrentDirectory here(folder.path());
    SystemShell shell;
    FakeDialogs dialogs;
    formMp3 mp3(shell, dialogs);
    mp3.Form_Load();
    formFlac flac(shell, dialogs);
    flac.Form_Load();
    pick(mp3, QStringLiteral("keep.wav"));
    pick(flac, QStringLiteral("keep.wav"));
    mp3.LblCBR_Click();
    flac.lblComp8_Click();
    ASSERT_EQ(dialogs.questions.size(), 2u);
    EXPECT_EQ(dialogs.questions[0].text, QStringLiteral("keep.mp3 already exists. Replace it?"));
    EXPECT_EQ(dialogs.questions[1].text, QStringLiteral("keep.flac already exists. Replace it?"));
    // No started nothing: no encoder log, both files as they were.
    EXPECT_FALSE(QDir(state.file(QStringLiteral("ondrix"))).exists());
    EXPECT_EQ(folder.read(QStringLiteral("keep.mp3")), mine);
    EXPECT_EQ(folder.read(QStringLiteral("keep.flac")), mine);
    dialogs.answer = true;
    mp3.LblCBR_Click();
    flac.lblComp8_Click();
    EXPECT_TRUE(waitForValid([&] { return validMp3(folder.path(), QStringLiteral("keep.mp3")); }));
    EXPECT_TRUE(
        waitForValid([&] { return validFlac(folder.path(), QStringLiteral("keep.flac")); }));
}

TEST_F(ConverterE2eTest, APickedFileThatIsNoWavStartsNothing) {
    folder.write(QStringLiteral("fake.wav"), "A text file with a WAV name.\n");
    CurrentDirectory here(folder.path());
    SystemShell shell;
    FakeDialogs dialogs;
    formFlac flac(shell, dialogs);
    flac.Form_Load();
    pick(flac, QStringLiteral("fake.wav"));
    flac.LblComp0_Click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("fake.wav is not a WAV file."));
    EXPECT_FALSE(QDir(state.file(QStringLiteral("ondrix"))).exists()) << "an encoder started";
}

// The front-ends' wrapper processes working in `folder`, by process number.
QStringList wrappersIn(const QString& folder) {
    QStringList found;
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile command(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (!command.open(QIODevice::ReadOnly) ||
            !command.readAll().split('\0').contains(kConsoleWrapperArgument))
            continue;
        if (QFileInfo(QStringLiteral("/proc/%1/cwd").arg(pid)).canonicalFilePath() ==
            QFileInfo(folder).canonicalFilePath())
            found << pid;
    }
    return found;
}

// The desktop's notification service on the test's own bus: it reads no
// markup and keeps what it is told.
class NotificationService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
  public:
    struct Notice {
        QString appName, summary, body;
    };
    explicit NotificationService(const QString& address)
        : bus_(QDBusConnection::connectToBus(address, QStringLiteral("notices"))) {
        bus_.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                            QDBusConnection::ExportAllSlots);
        registered_ = bus_.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }
    ~NotificationService() override { QDBusConnection::disconnectFromBus(bus_.name()); }
    bool registered() const { return registered_; }
    // From now on a notice is kept and never answered.
    void stopAnswering() { answering_ = false; }
    // The notices told so far, once there are `count` of them.
    std::vector<Notice> waitFor(size_t count) {
        static_cast<void>(QTest::qWaitFor([&] { return notices_.size() >= count; }, 30000));
        return notices_;
    }

  public slots:
    QStringList GetCapabilities() { return {QStringLiteral("body")}; }
    uint Notify(const QString& appName, uint, const QString&, const QString& summary,
                const QString& body, const QStringList&, const QVariantMap&, int) {
        notices_.push_back({appName, summary, body});
        if (!answering_) setDelayedReply(true);
        return static_cast<uint>(notices_.size());
    }

  private:
    QDBusConnection bus_;
    bool registered_ = false;
    bool answering_ = true;
    std::vector<Notice> notices_;
};

// Without a terminal program a real LAME run ends in a desktop notification,
// sent by the front-end's wrapper: what it wrote, or why it stopped and where
// its log is.
TEST_F(ConverterE2eTest, WithoutATerminalTheEncodersEndIsADesktopNotification) {
    if (!haveProgram(QStringLiteral("dbus-daemon"))) GTEST_SKIP() << "needs dbus-daemon";
    std::optional<PrivateBus> bus(std::in_place);
    ASSERT_FALSE(bus->address().isEmpty());
    NotificationService service(bus->address());
    ASSERT_TRUE(service.registered());
    const ScopedVariable noTerminal("DISPLAY", QByteArray());
    const ScopedVariable onBus("DBUS_SESSION_BUS_ADDRESS", bus->address().toUtf8());
    CurrentDirectory here(folder.path());
    SystemShell shell(testsupport::buildPath(QStringLiteral("OndrixMP3")));
    FakeDialogs dialogs;
    formMp3 mp3(shell, dialogs);
    mp3.Form_Load();
    pick(mp3, QStringLiteral("tone.wav"));
    mp3.textBox(QStringLiteral("Text2"))->setText(QStringLiteral("a.mp3"));
    mp3.LblCBR_Click();
    auto notices = service.waitFor(1);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].appName, QStringLiteral("OndrixMP3"));
    EXPECT_EQ(notices[0].summary, QStringLiteral("a.mp3 written"));
    EXPECT_EQ(notices[0].body, folder.file(QStringLiteral("a.mp3")));
    EXPECT_TRUE(validMp3(folder.path(), QStringLiteral("a.mp3")));

    // An option LAME does not know: it stops with status 1. The option's
    // escape sequence is written in the log as its picture, never as itself.
    mp3.textBox(QStringLiteral("Text2"))->setText(QStringLiteral("b.mp3"));
    mp3.textBox(QStringLiteral("Text3"))->setText(QStringLiteral("--no-such-option\x1b[31m"));
    mp3.LblMake_Click();
    notices = service.waitFor(2);
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[1].summary, QStringLiteral("LAME stopped with status 1"));
    EXPECT_EQ(notices[1].body,
              QStringLiteral("See ") + state.file(QStringLiteral("ondrix/lame.log")));
    const QByteArray log = state.read(QStringLiteral("ondrix/lame.log"));
    EXPECT_TRUE(log.contains("--no-such-option\u241b[31m")) << log.toStdString();
    EXPECT_FALSE(log.contains('\x1b')) << log.toStdString();

    // No log can be made where a file stands: the notice sends nobody to one.
    const ScopedVariable noLog("XDG_STATE_HOME", QFile::encodeName(folder.file("tone.wav")));
    mp3.LblMake_Click();
    notices = service.waitFor(3);
    ASSERT_EQ(notices.size(), 3u);
    EXPECT_EQ(notices[2].summary, QStringLiteral("LAME stopped with status 1"));
    EXPECT_EQ(notices[2].body, QString());

    // The bus goes away while the wrapper waits for the service's answer:
    // the wrapper ends all the same, within its wait.
    service.stopAnswering();
    mp3.LblMake_Click();
    ASSERT_EQ(service.waitFor(4).size(), 4u);
    bus.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return wrappersIn(folder.path()).isEmpty(); }, 15000))
        << "a wrapper waits for ever: " << wrappersIn(folder.path()).join(' ').toStdString();
}

// The built program, copied into a program folder of its own beside an
// encoder stand-in that records its arguments and working folder, then runs
// the real encoder. It is started from the folder of WAV files.
class RealWindow {
  public:
    RealWindow(const Xvfb& display, const QString& program, const QString& encoderName,
               const QString& realEncoder, const QString& wavFolder,
               const AccessibilityBus* a11y = nullptr)
        : record_(programFolder_.file(QStringLiteral("arguments.txt"))) {
        const QString binary = programFolder_.file(program);
        QFile::copy(testsupport::buildPath(program), binary);
        QFile::setPermissions(binary, QFile::permissions(binary) | QFile::ExeOwner);
        const QString script =
            QStringLiteral(
                "#!/bin/sh\n"
                "{ pwd; printf '%s\\n' \"$@\"; } > '%1.part' && mv '%1.part' '%1'\n"
                "exec '%2' \"$@\"\n")
                .arg(record_, QStandardPaths::findExecutable(realEncoder));
        programFolder_.write(encoderName, script.toUtf8());
        QFile::setPermissions(programFolder_.file(encoderName),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        process_.setProcessChannelMode(QProcess::MergedChannels);
        QProcessEnvironment environment = display.environment();
        environment.insert(QStringLiteral("XDG_STATE_HOME"), state_.path());
        if (a11y) a11y->join(environment);
        process_.setProcessEnvironment(environment);
        process_.setWorkingDirectory(wavFolder);
        process_.start(binary, {});
    }
    ~RealWindow() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(3000);
        }
    }
    QProcess& process() { return process_; }
    std::string report() {
        return QStringLiteral("state %1, output: %2")
            .arg(process_.state())
            .arg(QString::fromLocal8Bit(process_.readAll()))
            .toStdString();
    }
    // The encoder's working folder, then its arguments; empty until it ran.
    QStringList takeRecord() {
        QFile file(record_);
        if (!file.open(QIODevice::ReadOnly)) return {};
        QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        if (!lines.isEmpty() && lines.constLast().isEmpty()) lines.removeLast();
        file.close();
        file.remove();
        return lines;
    }

    // What the encoders wrote where no terminal shows it.
    QString log(const QString& encoder) const {
        return QString::fromLocal8Bit(state_.read(QStringLiteral("ondrix/") + encoder + ".log"));
    }

  private:
    TempFolder programFolder_, state_;
    QString record_;
    QProcess process_;
};

QString xdotool(const Xvfb& display, const QStringList& arguments) {
    QString output;
    runCommand(QStringLiteral("xdotool"), arguments, display.environment(), &output, 10000);
    return output.trimmed();
}

// The program's window id; empty when it did not show or the program ended.
QString findWindow(const Xvfb& display, const QString& caption, QProcess& program) {
    QString id;
    const bool found = QTest::qWaitFor(
        [&] {
            if (program.state() == QProcess::NotRunning) return true;
            id = xdotool(display, {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                   QStringLiteral("--name"), QRegularExpression::escape(caption)})
                     .section(QLatin1Char('\n'), 0, 0);
            return !id.isEmpty();
        },
        15000);
    return found ? id : QString();
}

QRect windowGeometry(const Xvfb& display, const QString& id) {
    QRect rect;
    for (const QString& line :
         xdotool(display, {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), id})
             .split(QLatin1Char('\n'))) {
        const int value = line.section(QLatin1Char('='), 1).toInt();
        if (line.startsWith(QLatin1String("X="))) rect.moveLeft(value);
        if (line.startsWith(QLatin1String("Y="))) rect.moveTop(value);
        if (line.startsWith(QLatin1String("WIDTH="))) rect.setWidth(value);
        if (line.startsWith(QLatin1String("HEIGHT="))) rect.setHeight(value);
    }
    return rect;
}

void clickAt(const Xvfb& display, const QString& id, QPoint pixels) {
    xdotool(display, {QStringLiteral("mousemove"), QStringLiteral("--window"), id,
                      QString::number(pixels.x()), QString::number(pixels.y()),
                      QStringLiteral("click"), QStringLiteral("1")});
}

// A control's place in twips to a point inside it, in window pixels.
QPoint inside(int left, int top, int dx = 4, int dy = 4) {
    return QPoint(left / 15 + dx, top / 15 + dy);
}

struct Probe {
    QPoint at;
    QColor colour;
};

void checkScreenshot(const Xvfb& display, const QString& id, const QString& name,
                     const std::vector<Probe>& probes) {
    QTest::qWait(500);  // let the window paint
    const QString path = testsupport::buildPath(name);
    ASSERT_TRUE(display.screenshot(path));
    const QImage screen(path);
    const QPoint origin = windowGeometry(display, id).topLeft();
    for (const Probe& probe : probes)
        EXPECT_EQ(QColor(screen.pixel(origin + probe.at)), probe.colour)
            << name.toStdString() << " at " << probe.at.x() << "," << probe.at.y();
}

void dragAndEnd(const Xvfb& display, const QString& id, RealWindow& window) {
    const QRect before = windowGeometry(display, id);
    const QString x = QString::number(150), y = QString::number(20);
    xdotool(display, {QStringLiteral("mousemove"), QStringLiteral("--window"), id, x, y});
    xdotool(display, {QStringLiteral("mousedown"), QStringLiteral("1")});
    // Each step waits for the window's own move: a pointer event queued
    // before the move landed is relative to where the window was.
    for (int step = 1; step <= 4; ++step) {
        xdotool(display, {QStringLiteral("mousemove_relative"), QStringLiteral("--"),
                          QStringLiteral("10"), QStringLiteral("5")});
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return windowGeometry(display, id).topLeft() ==
                       before.topLeft() + QPoint(10, 5) * step;
            },
            10000))
            << "window did not follow the drag at step " << step;
    }
    xdotool(display, {QStringLiteral("mouseup"), QStringLiteral("1")});

    xdotool(display, {QStringLiteral("windowfocus"), QStringLiteral("--sync"), id});
    xdotool(display, {QStringLiteral("key"), QStringLiteral("F12")});
    ASSERT_TRUE(window.process().waitForFinished(10000)) << "F12 did not end the program";
    EXPECT_EQ(window.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(window.process().exitCode(), 0);
}

class ConverterOnXTest : public ConverterE2eTest {
  protected:
    void SetUp() override {
        ConverterE2eTest::SetUp();
        if (IsSkipped()) return;
        if (!haveProgram(QStringLiteral("Xvfb")) || !haveProgram(QStringLiteral("xdotool")) ||
            !haveProgram(QStringLiteral("import")))
            GTEST_SKIP() << "Xvfb, xdotool and ImageMagick are needed";
    }

    // Starts the program on a private X server and finds its window. Under a
    // loaded machine a fresh server now and then drops its socket before the
    // program connects; then it is tried once more on a new server.
    std::unique_ptr<RealWindow> open(const QString& program, const QString& encoderName,
                                     const QString& realEncoder, const QString& caption,
                                     QString& id, const AccessibilityBus* a11y = nullptr) {
        std::unique_ptr<RealWindow> window;
        for (int attempt = 0; attempt < 3; ++attempt) {
            display = std::make_unique<Xvfb>(800, 600);
            window = std::make_unique<RealWindow>(*display, program, encoderName, realEncoder,
                                                  folder.path(), a11y);
            id = findWindow(*display, caption, window->process());
            if (!id.isEmpty()) return window;
            if (attempt == 2) ADD_FAILURE() << "no window; " << window->report();
            window.reset();
        }
        return window;
    }

    std::unique_ptr<Xvfb> display;
};

const QColor kGrey(128, 128, 128), kDark(64, 64, 64), kLight(224, 224, 224);
const QColor kYellow(255, 255, 192), kBlue(192, 192, 255);

TEST_F(ConverterOnXTest, Mp3WindowStartsLameWithThePickedName) {
    QString id;
    const auto started = open(QStringLiteral("OndrixMP3"), QStringLiteral("lame.exe"),
                              QStringLiteral("lame"), QStringLiteral("Ondrix Mp3 (LAME)"), id);
    ASSERT_FALSE(id.isEmpty()) << "no window";
    RealWindow& window = *started;
    EXPECT_EQ(xdotool(*display, {QStringLiteral("getwindowname"), id}),
              QStringLiteral("Ondrix Mp3 (LAME)"));
    EXPECT_EQ(windowGeometry(*display, id).size(), QSize(380, 218));
    checkScreenshot(*display, id, QStringLiteral("converter-formMp3.png"),
                    {{QPoint(200, 20), kGrey},
                     {inside(3840, 1680), kDark},             // LblCBR
                     {inside(2040, 2640), kDark},             // LblFiles
                     {inside(2040, 1080, 230, 12), kBlue},    // Text2
                     {inside(2040, 1680, 100, 12), kYellow},  // Text3
                     {inside(1920, 480, 150, 12), kLight},    // Text1
                     {inside(120, 480, 100, 150), kLight},    // File2
                     {QPoint(376, 100), Qt::black}});         // Line3

    // The list's first entry is "my tone.wav", then "tone.wav".
    clickAt(*display, id, inside(120, 480, 40, 28));    // second row
    clickAt(*display, id, inside(3840, 1680, 56, 12));  // "CD Q"
    QStringList record;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !(record = window.takeRecord()).isEmpty(); }, 15000));
    EXPECT_EQ(record, (QStringList{folder.path(), "-h", "-b", "128", "tone.wav", "tone.mp3"}));
    EXPECT_TRUE(waitForValid([&] { return validMp3(folder.path(), QStringLiteral("tone.mp3")); }));
    if (!haveProgram(QStringLiteral("x-terminal-emulator"))) {
        // Started through the program's own wrapper, which heads the log.
        EXPECT_TRUE(window.log(QStringLiteral("lame"))
                        .contains(QStringLiteral("lame.exe -h -b 128 tone.wav tone.mp3")))
            << window.log(QStringLiteral("lame")).toStdString();
        EXPECT_FALSE(window.log(QStringLiteral("lame")).contains(QChar(0x1b)))
            << "terminal controls in the log";
    }

    clickAt(*display, id, inside(120, 480, 40, 10));    // first row
    clickAt(*display, id, inside(2040, 2160, 52, 12));  // "User Code"
    ASSERT_TRUE(QTest::qWaitFor([&] { return !(record = window.takeRecord()).isEmpty(); }, 15000));
    EXPECT_EQ(record, (QStringList{folder.path(), "-V4", "my tone.wav", "my tone.mp3"}));

    dragAndEnd(*display, id, window);
}

TEST_F(ConverterOnXTest, FlacWindowStartsFlacWithThePickedName) {
    folder.write(QStringLiteral("a.wav"), wavTone(1.0));
    QString id;
    const auto started = open(QStringLiteral("OndrixFlac"), QStringLiteral("flac.exe"),
                              QStringLiteral("flac"), QStringLiteral("Ondrix Flac"), id);
    ASSERT_FALSE(id.isEmpty()) << "no window";
    RealWindow& window = *started;
    EXPECT_EQ(xdotool(*display, {QStringLiteral("getwindowname"), id}),
              QStringLiteral("Ondrix Flac"));
    EXPECT_EQ(windowGeometry(*display, id).size(), QSize(355, 219));
    checkScreenshot(*display, id, QStringLiteral("converter-formFlac.png"),
                    {{QPoint(150, 20), kGrey},
                     {inside(3480, 2760), kDark},             // lblComp8
                     {inside(3480, 1800), kDark},             // LblComp0
                     {inside(2040, 2760), kDark},             // LblFiles
                     {inside(2040, 1320, 200, 12), kYellow},  // Text2
                     {inside(1920, 600, 200, 12), kLight},    // Text1
                     {inside(120, 600, 100, 150), kLight},    // File1
                     {QPoint(2, 100), Qt::black}});           // Line1

    clickAt(*display, id, inside(120, 600, 40, 10));    // first row: "a.wav"
    clickAt(*display, id, inside(3480, 1800, 56, 12));  // "Larger"
    QStringList record;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !(record = window.takeRecord()).isEmpty(); }, 15000));
    EXPECT_EQ(record, (QStringList{folder.path(), "-0", "a.wav", "-oa.flac"}));
    EXPECT_TRUE(waitForValid([&] { return validFlac(folder.path(), QStringLiteral("a.flac")); }));

    clickAt(*display, id, inside(120, 600, 40, 28));    // second row: "my tone.wav"
    clickAt(*display, id, inside(3480, 2760, 56, 12));  // "Smallest"
    ASSERT_TRUE(QTest::qWaitFor([&] { return !(record = window.takeRecord()).isEmpty(); }, 15000));
    EXPECT_EQ(record, (QStringList{folder.path(), "-8", "my tone.wav", "-o", "my tone.flac"}));

    dragAndEnd(*display, id, window);
}

// An assistive tool on the desktop's accessibility bus finds the boxes,
// lists and command labels by role and name, fills the input box or picks
// the file in the list, and presses a command label as a click does: the
// encoder starts with its arguments.
TEST_F(ConverterOnXTest, AssistiveToolsFillTheInputAndPressACommand) {
    AccessibilityBus a11y;
    if (!a11y.ready()) GTEST_SKIP() << "needs at-spi2-core and python3-pyatspi";
    const struct {
        QString program, encoder, realEncoder, caption;
        QStringList objects;
        bool picksFromList;
        QString command;
        QStringList arguments;
    } programs[] = {
        {"OndrixMP3",
         "lame.exe",
         "lame",
         "Ondrix Mp3 (LAME)",
         {"frame|Ondrix Mp3 (LAME)", "push button|CD Q", "push button|DVD Q", "push button|Extrem",
          "push button|User Code", "push button|Files", "push button|Exit", "text|Input file",
          "text|Output file name", "text|User Lame Code", "label|User Lame Code",
          "list|Wave files"},
         true,
         "CD Q",
         {"-h", "-b", "128", "tone.wav", "tone.mp3"}},
        {"OndrixFlac",
         "flac.exe",
         "flac",
         "Ondrix Flac",
         {"frame|Ondrix Flac", "push button|Larger", "push button|Standard", "push button|Smallest",
          "push button|Files", "push button|Exit", "text|Input file", "text|Output file name",
          "label|flac convert", "list|Wave files"},
         false,
         "Larger",
         {"-0", "tone.wav", "-otone.flac"}},
    };
    for (const auto& program : programs) {
        SCOPED_TRACE(program.program.toStdString());
        QString id;
        const auto started =
            open(program.program, program.encoder, program.realEncoder, program.caption, id, &a11y);
        ASSERT_FALSE(id.isEmpty()) << "no window";
        EXPECT_TRUE(a11y.waitForObjects(program.program, program.objects))
            << a11y.objects(program.program).join(QLatin1Char('\n')).toStdString();
        if (program.picksFromList)
            ASSERT_TRUE(a11y.act(program.program, QStringLiteral("list item"),
                                 QStringLiteral("tone.wav"), QStringLiteral("Toggle")));
        else
            ASSERT_TRUE(a11y.type(program.program, QStringLiteral("text"),
                                  QStringLiteral("Input file"), QStringLiteral("tone.wav")));
        ASSERT_TRUE(a11y.act(program.program, QStringLiteral("push button"), program.command));
        QStringList record;
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return !(record = started->takeRecord()).isEmpty(); }, 15000));
        EXPECT_EQ(record, QStringList{folder.path()} + program.arguments);
        ASSERT_TRUE(
            a11y.act(program.program, QStringLiteral("push button"), QStringLiteral("Exit")));
        EXPECT_TRUE(started->process().waitForFinished(10000)) << "Exit did not end the program";
        EXPECT_EQ(started->process().exitCode(), 0);
    }
}

// The converters' wrapper mode, as a terminal or the log runs it: a failing
// encoder leaves its status and waits for Enter, a successful one ends at
// once.
TEST(ConverterWrapperMode, FailureWaitsForEnterSuccessEndsAtOnce) {
    TempFolder work;
    const QString encoder = work.file(QStringLiteral("encoder"));
    // Progress as a console encoder writes it: rewritten after a carriage return.
    work.write(QStringLiteral("encoder"),
               "#!/bin/sh\nprintf '10%%\\r\\033[Kencoding %s\\n' \"$1\"\nexit \"$2\"\n");
    QFile::setPermissions(encoder, QFile::ReadOwner | QFile::ExeOwner);
    auto wrapper = [&](QProcess& process, const QString& status) {
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(testsupport::buildPath(QStringLiteral("OndrixMP3")),
                      {QString::fromLatin1(kConsoleWrapperArgument), encoder, "a b.wav", status});
        EXPECT_TRUE(process.waitForStarted(5000));
    };
    QProcess failing;
    wrapper(failing, QStringLiteral("3"));
    QString output;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            failing.waitForReadyRead(100);
            output += QString::fromLocal8Bit(failing.readAll());
            return output.contains(QStringLiteral("exit status 3"));
        },
        10000))
        << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("encoding a b.wav"))) << output.toStdString();
    EXPECT_FALSE(failing.waitForFinished(500)) << "did not wait for Enter";
    failing.write("\n");
    ASSERT_TRUE(failing.waitForFinished(5000));
    EXPECT_EQ(failing.exitCode(), 3);

    QProcess succeeding;
    wrapper(succeeding, QStringLiteral("0"));
    ASSERT_TRUE(succeeding.waitForFinished(5000)) << "waited although the encoder succeeded";
    EXPECT_EQ(succeeding.exitCode(), 0);
    // Not a terminal: each line as a terminal would finally show it.
    const QByteArray logged = succeeding.readAll();
    EXPECT_TRUE(logged.contains("\nencoding a b.wav\n")) << logged.toStdString();
    EXPECT_FALSE(logged.contains("10%") || logged.contains('\x1b')) << logged.toStdString();

    QProcess missing;
    missing.setProcessChannelMode(QProcess::MergedChannels);
    missing.setStandardInputFile(QProcess::nullDevice());  // as in the log: no Enter to wait for
    missing.start(testsupport::buildPath(QStringLiteral("OndrixMP3")),
                  {QString::fromLatin1(kConsoleWrapperArgument), work.file("none")});
    ASSERT_TRUE(missing.waitForFinished(5000));
    EXPECT_EQ(missing.exitCode(), 127);
    EXPECT_TRUE(missing.readAll().contains("could not be started"));
}

}  // namespace

#include "converter_e2e_test.moc"
