#pragma once

namespace bench {

// The least a Qt window with the player's timers can cost: a bare frameless
// window of the player's size whose poll timer (the player's Timer1 interval)
// does nothing, whose 20 ms timer moves two texts, drawn from images made
// once, 2 pixels across an opaque bottom strip, and whose 500 ms timer writes
// the time into a label. No engine, no other controls. byScrolling: each move
// lets the window system copy the text's pixels (QWidget::scroll) and paints
// only the uncovered columns; otherwise the text is painted again where it
// was and where it is. Runs until it is ended; scripts/bench measures its CPU
// as it measures the stopped player, so the two compare like for like.
int runCadenceFloor(int& argc, char** argv, bool byScrolling);

}  // namespace bench
