#include "player/settings/settings_files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <csignal>
#include <map>

#include "platform/runtime_error.h"
#include "support/fakes.h"
#include "support/temp_folder.h"

using namespace ondrix;
using testsupport::FakeSettingsHost;
using testsupport::TempFolder;

namespace {

QByteArray record(int k) {
    return "+\r\nStation " + QByteArray::number(k) + "\r\nweb" + QByteArray::number(k) + "\r\nurl" +
           QByteArray::number(k) + "\r\n";
}

QByteArray records(int count) {
    QByteArray content;
    for (int k = 1; k <= count; ++k) content += record(k);
    return content;
}

struct Fixture : ::testing::Test {
    TempFolder folder;
    FakeSettingsHost host;
    PlayerSettings settings{host, folder.path()};

    int failure(void (PlayerSettings::*load)()) {
        try {
            (settings.*load)();
        } catch (const RuntimeError& error) {
            return error.number();
        }
        return 0;
    }
};

using RadioKeys = Fixture;
using OtherSettings = Fixture;
using SavePosition = Fixture;

}  // namespace

TEST_F(RadioKeys, RecordsFillSlotsInOrderAndCaptionOnlyTheirButtons) {
    folder.write(kRadioKeysFile, records(5) + "\r\n\r\n");
    settings.LoadRadioKeys();
    EXPECT_EQ(settings.stations().name[5], QStringLiteral("Station 5"));
    EXPECT_EQ(settings.stations().webPage[5], QStringLiteral("web5"));
    EXPECT_EQ(settings.stations().streamUrl[5], QStringLiteral("url5"));
    EXPECT_EQ(host.captions.size(), 5u);
    EXPECT_EQ(host.captions[1], QStringLiteral("Station 1"));

    // A shorter file later clears the slots it no longer fills, and their
    // buttons get back their own captions; an empty one clears them all.
    folder.write(kRadioKeysFile, "+\nNew\nw\nu\n");
    settings.LoadRadioKeys();
    EXPECT_EQ(settings.stations().name[1], QStringLiteral("New"));
    EXPECT_EQ(host.captions[1], QStringLiteral("New"));
    for (int slot = 2; slot <= 5; ++slot) {
        EXPECT_TRUE(settings.stations().name[slot].isEmpty()) << slot;
        EXPECT_TRUE(settings.stations().webPage[slot].isEmpty()) << slot;
        EXPECT_TRUE(settings.stations().streamUrl[slot].isEmpty()) << slot;
        EXPECT_EQ(host.captions[slot], QStringLiteral("R%1").arg(slot));
    }
    EXPECT_EQ(host.captions.count(6), 0u);  // never filled, never touched
    folder.write(kRadioKeysFile, "");
    settings.LoadRadioKeys();
    EXPECT_TRUE(settings.stations().streamUrl[1].isEmpty());
    EXPECT_EQ(host.captions[1], QStringLiteral("R1"));
}

TEST_F(RadioKeys, AtMost120RecordsFit) {
    folder.write(kRadioKeysFile, records(120) + "\r\n");
    settings.LoadRadioKeys();
    EXPECT_EQ(settings.stations().streamUrl[120], QStringLiteral("url120"));
    EXPECT_EQ(host.captions.size(), 8u);

    TempFolder other;
    FakeSettingsHost otherHost;
    PlayerSettings fresh(otherHost, other.path());
    other.write(kRadioKeysFile, records(121));
    try {
        fresh.LoadRadioKeys();
        FAIL() << "121 records loaded";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), RuntimeError::SubscriptOutOfRange);
        EXPECT_EQ(error.file(), kRadioKeysFile);
    }
    EXPECT_EQ(fresh.stations().name[120], QStringLiteral("Station 120"));  // kept
}

TEST_F(RadioKeys, StrayFieldsInMarkerPositionTakeSlotNumbers) {
    folder.write(kRadioKeysFile, "; my stations\r\n" + record(1) + "\r\n" + record(2) +
                                     "+\r\nJazz, Blues\r\nweb3\r\nurl3\r\n" + record(4) +
                                     "+1\r\nSigned\r\nw\r\nu\r\n" + record(5));
    settings.LoadRadioKeys();
    const StationTable& s = settings.stations();
    EXPECT_TRUE(s.name[1].isEmpty());
    EXPECT_EQ(host.captions.count(1), 0u);
    EXPECT_EQ(s.name[2], QStringLiteral("Station 1"));  // after the comment line
    EXPECT_EQ(s.name[4], QStringLiteral("Station 2"));  // after the blank line
    EXPECT_EQ(s.name[5], QStringLiteral("Jazz"));
    EXPECT_EQ(s.webPage[5], QStringLiteral("Blues"));
    EXPECT_EQ(s.streamUrl[5], QStringLiteral("web3"));
    EXPECT_EQ(s.name[7], QStringLiteral("Station 4"));  // "url3" took slot 6
    // "+1" is the number 1, no marker: it and its three lines take 8 to 11.
    EXPECT_EQ(s.name[12], QStringLiteral("Station 5"));
    EXPECT_EQ(host.captions[7], QStringLiteral("Station 4"));

    folder.write(kRadioKeysFile, "+\r\n\"Jazz, Blues\"\r\nweb\r\nurl\r\n");
    settings.LoadRadioKeys();
    EXPECT_EQ(settings.stations().name[1], QStringLiteral("Jazz, Blues"));
}

