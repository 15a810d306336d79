#include "player/media/mpv_engine.h"

#include <mpv/client.h>

#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/runtime_error.h"
#include "player/media/stream_options.h"

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

// How long the engine's own request may stream before the address counts
// as live: a file made on the fly for a listener comes faster than it plays.
constexpr int kAskServerMs = 3000;

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

}  // namespace

FailureReason networkFailureOf(const QString& logLine) {
    // As libavformat words them: "http: HTTP error 404 Not Found",
    // "tcp: Connection to tcp://host:port failed: Connection refused".
    static const QLatin1String httpError("HTTP error ");
    const qsizetype at = logLine.indexOf(httpError);
    if (at >= 0) {
        const int status = static_cast<int>(leadingNumber(logLine.mid(at + httpError.size())));
        if (status > 0) return {Failure::HttpStatus, status};
    }
    if (logLine.contains(QLatin1String("Connection refused"))) return {Failure::ConnectionRefused};
    if (logLine.contains(QLatin1String("timed out"))) return {Failure::NoAnswer};
    return {};
}

MpvCore::MpvCore(int index, QObject* context, Handler handler)
    : index_(index), context_(context), handler_(std::move(handler)) {}

bool MpvCore::create(const std::function<void(mpv_handle*)>& options,
                     const std::function<void(mpv_handle*)>& setup) {
    handle_ = {mpv_create(), &mpv_terminate_destroy};
    mpv_handle* h = handle_.get();
    if (!h) return false;
    options(h);
    if (mpv_initialize(h) < 0) {
        handle_.reset();
        return false;
    }
    setup(h);
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
        // The event is libmpv's until the next wait: it is read here and
        // nothing of it is kept.
        const mpv_event* e = mpv_wait_event(handle_.get(), 0);
        if (e->event_id == MPV_EVENT_NONE) break;
        handler_(index_, *e);
    }
}

MpvEngine::MpvEngine(QObject* parent, const QString& audioOutput)
    : MediaEngine(parent),
      machine_([this] { return clock_.elapsed(); }),
      audioOutput_(audioOutput) {
    clock_.start();
    // A failure that ends the program with std::exit unwinds no stack: the
    // cores, with their threads and audio output, are ended on the way out.
    static const bool endedAtExit = [] {
        liveEngines();  // made before the handler, so gone after it
        return std::atexit([] {
                   for (MpvEngine* engine : liveEngines()) engine->destroyCores();
               }) == 0;
    }();
    Q_UNUSED(endedAtExit);
    for (std::size_t i = 0; i < cores_.size(); ++i)
        cores_[i] = std::make_unique<MpvCore>(static_cast<int>(i), this,
                                              [this](int index, const mpv_event& e) {
                                                  handleEvent(index, e);
                                                  sendCommands();
                                                  publish();
                                              });
    if (!createCore(core(0)))
        throw RuntimeError(429, QStringLiteral("ActiveX component can't create object"),
                           QStringLiteral("libmpv"));
    liveEngines().push_back(this);

    // The second core is made once the event loop runs, after the window
    // shows and before anything plays: making one blocks the window's
    // thread for a while. Without it, a change waits for the old stream.
    QTimer::singleShot(0, this, [this] {
        if (createCore(core(1))) machine_.coreMade(1);
    });

    retryTimer_.setSingleShot(true);
    retryTimer_.setInterval(20);
    connect(&retryTimer_, &QTimer::timeout, this, &MpvEngine::flushOutbox);
    // The playing position changes with every decoded frame; observing it
    // would wake the window's thread dozens of times a second for a slider
    // that moves once a second. It is asked for twice a second instead.
    positionTimer_.setInterval(500);
    connect(&positionTimer_, &QTimer::timeout, this, [this] {
        mpv_handle* h = active().handle();
        mpv_get_property_async(h, kTimePosId, property::kTimePos, MPV_FORMAT_DOUBLE);
        if (!durationObserved_)
            mpv_get_property_async(h, kPolledDurationId, property::kDuration, MPV_FORMAT_DOUBLE);
    });
    reconnectTimer_.setSingleShot(true);
    connect(&reconnectTimer_, &QTimer::timeout, this,
            [this] { step([this] { machine_.timerDue(EngineTimer::Reconnect); }); });
    watchdogTimer_.setSingleShot(true);
    connect(&watchdogTimer_, &QTimer::timeout, this,
            [this] { step([this] { machine_.timerDue(EngineTimer::Watchdog); }); });
}

