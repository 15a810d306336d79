#include "recorder/level_meter.h"

#include <algorithm>
#include <cmath>

namespace ondrix {

namespace {

// Below the quietest 16-bit sample, so that silence never reaches the bar.
constexpr double kSilenceDb = -120;

}  // namespace

double peakToDb(double peak) {
    return peak > 0 ? std::max(kSilenceDb, 20 * std::log10(peak)) : kSilenceDb;
}

double levelFraction(double db) {
    return std::clamp((db - kLevelFloorDb) / -kLevelFloorDb, 0.0, 1.0);
}

void LevelMeter::add(double peak, double seconds) {
    now_ = seconds;
    levelDb_ = peakToDb(peak);
    if (levelDb_ >= markDb()) {
        markPeakDb_ = levelDb_;
        markSetAt_ = seconds;
    }
    recent_.push_back({seconds, levelDb_});
    while (recent_.front().endSeconds <= seconds - kQuietSeconds) recent_.pop_front();
}

double LevelMeter::markDb() const {
    const double falling = std::max(0.0, now_ - markSetAt_ - kPeakHoldSeconds);
    return std::max(kSilenceDb, markPeakDb_ - kPeakFallDbPerSecond * falling);
}

bool LevelMeter::isQuiet() const {
    if (now_ < kQuietSeconds) return false;
    return std::all_of(recent_.begin(), recent_.end(),
                       [](const Stretch& stretch) { return stretch.db < kQuietBelowDb; });
}

}  // namespace ondrix
