#pragma once

#include "player/settings/station_table.h"

namespace ondrix {

// What the desktop's media control reads of the player besides its engine.
struct PlayerState {
    const StationTable& stations;
    // Shuttle Play walks the folder: Next and Previous step the walk.
    bool walking = false;
    int walkEntries = 0;  // entries of the walk's list
};

// The player's commands the desktop's media control may give; each acts as
// the user's click would.
class PlayerCommands {
  public:
    virtual ~PlayerCommands() = default;
    virtual PlayerState playerState() const = 0;
    virtual void startStation(int slot) = 0;
    virtual void playAgain() = 0;  // the Play button
    virtual void stopPlaying() = 0;
    virtual void quitPlayer() = 0;
    virtual void bringToFront() = 0;
    // The walk's next (1) or previous (-1) file, or a new random pick.
    virtual void stepWalk(int direction) = 0;
};

}  // namespace ondrix
