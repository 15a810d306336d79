#pragma once

#include <deque>

namespace ondrix {

// The bar's scale in dBFS, and what counts as a quiet recording.
constexpr double kLevelFloorDb = -60;
constexpr double kQuietBelowDb = -40;
constexpr double kQuietSeconds = 10;
// The peak mark stays this long, then falls back at this rate.
constexpr double kPeakHoldSeconds = 1;
constexpr double kPeakFallDbPerSecond = 10;

// A peak from 0 to 1 in dBFS; silence is far below the bar's floor.
double peakToDb(double peak);
// Where a level sits on the bar, 0 at its floor to 1 at full scale.
double levelFraction(double db);

// The levels of a recording, timed by the sound itself (seconds recorded),
// so that they read the same however late the window sees them.
class LevelMeter {
  public:
    // The peak of the stretch of sound that ends at `seconds`.
    void add(double peak, double seconds);
    void reset() { *this = LevelMeter(); }

    double levelDb() const { return levelDb_; }
    // Rises with the level at once, holds, then falls back slowly.
    double markDb() const;
    // A whole kQuietSeconds recorded, none of it reaching kQuietBelowDb.
    bool isQuiet() const;

  private:
    struct Stretch {
        double endSeconds;
        double db;
    };

    double now_ = 0;
    double levelDb_ = peakToDb(0);
    double markPeakDb_ = peakToDb(0);
    double markSetAt_ = 0;
    std::deque<Stretch> recent_;  // the stretches of the last kQuietSeconds
};

}  // namespace ondrix
