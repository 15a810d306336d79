#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include "media/media_engine.h"
#include "platform/outside_text.h"
#include "player/player_commands.h"
#include "player/settings/station_table.h"

namespace ondrix {

class MediaEngine;

// Rules of the desktop's media control, kept apart from D-Bus.

// PlaybackStatus for a playState.
QString mprisPlaybackStatus(PlayState playState);
// The station button (1 to 8) whose address is url, preferring `preferred`
// when several share it; 0 when no button has it.
int mprisStationSlot(const StationTable& stations, const QString& url, int preferred);
// The next (direction 1) or previous (-1) button after `current` that has an
// address, wrapping; from no station (0) the first or the last one. 0 when
// no button other than `current` has one.
int mprisNeighbourStation(const StationTable& stations, int current, int direction);
// The title shown for what plays: the file's title tag, else the stream's
// own title, else the station's name, else the last part of the address; on
// one line, without controls.
ShownText mprisTitle(const QString& titleTag, const QString& streamTitle,
                     const QString& stationName, const QString& url);
// Who plays as sound menus show it: the station's name, else the folder's
// name of a local file; cleaned, empty for an address of neither.
ShownText mprisArtist(const QString& stationName, const QString& url);
// The address as a URI: a local path becomes file://.
QString mprisUrl(const QString& url);
// Where Seek by offsetSeconds lands: from the start at the least; -1 past
// the end, which goes on to the next entry.
double mprisSeekTarget(double position, double offsetSeconds, double duration);

// The player's face on the session bus (org.mpris.MediaPlayer2.wavelark).
class MprisService : public QObject {
    Q_OBJECT
  public:
    // Puts the service on the session bus, owned by owner. Without a session
    // bus nothing happens: the player works as it does without one.
    static MprisService* start(PlayerCommands& player, MediaEngine& engine, QObject* owner);

    MprisService(PlayerCommands& player, MediaEngine& engine, QObject* owner);

    // org.mpris.MediaPlayer2
    void raise();
    void quit();

    // org.mpris.MediaPlayer2.Player
    QString playbackStatus() const;
    QVariantMap metadata() const;
    double volume() const;
    void setVolume(double volume);
    qlonglong position() const;
    bool canSeek() const;
    bool canGoNext() const;
    bool canGoPrevious() const;
    void next();
    void previous();
    void pause();
    void playPause();
    void stop();
    void play();
    void seek(qlonglong offset);
    void setPosition(const QDBusObjectPath& track, qlonglong position);

  signals:
    void seeked(qlonglong position);

  private slots:
    void nameRequested(const QDBusMessage& reply);

  private:
    struct Snapshot {
        QString status;
        QVariantMap metadata;
        double volume = 0;
        bool canSeek = false;
        bool canGoNext = false;
        bool canGoPrevious = false;
    };

    bool registerOn(const QDBusConnection& bus);
    // A new address is a new track; a new stream title is not.
    void followAddress();
    QDBusObjectPath trackId() const;
    void seekTo(double seconds);
    int currentSlot() const;
    void playNeighbour(int direction);
    Snapshot snapshot() const;
    // Tells listeners every property that differs from what they last saw.
    void announceChanges();

    PlayerCommands& player_;
    MediaEngine& engine_;
    int chosenSlot_ = 0;  // the station Next or Previous started last
    QString trackUrl_;
    int trackNumber_ = 0;
    Snapshot announced_;
    bool announcePending_ = false;
};

class MprisRootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ canQuit)
    Q_PROPERTY(bool CanRaise READ canRaise)
    Q_PROPERTY(bool HasTrackList READ hasTrackList)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes)
  public:
    explicit MprisRootAdaptor(MprisService* service);

    bool canQuit() const { return true; }
    bool canRaise() const { return true; }
    bool hasTrackList() const { return false; }
    QString identity() const { return QStringLiteral("Wavelark Player"); }
    QString desktopEntry() const { return QStringLiteral("ondrix-wavelark"); }
    QStringList supportedUriSchemes() const { return {}; }
    QStringList supportedMimeTypes() const { return {}; }

  public slots:
    void Raise() { service_->raise(); }
    void Quit() { service_->quit(); }

  private:
    MprisService* service_;
};

class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(double Rate READ rate WRITE setRate)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(double MinimumRate READ rate)
    Q_PROPERTY(double MaximumRate READ rate)
    Q_PROPERTY(bool CanGoNext READ canGoNext)
    Q_PROPERTY(bool CanGoPrevious READ canGoPrevious)
    Q_PROPERTY(bool CanPlay READ canControl)
    Q_PROPERTY(bool CanPause READ canControl)
    Q_PROPERTY(bool CanSeek READ canSeek)
    Q_PROPERTY(bool CanControl READ canControl)
  public:
    explicit MprisPlayerAdaptor(MprisService* service);

    QString playbackStatus() const { return service_->playbackStatus(); }
    double rate() const { return 1.0; }
    void setRate(double) {}  // one speed only
    QVariantMap metadata() const { return service_->metadata(); }
    double volume() const { return service_->volume(); }
    void setVolume(double volume) { service_->setVolume(volume); }
    qlonglong position() const { return service_->position(); }
    bool canGoNext() const { return service_->canGoNext(); }
    bool canGoPrevious() const { return service_->canGoPrevious(); }
    bool canSeek() const { return service_->canSeek(); }
    bool canControl() const { return true; }

  public slots:
    void Next() { service_->next(); }
    void Previous() { service_->previous(); }
    void Pause() { service_->pause(); }
    void PlayPause() { service_->playPause(); }
    void Stop() { service_->stop(); }
    void Play() { service_->play(); }
    void Seek(qlonglong offset) { service_->seek(offset); }
    void SetPosition(const QDBusObjectPath& track, qlonglong position) {
        service_->setPosition(track, position);
    }
    // Addresses come only from the window.
    void OpenUri(const QString&) {}

  signals:
    void Seeked(qlonglong position);

  private:
    MprisService* service_;
};

}  // namespace ondrix
