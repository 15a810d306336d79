#include "ui/frame_lines.h"

#include <QPainter>

#include "ui/twips.h"

namespace ondrix {

void paintLines(QPainter& painter, const std::vector<LineLayout>& lines, const QColor& colour,
                QPoint origin) {
    for (const LineLayout& line : lines) {
        painter.setPen(QPen(colour, line.widthPixels, Qt::SolidLine, Qt::SquareCap));
        painter.drawLine(QPointF(line.x1 / double(kTwipsPerPixel) - origin.x(),
                                 line.y1 / double(kTwipsPerPixel) - origin.y()),
                         QPointF(line.x2 / double(kTwipsPerPixel) - origin.x(),
                                 line.y2 / double(kTwipsPerPixel) - origin.y()));
    }
}

}  // namespace ondrix
