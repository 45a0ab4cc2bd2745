#include "kinsoku.h"

#include <array>
#include <string_view>

namespace zelvato {
namespace {

// Character classes of the requirements for Japanese text layout, appendix A.
// The wave dash and the dashes are listed in both of the forms code page 932
// gives them, since a text may arrive with either.
constexpr std::u16string_view openingBrackets = u"‘“（〔［｛〈《「『【｟〘〖«〝";  // cl-01
constexpr std::u16string_view cannotBegin =
    u"’”）〕］｝〉》」』】｠〙〗»〟"                         // cl-02 closing brackets
    u"‐〜～゠–"                                              // cl-03 hyphens
    u"！？‼⁇⁈⁉"                                              // cl-04 dividing punctuation
    u"・：；"                                                // cl-05 middle dots
    u"ヽヾゝゞ々〻"                                          // cl-09 iteration marks
    u"ー"                                                    // cl-10 prolonged sound mark
    u"ぁぃぅぇぉァィゥェォっゃゅょゎゕゖッャュョヮヵヶ";     // cl-11 small kana
constexpr std::u16string_view stopsAndCommas = u"。．、，";  // cl-06, cl-07
constexpr std::u16string_view notSplit = u"—―…‥";

// One entry per code unit, built once: the layout asks for every character.
std::array<BreakClass, 0x10000> buildTable() {
  std::array<BreakClass, 0x10000> table{};
  table.fill(BreakClass::free);
  for (char16_t c : notSplit) table[c] = BreakClass::inseparable;
  for (char16_t c : openingBrackets) table[c] = BreakClass::noEnd;
  for (char16_t c : cannotBegin) table[c] = BreakClass::noBegin;
  for (char16_t c : stopsAndCommas) table[c] = BreakClass::hangable;
  return table;
}

}  // namespace

BreakClass breakClass(char16_t widened) {
  static const std::array<BreakClass, 0x10000> table = buildTable();
  return table[widened];
}

}  // namespace zelvato
