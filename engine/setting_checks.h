#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "conversion_settings.h"

namespace zelvato {

// A setting the run cannot use: the message the window shows with the warning
// icon (the command line prints it too), and the reason the command line adds.
struct SettingProblem {
  std::u16string_view message;
  std::string_view reason;
};

// The base name of the page files names a file in the output folder and the
// path of the page links: a folder separator, "..", a control character or a
// leading URL scheme ("javascript:") is refused.
std::optional<SettingProblem> checkFileBaseName(std::u16string_view baseName);

// The grid the layout fields ask for can be made (not too many cells, sides
// that are whole numbers in range). Call it after the at-least-3 check.
std::optional<SettingProblem> checkGridSize(const ConversionSettings& settings);

}  // namespace zelvato
