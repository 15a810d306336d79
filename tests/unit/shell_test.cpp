#include "platform/shell.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTest>

#include "console/desktop_notice.h"
#include "platform/shell_plan.h"
#include "platform/terminal_text.h"
#include "support/processes.h"
#include "support/temp_folder.h"

using namespace ondrix;
using testsupport::CurrentDirectory;
using testsupport::ScopedVariable;
using testsupport::TempFolder;

namespace {

// Writes its arguments one per line to args.txt in its working folder; the
// file appears complete or not at all.
const QByteArray kArgumentRecorder =
    "#!/bin/sh\nprintf '%s\\n' \"$@\" > args.part && mv args.part args.txt\n";

void installProgram(const TempFolder& folder, const QString& name,
                    const QByteArray& content = kArgumentRecorder) {
    folder.write(name, content);
    QFile::setPermissions(folder.file(name), QFile::permissions(folder.file(name)) |
                                                 QFileDevice::ExeOwner | QFileDevice::ExeGroup |
                                                 QFileDevice::ExeOther);
}

QStringList asText(const QList<QByteArray>& arguments) {
    QStringList text;
    for (const QByteArray& argument : arguments) text << QString::fromUtf8(argument);
    return text;
}

QStringList argumentsSeenIn(const TempFolder& work) {
    if (!QTest::qWaitFor([&] { return QFile::exists(work.file("args.txt")); }, 10000))
        return {QStringLiteral("<program did not run>")};
    return QString::fromUtf8(work.read("args.txt")).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

}  // namespace

TEST(ShellOpen, ParameterTextReachesTheProgramAsWindowsArgumentsWithoutAShell) {
    TempFolder work, programs, state;
    installProgram(programs, QStringLiteral("recorder"));
    ScopedVariable noDesktop("DISPLAY", QByteArray());
    ScopedVariable path("PATH", programs.path().toLocal8Bit() + ':' + qgetenv("PATH"));
    ScopedVariable log("XDG_STATE_HOME", state.path().toLocal8Bit());
    const ShellResult result = shellRunProgram(
        0, QStringLiteral("recorder.exe"),
        QStringLiteral(R"(-h -b 128 "my song.wav" out;rm -rf $(id) x.mp3)"), work.path());
    EXPECT_EQ(result, ShellResult::Started);
    EXPECT_EQ(argumentsSeenIn(work),
              (QStringList{"-h", "-b", "128", "my song.wav", "out;rm", "-rf", "$(id)", "x.mp3"}));
}

TEST(ShellOpen, FindsProgramsInProgramFolderAndPathWithAndWithoutExe) {
    for (const QString where : {"program folder", "PATH"}) {
        for (const QString installedAs : {"enc.exe", "enc"}) {
            SCOPED_TRACE((where + QLatin1Char(' ') + installedAs).toStdString());
            TempFolder work, programs, onPath;
            const TempFolder& home = where == QLatin1String("PATH") ? onPath : programs;
            installProgram(home, installedAs);
            const ShellEnvironment environment{.programFolder = programs.path(),
                                               .pathFolders = {onPath.path()}};
            const auto launch = planProgramRun(
                QStringLiteral("enc.exe"), QStringLiteral("-V 2 a.wav"), work.path(), environment);
            ASSERT_TRUE(launch);
            EXPECT_EQ(launch->program, home.file(installedAs));
            EXPECT_EQ(launch->workingDirectory, work.path());
            ASSERT_TRUE(startLaunch(*launch));
            EXPECT_EQ(argumentsSeenIn(work), (QStringList{"-V", "2", "a.wav"}));
        }
    }
}

TEST(ShellOpen, ProgramFolderComesFirstAndTheWorkingDirectoryNeverCounts) {
    TempFolder work, programs, onPath;
    installProgram(onPath, QStringLiteral("flac"));
    for (const QString planted : {"flac", "flac.exe", "lame", "lame.exe"})
        installProgram(work, planted);
    onPath.write(QStringLiteral("lame"), kArgumentRecorder);  // not executable
    const ShellEnvironment environment{.programFolder = programs.path(),
                                       .pathFolders = {onPath.path()}};
    EXPECT_EQ(planProgramRun(QStringLiteral("flac.exe"), {}, work.path(), environment)->program,
              onPath.file(QStringLiteral("flac")));
    installProgram(programs, QStringLiteral("flac"));
    EXPECT_EQ(planProgramRun(QStringLiteral("flac.exe"), {}, work.path(), environment)->program,
              programs.file(QStringLiteral("flac")));
    EXPECT_FALSE(planProgramRun(QStringLiteral("lame.exe"), {}, work.path(), environment));
    EXPECT_FALSE(planProgramRun(QStringLiteral("lame"), {}, work.path(), environment));
    // A relative PATH entry names the working directory as well.
    CurrentDirectory here(work.path());
    const ShellEnvironment relative{.pathFolders = {QStringLiteral("."), QStringLiteral("bin")}};
    EXPECT_FALSE(planProgramRun(QStringLiteral("lame.exe"), {}, work.path(), relative));
    EXPECT_EQ(shellRunProgram(0, QStringLiteral("no-such-program.exe"), {}, work.path()),
              ShellResult::NotFound);
}

TEST(ShellOpen, ProgramNameWithAFolderIsOnlyLookedForWhereItSays) {
    TempFolder work, programs, onPath;
    for (const TempFolder* folder : {&programs, &onPath}) {
        ASSERT_TRUE(QDir(folder->path()).mkdir(QStringLiteral("bin")));
        installProgram(*folder, QStringLiteral("bin/enc"));
        installProgram(*folder, QStringLiteral("enc"));
    }
    const ShellEnvironment environment{.programFolder = programs.path(),
                                       .pathFolders = {onPath.path()}};
    EXPECT_FALSE(planProgramRun(QStringLiteral("bin/enc.exe"), {}, work.path(), environment));
    EXPECT_FALSE(planProgramRun(QStringLiteral("./enc"), {}, work.path(), environment));
    EXPECT_EQ(
        planProgramRun(onPath.file(QStringLiteral("bin/enc.exe")), {}, work.path(), environment)
            ->program,
        onPath.file(QStringLiteral("bin/enc")));
    ASSERT_TRUE(QDir(work.path()).mkdir(QStringLiteral("bin")));
    installProgram(work, QStringLiteral("bin/enc"));
    EXPECT_EQ(planProgramRun(QStringLiteral("bin/enc.exe"), {}, work.path(), environment)->program,
              work.file(QStringLiteral("bin/enc")));
}

TEST(ShellOpen, DebianEncodersAreFoundUnderTheirWindowsNames) {
    ScopedVariable noDesktop("DISPLAY", QByteArray());
    TempFolder work;
    const auto launch = planProgramRun(QStringLiteral("lame.exe"), QStringLiteral("--help"),
                                       work.path(), currentShellEnvironment());
    ASSERT_TRUE(launch) << "lame is one of the packages the tests need";
    EXPECT_TRUE(launch->program.endsWith(QLatin1String("/lame")));
    EXPECT_EQ(launch->arguments, QList<QByteArray>{"--help"});
}

TEST(ShellOpen, DocumentsAndWebAddressesGoToXdgOpen) {
    TempFolder work;
    work.write(QStringLiteral("!rkeys.txt"), "+\r\n");
    work.write(QStringLiteral("c:song.wav"), "RIFF");
    const ShellEnvironment environment{.programFolder = work.path()};
    auto target = [&](const QString& file) {
        const auto launch = planDocumentOpen(file, work.path(), environment);
        if (!launch) return QStringList{QStringLiteral("<nothing>")};
        return QStringList{launch->program} + asText(launch->arguments);
    };
    EXPECT_EQ(target(QStringLiteral("!rkeys.txt")),
              (QStringList{"xdg-open", work.file(QStringLiteral("!rkeys.txt"))}));
    EXPECT_EQ(target(work.file(QStringLiteral("!rkeys.txt"))),
              (QStringList{"xdg-open", work.file(QStringLiteral("!rkeys.txt"))}));
    // A one-letter prefix is a drive or part of the name, never a scheme.
    EXPECT_EQ(target(QStringLiteral("c:song.wav")),
              (QStringList{"xdg-open", work.file(QStringLiteral("c:song.wav"))}));
    EXPECT_EQ(target(QStringLiteral("x:notes.txt")), QStringList{QStringLiteral("<nothing>")});
    EXPECT_EQ(target(QStringLiteral("https://radio.example/live?x=1")),
              (QStringList{"xdg-open", "https://radio.example/live?x=1"}));
    EXPECT_EQ(target(QStringLiteral("www.ondrix.example")),
              (QStringList{"xdg-open", "http://www.ondrix.example"}));
    EXPECT_EQ(target(QStringLiteral("stream.radio.example:8000/live")),
              (QStringList{"xdg-open", "http://stream.radio.example:8000/live"}));
    // A missing document is not mistaken for a web address.
    EXPECT_EQ(target(QStringLiteral("infoondrix3.txt")), QStringList{QStringLiteral("<nothing>")});
    EXPECT_EQ(target(QString()), QStringList{QStringLiteral("<nothing>")});
    // A program's name is no document: neither started nor handed on.
    installProgram(work, QStringLiteral("enc"));
    EXPECT_EQ(target(QStringLiteral("enc.exe")), QStringList{QStringLiteral("<nothing>")});
    EXPECT_EQ(target(QStringLiteral("enc")), QStringList{QStringLiteral("<nothing>")});
    EXPECT_EQ(target(QStringLiteral("www.two words.example")),
              QStringList{QStringLiteral("<nothing>")});
}

TEST(ShellOpen, ConsoleProgramsRunThroughTheWrapperInATerminalOrIntoALog) {
    TempFolder work;
    installProgram(work, QStringLiteral("console"));
    installProgram(work, QStringLiteral("windowed"),
                   QByteArray("\x7f"
                              "ELF",
                              4) +
                       QByteArray(64, '\0') + "libxcb.so.1");
    const QString console = work.file(QStringLiteral("console"));
    const QString wrapperMode = QString::fromLatin1(kConsoleWrapperArgument);
    ShellEnvironment environment{.programFolder = work.path(),
                                 .terminalEmulator = QStringLiteral("/usr/bin/x-terminal-emulator"),
                                 .consoleWrapper = QStringLiteral("/opt/ondrix/OndrixMP3"),
                                 .logFolder = QStringLiteral("/state/ondrix")};
    auto plan = [&](const QString& file) {
        const auto launch = planProgramRun(file, QStringLiteral(R"(-V 2 "a b.wav")"), work.path(),
                                           environment, "a b.mp3");
        return launch ? QStringList{launch->program} + asText(launch->arguments) +
                            QStringList{QStringLiteral("log:") + launch->outputLog}
                      : QStringList{QStringLiteral("<nothing>")};
    };
    EXPECT_EQ(plan(QStringLiteral("console.exe")),
              (QStringList{"/usr/bin/x-terminal-emulator", "-e", "/opt/ondrix/OndrixMP3",
                           wrapperMode, console, "-V", "2", "a b.wav", "log:"}));
    EXPECT_EQ(plan(QStringLiteral("windowed")),
              (QStringList{work.file(QStringLiteral("windowed")), "-V", "2", "a b.wav", "log:"}));
    environment.terminalEmulator.clear();
    // Without a terminal its end is told on the desktop, naming what it wrote.
    EXPECT_EQ(plan(QStringLiteral("console.exe")),
              (QStringList{"/opt/ondrix/OndrixMP3", wrapperMode, kEndNoticeArgument, "a b.mp3",
                           "/state/ondrix/console.log", console, "-V", "2", "a b.wav",
                           "log:/state/ondrix/console.log"}));
    environment.consoleWrapper.clear();
    EXPECT_EQ(plan(QStringLiteral("console.exe")),
              (QStringList{console, "-V", "2", "a b.wav", "log:/state/ondrix/console.log"}));
    EXPECT_FALSE(isConsoleProgram(QCoreApplication::applicationFilePath()));  // links Qt's GUI

    ScopedVariable state("XDG_STATE_HOME", "relative/state");
    EXPECT_EQ(currentShellEnvironment().logFolder, QDir::homePath() + "/.local/state/ondrix");
    ScopedVariable absolute("XDG_STATE_HOME", work.path().toLocal8Bit());
    EXPECT_EQ(currentShellEnvironment().logFolder, work.file(QStringLiteral("ondrix")));
}

// A console encoder's end as the desktop tells it: what it wrote, or why it
// stopped and where its log is.
TEST(ProgramEndNotice, SaysWhatWasWrittenOrWhyItStoppedAndWhere) {
    const struct {
        const char *program, *failure, *output, *log, *summary, *body;
    } rows[] = {
        {"/usr/bin/lame", "", "/home/ann/Music/a.mp3", "/home/ann/.local/state/ondrix/lame.log",
         "a.mp3 written", "~/Music/a.mp3"},
        {"/opt/flac.exe", "stopped with status 1", "/home/ann/a.flac",
         "/home/ann/.local/state/ondrix/flac.log", "FLAC stopped with status 1",
         "See ~/.local/state/ondrix/flac.log"},
        {"/usr/bin/lame", "", "", "/state/lame.log", "LAME finished", ""},
        // A file name shows its controls visibly, as in the window's lists.
        {"/usr/bin/lame", "", "/home/anna/x\n\x1b[2J.mp3", "", "x\u240A\u241B[2J.mp3 written",
         "/home/anna/x\u240A\u241B[2J.mp3"},
    };
    for (const auto& row : rows) {
        const DesktopNotice notice = programEndNotice(
            QString::fromUtf8(row.program), QString::fromUtf8(row.failure),
            QString::fromUtf8(row.output), QString::fromUtf8(row.log), QStringLiteral("/home/ann"));
        EXPECT_EQ(notice.summary, QString::fromUtf8(row.summary));
        EXPECT_EQ(notice.body, QString::fromUtf8(row.body)) << row.summary;
    }
}

TEST(ShellRun, AProgramNotFoundIsMissingEvenWhenTheDataFolderHoldsItsName) {
    TempFolder work, programs;
    // An executable text file and a Windows program, as a WAV folder may hold.
    installProgram(work, QStringLiteral("lame.exe"), "lame -V2 a.wav\n");
    installProgram(work, QStringLiteral("flac.exe"), QByteArray("MZ\x90\0\3\0", 6));
    const ShellEnvironment environment{.programFolder = programs.path()};
    for (const QString name : {"lame.exe", "flac.exe", "./lame.exe", "./flac.exe"})
        EXPECT_FALSE(planProgramRun(name, {}, work.path(), environment)) << name.toStdString();
}

// Output a log keeps: what a terminal finally shows, without its controls.
TEST(TerminalText, KeepsTheLastStateOfEachLine) {
    const struct {
        std::vector<QByteArray> pieces;
        QByteArray log;
    } cases[] = {
        {{"10% done\r55% done\r100% done\nok\n"}, "100% done\nok\n"},
        {{"wrote\x1b[1;31m 5\x1b[0m bytes\n"}, "wrote 5 bytes\n"},
        // LAME redraws its progress block after three cursor moves up.
        {{"Frame\n 0/\r\n00--\x1b[K\n kbps\x1b[K\n 0.0\x1b[K\x1b[A\x1b[A\x1b[A",
          "\r 4/4\n----\x1b[K\n kbps\x1b[K\n 64.0\x1b[K\nWriting LAME Tag...done\n"},
         "Frame\n 4/4\n----\n kbps\n 64.0\nWriting LAME Tag...done\n"},
        // An escape sequence split between reads; erasing leaves the cursor.
        {{"a\x1b[", "2Kb\x1b", "[Kc\n"}, " bc\n"},
        {{"abcdef\rxy\x1b[K\n\tz\bZ"}, "xy\n        Z\n"},
        {{"title\x1b]0;x\ain\n"}, "titlein\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.log.toStdString());
        TerminalText text;
        QByteArray log;
        for (const QByteArray& piece : c.pieces) log += text.feed(piece);
        log += text.finish();
        EXPECT_EQ(log, c.log);
    }
    // Lines out of a progress display's reach are given out at once.
    TerminalText text;
    EXPECT_EQ(text.feed(QByteArray("line\n").repeated(20)), QByteArray("line\n").repeated(12));
}

TEST(TerminalText, ALogOverTheLimitLosesItsOlderHalfAtALineStart) {
    TempFolder state;
    QByteArray lines;
    for (int i = 0; i < 2000; ++i) lines += "line " + QByteArray::number(i) + '\n';
    state.write(QStringLiteral("small.log"), lines);
    state.write(QStringLiteral("big.log"), lines);
    keepLogUnder(state.file(QStringLiteral("small.log")), lines.size());
    EXPECT_EQ(state.read(QStringLiteral("small.log")), lines);
    keepLogUnder(state.file(QStringLiteral("big.log")), lines.size() - 1);
    const QByteArray kept = state.read(QStringLiteral("big.log"));
    EXPECT_LE(kept.size(), lines.size() / 2);
    EXPECT_GT(kept.size(), lines.size() / 2 - 20);
    EXPECT_TRUE(lines.endsWith(kept));
    EXPECT_TRUE(kept.startsWith("line ")) << kept.left(20).toStdString();
}
