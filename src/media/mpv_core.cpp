#include "media/mpv_core.h"

#include <mpv/client.h>

#include <QByteArray>
#include <QTimer>
#include <cmath>
#include <cstring>

#include "media/address_gate.h"
#include "media/mpv_names.h"
#include "media/stream_options.h"

namespace ondrix {

using namespace mpvnames;

namespace {

void setOptions(mpv_handle* h, const CoreSettings& settings) {
    // A user's mpv.conf or scripts must not change the player.
    mpv_set_option_string(h, "config", "no");
    mpv_set_option_string(h, "load-scripts", "no");
    mpv_set_option_string(h, "ytdl", "no");
    // Nothing an address leads to may make the player listen: a demuxer
    // opens only client protocols by itself (an SDP description would bind
    // the RTP ports it lists), and rtsp carries its data on its own TCP
    // connection instead of UDP ports open to anyone.
    mpv_set_option_string(
        h, "demuxer-lavf-o",
        (QByteArrayLiteral("protocol_whitelist=[") + openableProtocols() + ']').constData());
    mpv_set_option_string(h, "rtsp-transport", "tcp");
    // The console, statistics and profile scripts serve mpv's own video
    // window, which the player never shows; each would start a Lua
    // interpreter in every core.
    mpv_set_option_string(h, "load-osd-console", "no");
    mpv_set_option_string(h, "load-stats-overlay", "no");
    mpv_set_option_string(h, "load-auto-profiles", "no");
    mpv_set_option_string(h, "vid", "no");
    mpv_set_option_string(h, "terminal", "no");
    mpv_set_option_string(h, "idle", "yes");
    mpv_set_option_string(h, "audio-fallback-to-null", "yes");
    // Every buffer libmpv keeps for a stream is bounded, so that memory stays
    // flat over a day of radio. By default it reads ahead up to 150 MiB and
    // keeps what was played in the part of that not yet filled, which grows
    // the player by the stream's rate for hours. 4 MiB ahead is minutes of
    // radio, enough to ride out a bad network; a stream is never sought back.
    mpv_set_option_string(h, "demuxer-max-bytes", "4MiB");
    mpv_set_option_string(h, "demuxer-max-back-bytes", "512KiB");
    mpv_set_option_string(h, "demuxer-donate-buffer", "no");
    mpv_set_option_string(h, property::kVolume, QByteArray::number(settings.volume).constData());
    mpv_set_option_string(h, property::kMute, settings.mute ? "yes" : "no");
    mpv_set_option_string(h, property::kNetworkTimeout,
                          QByteArray::number(settings.networkTimeoutSeconds).constData());
    if (!settings.audioOutput.isEmpty())
        mpv_set_option_string(h, "ao", settings.audioOutput.toUtf8().constData());
    for (const auto& [name, value] : streamOpeningOptions()) mpv_set_option_string(h, name, value);
}

void observe(mpv_handle* h, bool durationObserved) {
    mpv_observe_property(h, kPauseId, property::kPause, MPV_FORMAT_FLAG);
    mpv_observe_property(h, kPausedForCacheId, property::kPausedForCache, MPV_FORMAT_FLAG);
    mpv_observe_property(h, kTrackListId, property::kTrackList, MPV_FORMAT_NODE);
    mpv_observe_property(h, kMetadataId, property::kMetadata, MPV_FORMAT_NODE);
    mpv_observe_property(h, kAudioBitrateId, property::kAudioBitrate, MPV_FORMAT_DOUBLE);
    mpv_observe_property(h, kMediaTitleId, property::kMediaTitle, MPV_FORMAT_STRING);
    mpv_observe_property(h, kFileSizeId, property::kFileSize, MPV_FORMAT_INT64);
    mpv_observe_property(h, kSeekableId, property::kSeekable, MPV_FORMAT_FLAG);
    mpv_observe_property(h, kIdleActiveId, property::kIdleActive, MPV_FORMAT_FLAG);
    mpv_observe_property(h, kVolumeId, property::kVolume, MPV_FORMAT_DOUBLE);
    mpv_observe_property(h, kMuteId, property::kMute, MPV_FORMAT_FLAG);
    mpv_observe_property(h, kFileFormatId, property::kFileFormat, MPV_FORMAT_STRING);
    if (durationObserved)
        mpv_observe_property(h, kDurationId, property::kDuration, MPV_FORMAT_DOUBLE);
    // Each entry is held before it is opened, so that a playlist that lists
    // itself is caught and dead entries are tried at a bounded rate.
    mpv_hook_add(h, kOnLoadHookId, kOnLoadHook, 0);
    // The network layer tells why an address failed (an HTTP status, a
    // refused connection) only in its log.
    mpv_request_log_messages(h, "warn");
}

}  // namespace

MpvCore::MpvCore(CoreId id, QObject* context, CoreEvents& events)
    : id_(id), context_(context), events_(events) {}

bool MpvCore::create(const CoreSettings& settings) {
    handle_ = {mpv_create(), &mpv_terminate_destroy};
    mpv_handle* h = handle_.get();
    if (!h) return false;
    setOptions(h, settings);
    if (mpv_initialize(h) < 0) {
        handle_.reset();
        return false;
    }
    observe(h, settings.durationObserved);
    // Runs on a libmpv thread: it may only post to the Qt event loop.
    mpv_set_wakeup_callback(
        h,
        [](void* data) {
            auto* core = static_cast<MpvCore*>(data);
            if (!core->drainQueued_.exchange(true))
                QMetaObject::invokeMethod(
                    core->context_, [core] { core->drain(); }, Qt::QueuedConnection);
        },
        this);
    return true;
}

void MpvCore::detach() {
    if (handle_) mpv_set_wakeup_callback(handle_.get(), nullptr, nullptr);
}

void MpvCore::destroy() {
    detach();
    handle_.reset();
}

void MpvCore::drain() {
    drainQueued_ = false;
    while (handle_) {
        // The event is libmpv's until the next wait: it is copied out here.
        const mpv_event* e = mpv_wait_event(handle_.get(), 0);
        if (e->event_id == MPV_EVENT_NONE) break;
        translate(*e);
    }
}

bool MpvCore::tryLoad(const QString& address, std::uint64_t tag) {
    const QByteArray utf8 = address.toUtf8();
    const char* args[] = {"loadfile", utf8.constData(), "replace", nullptr};
    const int result = mpv_command_async(handle_.get(), kLoadTag | tag, args);
    if (result < 0 && result != MPV_ERROR_EVENT_QUEUE_FULL)
        qWarning("libmpv refused loadfile: %s", mpv_error_string(result));
    return result != MPV_ERROR_EVENT_QUEUE_FULL;
}

bool MpvCore::tryStop() {
    const char* args[] = {"stop", nullptr};
    const int result = mpv_command_async(handle_.get(), 0, args);
    if (result < 0 && result != MPV_ERROR_EVENT_QUEUE_FULL)
        qWarning("libmpv refused stop: %s", mpv_error_string(result));
    return result != MPV_ERROR_EVENT_QUEUE_FULL;
}

void MpvCore::setPause(bool on) {
    // mpv_set_property would wait for the core; the async form only queues.
    int flag = on ? 1 : 0;
    mpv_set_property_async(handle_.get(), 0, property::kPause, MPV_FORMAT_FLAG, &flag);
}

void MpvCore::askIdle() {
    mpv_get_property_async(handle_.get(), kIdleActiveId, property::kIdleActive, MPV_FORMAT_FLAG);
}

void MpvCore::askPosition(bool withDuration) {
    mpv_get_property_async(handle_.get(), kTimePosId, property::kTimePos, MPV_FORMAT_DOUBLE);
    if (withDuration)
        mpv_get_property_async(handle_.get(), kPolledDurationId, property::kDuration,
                               MPV_FORMAT_DOUBLE);
}

void MpvCore::askOpening(std::uint64_t hook) {
    mpv_get_property_async(handle_.get(), kOpeningTag | hook, property::kStreamOpenFilename,
                           MPV_FORMAT_STRING);
}

void MpvCore::continueHook(std::uint64_t hook, int delayMs) {
    if (delayMs <= 0) {
        mpv_hook_continue(handle_.get(), hook);
        return;
    }
    // A stop or another load meanwhile still waits for this: libmpv goes on
    // only once the hook is let go.
    QTimer::singleShot(delayMs, context_,
                       [h = handle_.get(), hook] { mpv_hook_continue(h, hook); });
}

void MpvCore::refuseHook(std::uint64_t hook) {
    // The hook is let go once libmpv has taken the new address.
    const char* nothing = kOpensNothing;
    mpv_set_property_async(handle_.get(), kRefusedTag | hook, property::kStreamOpenFilename,
                           MPV_FORMAT_STRING, &nothing);
}

void MpvCore::seek(double seconds) {
    const QByteArray target = QByteArray::number(seconds, 'f', 3);
    const char* args[] = {"seek", target.constData(), "absolute", nullptr};
    mpv_command_async(handle_.get(), 0, args);
}

void MpvCore::setVolume(int percent) {
    double value = percent;
    mpv_set_property_async(handle_.get(), 0, property::kVolume, MPV_FORMAT_DOUBLE, &value);
}

void MpvCore::setMute(bool on) {
    int flag = on ? 1 : 0;
    mpv_set_property_async(handle_.get(), 0, property::kMute, MPV_FORMAT_FLAG, &flag);
}

void MpvCore::setNetworkTimeout(int seconds) {
    double value = seconds;
    mpv_set_property_async(handle_.get(), 0, property::kNetworkTimeout, MPV_FORMAT_DOUBLE, &value);
}

void MpvCore::observeDuration(bool on) {
    if (on)
        mpv_observe_property(handle_.get(), kDurationId, property::kDuration, MPV_FORMAT_DOUBLE);
    else
        mpv_unobserve_property(handle_.get(), kDurationId);
}

}  // namespace ondrix
