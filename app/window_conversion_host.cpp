#include "window_conversion_host.h"

#include <utility>

#include "app_texts.h"
#include "frm_progress.h"

namespace zelvato {

using texts::toQString;

WindowConversionHost::WindowConversionHost(QObject* parent) : QObject(parent) {
  elapsed_.start();
}

void WindowConversionHost::setClock(Clock clock) {
  clock_ = std::move(clock);
}

void WindowConversionHost::reset() {
  stopRequested_.store(false);
  runBlocks_.clear();
  statusPending_ = false;
  shownOnce_ = false;
}

void WindowConversionHost::setStatusText(std::u16string_view text) {
  pendingStatus_ = toQString(text);
  statusPending_ = true;
  showStatusIfDue();
}

void WindowConversionHost::progressMade(std::int32_t codeUnitsHandled) {
  progressCount.store(codeUnitsHandled, std::memory_order_relaxed);
}

void WindowConversionHost::blockMarkupFinished(std::u16string_view markup) {
  runBlocks_ += toQString(markup);
}

void WindowConversionHost::showStatusIfDue() {
  if (!shownOnce_ || now() - lastShown_ >= showInterval) showStatus();
}

void WindowConversionHost::showStatus() {
  shownOnce_ = true;
  lastShown_ = now();
  if (statusPending_) {
    statusPending_ = false;
    Q_EMIT statusTextChanged(pendingStatus_);
  }
}

void WindowConversionHost::showPending() {
  if (!runBlocks_.isEmpty()) Q_EMIT blocksFinished(std::exchange(runBlocks_, QString()));
  showStatus();
}

}  // namespace zelvato
