#include "platform/shell.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>

#include "platform/shell_plan.h"
#include "support/processes.h"
#include "support/temp_folder.h"

using namespace ondrix;
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

QStringList argumentsSeenIn(const TempFolder& work) {
    if (!testsupport::waitUntil([&] { return QFile::exists(work.file("args.txt")); }, 10000))
        return {QStringLiteral("<program did not run>")};
    return QString::fromUtf8(work.read("args.txt")).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// Sets an environment variable for the life of the object.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        value.isNull() ? qunsetenv(name) : qputenv(name, value);
    }
    ~ScopedVariable() { had_ ? qputenv(name_, old_) : qunsetenv(name_); }

  private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

}  // namespace

TEST(ShellOpen, ParameterTextReachesTheProgramAsWindowsArgumentsWithoutAShell) {
    TempFolder work;
    installProgram(work, QStringLiteral("recorder"));
    ScopedVariable noDesktop("DISPLAY", QByteArray());
    const int result =
        shellExecute(0, QStringLiteral("Open"), QStringLiteral("recorder.exe"),
                     QStringLiteral(R"(-h -b 128 "my song.wav" out;rm -rf $(id) x.mp3)"),
                     work.path(), kShowNormal);
    EXPECT_EQ(result, kShellStarted);
    EXPECT_EQ(argumentsSeenIn(work),
              (QStringList{"-h", "-b", "128", "my song.wav", "out;rm", "-rf", "$(id)", "x.mp3"}));
}

TEST(ShellOpen, FindsProgramsInFolderProgramFolderAndPathWithAndWithoutExe) {
    for (const QString where : {"directory", "program folder", "PATH"}) {
        for (const QString installedAs : {"enc.exe", "enc"}) {
            SCOPED_TRACE((where + QLatin1Char(' ') + installedAs).toStdString());
            TempFolder work, programs, onPath;
            const TempFolder& home = where == QLatin1String("directory") ? work
                                     : where == QLatin1String("PATH")    ? onPath
                                                                         : programs;
            installProgram(home, installedAs);
            const ShellEnvironment environment{programs.path(), {onPath.path()}, {}};
            const auto launch = planShellOpen(
                QStringLiteral("enc.exe"), QStringLiteral("-V 2 a.wav"), work.path(), environment);
            ASSERT_TRUE(launch);
            EXPECT_EQ(launch->program, home.file(installedAs));
            EXPECT_EQ(launch->workingDirectory, work.path());
            ASSERT_TRUE(startLaunch(*launch));
            EXPECT_EQ(argumentsSeenIn(work), (QStringList{"-V", "2", "a.wav"}));
        }
    }
}

TEST(ShellOpen, GivenFolderComesFirstAndOnlyRunnableFilesCount) {
    TempFolder work, programs, onPath;
    installProgram(programs, QStringLiteral("flac"));
    installProgram(onPath, QStringLiteral("flac"));
    onPath.write(QStringLiteral("lame"), kArgumentRecorder);  // not executable
    const ShellEnvironment environment{programs.path(), {onPath.path()}, {}};
    EXPECT_EQ(planShellOpen(QStringLiteral("flac.exe"), {}, work.path(), environment)->program,
              programs.file(QStringLiteral("flac")));
    installProgram(work, QStringLiteral("flac"));
    EXPECT_EQ(planShellOpen(QStringLiteral("flac.exe"), {}, work.path(), environment)->program,
              work.file(QStringLiteral("flac")));
    EXPECT_FALSE(planShellOpen(QStringLiteral("lame.exe"), {}, work.path(), environment));
    EXPECT_EQ(shellExecute(0, QStringLiteral("Open"), QStringLiteral("no-such-program.exe"), {},
                           work.path(), kShowNormal),
              kShellFileNotFound);
}

TEST(ShellOpen, DebianEncodersAreFoundUnderTheirWindowsNames) {
    ScopedVariable noDesktop("DISPLAY", QByteArray());
    TempFolder work;
    const auto launch = planShellOpen(QStringLiteral("lame.exe"), QStringLiteral("--help"),
                                      work.path(), currentShellEnvironment());
    ASSERT_TRUE(launch) << "lame is one of the packages the tests need";
    EXPECT_TRUE(launch->program.endsWith(QLatin1String("/lame")));
    EXPECT_EQ(launch->arguments, QStringList{QStringLiteral("--help")});
}

TEST(ShellOpen, DocumentsAndWebAddressesGoToXdgOpen) {
    TempFolder work;
    work.write(QStringLiteral("!rkeys.txt"), "+\r\n");
    const ShellEnvironment environment{work.path(), {}, {}};
    auto target = [&](const QString& file) {
        const auto launch =
            planShellOpen(file, QStringLiteral("ignored"), work.path(), environment);
        if (!launch) return QStringList{QStringLiteral("<nothing>")};
        return QStringList{launch->program} + launch->arguments;
    };
    EXPECT_EQ(target(QStringLiteral("!rkeys.txt")),
              (QStringList{"xdg-open", work.file(QStringLiteral("!rkeys.txt"))}));
    EXPECT_EQ(target(work.file(QStringLiteral("!rkeys.txt"))),
              (QStringList{"xdg-open", work.file(QStringLiteral("!rkeys.txt"))}));
    EXPECT_EQ(target(QStringLiteral("https://radio.example/live?x=1")),
              (QStringList{"xdg-open", "https://radio.example/live?x=1"}));
    EXPECT_EQ(target(QStringLiteral("www.ondrix.example")),
              (QStringList{"xdg-open", "http://www.ondrix.example"}));
    EXPECT_EQ(target(QStringLiteral("stream.radio.example:8000/live")),
              (QStringList{"xdg-open", "http://stream.radio.example:8000/live"}));
    // A missing document is not mistaken for a web address.
    EXPECT_EQ(target(QStringLiteral("infoondrix3.txt")), QStringList{QStringLiteral("<nothing>")});
    EXPECT_EQ(target(QString()), QStringList{QStringLiteral("<nothing>")});
    EXPECT_EQ(target(QStringLiteral("www.two words.example")),
              QStringList{QStringLiteral("<nothing>")});
}

TEST(ShellOpen, ConsoleProgramsStartInsideTheTerminalEmulator) {
    TempFolder work;
    installProgram(work, QStringLiteral("console"));
    installProgram(work, QStringLiteral("windowed"),
                   QByteArray("\x7f"
                              "ELF",
                              4) +
                       QByteArray(64, '\0') + "libxcb.so.1");
    const ShellEnvironment environment{
        work.path(), {}, QStringLiteral("/usr/bin/x-terminal-emulator")};
    const auto console =
        planShellOpen(QStringLiteral("console.exe"), QStringLiteral(R"(-V 2 "a b.wav")"),
                      work.path(), environment);
    ASSERT_TRUE(console);
    EXPECT_EQ(console->program, QStringLiteral("/usr/bin/x-terminal-emulator"));
    EXPECT_EQ(console->arguments,
              (QStringList{"-e", work.file(QStringLiteral("console")), "-V", "2", "a b.wav"}));
    EXPECT_EQ(planShellOpen(QStringLiteral("windowed"), {}, work.path(), environment)->program,
              work.file(QStringLiteral("windowed")));
    EXPECT_FALSE(isConsoleProgram(QCoreApplication::applicationFilePath()));  // links Qt's GUI
}
