#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <atomic>
#include <functional>

#include "document/conversion_host.h"

namespace zelvato {

// The window's side of a conversion, called by the engine on the worker
// thread. It never touches a widget and never runs the event loop: the status
// text and the finished blocks leave it as signals, which reach the window
// queued on the window's own thread; Stop is a flag the engine reads.
class WindowConversionHost : public QObject, public ConversionHost {
  Q_OBJECT
 public:
  // Milliseconds from any fixed start; tests give their own clock.
  using Clock = std::function<qint64()>;

  explicit WindowConversionHost(QObject* parent = nullptr);

  // The status text is sent at most every showInterval and once more at the
  // end of the run (showPending), not block by block: a repaint of the window
  // costs more than a small block's whole work. The finished blocks go to the
  // window once, at the end: the HTML pane is hidden during a run, and filling
  // it piece by piece kept the window's thread from its events.
  static constexpr qint64 showInterval = 100;  // ms

  void setClock(Clock clock);

  // Before a run: forgets an earlier Stop, and lets the first block and status go at once.
  void reset();

  // The worker runs on its own thread; the window's event loop runs by itself.
  void yieldToEvents() override {}
  bool stopRequested() override { return stopRequested_.load(std::memory_order_relaxed); }
  void setStatusText(std::u16string_view text) override;
  void blockMarkupFinished(std::u16string_view markup) override;
  // Feeds progressCount, which the progress window shows.
  void progressMade(std::int32_t codeUnitsHandled) override;
  // Sends what has not been sent yet, the run's blocks among it; the worker
  // calls it at the end of the run.
  void showPending();

  // The Stop command, from any thread: the run ends at the layout's next position.
  void requestStop() { stopRequested_.store(true, std::memory_order_relaxed); }

 Q_SIGNALS:
  // Every block the run finished, in order, with their CR LF line ends; once, at its end.
  void blocksFinished(const QString& blocks);
  void statusTextChanged(const QString& text);

 private:
  qint64 now() const { return clock_ ? clock_() : elapsed_.elapsed(); }
  void showStatusIfDue();
  void showStatus();

  Clock clock_;
  QElapsedTimer elapsed_;
  std::atomic<bool> stopRequested_{false};
  QString runBlocks_;
  QString pendingStatus_;
  bool statusPending_ = false;
  qint64 lastShown_ = 0;
  bool shownOnce_ = false;
};

}  // namespace zelvato
