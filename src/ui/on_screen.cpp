#include "ui/on_screen.h"

namespace ondrix {

bool topStripOnScreen(const QRect& window, const QList<QRect>& screens) {
    const QRect strip(window.topLeft(), QSize(window.width(), kVisibleStripHeight));
    for (const QRect& screen : screens) {
        const QRect shown = strip.intersected(screen);
        if (shown.width() >= kVisibleStripWidth && shown.height() >= kVisibleStripHeight)
            return true;
    }
    return false;
}

QPoint placeOnScreen(const QRect& window, const QList<QRect>& screens, QPoint fallback) {
    return topStripOnScreen(window, screens) ? window.topLeft() : fallback;
}

}  // namespace ondrix
