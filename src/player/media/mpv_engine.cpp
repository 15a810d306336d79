#include "player/media/mpv_engine.h"
#include "player/media/stream_options.h"

#include <mpv/client.h>

#include <QFileInfo>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/runtime_error.h"

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
constexpr const char* kSeekable = "seekable";
constexpr const char* kIdleActive = "idle-active";
constexpr const char* kVolume = "volume";
constexpr const char* kMute = "mute";
constexpr const char* kNetworkTimeout = "network-timeout";
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
    kSeekableId,
    kIdleActiveId,
    kVolumeId,
    kMuteId,
};

// reply_userdata of a loadfile carries its generation above this bit.
constexpr uint64_t kLoadTag = uint64_t{1} << 40;

constexpr int kDefaultNetworkTimeoutSeconds = 10;

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

}  // namespace

MpvEngine::MpvEngine(QObject* parent, const QString& audioOutput)
    : MediaEngine(parent), mpv_(mpv_create(), &mpv_terminate_destroy) {
    if (!mpv_)
        throw RuntimeError(429, QStringLiteral("ActiveX component can't create object"),
                           QStringLiteral("libmpv"));
    mpv_handle* h = mpv_.get();
    // A user's mpv.conf or scripts must not change the player.
    mpv_set_option_string(h, "config", "no");
    mpv_set_option_string(h, "load-scripts", "no");
    mpv_set_option_string(h, "ytdl", "no");
    mpv_set_option_string(h, "vid", "no");
    mpv_set_option_string(h, "terminal", "no");
    mpv_set_option_string(h, "idle", "yes");
    mpv_set_option_string(h, "audio-fallback-to-null", "yes");
    // A radio stream is never sought back in: keeping what was played (by
    // default up to 50 MiB) would grow the player by the stream's rate for
    // most of an hour.
    mpv_set_option_string(h, "demuxer-max-back-bytes", "512KiB");
    mpv_set_option_string(h, property::kVolume, "50");
    mpv_set_option_string(h, property::kMute, "no");
    mpv_set_option_string(h, property::kNetworkTimeout,
                          QByteArray::number(kDefaultNetworkTimeoutSeconds).constData());
    if (!audioOutput.isEmpty()) mpv_set_option_string(h, "ao", audioOutput.toUtf8().constData());
    for (const auto& [name, value] : streamOpeningOptions()) mpv_set_option_string(h, name, value);
    if (mpv_initialize(h) < 0)
        throw RuntimeError(429, QStringLiteral("ActiveX component can't create object"),
                           QStringLiteral("libmpv"));

    mpv_observe_property(h, kPauseId, property::kPause, MPV_FORMAT_FLAG);
    mpv_observe_property(h, kPausedForCacheId, property::kPausedForCache, MPV_FORMAT_FLAG);
    mpv_observe_property(h, kTrackListId, property::kTrackList, MPV_FORMAT_NODE);
    mpv_observe_property(h, kMetadataId, property::kMetadata, MPV_FORMAT_NODE);
    mpv_observe_property(h, kAudioBitrateId, property::kAudioBitrate, MPV_FORMAT_DOUBLE);
    mpv_observe_property(h, kMediaTitleId, property::kMediaTitle, MPV_FORMAT_STRING);
    mpv_observe_property(h, kDurationId, property::kDuration, MPV_FORMAT_DOUBLE);
    mpv_observe_property(h, kSeekableId, property::kSeekable, MPV_FORMAT_FLAG);
    mpv_observe_property(h, kIdleActiveId, property::kIdleActive, MPV_FORMAT_FLAG);
    mpv_observe_property(h, kVolumeId, property::kVolume, MPV_FORMAT_DOUBLE);
    mpv_observe_property(h, kMuteId, property::kMute, MPV_FORMAT_FLAG);

    retryTimer_.setSingleShot(true);
    retryTimer_.setInterval(20);
    // The playing position changes with every decoded frame; observing it
    // would wake the window's thread dozens of times a second for a slider
    // that moves once a second. It is asked for twice a second instead.
    positionTimer_.setInterval(500);
    connect(&positionTimer_, &QTimer::timeout, this, [this] {
        mpv_get_property_async(mpv_.get(), kTimePosId, property::kTimePos, MPV_FORMAT_DOUBLE);
    });
    connect(&retryTimer_, &QTimer::timeout, this, &MpvEngine::sendCommands);
    reconnectTimer_.setSingleShot(true);
    connect(&reconnectTimer_, &QTimer::timeout, this, &MpvEngine::reconnectNow);

    // Runs on a libmpv thread: it may only post to the Qt event loop.
    mpv_set_wakeup_callback(
        h,
        [](void* self) {
            auto* engine = static_cast<MpvEngine*>(self);
            if (!engine->drainQueued_.exchange(true))
                QMetaObject::invokeMethod(engine, &MpvEngine::drainEvents, Qt::QueuedConnection);
        },
        this);
}

