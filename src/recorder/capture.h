#pragma once

#include <QString>
#include <cstddef>
#include <memory>

namespace ondrix {

// What the recorder records and writes: 16-bit PCM, 44.1 kHz, stereo.
constexpr int kRecordRate = 44100;
constexpr int kRecordChannels = 2;
constexpr int kRecordFrameBytes = kRecordChannels * 2;
constexpr int kRecordBytesPerSecond = kRecordRate * kRecordFrameBytes;

// A source of sound in the recorder's format. Both calls block, so they run on
// the recording thread, never on the window's.
class CaptureSource {
  public:
    virtual ~CaptureSource() = default;
    // Connects; false with the text for the user when there is nothing to
    // record from.
    virtual bool open(QString& error) = 0;
    // Fills the buffer; false with the reason when the sound stopped coming.
    virtual bool read(char* data, std::size_t bytes, QString& error) = 0;
};

// What the desktop plays: the monitor of the default output of the Pulse
// server (PulseAudio or PipeWire's).
std::unique_ptr<CaptureSource> makeDesktopCapture();

inline QString noSoundServerText() {
    return QStringLiteral("No sound server to record from");
}

}  // namespace ondrix
