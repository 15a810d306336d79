#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <map>
#include <memory>

namespace testsupport {

// A private icecast2 on 127.0.0.1 with a free port, fed by ffmpeg sources
// (a sine tone as 128 kbps MP3 unless told otherwise). Everything it started
// is stopped when the object dies. The waits process Qt events, so engines
// under test keep running meanwhile.
class IcecastServer {
  public:
    static bool available();  // icecast2 and ffmpeg are installed

    IcecastServer();  // throws std::runtime_error when the server does not come up
    ~IcecastServer();
    IcecastServer(const IcecastServer&) = delete;
    IcecastServer& operator=(const IcecastServer&) = delete;

    int port() const { return port_; }
    // "http://127.0.0.1:PORT/mount"; mount names start with "/".
    QString url(const QString& mount) const;

    // Starts feeding a mount and waits until the server lists it; a mount
    // ending in ".aac" gets ADTS AAC, ".ogg" Ogg Vorbis, any other MP3.
    bool startSource(const QString& mount, int frequencyHz = 440, int bitrateKbps = 128);
    void stopSource(const QString& mount);
    bool sourceLive(const QString& mount);

    // Stops the server and its sources; startServer brings both back on the
    // same port.
    void stopServer();
    bool startServer();
    bool running() const;

    // Listeners of a mount as the server counts them; -1 when the server
    // does not answer or does not know the mount.
    int listeners(const QString& mount);
    // Sets the ICY stream title that listeners of the mount receive.
    bool setStreamTitle(const QString& mount, const QString& title);

    static constexpr const char* kPassword = "hackme-test";

  private:
    struct Source {
        std::unique_ptr<QProcess> process;
        int frequencyHz;
        int bitrateKbps;
    };

    void writeConfig() const;
    bool launchSource(const QString& mount, Source& source);
    static void endProcess(QProcess& process);
    // The ends of the server's error log and its error output.
    QString logTail() const;
    // GET on the server's admin pages; empty when there was no answer.
    QByteArray adminGet(const QString& pathAndQuery, int timeoutMs = 3000);

    QTemporaryDir folder_;
    int port_ = 0;
    std::unique_ptr<QProcess> server_;
    std::map<QString, Source> sources_;
};

}  // namespace testsupport
