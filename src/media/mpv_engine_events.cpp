// What the cores tell the engine: each call goes to the machine, or, for
// what is only shown (titles, rates, volume), is kept when it comes from the
// core that counts.
#include <cmath>

#include "media/mpv_engine.h"
#include "platform/freed_memory.h"

namespace ondrix {

void MpvEngine::eventTold() {
    sendCommands();
    publish();
}

template <typename Show>
void MpvEngine::shown(CoreId id, Show&& show) {
    // What is shown comes from the active core alone.
    if (machine_.counts(id)) show();
}

void MpvEngine::loadReplied(CoreId id, std::uint64_t tag, bool ok, std::int64_t entry) {
    machine_.loadReplied(id, tag, ok, entry);
}

void MpvEngine::fileStarted(CoreId id, std::int64_t entry) {
    machine_.fileStarted(id, entry);
}

void MpvEngine::fileLoaded(CoreId id) {
    machine_.fileLoaded(id);
}

void MpvEngine::playbackRestarted(CoreId id) {
    machine_.playbackRestarted(id);
}

void MpvEngine::fileEnded(CoreId id, std::int64_t entry, EndReason reason, std::int64_t insertId,
                          int insertCount) {
    machine_.fileEnded(id, entry, reason, insertId, insertCount);
}

void MpvEngine::eventsLost(CoreId id) {
    machine_.eventsLost(id);
}

void MpvEngine::networkFailure(CoreId /*core*/, FailureReason reason) {
    machine_.openingError(reason);
}

void MpvEngine::entryHeld(CoreId id, std::uint64_t hook) {
    // An address the user gave goes at once.
    if (machine_.watchesOpening(id))
        core(id).askOpening(hook);
    else
        core(id).continueHook(hook, 0);
}

void MpvEngine::entryOpening(CoreId id, std::uint64_t hook, const QString& address) {
    // Every entry a playlist puts in passes the gate as the address did.
    machine_.entryOpening(id, hook, admitAddress(machine_.openingOrigin(id), address));
}

void MpvEngine::pauseChanged(CoreId id, bool on) {
    machine_.pauseChanged(id, on);
}

void MpvEngine::pausedForCacheChanged(CoreId id, bool on) {
    machine_.pausedForCacheChanged(id, on);
}

void MpvEngine::idleChanged(CoreId id, bool on) {
    machine_.idleChanged(id, on);
    // A core goes idle once it has closed its stream: the buffers and
    // decoders it freed go back to the system, so that station changes keep
    // no more than the stream that plays.
    if (on) releaseFreedMemory();
}

void MpvEngine::seekableChanged(CoreId id, bool on) {
    machine_.seekableChanged(id, on);
}

void MpvEngine::durationObserved(CoreId id, double seconds) {
    machine_.durationChanged(id, seconds);
}

void MpvEngine::durationPolled(CoreId id, double seconds) {
    // A late answer about an earlier entry says nothing about this one.
    if (machine_.loaded()) machine_.durationChanged(id, seconds);
}

void MpvEngine::positionPolled(CoreId id, double seconds) {
    machine_.positionChanged(id, seconds);
}

void MpvEngine::sizeChanged(CoreId id, std::int64_t bytes) {
    machine_.sizeChanged(id, bytes);
}

void MpvEngine::fileFormatChanged(CoreId id, const QString& format) {
    machine_.hlsChanged(id, format == QLatin1String("hls"));
}

void MpvEngine::muteSet(CoreId id, bool on) {
    shown(id, [&] { mute_ = on; });
}

void MpvEngine::volumeSet(CoreId id, double percent) {
    shown(id, [&] { volume_ = static_cast<int>(std::lround(percent)); });
}

void MpvEngine::audioBitRateChanged(CoreId id, double rate) {
    shown(id, [&] { measuredBitrate_ = steadyMeasuredRate(measuredBitrate_, rate); });
}

void MpvEngine::trackBitRateChanged(CoreId id, std::int64_t rate) {
    shown(id, [&] { demuxBitrate_ = rate; });
}

void MpvEngine::mediaTitleChanged(CoreId id, const QString& title) {
    shown(id, [&] { mediaTitle_ = title; });
}

void MpvEngine::titleTagChanged(CoreId id, const QString& tag) {
    shown(id, [&] { titleTag_ = tag; });
}

void MpvEngine::metadataChanged(CoreId id, const IcyHeaders& headers) {
    machine_.icyChanged(id, headers.any);
    shown(id, [&] {
        icyBitrate_ = headers.bitRateKbps;
        stationName_ = headers.name;
        streamTitle_ = headers.title;
    });
}

}  // namespace ondrix
