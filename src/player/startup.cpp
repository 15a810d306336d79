#include "player/window.h"

namespace ondrix {

// Runs once before the window is shown; nothing here traps an error, so a
// failing step stops the start and no later step runs.
void Wavelark::Form_Load() {
    settings_.LoadStartPosition();
    settings_.LoadTimeZone();
    settings_.LoadMovingText();
    settings_.LoadRadioKeys();

    setScrollCaption(lblScrollL2R, QStringLiteral("VOSKE CARE - since 1985 "));
    setScrollCaption(lblScrollR2L, settings_.marqueeText());
    // The width is read after the caption is set: the label starts with its
    // right end at the left edge.
    setScrollLefts(kScaleLeft - labelWidthTwips(lblScrollL2R), kScaleWidth + 60);
    marqueeStep_ = 30;

    PlayStation(1);
}

}  // namespace ondrix
