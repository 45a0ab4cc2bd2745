#include "window_conversion_host.h"

#include <QCoreApplication>

#include "frm_progress.h"

namespace zelvato {
namespace {

QString toQString(std::u16string_view text) {
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

}  // namespace

WindowConversionHost::WindowConversionHost(QObject* parent) : QObject(parent) {
  elapsed_.start();
}

void WindowConversionHost::setClock(Clock clock) {
  clock_ = std::move(clock);
  passedOnce_ = false;
}

void WindowConversionHost::reset() {
  stopRequested_ = false;
  passedOnce_ = false;
}

qint64 WindowConversionHost::now() const {
  return clock_ ? clock_() : elapsed_.elapsed();
}

void WindowConversionHost::yieldToEvents() {
  const qint64 time = now();
  if (passedOnce_ && time - lastPass_ < yieldInterval) return;
  passedOnce_ = true;
  QCoreApplication::processEvents();
  // Counted from the end of the pass, so a slow repaint still leaves the
  // conversion its full interval of work.
  lastPass_ = now();
}

void WindowConversionHost::setStatusText(std::u16string_view text) {
  if (onStatusText) onStatusText(toQString(text));
}

void WindowConversionHost::progressMade(std::int32_t codeUnitsHandled) {
  progressCount = codeUnitsHandled;
}

void WindowConversionHost::blockMarkupFinished(std::u16string_view markup) {
  if (onBlockMarkup) onBlockMarkup(toQString(markup));
}

}  // namespace zelvato
