#include "player/mpris.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cmath>

#include "media/media_engine.h"
#include "platform/outside_text.h"
#include "platform/session_bus.h"

namespace ondrix {

namespace {

const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kBusName = QStringLiteral("org.mpris.MediaPlayer2.wavelark");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kTrackPrefix = QStringLiteral("/org/ondrix/wavelark/track/");

bool isLocal(const QString& url) {
    return !url.trimmed().isEmpty() && !url.contains(QLatin1String("://"));
}

bool hasAddress(const StationTable& stations, int slot) {
    return !stations.streamUrl[slot].trimmed().isEmpty();
}

}  // namespace

QString mprisPlaybackStatus(PlayState playState) {
    if (soundOnItsWay(playState)) return QStringLiteral("Playing");
    return playState == PlayState::Paused ? QStringLiteral("Paused") : QStringLiteral("Stopped");
}

int mprisStationSlot(const StationTable& stations, const QString& url, int preferred) {
    if (url.trimmed().isEmpty()) return 0;
    if (preferred >= 1 && preferred <= StationTable::kButtonCount &&
        stations.streamUrl[preferred] == url)
        return preferred;
    for (int slot = 1; slot <= StationTable::kButtonCount; ++slot)
        if (stations.streamUrl[slot] == url) return slot;
    return 0;
}

int mprisNeighbourStation(const StationTable& stations, int current, int direction) {
    const int count = StationTable::kButtonCount;
    const bool known = current >= 1 && current <= count;
    for (int step = 1; step <= count; ++step) {
        int slot;
        if (known)
            slot = ((current - 1 + direction * step) % count + count) % count + 1;
        else
            slot = direction > 0 ? step : count + 1 - step;
        if (slot != current && hasAddress(stations, slot)) return slot;
    }
    return 0;
}

ShownText mprisTitle(const QString& titleTag, const QString& streamTitle,
                     const QString& stationName, const QString& url) {
    // Cleaned before the choice: a title of escape codes alone is no title.
    for (const QString& candidate : {titleTag, streamTitle, stationName}) {
        ShownText title = shownTitle(candidate);
        if (!title.text().trimmed().isEmpty()) return title;
    }
    const qsizetype cut =
        std::max(url.lastIndexOf(QLatin1Char('/')), url.lastIndexOf(QLatin1Char('\\')));
    const QString last = url.mid(cut + 1);
    return isLocal(url) ? shownName(last) : shownTitle(last.isEmpty() ? url : last);
}

ShownText mprisArtist(const QString& stationName, const QString& url) {
    ShownText station = shownTitle(stationName);
    if (!station.text().trimmed().isEmpty()) return station;
    if (!isLocal(url)) return ShownText();
    return shownName(QFileInfo(QDir::fromNativeSeparators(url)).dir().dirName());
}

QString mprisUrl(const QString& url) {
    return isLocal(url)
               ? QUrl::fromLocalFile(QFileInfo(url).absoluteFilePath()).toString(QUrl::FullyEncoded)
               : url;
}

double mprisSeekTarget(double position, double offsetSeconds, double duration) {
    const double target = position + offsetSeconds;
    if (target > duration) return -1;
    return target > 0 ? target : 0.0;  // NaN too
}

MprisService* MprisService::start(PlayerCommands& player, MediaEngine& engine, QObject* owner) {
    if (!sessionBusAdvertised()) return nullptr;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return nullptr;
    auto* service = new MprisService(player, engine, owner);
    if (!service->registerOn(bus)) {
        delete service;
        return nullptr;
    }
    return service;
}

MprisService::MprisService(PlayerCommands& player, MediaEngine& engine, QObject* owner)
    : QObject(owner), player_(player), engine_(engine) {
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);
    followAddress();
    announced_ = snapshot();
    connect(&engine_, &MediaEngine::playStateChanged, this, &MprisService::announceChanges);
    connect(&engine_, &MediaEngine::volumeChanged, this, &MprisService::announceChanges);
    connect(&engine_, &MediaEngine::titleChanged, this, &MprisService::announceChanges);
    connect(&engine_, &MediaEngine::durationChanged, this, &MprisService::announceChanges);
}

