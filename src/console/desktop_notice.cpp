#include "console/desktop_notice.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>
#include <QVariantMap>
#include <optional>

#include "platform/outside_text.h"
#include "platform/session_bus.h"

namespace ondrix {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
constexpr int kAnswerWaitMs = 5000;
// A summary is one short line.
constexpr qsizetype kSummaryLimit = 120;

QString fromHome(const QString& path, const QString& home) {
    if (!home.isEmpty() && path.startsWith(home + QLatin1Char('/')))
        return QStringLiteral("~") + path.mid(home.size());
    return path;
}

// The answer to a call, or an invalid message when none came in time. Qt's
// blocking call waits for ever when the bus goes away while it waits; this
// wait ends at the time set, whatever the bus does.
QDBusMessage answerWithin(const QDBusConnection& bus, const QDBusMessage& call) {
    QDBusPendingCall pending = bus.asyncCall(call, kAnswerWaitMs);
    QDBusPendingCallWatcher watcher(pending);
    QEventLoop loop;
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(kAnswerWaitMs, &loop, &QEventLoop::quit);
    if (!pending.isFinished()) loop.exec();
    return pending.isFinished() ? pending.reply() : QDBusMessage();
}

}  // namespace

DesktopNotice programEndNotice(const QString& program, const QString& failure,
                               const QString& output, const QString& log, const QString& home) {
    QString name = QFileInfo(program).fileName();
    if (name.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive)) name.chop(4);
    name = shownName(name.toUpper(), kSummaryLimit / 2).text();
    if (!failure.isEmpty()) {
        return {name + QLatin1Char(' ') + failure,
                log.isEmpty() ? QString()
                              : QStringLiteral("See ") + shownName(fromHome(log, home)).text()};
    }
    if (output.isEmpty()) return {name + QStringLiteral(" finished"), QString()};
    return {
        shownName(QFileInfo(output).fileName(), kSummaryLimit).text() + QStringLiteral(" written"),
        shownName(fromHome(QDir::cleanPath(output), home)).text()};
}

void showDesktopNotice(const QString& appName, const DesktopNotice& notice) {
    if (!sessionBusAdvertised()) return;
    // Qt's bus connection wants an application object, which a process
    // without a window may not have made.
    int argc = 1;
    char name[] = "ondrix";
    char* argv[] = {name, nullptr};
    std::optional<QCoreApplication> application;
    if (!QCoreApplication::instance()) application.emplace(argc, argv);

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    const QDBusMessage capabilities =
        answerWithin(bus, QDBusMessage::createMethodCall(kService, kPath, kService,
                                                         QStringLiteral("GetCapabilities")));
    // No notification service on this desktop.
    if (capabilities.type() != QDBusMessage::ReplyMessage) return;
    // A service that reads markup in the body must not read a file name as markup.
    const bool markup = !capabilities.arguments().isEmpty() &&
                        capabilities.arguments().constFirst().toStringList().contains(
                            QStringLiteral("body-markup"));
    QDBusMessage notify =
        QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
    notify << appName << 0u << QString() << notice.summary
           << (markup ? notice.body.toHtmlEscaped() : notice.body) << QStringList() << QVariantMap()
           << -1;
    answerWithin(bus, notify);
}

}  // namespace ondrix
