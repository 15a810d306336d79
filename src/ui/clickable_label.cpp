#include "ui/clickable_label.h"

#include <QMouseEvent>

namespace ondrix {

ClickableLabel::ClickableLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    // A label is a control of its own: pointer moves over it are not moves
    // over the window surface, so they must not reach the window's drag.
    setMouseTracking(true);
}

void ClickableLabel::mouseMoveEvent(QMouseEvent* event) { event->accept(); }

void ClickableLabel::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
    const bool wasPressed = pressed_;
    pressed_ = false;
    event->accept();
    if (wasPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

}  // namespace ondrix
