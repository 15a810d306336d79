#pragma once

namespace bench {

// The least a Qt window with the player's timers can cost: a bare frameless
// window of the player's size whose poll timer (the player's Timer1 interval)
// does nothing, whose 20 ms timer moves two texts, drawn from images made
// once, 2 pixels across an opaque bottom strip, and whose 500 ms timer writes
// the time into a label. No engine, no other controls. Runs until it is
// ended; scripts/bench measures its CPU as it measures the stopped player, so
// the two compare like for like.
enum class FloorMode {
    Repaint,  // each move paints the text again where it was and where it is
    Scroll,   // the window system copies the text's pixels (QWidget::scroll),
              // the uncovered columns are painted
    Windows,  // each text is a window of the X server of its own, which the
              // server moves (ui/x11_strip)
};
int runCadenceFloor(int& argc, char** argv, FloorMode mode);

}  // namespace bench
