#include "platform/outside_text.h"
#include "player/marquee_strip.h"
#include "player/window.h"
#include "ui/plain_text.h"
#include "ui/twips.h"

namespace ondrix {

float scrollLeftToRight(float left, float width, float step) {
    left = left + step;
    if (left > kScaleWidth) left = kScaleLeft - width;
    return left;
}

float scrollRightToLeft(float left, float width, float step) {
    left = left - step;
    if (static_cast<float>(width + left) < kScaleLeft) left = kScaleWidth;
    return left;
}

float scrollAfterTicks(const std::function<float(float)>& tick, float left, std::int64_t ticks) {
    // A text's walk comes round to the same left edge once it has wrapped, so
    // whole rounds are skipped when the walk finds its length (Brent's
    // search: a mark set at powers of two, met again after one round).
    float mark = left;
    std::int64_t power = 1;
    std::int64_t sinceMark = 0;
    bool roundSkipped = false;
    for (; ticks > 0; --ticks) {
        left = tick(left);
        if (roundSkipped) continue;
        ++sinceMark;
        if (left == mark) {
            ticks = (ticks - 1) % sinceMark + 1;
            roundSkipped = true;
        } else if (sinceMark == power) {
            mark = left;
            power *= 2;
            sinceMark = 0;
        }
    }
    return left;
}

void Wavelark::Timer2_Timer() {
    const float step = marqueeStep_;
    setScrollLefts(scrollLeftToRight(scrollL2RLeft_, labelWidthTwips(lblScrollL2R), step),
                   scrollRightToLeft(scrollR2LLeft_, labelWidthTwips(lblScrollR2L), step));
}

void Wavelark::catchUpScrolling(std::int64_t ticks) {
    const float step = marqueeStep_;
    const float widthL2R = labelWidthTwips(lblScrollL2R);
    const float widthR2L = labelWidthTwips(lblScrollR2L);
    setScrollLefts(
        scrollAfterTicks([&](float left) { return scrollLeftToRight(left, widthL2R, step); },
                         scrollL2RLeft_, ticks),
        scrollAfterTicks([&](float left) { return scrollRightToLeft(left, widthR2L, step); },
                         scrollR2LLeft_, ticks));
}

void Wavelark::setScrollLefts(float l2r, float r2l) {
    scrollL2RLeft_ = l2r;
    scrollR2LLeft_ = r2l;
    marquee_->moveText(lblScrollL2R, twipsToPixels(l2r));
    marquee_->moveText(lblScrollR2L, twipsToPixels(r2l));
    marquee_->sendMoves();
}

void Wavelark::setScrollCaption(QLabel* label, const QString& caption) {
    // One line, and no longer than the strip can scroll in a few minutes: a
    // whole settings file laid out as one label would freeze the window.
    showText(label, shownTitle(caption, kMarqueeLimit));
    // Sized to the whole caption, so a long text widens the label.
    label->resize(label->sizeHint().width(), label->height());
    marquee_->textChanged(label);
}

float Wavelark::labelWidthTwips(const QLabel* label) const {
    return static_cast<float>(pixelsToTwips(label->width()));
}

// A reload shows the moving text it read, also when a later file failed.
void Wavelark::showReloadedMarquee() {
    if (lblScrollR2L->text() != shownTitle(settings_.marqueeText(), kMarqueeLimit).text())
        setScrollCaption(lblScrollR2L, settings_.marqueeText());
}

}  // namespace ondrix
