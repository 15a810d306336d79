#include "support/processes.h"

#include <signal.h>
#include <sys/prctl.h>

#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTest>
#include <stdexcept>

namespace testsupport {

Xvfb::Xvfb(int width, int height) : server_(std::make_unique<QProcess>()) {
    server_->setProcessChannelMode(QProcess::SeparateChannels);
    endWithParent(*server_);
    // -displayfd 1: the server picks a free display and prints its number.
    // -noreset: else the server resets when the readiness check below leaves,
    // and a program started at that moment cannot connect.
    server_->start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-noreset"),
                    QStringLiteral("-screen"), QStringLiteral("0"),
                    QStringLiteral("%1x%2x24").arg(width).arg(height), QStringLiteral("-nolisten"),
                    QStringLiteral("tcp")});
    if (!server_->waitForStarted(10000)) throw std::runtime_error("Xvfb did not start");
    QByteArray number;
    QElapsedTimer timer;
    timer.start();
    while (!number.contains('\n') && timer.elapsed() < 15000) {
        server_->waitForReadyRead(500);
        number += server_->readAllStandardOutput();
    }
    if (!number.contains('\n')) throw std::runtime_error("Xvfb gave no display number");
    display_ = QStringLiteral(":") + QString::fromLatin1(number.trimmed());
    // Clients may still be refused for a moment on a busy machine.
    QProcessEnvironment env = environment();
    if (!QTest::qWaitFor(
            [&] { return runCommand(QStringLiteral("xdpyinfo"), {}, env, nullptr, 5000) == 0; },
            15000))
        throw std::runtime_error("Xvfb does not accept clients");
}

Xvfb::~Xvfb() {
    server_->terminate();
    if (!server_->waitForFinished(5000)) server_->kill();
    server_->waitForFinished(2000);
}

QProcessEnvironment Xvfb::environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display_);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    // No session bus unless the test brings its own: without an address the
    // toolkit would launch a bus daemon that outlives the program, and with
    // the desktop's the program would join the user's sound menu.
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
               QStringLiteral("unix:path=/dev/null/no-bus"));
    return env;
}

bool Xvfb::screenshot(const QString& pngPath) const {
    return runCommand(QStringLiteral("import"),
                      {QStringLiteral("-window"), QStringLiteral("root"), pngPath},
                      environment()) == 0;
}

void endWithParent(QProcess& process) {
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

int runCommand(const QString& program, const QStringList& arguments,
               const QProcessEnvironment& environment, QString* output, int timeoutMs) {
    QProcess process;
    endWithParent(process);
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted(10000)) return -1;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(2000);
        return -1;
    }
    if (output) *output = QString::fromLocal8Bit(process.readAll());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

bool haveProgram(const QString& name) {
    return !QStandardPaths::findExecutable(name).isEmpty();
}

int freePort() {
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0)) return 0;
    return server.serverPort();
}

}  // namespace testsupport