MpvEngine::~MpvEngine() {
    // No wakeup may reach this object once it is going away.
    mpv_set_wakeup_callback(mpv_.get(), nullptr, nullptr);
}

namespace {

// The scheme of "scheme://rest" in lower case; empty for a plain path.
QString schemeOf(const QString& url) {
    const qsizetype separator = url.indexOf(QStringLiteral("://"));
    if (separator <= 1) return QString();  // "C://x" is a drive, not a scheme
    const QString scheme = url.left(separator).toLower();
    for (QChar c : scheme)
        if (!(c.isLetterOrNumber() || c == QLatin1Char('+') || c == QLatin1Char('-') ||
              c == QLatin1Char('.')))
            return QString();
    return scheme;
}

}  // namespace

bool MpvEngine::isNetworkAddress(const QString& url) {
    const QString scheme = schemeOf(url);
    return !scheme.isEmpty() && scheme != QLatin1String("file");
}

bool MpvEngine::isOpenableAddress(const QString& url) {
    // libmpv also knows schemes that reach into the player process itself
    // ("fd://", "fdclose://" act on its file descriptors) or run filter
    // graphs; an address typed into the test box must not get there.
    static const QStringList allowed = {
        QStringLiteral("http"),  QStringLiteral("https"), QStringLiteral("icyx"),
        QStringLiteral("mms"),   QStringLiteral("mmsh"),  QStringLiteral("mmst"),
        QStringLiteral("rtsp"),  QStringLiteral("rtsps"), QStringLiteral("rtmp"),
        QStringLiteral("rtmps"), QStringLiteral("rtp"),   QStringLiteral("udp"),
        QStringLiteral("srt"),   QStringLiteral("ftp"),   QStringLiteral("sftp"),
        QStringLiteral("smb"),   QStringLiteral("dav"),   QStringLiteral("davs"),
        QStringLiteral("file")};
    const QString scheme = schemeOf(url);
    return scheme.isEmpty() || allowed.contains(scheme);
}

void MpvEngine::setURL(const QString& url) {
    url_ = url;
    cancelReconnect();
    if (url.isEmpty()) {
        sendStop();
        setState(PlayState::Ready);
        return;
    }
    load(false);
}

void MpvEngine::controlsPlay() {
    if (url_.isEmpty()) return;
    if (state_ == PlayState::Paused) {
        setPause(false);
        if (loadPending_ || !loaded_)
            setState(reconnecting_ ? PlayState::Reconnecting : PlayState::Buffering);
        else
            updatePlayingState();
        return;
    }
    if (state_ == PlayState::Stopped || state_ == PlayState::Ready ||
        state_ == PlayState::Undefined)
        load(false);
}

void MpvEngine::controlsStop() {
    cancelReconnect();
    sendStop();
    // A failed or empty address stays Ready: Stopped would start the shuttle.
    if (state_ != PlayState::Undefined && state_ != PlayState::Ready) setState(PlayState::Stopped);
}

void MpvEngine::controlsPause() {
    if (state_ != PlayState::Playing && state_ != PlayState::Buffering &&
        state_ != PlayState::Transitioning)
        return;
    setPause(true);
    setState(PlayState::Paused);
}

