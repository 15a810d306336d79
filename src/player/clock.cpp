#include "player/window.h"
#include "platform/runtime_error.h"

namespace ondrix {

int secondClockHour(int localHour, int offset) {
    // Brought into 0..23 also for offsets of a day or more.
    return ((localHour - offset) % 24 + 24) % 24;
}

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

void Wavelark::Timer2_Timer() {
    const float step = marqueeStep_;
    setScrollLefts(scrollLeftToRight(scrollL2RLeft_, labelWidthTwips(lblScrollL2R), step),
                   scrollRightToLeft(scrollR2LLeft_, labelWidthTwips(lblScrollR2L), step));
}

void Wavelark::Timer3_Timer() {
    const QString t = services_.clock.now().toString(QStringLiteral("HH:mm:ss"));
    lbltime->setText(t);
    const int offset = settings_.timeZoneOffset();
    if (offset > 0) {
        lbltid2->setText(QString::number(secondClockHour(t.left(2).toInt(), offset)));
        lbltid3->setText(t.mid(2, 6));
        lbltid2->setVisible(true);
        lbltid3->setVisible(true);
        lbltime->setVisible(true);
    }
}

// What a reload read is shown as at start-up, also the part read before a
// failing file.
void Wavelark::showReloadedSettings() {
    if (lblScrollR2L->text() != settings_.marqueeText())
        setScrollCaption(lblScrollR2L, settings_.marqueeText());
    if (settings_.timeZoneOffset() <= 0) {
        lbltid2->hide();
        lbltid3->hide();
    }
}

void Wavelark::lbltime_Click() {
    runSettingsOperation([this] {
        settings_.LoadStartPosition();
        settings_.LoadRadioKeys();
    });
}

}  // namespace ondrix
