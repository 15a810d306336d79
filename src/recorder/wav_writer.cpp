#include "recorder/wav_writer.h"

#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "recorder/capture.h"

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace ondrix {

namespace {

constexpr qint64 kHeaderBytes = 44;
constexpr int kMaxNameTries = 1000;
// The RIFF size field must hold header and data: leave room below 4 GiB.
constexpr qint64 kMaxDataBytes = 0xFFFFFFFFLL - kHeaderBytes;

}  // namespace

QString recordingBaseName(const QDateTime& start) {
    return QStringLiteral("OndrixRec-") + start.toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

QByteArray wavHeader(quint32 dataBytes) {
    QByteArray header;
    QDataStream out(&header, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + dataBytes);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(kRecordChannels) << quint32(kRecordRate)
        << quint32(kRecordBytesPerSecond) << quint16(kRecordFrameBytes) << quint16(16);
    out.writeRawData("data", 4);
    out << dataBytes;
    return header;
}

WavWriter::~WavWriter() {
    close();
}

bool WavWriter::create(const QString& folder, const QDateTime& start) {
    const QString base = QDir(folder).filePath(recordingBaseName(start));
    for (int clash = 0; clash < kMaxNameTries; ++clash) {
        const QString name = base +
                             (clash ? QLatin1Char('-') + QString::number(clash) : QString()) +
                             QStringLiteral(".wav");
        file_.setFileName(name);
        // NewOnly creates the file or fails: a file made meanwhile by anyone
        // else is never opened, let alone truncated.
        if (file_.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            const QByteArray header = wavHeader(0);
            if (file_.write(header) != header.size()) {
                const QString reason = file_.errorString();
                file_.close();
                QFile::remove(name);
                error_ = QStringLiteral("Cannot write in ") + QDir::toNativeSeparators(folder) +
                         QStringLiteral(": ") + reason;
                return false;
            }
            return true;
        }
        if (!QFileInfo::exists(name)) break;
    }
    error_ = QStringLiteral("Cannot write in ") + QDir::toNativeSeparators(folder) +
             QStringLiteral(": ") + file_.errorString();
    return false;
}

bool WavWriter::append(const char* data, qint64 bytes) {
    if (!file_.isOpen()) return false;
    if (dataBytes_ + bytes > kMaxDataBytes) return fail(QStringLiteral("the file is full (4 GB)"));
    // A write cut short says nothing; the next one tells why (a full disk).
    for (qint64 done = 0; done < bytes;) {
        const qint64 written = file_.write(data + done, bytes - done);
        if (written <= 0) return fail(file_.errorString());
        done += written;
    }
    dataBytes_ += bytes;
    unsyncedBytes_ += bytes;
    if (unsyncedBytes_ >= kSyncBytes) return sync();
    return countData();
}

bool WavWriter::countData() {
    const QByteArray header = wavHeader(static_cast<quint32>(dataBytes_));
    // Data first, then the header that counts it: a header never claims
    // samples that are not there.
    if (!file_.seek(4) || file_.write(header.constData() + 4, 4) != 4 ||
        !file_.seek(kHeaderBytes - 4) ||
        file_.write(header.constData() + kHeaderBytes - 4, 4) != 4 ||
        !file_.seek(kHeaderBytes + dataBytes_))
        return fail(file_.errorString());
    return true;
}

bool WavWriter::sync() {
    if (!file_.isOpen() || !countData()) return false;
#ifdef Q_OS_UNIX
    ::fdatasync(file_.handle());
#endif
    unsyncedBytes_ = 0;
    return true;
}

bool WavWriter::fail(const QString& what) {
    if (error_.isEmpty()) error_ = QStringLiteral("Recording stopped: ") + what;
    // Keep what reached the disk, cut after its last whole frame, and count it.
    const qint64 onDisk = std::max<qint64>(0, file_.size() - kHeaderBytes);
    dataBytes_ = std::min(onDisk - onDisk % kRecordFrameBytes, kMaxDataBytes);
    file_.resize(kHeaderBytes + dataBytes_);
    const QByteArray header = wavHeader(static_cast<quint32>(dataBytes_));
    // Overwriting the header takes no new space, so it works on a full disk.
    if (file_.seek(0)) file_.write(header);
    file_.close();
    return false;
}

void WavWriter::close() {
    if (!file_.isOpen()) return;
    if (sync()) file_.close();
}

}  // namespace ondrix
