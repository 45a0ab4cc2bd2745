#include "read/aozora/aozora_scanner.h"

#include "text/unicode_text.h"

namespace zelvato::aozora {
namespace {

int kanjiDigit(char16_t c) {
  constexpr std::u16string_view digits = u"〇一二三四五六七八九";
  const std::size_t at = digits.find(c);
  return at == std::u16string_view::npos ? -1 : static_cast<int>(at);
}

}  // namespace

std::vector<SourceLine> splitLines(std::u16string_view source) {
  std::vector<SourceLine> lines;
  std::size_t start = 0;
  while (start < source.size()) {
    std::size_t end = start;
    while (end < source.size() && source[end] != u'\r' && source[end] != u'\n') ++end;
    if (end == source.size()) {
      lines.push_back({source.substr(start), {}, lines.size() + 1});
      break;
    }
    const std::size_t endLength =
        source[end] == u'\r' && end + 1 < source.size() && source[end + 1] == u'\n' ? 2 : 1;
    lines.push_back({source.substr(start, end - start), source.substr(end, endLength), lines.size() + 1});
    start = end + endLength;
  }
  return lines;
}

std::u16string_view trimmed(std::u16string_view text) {
  constexpr std::u16string_view blanks = u" \t\u3000";
  const std::size_t first = text.find_first_not_of(blanks);
  if (first == std::u16string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool startsWith(std::u16string_view text, std::u16string_view start) {
  return text.substr(0, start.size()) == start;
}

bool endsWith(std::u16string_view text, std::u16string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

std::u16string asAscii(std::u16string_view text) {
  std::u16string ascii(text);
  for (char16_t& c : ascii)
    if (c >= u'！' && c <= u'～') c = static_cast<char16_t>(c - u'！' + u'!');
  return ascii;
}

std::optional<int> readCount(std::u16string_view text) {
  if (text.empty() || text.size() > 4) return std::nullopt;
  const std::u16string ascii = asAscii(text);
  int value = 0;
  if (ascii.find_first_not_of(u"0123456789") == std::u16string::npos) {
    for (char16_t c : ascii) value = value * 10 + (c - u'0');
    return value;
  }
  const std::size_t ten = text.find(u'十');
  if (ten == std::u16string_view::npos) {
    for (char16_t c : text) {
      const int digit = kanjiDigit(c);
      if (digit < 0) return std::nullopt;
      value = value * 10 + digit;
    }
    return value;
  }
  const std::u16string_view tens = text.substr(0, ten);
  const std::u16string_view ones = text.substr(ten + 1);
  if (tens.size() > 1 || ones.size() > 1) return std::nullopt;
  const int t = tens.empty() ? 1 : kanjiDigit(tens.front());
  const int o = ones.empty() ? 0 : kanjiDigit(ones.front());
  if (t < 0 || o < 0) return std::nullopt;
  return t * 10 + o;
}

BaseClass baseClass(char16_t c) {
  if ((c >= u'\u4E00' && c <= u'\u9FFF') || (c >= u'\u3400' && c <= u'\u4DBF') ||
      (c >= u'\uF900' && c <= u'\uFAFF') || c == u'々' || c == u'〆' || c == u'〇' || c == u'ヶ' ||
      c == u'仝' || isHighSurrogate(c) || isLowSurrogate(c))
    return BaseClass::kanji;
  if (c >= u'\u3041' && c <= u'\u309F') return BaseClass::hiragana;
  if (c >= u'\u30A1' && c <= u'\u30FA') return BaseClass::katakana;
  if (c == u'ー') return BaseClass::katakana;
  if ((c >= u'０' && c <= u'９') || (c >= u'Ａ' && c <= u'Ｚ') || (c >= u'ａ' && c <= u'ｚ'))
    return BaseClass::fullWidthLatin;
  if ((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'))
    return BaseClass::latin;
  return BaseClass::none;
}

}  // namespace zelvato::aozora
