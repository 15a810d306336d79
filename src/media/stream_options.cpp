#include "media/stream_options.h"

namespace ondrix {

std::vector<std::pair<const char*, const char*>> streamOpeningOptions() {
    return {
        // How much of a stream libavformat reads to learn its codec before
        // the first frame is decoded. Its default for MP3 is half a second
        // of audio, which a server without a burst delivers in real time:
        // 0.1 s opens such a stream about 350 ms sooner, and still finds
        // the codec of MP3, AAC, Ogg and HLS segments in their first frames.
        {"demuxer-lavf-analyzeduration", "0.1"},
    };
}

}  // namespace ondrix
