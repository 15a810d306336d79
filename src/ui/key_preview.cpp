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

KeyPreview::~KeyPreview() { qApp->removeEventFilter(this); }

bool KeyPreview::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !window_) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != window_) return false;
    // An ignored key travels up to the parents and passes this filter again;
    // only its first receiver counts: the focused control when the window
    // has one, else whatever received the key before its parents did.
    QWidget* focus = QApplication::focusWidget();
    if (focus && focus->window() == window_) {
        if (widget != focus) return false;
    } else {
        const bool propagated = event == lastEvent_ && lastReceiver_ && lastReceiver_ != widget &&
                                widget->isAncestorOf(lastReceiver_);
        lastEvent_ = event;
        lastReceiver_ = widget;
        if (propagated) return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    handler_(virtualKeyCode(key->key()), modifierMask(key->modifiers()));
    return false;
}

}  // namespace ondrix
