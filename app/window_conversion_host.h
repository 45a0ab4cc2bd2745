#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "conversion_host.h"
#include "event_loop_throttle.h"

namespace zelvato {

// The main window's side of a conversion. The engine yields once per source
// character; events are handled through the throttle, at most once per
// yieldInterval.
class WindowConversionHost : public QObject, public ConversionHost {
  Q_OBJECT
 public:
  static constexpr qint64 yieldInterval = EventLoopThrottle::interval;
  using Clock = EventLoopThrottle::Clock;

  explicit WindowConversionHost(QObject* parent = nullptr);

  // The status text and the finished blocks reach the window at most every
  // showInterval and once more at the end of the run (showPending), not one by
  // one: a repaint of the window and a write to the clipboard each cost more
  // than a small block's whole work.
  static constexpr qint64 showInterval = 100;  // ms

  // Set by the window: the status bar's text; the blocks finished since the
  // last call (the window appends them to txtHTML) and the last of them (it
  // goes to the clipboard).
  std::function<void(const QString&)> onStatusText;
  std::function<void(const QString& blocks, const QString& lastBlock)> onBlockMarkup;

  void setClock(Clock clock);

  // Before a run: forgets an earlier Stop, and lets the first yield handle events.
  void reset();

  void yieldToEvents() override;
  bool stopRequested() override { return stopRequested_; }
  void setStatusText(std::u16string_view text) override;
  void blockMarkupFinished(std::u16string_view markup) override;
  // Feeds progressCount, which the progress window shows.
  void progressMade(std::int32_t codeUnitsHandled) override;
  // Hands the window what it has not been shown yet; the run calls it at its end.
  void showPending();

 public Q_SLOTS:
  // The Stop command: the run ends at the layout's next position; the source
  // pane keeps its text.
  void requestStop() { stopRequested_ = true; }

 private:
  void showIfDue();

  EventLoopThrottle throttle_;
  bool stopRequested_ = false;
  QString pendingBlocks_;
  QString lastBlock_;
  bool blocksPending_ = false;
  QString pendingStatus_;
  bool statusPending_ = false;
  qint64 lastShown_ = 0;
  bool shownOnce_ = false;
};

}  // namespace zelvato
