#include "platform/session_bus.h"

#include <QByteArray>
#include <QFileInfo>
#include <QString>

namespace ondrix {

namespace {

// An address of no transport libdbus knows: connecting fails at once, and
// nothing is launched.
constexpr const char* kNoBus = "disabled:";

}  // namespace

bool sessionBusAdvertised() {
    const QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    if (!address.isEmpty()) return address != kNoBus;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

void keepFromLaunchingASessionBus() {
    if (!sessionBusAdvertised()) qputenv("DBUS_SESSION_BUS_ADDRESS", kNoBus);
}

}  // namespace ondrix
