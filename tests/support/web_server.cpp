#include "support/web_server.h"

#include <QTcpSocket>

namespace testsupport {

WebServer::WebServer() {
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

void WebServer::answer(QTcpSocket& socket, const QString& path) {
    ++requests_[path];
    const auto found = routes_.find(path);
    Reply missing;
    missing.status = 404;
    const Reply reply = found != routes_.end() ? found->second : missing;
    if (reply.silent) return;
    QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) +
                      (reply.status == 200 ? " OK" : " Failed") +
                      "\r\nContent-Type: " + reply.type + "\r\nConnection: close\r\n";
    QByteArray body = reply.body;
    switch (reply.framing) {
        case Reply::Framing::Declared:
            head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
            break;
        case Reply::Framing::Chunked: {
            head += "Transfer-Encoding: chunked\r\n";
            QByteArray chunked;
            for (qsizetype at = 0; at < body.size(); at += 4096) {
                const QByteArray chunk = body.mid(at, 4096);
                chunked += QByteArray::number(chunk.size(), 16) + "\r\n" + chunk + "\r\n";
            }
            body = chunked + "0\r\n\r\n";
            break;
        }
        case Reply::Framing::Unbounded:
            break;
    }
    socket.write(head + "\r\n" + body);
    socket.disconnectFromHost();
}

}  // namespace testsupport
