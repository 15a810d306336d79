#pragma once

#include <QFont>
#include <QString>

namespace ondrix {

// Installs substitutes for the Windows font families the windows ask for.
void installFontSubstitutes();

// A font by family, size in points at 96 dpi (12 pt = 16 px,
// whatever the X server reports), bold or regular.
QFont fontAt96Dpi(const QString& family, double points, bool bold);

}  // namespace ondrix
