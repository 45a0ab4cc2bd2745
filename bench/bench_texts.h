#pragma once

#include <string>
#include <string_view>

#include "run/conversion.h"
#include "run/null_host.h"

namespace zelvato::bench {

// 吾輩は猫である (public domain, an unmodified Aozora Bunko file) as the
// window's source pane holds it: code page 932 decoded, every line ending CR LF.
// Read once.
const std::u16string& novel();

}  // namespace zelvato::bench
