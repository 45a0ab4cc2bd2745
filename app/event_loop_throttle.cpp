#include "event_loop_throttle.h"

#include <QCoreApplication>

namespace zelvato {

bool EventLoopThrottle::yield() {
  if (passedOnce_ && now() - lastPass_ < interval) return false;
  passedOnce_ = true;
  QCoreApplication::processEvents();
  // Counted from the end of the pass, so a slow repaint still leaves the work
  // its full interval.
  lastPass_ = now();
  return true;
}

}  // namespace zelvato
