#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "platform/local_time.h"
#include "recorder/capture.h"

namespace ondrix {

// The loudest sample of a stretch of 16-bit frames, from 0 to 1.
double peakLevel(const char* data, std::size_t bytes);

// One recording, from the source into a new WAV file, on a thread of its
// own so that the window never waits for the sound server or the disk. The
// signals arrive on the thread the object lives on.
class Recording : public QObject {
    Q_OBJECT
  public:
    // folder() is asked on the recording thread, once the source is open.
    Recording(std::unique_ptr<CaptureSource> source, std::function<QString()> folder,
              const Clock& clock, QObject* parent = nullptr);
    ~Recording() override;  // stops and finishes the file

    void start();
    // Asks the recording to end; finished() follows within one read.
    void stop() { stopRequested_ = true; }
    bool isRunning() const { return running_; }

  signals:
    void fileStarted(const QString& path);
    void progressed(qint64 dataBytes, double peak);
    // Empty message: ended on request. Otherwise why it ended (no sound
    // server, an unwritable folder, a full disk); a file started is finished.
    void finished(const QString& message);

  private:
    void run();

    std::unique_ptr<CaptureSource> source_;
    std::function<QString()> folder_;
    const Clock& clock_;
    std::atomic<bool> stopRequested_ = false;
    bool running_ = false;
    std::thread thread_;
};

// The user's music folder as `xdg-user-dir MUSIC` names it, else the home
// folder: where the converters start, so they find the recordings. Runs a
// program: call it off the window's thread.
QString musicFolder();

}  // namespace ondrix
