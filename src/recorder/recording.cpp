#include "recorder/recording.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "recorder/wav_writer.h"

namespace ondrix {

namespace {

// A tenth of a second of sound per read.
constexpr std::size_t kChunkBytes = kRecordBytesPerSecond / 10;

}  // namespace

double peakLevel(const char* data, std::size_t bytes) {
    int peak = 0;
    for (std::size_t at = 0; at + 1 < bytes; at += 2) {
        qint16 sample;
        std::memcpy(&sample, data + at, 2);
        peak = std::max(peak, std::abs(int(sample)));
    }
    return std::min(1.0, peak / 32767.0);
}

Recording::Recording(std::unique_ptr<CaptureSource> source, std::function<QString()> folder,
                     const Clock& clock, QObject* parent)
    : QObject(parent), source_(std::move(source)), folder_(std::move(folder)), clock_(clock) {
    // Connected first, so that every other receiver sees the thread ended.
    connect(this, &Recording::finished, this, [this] {
        running_ = false;
        if (thread_.joinable()) thread_.join();
    });
}

Recording::~Recording() {
    stop();
    if (thread_.joinable()) thread_.join();
}

void Recording::start() {
    if (thread_.joinable()) return;
    running_ = true;
    thread_ = std::thread([this] { run(); });
}

void Recording::run() {
    QString message;
    if (!source_->open(message)) {
        emit finished(message);
        return;
    }
    if (stopRequested_) {  // stopped before any sound came: no file
        emit finished({});
        return;
    }
    WavWriter writer;
    if (!writer.create(folder_(), clock_.now())) {
        emit finished(writer.error());
        return;
    }
    emit fileStarted(writer.path());
    std::vector<char> chunk(kChunkBytes);
    while (!stopRequested_) {
        if (!source_->read(chunk.data(), chunk.size(), message)) break;
        if (!writer.append(chunk.data(), static_cast<qint64>(chunk.size()))) {
            message = writer.error();
            break;
        }
        emit progressed(writer.dataBytes(), peakLevel(chunk.data(), chunk.size()));
    }
    writer.close();
    if (message.isEmpty() && !writer.error().isEmpty()) message = writer.error();
    emit progressed(writer.dataBytes(), 0);
    emit finished(message);
}

QString musicFolder() {
    QProcess lookup;
    lookup.start(QStringLiteral("xdg-user-dir"), {QStringLiteral("MUSIC")});
    QString folder;
    if (lookup.waitForFinished(5000) && lookup.exitCode() == 0)
        folder = QString::fromLocal8Bit(lookup.readAllStandardOutput()).trimmed();
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
    return folder;
}

}  // namespace ondrix
