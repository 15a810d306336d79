#include "ui/surface_widget.h"

#include <QMouseEvent>

namespace ondrix {

SurfaceWidget::SurfaceWidget(QWidget* parent) : QWidget(parent) {
    // Without tracking Qt drops moves with no button held right here,
    // before they could reach the window.
    setMouseTracking(true);
}

void SurfaceWidget::mouseMoveEvent(QMouseEvent* event) {
    event->ignore();
}

}  // namespace ondrix
