#include "ui/fonts.h"

#include <QStringList>
#include <cmath>

namespace ondrix {

void installFontSubstitutes() {
    // Liberation Sans keeps Arial's metrics, close to both Windows faces, so
    // captions fit the controls they were sized for.
    QFont::insertSubstitutions(
        QStringLiteral("Tahoma"),
        QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(
        QStringLiteral("MS Sans Serif"),
        QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
}

QFont fontAt96Dpi(const QString& family, double points, bool bold) {
    QFont font(family);
    font.setPixelSize(static_cast<int>(std::lround(points * 96.0 / 72.0)));
    font.setBold(bold);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

}  // namespace ondrix