TEST_F(RadioKeys, LineEndsAndCodePages) {
    folder.write(kRadioKeysFile,
                 "+\nR\xE1"
                 "dio \x80\nweb\nurl\n+\rZwei\rw\ru\r");
    settings.LoadRadioKeys();
    EXPECT_EQ(settings.stations().name[1], QStringLiteral("Rádio €"));
    EXPECT_EQ(settings.stations().name[2], QStringLiteral("Zwei"));
    EXPECT_EQ(settings.stations().streamUrl[2], QStringLiteral("u"));
}

TEST_F(RadioKeys, RecordCutShortFailsKeepingWhatWasRead) {
    folder.write(kRadioKeysFile, record(1) + "+\r\nHalf\r\nweb2\r\n");
    EXPECT_EQ(failure(&PlayerSettings::LoadRadioKeys), RuntimeError::InputPastEndOfFile);
    EXPECT_EQ(settings.stations().name[1], QStringLiteral("Station 1"));
    EXPECT_EQ(settings.stations().webPage[2], QStringLiteral("web2"));
    EXPECT_EQ(host.captions.count(2), 0u);
}

TEST_F(OtherSettings, MissingFilesAreFileNotFound) {
    for (auto load : {&PlayerSettings::LoadRadioKeys, &PlayerSettings::LoadStartPosition,
                      &PlayerSettings::LoadTimeZone, &PlayerSettings::LoadMovingText,
                      &PlayerSettings::ReloadSettings})
        EXPECT_EQ(failure(load), RuntimeError::FileNotFound);
}

TEST_F(OtherSettings, TimeZoneAndMovingText) {
    const std::pair<const char*, int> zones[] = {
        {"2.5\r\n", 2}, {"3.5\n", 4}, {"  -5\r\n", -5}, {"\r\n", 0}};
    for (const auto& [content, offset] : zones) {
        folder.write(kTimeZoneFile, content);
        settings.LoadTimeZone();
        EXPECT_EQ(settings.timeZoneOffset(), offset) << content;
    }
    for (const auto& [content, number] : {std::pair{"40000\r\n", RuntimeError::Overflow},
                                          std::pair{"CET\r\n", RuntimeError::TypeMismatch},
                                          std::pair{"", RuntimeError::InputPastEndOfFile}}) {
        folder.write(kTimeZoneFile, content);
        EXPECT_EQ(failure(&PlayerSettings::LoadTimeZone), number) << content;
    }

    folder.write(kMovingTextFile, "2015, 10:30\r\nsecond line\r\n");
    settings.LoadMovingText();
    EXPECT_EQ(settings.marqueeText(), QStringLiteral("2015"));
    folder.write(kMovingTextFile, "\"Live, from Prague\"\r\n");
    settings.LoadMovingText();
    EXPECT_EQ(settings.marqueeText(), QStringLiteral("Live, from Prague"));
    folder.write(kMovingTextFile, "");
    EXPECT_EQ(failure(&PlayerSettings::LoadMovingText), RuntimeError::InputPastEndOfFile);
}

TEST_F(OtherSettings, StartPositionMovesTheWindowLeftThenTop) {
    folder.write(kStartPositionFile, " 40000 \r\n -1200 \r\n");
    settings.LoadStartPosition();
    EXPECT_EQ(host.moves, (QStringList{"left", "top", "keepOnScreen"}));
    EXPECT_EQ(host.left, 40000);
    EXPECT_EQ(host.top, -1200);
    EXPECT_EQ(settings.startLeft(), 40000);

    folder.write(kStartPositionFile, "300\n");
    EXPECT_EQ(failure(&PlayerSettings::LoadStartPosition), RuntimeError::InputPastEndOfFile);
    EXPECT_EQ(settings.startLeft(), 300);
    folder.write(kStartPositionFile, "3000000000\n0\n");
    EXPECT_EQ(failure(&PlayerSettings::LoadStartPosition), RuntimeError::Overflow);
    folder.write(kStartPositionFile, "left\n0\n");
    EXPECT_EQ(failure(&PlayerSettings::LoadStartPosition), RuntimeError::TypeMismatch);
}

