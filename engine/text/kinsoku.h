#pragma once

#include <array>
#include <cstdint>

namespace zelvato {

// How a character may stand at the ends of a vertical line, for the
// line-breaking rules (kinsoku). Taken from the character after the
// narrow-to-wide widening and before its vertical form, so that ｡｢｣､ count.
enum class BreakClass : std::uint8_t {
  free,         // may stand anywhere
  noBegin,      // hyphens, ！？, middle dots, … ‥, the lower half 〵 of a くの字点
  closing,      // closing brackets: do not begin a line (on manuscript paper they hang below it)
  smallKana,    // small kana, iteration marks, ー: do not begin a line (on manuscript paper they may)
  hangable,     // full stops and commas: they hang below a full line instead of beginning the next
  noEnd,        // opening brackets and the upper half 〳 〴 of a くの字点
  inseparable,  // —— ――: two of the same are not split across lines, nor begin one
};

namespace kinsoku_detail {
// Every classed character lies in one of five blocks of 256 code points:
// Latin-1, general punctuation, CJK symbols with kana, the small katakana of
// Ainu (ㇰ…ㇿ), and the half- and full-width forms. One small table per block,
// and a sixth in which every character is free; the high byte of a character
// picks its table. Without a branch: kana and kanji alternate in every sentence.
constexpr int blockOf(char16_t c) {
  switch (c >> 8) {
    case 0x00:
      return 0;
    case 0x20:
      return 1;
    case 0x30:
      return 2;
    case 0x31:
      return 3;
    case 0xFF:
      return 4;
    default:
      return 5;
  }
}
extern const std::array<std::uint8_t, 256> blockByHighByte;
extern const std::array<std::array<BreakClass, 256>, 6> blockClasses;
}  // namespace kinsoku_detail

// The layout asks this for every character: two lookups in tables of 1.8 KB.
inline BreakClass breakClass(char16_t widened) {
  return kinsoku_detail::blockClasses[kinsoku_detail::blockByHighByte[widened >> 8]][widened & 0xFF];
}

}  // namespace zelvato
