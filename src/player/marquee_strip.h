#pragma once

#include <QLabel>
#include <QPixmap>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "ui/control_table.h"
#include "ui/surface_widget.h"
#include "ui/x11_strip.h"

namespace ondrix {

// The strip along the player's bottom edge in which the two texts scroll.
// It draws the window's surface and lines there and both texts itself. On
// X11 it hands the surface and each text, drawn once, to the X server, which
// moves a text's window by itself at each step and fills what it uncovers:
// a step costs one small request and no painting. Elsewhere a text moves by
// scrolling its pixels, and a step of both costs one small repaint of the
// columns it uncovers. The texts' labels stay what the handlers read and set
// (caption, font, colours, width, left), hidden: the strip draws what they
// hold.
class MarqueeStrip : public SurfaceWidget {
    Q_OBJECT
  public:
    MarqueeStrip(QWidget* window, const std::vector<LineLayout>& lines);

    // A scrolling text's label, made hidden on the strip; drawn in the order
    // made, the later over the earlier.
    QLabel* addText(const QString& caption);
    // Moves a text's label to x (pixels of the strip) and its pixels with it;
    // on X11 the server moves them at sendMoves().
    void moveText(QLabel* label, int x);
    void sendMoves();
    // A text's caption or size changed; the strip's name to assistive tools
    // follows its texts' captions.
    void textChanged(QLabel* label);
    // Whether the X server holds the texts, so that they can move on their own.
    bool movesOnItsOwn() const { return x11_ != nullptr; }
    // Moves texts on a thread of the strip's own every intervalMs: `lefts`
    // sets the next left edges (pixels of the strip) of `labels`, in their
    // order, on that thread, in a list kept from step to step. The labels stay where they are, and
    // nothing else may move the texts or change them, until stopMotion(), which returns the steps
    // made.
    using Lefts = std::function<void(std::vector<int>& lefts)>;
    void startMotion(int intervalMs, const std::vector<QLabel*>& labels, Lefts lefts);
    std::int64_t stopMotion();
    // Whether a point of the strip shows a text rather than the surface.
    bool showsText(QPoint point) const;

  protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

  private:
    struct Text {
        QLabel* label = nullptr;
        QPixmap image;         // the caption as the label would draw it
        int serverImage = -1;  // its index in x11_
    };
    const QPixmap& imageOf(Text& text);
    const QPixmap& surface();
    QRect placeOf(const Text& text) const { return text.label->geometry(); }
    // Device pixels: of the top-level window for the strip, of the strip for
    // a text.
    QRect deviceArea() const;
    QPoint devicePlace(const Text& text) const;
    void sendSurface();
    void nameAfterTexts();

    const std::vector<LineLayout>& lines_;
    QPixmap surface_;
    std::vector<Text> texts_;
    std::unique_ptr<X11Strip> x11_;
};

}  // namespace ondrix
