#pragma once

#include <QtCore/qnamespace.h>

#include <cstdint>

#include "ui/window_placement.h"

namespace ondrix {

// Mouse button bits of a move event.
constexpr int kLeftButton = 1;
constexpr int kRightButton = 2;
constexpr int kMiddleButton = 4;

// The button bits of the buttons held.
int buttonMask(Qt::MouseButtons buttons);

// The pointer position last seen over the surface with no button held.
struct DragAnchor {
    std::int16_t x = 0;
    std::int16_t y = 0;
};

// Nearest whole number, a half going to the even neighbour, narrowed to
// 16 bits (saturating; a surface is far smaller than that).
std::int16_t roundToInt16HalfEven(double value);

// One pointer move over the window surface (x, y in twips from the window's
// corner): with no button it sets the anchor; with the left button alone it
// moves the window by the pointer's distance from the anchor.
void dragMove(DragAnchor& anchor, int buttons, float x, float y, WindowPlacement& window);

}  // namespace ondrix
