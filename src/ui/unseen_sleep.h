#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <vector>

class QTimer;
class QWidget;

namespace ondrix {

// Timers that only change what a window shows sleep while the window cannot
// be seen (hidden, minimised, unmapped as on another workspace), so that such
// a window wakes nobody. When it shows again each sleeper catches up by the
// ticks it missed, counted on a clock that never goes back, and ticks on.
// Only a timer running when the window went out of sight is woken again.
class UnseenSleep : public QObject {
    Q_OBJECT
  public:
    using SteadyMs = std::function<std::int64_t()>;
    // Brings what the timer drives to where `ticks` more ticks would have.
    using CatchUp = std::function<void(std::int64_t ticks)>;

    UnseenSleep(QWidget* window, SteadyMs steadyMs);
    void add(QTimer* timer, CatchUp catchUp);
    bool seen() const { return seen_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void setSeen(bool seen);

    struct Sleeper {
        QTimer* timer;
        CatchUp catchUp;
        bool asleep = false;
        // Time out of sight not yet a whole tick, kept for the next return.
        std::int64_t restMs = 0;
    };
    QWidget* window_;
    SteadyMs steadyMs_;
    std::vector<Sleeper> sleepers_;
    // The platform window's own word: an unmapped window is still "visible"
    // to the toolkit, but not exposed.
    bool exposed_ = true;
    bool seen_ = false;
    std::int64_t unseenSinceMs_ = 0;
};

}  // namespace ondrix
