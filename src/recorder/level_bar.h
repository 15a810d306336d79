#pragma once

#include <QWidget>

#include "recorder/level_meter.h"

namespace ondrix {

// The level of the last stretch of sound as a bar from -60 to 0 dBFS, with
// the peak mark as a line and a tick every 10 dB; to assistive tools, the
// number beside it as the screen shows it ("Level -23 dB", "Level quiet"),
// or "Level" while there is none.
class LevelBar : public QWidget {
    Q_OBJECT
  public:
    explicit LevelBar(QWidget* parent = nullptr);
    void setLevels(double levelDb, double markDb, const QString& shownNumber);
    double levelDb() const { return levelDb_; }
    double markDb() const { return markDb_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    double levelDb_ = kLevelFloorDb;
    double markDb_ = kLevelFloorDb;
};

}  // namespace ondrix
