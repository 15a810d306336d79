#include "ui/frame_lines.h"

#include <QPainter>
#include <QPolygonF>

#include "ui/twips.h"

namespace ondrix {

void paintLines(QPainter& painter, const std::vector<LineLayout>& lines, const QColor& colour,
                QPoint origin) {
    const auto at = [origin](int x, int y) {
        return QPointF(x / double(kTwipsPerPixel) - origin.x(),
                       y / double(kTwipsPerPixel) - origin.y());
    };
    // Lines of one width that go on from each other's end are one stroke,
    // joined at their corners; one that comes back to its start is a frame.
    for (size_t first = 0; first < lines.size();) {
        const LineLayout& start = lines[first];
        QPolygonF stroke{at(start.x1, start.y1), at(start.x2, start.y2)};
        size_t next = first + 1;
        while (next < lines.size() && lines[next].widthPixels == start.widthPixels &&
               lines[next].x1 == lines[next - 1].x2 && lines[next].y1 == lines[next - 1].y2) {
            stroke << at(lines[next].x2, lines[next].y2);
            ++next;
        }
        painter.setPen(QPen(colour, start.widthPixels, Qt::SolidLine, Qt::SquareCap));
        if (stroke.size() == 2) {
            painter.drawLine(stroke[0], stroke[1]);
        } else if (stroke.isClosed()) {
            stroke.removeLast();
            painter.drawPolygon(stroke);
        } else {
            painter.drawPolyline(stroke);
        }
        first = next;
    }
}

}  // namespace ondrix
