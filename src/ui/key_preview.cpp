#include "ui/key_preview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include "ui/key_command.h"

namespace ondrix {

KeyPreview::KeyPreview(QWidget* window, Handler handler)
    : QObject(window), window_(window), handler_(std::move(handler)) {
    qApp->installEventFilter(this);
}

KeyPreview::~KeyPreview() {
    qApp->removeEventFilter(this);
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || resending_ || !window_) return false;
    QPointer<QWidget> widget = qobject_cast<QWidget*>(watched);
    if (!widget) return false;
    // A drop-down, menu or other popup of the window is a window of its own
    // that has the keyboard while it is open; its keys are the window's too.
    bool inPopup = false;
    QWidget* owner = widget->window();
    while (owner != window_ && owner->windowType() == Qt::Popup && owner->parentWidget()) {
        inPopup = true;
        owner = owner->parentWidget()->window();
    }
    if (owner != window_) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const int code = virtualKeyCode(key->key());
    if (inPopup && code >= kKeyF1 && code <= kKeyF12) {
        // A command may open a modal box or close the window: the popup
        // goes first, and with it the key's target.
        while (QWidget* popup = QApplication::activePopupWidget())
            if (!popup->close()) break;
        handler_(code, modifierMask(key->modifiers()));
        key->setAccepted(true);
        return true;
    }
    handler_(code, modifierMask(key->modifiers()));
    // The control still receives the key. It is delivered here, past this
    // filter, so that its travel up to the parents (when the control ignores
    // it) is not taken for new key presses, also when the handler ran a
    // modal box that moved the focus meanwhile.
    if (widget) {
        resending_ = true;
        key->setAccepted(true);
        QCoreApplication::sendEvent(widget, key);
        resending_ = false;
    }
    // Delivered in full: nothing may hand the same press to the window again.
    key->setAccepted(true);
    return true;
}

}  // namespace ondrix
