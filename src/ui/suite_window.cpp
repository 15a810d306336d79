#include "ui/suite_window.h"

#include <QApplication>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>

#include "ui/accessible_controls.h"
#include "ui/control_builder.h"
#include "ui/frame_lines.h"
#include "ui/key_command.h"
#include "ui/key_preview.h"
#include "ui/twips.h"

namespace ondrix {

SuiteWindow::SuiteWindow(const WindowLayout& layout, Qt::WindowFlags flags, QWidget* parent)
    : QWidget(parent, flags), layout_(layout) {
    installAccessibleControls();
    setFixedSize(twipsToPixels(layout.clientWidth), twipsToPixels(layout.clientHeight));
    const std::optional<QColor> text =
        layout.systemText ? std::optional<QColor>(QApplication::palette().color(*layout.systemText))
                          : std::nullopt;
    setControlColours(this, layout.background, text, false);
    QIcon icon;
    for (const QString& resource : layout.iconResources) icon.addFile(resource);
    setWindowIcon(icon);
    setMouseTracking(true);
    new KeyPreview(this, [this](int keyCode, int shift) { Form_KeyDown(keyCode, shift); });
}

void SuiteWindow::Form_MouseMove(int button, int /*shift*/, float x, float y) {
    dragMove(dragAnchor_, button, x, y, *this);
}

double SuiteWindow::windowLeft() const {
    return position_.left(*this);
}
double SuiteWindow::windowTop() const {
    return position_.top(*this);
}
void SuiteWindow::setWindowLeft(double twips) {
    position_.setLeft(*this, twips);
}
void SuiteWindow::setWindowTop(double twips) {
    position_.setTop(*this, twips);
}

bool SuiteWindow::movesOverSurface(const QMouseEvent&) const {
    return true;
}

void SuiteWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintLines(painter, layout_.lines, palette().color(QPalette::WindowText));
}

void SuiteWindow::mouseMoveEvent(QMouseEvent* event) {
    if (movesOverSurface(*event)) {
        const QPointF at = pixelsToTwips(event->position());
        Form_MouseMove(buttonMask(event->buttons()), modifierMask(event->modifiers()),
                       static_cast<float>(at.x()), static_cast<float>(at.y()));
    }
    event->accept();
}

}  // namespace ondrix