void MpvEngine::setPause(bool on) {
    // mpv_set_property would wait for the core; the async form only queues.
    int flag = on ? 1 : 0;
    mpv_set_property_async(mpv_.get(), 0, property::kPause, MPV_FORMAT_FLAG, &flag);
    pause_ = on;
}

void MpvEngine::setVolume(int percent) {
    percent = std::clamp(percent, 0, 100);
    double value = percent;
    mpv_set_property_async(mpv_.get(), 0, property::kVolume, MPV_FORMAT_DOUBLE, &value);
    if (percent != volume_) {
        volume_ = percent;
        emit volumeChanged(volume_);
    }
}

void MpvEngine::setMute(bool on) {
    int flag = on ? 1 : 0;
    mpv_set_property_async(mpv_.get(), 0, property::kMute, MPV_FORMAT_FLAG, &flag);
    if (on != mute_) {
        mute_ = on;
        emit muteChanged(mute_);
    }
}

void MpvEngine::setCurrentPosition(double seconds) {
    if (duration() <= 0.0 || !loaded_) return;
    const QByteArray target = QByteArray::number(std::clamp(seconds, 0.0, length_), 'f', 3);
    const char* args[] = {"seek", target.constData(), "absolute", nullptr};
    mpv_command_async(mpv_.get(), 0, args);
}

void MpvEngine::setNetworkTimeout(int seconds) {
    double value = seconds;
    mpv_set_property_async(mpv_.get(), 0, property::kNetworkTimeout, MPV_FORMAT_DOUBLE, &value);
}

QString MpvEngine::mediaTitle() const {
    if (url_.isEmpty()) return QString();
    if (isNetworkAddress(url_)) {
        // libmpv's media-title of a stream repeats the song title, which the
        // display shows on its own line; the station's name fits here.
        return !stationName_.isEmpty() && (loaded_ || reconnecting_) ? stationName_ : url_;
    }
    // libmpv answers with the bare file name when the media has no title tag.
    if (!mediaTitle_.isEmpty() && loaded_) return mediaTitle_;
    return QFileInfo(url_).fileName();
}

QString MpvEngine::currentMediaItemInfo(const QString& attribute) const {
    if (attribute.compare(QLatin1String("bitrate"), Qt::CaseInsensitive) != 0) return QString();
    if (!loaded_) return QString();
    std::int64_t rate = 0;
    if (demuxBitrate_ > 0)
        rate = demuxBitrate_;
    else if (icyBitrate_ > 0)
        rate = icyBitrate_ * 1000;
    else if (audioBitrate_ > 0.0)
        rate = std::llround(audioBitrate_);
    else
        return QString();
    // The poller asks 100 times a second; the text is made again only when
    // the rate changes.
    if (rate != bitRateOfText_) {
        bitRateOfText_ = rate;
        bitRateText_ = QString::number(rate);
    }
    return bitRateText_;
}

void MpvEngine::load(bool reconnecting) {
    if (!isOpenableAddress(url_)) {
        sendStop();
        setState(PlayState::Ready);
        return;
    }
    ++loadGeneration_;
    loadPending_ = true;
    currentEntry_ = playlistLast_ = -1;
    heldEvents_.clear();
    loaded_ = started_ = played_ = false;
    setStreamTitle(QString());
    // autoStart: a new address plays even when the last one was paused.
    if (pause_) setPause(false);
    loadWanted_ = true;
    sendCommands();
    if (!reconnecting) setState(PlayState::Transitioning);
}

void MpvEngine::sendStop() {
    // Whatever is still on its way from the last load no longer concerns us.
    ++loadGeneration_;
    loadPending_ = false;
    loadWanted_ = false;
    currentEntry_ = playlistLast_ = -1;
    heldEvents_.clear();
    loaded_ = started_ = played_ = false;
    setStreamTitle(QString());
    if (!mayBePlaying_) return;
    stopWanted_ = true;
    sendCommands();
}

