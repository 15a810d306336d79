#pragma once

#include <QColor>
#include <QPoint>
#include <vector>

#include "ui/control_table.h"

class QPainter;

namespace ondrix {

// Draws a window's lines as they fall on a widget whose corner lies at origin
// (in pixels of the window surface); lines take no pointer input.
void paintLines(QPainter& painter, const std::vector<LineLayout>& lines, const QColor& colour,
                QPoint origin = QPoint(0, 0));

}  // namespace ondrix
