#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "platform/random_source.h"

namespace ondrix {

// Where the list-order shuttle goes from position in a list of count
// entries: the next one (direction 1), wrapping to the first, or the
// previous one (-1), wrapping to the last; -1 for an empty list.
int stepShuttleIndex(int position, int count, int direction);

// Shuttle Play's walk through the file list: its order (list or random),
// the entry it stands on, and the files it started that could not play,
// which it steps over, once around the folder at most. A file the user
// picks is not the walk's and starts a new walk from there.
class ShuttleWalk {
  public:
    // Random_Play's box: -1 draws each step at random, 0 walks the list.
    void setRandom(bool on) { randomOrderFlag_ = on ? -1 : 0; }
    std::int16_t randomOrderFlag() const { return randomOrderFlag_; }
    std::int16_t position() const { return position_; }
    // A file of the folder plays, picked or walked to.
    bool walking() const { return walking_; }

    // A step begins: direction 1 goes on in the list's order, -1 goes back;
    // a random walk draws anew either way. The entry to select in a list
    // of count entries; nothing for an empty list.
    std::optional<int> beginStep(int count, int direction, RandomSource& random);
    // The step started this address, or started nothing (an empty one).
    void endStep(const QString& started);
    // Entry `index` was selected, by the user or by a step; the user's pick
    // starts a new walk.
    void selected(int index);
    // A step is under way: what it selects is the walk's, not the user's.
    bool stepping() const { return inStep_; }
    // A file of the folder was handed to the engine.
    void fileStarted() { walking_ = true; }
    // A station or a typed address plays instead.
    void left() { walking_ = false; }
    // What the walk started played, or stopped after playing: a new round.
    void played() { failures_ = 0; }
    // The engine's address could not be played: whether the walk steps
    // over it. Only an address the walk started counts, and only while
    // fewer than count have failed in a row.
    bool stepsOver(const QString& engineUrl, int count);

  private:
    std::int16_t randomOrderFlag_ = 0;
    std::int16_t position_ = 0;
    QString started_;  // the address the walk started last
    int failures_ = 0;
    bool inStep_ = false;
    bool walking_ = false;
};

}  // namespace ondrix
