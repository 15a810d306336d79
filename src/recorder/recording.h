#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "platform/local_time.h"
#include "platform/music_folder.h"
#include "recorder/capture.h"

namespace ondrix {

// The loudest sample of a stretch of 16-bit frames, from 0 to 1.
double peakLevel(const char* data, std::size_t bytes);

// Where recordings go: the user's music folder, else the home folder.
using RecordFolder = MusicFolder;

// One source of sound per recording: a stream left open between recordings
// would hand the next one the sound of the pause.
using CaptureFactory = std::function<std::unique_ptr<CaptureSource>()>;

// Records from a fresh source into a new WAV file each time it is started,
// on a thread of its own so that the window never waits for the sound
// server or the disk. The signals arrive on the thread the object lives on.
class Recording : public QObject {
    Q_OBJECT
  public:
    // Both functions are called on the recording thread, once per start.
    Recording(CaptureFactory makeSource, std::function<RecordFolder()> folder, const Clock& clock,
              QObject* parent = nullptr);
    ~Recording() override;  // stops and finishes the file

    // Starts a new recording; nothing while one runs.
    void start();
    // Asks the recording to end; finished() follows within one read.
    void stop() { stopRequested_ = true; }
    bool isRunning() const { return running_; }

  signals:
    void folderChosen(const QString& path, bool isMusicFolder);
    void fileStarted(const QString& path);
    void progressed(qint64 dataBytes, double peak);
    // Empty message: ended on request. Otherwise why it ended (no sound
    // server, an unwritable folder, a full disk); a file started is finished.
    void finished(const QString& message);

  private:
    void run();
    void join();

    CaptureFactory makeSource_;
    std::function<RecordFolder()> folder_;
    const Clock& clock_;
    std::atomic<bool> stopRequested_ = false;
    bool running_ = false;
    std::thread thread_;
};

// The folder as the window names it: "~/Music" under the home folder, the
// whole path elsewhere, "home folder (no music folder)" without one.
QString folderText(const RecordFolder& folder, const QString& home);

}  // namespace ondrix
