#pragma once

namespace bench {

// The least a Qt window with the player's timers can cost: a bare frameless
// window of the player's size whose 10 ms timer does nothing, whose 20 ms
// timer moves two texts, drawn from images made once, 2 pixels across an
// opaque bottom strip and repaints only what they uncover, and whose 500 ms
// timer writes the time into a label. No engine, no other controls. Runs
// until it is ended; scripts/bench measures its CPU as it measures the
// stopped player, so the two compare like for like.
int runCadenceFloor(int& argc, char** argv);

}  // namespace bench
