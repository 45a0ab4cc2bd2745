#include "window_conversion_host.h"

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
}

void WindowConversionHost::yieldToEvents() {
  throttle_.yield();
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
