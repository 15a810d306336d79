#include "media/mpv_engine.h"

#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>
#include <algorithm>
#include <cstdlib>

#include "platform/runtime_error.h"

namespace ondrix {

namespace {

// How long the engine's own request may stream before the address counts
// as live: a file made on the fly for a listener comes faster than it plays.
constexpr int kAskServerMs = 3000;

}  // namespace

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
    for (const CoreId id : {CoreId::First, CoreId::Second})
        cores_[static_cast<std::size_t>(id)] =
            std::make_unique<MpvCore>(id, this, static_cast<CoreEvents&>(*this));
    if (!createCore(core(CoreId::First)))
        throw RuntimeError(429, QStringLiteral("ActiveX component can't create object"),
                           QStringLiteral("libmpv"));
    liveEngines().push_back(this);

    // The second core is made once the event loop runs, after the window
    // shows and before anything plays: making one blocks the window's
    // thread for a while. Without it, a change waits for the old stream.
    QTimer::singleShot(0, this, [this] {
        if (createCore(core(CoreId::Second))) machine_.coreMade(CoreId::Second);
    });

    retryTimer_.setSingleShot(true);
    retryTimer_.setInterval(20);
    connect(&retryTimer_, &QTimer::timeout, this, &MpvEngine::flushOutbox);
    // The playing position changes with every decoded frame; observing it
    // would wake the window's thread dozens of times a second for a slider
    // that moves once a second. It is asked for twice a second instead.
    positionTimer_.setInterval(500);
    connect(&positionTimer_, &QTimer::timeout, this,
            [this] { active().askPosition(!durationObserved_); });
    reconnectTimer_.setSingleShot(true);
    connect(&reconnectTimer_, &QTimer::timeout, this,
            [this] { step([this] { machine_.timerDue(EngineTimer::Reconnect); }); });
    watchdogTimer_.setSingleShot(true);
    connect(&watchdogTimer_, &QTimer::timeout, this,
            [this] { step([this] { machine_.timerDue(EngineTimer::Watchdog); }); });
}

bool MpvEngine::createCore(MpvCore& core) {
    return core.create({.audioOutput = audioOutput_,
                        .volume = volume_,
                        .mute = mute_,
                        .networkTimeoutSeconds = networkTimeoutSeconds_,
                        .durationObserved = durationObserved_});
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

void MpvEngine::forBothCores(const std::function<void(MpvCore&)>& call) {
    for (auto& core : cores_)
        if (core && core->made()) call(*core);
}

template <typename Step>
void MpvEngine::step(Step&& feed) {
    feed();
    sendCommands();
    publish();
}

void MpvEngine::setURL(const QString& url, AddressOrigin origin) {
    step([&] {
        if (url != machine_.url()) stationName_.clear();
        streamTitle_.clear();
        titleTag_.clear();
        machine_.setUrl(url, admitAddress(origin, url));
        observeDuration(!machine_.network());
    });
}

void MpvEngine::observeDuration(bool on) {
    // libmpv guesses a live stream's length afresh with every read, ten
    // times a second, and each guess would wake the window's thread. A
    // stream's length is read with its position instead; a file's is fixed
    // and must be there as soon as it plays.
    if (on == durationObserved_) return;
    durationObserved_ = on;
    forBothCores([on](MpvCore& core) { core.observeDuration(on); });
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
    forBothCores([&](MpvCore& core) { core.setVolume(percent); });
    volume_ = percent;
    publish();
}

void MpvEngine::setMute(bool on) {
    forBothCores([&](MpvCore& core) { core.setMute(on); });
    mute_ = on;
    publish();
}

void MpvEngine::setCurrentPosition(double seconds) {
    if (duration() <= 0.0 || !machine_.loaded()) return;
    active().seek(std::clamp(seconds, 0.0, machine_.duration()));
}

void MpvEngine::setNetworkTimeout(int seconds) {
    networkTimeoutSeconds_ = seconds;
    machine_.setNetworkTimeout(seconds * 1000);
    forBothCores([&](MpvCore& core) { core.setNetworkTimeout(seconds); });
}

QString MpvEngine::titleTag() const {
    return machine_.loaded() ? titleTag_ : QString();
}

QString MpvEngine::mediaTitle() const {
    const QString& url = machine_.url();
    if (url.isEmpty()) return QString();
    // A file's own title names it best, wherever it is served from.
    if (QString tag = titleTag(); !tag.isEmpty()) return tag;
    if (isNetworkAddress(url)) {
        // libmpv's media-title of a stream repeats the song title, which the
        // display shows on its own line; the station's name fits here.
        return !stationName_.isEmpty() && (machine_.loaded() || machine_.reconnecting())
                   ? stationName_
                   : url;
    }
    // libmpv answers with the bare file name when the media has no title tag.
    if (!mediaTitle_.isEmpty() && machine_.loaded()) return mediaTitle_;
    // A file URL carries a name that is no UTF-8 percent-encoded.
    return url.startsWith(QLatin1String("file://")) ? QUrl(url).fileName()
                                                    : QFileInfo(url).fileName();
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
        titleTag() != told_.titleTag || machine_.failure() != told_.failure) {
        told_.title = mediaTitle();
        told_.streamTitle = streamTitle_;
        told_.titleTag = titleTag();
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
            case EngineCommand::Kind::Pause:
                core(c.core).setPause(c.on);
                break;
            case EngineCommand::Kind::AskIdle:
                core(c.core).askIdle();
                break;
            case EngineCommand::Kind::AskServer:
                askServer(c.address, c.tag);
                break;
            case EngineCommand::Kind::Continue:
            case EngineCommand::Kind::Refuse:
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
        titleTag_.clear();
    }
    flushOutbox();
    for (const EngineCommand& c : continues) {
        if (c.kind == EngineCommand::Kind::Refuse)
            core(c.core).refuseHook(c.tag);
        else
            core(c.core).continueHook(c.tag, c.ms);
    }
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
    // A command libmpv's full queue refuses is tried again shortly, in order;
    // any other refusal is logged and dropped.
    while (!outbox_.empty()) {
        const EngineCommand& c = outbox_.front();
        MpvCore& target = core(c.core);
        const bool taken = c.kind == EngineCommand::Kind::Stop ? target.tryStop()
                                                               : target.tryLoad(c.address, c.tag);
        if (!taken) {
            // Its replies hold the queue's slots; they are read shortly.
            retryTimer_.start();
            return;
        }
        outbox_.pop_front();
    }
}

}  // namespace ondrix
