#include "ui/suite_look.h"

#include <QWidget>

namespace ondrix {

void setColour(QWidget* widget, QPalette::ColorRole role, const std::optional<QColor>& colour) {
    if (!colour) return;
    QPalette palette = widget->palette();
    palette.setColor(role, *colour);
    widget->setPalette(palette);
}

}  // namespace ondrix