void MpvEngine::sendCommands() {
    // Every queued command holds a slot of libmpv's event queue until its
    // reply is read; a flood of calls without a return to the event loop
    // would fill it. So only one loadfile is under way at a time (the newest
    // address goes when it is answered), and a refused command is tried again.
    if (stopWanted_) {
        const char* args[] = {"stop", nullptr};
        if (mpv_command_async(mpv_.get(), 0, args) < 0) {
            retryTimer_.start();
            return;
        }
        stopWanted_ = false;
        mayBePlaying_ = false;
    }
    if (loadWanted_ && !loadInFlight_) {
        const QByteArray address = url_.toUtf8();
        const char* args[] = {"loadfile", address.constData(), "replace", nullptr};
        if (mpv_command_async(mpv_.get(), kLoadTag | loadGeneration_, args) < 0) {
            retryTimer_.start();
            return;
        }
        loadWanted_ = false;
        loadInFlight_ = true;
        mayBePlaying_ = true;
    }
}

void MpvEngine::drainEvents() {
    drainQueued_ = false;
    for (mpv_event* e; (e = mpv_wait_event(mpv_.get(), 0))->event_id != MPV_EVENT_NONE;)
        handleEvent(*e);
}

void MpvEngine::handleEvent(const mpv_event& event) {
    switch (event.event_id) {
        case MPV_EVENT_COMMAND_REPLY:
            if (event.reply_userdata & kLoadTag) {
                const auto* reply = static_cast<const mpv_event_command*>(event.data);
                handleLoadReply(event.reply_userdata & ~kLoadTag, event.error,
                                reply ? &reply->result : nullptr);
            }
            break;
        case MPV_EVENT_START_FILE: {
            const auto* start = static_cast<const mpv_event_start_file*>(event.data);
            activeEntry_ = start->playlist_entry_id;
            const EntryEvent e{start->playlist_entry_id, EntryEvent::Start, 0, 0, 0};
            if (loadPending_)
                heldEvents_.push_back(e);
            else
                handleEntryEvent(e);
            break;
        }
        case MPV_EVENT_END_FILE: {
            const auto* end = static_cast<const mpv_event_end_file*>(event.data);
            if (activeEntry_ == end->playlist_entry_id) activeEntry_ = -1;
            const EntryEvent e{end->playlist_entry_id, EntryEvent::End,
                               static_cast<int>(end->reason), end->playlist_insert_id,
                               end->playlist_insert_num_entries};
            if (loadPending_)
                heldEvents_.push_back(e);
            else
                handleEntryEvent(e);
            break;
        }
        case MPV_EVENT_FILE_LOADED:
        case MPV_EVENT_PLAYBACK_RESTART: {
            // These carry no entry id: they belong to whichever entry is open now.
            const EntryEvent e{activeEntry_,
                               event.event_id == MPV_EVENT_FILE_LOADED ? EntryEvent::Loaded
                                                                       : EntryEvent::Restarted,
                               0, 0, 0};
            if (loadPending_)
                heldEvents_.push_back(e);
            else
                handleEntryEvent(e);
            break;
        }
        case MPV_EVENT_QUEUE_OVERFLOW:
            // What was lost may include the end of our entry; libmpv's
            // present idle state tells whether anything still plays.
            eventsLost_ = true;
            mpv_get_property_async(mpv_.get(), kIdleActiveId, property::kIdleActive,
                                   MPV_FORMAT_FLAG);
            break;
        case MPV_EVENT_GET_PROPERTY_REPLY:
            if (event.error >= 0) handlePropertyChange(event.reply_userdata, event.data);
            break;
        case MPV_EVENT_PROPERTY_CHANGE:
            handlePropertyChange(event.reply_userdata, event.data);
            break;
        default:
            break;
    }
}

void MpvEngine::handleLoadReply(uint64_t generation, int error, const mpv_node* result) {
    loadInFlight_ = false;
    if (!loadPending_ || generation != loadGeneration_) {
        sendCommands();
        return;
    }
    loadPending_ = false;
    if (error < 0 || !result || !mapValue(*result, key::kPlaylistEntryId)) {
        heldEvents_.clear();
        if (reconnecting_)
            scheduleReconnect();
        else
            setState(PlayState::Ready);
        return;
    }
    currentEntry_ = numberOf(mapValue(*result, key::kPlaylistEntryId));
    const std::vector<EntryEvent> held = std::move(heldEvents_);
    heldEvents_.clear();
    for (const EntryEvent& e : held) handleEntryEvent(e);
}

