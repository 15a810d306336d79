#include "support/web_server.h"

#include <QTcpSocket>

namespace testsupport {

namespace {
constexpr int kLiveTickMs = 100;

QByteArray chunk(const QByteArray& data) {
    return QByteArray::number(data.size(), 16) + "\r\n" + data + "\r\n";
}
}  // namespace

WebServer::WebServer() {
    liveTimer_.setInterval(kLiveTickMs);
    QObject::connect(&liveTimer_, &QTimer::timeout, [this] {
        for (Listener& l : live_) {
            QByteArray data;
            for (int i = 0; i < l.bytesPerTick; ++i) data += l.body.at(l.at++ % l.body.size());
            l.socket->write(chunk(data));
        }
    });
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            sockets_.emplace_back(socket);
            auto request = std::make_shared<QByteArray>();
            QObject::connect(socket, &QTcpSocket::readyRead, [this, socket, request] {
                if (request->contains("\r\n\r\n")) return;  // answered already
                *request += socket->readAll();
                if (!request->contains("\r\n\r\n")) return;
                const QString path =
                    QString::fromLatin1(request->left(request->indexOf("\r\n"))).section(' ', 1, 1);
                answer(*socket, path);
            });
        }
    });
}

WebServer::~WebServer() {
    for (auto& socket : sockets_) socket->abort();
}

QString WebServer::url(const QString& path) const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
}

int WebServer::requests(const QString& path) const {
    const auto found = requests_.find(path);
    return found == requests_.end() ? 0 : found->second;
}

void WebServer::cut() {
    for (Listener& l : live_) {
        l.socket->write("1000\r\n" + l.body.left(100));  // 4096 bytes promised
        l.socket->flush();
        l.socket->abort();
    }
    live_.clear();
}

void WebServer::hush() {
    hushed_.insert(hushed_.end(), live_.begin(), live_.end());
    live_.clear();
}

void WebServer::answer(QTcpSocket& socket, const QString& path) {
    ++requests_[path];
    const auto found = routes_.find(path);
    const Reply reply = found != routes_.end() ? found->second : Reply::failing(404);
    if (reply.silent) return;
    QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) +
                      (reply.status == 200 ? " OK" : " Failed") +
                      "\r\nContent-Type: " + reply.type + "\r\nConnection: close\r\n";
    if (reply.liveBytesPerSecond > 0) {
        socket.write(head + "Transfer-Encoding: chunked\r\n\r\n");
        live_.push_back({&socket, reply.body, 0, reply.liveBytesPerSecond * kLiveTickMs / 1000});
        liveTimer_.start();
        return;
    }
    QByteArray body = reply.body;
    switch (reply.framing) {
        case Reply::Framing::Declared:
            head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
            break;
        case Reply::Framing::Chunked:
        case Reply::Framing::CutChunked: {
            head += "Transfer-Encoding: chunked\r\n";
            QByteArray chunked;
            for (qsizetype at = 0; at < body.size(); at += 4096)
                chunked += chunk(body.mid(at, 4096));
            if (reply.framing == Reply::Framing::Chunked)
                body = chunked + "0\r\n\r\n";
            else
                body = chunked + "1000\r\n" + QByteArray(100, '\0');  // 4096 promised
            break;
        }
        case Reply::Framing::Unbounded:
            break;
    }
    socket.write(head + "\r\n" + body);
    socket.disconnectFromHost();
}

}  // namespace testsupport
