#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

namespace ondrix {

// One recorder per user. The first start holds a lock in the user's runtime
// folder and listens on a local socket beside it; a later start finds the
// lock held, knocks on the socket so that the running recorder comes to the
// front, and ends. A recorder that was killed leaves a lock of a dead process
// (which counts as free) and a socket file (which the next one replaces).
class SingleInstance : public QObject {
    Q_OBJECT
  public:
    // folder: where the lock and the socket live; empty leaves every start free.
    explicit SingleInstance(QString folder, QObject* parent = nullptr);

    // True when this process is now the one recorder, also when the folder
    // takes no lock (a start is never refused for that). False when another
    // recorder runs; it has been asked to come to the front.
    bool claim();

    QString socketPath() const;

  signals:
    void raiseRequested();

  private:
    QString folder_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
};

// $XDG_RUNTIME_DIR, else a private folder of the user's that Qt makes in
// the temporary folder; empty when there is none.
QString userRuntimeFolder();

}  // namespace ondrix
