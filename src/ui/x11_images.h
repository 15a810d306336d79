#pragma once

#include <QtGlobal>

namespace ondrix {

// The player repaints a small strip 50 times a second. On X11, shared-memory
// images make every repaint wait for a round trip to the X server first;
// sending those few pixels over the connection costs less. Call before the
// application object is made; a choice already made in the environment stays.
inline void preferSocketImagesOnX11() {
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", "1");
}

}  // namespace ondrix
