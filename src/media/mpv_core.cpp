#include "media/mpv_core.h"

#include <mpv/client.h>

#include <QTimer>
#include <cmath>
#include <cstring>

#include "media/stream_options.h"

namespace ondrix {

namespace {

namespace property {
constexpr const char* kPause = "pause";
constexpr const char* kPausedForCache = "paused-for-cache";
constexpr const char* kTrackList = "track-list";
constexpr const char* kMetadata = "metadata";
constexpr const char* kAudioBitrate = "audio-bitrate";
constexpr const char* kMediaTitle = "media-title";
constexpr const char* kTimePos = "time-pos";
constexpr const char* kDuration = "duration";
constexpr const char* kFileSize = "file-size";
constexpr const char* kSeekable = "seekable";
constexpr const char* kIdleActive = "idle-active";
constexpr const char* kVolume = "volume";
constexpr const char* kMute = "mute";
constexpr const char* kNetworkTimeout = "network-timeout";
constexpr const char* kStreamOpenFilename = "stream-open-filename";
constexpr const char* kFileFormat = "file-format";
}  // namespace property

// Keys inside the nodes libmpv hands back.
namespace key {
constexpr const char* kPlaylistEntryId = "playlist_entry_id";
constexpr const char* kType = "type";
constexpr const char* kSelected = "selected";
constexpr const char* kDemuxBitrate = "demux-bitrate";
constexpr const char* kIcyBitrate = "icy-br";
constexpr const char* kIcyTitle = "icy-title";
constexpr const char* kIcyName = "icy-name";
constexpr const char* kTitle = "title";
}  // namespace key

// reply_userdata of observed properties.
enum Observed : uint64_t {
    kPauseId = 1,
    kPausedForCacheId,
    kTrackListId,
    kMetadataId,
    kAudioBitrateId,
    kMediaTitleId,
    kTimePosId,
    kDurationId,
    kPolledDurationId,  // asked for with the position, not observed
    kFileSizeId,
    kSeekableId,
    kIdleActiveId,
    kVolumeId,
    kMuteId,
    kFileFormatId,
};

// The hook libmpv calls before it opens each entry, and the reply_userdata
// of the address asked for under it, which carries the hook's id.
constexpr const char* kOnLoadHook = "on_load";
constexpr uint64_t kOnLoadHookId = 100;
constexpr uint64_t kOpeningTag = uint64_t{1} << 41;

// reply_userdata of a loadfile carries its tag above this bit.
constexpr uint64_t kLoadTag = uint64_t{1} << 40;

const mpv_node* mapValue(const mpv_node& node, const char* name) {
    if (node.format != MPV_FORMAT_NODE_MAP || !node.u.list) return nullptr;
    for (int i = 0; i < node.u.list->num; ++i)
        if (std::strcmp(node.u.list->keys[i], name) == 0) return &node.u.list->values[i];
    return nullptr;
}

int64_t numberOf(const mpv_node* node) {
    if (!node) return 0;
    if (node->format == MPV_FORMAT_INT64) return node->u.int64;
    if (node->format == MPV_FORMAT_DOUBLE) return std::llround(node->u.double_);
    return 0;
}

QString textOf(const mpv_node* node) {
    return node && node->format == MPV_FORMAT_STRING ? QString::fromUtf8(node->u.string)
                                                     : QString();
}

// ICY headers are matched without regard to case, as HTTP headers are.
const mpv_node* metadataValue(const mpv_node& map, const char* name) {
    if (map.format != MPV_FORMAT_NODE_MAP || !map.u.list) return nullptr;
    for (int i = 0; i < map.u.list->num; ++i)
        if (QLatin1String(map.u.list->keys[i]).compare(QLatin1String(name), Qt::CaseInsensitive) ==
            0)
            return &map.u.list->values[i];
    return nullptr;
}

// "128" or "128,128" (some servers repeat it per channel) -> 128.
int64_t leadingNumber(const QString& text) {
    qsizetype end = 0;
    while (end < text.size() && text.at(end).isDigit()) ++end;
    return text.left(end).toLongLong();
}

EndReason endReasonOf(mpv_end_file_reason reason, int error) {
    switch (reason) {
        case MPV_END_FILE_REASON_EOF:
            return EndReason::Eof;
        case MPV_END_FILE_REASON_STOP:
            return EndReason::Stop;
        case MPV_END_FILE_REASON_QUIT:
            return EndReason::Quit;
        case MPV_END_FILE_REASON_REDIRECT:
            return EndReason::Redirect;
        case MPV_END_FILE_REASON_ERROR:
            break;
    }
    return error == MPV_ERROR_UNKNOWN_FORMAT || error == MPV_ERROR_NOTHING_TO_PLAY
               ? EndReason::NotAudio
               : EndReason::Error;
}

void setOptions(mpv_handle* h, const CoreSettings& settings) {
    // A user's mpv.conf or scripts must not change the player.
    mpv_set_option_string(h, "config", "no");
    mpv_set_option_string(h, "load-scripts", "no");
    mpv_set_option_string(h, "ytdl", "no");
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

FailureReason networkFailureOf(const QString& logLine) {
    // As libavformat words them: "http: HTTP error 404 Not Found",
    // "tcp: Connection to tcp://host:port failed: Connection refused",
    // "tcp: Failed to resolve hostname host: Name or service not known".
    static const QLatin1String httpError("HTTP error ");
    const qsizetype at = logLine.indexOf(httpError);
    if (at >= 0) {
        const int status = static_cast<int>(leadingNumber(logLine.mid(at + httpError.size())));
        if (status > 0) return {Failure::HttpStatus, status};
    }
    if (logLine.contains(QLatin1String("Connection refused"))) return {Failure::ConnectionRefused};
    if (logLine.contains(QLatin1String("Failed to resolve hostname")))
        return {Failure::ServerNotFound};
    if (logLine.contains(QLatin1String("timed out"))) return {Failure::NoAnswer};
    return {};
}

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

void MpvCore::translate(const mpv_event& event) {
    switch (event.event_id) {
        case MPV_EVENT_COMMAND_REPLY:
            if (event.reply_userdata & kLoadTag) {
                const auto* reply = static_cast<const mpv_event_command*>(event.data);
                const mpv_node* entry =
                    reply ? mapValue(reply->result, key::kPlaylistEntryId) : nullptr;
                tell(&CoreEvents::loadReplied, event.reply_userdata & ~kLoadTag,
                     event.error >= 0 && entry != nullptr, numberOf(entry));
            }
            break;
        case MPV_EVENT_START_FILE:
            tell(&CoreEvents::fileStarted,
                 static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id);
            break;
        case MPV_EVENT_END_FILE: {
            const auto* end = static_cast<const mpv_event_end_file*>(event.data);
            tell(&CoreEvents::fileEnded, end->playlist_entry_id,
                 endReasonOf(end->reason, end->error), end->playlist_insert_id,
                 end->playlist_insert_num_entries);
            break;
        }
        case MPV_EVENT_FILE_LOADED:
            tell(&CoreEvents::fileLoaded);
            break;
        case MPV_EVENT_PLAYBACK_RESTART:
            tell(&CoreEvents::playbackRestarted);
            break;
        case MPV_EVENT_QUEUE_OVERFLOW:
            tell(&CoreEvents::eventsLost);
            break;
        case MPV_EVENT_LOG_MESSAGE: {
            const FailureReason reason = networkFailureOf(
                QString::fromUtf8(static_cast<const mpv_event_log_message*>(event.data)->text));
            if (reason.kind != Failure::None) tell(&CoreEvents::networkFailure, reason);
            break;
        }
        case MPV_EVENT_HOOK:
            tell(&CoreEvents::entryHeld, static_cast<mpv_event_hook*>(event.data)->id);
            break;
        case MPV_EVENT_GET_PROPERTY_REPLY:
            if (event.reply_userdata & kOpeningTag) {
                const auto* p = static_cast<const mpv_event_property*>(event.data);
                tell(&CoreEvents::entryOpening, event.reply_userdata & ~kOpeningTag,
                     event.error >= 0 && p->format == MPV_FORMAT_STRING
                         ? QString::fromUtf8(*static_cast<char**>(p->data))
                         : QString());
            } else if (event.error >= 0) {
                translateProperty(event.reply_userdata, event.data);
            }
            break;
        case MPV_EVENT_PROPERTY_CHANGE:
            translateProperty(event.reply_userdata, event.data);
            break;
        default:
            break;
    }
}

namespace {

// The rate of the selected audio track in libmpv's track list; 0 when none.
std::int64_t selectedAudioRate(const mpv_node* list) {
    std::int64_t rate = 0;
    if (list && list->format == MPV_FORMAT_NODE_ARRAY && list->u.list)
        for (int i = 0; i < list->u.list->num; ++i) {
            const mpv_node& track = list->u.list->values[i];
            const mpv_node* selected = mapValue(track, key::kSelected);
            if (textOf(mapValue(track, key::kType)) == QLatin1String("audio") && selected &&
                selected->format == MPV_FORMAT_FLAG && selected->u.flag)
                rate = numberOf(mapValue(track, key::kDemuxBitrate));
        }
    return rate;
}

IcyHeaders icyHeadersOf(const mpv_node* map) {
    IcyHeaders headers;
    if (!map || map->format != MPV_FORMAT_NODE_MAP || !map->u.list) return headers;
    for (int i = 0; i < map->u.list->num; ++i)
        headers.any = headers.any || QLatin1String(map->u.list->keys[i])
                                         .startsWith(QLatin1String("icy-"), Qt::CaseInsensitive);
    headers.bitRateKbps = leadingNumber(textOf(metadataValue(*map, key::kIcyBitrate)));
    headers.name = textOf(metadataValue(*map, key::kIcyName)).trimmed();
    headers.title = textOf(metadataValue(*map, key::kIcyTitle)).trimmed();
    return headers;
}

}  // namespace

void MpvCore::translateProperty(std::uint64_t id, const void* data) {
    const auto* p = static_cast<const mpv_event_property*>(data);
    const bool none = p->format == MPV_FORMAT_NONE || !p->data;
    const bool flag = !none && p->format == MPV_FORMAT_FLAG && *static_cast<int*>(p->data) != 0;
    const double number =
        !none && p->format == MPV_FORMAT_DOUBLE ? *static_cast<double*>(p->data) : 0.0;
    const QString text = !none && p->format == MPV_FORMAT_STRING
                             ? QString::fromUtf8(*static_cast<char**>(p->data))
                             : QString();
    const auto* node = none ? nullptr : static_cast<const mpv_node*>(p->data);
    switch (id) {
        case kPauseId:
            return tell(&CoreEvents::pauseChanged, flag);
        case kPausedForCacheId:
            return tell(&CoreEvents::pausedForCacheChanged, flag);
        case kIdleActiveId:
            return tell(&CoreEvents::idleChanged, flag);
        case kSeekableId:
            return tell(&CoreEvents::seekableChanged, flag);
        case kMuteId:
            if (!none) tell(&CoreEvents::muteSet, flag);
            return;
        case kVolumeId:
            if (!none) tell(&CoreEvents::volumeSet, number);
            return;
        case kDurationId:
            return tell(&CoreEvents::durationObserved, number);
        case kPolledDurationId:
            return tell(&CoreEvents::durationPolled, number);
        case kTimePosId:
            return tell(&CoreEvents::positionPolled, number);
        case kAudioBitrateId:
            return tell(&CoreEvents::audioBitRateChanged, number);
        case kFileSizeId:
            return tell(&CoreEvents::sizeChanged, none || p->format != MPV_FORMAT_INT64
                                                      ? std::int64_t{0}
                                                      : *static_cast<std::int64_t*>(p->data));
        case kFileFormatId:
            return tell(&CoreEvents::fileFormatChanged, text);
        case kMediaTitleId:
            return tell(&CoreEvents::mediaTitleChanged, text);
        case kTrackListId:
            return tell(&CoreEvents::trackBitRateChanged, selectedAudioRate(node));
        case kMetadataId:
            tell(&CoreEvents::titleTagChanged,
                 node ? textOf(metadataValue(*node, key::kTitle)).trimmed() : QString());
            return tell(&CoreEvents::metadataChanged, icyHeadersOf(node));
        default:
            return;
    }
}

}  // namespace ondrix
