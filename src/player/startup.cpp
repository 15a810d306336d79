#include "player/window.h"
#include "ui/twips.h"

namespace ondrix {

// Runs once before the window is shown; nothing here traps an error, so a
// failing step stops the start and no later step runs.
void Wavelark::Form_Load() {
    settings_.LoadStartPosition();
    settings_.LoadTimeZone();
    settings_.LoadMovingText();
    settings_.LoadRadioKeys();

    lblScrollL2R->setText(QStringLiteral("VOSKE CARE - since 1985 "));
    lblScrollL2R->resize(lblScrollL2R->sizeHint().width(), lblScrollL2R->height());
    lblScrollR2L->setText(settings_.marqueeText());
    lblScrollR2L->resize(lblScrollR2L->sizeHint().width(), lblScrollR2L->height());
    // The width is read after the caption is set: the label starts with its
    // right end at the left edge.
    setScrollLefts(kScaleLeft - labelWidthTwips(lblScrollL2R), kScaleWidth + 60);
    marqueeStep_ = 30;

    PlayStation(1);
}

}  // namespace ondrix
