#pragma once

#include <QPointF>
#include <QRect>
#include <cmath>

namespace ondrix {

// Places and sizes are kept in twips: 1440 to the inch, 15 to a pixel at 96 dpi.
constexpr int kTwipsPerPixel = 15;

constexpr int pixelsToTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}

// A pointer position in twips; fractions of a pixel are kept.
inline QPointF pixelsToTwips(QPointF pixels) {
    return pixels * kTwipsPerPixel;
}

inline int twipsToPixels(double twips) {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

inline QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}

}  // namespace ondrix