bool MprisService::registerOn(const QDBusConnection& bus) {
    QDBusConnection connection(bus);
    if (!connection.registerObject(kObjectPath, this, QDBusConnection::ExportAdaptors))
        return false;
    // Asked without waiting: the window's thread never waits on the bus.
    QDBusMessage request = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("RequestName"));
    request << kBusName << 4u;  // do not queue behind another owner
    return connection.callWithCallback(request, this, SLOT(nameRequested(QDBusMessage)));
}

void MprisService::nameRequested(const QDBusMessage& reply) {
    const bool owned = reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
                       (reply.arguments().constFirst().toUInt() == 1 ||
                        reply.arguments().constFirst().toUInt() == 4);
    if (owned || reply.type() != QDBusMessage::ReplyMessage) return;
    // Another player has the name: a second one runs under its own instance name.
    QDBusMessage request = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("RequestName"));
    request << kBusName + QStringLiteral(".instance") +
                   QString::number(QCoreApplication::applicationPid())
            << 4u;
    QDBusConnection::sessionBus().send(request);
}

void MprisService::raise() {
    player_.bringToFront();
}

void MprisService::quit() {
    player_.quitPlayer();
}

QString MprisService::playbackStatus() const {
    return mprisPlaybackStatus(engine_.playState());
}

void MprisService::followAddress() {
    const QString url = engine_.URL();
    if (url == trackUrl_) return;
    trackUrl_ = url;
    ++trackNumber_;
}

QDBusObjectPath MprisService::trackId() const {
    if (trackUrl_.isEmpty())
        return QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));
    return QDBusObjectPath(kTrackPrefix + QString::number(trackNumber_));
}

QVariantMap MprisService::metadata() const {
    const QString& url = trackUrl_;
    if (url.isEmpty()) return {{QStringLiteral("mpris:trackid"), QVariant::fromValue(trackId())}};
    const StationTable& stations = player_.playerState().stations;
    const int slot = mprisStationSlot(stations, url, chosenSlot_);
    const QString station = slot > 0 ? stations.name[slot] : QString();
    const ShownText artist = mprisArtist(station, url);
    QVariantMap data{
        {QStringLiteral("mpris:trackid"), QVariant::fromValue(trackId())},
        {QStringLiteral("xesam:title"),
         (engine_.failureText().isEmpty()
              ? mprisTitle(engine_.titleTag(), engine_.streamTitle(), station, url)
              : shownTitle(engine_.failureText()))
             .text()},
        {QStringLiteral("xesam:url"), mprisUrl(url)},
    };
    if (!artist.isEmpty()) data.insert(QStringLiteral("xesam:artist"), QStringList{artist.text()});
    if (!station.isEmpty()) data.insert(QStringLiteral("xesam:album"), shownTitle(station).text());
    if (engine_.duration() > 0)
        data.insert(QStringLiteral("mpris:length"),
                    qlonglong(std::llround(engine_.duration() * 1e6)));
    return data;
}

double MprisService::volume() const {
    return engine_.volume() / 100.0;
}

void MprisService::setVolume(double volume) {
    const double clamped = volume > 0 ? std::min(volume, 1.0) : 0.0;  // NaN too
    engine_.setVolume(int(std::lround(clamped * 100)));
}

qlonglong MprisService::position() const {
    return qlonglong(std::llround(engine_.currentPosition() * 1e6));
}

// Seekable entries are the ones with a known length: a live stream has none.
bool MprisService::canSeek() const {
    return engine_.duration() > 0;
}

bool MprisService::canGoNext() const {
    const PlayerState state = player_.playerState();
    if (state.walking) return state.walkEntries > 0;
    return mprisNeighbourStation(state.stations, currentSlot(), 1) != 0;
}

