#pragma once

namespace ondrix {

// Whether the desktop announced a session bus. Without one libdbus would
// launch a bus of its own (dbus-launch), which would outlive the program.
bool sessionBusAdvertised();

}  // namespace ondrix
