#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTest>
#include <QThread>
#include <cmath>
#include <csignal>
#include <cstring>
#include <vector>

#include "converters/mp3.h"
#include "platform/command_line.h"
#include "recorder/capture.h"
#include "support/accessibility.h"
#include "support/processes.h"
#include "support/suite_paths.h"
#include "support/temp_folder.h"

namespace {

using namespace ondrix;
using namespace testsupport;

// A private PulseAudio server with one null sink, on a runtime folder of
// its own; the test's recorder and players reach it through the environment.
class PulseServer {
  public:
    PulseServer() {
        QDir(folder.path()).mkpath(QStringLiteral("home/.config"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder.path());
        env.insert(QStringLiteral("PULSE_RUNTIME_PATH"), folder.file(QStringLiteral("pulse")));
        env.insert(QStringLiteral("PULSE_SERVER"),
                   QStringLiteral("unix:") + folder.file(QStringLiteral("native")));
        env.insert(QStringLiteral("HOME"), home());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home() + QStringLiteral("/.config"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        server.setProcessEnvironment(env);
        server.setStandardOutputFile(QProcess::nullDevice());
        server.setStandardErrorFile(folder.file(QStringLiteral("pulseaudio.log")));
        endWithParent(server);
        // A user server (root too) that stays for the whole test, whatever its clients do.
        server.start(
            QStringLiteral("pulseaudio"),
            {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--system=no"),
             QStringLiteral("--disallow-exit"), QStringLiteral("--exit-idle-time=-1"),
             QStringLiteral("--use-pid-file=no"), QStringLiteral("--log-level=error"),
             QStringLiteral("-L"), QStringLiteral("module-null-sink sink_name=ondrix_test"),
             QStringLiteral("-L"),
             QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=") +
                 folder.file(QStringLiteral("native"))});
        ready = server.waitForStarted(10000) &&
                QTest::qWaitFor(
                    [&] {
                        return runCommand(QStringLiteral("pactl"), {QStringLiteral("info")}, env,
                                          nullptr, 5000) == 0;
                    },
                    15000);
    }
    ~PulseServer() {
        server.terminate();
        if (!server.waitForFinished(5000)) server.kill();
        server.waitForFinished(2000);
    }
    QString home() const { return folder.file(QStringLiteral("home")); }
    QStringList recordings() const {
        return QDir(home()).entryList({QStringLiteral("OndrixRec-*.wav")}, QDir::Files);
    }
    // Plays a sine tone of that many seconds, Hz and volume (1 full scale)
    // into the server's sink with a short latency, which wakes the null sink
    // often, as a sound card would.
    void playTone(QProcess& player, int seconds, int hz, double volume) const {
        const QString tone = folder.file(QStringLiteral("tone-%1.wav").arg(hz));
        ASSERT_EQ(runCommand(QStringLiteral("sox"),
                             {"-n", "-r", "44100", "-c", "2", "-b", "16", tone, "synth",
                              QString::number(seconds), "sine", QString::number(hz), "vol",
                              QString::number(volume)}),
                  0);
        player.setProcessEnvironment(env);
        endWithParent(player);
        player.start(QStringLiteral("paplay"), {QStringLiteral("--latency-msec=50"), tone});
        ASSERT_TRUE(player.waitForStarted(10000));
    }
    // The server's environment for a window on a real display.
    QProcessEnvironment onDisplay(const Xvfb& x) const {
        QProcessEnvironment withDisplay = env;
        withDisplay.insert(QStringLiteral("DISPLAY"), x.display());
        withDisplay.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        return withDisplay;
    }
    // The recorder, started with the server's environment in the home folder.
    void startRecorder(QProcess& recorder, const QProcessEnvironment& with) const {
        recorder.setProcessEnvironment(with);
        recorder.setWorkingDirectory(home());
        endWithParent(recorder);
        recorder.start(testsupport::buildPath(QStringLiteral("OndrixWRec")), {});
        ASSERT_TRUE(recorder.waitForStarted(10000));
    }

    TempFolder folder;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QProcess server;
    bool ready = false;
};

// The frequency, in steps of 10 Hz up to 5 kHz, that holds the most energy
// in the left channel of the last 16384 frames of a 16-bit stereo WAV file.
int strongestFrequency(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return -1;
    const QByteArray bytes = file.readAll();
    quint32 dataBytes = 0;
    std::memcpy(&dataBytes, bytes.constData() + 40, 4);
    const qsizetype frames = std::min<qsizetype>(dataBytes, bytes.size() - 44) / 4;
    if (frames < 16384) return -1;
    std::vector<double> left;
    for (qsizetype i = frames - 16384; i < frames; ++i) {
        qint16 sample;
        std::memcpy(&sample, bytes.constData() + 44 + i * 4, 2);
        left.push_back(sample);
    }
    int best = -1;
    double bestPower = 0;
    for (int hz = 10; hz <= 5000; hz += 10) {
        // Goertzel: one bin of a DFT.
        const double coefficient = 2 * std::cos(2 * M_PI * hz / kRecordRate);
        double s1 = 0, s2 = 0;
        for (double x : left) {
            const double s0 = x + coefficient * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
        if (power > bestPower) bestPower = power, best = hz;
    }
    return best;
}

double soxSeconds(const QString& path) {
    QString output;
    if (runCommand(QStringLiteral("soxi"), {QStringLiteral("-D"), path},
                   QProcessEnvironment::systemEnvironment(), &output) != 0)
        return -1;
    return output.trimmed().toDouble();
}

TEST(RecorderEndToEnd, RecordsWhatPlaysAndAKillLeavesAValidFile) {
    for (const char* program : {"pulseaudio", "paplay", "sox", "lame"})
        if (!haveProgram(QString::fromLatin1(program))) GTEST_SKIP() << "needs " << program;
    PulseServer pulse;
    ASSERT_TRUE(pulse.ready) << "pulseaudio did not start";
    QProcess player;
    pulse.playTone(player, 20, 1000, 0.5);
    // The null sink starts with blocks of two seconds; the first must pass.
    QThread::msleep(2000);

    QProcess recorder;
    pulse.startRecorder(recorder, pulse.env);
    QThread::msleep(2500);
    ::kill(static_cast<pid_t>(recorder.processId()), SIGKILL);
    recorder.waitForFinished(5000);
    player.kill();
    player.waitForFinished(5000);

    const QStringList files = pulse.recordings();
    ASSERT_EQ(files.size(), 1) << files.join(QLatin1Char(' ')).toStdString();
    const QString path = QDir(pulse.home()).filePath(files.constFirst());
    EXPECT_EQ(runCommand(QStringLiteral("sox"), {path, QStringLiteral("-n")}), 0);
    EXPECT_GE(soxSeconds(path), 1.5);
    EXPECT_EQ(strongestFrequency(path), 1000);

    // The recording is what the MP3 converter takes: its "CD Q" text runs LAME.
    const QStringList lameArguments = splitWindowsCommandLine(
        cbrParameterText(files.constFirst(), QStringLiteral("recording.mp3")).text());
    QProcess lame;
    lame.setWorkingDirectory(pulse.home());
    lame.start(QStringLiteral("lame"), lameArguments);
    ASSERT_TRUE(lame.waitForFinished(30000));
    EXPECT_EQ(lame.exitCode(), 0) << lame.readAllStandardError().toStdString();
    EXPECT_GT(QFile(QDir(pulse.home()).filePath(QStringLiteral("recording.mp3"))).size(), 10000);

    // The killed recorder's lock and socket do not keep the next one from recording.
    QProcess next;
    pulse.startRecorder(next, pulse.env);
    EXPECT_TRUE(QTest::qWaitFor([&] { return pulse.recordings().size() == 2; }, 15000));
    EXPECT_EQ(next.state(), QProcess::Running);
    next.terminate();
    EXPECT_TRUE(next.waitForFinished(5000));
}

// Bytes of a file, 0 when it is missing.
qint64 fileSize(const QString& path) {
    return QFileInfo(path).size();
}

// A finished WAV file: its header counts exactly the sound it holds.
bool headerCountsTheFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray header = file.read(44);
    quint32 dataBytes = 0;
    std::memcpy(&dataBytes, header.constData() + 40, 4);
    return dataBytes > 0 && file.size() == 44 + qint64(dataBytes);
}

// The recorder under Xvfb, clicked as a user would, recording a quiet
// stream: a second start leaves the first alone, Stop then Record writes a
// second file, and the level bar shows the quiet sound.
TEST(RecorderEndToEnd, SecondStartLeavesOneRecorderAndStopThenRecordMakesASecondFile) {
    for (const char* program :
         {"pulseaudio", "paplay", "pactl", "sox", "Xvfb", "xdotool", "import"})
        if (!haveProgram(QString::fromLatin1(program))) GTEST_SKIP() << "needs " << program;
    PulseServer pulse;
    ASSERT_TRUE(pulse.ready) << "pulseaudio did not start";
    Xvfb x;
    QProcessEnvironment env = pulse.onDisplay(x);
    const auto xdotool = [&](const QStringList& arguments) {
        QString output;
        runCommand(QStringLiteral("xdotool"), arguments, env, &output, 10000);
        return output.trimmed();
    };
    // The recorder's streams at the sound server: one while it records.
    const auto recordStreams = [&] {
        QString output;
        runCommand(
            QStringLiteral("pactl"),
            {QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("source-outputs")},
            pulse.env, &output, 5000);
        return output.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size();
    };

    // A 440 Hz tone at -46 dBFS, well under the "quiet" line of -40.
    QProcess player;
    pulse.playTone(player, 120, 440, 0.005);

    QProcess recorder;
    pulse.startRecorder(recorder, env);
    QString id;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            id = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                          QStringLiteral("--name"), QStringLiteral("Ondrix WRec")});
            return !id.isEmpty() && !pulse.recordings().isEmpty();
        },
        15000))
        << "window " << id.toStdString() << ", running " << (recorder.state() == QProcess::Running)
        << ": " << recorder.readAllStandardError().toStdString();
    const QString first = QDir(pulse.home()).filePath(pulse.recordings().constFirst());

    QProcess second;
    pulse.startRecorder(second, env);
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(recorder.state(), QProcess::Running);
    EXPECT_EQ(pulse.recordings().size(), 1);
    EXPECT_EQ(recordStreams(), 1);
    const qint64 before = fileSize(first);
    EXPECT_TRUE(QTest::qWaitFor([&] { return fileSize(first) > before; }, 10000));

    // Ten seconds of quiet sound make the window say "quiet", in pale yellow
    // right of the bar (304..364, 118..137 pixels).
    const QString shot = testsupport::buildPath(QStringLiteral("recorder-quiet.png"));
    QImage image;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            image = QImage();
            if (fileSize(first) > 44 + 10 * qint64(kRecordBytesPerSecond) &&
                runCommand(QStringLiteral("import"), {QStringLiteral("-window"), id, shot}, env) ==
                    0)
                image.load(shot);
            return !image.isNull() && !image.copy(304, 118, 60, 19).allGray();
        },
        40000));
    // The bar (16, 120, 280 x 15 pixels) is lit at -46 dBFS, a quarter of its length.
    EXPECT_EQ(image.pixelColor(16 + 40, 127), QColor(0, 200, 0));
    EXPECT_EQ(image.pixelColor(16 + 200, 124), QColor(64, 64, 64));

    // LabelStop (240, 2760, 1695 x 375 twips), clicked at two places far
    // enough apart that the second click is no double-click.
    const auto clickStop = [&](int left) {
        xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), id, QString::number(left),
                 QStringLiteral("196"), QStringLiteral("click"), QStringLiteral("1")});
    };
    clickStop(40);
    ASSERT_TRUE(QTest::qWaitFor([&] { return recordStreams() == 0; }, 10000));
    EXPECT_TRUE(headerCountsTheFile(first));
    clickStop(100);  // now "Record"
    ASSERT_TRUE(QTest::qWaitFor([&] { return pulse.recordings().size() == 2; }, 10000));
    QString next;
    for (const QString& name : pulse.recordings())
        if (QDir(pulse.home()).filePath(name) != first) next = QDir(pulse.home()).filePath(name);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return fileSize(next) > 44 + kRecordBytesPerSecond; }, 15000));
    recorder.terminate();
    ASSERT_TRUE(recorder.waitForFinished(5000));
    EXPECT_EQ(recorder.exitCode(), 0);
    player.kill();
    player.waitForFinished(5000);
    for (const QString& path : {first, next}) {
        EXPECT_TRUE(headerCountsTheFile(path)) << path.toStdString();
        EXPECT_EQ(runCommand(QStringLiteral("sox"), {path, QStringLiteral("-n")}), 0);
    }
    EXPECT_GE(soxSeconds(first), 10);
    EXPECT_GE(soxSeconds(next), 1);
}

