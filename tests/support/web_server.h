#pragma once

#include <QByteArray>
#include <QString>
#include <QTcpServer>
#include <QTimer>
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
        // empty one; CutChunked: the same, cut in the middle of the last
        // chunk; Unbounded: neither, the end of the body closes.
        enum class Framing { Declared, Chunked, CutChunked, Unbounded } framing = Framing::Declared;
        bool silent = false;  // takes the connection, never answers
        // Above 0: the body is sent again and again, chunked, at this many
        // bytes a second, as a live stream (see cut).
        int liveBytesPerSecond = 0;

        static Reply failing(int status) {
            Reply reply;
            reply.status = status;
            return reply;
        }
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
    // Drops every live listener in the middle of a chunk.
    void cut();
    // Sends nothing more to the live listeners so far, and keeps them
    // connected, as a station whose source hangs.
    void hush();

  private:
    void answer(QTcpSocket& socket, const QString& path);

    QTcpServer server_;
    std::map<QString, Reply> routes_;
    std::map<QString, int> requests_;
    std::vector<std::unique_ptr<QTcpSocket>> sockets_;
    struct Listener {
        QTcpSocket* socket;
        QByteArray body;
        qsizetype at;
        int bytesPerTick;
    };
    std::vector<Listener> live_;
    std::vector<Listener> hushed_;
    QTimer liveTimer_;
};

}  // namespace testsupport
