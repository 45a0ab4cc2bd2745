#pragma once

#include <string_view>

#include "document/conversion_host.h"

namespace zelvato {

// The host of a run that shows nothing and is never stopped: a count of
// manuscript sheets, a PDF made for the print preview, a benchmark.
class NullHost : public ConversionHost {
 public:
  void yieldToEvents() override {}
  bool stopRequested() override { return false; }
  void setStatusText(std::u16string_view) override {}
  void blockMarkupFinished(std::u16string_view) override {}
  bool showsMarkup() const override { return false; }
};

}  // namespace zelvato
