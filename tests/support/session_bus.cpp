#include "support/session_bus.h"

#include <QTest>

#include "support/processes.h"

namespace testsupport {

PrivateBus::PrivateBus() {
    endWithParent(daemon_);
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--nofork"),
                   QStringLiteral("--print-address=1")});
    if (daemon_.waitForStarted(5000) && daemon_.waitForReadyRead(10000))
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
}

PrivateBus::~PrivateBus() {
    QDBusConnection::disconnectFromBus(address_);
    daemon_.kill();
    daemon_.waitForFinished(5000);
}

void PrivateBus::join(QProcessEnvironment& env) const {
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
}

QDBusConnection PrivateBus::connection() const {
    // Named by the address: each bus has one connection, dropped with it.
    return QDBusConnection::connectToBus(address_, address_);
}

Follower::Follower(const QProcessEnvironment& env, const QStringList& what) {
    process_.setProcessEnvironment(env);
    endWithParent(process_);
    process_.start(
        QStringLiteral("playerctl"),
        QStringList{QStringLiteral("--player=wavelark"), QStringLiteral("--follow")} + what);
}

Follower::~Follower() {
    process_.kill();
    process_.waitForFinished(5000);
}

bool Follower::sawLast(const QString& last, int timeoutMs) {
    return QTest::qWaitFor(
        [&] {
            for (const QString& line :
                 QString::fromUtf8(process_.readAllStandardOutput()).split(QLatin1Char('\n')))
                if (!line.trimmed().isEmpty() &&
                    (seen_.isEmpty() || seen_.constLast() != line.trimmed()))
                    seen_ << line.trimmed();
            return seen_.join(QLatin1Char(' ')).endsWith(last);
        },
        timeoutMs);
}

}  // namespace testsupport
