#pragma once

#include <QString>
#include <optional>

namespace ondrix {

// The bar's scale in dBFS, and what counts as quiet.
constexpr double kLevelFloorDb = -60;
constexpr double kQuietBelowDb = -40;
// The number beside the bar is renewed after this much sound: a few times a
// second, slow enough to be read.
constexpr double kReadoutSeconds = 0.25;
// The peak mark stays this long, then falls back at this rate.
constexpr double kPeakHoldSeconds = 1;
constexpr double kPeakFallDbPerSecond = 10;

// A peak from 0 to 1 in dBFS; silence is far below the bar's floor.
double peakToDb(double peak);
// Where a level sits on the bar, 0 at its floor to 1 at full scale.
double levelFraction(double db);
// The level as the number beside the bar reads it: "-27 dB", or "quiet"
// under kQuietBelowDb.
QString levelText(double db);

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
    // The loudest level of the last kReadoutSeconds or more, renewed once
    // that much sound has passed; nothing before then.
    std::optional<double> readoutDb() const { return readoutDb_; }

  private:
    double now_ = 0;
    double levelDb_ = peakToDb(0);
    double markPeakDb_ = peakToDb(0);
    double markSetAt_ = 0;
    double loudestDb_ = peakToDb(0);  // since the last readout
    double readoutAt_ = 0;
    std::optional<double> readoutDb_;
};

}  // namespace ondrix
