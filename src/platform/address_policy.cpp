#include "platform/address_policy.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>
#include <utility>

namespace ondrix {

namespace {

// The scheme of "scheme://rest" in lower case; empty for a plain path.
QString schemeOf(const QString& url) {
    const qsizetype separator = url.indexOf(QStringLiteral("://"));
    if (separator <= 1) return QString();            // "C://x" is a drive, not a scheme
    QString scheme = url.left(separator).toLower();  // not const: returned by move
    for (QChar c : std::as_const(scheme))
        if (!(c.isLetterOrNumber() || c == QLatin1Char('+') || c == QLatin1Char('-') ||
              c == QLatin1Char('.')))
            return QString();
    return scheme;
}

}  // namespace

bool isNetworkScheme(const QString& url) {
    const QString scheme = schemeOf(url);
    return !scheme.isEmpty() && scheme != QLatin1String("file");
}

bool isOpenableScheme(const QString& url) {
    // libmpv also knows schemes that reach into the player process itself
    // ("fd://", "fdclose://" act on its file descriptors) or run filter
    // graphs; an address typed into the test box must not get there.
    static const QStringList allowed = {
        QStringLiteral("http"),  QStringLiteral("https"), QStringLiteral("icyx"),
        QStringLiteral("mms"),   QStringLiteral("mmsh"),  QStringLiteral("mmst"),
        QStringLiteral("rtsp"),  QStringLiteral("rtsps"), QStringLiteral("rtmp"),
        QStringLiteral("rtmps"), QStringLiteral("rtp"),   QStringLiteral("udp"),
        QStringLiteral("srt"),   QStringLiteral("ftp"),   QStringLiteral("sftp"),
        QStringLiteral("smb"),   QStringLiteral("dav"),   QStringLiteral("davs"),
        QStringLiteral("file")};
    const QString scheme = schemeOf(url);
    return scheme.isEmpty() || allowed.contains(scheme);
}

AddressKind addressKind(const QString& url) {
    if (url.isEmpty() || !isOpenableScheme(url)) return AddressKind::Refused;
    if (isNetworkScheme(url)) return AddressKind::Network;
    QString path = url;
    if (!schemeOf(url).isEmpty()) {
        const QUrl fileUrl(url);
        if (!fileUrl.isLocalFile()) return AddressKind::Refused;
        path = fileUrl.toLocalFile();
    }
    // libmpv reads "-" as standard input, plays every file beneath a folder
    // and would read a device or a descriptor for good.
    if (path == QLatin1String("-")) return AddressKind::Refused;
    const QFileInfo info(path);
    const QString absolute = QDir::cleanPath(info.absoluteFilePath());
    for (const char* system : {"/dev/", "/proc/"})
        if (absolute.startsWith(QLatin1String(system))) return AddressKind::Refused;
    return info.isFile() ? AddressKind::File : AddressKind::Refused;
}

}  // namespace ondrix