bool MpvEngine::createCore(MpvCore& core) {
    return core.create([this](mpv_handle* h) { setCoreOptions(h); },
                       [this](mpv_handle* h) { observeCore(h); });
}

void MpvEngine::setCoreOptions(mpv_handle* h) {
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
    mpv_set_option_string(h, property::kVolume, QByteArray::number(volume_).constData());
    mpv_set_option_string(h, property::kMute, mute_ ? "yes" : "no");
    mpv_set_option_string(h, property::kNetworkTimeout,
                          QByteArray::number(networkTimeoutSeconds_).constData());
    if (!audioOutput_.isEmpty()) mpv_set_option_string(h, "ao", audioOutput_.toUtf8().constData());
    for (const auto& [name, value] : streamOpeningOptions()) mpv_set_option_string(h, name, value);
}

void MpvEngine::observeCore(mpv_handle* h) {
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
    if (durationObserved_)
        mpv_observe_property(h, kDurationId, property::kDuration, MPV_FORMAT_DOUBLE);
    // Each entry is held before it is opened, so that a playlist that lists
    // itself is caught and dead entries are tried at a bounded rate.
    mpv_hook_add(h, kOnLoadHookId, kOnLoadHook, 0);
    // The network layer tells why an address failed (an HTTP status, a
    // refused connection) only in its log.
    mpv_request_log_messages(h, "warn");
}

MpvEngine::~MpvEngine() {
    std::erase(liveEngines(), this);
    destroyCores();
}

std::vector<MpvEngine*>& MpvEngine::liveEngines() {
    static std::vector<MpvEngine*> engines;
    return engines;
}

void MpvEngine::destroyCores() {
    // No wakeup may reach this object once it is going away.
    for (auto& core : cores_)
        if (core) core->detach();
    for (auto& core : cores_)
        if (core) core->destroy();
}

void MpvEngine::forBothCores(const std::function<void(mpv_handle*)>& call) {
    for (auto& core : cores_)
        if (core && core->made()) call(core->handle());
}

template <typename Step>
void MpvEngine::step(Step&& feed) {
    feed();
    sendCommands();
    publish();
}

void MpvEngine::setURL(const QString& url) {
    step([&] {
        if (url != machine_.url()) stationName_.clear();
        streamTitle_.clear();
        const AddressKind kind = addressKind(url);
        machine_.setUrl(url, kind);
        observeDuration(kind != AddressKind::Network);
    });
}

void MpvEngine::observeDuration(bool on) {
    // libmpv guesses a live stream's length afresh with every read, ten
    // times a second, and each guess would wake the window's thread. A
    // stream's length is read with its position instead; a file's is fixed
    // and must be there as soon as it plays.
    if (on == durationObserved_) return;
    durationObserved_ = on;
    forBothCores([on](mpv_handle* h) {
        if (on)
            mpv_observe_property(h, kDurationId, property::kDuration, MPV_FORMAT_DOUBLE);
        else
            mpv_unobserve_property(h, kDurationId);
    });
}

void MpvEngine::controlsPlay() {
    step([this] {
        if (machine_.state() != PlayState::Paused) streamTitle_.clear();
        machine_.play();
    });
}

void MpvEngine::controlsStop() {
    step([this] {
        streamTitle_.clear();
        machine_.stop();
    });
}

void MpvEngine::controlsPause() {
    step([this] { machine_.pause(); });
}

void MpvEngine::setVolume(int percent) {
    percent = std::clamp(percent, 0, 100);
    double value = percent;
    forBothCores([&](mpv_handle* h) {
        mpv_set_property_async(h, 0, property::kVolume, MPV_FORMAT_DOUBLE, &value);
    });
    volume_ = percent;
    publish();
}

void MpvEngine::setMute(bool on) {
    int flag = on ? 1 : 0;
    forBothCores([&](mpv_handle* h) {
        mpv_set_property_async(h, 0, property::kMute, MPV_FORMAT_FLAG, &flag);
    });
    mute_ = on;
    publish();
}

void MpvEngine::setCurrentPosition(double seconds) {
    if (duration() <= 0.0 || !machine_.loaded()) return;
    const QByteArray target =
        QByteArray::number(std::clamp(seconds, 0.0, machine_.duration()), 'f', 3);
    const char* args[] = {"seek", target.constData(), "absolute", nullptr};
    mpv_command_async(active().handle(), 0, args);
}