void MpvEngine::handleEntryEvent(const EntryEvent& e) {
    if (currentEntry_ < 0) return;
    // After a failed or finished entry of an opened playlist libmpv goes on
    // with the next one, which then is ours.
    if (e.kind == EntryEvent::Start && e.entryId > currentEntry_ && e.entryId <= playlistLast_)
        currentEntry_ = e.entryId;
    if (e.entryId != currentEntry_) return;
    switch (e.kind) {
        case EntryEvent::Start:
            loaded_ = started_ = false;
            if (!reconnecting_ && !pause_) setState(PlayState::Buffering);
            return;
        case EntryEvent::Loaded:
            loaded_ = true;
            updatePlayingState();
            return;
        case EntryEvent::Restarted:
            if (!loaded_) return;
            started_ = true;
            updatePlayingState();
            return;
        case EntryEvent::End:
            break;
    }
    if (e.reason == MPV_END_FILE_REASON_REDIRECT && e.insertId > 0) {
        // A playlist (.pls, .m3u) was opened: its entries play in its place.
        currentEntry_ = e.insertId;
        playlistLast_ = e.insertId + std::max(e.insertCount, 1) - 1;
        return;
    }
    endOfCurrent(e.reason);
}

void MpvEngine::endOfCurrent(int reason) {
    const bool decoded = loaded_;
    loaded_ = started_ = false;
    const bool stopped = reason == MPV_END_FILE_REASON_STOP || reason == MPV_END_FILE_REASON_QUIT;
    if (!stopped && currentEntry_ < playlistLast_) return;  // the next entry follows
    if (reconnecting_) {
        scheduleReconnect();
        return;
    }
    if (stopped) {
        setState(PlayState::Stopped);
        return;
    }
    if (played_ && isNetworkAddress(url_)) {
        reconnecting_ = true;
        reconnectAttempt_ = 0;
        reconnectClock_.start();
        setState(PlayState::Reconnecting);
        scheduleReconnect();
        return;
    }
    // An address that never got as far as decoding could not be opened.
    if (reason == MPV_END_FILE_REASON_EOF && decoded)
        setState(PlayState::Stopped);
    else
        setState(PlayState::Ready);
}

void MpvEngine::endLostEntry() {
    // Events can be dropped when the queue runs over while the window's
    // thread is held; then only libmpv being idle tells that our entry ended.
    if (!eventsLost_ || !idleActive_ || loadPending_ || loadWanted_ || loadInFlight_ ||
        currentEntry_ < 0)
        return;
    eventsLost_ = false;
    activeEntry_ = -1;
    playlistLast_ = currentEntry_;  // idle: no later entry of a playlist follows
    const bool decoded = loaded_ || played_;
    endOfCurrent(decoded ? MPV_END_FILE_REASON_EOF : MPV_END_FILE_REASON_ERROR);
    if (!reconnecting_) currentEntry_ = playlistLast_ = -1;
}

int reconnectPauseMs(int attempt, qint64 elapsedMs, int limitMs) {
    if (elapsedMs >= limitMs) return -1;
    const qint64 doubled = qint64{1000} << std::min(attempt, 20);
    // The last pause is cut short so that one try falls at the limit itself.
    return static_cast<int>(std::min(doubled, limitMs - elapsedMs));
}

void MpvEngine::scheduleReconnect() {
    const int pause =
        reconnectPauseMs(reconnectAttempt_++, reconnectClock_.elapsed(), reconnectLimitMs_);
    if (pause < 0) {
        cancelReconnect();
        currentEntry_ = playlistLast_ = -1;
        setState(PlayState::Stopped);
        return;
    }
    reconnectTimer_.start(pause);
}

void MpvEngine::reconnectNow() {
    if (reconnecting_) load(true);
}

void MpvEngine::cancelReconnect() {
    reconnectTimer_.stop();
    reconnecting_ = false;
}

