#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"

namespace zelvato {

// A heading of a text, for a list to jump by.
struct OutlineEntry {
  int level = 1;  // 1 大見出し, 2 中見出し, 3 小見出し
  std::u16string text;
  std::size_t line = 0;  // the source line it begins on, from 0

  bool operator==(const OutlineEntry&) const = default;
};

// The headings of a source text in their order: the 見出し annotations of
// Aozora Bunko's notation (as `document`, read from `source`, holds them),
// and the lines web novels mark as headings, one to three "#" (or "＃") and
// a space before the heading's text.
std::vector<OutlineEntry> textOutline(const Document& document, std::u16string_view source);

}  // namespace zelvato
