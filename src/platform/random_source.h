#pragma once

#include <random>

namespace ondrix {

// Pseudo-random numbers in [0, 1) that can be re-seeded from the clock.
class RandomSource {
  public:
    virtual ~RandomSource() = default;
    virtual void reseedFromClock() = 0;
    virtual double next() = 0;
};

class SystemRandom : public RandomSource {
  public:
    void reseedFromClock() override;
    double next() override;

  private:
    std::mt19937_64 generator_{std::random_device{}()};
};

}  // namespace ondrix
