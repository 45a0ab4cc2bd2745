#include "window_conversion_host.h"

#include <QCoreApplication>
#include <utility>

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
  pendingBlocks_.clear();
  lastBlock_.clear();
  blocksPending_ = false;
  statusPending_ = false;
  shownOnce_ = false;
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
  pendingStatus_ = toQString(text);
  statusPending_ = true;
  showIfDue();
}

void WindowConversionHost::blockMarkupFinished(std::u16string_view markup) {
  lastBlock_ = toQString(markup);
  pendingBlocks_ += lastBlock_;
  blocksPending_ = true;
  showIfDue();
}

void WindowConversionHost::showIfDue() {
  if (!shownOnce_ || now() - lastShown_ >= showInterval) showPending();
}

void WindowConversionHost::showPending() {
  shownOnce_ = true;
  lastShown_ = now();
  if (blocksPending_) {
    blocksPending_ = false;
    const QString blocks = std::exchange(pendingBlocks_, QString());
    if (onBlockMarkup) onBlockMarkup(blocks, lastBlock_);
  }
  if (statusPending_) {
    statusPending_ = false;
    if (onStatusText) onStatusText(pendingStatus_);
  }
}

}  // namespace zelvato
