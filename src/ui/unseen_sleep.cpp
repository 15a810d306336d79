#include "ui/unseen_sleep.h"

#include <QEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace ondrix {

UnseenSleep::UnseenSleep(QWidget* window, SteadyMs steadyMs)
    : QObject(window), window_(window), steadyMs_(std::move(steadyMs)) {
    window_->installEventFilter(this);
    seen_ = window_->isVisible() && !window_->isMinimized();
}

UnseenSleep::~UnseenSleep() {
    // The work done elsewhere ends before what it drives goes.
    for (Sleeper& sleeper : sleepers_)
        if (sleeper.handedOver) sleeper.takeBack();
}

void UnseenSleep::add(QTimer* timer, CatchUp catchUp, HandOver handOver, TakeBack takeBack) {
    sleepers_.push_back({timer, std::move(catchUp), std::move(handOver), std::move(takeBack)});
    handOverSoon();
}

void UnseenSleep::interrupt() {
    takeBack();
    handOverSoon();
}

void UnseenSleep::takeBack() {
    for (Sleeper& sleeper : sleepers_) {
        if (!sleeper.handedOver) continue;
        sleeper.handedOver = false;
        sleeper.catchUp(sleeper.takeBack());
        sleeper.timer->start();
    }
}

void UnseenSleep::handOverSoon() {
    if (handOverQueued_) return;
    handOverQueued_ = true;
    QMetaObject::invokeMethod(this, &UnseenSleep::handOver, Qt::QueuedConnection);
}

void UnseenSleep::handOver() {
    handOverQueued_ = false;
    if (!seen_) return;
    for (Sleeper& sleeper : sleepers_) {
        if (sleeper.handedOver || !sleeper.handOver || !sleeper.timer->isActive()) continue;
        if (!sleeper.handOver()) continue;
        sleeper.timer->stop();
        sleeper.handedOver = true;
    }
}

bool UnseenSleep::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::Show:
            if (watched != window_) break;
            // The platform window exists once the window is shown; a shown
            // window is taken as exposed until the platform says otherwise.
            if (QWindow* handle = window_->windowHandle()) handle->installEventFilter(this);
            exposed_ = true;
            setSeen(!window_->isMinimized());
            break;
        case QEvent::Hide:
            if (watched == window_) setSeen(false);
            break;
        case QEvent::MouseButtonPress:
            // What the pointer is over depends on where the work stands.
            if (watched == window_) interrupt();
            break;
        case QEvent::MouseMove:
            if (watched == window_ && static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton)
                interrupt();
            break;
        case QEvent::WindowStateChange:
            if (watched == window_)
                setSeen(window_->isVisible() && !window_->isMinimized() && exposed_);
            break;
        case QEvent::Expose:
            if (watched == window_->windowHandle()) {
                exposed_ = window_->windowHandle()->isExposed();
                setSeen(window_->isVisible() && !window_->isMinimized() && exposed_);
            }
            break;
        default:
            break;
    }
    return false;
}

void UnseenSleep::setSeen(bool seen) {
    if (seen == seen_) return;
    seen_ = seen;
    if (!seen) {
        takeBack();
        unseenSinceMs_ = steadyMs_();
        for (Sleeper& sleeper : sleepers_) {
            sleeper.asleep = sleeper.timer->isActive();
            sleeper.timer->stop();
        }
        return;
    }
    const std::int64_t awayMs = steadyMs_() - unseenSinceMs_;
    for (Sleeper& sleeper : sleepers_) {
        if (!sleeper.asleep) continue;
        sleeper.asleep = false;
        const std::int64_t interval = std::max(1, sleeper.timer->interval());
        const std::int64_t missedMs = std::max<std::int64_t>(0, awayMs) + sleeper.restMs;
        sleeper.restMs = missedMs % interval;
        sleeper.catchUp(missedMs / interval);
        sleeper.timer->start();
    }
    handOverSoon();
}

}  // namespace ondrix
