#include "window_conversion_host.h"

#include <utility>

#include "app_texts.h"
#include "frm_progress.h"

namespace zelvato {

using texts::toQString;

WindowConversionHost::WindowConversionHost(QObject* parent) : QObject(parent) {}

void WindowConversionHost::setClock(Clock clock) {
  throttle_.setClock(std::move(clock));
}

void WindowConversionHost::reset() {
  stopRequested_ = false;
  throttle_.reset();
  pendingBlocks_.clear();
  lastBlock_.clear();
  blocksPending_ = false;
  statusPending_ = false;
  shownOnce_ = false;
}

void WindowConversionHost::yieldToEvents() {
  throttle_.yield();
}

void WindowConversionHost::setStatusText(std::u16string_view text) {
  pendingStatus_ = toQString(text);
  statusPending_ = true;
  showIfDue();
}

void WindowConversionHost::progressMade(std::int32_t codeUnitsHandled) {
  progressCount = codeUnitsHandled;
}

void WindowConversionHost::blockMarkupFinished(std::u16string_view markup) {
  lastBlock_ = toQString(markup);
  pendingBlocks_ += lastBlock_;
  blocksPending_ = true;
  showIfDue();
}

void WindowConversionHost::showIfDue() {
  if (!shownOnce_ || throttle_.now() - lastShown_ >= showInterval) showPending();
}

void WindowConversionHost::showPending() {
  shownOnce_ = true;
  lastShown_ = throttle_.now();
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
