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

QString levelText(double db) {
    if (db < kQuietBelowDb) return QStringLiteral("quiet");
    return QStringLiteral("%1 dB").arg(std::lround(db));
}

void LevelMeter::add(double peak, double seconds) {
    now_ = seconds;
    levelDb_ = peakToDb(peak);
    if (levelDb_ >= markDb()) {
        markPeakDb_ = levelDb_;
        markSetAt_ = seconds;
    }
    loudestDb_ = std::max(loudestDb_, levelDb_);
    if (seconds >= readoutAt_ + kReadoutSeconds) {
        readoutDb_ = loudestDb_;
        loudestDb_ = kSilenceDb;
        readoutAt_ = seconds;
    }
}

double LevelMeter::markDb() const {
    const double falling = std::max(0.0, now_ - markSetAt_ - kPeakHoldSeconds);
    return std::max(kSilenceDb, markPeakDb_ - kPeakFallDbPerSecond * falling);
}

}  // namespace ondrix
