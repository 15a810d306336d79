#pragma once

namespace ondrix {

// Whether the desktop announced a session bus: DBUS_SESSION_BUS_ADDRESS, or
// the bus socket in XDG_RUNTIME_DIR.
bool sessionBusAdvertised();

// With no session bus announced, points libdbus at none: without this it
// would launch a bus of its own (dbus-launch) for the first connection, of
// the program's MPRIS service, of Qt's accessibility bridge or of a program
// started from here, and that bus would outlive them all.
void keepFromLaunchingASessionBus();

}  // namespace ondrix
