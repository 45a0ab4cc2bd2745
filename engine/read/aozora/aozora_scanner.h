#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelvato::aozora {

// The marks that begin and end the notation of an Aozora Bunko text.
inline constexpr std::u16string_view annotationStart = u"［＃";
inline constexpr char16_t annotationEnd = u'］';
inline constexpr char16_t rubyStart = u'《';
inline constexpr char16_t rubyEnd = u'》';
inline constexpr char16_t gaijiMark = u'※';

// One line of the source: its content and the line end that follows it.
struct SourceLine {
  std::u16string_view content;
  std::u16string_view end;  // CR LF, LF, CR or nothing at the end of the text
  std::size_t number = 0;   // counted from 1
};

// The source cut into lines at CR LF, LF or a lone CR.
std::vector<SourceLine> splitLines(std::u16string_view source);

// The text without blanks (half- and full-width spaces, tabs) at either end.
std::u16string_view trimmed(std::u16string_view text);
bool startsWith(std::u16string_view text, std::u16string_view start);
bool endsWith(std::u16string_view text, std::u16string_view end);
// Full-width digits, letters and hyphens as ASCII, so that codes read the same
// however they were typed.
std::u16string asAscii(std::u16string_view text);
// A count of cells: digits in either width, or kanji numerals (二, 十二, 二十).
std::optional<int> readCount(std::u16string_view text);

// The class of a character for the base of a ruby without ｜: the run of
// characters of one class before 《 carries the ruby.
enum class BaseClass { none, kanji, hiragana, katakana, fullWidthLatin, latin };
BaseClass baseClass(char16_t c);

}  // namespace zelvato::aozora
