#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <string>

namespace testsupport {

// A session bus of the test's own: the program under test and its peers
// (playerctl, a notification or accessibility client) meet there and nowhere
// else. The daemon ends with the object.
class PrivateBus {
  public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;
    // Empty when the daemon did not start.
    QString address() const { return address_; }
    // env with this bus as its session bus.
    void join(QProcessEnvironment& env) const;
    // The test's own connection to the bus, made on first use.
    QDBusConnection connection() const;

  private:
    QProcess daemon_;
    QString address_;
};

// `playerctl --follow` on the bus of env: the lines it printed, repeats
// folded.
class Follower {
  public:
    Follower(const QProcessEnvironment& env, const QStringList& what);
    ~Follower();
    Follower(const Follower&) = delete;
    Follower& operator=(const Follower&) = delete;
    // Whether the lines seen end with `last` (lines joined by blanks) within
    // timeoutMs.
    bool sawLast(const QString& last, int timeoutMs);
    std::string seen() const { return seen_.join(QStringLiteral(" | ")).toStdString(); }

  private:
    QProcess process_;
    QStringList seen_;
};

}  // namespace testsupport
