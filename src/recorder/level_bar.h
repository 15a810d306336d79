#pragma once

#include <QWidget>

namespace ondrix {

// The peak level of the last stretch of sound as a bar, 0 empty to 1 full.
class LevelBar : public QWidget {
    Q_OBJECT
  public:
    explicit LevelBar(QWidget* parent = nullptr);
    void setLevel(double level);
    double level() const { return level_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    double level_ = 0;
};

}  // namespace ondrix
