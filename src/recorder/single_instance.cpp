#include "recorder/single_instance.h"

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace ondrix {

namespace {

// The first recorder listens within moments of taking the lock; a start
// that comes between the two waits this long for it.
constexpr int kListenWaitMs = 3000;

}  // namespace

SingleInstance::SingleInstance(QString folder, QObject* parent)
    : QObject(parent), folder_(std::move(folder)) {
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* knock = server_.nextPendingConnection()) knock->deleteLater();
        emit raiseRequested();
    });
}

QString SingleInstance::socketPath() const {
    return folder_ + QStringLiteral("/OndrixWRec.socket");
}

bool SingleInstance::claim() {
    if (folder_.isEmpty()) return true;
    lock_ = std::make_unique<QLockFile>(folder_ + QStringLiteral("/OndrixWRec.lock"));
    // The lock is held for the whole recording: only a dead holder frees it.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0)) {
        QLocalServer::removeServer(socketPath());
        server_.setSocketOptions(QLocalServer::UserAccessOption);
        // Failing only means that later starts cannot bring this one forward.
        server_.listen(socketPath());
        return true;
    }
    if (lock_->error() != QLockFile::LockFailedError) return true;
    // These waits come before the window exists and end at once but in the
    // moment between the other recorder's lock and its listening.
    const QDeadlineTimer deadline(kListenWaitMs);
    do {
        QLocalSocket knock;
        knock.connectToServer(socketPath());
        if (knock.waitForConnected(500)) {
            knock.disconnectFromServer();
            return false;
        }
        QThread::msleep(50);
    } while (!deadline.hasExpired());
    return false;
}

QString userRuntimeFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

}  // namespace ondrix
