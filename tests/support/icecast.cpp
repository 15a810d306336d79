#include "support/icecast.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTest>
#include <QUrl>
#include <QUrlQuery>
#include <QXmlStreamReader>
#include <algorithm>
#include <stdexcept>

#include "support/processes.h"

namespace testsupport {

namespace {
// Generous: on a loaded machine ffmpeg and icecast2 take seconds to start.
constexpr int kStartTimeoutMs = 20000;
}  // namespace

bool IcecastServer::available() {
    return haveProgram(QStringLiteral("icecast2")) && haveProgram(QStringLiteral("ffmpeg"));
}

IcecastServer::IcecastServer() : port_(freePort()) {
    if (!folder_.isValid() || port_ == 0)
        throw std::runtime_error("no folder or port for icecast2");
    // Run as root, icecast2 becomes nobody, who must still read its config
    // and write its log; QTemporaryDir makes a folder only its owner can enter.
    ::chmod(QFile::encodeName(folder_.path()).constData(), 0755);
    QDir(folder_.path()).mkdir(QStringLiteral("log"));
    ::chmod(QFile::encodeName(folder_.filePath(QStringLiteral("log"))).constData(), 0777);
    // The free port may be taken by another test between the probe and the
    // server's bind; a new port is tried then.
    bool started = false;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        if (attempt > 0) port_ = freePort();
        writeConfig();
        started = startServer();
    }
    if (!started) throw std::runtime_error("icecast2 did not start: " + logTail().toStdString());
}

QString IcecastServer::logTail() const {
    QString tail;
    for (const char* name : {"log/error.log", "log/stderr.log"}) {
        QFile log(folder_.filePath(QLatin1String(name)));
        if (log.open(QIODevice::ReadOnly)) tail += QString::fromLocal8Bit(log.readAll().right(600));
    }
    return tail;
}

IcecastServer::~IcecastServer() {
    for (auto& [mount, source] : sources_)
        if (source.process) endProcess(*source.process);
    if (server_) endProcess(*server_);
}

QString IcecastServer::url(const QString& mount) const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port_).arg(mount);
}

void IcecastServer::writeConfig() const {
    const QString changeOwner = geteuid() == 0
                                    ? QStringLiteral(
                                          "<changeowner><user>nobody</user><group>nogroup</group>"
                                          "</changeowner>")
                                    : QString();
    const QString config =
        QStringLiteral(
            "<icecast>\n"
            "  <location>test</location><admin>test@localhost</admin>\n"
            "  <limits><clients>50</clients><sources>10</sources>"
            "<queue-size>524288</queue-size><client-timeout>30</client-timeout>"
            "<header-timeout>15</header-timeout><source-timeout>5</source-timeout>"
            "<burst-on-connect>1</burst-on-connect><burst-size>65535</burst-size></limits>\n"
            "  <authentication><source-password>%1</source-password>"
            "<relay-password>%1</relay-password><admin-user>admin</admin-user>"
            "<admin-password>%1</admin-password></authentication>\n"
            "  <hostname>127.0.0.1</hostname>\n"
            "  <listen-socket><port>%2</port><bind-address>127.0.0.1</bind-address>"
            "</listen-socket>\n"
            "  <fileserve>1</fileserve>\n"
            "  <paths><basedir>/usr/share/icecast2</basedir><logdir>%3</logdir>"
            "<webroot>/usr/share/icecast2/web</webroot>"
            "<adminroot>/usr/share/icecast2/admin</adminroot></paths>\n"
            "  <logging><accesslog>access.log</accesslog><errorlog>error.log</errorlog>"
            "<loglevel>3</loglevel></logging>\n"
            "  <security><chroot>0</chroot>%4</security>\n"
            "</icecast>\n")
            .arg(QString::fromLatin1(kPassword))
            .arg(port_)
            .arg(folder_.filePath(QStringLiteral("log")), changeOwner);
    QFile file(folder_.filePath(QStringLiteral("icecast.xml")));
    if (!file.open(QIODevice::WriteOnly) || file.write(config.toUtf8()) < 0)
        throw std::runtime_error("cannot write icecast.xml");
    file.close();
    ::chmod(QFile::encodeName(file.fileName()).constData(), 0644);
}

bool IcecastServer::startServer() {
    if (running()) return true;
    // The server is up when its port serves the admin pages. On a loaded
    // machine icecast2 2.4 now and then crashes (SIGSEGV) right after it
    // bound its port: it is started again until it serves or the time is up.
    QElapsedTimer sinceStart;
    sinceStart.start();
    bool serving = false;
    while (!serving && sinceStart.elapsed() < kStartTimeoutMs) {
        if (server_) {
            qWarning().noquote() << "icecast2 ended at its start"
                                 << (server_->exitStatus() == QProcess::CrashExit ? "by signal"
                                                                                  : "with status")
                                 << server_->exitCode() << "; started again";
            QTest::qWait(200);
        }
        server_ = std::make_unique<QProcess>();
        endWithParent(*server_);
        server_->setStandardOutputFile(QProcess::nullDevice());
        server_->setStandardErrorFile(folder_.filePath(QStringLiteral("log/stderr.log")),
                                      QIODevice::Append);
        server_->start(QStringLiteral("icecast2"),
                       {QStringLiteral("-c"), folder_.filePath(QStringLiteral("icecast.xml"))});
        if (!server_->waitForStarted(kStartTimeoutMs)) break;
        serving =
            QTest::qWaitFor(
                [this] {
                    return !running() || !adminGet(QStringLiteral("/admin/stats"), 1000).isEmpty();
                },
                static_cast<int>(std::max<qint64>(kStartTimeoutMs - sinceStart.elapsed(), 1000))) &&
            running();
    }
    if (!serving) {
        qWarning().noquote() << "icecast2 did not serve:" << logTail();
        return false;
    }
    for (auto& [mount, source] : sources_)
        if (!launchSource(mount, source)) return false;
    return true;
}

