#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include "support/session_bus.h"

namespace testsupport {

// The desktop's accessibility bus (AT-SPI) of a test's own, on a private
// session bus, and an assistive tool's view of it (pyatspi). The buses end
// with the object.
class AccessibilityBus {
  public:
    AccessibilityBus();
    ~AccessibilityBus();
    AccessibilityBus(const AccessibilityBus&) = delete;
    AccessibilityBus& operator=(const AccessibilityBus&) = delete;

    // Whether the buses run; false too when the client is not installed.
    bool ready() const { return ready_; }
    // A program's environment on these buses, with Qt's accessibility on.
    void join(QProcessEnvironment& env) const;

    // What the application reports, object by object, as "role|name"
    // ("push button|REC"); empty while it reports nothing.
    QStringList objects(const QString& application) const;
    // Waits until the application reports all of the "role|name" rows.
    bool waitForObjects(const QString& application, const QStringList& rows) const;
    // Runs the named action ("Press") of the object with that role and name.
    bool act(const QString& application, const QString& role, const QString& name,
             const QString& action = QStringLiteral("Press")) const;
    // Replaces the text of the object with that role and name.
    bool type(const QString& application, const QString& role, const QString& name,
              const QString& text) const;

  private:
    int client(const QStringList& arguments, QString* output = nullptr) const;

    PrivateBus sessionBus_;
    QProcess launcher_;
    QProcessEnvironment env_;
    bool ready_ = false;
};

}  // namespace testsupport
