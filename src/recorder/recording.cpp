#include "recorder/recording.h"

#include <QDir>
#include <QFileInfo>
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

Recording::Recording(CaptureFactory makeSource, std::function<RecordFolder()> folder,
                     const Clock& clock, QObject* parent)
    : QObject(parent),
      makeSource_(std::move(makeSource)),
      folder_(std::move(folder)),
      clock_(clock) {
    // Connected first, so that every other receiver sees the thread ended
    // and may start the next recording.
    connect(this, &Recording::finished, this, [this] {
        join();
        running_ = false;
    });
}

Recording::~Recording() {
    stop();
    join();
}

void Recording::join() {
    // finished() is the thread's last step: this waits for its return only.
    if (thread_.joinable()) thread_.join();
}

void Recording::start() {
    if (running_) return;
    join();
    running_ = true;
    stopRequested_ = false;
    thread_ = std::thread([this] { run(); });
}

void Recording::run() {
    const RecordFolder folder = folder_();
    emit folderChosen(folder.path, folder.isMusicFolder);
    QString message;
    const std::unique_ptr<CaptureSource> source = makeSource_();
    if (!source->open(message)) {
        emit finished(message);
        return;
    }
    if (stopRequested_) {  // stopped before any sound came: no file
        emit finished({});
        return;
    }
    WavWriter writer;
    if (!writer.create(folder.path, clock_.now())) {
        emit finished(writer.error());
        return;
    }
    emit fileStarted(writer.path());
    std::vector<char> chunk(kChunkBytes);
    while (!stopRequested_) {
        if (!source->read(chunk.data(), chunk.size(), message)) break;
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

QString folderText(const RecordFolder& folder, const QString& home) {
    if (!folder.isMusicFolder) return QStringLiteral("home folder (no music folder)");
    const QString homePrefix = QDir::cleanPath(home) + QLatin1Char('/');
    if (folder.path.startsWith(homePrefix))
        return QStringLiteral("~/") + folder.path.mid(homePrefix.size());
    return folder.path;
}

}  // namespace ondrix
