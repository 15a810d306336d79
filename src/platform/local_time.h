#pragma once

#include <QDateTime>

namespace ondrix {

// Local time, behind an interface so clock rules are tested at fixed times.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock : public Clock {
  public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

}  // namespace ondrix
