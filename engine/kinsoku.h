#pragma once

namespace zelvato {

// How a character may stand at the ends of a vertical line, for the
// line-breaking rules (kinsoku). Taken from the character after the
// narrow-to-wide widening and before its vertical form, so that ｡｢｣､ count.
enum class BreakClass {
  free,         // may stand anywhere
  noBegin,      // closing brackets, hyphens, ！？, middle dots, iteration marks, ー, small kana
  hangable,     // full stops and commas: they hang below a full line instead of beginning the next
  noEnd,        // opening brackets
  inseparable,  // —— …… ‥‥: two of the same are not split across lines
};

BreakClass breakClass(char16_t widened);

}  // namespace zelvato
