#pragma once

#include <QWidget>

namespace ondrix {

// A widget that a window draws as part of its own surface (a strip behind
// moving texts, say). The pointer over it is over the window: its moves,
// with or without a button held, and its presses go on to the window, so
// the drag anchor is always the last surface point.
class SurfaceWidget : public QWidget {
    Q_OBJECT
  public:
    explicit SurfaceWidget(QWidget* parent = nullptr);

  protected:
    void mouseMoveEvent(QMouseEvent* event) override;
};

}  // namespace ondrix
