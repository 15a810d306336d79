#pragma once

#include <QLabel>
#include <QPixmap>
#include <array>
#include <vector>

#include "ui/control_table.h"
#include "ui/surface_widget.h"

namespace ondrix {

// The strip along the player's bottom edge in which the two texts scroll.
// It draws the window's surface and lines there and both texts itself, and
// moves a text by scrolling its pixels, so that a step of both costs one
// small repaint of the columns it uncovers and nothing else. The texts'
// labels stay what the handlers read and set (caption, font, colours, width,
// left), hidden: the strip draws what they hold.
class MarqueeStrip : public SurfaceWidget {
    Q_OBJECT
  public:
    MarqueeStrip(QWidget* window, const std::vector<LineLayout>& lines);

    // A scrolling text's label, made hidden on the strip; drawn in the order
    // made, the later over the earlier.
    QLabel* addText(const QString& caption);
    // Moves a text's label to x (pixels of the strip) and its pixels with it.
    void moveText(QLabel* label, int x);
    // A text's caption or size changed.
    void textChanged(QLabel* label);
    // Whether a point of the strip shows a text rather than the surface.
    bool showsText(QPoint point) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

  private:
    struct Text {
        QLabel* label = nullptr;
        QPixmap image;  // the caption as the label would draw it
    };
    const QPixmap& imageOf(Text& text);
    QRect placeOf(const Text& text) const { return text.label->geometry(); }

    const std::vector<LineLayout>& lines_;
    QPixmap surface_;
    std::vector<Text> texts_;
};

}  // namespace ondrix
