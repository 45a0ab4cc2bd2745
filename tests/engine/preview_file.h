#pragma once

#include <fstream>
#include <string>

#include "document/conversion_settings.h"
#include "write/page_output.h"

namespace zelvato {

// The preview file as an earlier run leaves it before its first block: the
// generator line and, for the grid, the declaration of its encoding. A run
// stages its own preview, so this is what a failed run must leave behind.
inline bool beginPreviewFile(const std::string& path, const ConversionSettings& settings) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << previewStart(settings);
  return static_cast<bool>(out.flush());
}

}  // namespace zelvato
