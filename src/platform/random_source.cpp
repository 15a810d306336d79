#include "platform/random_source.h"

#include <chrono>

namespace ondrix {

void SystemRandom::reseedFromClock() {
    generator_.seed(
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
}

double SystemRandom::next() {
    return std::uniform_real_distribution<double>(0.0, 1.0)(generator_);
}

}  // namespace ondrix
