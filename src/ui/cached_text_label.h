#pragma once

#include <QPixmap>

#include "ui/clickable_label.h"

namespace ondrix {

// A label that draws its caption from an image made once per caption, size,
// font and palette. The scrolling texts move 50 times a second; laying their
// text out anew each time would cost more than everything else the idle
// window does.
class CachedTextLabel : public ClickableLabel {
    Q_OBJECT
  public:
    explicit CachedTextLabel(const QString& text, QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    QPixmap cache_;
    QString cachedText_;
};

}  // namespace ondrix
