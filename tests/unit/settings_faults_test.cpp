#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <functional>

#include "platform/runtime_error.h"
#include "player/settings/field_reader.h"
#include "player/settings/settings_files.h"
#include "support/fakes.h"
#include "support/temp_folder.h"

using namespace ondrix;
using testsupport::FakeSettingsHost;
using testsupport::TempFolder;

namespace {

using Loader = void (PlayerSettings::*)();

const std::pair<Loader, QString> kLoaders[] = {
    {&PlayerSettings::LoadStartPosition, kStartPositionFile},
    {&PlayerSettings::LoadTimeZone, kTimeZoneFile},
    {&PlayerSettings::LoadMovingText, kMovingTextFile},
    {&PlayerSettings::LoadRadioKeys, kRadioKeysFile},
};

// The error number the loader failed with, 0 when it succeeded.
int failure(PlayerSettings& settings, Loader load, const QString& file) {
    try {
        (settings.*load)();
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.file(), file);
        return error.number();
    }
    return 0;
}

// Runs check in a child process that a watchdog ends if it hangs, so that a
// loader stuck in a read fails the test instead of stopping the whole run.
// The child can also drop root to meet permissions as a user does.
int exitStatusOfChild(const std::function<int()>& check, bool asNobody = false) {
    const pid_t child = fork();
    if (child == 0) {
        alarm(20);
        if (asNobody && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(90);
        _exit(check());
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFSIGNALED(status)) return 100 + WTERMSIG(status);
    return WEXITSTATUS(status);
}

struct SettingsFaults : ::testing::Test {
    TempFolder folder;
    FakeSettingsHost host;
    PlayerSettings settings{host, folder.path()};
};

}  // namespace

TEST_F(SettingsFaults, ASettingsNameThatIsNoRegularFileIsAnAccessErrorWithoutBeingOpened) {
    // A pipe nobody writes to would keep an open waiting; /dev/zero never
    // ends. Either would freeze the window instead of reporting the file.
    const std::function<bool(const QString&)> makers[] = {
        [](const QString& path) { return QDir().mkdir(path); },
        [](const QString& path) { return mkfifo(QFile::encodeName(path).constData(), 0644) == 0; },
        [](const QString& path) { return QFile::link(QStringLiteral("/dev/zero"), path); },
        [](const QString& path) {
            sockaddr_un name{};
            name.sun_family = AF_UNIX;
            qstrncpy(name.sun_path, QFile::encodeName(path).constData(), sizeof name.sun_path);
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            const bool made = ::bind(fd, reinterpret_cast<sockaddr*>(&name), sizeof name) == 0;
            ::close(fd);
            return made;
        },
    };
    for (const auto& [load, file] : kLoaders) {
        for (const auto& make : makers) {
            const QString path = folder.file(file);
            ASSERT_TRUE(make(path)) << file.toStdString();
            EXPECT_EQ(exitStatusOfChild(
                          [&, load = load, file = file] { return failure(settings, load, file); }),
                      RuntimeError::PathFileAccessError)
                << file.toStdString();
            if (!QFile::remove(path)) QDir().rmdir(path);
        }
    }
}

TEST_F(SettingsFaults, AFileAboveTheLimitIsAnAccessErrorAndOneAtItReads) {
    for (const auto& [load, file] : kLoaders) {
        // A valid first record or value, then blank lines up to the size.
        QByteArray content = file == kRadioKeysFile ? "+\r\nName\r\nweb\r\nurl\r\n" : "1\r\n2\r\n";
        content.append(kSettingsFileLimit - content.size(), '\n');
        folder.write(file, content);
        EXPECT_EQ(failure(settings, load, file), 0) << file.toStdString();
        folder.write(file, content + "\n");
        EXPECT_EQ(failure(settings, load, file), RuntimeError::PathFileAccessError)
            << file.toStdString();
    }
}

TEST_F(SettingsFaults, AFileTheUserMayNotReadIsFileNotFound) {
    QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                             QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                             QFileDevice::ExeOther);
    for (const auto& [load, file] : kLoaders) {
        folder.write(file, "1\r\n2\r\n");
        QFile::setPermissions(folder.file(file), QFileDevice::WriteOwner);
        EXPECT_EQ(
            exitStatusOfChild(
                [&, load = load, file = file] { return failure(settings, load, file); }, true),
            RuntimeError::FileNotFound)
            << file.toStdString();
    }
}

TEST_F(SettingsFaults, AFileDeletedOrSpoiledBeforeAReloadLosesNothingReadEarlier) {
    folder.write(kStartPositionFile, "150\r\n300\r\n");
    folder.write(kTimeZoneFile, "2\r\n");
    folder.write(kMovingTextFile, "first text\r\n");
    folder.write(kRadioKeysFile, "+\r\nOne\r\nweb\r\nurl\r\n");
    settings.ReloadSettings();

    folder.write(kStartPositionFile, "600\r\n900\r\n");
    ASSERT_TRUE(QFile::remove(folder.file(kTimeZoneFile)));
    EXPECT_EQ(failure(settings, &PlayerSettings::ReloadSettings, kTimeZoneFile),
              RuntimeError::FileNotFound);
    EXPECT_EQ(host.left, 600);  // read before the missing file
    EXPECT_EQ(settings.timeZoneOffset(), 2);
    EXPECT_EQ(settings.marqueeText(), QStringLiteral("first text"));
    EXPECT_EQ(settings.stations().streamUrl[1], QStringLiteral("url"));

    // A record cut short by an editor that saved half a file: the fields read
    // before the end are new, the rest of the table as it was.
    folder.write(kTimeZoneFile, "3\r\n");
    folder.write(kRadioKeysFile, QByteArray("+\r\nTwo\0\r\n", 10));
    EXPECT_EQ(failure(settings, &PlayerSettings::ReloadSettings, kRadioKeysFile),
              RuntimeError::InputPastEndOfFile);
    EXPECT_EQ(settings.timeZoneOffset(), 3);
    EXPECT_EQ(settings.stations().name[1], QStringLiteral("Two") + QChar(0));
    EXPECT_EQ(settings.stations().streamUrl[1], QStringLiteral("url"));
    EXPECT_EQ(host.captions[1], QStringLiteral("One"));
}
