#pragma once

#include <QDateTime>
#include <chrono>
#include <cstdint>

namespace ondrix {

// Local time, behind an interface so clock rules are tested at fixed times.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    // Milliseconds of a clock that never goes back, for time that passes:
    // a change of the local time or zone must not look like one.
    virtual std::int64_t steadyMs() const = 0;
};

class SystemClock : public Clock {
  public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
    std::int64_t steadyMs() const override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};

}  // namespace ondrix
