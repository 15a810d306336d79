#include "ui/guarded_application.h"

#include <QMessageBox>
#include <clocale>
#include <cstdlib>

#include "platform/runtime_error.h"
#include "platform/session_bus.h"

namespace ondrix {

NoSessionBusLaunched::NoSessionBusLaunched() {
    keepFromLaunchingASessionBus();
}

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // libmpv and the number parsing of the settings files need the C locale.
    std::setlocale(LC_NUMERIC, "C");
}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const RuntimeError& error) {
        failAndExit(error.message());
    } catch (const std::exception& error) {
        failAndExit(QString::fromLocal8Bit(error.what()));
    }
}

void failAndExit(const QString& message) {
    if (qEnvironmentVariableIsEmpty("ONDRIX_NO_ERROR_BOX")) {
        QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(), message,
                        QMessageBox::Ok);
        box.exec();
    }
    fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    std::exit(1);
}

}  // namespace ondrix