bool MprisService::canGoPrevious() const {
    const PlayerState state = player_.playerState();
    if (state.walking) return state.walkEntries > 0;
    return mprisNeighbourStation(state.stations, currentSlot(), -1) != 0;
}

void MprisService::next() {
    playNeighbour(1);
}
void MprisService::previous() {
    playNeighbour(-1);
}

void MprisService::seek(qlonglong offset) {
    if (!canSeek()) return;
    const double target =
        mprisSeekTarget(engine_.currentPosition(), double(offset) / 1e6, engine_.duration());
    if (target < 0)
        next();
    else
        seekTo(target);
}

void MprisService::setPosition(const QDBusObjectPath& track, qlonglong position) {
    // A stale track id means the user aimed at what played before.
    if (!canSeek() || track != trackId() || position < 0) return;
    const double seconds = double(position) / 1e6;
    if (seconds <= engine_.duration()) seekTo(seconds);
}

void MprisService::seekTo(double seconds) {
    engine_.setCurrentPosition(seconds);
    emit seeked(qlonglong(std::llround(seconds * 1e6)));
}
void MprisService::pause() {
    engine_.controlsPause();
}

void MprisService::playPause() {
    if (soundOnItsWay(engine_.playState()))
        engine_.controlsPause();
    else
        player_.playAgain();
}

void MprisService::stop() {
    player_.stopPlaying();
}
void MprisService::play() {
    player_.playAgain();
}

int MprisService::currentSlot() const {
    return mprisStationSlot(player_.playerState().stations, engine_.URL(), chosenSlot_);
}

void MprisService::playNeighbour(int direction) {
    const PlayerState state = player_.playerState();
    // Shuttle Play: the folder walk steps, the station buttons stay as they are.
    if (state.walking) {
        player_.stepWalk(direction);
        return;
    }
    const int slot = mprisNeighbourStation(state.stations, currentSlot(), direction);
    if (slot == 0) return;
    chosenSlot_ = slot;
    player_.startStation(slot);
}

MprisService::Snapshot MprisService::snapshot() const {
    return {playbackStatus(), metadata(), volume(), canSeek(), canGoNext(), canGoPrevious()};
}

void MprisService::announceChanges() {
    followAddress();
    // A station switch stops, sets the address and plays in one go: the
    // listeners hear of the outcome once, after the burst.
    if (announcePending_) return;
    announcePending_ = true;
    QTimer::singleShot(0, this, [this] {
        announcePending_ = false;
        const Snapshot now = snapshot();
        QVariantMap changed;
        if (now.status != announced_.status)
            changed.insert(QStringLiteral("PlaybackStatus"), now.status);
        if (now.metadata != announced_.metadata)
            changed.insert(QStringLiteral("Metadata"), now.metadata);
        if (now.volume != announced_.volume) changed.insert(QStringLiteral("Volume"), now.volume);
        if (now.canSeek != announced_.canSeek)
            changed.insert(QStringLiteral("CanSeek"), now.canSeek);
        if (now.canGoNext != announced_.canGoNext)
            changed.insert(QStringLiteral("CanGoNext"), now.canGoNext);
        if (now.canGoPrevious != announced_.canGoPrevious)
            changed.insert(QStringLiteral("CanGoPrevious"), now.canGoPrevious);
        announced_ = now;
        if (changed.isEmpty()) return;
        QDBusMessage signal = QDBusMessage::createSignal(
            kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("PropertiesChanged"));
        signal << kPlayerInterface << changed << QStringList();
        QDBusConnection::sessionBus().send(signal);
    });
}

MprisRootAdaptor::MprisRootAdaptor(MprisService* service)
    : QDBusAbstractAdaptor(service), service_(service) {}

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService* service)
    : QDBusAbstractAdaptor(service), service_(service) {
    connect(service, &MprisService::seeked, this, &MprisPlayerAdaptor::Seeked);
}

}  // namespace ondrix
