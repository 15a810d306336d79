#include "recorder/level_bar.h"

#include <QPainter>
#include <cmath>

namespace ondrix {

QString levelAccessibleName(double levelDb) {
    if (levelDb < kLevelFloorDb)
        return QStringLiteral("Level below %1 dBFS").arg(static_cast<int>(kLevelFloorDb));
    return QStringLiteral("Level %1 dBFS").arg(std::lround(levelDb));
}

LevelBar::LevelBar(QWidget* parent) : QWidget(parent) {
    setAccessibleName(levelAccessibleName(levelDb_));
}

void LevelBar::setLevels(double levelDb, double markDb) {
    if (levelDb == levelDb_ && markDb == markDb_) return;
    levelDb_ = levelDb;
    markDb_ = markDb;
    // Told only when the whole decibels change: each change is an event
    // to every listening tool.
    if (const QString name = levelAccessibleName(levelDb); name != accessibleName())
        setAccessibleName(name);
    update();
}

void LevelBar::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(64, 64, 64));
    const auto at = [this](double db) {
        return static_cast<int>(std::lround(levelFraction(db) * width()));
    };
    // Green while there is headroom, yellow when loud, red near clipping.
    const auto colour = [](double db) {
        return db >= -1 ? QColor(230, 40, 40) : db >= -12 ? QColor(255, 255, 0) : QColor(0, 200, 0);
    };
    painter.fillRect(QRect(0, 0, at(levelDb_), height()), colour(levelDb_));
    for (int db = static_cast<int>(kLevelFloorDb) + 10; db < 0; db += 10)
        painter.fillRect(QRect(at(db), height() - 3, 1, 3), QColor(20, 20, 20));
    if (markDb_ > kLevelFloorDb)
        painter.fillRect(QRect(std::min(at(markDb_), width() - 2), 0, 2, height()),
                         QColor(255, 255, 192));
}

}  // namespace ondrix
