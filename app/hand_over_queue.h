#pragma once

#include <QObject>
#include <QStringList>
#include <functional>

class QTimer;

namespace zelvato {

// The files later launches hand over, gathered. A desktop that opens twenty
// files at once starts twenty launches: the window asks about them once, not
// twenty times. Files that arrive within `gatherMs` of the first, or while
// the window is busy, or while a question about earlier ones is open, go
// into the same list; each list is delivered once the window can take it.
class HandOverQueue : public QObject {
  Q_OBJECT
 public:
  using Deliver = std::function<void(const QStringList& paths)>;
  using Ready = std::function<bool()>;

  // `ready` empty: the window can always take the files.
  HandOverQueue(QObject* parent, Deliver deliver, Ready ready = {}, int gatherMs = 150);

  // An empty path names no file (the launch only brought the window to the
  // front); a path given again while it waits is listed once.
  void add(const QString& path);

  // The files waiting to be delivered, in the order they arrived.
  const QStringList& waiting() const { return waiting_; }

 private:
  void deliverWaiting();

  Deliver deliver_;
  Ready ready_;
  int gatherMs_;
  QTimer* timer_;
  QStringList waiting_;
  bool delivering_ = false;  // a list is being asked about: later files wait for the next
};

}  // namespace zelvato
