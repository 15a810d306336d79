#include "media/bit_rate.h"

#include <algorithm>
#include <cmath>

namespace ondrix {

std::int64_t steadyMeasuredRate(std::int64_t shown, double measured) {
    if (!(measured > 0.0)) return 0;
    const auto shownRate = static_cast<double>(shown);
    if (shown > 0 && std::abs(measured - shownRate) <= 0.05 * shownRate) return shown;
    return std::llround(measured / 1000.0) * 1000;
}

std::int64_t reportedBitRate(std::int64_t icyKbps, std::int64_t demuxed, std::int64_t measured) {
    if (icyKbps > 0) return icyKbps * 1000;
    return demuxed > 0 ? demuxed : std::max<std::int64_t>(measured, 0);
}

}  // namespace ondrix
