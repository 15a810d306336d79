#include "recorder/wav_writer.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <csignal>

#include "support/temp_folder.h"

namespace {

using namespace ondrix;
using testsupport::TempFolder;

const QDateTime kStart(QDate(2026, 12, 7), QTime(2, 15, 40));

// The data size a WAV file's header claims, after checking that the header
// describes 16-bit stereo PCM at 44.1 kHz and that the file holds that much.
qint64 headerDataBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return -1;
    const QByteArray bytes = file.readAll();
    if (bytes.size() < 44) return -1;
    QDataStream in(bytes);
    in.setByteOrder(QDataStream::LittleEndian);
    quint32 riff, data;
    in.skipRawData(4);
    in >> riff;
    in.skipRawData(32);
    in >> data;
    EXPECT_EQ(bytes.left(4), "RIFF");
    EXPECT_EQ(bytes.mid(8, 28), wavHeader(0).mid(8, 28));
    EXPECT_EQ(riff, data + 36);
    EXPECT_LE(44 + qint64(data), bytes.size());
    return data;
}

QByteArray sound(qint64 bytes) {
    return QByteArray(bytes, '\x11');
}

TEST(WavWriter, HeaderCountsTheDataAfterEveryPiece) {
    TempFolder folder;
    WavWriter writer;
    ASSERT_TRUE(writer.create(folder.path(), kStart));
    EXPECT_EQ(writer.path(), folder.file(QStringLiteral("OndrixRec-20261207-021540.wav")));
    EXPECT_EQ(headerDataBytes(writer.path()), 0);
    const QByteArray chunk = sound(17640);
    for (int i = 1; i <= 25; ++i) {
        ASSERT_TRUE(writer.append(chunk.constData(), chunk.size()));
        EXPECT_EQ(headerDataBytes(writer.path()), i * 17640);
    }
    writer.append(chunk.constData(), 4);
    writer.close();
    EXPECT_EQ(headerDataBytes(writer.path()), 25 * 17640 + 4);
    EXPECT_EQ(QFile(writer.path()).size(), 44 + 25 * 17640 + 4);
}

// A new name beside the files already there; no file where none can be made.
TEST(WavWriter, MakesANewFileOnlyAndReportsAFolderThatTakesNone) {
    TempFolder folder;
    folder.write(QStringLiteral("OndrixRec-20261207-021540.wav"), "mine");
    folder.write(QStringLiteral("OndrixRec-20261207-021540-1.wav"), "mine too");
    WavWriter writer;
    ASSERT_TRUE(writer.create(folder.path(), kStart));
    EXPECT_EQ(writer.path(), folder.file(QStringLiteral("OndrixRec-20261207-021540-2.wav")));
    EXPECT_EQ(folder.read(QStringLiteral("OndrixRec-20261207-021540.wav")), "mine");
    EXPECT_EQ(folder.read(QStringLiteral("OndrixRec-20261207-021540-1.wav")), "mine too");

    folder.write(QStringLiteral("plain"), "a file, not a folder");
    for (const QString& name : {QStringLiteral("missing"), QStringLiteral("plain")}) {
        WavWriter refused;
        EXPECT_FALSE(refused.create(folder.file(name), kStart));
        EXPECT_TRUE(
            refused.error().startsWith(QStringLiteral("Cannot write in ") + folder.file(name)))
            << refused.error().toStdString();
    }
    QStringList files =
        QDir(folder.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    files.sort();
    EXPECT_EQ(files,
              (QStringList{"OndrixRec-20261207-021540-1.wav", "OndrixRec-20261207-021540-2.wav",
                           "OndrixRec-20261207-021540.wav", "plain"}));
}

// A file size limit stands in for a full disk: the write fails part way.
TEST(WavWriter, AFullDiskStopsTheFileValidAfterItsLastWholeFrame) {
    TempFolder folder;
    WavWriter writer;
    ASSERT_TRUE(writer.create(folder.path(), kStart));
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 44 + 100003;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const QByteArray chunk = sound(17640);
    bool full = false;
    for (int i = 0; i < 10 && !full; ++i) full = !writer.append(chunk.constData(), chunk.size());
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    ASSERT_TRUE(full);
    EXPECT_EQ(writer.error(), QStringLiteral("Recording stopped: File too large"));
    EXPECT_FALSE(writer.append(chunk.constData(), 4));
    writer.close();
    EXPECT_EQ(writer.dataBytes(), 100000);
    EXPECT_EQ(headerDataBytes(writer.path()), 100000);
    EXPECT_EQ(QFile(writer.path()).size(), 44 + 100000);
}

}  // namespace
