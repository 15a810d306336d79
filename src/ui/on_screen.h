#pragma once

#include <QList>
#include <QPoint>
#include <QRect>

namespace ondrix {

// How much of a window's top strip must lie on one screen for the user to
// see it and drag it back, in pixels.
constexpr int kVisibleStripWidth = 40;
constexpr int kVisibleStripHeight = 20;

// Whether at least kVisibleStripWidth by kVisibleStripHeight pixels of the
// window's top strip lie on one of the screens.
bool topStripOnScreen(const QRect& window, const QList<QRect>& screens);

// Where a window asked for at `window` goes: there when its top strip shows
// on a screen, else at fallback.
QPoint placeOnScreen(const QRect& window, const QList<QRect>& screens, QPoint fallback);

}  // namespace ondrix
