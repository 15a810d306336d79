#include "ui/twips_position.h"

#include <QWidget>

#include "ui/twips.h"

namespace ondrix {

double TwipsPosition::left(const QWidget& window) const {
    const int x = window.pos().x();
    return x == twipsToPixels(leftTwips_) ? leftTwips_ : pixelsToTwips(x);
}

double TwipsPosition::top(const QWidget& window) const {
    const int y = window.pos().y();
    return y == twipsToPixels(topTwips_) ? topTwips_ : pixelsToTwips(y);
}

void TwipsPosition::setLeft(QWidget& window, double twips) {
    leftTwips_ = twips;
    window.move(twipsToPixels(twips), window.pos().y());
}

void TwipsPosition::setTop(QWidget& window, double twips) {
    topTwips_ = twips;
    window.move(window.pos().x(), twipsToPixels(twips));
}

}  // namespace ondrix
