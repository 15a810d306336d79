#include "player/mpris.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QFileInfo>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "platform/outside_text.h"
#include "player/media/media_engine.h"
#include "player/window.h"

namespace ondrix {

namespace {

const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kBusName = QStringLiteral("org.mpris.MediaPlayer2.wavelark");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

bool hasAddress(const StationTable& stations, int slot) {
    return !stations.streamUrl[slot].trimmed().isEmpty();
}

// A session bus the desktop announced. Without one libdbus would launch a
// bus of its own (dbus-launch), which would outlive the player.
bool sessionBusAdvertised() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

}  // namespace

QString mprisPlaybackStatus(PlayState playState) {
    switch (playState) {
        case PlayState::Playing:
        case PlayState::Buffering:
        case PlayState::Transitioning:
        case PlayState::Reconnecting:
            return QStringLiteral("Playing");
        case PlayState::Paused:
            return QStringLiteral("Paused");
        default:
            return QStringLiteral("Stopped");
    }
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

QString mprisTitle(const QString& streamTitle, const QString& stationName, const QString& url) {
    // Cleaned before the choice: a title of escape codes alone is no title.
    const QString stream = cleanOutsideText(streamTitle);
    if (!stream.trimmed().isEmpty()) return stream;
    const QString station = cleanOutsideText(stationName);
    if (!station.trimmed().isEmpty()) return station;
    const qsizetype cut =
        std::max(url.lastIndexOf(QLatin1Char('/')), url.lastIndexOf(QLatin1Char('\\')));
    const QString last = url.mid(cut + 1);
    return cleanOutsideText(last.isEmpty() ? url : last);
}

MprisService* MprisService::start(Wavelark& window, MediaEngine& engine) {
    if (!sessionBusAdvertised()) return nullptr;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return nullptr;
    auto* service = new MprisService(window, engine);
    if (!service->registerOn(bus)) {
        delete service;
        return nullptr;
    }
    return service;
}

MprisService::MprisService(Wavelark& window, MediaEngine& engine)
    : QObject(&window), window_(window), engine_(engine) {
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);
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
    window_.show();
    window_.raise();
    window_.activateWindow();
}

void MprisService::quit() {
    window_.LabelExit_Click();
}

QString MprisService::playbackStatus() const {
    return mprisPlaybackStatus(engine_.playState());
}

QVariantMap MprisService::metadata() const {
    const QString url = engine_.URL();
    if (url.isEmpty())
        return {{QStringLiteral("mpris:trackid"),
                 QVariant::fromValue(QDBusObjectPath(
                     QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack")))}};
    // A new address is a new track; a new stream title is not.
    if (url != trackUrl_) {
        trackUrl_ = url;
        ++trackNumber_;
    }
    const int slot = currentSlot();
    const QString station = slot > 0 ? window_.settings().stations().name[slot] : QString();
    QVariantMap data{
        {QStringLiteral("mpris:trackid"),
         QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/ondrix/wavelark/track/") +
                                             QString::number(trackNumber_)))},
        {QStringLiteral("xesam:title"), engine_.failureText().isEmpty()
                                            ? mprisTitle(engine_.streamTitle(), station, url)
                                            : engine_.failureText()},
        {QStringLiteral("xesam:url"), url},
    };
    if (!station.isEmpty()) data.insert(QStringLiteral("xesam:album"), cleanOutsideText(station));
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

bool MprisService::canGoNext() const {
    return mprisNeighbourStation(window_.settings().stations(), currentSlot(), 1) != 0;
}

bool MprisService::canGoPrevious() const {
    return mprisNeighbourStation(window_.settings().stations(), currentSlot(), -1) != 0;
}

void MprisService::next() {
    playNeighbour(1);
}
void MprisService::previous() {
    playNeighbour(-1);
}
void MprisService::pause() {
    engine_.controlsPause();
}

void MprisService::playPause() {
    if (playbackStatus() == QLatin1String("Playing"))
        engine_.controlsPause();
    else
        window_.LabelPlay_Click();
}

void MprisService::stop() {
    window_.LabelStop_Click();
}
void MprisService::play() {
    window_.LabelPlay_Click();
}

int MprisService::currentSlot() const {
    return mprisStationSlot(window_.settings().stations(), engine_.URL(), chosenSlot_);
}

void MprisService::playNeighbour(int direction) {
    const int slot = mprisNeighbourStation(window_.settings().stations(), currentSlot(), direction);
    if (slot == 0) return;
    chosenSlot_ = slot;
    window_.PlayStation(slot);
}

MprisService::Snapshot MprisService::snapshot() const {
    return {playbackStatus(), metadata(), volume(), canGoNext(), canGoPrevious()};
}

void MprisService::announceChanges() {
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
    : QDBusAbstractAdaptor(service), service_(service) {}

}  // namespace ondrix
