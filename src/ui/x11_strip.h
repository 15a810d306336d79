#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QWidget;

namespace ondrix {

// Images the X server moves by itself: a window of the X server over a part
// of a top-level window, whose background is a fixed image, and over it one
// window per image. Moving an image is one request; the server keeps each
// window's pixels, fills what a move uncovers from the background, and sends
// nothing back, so a step costs the program no painting and no event. The
// windows take no input: pointer events pass to the top-level window below.
class X11Strip {
  public:
    // Covers `area` (device pixels of the top-level window `top`); none when
    // the application does not run on X11 or the window's pixels are not
    // 32-bit true colour.
    static std::unique_ptr<X11Strip> over(QWidget* top, const QRect& area);
    virtual ~X11Strip() = default;

    // The background, the size of the area.
    virtual void setSurface(const QImage& surface) = 0;
    // A new image, over those made before; its index.
    virtual int addImage(const QImage& image, QPoint at) = 0;
    virtual void setImage(int index, const QImage& image) = 0;
    // Held until send(), so that the moves of one step leave in one write.
    virtual void moveImage(int index, QPoint at) = 0;
    virtual void send() = 0;
    virtual void setArea(const QRect& area) = 0;

    // Moves the images on a thread of its own, one step every intervalMs
    // from now on: `step` sets each image's next place, in the order made,
    // in a list the thread keeps from step to step.
    // It runs on that thread, so it must hold copies and touch no widget.
    // While the images move so, nothing else may move them, add or replace
    // them. A motion running is ended first.
    using Step = std::function<void(std::vector<QPoint>& places)>;
    virtual void startMotion(int intervalMs, Step step) = 0;
    // Ends the motion once its current step is sent; the steps it made (none
    // when no motion ran).
    virtual std::int64_t stopMotion() = 0;
};

}  // namespace ondrix
