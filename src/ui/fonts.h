#pragma once

#include <QFont>
#include <QString>

namespace ondrix {

// Installs substitutes for the design's Windows font families.
void installFontSubstitutes();

// A font of the design: family, size in points at 96 dpi (12 pt = 16 px,
// whatever the X server reports), bold or regular.
QFont designFont(const QString& family, double points, bool bold);

}  // namespace ondrix
