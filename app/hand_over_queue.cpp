#include "hand_over_queue.h"

#include <QTimer>
#include <utility>

namespace zelvato {

namespace {
// How often a window that is busy (a run, a load) is looked at again.
constexpr int busyRetryMs = 200;
}  // namespace

HandOverQueue::HandOverQueue(QObject* parent, Deliver deliver, Ready ready, int gatherMs)
    : QObject(parent),
      deliver_(std::move(deliver)),
      ready_(std::move(ready)),
      gatherMs_(gatherMs),
      timer_(new QTimer(this)) {
  timer_->setSingleShot(true);
  connect(timer_, &QTimer::timeout, this, &HandOverQueue::deliverWaiting);
}

void HandOverQueue::add(const QString& path) {
  if (path.isEmpty()) return;
  if (!waiting_.contains(path)) waiting_.append(path);
  // The first file of a burst starts the gathering; later ones do not put it
  // off, so a steady stream of launches is still answered.
  if (!delivering_ && !timer_->isActive()) timer_->start(gatherMs_);
}

void HandOverQueue::deliverWaiting() {
  if (delivering_ || waiting_.isEmpty()) return;
  if (ready_ && !ready_()) {
    timer_->start(busyRetryMs);
    return;
  }
  const QStringList paths = std::exchange(waiting_, {});
  // The question about these files runs its own event loop: launches that
  // arrive meanwhile are gathered for one question after it.
  delivering_ = true;
  deliver_(paths);
  delivering_ = false;
  if (!waiting_.isEmpty()) timer_->start(gatherMs_);
}

}  // namespace zelvato