TEST(RecorderEndToEnd, SigtermFinishesTheFileAndNoServerWritesNothing) {
    if (!haveProgram(QStringLiteral("pulseaudio"))) GTEST_SKIP() << "needs pulseaudio";
    PulseServer pulse;
    ASSERT_TRUE(pulse.ready) << "pulseaudio did not start";
    QProcess recorder;
    pulse.startRecorder(recorder, pulse.env);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !pulse.recordings().isEmpty(); }, 10000));
    QThread::msleep(1000);
    recorder.terminate();
    ASSERT_TRUE(recorder.waitForFinished(5000));
    EXPECT_EQ(recorder.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(recorder.exitCode(), 0);
    const QString path = QDir(pulse.home()).filePath(pulse.recordings().constFirst());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray header = file.read(44);
    quint32 dataBytes = 0;
    std::memcpy(&dataBytes, header.constData() + 40, 4);
    EXPECT_GT(dataBytes, 0u);
    EXPECT_EQ(file.size(), 44 + qint64(dataBytes));

    // No server where the environment points: a message, no file, a normal end.
    TempFolder away;
    QProcessEnvironment unreachable = pulse.env;
    unreachable.insert(QStringLiteral("PULSE_SERVER"),
                       QStringLiteral("unix:") + away.file(QStringLiteral("none")));
    QFile::remove(path);
    QProcess lonely;
    pulse.startRecorder(lonely, unreachable);
    QThread::msleep(1000);
    lonely.terminate();
    ASSERT_TRUE(lonely.waitForFinished(5000));
    EXPECT_EQ(lonely.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(lonely.exitCode(), 0);
    EXPECT_TRUE(pulse.recordings().isEmpty());
    const QByteArray saved = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", unreachable.value(QStringLiteral("PULSE_SERVER")).toLocal8Bit());
    QString error;
    EXPECT_FALSE(makeDesktopCapture()->open(error));
    EXPECT_EQ(error, QStringLiteral("No sound server to record from"));
    if (saved.isNull())
        qunsetenv("PULSE_SERVER");
    else
        qputenv("PULSE_SERVER", saved);
}

// An assistive tool on the desktop's accessibility bus reads the level as
// text and presses the labels as clicks do; their names follow the captions.
TEST(RecorderEndToEnd, AssistiveToolsReadTheLevelAndPressTheLabels) {
    for (const char* program : {"pulseaudio", "paplay", "sox", "Xvfb"})
        if (!haveProgram(QString::fromLatin1(program))) GTEST_SKIP() << "needs " << program;
    AccessibilityBus a11y;
    if (!a11y.ready()) GTEST_SKIP() << "needs at-spi2-core and python3-pyatspi";
    PulseServer pulse;
    ASSERT_TRUE(pulse.ready) << "pulseaudio did not start";
    Xvfb x;
    QProcessEnvironment env = pulse.onDisplay(x);
    a11y.join(env);
    QProcess player;
    pulse.playTone(player, 60, 1000, 0.5);  // peaks at -6 dBFS

    QProcess recorder;
    pulse.startRecorder(recorder, env);
    const QString app = QStringLiteral("OndrixWRec");
    EXPECT_TRUE(a11y.waitForObjects(
        app, {"frame|Ondrix WRec", "push button|Stop", "push button|Open folder",
              "push button|Exit", "label|Recording", "filler|Level -6 dB"}))
        << a11y.objects(app).join(QLatin1Char('\n')).toStdString();

    ASSERT_TRUE(a11y.act(app, QStringLiteral("push button"), QStringLiteral("Stop")));
    EXPECT_TRUE(a11y.waitForObjects(app, {"push button|Record", "label|Stopped"}));
    ASSERT_TRUE(a11y.act(app, QStringLiteral("push button"), QStringLiteral("Exit")));
    EXPECT_TRUE(recorder.waitForFinished(10000)) << "Exit did not end the program";
    EXPECT_EQ(recorder.exitCode(), 0);
    EXPECT_EQ(pulse.recordings().size(), 1);
    player.kill();
    player.waitForFinished(5000);
}

}  // namespace
