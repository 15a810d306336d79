#include "mpv_peer.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>
#include <stdexcept>

#include "measure.h"

namespace bench {

namespace {
constexpr int kStartTimeoutMs = 10000;
}

MpvPeer::MpvPeer(const QString& socketPath, const QStringList& options) {
    endWithParent(process_);
    process_.setStandardOutputFile(QProcess::nullDevice());
    process_.setStandardErrorFile(QProcess::nullDevice());
    process_.start(
        QStringLiteral("mpv"),
        options + QStringList{QStringLiteral("--idle=yes"), QStringLiteral("--really-quiet"),
                              QStringLiteral("--input-ipc-server=") + socketPath});
    if (!process_.waitForStarted(kStartTimeoutMs)) throw std::runtime_error("mpv did not start");
    // The socket appears once mpv has set up its input; until then connects fail.
    QElapsedTimer timer;
    timer.start();
    while (true) {
        socket_.connectToServer(socketPath);
        if (socket_.waitForConnected(200)) break;
        if (timer.elapsed() > kStartTimeoutMs || process_.state() != QProcess::Running)
            throw std::runtime_error("mpv's IPC socket did not answer");
        QThread::msleep(20);
    }
}

MpvPeer::~MpvPeer() {
    if (socket_.state() == QLocalSocket::ConnectedState) {
        send(R"({"command":["quit"]})");
        socket_.disconnectFromServer();
    }
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(2000);
    }
}

bool MpvPeer::send(const QByteArray& json) {
    socket_.write(json + '\n');
    return socket_.waitForBytesWritten(1000);
}

bool MpvPeer::loadFile(const QString& url) {
    const QJsonObject command{
        {QStringLiteral("command"),
         QJsonArray{QStringLiteral("loadfile"), url, QStringLiteral("replace")}}};
    return send(QJsonDocument(command).toJson(QJsonDocument::Compact));
}

void MpvPeer::discardPending() {
    socket_.waitForReadyRead(0);
    socket_.readAll();
    pending_.clear();
}

bool MpvPeer::waitForEvent(const QString& name, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (true) {
        for (const QByteArray& line : takeCompleteLines(pending_))
            if (eventName(line) == name) return true;
        const qint64 left = timeoutMs - timer.elapsed();
        if (left <= 0 || socket_.state() != QLocalSocket::ConnectedState) return false;
        if (socket_.waitForReadyRead(static_cast<int>(left))) pending_ += socket_.readAll();
    }
}

}  // namespace bench
