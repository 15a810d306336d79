#include <pulse/error.h>
#include <pulse/simple.h>

#include "recorder/capture.h"

namespace ondrix {

namespace {

class PulseMonitorCapture : public CaptureSource {
  public:
    ~PulseMonitorCapture() override {
        if (stream_) pa_simple_free(stream_);
    }

    bool open(QString& error) override {
        const pa_sample_spec format{PA_SAMPLE_S16LE, kRecordRate, kRecordChannels};
        // Fragments of a tenth of a second keep the level bar lively and let
        // a stop request be seen soon.
        pa_buffer_attr buffer{};
        buffer.maxlength = static_cast<uint32_t>(-1);
        buffer.tlength = static_cast<uint32_t>(-1);
        buffer.prebuf = static_cast<uint32_t>(-1);
        buffer.minreq = static_cast<uint32_t>(-1);
        buffer.fragsize = kRecordBytesPerSecond / 10;
        int code = 0;
        stream_ = pa_simple_new(nullptr, "OndrixWRec", PA_STREAM_RECORD, "@DEFAULT_MONITOR@",
                                "Recording", &format, nullptr, &buffer, &code);
        if (stream_) return true;
        switch (code) {
            case PA_ERR_CONNECTIONREFUSED:
            case PA_ERR_INVALIDSERVER:
            case PA_ERR_TIMEOUT:
            case PA_ERR_CONNECTIONTERMINATED:
            case PA_ERR_ACCESS:
                error = noSoundServerText();
                break;
            default:
                error = QStringLiteral("Cannot record: ") + QString::fromUtf8(pa_strerror(code));
        }
        return false;
    }

    bool read(char* data, std::size_t bytes, QString& error) override {
        int code = 0;
        if (pa_simple_read(stream_, data, bytes, &code) == 0) return true;
        error = QStringLiteral("Sound server: ") + QString::fromUtf8(pa_strerror(code));
        return false;
    }

  private:
    pa_simple* stream_ = nullptr;
};

}  // namespace

std::unique_ptr<CaptureSource> makeDesktopCapture() {
    return std::make_unique<PulseMonitorCapture>();
}

}  // namespace ondrix
