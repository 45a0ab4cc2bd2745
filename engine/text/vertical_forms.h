#pragma once

#include <string>
#include <string_view>

namespace zelvato {

// The character whose horizontal glyph looks like the vertical form of `c`:
// punctuation, brackets and dashes are replaced from one table, walked in order
// and never looked up twice ("―" and "｜" swap, "‘" becomes "，" and stays so);
// with kanjiNumerals the full-width digits then become kanji numerals, digit by
// digit. Every other code unit is returned unchanged.
char16_t toVerticalForm(char16_t c, bool kanjiNumerals);

// The same for a character held as text: the empty text stays empty, and a
// character of more than one code unit (a surrogate pair) has no vertical form.
std::u16string toVerticalForm(std::u16string_view character, bool kanjiNumerals);

// Unicode's vertical presentation form of a punctuation mark or bracket
// (U+FE10..U+FE19, U+FE30..U+FE4F): ︒ for 。, ﹁ for 「, ﹃ for 『, ︙ for …; 0
// when it has none. They copy and search as their horizontal characters after NFKC.
char16_t toVerticalPresentationForm(char16_t c);

// Characters that code page 932 writes with the same code are made one before the
// vertical-form table, so that 〜 and —— get their vertical forms whichever of the
// two a text was typed or loaded with (U+301C to U+FF5E, U+2014 to U+2015, ...).
char16_t unifyCodePagePair(char16_t c);

// Double quotes in their vertical forms: the opening quote U+201C becomes 〟, the
// straight and the closing quotes become 〝. Anything else stays.
char16_t toVerticalQuote(char16_t c);

}  // namespace zelvato
