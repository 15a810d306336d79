#pragma once

class QWidget;

namespace ondrix {

// A window's left and top in twips. The twips last set are read back as long
// as the window still stands on the pixel they gave, so that reading gives
// what was set; once the window has moved elsewhere its pixel counts.
class TwipsPosition {
  public:
    double left(const QWidget& window) const;
    double top(const QWidget& window) const;
    void setLeft(QWidget& window, double twips);
    void setTop(QWidget& window, double twips);

  private:
    double leftTwips_ = 0;
    double topTwips_ = 0;
};

}  // namespace ondrix
