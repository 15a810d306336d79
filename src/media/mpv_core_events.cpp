// How a core's libmpv events become calls on its CoreEvents: each event's
// data is copied out before the call, nothing of libmpv's is kept.
#include <mpv/client.h>

#include <QString>
#include <cmath>
#include <cstring>

#include "media/mpv_core.h"
#include "media/mpv_names.h"

namespace ondrix {

using namespace mpvnames;

namespace {

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
        case MPV_EVENT_SET_PROPERTY_REPLY:
            if (event.reply_userdata & kRefusedTag) {
                // libmpv takes the address in the hook; should it not, the
                // entry is stopped before the hook is let go.
                if (event.error < 0) tryStop();
                mpv_hook_continue(handle_.get(), event.reply_userdata & ~kRefusedTag);
            }
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
