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

  // Set by the window: the status bar's text, and a finished block (the window
  // appends it to txtHTML and puts it on the clipboard).
  std::function<void(const QString&)> onStatusText;
  std::function<void(const QString&)> onBlockMarkup;

  void setClock(Clock clock);

  // Before a run: forgets an earlier Stop, and lets the first yield handle events.
  void reset();

  void yieldToEvents() override;
  bool stopRequested() override { return stopRequested_; }
  void setStatusText(std::u16string_view text) override;
  void blockMarkupFinished(std::u16string_view markup) override;
  // Feeds progressCount, which the progress window shows.
  void progressMade(std::int32_t codeUnitsHandled) override;

 public Q_SLOTS:
  // The Stop command: the run ends at the layout's next position; the source
  // pane keeps its text.
  void requestStop() { stopRequested_ = true; }

 private:
  EventLoopThrottle throttle_;
  bool stopRequested_ = false;
};

}  // namespace zelvato