void MpvEngine::setNetworkTimeout(int seconds) {
    networkTimeoutSeconds_ = seconds;
    machine_.setNetworkTimeout(seconds * 1000);
    double value = seconds;
    forBothCores([&](mpv_handle* h) {
        mpv_set_property_async(h, 0, property::kNetworkTimeout, MPV_FORMAT_DOUBLE, &value);
    });
}

QString MpvEngine::mediaTitle() const {
    const QString& url = machine_.url();
    if (url.isEmpty()) return QString();
    if (isNetworkAddress(url)) {
        // libmpv's media-title of a stream repeats the song title, which the
        // display shows on its own line; the station's name fits here.
        return !stationName_.isEmpty() && (machine_.loaded() || machine_.reconnecting())
                   ? stationName_
                   : url;
    }
    // libmpv answers with the bare file name when the media has no title tag.
    if (!mediaTitle_.isEmpty() && machine_.loaded()) return mediaTitle_;
    return QFileInfo(url).fileName();
}

std::int64_t MpvEngine::bitRate() const {
    if (!machine_.loaded()) return 0;
    return reportedBitRate(icyBitrate_, demuxBitrate_, measuredBitrate_);
}

QString MpvEngine::currentMediaItemInfo(const QString& attribute) const {
    if (attribute.compare(QLatin1String("bitrate"), Qt::CaseInsensitive) != 0) return QString();
    const std::int64_t rate = bitRate();
    return rate > 0 ? QString::number(rate) : QString();
}

void MpvEngine::publish() {
    // Signals go out only here, once a step is complete and no event of
    // libmpv's is in use: a slot may run a nested event loop that drains
    // the queue again. A slot may also change the engine (a stop starts the
    // next file), so each value is read afresh and told only once.
    if (playState() == PlayState::Playing) {
        if (!positionTimer_.isActive()) positionTimer_.start();
    } else {
        positionTimer_.stop();
    }
    if (playState() != told_.state) {
        told_.state = playState();
        emit playStateChanged(told_.state);
    }
    if (bitRate() != told_.bitRate) {
        told_.bitRate = bitRate();
        emit bitRateChanged();
    }
    if (mediaTitle() != told_.title || streamTitle_ != told_.streamTitle ||
        machine_.failure() != told_.failure) {
        told_.title = mediaTitle();
        told_.streamTitle = streamTitle_;
        told_.failure = machine_.failure();
        emit titleChanged(told_.title);
    }
    if (duration() != told_.duration) {
        told_.duration = duration();
        emit durationChanged(told_.duration);
    }
    if (currentPosition() != told_.position) {
        told_.position = currentPosition();
        emit positionChanged(told_.position);
    }
    if (volume_ != told_.volume) {
        told_.volume = volume_;
        emit volumeChanged(told_.volume);
    }
    if (mute_ != told_.mute) {
        told_.mute = mute_;
        emit muteChanged(told_.mute);
    }
}

void MpvEngine::sendCommands() {
    // A held entry is let go only after the stop that may come with it, or
    // libmpv would open it first.
    std::vector<EngineCommand> continues;
    for (EngineCommand& c : machine_.takeCommands()) {
        switch (c.kind) {
            case EngineCommand::Kind::Stop:
            case EngineCommand::Kind::Load:
                outbox_.push_back(std::move(c));
                break;
            case EngineCommand::Kind::Pause: {
                // mpv_set_property would wait for the core; the async form only queues.
                int flag = c.on ? 1 : 0;
                mpv_set_property_async(core(c.core).handle(), 0, property::kPause, MPV_FORMAT_FLAG,
                                       &flag);
                break;
            }
            case EngineCommand::Kind::AskIdle:
                mpv_get_property_async(core(c.core).handle(), kIdleActiveId, property::kIdleActive,
                                       MPV_FORMAT_FLAG);
                break;
            case EngineCommand::Kind::AskServer:
                askServer(c.address, c.tag);
                break;
            case EngineCommand::Kind::Continue:
                continues.push_back(std::move(c));
                break;
            case EngineCommand::Kind::StartTimer:
                (c.timer == EngineTimer::Reconnect ? reconnectTimer_ : watchdogTimer_).start(c.ms);
                break;
            case EngineCommand::Kind::StopTimer:
                (c.timer == EngineTimer::Reconnect ? reconnectTimer_ : watchdogTimer_).stop();
                break;
        }
    }
    if (shownCore_ != machine_.activeCore()) {
        // What was known of the retired core's address goes with it.
        shownCore_ = machine_.activeCore();
        demuxBitrate_ = icyBitrate_ = measuredBitrate_ = 0;
        mediaTitle_.clear();
    }
    flushOutbox();
    for (const EngineCommand& c : continues) continueHook(core(c.core), c.tag, c.ms);
}

