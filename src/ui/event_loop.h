#pragma once

#include <QtGlobal>

namespace ondrix {

// Qt's own poll loop rather than GLib's: the player's scrolling texts wake it
// 50 times a second, and each wake-up through GLib's main loop costs about a
// sixth more. Nothing here needs GLib's loop (the file dialogs are Qt's own).
// Call before the application object is made; a choice already made in the
// environment stays.
inline void preferPlainEventLoop() {
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB")) qputenv("QT_NO_GLIB", "1");
}

}  // namespace ondrix
