#include "media/address_gate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <optional>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace ondrix {

namespace {

// The scheme of "scheme://rest" in lower case; empty for a plain path.
QString schemeOf(const QString& address) {
    const qsizetype separator = address.indexOf(QStringLiteral("://"));
    if (separator <= 1) return QString();  // "C://x" is a drive, not a scheme
    QString scheme = address.left(separator).toLower();
    for (const QChar c : std::as_const(scheme))
        if (!(c.isLetterOrNumber() || c == QLatin1Char('+') || c == QLatin1Char('-') ||
              c == QLatin1Char('.')))
            return QString();
    return scheme;
}

// Clients that only connect out. libmpv knows more: "fd://" and "fdclose://"
// act on the player's own descriptors, "av://" runs filter graphs, and
// "udp://", "rtp://" and "srt://" bind a port on every interface and take
// datagrams from anyone. rtsp's own data channel is kept on its TCP
// connection (rtsp-transport), so it binds nothing either.
bool isClientScheme(const QString& scheme) {
    static const std::array<QLatin1String, 12> clients = {
        QLatin1String("http"),  QLatin1String("https"), QLatin1String("icyx"),
        QLatin1String("dav"),   QLatin1String("davs"),  QLatin1String("rtsp"),
        QLatin1String("rtsps"), QLatin1String("mms"),   QLatin1String("mmsh"),
        QLatin1String("mmst"),  QLatin1String("rtmp"),  QLatin1String("rtmps")};
    return std::find(clients.begin(), clients.end(), scheme) != clients.end();
}

// libavformat takes options from the query ("tcp://h:p?listen=1",
// "srt://:p?mode=listener") and librtmp from words after the address
// ("rtmp://h/app listen=1"); any option or value that names listening is
// refused, whatever the scheme.
bool asksToListen(const QString& address) {
    const qsizetype options = address.indexOf(QRegularExpression(QStringLiteral("[?\\s]")));
    if (options < 0) return false;
    static const QRegularExpression listen(
        QStringLiteral("(^|[?&;=,+\\s])[a-z_]*listen(er)?($|[&;=,+\\s])"),
        QRegularExpression::CaseInsensitiveOption);
    return listen.match(address.mid(options)).hasMatch();
}

// A local path as libmpv would open it, as the bytes the file system
// knows it by (a file URL may carry bytes that are no UTF-8, percent-encoded);
// nothing when it names none.
std::optional<QByteArray> localPath(const QString& address) {
    if (schemeOf(address).isEmpty()) return QFile::encodeName(address);
    const QUrl url(address);
    const bool here = url.host().isEmpty() || url.host() == QLatin1String("localhost");
    if (!url.isLocalFile() || !here) return std::nullopt;
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
}

bool inSystemTree(const QString& path) {
    for (const char* system : {"/dev/", "/proc/", "/sys/"})
        if (path.startsWith(QLatin1String(system))) return true;
    return false;
}

std::optional<Refusal> localFileRefusal(const QByteArray& path) {
    // libmpv reads "-" as standard input, plays every file beneath a folder
    // and would read a device, a FIFO or a descriptor for good.
    if (path == "-") return Refusal::NotAFile;
    // A link may lead into the system's own trees, where "files" are
    // descriptors, pipes and endless data.
    const QString named =
        QDir::cleanPath(QDir::current().absoluteFilePath(QFile::decodeName(path)));
    if (inSystemTree(named)) return Refusal::NotAFile;
#ifdef Q_OS_UNIX
    // Looked up by its bytes, which QFileInfo cannot hold when they are no UTF-8.
    struct stat target {};
    if (::stat(path.constData(), &target) != 0) {
        struct stat link {};
        return ::lstat(path.constData(), &link) == 0 ? Refusal::NotAFile : Refusal::Missing;
    }
    if (!S_ISREG(target.st_mode)) return Refusal::NotAFile;
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.constData(), nullptr),
                                                           &std::free);
    if (real && inSystemTree(QFile::decodeName(real.get()))) return Refusal::NotAFile;
#else
    const QFileInfo info(QFile::decodeName(path));
    if (!info.exists()) return info.isSymLink() ? Refusal::NotAFile : Refusal::Missing;
    if (!info.isFile()) return Refusal::NotAFile;
#endif
    return std::nullopt;
}

}  // namespace

QString refusalText(Refusal refusal) {
    switch (refusal) {
        case Refusal::Empty:
            return QString();
        case Refusal::Scheme:
            return QStringLiteral("Cannot open this address");
        case Refusal::Listens:
            return QStringLiteral("Refused: the address would listen on the network");
        case Refusal::Missing:
            return QStringLiteral("File not found");
        case Refusal::NotAFile:
            return QStringLiteral("Not a regular file");
        case Refusal::LocalFromServer:
            return QStringLiteral("Refused: a server's playlist names a local file");
        case Refusal::NotLocal:
            return QStringLiteral("Not a local file");
    }
    return QString();
}

bool isNetworkAddress(const QString& address) {
    const QString scheme = schemeOf(address);
    return !scheme.isEmpty() && scheme != QLatin1String("file");
}

AddressVerdict admitAddress(AddressOrigin origin, const QString& address) {
    if (address.isEmpty()) return Refusal::Empty;
    const bool filesOnly =
        origin == AddressOrigin::FileList || origin == AddressOrigin::ShuttleStep;
    if (isNetworkAddress(address)) {
        if (!isClientScheme(schemeOf(address))) return Refusal::Scheme;
        if (asksToListen(address)) return Refusal::Listens;
        if (filesOnly) return Refusal::NotLocal;
        return Admitted(address, AddressKind::Network);
    }
    const std::optional<QByteArray> path = localPath(address);
    if (!path) return Refusal::Scheme;  // "file://host/x" names another machine's file
    if (origin == AddressOrigin::RemotePlaylist) return Refusal::LocalFromServer;
    if (const std::optional<Refusal> refusal = localFileRefusal(*path)) return *refusal;
    return Admitted(address, AddressKind::File);
}

const char* openableProtocols() {
    // "tcp" and "tls" carry http, rtsp, rtmp and mmst; "crypto" and "data"
    // are HLS keys and inline segments; "file" the segments of a local playlist.
    return "file,http,https,httpproxy,tcp,tls,crypto,data,rtmp,rtmps,rtmpt,rtmpts,ffrtmphttp,"
           "mmsh,mmst";
}

}  // namespace ondrix
