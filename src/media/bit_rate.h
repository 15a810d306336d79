#pragma once

#include <cstdint>

namespace ondrix {

// The rate to show for a measured bit rate (bits per second): whole kbps,
// kept as `shown` until the measure moves away from it by more than 5 %.
std::int64_t steadyMeasuredRate(std::int64_t shown, double measured);

// The bit rate to report, in bits per second (0: unknown): what a station
// declares (ICY icy-br, in kbps) before a demuxer's nominal rate, which
// some formats only estimate (ADTS AAC has none), before what was measured.
std::int64_t reportedBitRate(std::int64_t icyKbps, std::int64_t demuxed, std::int64_t measured);

}  // namespace ondrix
