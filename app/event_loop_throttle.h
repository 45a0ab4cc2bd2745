#pragma once

#include <QElapsedTimer>
#include <QtGlobal>
#include <functional>

namespace zelvato {

// Long work on the event thread yields very often (once per character, once
// per line); handling the event queue each time would make it crawl. The
// throttle handles events only when `interval` has passed since the last pass:
// often enough that the window repaints and Stop answers at once, rarely
// enough that tens of thousands of yields cost next to nothing.
class EventLoopThrottle {
 public:
  static constexpr qint64 interval = 15;  // ms

  // Milliseconds from any fixed start; tests give their own clock.
  using Clock = std::function<qint64()>;

  EventLoopThrottle() { elapsed_.start(); }

  void setClock(Clock clock) {
    clock_ = std::move(clock);
    passedOnce_ = false;
  }
  // The next yield handles events at once.
  void reset() { passedOnce_ = false; }

  // Handles pending events when it is time; true when it did.
  bool yield();

  // The throttle's clock, in milliseconds.
  qint64 now() const { return clock_ ? clock_() : elapsed_.elapsed(); }

 private:
  Clock clock_;
  QElapsedTimer elapsed_;
  qint64 lastPass_ = 0;
  bool passedOnce_ = false;
};

}  // namespace zelvato