void IcecastServer::stopServer() {
    for (auto& [mount, source] : sources_)
        if (source.process) endProcess(*source.process);
    if (server_) endProcess(*server_);
    server_.reset();
}

bool IcecastServer::running() const {
    return server_ && server_->state() == QProcess::Running;
}

bool IcecastServer::startSource(const QString& mount, int frequencyHz, int bitrateKbps) {
    Source& source = sources_[mount];
    if (source.process) endProcess(*source.process);
    source.frequencyHz = frequencyHz;
    source.bitrateKbps = bitrateKbps;
    return launchSource(mount, source);
}

bool IcecastServer::launchSource(const QString& mount, Source& source) {
    source.process = std::make_unique<QProcess>();
    // The server is local: a proxy from the environment must not sit between.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY"})
        environment.remove(QString::fromLatin1(name));
    source.process->setProcessEnvironment(environment);
    endWithParent(*source.process);
    source.process->setStandardOutputFile(QProcess::nullDevice());
    source.process->setStandardErrorFile(folder_.filePath(QStringLiteral("log/ffmpeg.log")),
                                         QIODevice::Append);
    // The mount's ending names the format: ".aac" ADTS AAC, ".ogg" Ogg
    // Vorbis, anything else MP3.
    struct Format {
        const char *codec, *contentType, *muxer;
    } format = {"libmp3lame", "audio/mpeg", "mp3"};
    if (mount.endsWith(QLatin1String(".aac"))) format = {"aac", "audio/aac", "adts"};
    if (mount.endsWith(QLatin1String(".ogg"))) format = {"libvorbis", "application/ogg", "ogg"};
    source.process->start(
        QStringLiteral("ffmpeg"),
        {QStringLiteral("-nostdin"),
         QStringLiteral("-loglevel"),
         QStringLiteral("error"),
         QStringLiteral("-re"),
         QStringLiteral("-f"),
         QStringLiteral("lavfi"),
         QStringLiteral("-i"),
         QStringLiteral("sine=frequency=%1:sample_rate=44100").arg(source.frequencyHz),
         QStringLiteral("-ac"),
         QStringLiteral("2"),
         QStringLiteral("-c:a"),
         QLatin1String(format.codec),
         QStringLiteral("-b:a"),
         QStringLiteral("%1k").arg(source.bitrateKbps),
         QStringLiteral("-content_type"),
         QLatin1String(format.contentType),
         QStringLiteral("-ice_name"),
         QStringLiteral("Test tone"),
         QStringLiteral("-f"),
         QLatin1String(format.muxer),
         QStringLiteral("icecast://source:%1@127.0.0.1:%2%3")
             .arg(QString::fromLatin1(kPassword))
             .arg(port_)
             .arg(mount)});
    if (!source.process->waitForStarted(kStartTimeoutMs)) return false;
    return QTest::qWaitFor([&] { return sourceLive(mount); }, kStartTimeoutMs);
}

void IcecastServer::stopSource(const QString& mount) {
    auto it = sources_.find(mount);
    if (it == sources_.end()) return;
    if (it->second.process) endProcess(*it->second.process);
    sources_.erase(it);
}

void IcecastServer::endProcess(QProcess& process) {
    if (process.state() == QProcess::NotRunning) return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(2000);
    }
}

QByteArray IcecastServer::adminGet(const QString& pathAndQuery, int timeoutMs) {
    QNetworkAccessManager manager;
    manager.setProxy(QNetworkProxy::NoProxy);
    QNetworkRequest request(
        QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port_).arg(pathAndQuery)));
    request.setRawHeader("Authorization", "Basic " + (QByteArray("admin:") + kPassword).toBase64());
    request.setTransferTimeout(timeoutMs);
    std::unique_ptr<QNetworkReply> reply(manager.get(request));
    if (!QTest::qWaitFor([&] { return reply->isFinished(); }, timeoutMs + 1000) ||
        reply->error() != QNetworkReply::NoError)
        return {};
    return reply->readAll();
}

int IcecastServer::listeners(const QString& mount) {
    const QByteArray stats = adminGet(QStringLiteral("/admin/stats"));
    QXmlStreamReader xml(stats);
    bool inMount = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("source"))
            inMount = xml.attributes().value(QLatin1String("mount")) == mount;
        else if (inMount && xml.isStartElement() && xml.name() == QLatin1String("listeners"))
            return xml.readElementText().toInt();
    }
    return -1;
}

bool IcecastServer::sourceLive(const QString& mount) {
    return listeners(mount) >= 0;
}

bool IcecastServer::setStreamTitle(const QString& mount, const QString& title) {
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("mount"), mount);
    query.addQueryItem(QStringLiteral("mode"), QStringLiteral("updinfo"));
    query.addQueryItem(QStringLiteral("song"), title);
    return !adminGet(QStringLiteral("/admin/metadata?") + query.toString(QUrl::FullyEncoded))
                .isEmpty();
}

}  // namespace testsupport
