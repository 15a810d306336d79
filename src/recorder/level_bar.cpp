#include "recorder/level_bar.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace ondrix {

LevelBar::LevelBar(QWidget* parent) : QWidget(parent) {}

void LevelBar::setLevel(double level) {
    level = std::clamp(level, 0.0, 1.0);
    if (level == level_) return;
    level_ = level;
    update();
}

void LevelBar::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(64, 64, 64));
    // Green while there is headroom, yellow when loud, red at clipping.
    const QColor colour = level_ >= 0.99  ? QColor(230, 40, 40)
                          : level_ >= 0.7 ? QColor(255, 255, 0)
                                          : QColor(0, 200, 0);
    const int filled = static_cast<int>(std::lround(level_ * width()));
    painter.fillRect(QRect(0, 0, filled, height()), colour);
}

}  // namespace ondrix
