#include "ui/clickable_label.h"

#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>

#include "ui/accessible_controls.h"

namespace ondrix {

ClickableLabel::ClickableLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    // Captions come from settings files a user edits: "<b>x</b>" is a name.
    setTextFormat(Qt::PlainText);
    // A label is a control of its own: pointer moves over it are not moves
    // over the window surface, so they must not reach the window's drag.
    setMouseTracking(true);
    installAccessibleControls();
}

void ClickableLabel::setElideWhenWide(bool on) {
    elide_ = on;
    update();
}

bool ClickableLabel::captionCut() const {
    return elide_ && fontMetrics().horizontalAdvance(text()) > contentsRect().width();
}

bool ClickableLabel::isButton() const {
    return isSignalConnected(QMetaMethod::fromSignal(&ClickableLabel::clicked));
}

void ClickableLabel::click() {
    emit clicked();
}

void ClickableLabel::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}

void ClickableLabel::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void ClickableLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    // Qt hands the second press of a double-click here; its release must not
    // click again (a double-click on REC would start two recorders).
    pressed_ = false;
    event->accept();
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
    const bool wasPressed = pressed_;
    pressed_ = false;
    event->accept();
    if (wasPressed && event->button() == Qt::LeftButton &&
        rect().contains(event->position().toPoint()))
        click();
}

void ClickableLabel::paintEvent(QPaintEvent* event) {
    if (!captionCut()) {
        QLabel::paintEvent(event);
        return;
    }
    const QRect area = contentsRect();
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(area, static_cast<int>(alignment()),
                     fontMetrics().elidedText(text(), Qt::ElideRight, area.width()));
}

}  // namespace ondrix
