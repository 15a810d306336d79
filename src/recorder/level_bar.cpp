#include "recorder/level_bar.h"

#include <QPainter>
#include <cmath>

namespace ondrix {

namespace {

QString levelAccessibleName(const QString& shownNumber) {
    const QString level = QStringLiteral("Level");
    return shownNumber.isEmpty() ? level : level + QLatin1Char(' ') + shownNumber;
}

}  // namespace

LevelBar::LevelBar(QWidget* parent) : QWidget(parent) {
    setAccessibleName(levelAccessibleName(QString()));
}

void LevelBar::setLevels(double levelDb, double markDb, const QString& shownNumber) {
    // Told only when the number changes, a few times a second: each change
    // is an event to every listening tool.
    if (const QString name = levelAccessibleName(shownNumber); name != accessibleName())
        setAccessibleName(name);
    if (levelDb == levelDb_ && markDb == markDb_) return;
    levelDb_ = levelDb;
    markDb_ = markDb;
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
