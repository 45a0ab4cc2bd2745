#pragma once

#include <string>
#include <string_view>

#include "run/conversion.h"

namespace zelvato::bench {

// A host that shows nothing and never asks to stop: the run alone is measured.
class QuietHost : public ConversionHost {
 public:
  void yieldToEvents() override {}
  bool stopRequested() override { return false; }
  void setStatusText(std::u16string_view) override {}
  void blockMarkupFinished(std::u16string_view) override {}
};

// 吾輩は猫である (public domain, an unmodified Aozora Bunko file) as the
// window's source pane holds it: code page 932 decoded, every line ending CR LF.
// Read once.
const std::u16string& novel();

}  // namespace zelvato::bench