TEST_F(OtherSettings, ReloadStopsAtTheFirstFailureKeepingEarlierValues) {
    folder.write(kStartPositionFile, "150\r\n300\r\n");
    folder.write(kTimeZoneFile, "zone\r\n");
    folder.write(kMovingTextFile, "text\r\n");
    folder.write(kRadioKeysFile, records(1));
    EXPECT_EQ(failure(&PlayerSettings::ReloadSettings), RuntimeError::TypeMismatch);
    EXPECT_EQ(host.top, 300);
    EXPECT_TRUE(settings.marqueeText().isEmpty());
    folder.write(kTimeZoneFile, "1\r\n");
    settings.ReloadSettings();
    EXPECT_EQ(settings.marqueeText(), QStringLiteral("text"));
    EXPECT_EQ(host.captions[1], QStringLiteral("Station 1"));
}

TEST_F(SavePosition, WritesCrLfLinesAtomicallyAndReadsBack) {
    folder.write(kStartPositionFile, "old content that is longer\r\n1\r\n");
    host.left = 40000;  // a window on a second monitor
    host.top = -450;
    settings.SavePosition();
    EXPECT_EQ(folder.read(kStartPositionFile), QByteArray("40000\r\n-450\r\n"));
    EXPECT_EQ(host.information, QStringList{QStringLiteral("Position saved|ondrix")});
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{kStartPositionFile});
    host.left = host.top = 0;
    settings.LoadStartPosition();
    EXPECT_EQ(host.left, 40000);
    EXPECT_EQ(host.top, -450);
}

TEST_F(SavePosition, AFailedSaveLeavesTheOldFileByteForByte) {
    const QByteArray earlier("  1234\r\n  5678\r\n");
    folder.write(kStartPositionFile, earlier);
    host.left = 40000;
    host.top = 40000;

    // Writing fails half way: the file-size limit holds even for root.
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tiny = old;
    tiny.rlim_cur = 4;
    setrlimit(RLIMIT_FSIZE, &tiny);
    const int writeFailure = failure(&PlayerSettings::SavePosition);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(writeFailure, RuntimeError::PathFileAccessError);

    // No file can be created at all.
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    const int lowestFree = ::open("/dev/null", O_RDONLY);
    ::close(lowestFree);
    rlimit none = files;
    none.rlim_cur = static_cast<rlim_t>(lowestFree);
    setrlimit(RLIMIT_NOFILE, &none);
    const int createFailure = failure(&PlayerSettings::SavePosition);
    setrlimit(RLIMIT_NOFILE, &files);
    EXPECT_EQ(createFailure, RuntimeError::PathFileAccessError);

    EXPECT_EQ(folder.read(kStartPositionFile), earlier);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{kStartPositionFile});
    EXPECT_TRUE(host.information.isEmpty());
}

TEST_F(SavePosition, AReadOnlyFolderKeepsTheOldFile) {
    const QByteArray earlier("100\r\n200\r\n");
    folder.write(kStartPositionFile, earlier);
    // Writable itself, so only writing in place could change it.
    QFile::setPermissions(folder.file(kStartPositionFile),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                              QFileDevice::ReadOther | QFileDevice::WriteOther |
                              QFileDevice::ReadGroup | QFileDevice::WriteGroup);
    QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                             QFileDevice::ReadOther | QFileDevice::ExeOther |
                                             QFileDevice::ReadGroup | QFileDevice::ExeGroup);
    // Root writes into any folder, so the save runs as the user nobody.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
        host.left = 1;
        const int number = failure(&PlayerSettings::SavePosition);
        _exit(number == RuntimeError::PathFileAccessError && host.information.isEmpty() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    QFile::setPermissions(folder.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(folder.read(kStartPositionFile), earlier);
}

TEST_F(SavePosition, AFolderThatIsAFileFailsWithoutTheMessage) {
    folder.write(QStringLiteral("plain"), "x");
    PlayerSettings misplaced(host, folder.file(QStringLiteral("plain")));
    try {
        misplaced.SavePosition();
        FAIL() << "saved";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), RuntimeError::PathFileAccessError);
        EXPECT_EQ(error.file(), kStartPositionFile);
    }
    EXPECT_TRUE(host.information.isEmpty());
}
