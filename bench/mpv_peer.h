#pragma once

#include <QByteArray>
#include <QLocalSocket>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace bench {

// Debian's mpv started idle with a JSON IPC socket: the peer the player's
// station switch is timed against.
class MpvPeer {
  public:
    // Throws std::runtime_error when mpv does not start or its socket does
    // not answer.
    MpvPeer(const QString& socketPath, const QStringList& options);
    ~MpvPeer();
    MpvPeer(const MpvPeer&) = delete;
    MpvPeer& operator=(const MpvPeer&) = delete;

    // Queues `loadfile url replace`.
    bool loadFile(const QString& url);
    // Reads mpv's messages until the named event arrives; false on time-out.
    bool waitForEvent(const QString& name, int timeoutMs);
    // Drops what mpv said so far, so that an old event is not taken for a new one.
    void discardPending();

  private:
    bool send(const QByteArray& json);

    QProcess process_;
    QLocalSocket socket_;
    QByteArray pending_;
};

}  // namespace bench
