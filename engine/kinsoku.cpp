#include "kinsoku.h"

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

bool among(std::u16string_view set, char16_t c) {
  return set.find(c) != std::u16string_view::npos;
}

}  // namespace

BreakClass breakClass(char16_t widened) {
  if (among(stopsAndCommas, widened)) return BreakClass::hangable;
  if (among(cannotBegin, widened)) return BreakClass::noBegin;
  if (among(openingBrackets, widened)) return BreakClass::noEnd;
  if (among(notSplit, widened)) return BreakClass::inseparable;
  return BreakClass::free;
}

}  // namespace zelvato
