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
  pendingBlocks_.clear();
  blocksPending_ = false;
  statusPending_ = false;
  shownOnce_ = false;
}

void WindowConversionHost::setStatusText(std::u16string_view text) {
  pendingStatus_ = toQString(text);
  statusPending_ = true;
  showIfDue();
}

void WindowConversionHost::progressMade(std::int32_t codeUnitsHandled) {
  progressCount.store(codeUnitsHandled, std::memory_order_relaxed);
}

void WindowConversionHost::blockMarkupFinished(std::u16string_view markup) {
  pendingBlocks_ += toQString(markup);
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
    Q_EMIT blocksFinished(std::exchange(pendingBlocks_, QString()));
  }
  if (statusPending_) {
    statusPending_ = false;
    Q_EMIT statusTextChanged(pendingStatus_);
  }
}

}  // namespace zelvato
