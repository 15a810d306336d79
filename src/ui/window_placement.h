#pragma once

namespace ondrix {

// The window's own left and top on the screen, in twips, as the handlers
// read and set them one at a time.
class WindowPlacement {
  public:
    virtual ~WindowPlacement() = default;
    virtual double windowLeft() const = 0;
    virtual double windowTop() const = 0;
    virtual void setWindowLeft(double twips) = 0;
    virtual void setWindowTop(double twips) = 0;
};

}  // namespace ondrix