void MpvEngine::continueHook(MpvCore& core, std::uint64_t hook, int delayMs) {
    if (delayMs <= 0) {
        mpv_hook_continue(core.handle(), hook);
        return;
    }
    // A stop or another load meanwhile still waits for this: libmpv goes on
    // only once the hook is let go.
    QTimer::singleShot(delayMs, this, [h = core.handle(), hook] { mpv_hook_continue(h, hook); });
}

void MpvEngine::askServer(const QString& address, std::uint64_t tag) {
    // One fetch of the address, read and dropped: a body that ends whole
    // was a file; one that fails, is cut, or still flows was a station.
    if (asking_) asking_->abort();
    if (!network_) network_ = std::make_unique<QNetworkAccessManager>();
    QNetworkRequest request{QUrl(address)};
    request.setTransferTimeout(kAskServerMs);
    QNetworkReply* reply = network_->get(request);
    asking_ = reply;
    const auto answer = [this, reply, tag](bool live) {
        if (asking_ != reply) return;
        asking_ = nullptr;
        reply->abort();
        reply->deleteLater();
        step([&] { machine_.serverAnswered(tag, live); });
    };
    connect(reply, &QNetworkReply::metaDataChanged, this, [reply, answer] {
        for (const QByteArray& name : reply->rawHeaderList())
            if (name.toLower().startsWith("icy-")) return answer(true);
    });
    connect(reply, &QNetworkReply::readyRead, this, [reply] { reply->readAll(); });
    connect(reply, &QNetworkReply::finished, this,
            [reply, answer] { answer(reply->error() != QNetworkReply::NoError); });
    QTimer::singleShot(kAskServerMs, reply, [answer] { answer(true); });
}

void MpvEngine::flushOutbox() {
    // A command libmpv's full queue refuses is tried again shortly, in order.
    while (!outbox_.empty()) {
        const EngineCommand& c = outbox_.front();
        mpv_handle* h = core(c.core).handle();
        int result;
        if (c.kind == EngineCommand::Kind::Stop) {
            const char* args[] = {"stop", nullptr};
            result = mpv_command_async(h, 0, args);
        } else {
            const QByteArray address = c.address.toUtf8();
            const char* args[] = {"loadfile", address.constData(), "replace", nullptr};
            result = mpv_command_async(h, kLoadTag | c.tag, args);
        }
        if (result == MPV_ERROR_EVENT_QUEUE_FULL) {
            // Its replies hold the queue's slots; they are read shortly.
            retryTimer_.start();
            return;
        }
        if (result < 0)
            qWarning("libmpv refused %s: %s",
                     c.kind == EngineCommand::Kind::Stop ? "stop" : "loadfile",
                     mpv_error_string(result));
        outbox_.pop_front();
    }
}

void MpvEngine::handleEvent(int index, const mpv_event& event) {
    switch (event.event_id) {
        case MPV_EVENT_COMMAND_REPLY:
            if (event.reply_userdata & kLoadTag) {
                const auto* reply = static_cast<const mpv_event_command*>(event.data);
                const mpv_node* entry =
                    reply ? mapValue(reply->result, key::kPlaylistEntryId) : nullptr;
                machine_.loadReplied(index, event.reply_userdata & ~kLoadTag,
                                     event.error >= 0 && entry != nullptr, numberOf(entry));
            }
            break;
        case MPV_EVENT_START_FILE:
            machine_.fileStarted(
                index, static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id);
            break;
        case MPV_EVENT_END_FILE: {
            const auto* end = static_cast<const mpv_event_end_file*>(event.data);
            machine_.fileEnded(index, end->playlist_entry_id, endReasonOf(end->reason, end->error),
                               end->playlist_insert_id, end->playlist_insert_num_entries);
            break;
        }
        case MPV_EVENT_FILE_LOADED:
            machine_.fileLoaded(index);
            break;
        case MPV_EVENT_PLAYBACK_RESTART:
            machine_.playbackRestarted(index);
            break;
        case MPV_EVENT_QUEUE_OVERFLOW:
            machine_.eventsLost(index);
            break;
        case MPV_EVENT_LOG_MESSAGE: {
            const FailureReason reason = networkFailureOf(
                QString::fromUtf8(static_cast<const mpv_event_log_message*>(event.data)->text));
            if (reason.kind != Failure::None) machine_.openingError(reason);
            break;
        }
        case MPV_EVENT_HOOK: {
            // The address is asked for, not read: a read would wait for the
            // core. An address the user gave goes at once.
            const std::uint64_t hook = static_cast<mpv_event_hook*>(event.data)->id;
            mpv_handle* h = core(index).handle();
            if (machine_.watchesOpening(index))
                mpv_get_property_async(h, kOpeningTag | hook, property::kStreamOpenFilename,
                                       MPV_FORMAT_STRING);
            else
                mpv_hook_continue(h, hook);
            break;
        }
        case MPV_EVENT_GET_PROPERTY_REPLY:
            if (event.reply_userdata & kOpeningTag) {
                const auto* p = static_cast<const mpv_event_property*>(event.data);
                const QString address = event.error >= 0 && p->format == MPV_FORMAT_STRING
                                            ? QString::fromUtf8(*static_cast<char**>(p->data))
                                            : QString();
                machine_.entryOpening(index, event.reply_userdata & ~kOpeningTag, address);
            } else if (event.error >= 0) {
                handlePropertyChange(index, event.reply_userdata, event.data);
            }
            break;
        case MPV_EVENT_PROPERTY_CHANGE:
            handlePropertyChange(index, event.reply_userdata, event.data);
            break;
        default:
            break;
    }
}

