#include "platform/outside_text.h"
#include "player/marquee_strip.h"
#include "player/window.h"
#include "ui/plain_text.h"
#include "ui/twips.h"
#include "ui/unseen_sleep.h"

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

namespace {

// One Timer2 step of each text, with what the step reads copied: the same
// rule for the timer, a catch-up and the server's motion.
struct ScrollStep {
    float widthL2R;
    float widthR2L;
    float step;
    float l2r(float left) const { return scrollLeftToRight(left, widthL2R, step); }
    float r2l(float left) const { return scrollRightToLeft(left, widthR2L, step); }
};

ScrollStep stepOf(const Wavelark& window) {
    const auto width = [](const QLabel* label) {
        return static_cast<float>(pixelsToTwips(label->width()));
    };
    return {width(window.lblScrollL2R), width(window.lblScrollR2L),
            static_cast<float>(window.marqueeStep())};
}

}  // namespace

void Wavelark::Timer2_Timer() {
    const ScrollStep rule = stepOf(*this);
    setScrollLefts(rule.l2r(scrollL2RLeft_), rule.r2l(scrollR2LLeft_));
}

void Wavelark::catchUpScrolling(std::int64_t ticks) {
    const ScrollStep rule = stepOf(*this);
    setScrollLefts(
        scrollAfterTicks([&](float left) { return rule.l2r(left); }, scrollL2RLeft_, ticks),
        scrollAfterTicks([&](float left) { return rule.r2l(left); }, scrollR2LLeft_, ticks));
}

bool Wavelark::handScrollingToServer() {
    // On X11 the server moves the texts at Timer2's steps, counted on the
    // strip's own thread from copies of what the steps read: the window's
    // thread sleeps.
    if (!marquee_->movesOnItsOwn()) return false;
    const ScrollStep rule = stepOf(*this);
    marquee_->startMotion(
        Timer2->interval(), {lblScrollL2R, lblScrollR2L},
        [rule, l2r = scrollL2RLeft_, r2l = scrollR2LLeft_](std::vector<int>& lefts) mutable {
            l2r = rule.l2r(l2r);
            r2l = rule.r2l(r2l);
            lefts.assign({twipsToPixels(l2r), twipsToPixels(r2l)});
        });
    return true;
}

void Wavelark::setScrollLefts(float l2r, float r2l) {
    scrollL2RLeft_ = l2r;
    scrollR2LLeft_ = r2l;
    marquee_->moveText(lblScrollL2R, twipsToPixels(l2r));
    marquee_->moveText(lblScrollR2L, twipsToPixels(r2l));
    marquee_->sendMoves();
}

void Wavelark::setScrollCaption(QLabel* label, const QString& caption) {
    // A motion on the server's side works with the old width.
    if (unseen_ != nullptr) unseen_->interrupt();
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
