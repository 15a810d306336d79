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
//
// A timer may also hand its work over while the window is seen (to a thread
// that does the same steps without waking the window's): it is handed over
// once the window shows, and taken back, caught up by the steps made
// elsewhere and running again, before the window goes out of sight, is
// pressed or moved over, or on interrupt(); it is handed over again once that
// event has been handled.
class UnseenSleep : public QObject {
    Q_OBJECT
  public:
    using SteadyMs = std::function<std::int64_t()>;
    // Brings what the timer drives to where `ticks` more ticks would have.
    using CatchUp = std::function<void(std::int64_t ticks)>;
    // Starts the work elsewhere from where the timer's stands; false when
    // it cannot be done elsewhere now.
    using HandOver = std::function<bool()>;
    // Ends it; the ticks it made.
    using TakeBack = std::function<std::int64_t()>;

    UnseenSleep(QWidget* window, SteadyMs steadyMs);
    ~UnseenSleep() override;
    void add(QTimer* timer, CatchUp catchUp, HandOver handOver = {}, TakeBack takeBack = {});
    bool seen() const { return seen_; }
    // What the handed-over timers drive is about to be read or changed: they
    // are taken back now and handed over again after the current event.
    void interrupt();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void setSeen(bool seen);
    void takeBack();
    void handOverSoon();
    void handOver();

    struct Sleeper {
        QTimer* timer;
        CatchUp catchUp;
        HandOver handOver;
        TakeBack takeBack;
        bool handedOver = false;
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
    bool handOverQueued_ = false;
};

}  // namespace ondrix
