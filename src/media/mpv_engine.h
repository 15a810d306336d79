#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "media/bit_rate.h"
#include "media/engine_machine.h"
#include "media/media_engine.h"
#include "media/mpv_core.h"

class QNetworkAccessManager;
class QNetworkReply;

namespace ondrix {

// The media player component on two libmpv cores. The rules live in
// EngineMachine; this class routes the cores' events to it and its commands
// to the cores, and tells of the changes.
class MpvEngine : public MediaEngine, private CoreEvents {
    Q_OBJECT
  public:
    // audioOutput empty: libmpv's default; tests pass "null".
    explicit MpvEngine(QObject* parent = nullptr, const QString& audioOutput = QString());
    ~MpvEngine() override;

    void controlsStop() override;
    void controlsPlay() override;
    void setURL(const QString& url, AddressOrigin origin) override;
    QString URL() const override { return machine_.url(); }
    PlayState playState() const override { return machine_.state(); }
    QString currentMediaItemInfo(const QString& attribute) const override;

    void controlsPause() override;
    int volume() const override { return volume_; }
    void setVolume(int percent) override;
    bool mute() const override { return mute_; }
    void setMute(bool on) override;
    double currentPosition() const override { return machine_.position(); }
    // A live stream has a length libmpv guesses from what it has buffered;
    // only what can be sought in counts.
    double duration() const override { return machine_.seekable() ? machine_.duration() : 0.0; }
    void setCurrentPosition(double seconds) override;
    QString mediaTitle() const override;
    QString streamTitle() const override { return streamTitle_; }
    QString titleTag() const override;
    QString failureText() const override { return ondrix::failureText(machine_.failure()); }

    // How long a dropped network stream is tried again before giving up.
    void setReconnectLimit(int milliseconds) { machine_.setReconnectLimit(milliseconds); }
    // How long a stream may take to play, or to play again once it stalls,
    // before it counts as failed or dropped.
    void setStallLimit(int milliseconds) { machine_.setStallLimit(milliseconds); }
    // How long a silent server is waited for before the address counts as dead.
    void setNetworkTimeout(int seconds);

  private:
    // What the signals last told of.
    struct Told {
        PlayState state = PlayState::Undefined;
        std::int64_t bitRate = 0;
        QString title, streamTitle, titleTag;
        FailureReason failure;
        double position = 0.0, duration = 0.0;
        int volume = 50;
        bool mute = false;
    };

    static std::vector<MpvEngine*>& liveEngines();
    void destroyCores();

    // A core with the engine's options and volume; false when libmpv could
    // not make one.
    bool createCore(MpvCore& core);
    MpvCore& core(CoreId id) { return *cores_[static_cast<std::size_t>(id)]; }
    MpvCore& active() { return core(machine_.activeCore()); }
    void forBothCores(const std::function<void(MpvCore&)>& call);

    // Feeds the machine, sends its commands, then tells of the changes.
    template <typename Step>
    void step(Step&& feed);
    void publish();
    void observeDuration(bool on);
    void sendCommands();
    void flushOutbox();

    // The cores' events: the machine's go to it, which sorts out the cores
    // that do not count; what only the display shows is taken from the
    // active core alone.
    void loadReplied(CoreId core, std::uint64_t tag, bool ok, std::int64_t entry) override;
    void fileStarted(CoreId core, std::int64_t entry) override;
    void fileLoaded(CoreId core) override;
    void playbackRestarted(CoreId core) override;
    void fileEnded(CoreId core, std::int64_t entry, EndReason reason, std::int64_t insertId,
                   int insertCount) override;
    void eventsLost(CoreId core) override;
    void networkFailure(CoreId core, FailureReason reason) override;
    void entryHeld(CoreId core, std::uint64_t hook) override;
    void entryOpening(CoreId core, std::uint64_t hook, const QString& address) override;
    void pauseChanged(CoreId core, bool on) override;
    void pausedForCacheChanged(CoreId core, bool on) override;
    void idleChanged(CoreId core, bool on) override;
    void seekableChanged(CoreId core, bool on) override;
    void durationObserved(CoreId core, double seconds) override;
    void durationPolled(CoreId core, double seconds) override;
    void positionPolled(CoreId core, double seconds) override;
    void sizeChanged(CoreId core, std::int64_t bytes) override;
    void fileFormatChanged(CoreId core, const QString& format) override;
    void muteSet(CoreId core, bool on) override;
    void volumeSet(CoreId core, double percent) override;
    void audioBitRateChanged(CoreId core, double rate) override;
    void trackBitRateChanged(CoreId core, std::int64_t rate) override;
    void mediaTitleChanged(CoreId core, const QString& title) override;
    void titleTagChanged(CoreId core, const QString& tag) override;
    void metadataChanged(CoreId core, const IcyHeaders& headers) override;
    void eventTold() override;
    template <typename Show>
    void shown(CoreId core, Show&& show);
    void askServer(const QString& address, std::uint64_t tag);
    std::int64_t bitRate() const;

    // Two players: a station change starts the new address on the idle one
    // while the other is still closing its stream, which libmpv does only
    // once the next bytes of that stream arrive. The machine decides which
    // one loads and whose events count.
    std::array<std::unique_ptr<MpvCore>, 2> cores_;
    CoreId shownCore_ = CoreId::First;  // the core whose address the titles and rates are of
    QElapsedTimer clock_;
    EngineMachine machine_;

    // Stop and loadfile commands libmpv's full queue refused, to send again.
    std::deque<EngineCommand> outbox_;
    QTimer retryTimer_;
    QTimer positionTimer_;
    QTimer reconnectTimer_;
    QTimer watchdogTimer_;
    // Made on first use: most listeners never need it.
    std::unique_ptr<QNetworkAccessManager> network_;
    QNetworkReply* asking_ = nullptr;
    bool durationObserved_ = false;
    QString audioOutput_;
    int networkTimeoutSeconds_ = 10;

    Told told_;
    int volume_ = 50;
    bool mute_ = false;
    QString mediaTitle_;
    QString streamTitle_;
    QString stationName_;  // ICY icy-name
    QString titleTag_;
    std::int64_t demuxBitrate_ = 0;
    std::int64_t icyBitrate_ = 0;
    std::int64_t measuredBitrate_ = 0;  // steadied
};

}  // namespace ondrix
