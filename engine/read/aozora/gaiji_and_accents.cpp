#include "read/aozora/gaiji_and_accents.h"

#include "read/aozora/aozora_scanner.h"
#include "text/jis_x0213.h"
#include "text/unicode_text.h"

namespace zelvato::aozora {
namespace {

bool isDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

// The digits at `at`, advancing it; -1 when there are none or too many.
int readNumber(std::u16string_view text, std::size_t& at, std::size_t maxDigits) {
  int value = 0;
  std::size_t count = 0;
  while (at < text.size() && isDigit(text[at])) {
    if (++count > maxDigits) return -1;
    value = value * 10 + (text[at++] - u'0');
  }
  return count == 0 ? -1 : value;
}

// Latin letters written with the accent after them inside 〔〕, as the composed
// letters: ` ' ^ ~ : & , / _ and the ligatures AE& ae& OE& oe&. Empty when the
// text between the brackets is not accent notation (ordinary 〔〕 stay).
struct AccentTable {
  char16_t mark;
  std::u16string_view bases;
  std::u16string_view composed;
};
constexpr AccentTable accentTables[] = {
    {u'`', u"aeiouAEIOU", u"àèìòùÀÈÌÒÙ"},
    {u'\'', u"aeiouyAEIOUYcnszCNSZ", u"áéíóúýÁÉÍÓÚÝćńśźĆŃŚŹ"},
    {u'^', u"aeiouAEIOU", u"âêîôûÂÊÎÔÛ"},
    {u'~', u"anoANO", u"ãñõÃÑÕ"},
    {u':', u"aeiouyAEIOUY", u"äëïöüÿÄËÏÖÜŸ"},
    {u'&', u"aAuUs", u"åÅůŮß"},
    {u',', u"cCsS", u"çÇşŞ"},
    {u'/', u"oOlLdD", u"øØłŁđĐ"},
    {u'_', u"aeiouAEIOU", u"āēīōūĀĒĪŌŪ"},
};

std::u16string composedAccents(std::u16string_view inner) {
  std::u16string out;
  bool accent = false;
  for (std::size_t k = 0; k < inner.size(); ++k) {
    const char16_t c = inner[k];
    if (c >= 0x80) return {};
    if (k + 2 < inner.size() && inner[k + 2] == u'&' &&
        (inner.substr(k, 2) == u"AE" || inner.substr(k, 2) == u"ae" || inner.substr(k, 2) == u"OE" ||
         inner.substr(k, 2) == u"oe")) {
      out += inner[k] == u'A' ? u'Æ' : inner[k] == u'a' ? u'æ' : inner[k] == u'O' ? u'Œ' : u'œ';
      accent = true;
      k += 2;
      continue;
    }
    if (k + 1 < inner.size()) {
      bool composed = false;
      for (const AccentTable& table : accentTables) {
        if (inner[k + 1] != table.mark) continue;
        const std::size_t at = table.bases.find(c);
        if (at == std::u16string_view::npos) break;
        out += table.composed[at];
        composed = true;
      }
      if (composed) {
        accent = true;
        ++k;
        continue;
      }
    }
    out += c;
  }
  return accent ? out : std::u16string{};
}

}  // namespace

std::u16string gaijiCharacter(std::u16string_view body) {
  const std::u16string text = asAscii(body);
  if (const std::size_t u = text.find(u"U+"); u != std::u16string::npos) {
    char32_t value = 0;
    std::size_t at = u + 2, count = 0;
    for (; at < text.size() && count < 6; ++at, ++count) {
      const char16_t c = text[at];
      const int digit = isDigit(c)                 ? c - u'0'
                        : (c >= u'A' && c <= u'F') ? c - u'A' + 10
                        : (c >= u'a' && c <= u'f') ? c - u'a' + 10
                                                   : -1;
      if (digit < 0) break;
      value = value * 16 + static_cast<char32_t>(digit);
    }
    if (count >= 4 && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF)) {
      std::u16string character;
      appendCodePoint(character, value);
      return character;
    }
  }
  for (std::size_t start = 0; start < text.size(); ++start) {
    if ((text[start] != u'1' && text[start] != u'2') || (start > 0 && isDigit(text[start - 1]))) continue;
    std::size_t at = start;
    const int plane = readNumber(text, at, 1);
    if (plane < 0 || at >= text.size() || text[at++] != u'-') continue;
    const int row = readNumber(text, at, 2);
    if (row < 0 || at >= text.size() || text[at++] != u'-') continue;
    const int cell = readNumber(text, at, 2);
    if (cell < 0 || (at < text.size() && isDigit(text[at]))) continue;
    return jisX0213Character(plane, row, cell);
  }
  return {};
}

std::u16string withAccents(std::u16string_view text, std::size_t& composedCount) {
  std::u16string out;
  std::size_t from = 0;
  for (std::size_t open = text.find(u'〔'); open != std::u16string_view::npos;) {
    const std::size_t close = text.find(u'〕', open + 1);
    if (close == std::u16string_view::npos) break;
    const std::u16string composed = composedAccents(text.substr(open + 1, close - open - 1));
    if (!composed.empty()) {
      out += text.substr(from, open - from);
      out += composed;
      from = close + 1;
      ++composedCount;
    }
    open = text.find(u'〔', close + 1);
  }
  if (from == 0) return std::u16string(text);
  out += text.substr(from);
  return out;
}

std::u16string_view gaijiDescription(std::u16string_view body) {
  const std::size_t comma = body.rfind(u'、');
  if (comma == std::u16string_view::npos) return body;
  const std::u16string reference = asAscii(body.substr(comma + 1));
  if (!reference.empty() && reference.find_first_not_of(u"0123456789-") == std::u16string::npos)
    return body.substr(0, comma);
  return body;
}

std::u16string resolvedTarget(std::u16string_view marked) {
  std::u16string out;
  for (std::size_t k = 0; k < marked.size();) {
    const char16_t c = marked[k];
    if (c == u'《') {
      const std::size_t close = marked.find(u'》', k + 1);
      if (close != std::u16string_view::npos) {
        k = close + 1;
        continue;
      }
    }
    const bool gaiji = c == u'※' && marked.substr(k + 1, annotationStart.size()) == annotationStart;
    if (gaiji || marked.substr(k, annotationStart.size()) == annotationStart) {
      std::size_t depth = 0, end = gaiji ? k + 1 : k;
      for (; end < marked.size(); ++end) {
        if (marked[end] == u'［') ++depth;
        if (marked[end] == annotationEnd && --depth == 0) break;
      }
      if (end < marked.size() && !gaiji) {
        // Another annotation inside (a 斜体 in a caption) leaves its text as it is.
        k = end + 1;
        continue;
      }
      if (end < marked.size()) {
        const std::u16string_view body = marked.substr(k + 3, end - k - 3);
        const std::u16string character = gaijiCharacter(body);
        out += character.empty() ? std::u16string(1, gaijiMark) : character;
        k = end + 1;
        continue;
      }
    }
    out += c;
    ++k;
  }
  if (out.find(u'〔') == std::u16string::npos) return out;
  std::size_t composed = 0;
  return withAccents(out, composed);
}

}  // namespace zelvato::aozora
