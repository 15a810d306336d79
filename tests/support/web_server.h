#pragma once

#include <QByteArray>
#include <QString>
#include <QTcpServer>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QTcpSocket;

namespace testsupport {

// A small HTTP server on 127.0.0.1 with a free port, for the engine's tests:
// each path answers as its Reply says, anything else with 404. It runs on
// the Qt event loop of the test, so waits must process events.
class WebServer {
  public:
    struct Reply {
        int status = 200;
        QByteArray type = "audio/mpeg";
        QByteArray body;
        // Declared: Content-Length; Chunked: chunks of 4 KiB and the final
        // empty one; Unbounded: neither, the end of the body closes.
        enum class Framing { Declared, Chunked, Unbounded } framing = Framing::Declared;
        bool silent = false;  // takes the connection, never answers

        static Reply noAnswer() {
            Reply reply;
            reply.silent = true;
            return reply;
        }
    };

    WebServer();
    ~WebServer();
    WebServer(const WebServer&) = delete;
    WebServer& operator=(const WebServer&) = delete;

    void route(const QString& path, Reply reply) { routes_[path] = std::move(reply); }
    // "http://127.0.0.1:PORT/path"
    QString url(const QString& path) const;
    int requests(const QString& path) const;

  private:
    void answer(QTcpSocket& socket, const QString& path);

    QTcpServer server_;
    std::map<QString, Reply> routes_;
    std::map<QString, int> requests_;
    std::vector<std::unique_ptr<QTcpSocket>> sockets_;
};

}  // namespace testsupport
