#pragma once

#include <string>
#include <string_view>

#include "run/conversion.h"
#include "run/null_host.h"

namespace zelvato::bench {

// A host that shows nothing and never asks to stop: the run alone is measured.
using QuietHost = NullHost;

// 吾輩は猫である (public domain, an unmodified Aozora Bunko file) as the
// window's source pane holds it: code page 932 decoded, every line ending CR LF.
// Read once.
const std::u16string& novel();

}  // namespace zelvato::bench