void MpvEngine::updatePlayingState() {
    if (loadPending_ || currentEntry_ < 0 || activeEntry_ != currentEntry_ || !loaded_) return;
    if (pause_) {
        setState(PlayState::Paused);
    } else if (!started_ || pausedForCache_) {
        setState(reconnecting_ ? PlayState::Reconnecting : PlayState::Buffering);
    } else {
        played_ = true;
        cancelReconnect();
        setState(PlayState::Playing);
    }
}

void MpvEngine::handlePropertyChange(uint64_t id, const void* data) {
    const auto* p = static_cast<const mpv_event_property*>(data);
    const bool none = p->format == MPV_FORMAT_NONE || !p->data;
    switch (id) {
        case kPauseId:
            pause_ = !none && *static_cast<int*>(p->data) != 0;
            updatePlayingState();
            break;
        case kPausedForCacheId:
            pausedForCache_ = !none && *static_cast<int*>(p->data) != 0;
            updatePlayingState();
            break;
        case kTrackListId: {
            demuxBitrate_ = 0;
            if (none) break;
            const auto* list = static_cast<const mpv_node*>(p->data);
            if (list->format != MPV_FORMAT_NODE_ARRAY || !list->u.list) break;
            for (int i = 0; i < list->u.list->num; ++i) {
                const mpv_node& track = list->u.list->values[i];
                const mpv_node* selected = mapValue(track, key::kSelected);
                if (textOf(mapValue(track, key::kType)) == QLatin1String("audio") && selected &&
                    selected->format == MPV_FORMAT_FLAG && selected->u.flag)
                    demuxBitrate_ = numberOf(mapValue(track, key::kDemuxBitrate));
            }
            break;
        }
        case kMetadataId: {
            icyBitrate_ = 0;
            if (none) {
                stationName_.clear();
                setStreamTitle(QString());
                break;
            }
            const auto* map = static_cast<const mpv_node*>(p->data);
            icyBitrate_ = leadingNumber(textOf(metadataValue(*map, key::kIcyBitrate)));
            const QString name = textOf(metadataValue(*map, key::kIcyName)).trimmed();
            if (name != stationName_) {
                stationName_ = name;
                emit titleChanged(mediaTitle());
            }
            setStreamTitle(textOf(metadataValue(*map, key::kIcyTitle)).trimmed());
            break;
        }
        case kAudioBitrateId:
            audioBitrate_ = none ? 0.0 : *static_cast<double*>(p->data);
            break;
        case kMediaTitleId:
            mediaTitle_ = none ? QString() : QString::fromUtf8(*static_cast<char**>(p->data));
            emit titleChanged(mediaTitle());
            break;
        case kTimePosId:
            position_ = none ? 0.0 : *static_cast<double*>(p->data);
            emit positionChanged(position_);
            break;
        case kDurationId:
            length_ = none ? 0.0 : *static_cast<double*>(p->data);
            emit durationChanged(duration());
            break;
        case kIdleActiveId:
            idleActive_ = !none && *static_cast<int*>(p->data) != 0;
            endLostEntry();
            break;
        case kSeekableId:
            seekable_ = !none && *static_cast<int*>(p->data) != 0;
            emit durationChanged(duration());
            break;
        case kVolumeId:
            if (!none) {
                const int percent = static_cast<int>(std::lround(*static_cast<double*>(p->data)));
                if (percent != volume_) {
                    volume_ = percent;
                    emit volumeChanged(volume_);
                }
            }
            break;
        case kMuteId:
            if (!none && (*static_cast<int*>(p->data) != 0) != mute_) {
                mute_ = !mute_;
                emit muteChanged(mute_);
            }
            break;
        default:
            break;
    }
}

void MpvEngine::setState(int state) {
    if (state == state_) return;
    state_ = state;
    if (state_ == PlayState::Playing) {
        if (!positionTimer_.isActive()) positionTimer_.start();
    } else {
        positionTimer_.stop();
    }
    emit playStateChanged(state_);
}

void MpvEngine::setStreamTitle(const QString& title) {
    if (title == streamTitle_) return;
    streamTitle_ = title;
    emit titleChanged(mediaTitle());
}

}  // namespace ondrix
