#include "ui/suite_window.h"

#include <QApplication>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>

#include "platform/program_folder.h"
#include "platform/runtime_error.h"
#include "platform/shell.h"
#include "ui/accessible_controls.h"
#include "ui/control_builder.h"
#include "ui/frame_lines.h"
#include "ui/guarded_application.h"
#include "ui/help_box.h"
#include "ui/key_command.h"
#include "ui/key_preview.h"
#include "ui/twips.h"
#include "ui/vendor.h"

namespace ondrix {

SharedKey sharedKeyOf(int keyCode) {
    static constexpr std::pair<int, SharedKey> keys[] = {
        {kKeyF1, SharedKey::Help},
        {kKeyF6, SharedKey::VendorSite},
        {kKeyF12, SharedKey::Exit},
    };
    for (const auto& [code, key] : keys)
        if (code == keyCode) return key;
    return SharedKey::None;
}

SuiteWindow::SuiteWindow(const WindowLayout& layout, SharedKeys keys, Qt::WindowFlags flags,
                         QWidget* parent)
    : QWidget(parent, flags), layout_(layout), keys_(std::move(keys)) {
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

void SuiteWindow::Form_KeyDown(int keyCode, int shift) {
    if (!keyCommandAllowed(shift)) return;
    switch (sharedKeyOf(keyCode)) {
        case SharedKey::Help:
            showHelpBox(keys_.dialogs, this, keys_.helpLines);
            helpShown();
            return;
        case SharedKey::VendorSite:
            if (!keys_.vendorSite) break;
            keys_.vendorSite->open(static_cast<WindowHandle>(winId()), vendorSiteAddress(),
                                   programFolder());
            return;
        case SharedKey::Exit:
            exitProgram();
            return;
        case SharedKey::None:
            break;
    }
    windowKeyDown(keyCode);
}

void SuiteWindow::exitProgram() {
    // A window that must finish something first (a recording) ends the
    // program itself once it closes. quit, unlike exit, leaves a later
    // event loop alone where none runs now.
    if (close()) QCoreApplication::quit();
}

void SuiteWindow::bringToFront() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void startWindow(SuiteWindow& window) {
    try {
        window.Form_Load();
    } catch (const RuntimeError& error) {
        failAndExit(error.message());
    }
    window.show();
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
