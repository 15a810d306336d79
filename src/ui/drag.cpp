#include "ui/drag.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ondrix {

std::int16_t roundToInt16HalfEven(double value) {
    const double rounded = std::nearbyint(value);  // default mode: half to even
    const double low = std::numeric_limits<std::int16_t>::min();
    const double high = std::numeric_limits<std::int16_t>::max();
    return static_cast<std::int16_t>(std::clamp(rounded, low, high));
}

int buttonMask(Qt::MouseButtons buttons) {
    int mask = 0;
    if (buttons & Qt::LeftButton) mask |= kLeftButton;
    if (buttons & Qt::RightButton) mask |= kRightButton;
    if (buttons & Qt::MiddleButton) mask |= kMiddleButton;
    return mask;
}

void dragMove(DragAnchor& anchor, int buttons, float x, float y, WindowPlacement& window) {
    if (buttons == 0) {
        anchor.x = roundToInt16HalfEven(x);
        anchor.y = roundToInt16HalfEven(y);
        return;
    }
    if (buttons != kLeftButton) return;
    const float left = static_cast<float>(x - static_cast<float>(anchor.x) + window.windowLeft());
    window.setWindowLeft(left);
    // The top is read after the left was set, as the window reports it then.
    const float top = static_cast<float>(y - static_cast<float>(anchor.y) + window.windowTop());
    window.setWindowTop(top);
}

}  // namespace ondrix