void MpvEngine::handlePropertyChange(int index, uint64_t id, const void* data) {
    const auto* p = static_cast<const mpv_event_property*>(data);
    // What is shown comes from the active core alone; the machine sorts its own.
    const bool shown = index == machine_.activeCore();
    const bool none = p->format == MPV_FORMAT_NONE || !p->data;
    const auto flag = [&] { return !none && *static_cast<int*>(p->data) != 0; };
    const auto number = [&] { return none ? 0.0 : *static_cast<double*>(p->data); };
    switch (id) {
        case kPauseId:
            machine_.pauseChanged(index, flag());
            break;
        case kPausedForCacheId:
            machine_.pausedForCacheChanged(index, flag());
            break;
        case kTrackListId: {
            if (!shown) break;
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
            if (!shown) break;
            icyBitrate_ = 0;
            if (none) {
                stationName_.clear();
                streamTitle_.clear();
                break;
            }
            const auto* map = static_cast<const mpv_node*>(p->data);
            bool icy = false;
            if (map->format == MPV_FORMAT_NODE_MAP && map->u.list)
                for (int i = 0; i < map->u.list->num; ++i)
                    icy = icy || QLatin1String(map->u.list->keys[i])
                                     .startsWith(QLatin1String("icy-"), Qt::CaseInsensitive);
            machine_.icyChanged(index, icy);
            icyBitrate_ = leadingNumber(textOf(metadataValue(*map, key::kIcyBitrate)));
            stationName_ = textOf(metadataValue(*map, key::kIcyName)).trimmed();
            streamTitle_ = textOf(metadataValue(*map, key::kIcyTitle)).trimmed();
            break;
        }
        case kAudioBitrateId:
            if (shown) measuredBitrate_ = steadyMeasuredRate(measuredBitrate_, number());
            break;
        case kMediaTitleId:
            if (shown)
                mediaTitle_ = none ? QString() : QString::fromUtf8(*static_cast<char**>(p->data));
            break;
        case kTimePosId:
            machine_.positionChanged(index, number());
            break;
        case kDurationId:
            machine_.durationChanged(index, number());
            break;
        case kPolledDurationId:
            // A late answer about an earlier entry says nothing about this one.
            if (machine_.loaded()) machine_.durationChanged(index, number());
            break;
        case kFileSizeId:
            machine_.sizeChanged(index, none ? 0 : *static_cast<std::int64_t*>(p->data));
            break;
        case kIdleActiveId:
            machine_.idleChanged(index, flag());
            break;
        case kSeekableId:
            machine_.seekableChanged(index, flag());
            break;
        case kVolumeId:
            if (shown && !none) volume_ = static_cast<int>(std::lround(number()));
            break;
        case kMuteId:
            if (shown && !none) mute_ = flag();
            break;
        case kFileFormatId:
            machine_.hlsChanged(index, !none && QLatin1String(*static_cast<char**>(p->data)) ==
                                                    QLatin1String("hls"));
            break;
        default:
            break;
    }
}

}  // namespace ondrix
