#include "support/accessibility.h"

#include <QFileInfo>
#include <QTest>

#include "support/processes.h"
#include "support/suite_paths.h"

namespace testsupport {

namespace {

const QString kLauncher = QStringLiteral("/usr/libexec/at-spi-bus-launcher");
// The system's Python, where python3-pyatspi installs itself.
const QString kPython = QStringLiteral("/usr/bin/python3");

}  // namespace

AccessibilityBus::AccessibilityBus() : env_(QProcessEnvironment::systemEnvironment()) {
    if (!QFileInfo(kLauncher).isExecutable() || !haveProgram(QStringLiteral("dbus-daemon")) ||
        runCommand(kPython, {QStringLiteral("-c"), QStringLiteral("import pyatspi")}) != 0)
        return;
    if (sessionBus_.address().isEmpty()) return;
    // Only the session bus leads to the accessibility bus: not a display's
    // note of one, nor an address from outside.
    env_.remove(QStringLiteral("DISPLAY"));
    join(env_);
    // The launcher starts the accessibility bus and names it on the session
    // bus, where the programs and the client ask for it.
    launcher_.setProcessEnvironment(env_);
    launcher_.setStandardOutputFile(QProcess::nullDevice());
    launcher_.setStandardErrorFile(QProcess::nullDevice());
    endWithParent(launcher_);
    launcher_.start(kLauncher, {QStringLiteral("--launch-immediately")});
    ready_ = launcher_.waitForStarted(5000) &&
             QTest::qWaitFor(
                 [&] {
                     return runCommand(
                                QStringLiteral("dbus-send"),
                                {QStringLiteral("--session"), QStringLiteral("--dest=org.a11y.Bus"),
                                 QStringLiteral("--print-reply"), QStringLiteral("/org/a11y/bus"),
                                 QStringLiteral("org.a11y.Bus.GetAddress")},
                                env_, nullptr, 5000) == 0;
                 },
                 15000);
}

AccessibilityBus::~AccessibilityBus() {
    if (launcher_.state() == QProcess::NotRunning) return;
    launcher_.terminate();
    if (!launcher_.waitForFinished(5000)) launcher_.kill();
    launcher_.waitForFinished(2000);
}

void AccessibilityBus::join(QProcessEnvironment& env) const {
    sessionBus_.join(env);
    env.remove(QStringLiteral("AT_SPI_BUS_ADDRESS"));
    env.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
}

int AccessibilityBus::client(const QStringList& arguments, QString* output) const {
    return runCommand(
        kPython,
        QStringList{sourcePath(QStringLiteral("tests/support/atspi_client.py"))} + arguments, env_,
        output, 30000);
}

QStringList AccessibilityBus::objects(const QString& application) const {
    QString listing;
    if (client({application, QStringLiteral("list")}, &listing) != 0) return {};
    QStringList rows = listing.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString& row : rows) row.replace(QLatin1Char('\t'), QLatin1Char('|'));
    return rows;
}

bool AccessibilityBus::waitForObjects(const QString& application, const QStringList& rows) const {
    return QTest::qWaitFor(
        [&] {
            const QStringList seen = objects(application);
            for (const QString& row : rows)
                if (!seen.contains(row)) return false;
            return true;
        },
        20000);
}

bool AccessibilityBus::act(const QString& application, const QString& role, const QString& name,
                           const QString& action) const {
    return client({application, QStringLiteral("do"), role, name, action}) == 0;
}

bool AccessibilityBus::type(const QString& application, const QString& role, const QString& name,
                            const QString& text) const {
    return client({application, QStringLiteral("type"), role, name, text}) == 0;
}

}  // namespace testsupport
