#pragma once

#include <QWidget>

#include "ui/control_table.h"
#include "ui/drag.h"
#include "ui/twips_position.h"
#include "ui/window_placement.h"

namespace ondrix {

// What every window of the suite is: built to its table's size, colours and
// icons, placed in twips, dragged by its surface from the drag anchor,
// shown every key press first (key preview), and painting its table's lines.
class SuiteWindow : public QWidget, public virtual WindowPlacement {
    Q_OBJECT
  public:
    SuiteWindow(const WindowLayout& layout, Qt::WindowFlags flags, QWidget* parent);

    virtual void Form_KeyDown(int keyCode, int shift) = 0;
    // A pointer move over the surface, in twips: sets the anchor or drags.
    virtual void Form_MouseMove(int button, int shift, float x, float y);
    const DragAnchor& dragAnchor() const { return dragAnchor_; }

    double windowLeft() const override;
    double windowTop() const override;
    void setWindowLeft(double twips) override;
    void setWindowTop(double twips) override;

  protected:
    const WindowLayout& layout() const { return layout_; }
    // Whether a move that reached the window is one over its surface; every
    // one is, unless the window says otherwise.
    virtual bool movesOverSurface(const QMouseEvent& event) const;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    const WindowLayout& layout_;
    DragAnchor dragAnchor_;
    TwipsPosition position_;
};

}  // namespace ondrix
