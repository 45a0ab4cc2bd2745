#include "read/aozora/gaiji_and_accents.h"

#include <vector>

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
// letters: ` ' ^ ~ : & , / _ and the ligatures AE& ae& OE& oe&.
struct AccentTable {
  char16_t mark;
  std::u16string_view bases;
  std::u16string_view composed;
};
constexpr AccentTable accentTables[] = {
    {u'`', u"aeiouAEIOU", u"àèìòùÀÈÌÒÙ"},
    {u'\'', u"aeiouyAEIOUYcnszrCNSZR", u"áéíóúýÁÉÍÓÚÝćńśźŕĆŃŚŹŔ"},
    {u'^', u"aeiouycghjswAEIOUYCGHJSW", u"âêîôûŷĉĝĥĵŝŵÂÊÎÔÛŶĈĜĤĴŜŴ"},
    {u'~', u"anoiuANOIU", u"ãñõĩũÃÑÕĨŨ"},
    {u':', u"aeiouyAEIOUY", u"äëïöüÿÄËÏÖÜŸ"},
    {u'&', u"aAuUs", u"åÅůŮß"},
    {u',', u"cCsStT", u"çÇşŞţŢ"},
    {u'/', u"oOlL", u"øØłŁ"},
    {u'_', u"aeiouAEIOU", u"āēīōūĀĒĪŌŪ"},
};

bool isAsciiLetter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// An apostrophe after a consonant and before a vowel is the elision of French
// and English (c'est, n'est, don't), not an acute accent.
bool isElision(std::u16string_view inner, std::size_t k) {
  if (inner[k + 1] != u'\'' || k + 2 >= inner.size()) return false;
  constexpr std::u16string_view vowels = u"aeiouyhAEIOUYH";
  return std::u16string_view(u"aeiouyAEIOUY").find(inner[k]) == std::u16string_view::npos &&
         vowels.find(inner[k + 2]) != std::u16string_view::npos;
}

// The letter at k with the mark after it composed; 0 when the two are no accent notation.
char16_t composedLetter(std::u16string_view inner, std::size_t k) {
  if (k + 1 >= inner.size() || !isAsciiLetter(inner[k]) || isElision(inner, k)) return 0;
  // A comma between words or ending the text punctuates it (vin, de / zweiet,), as a
  // colon before a blank does (Note: this).
  const char16_t mark = inner[k + 1];
  const bool last = k + 2 >= inner.size();
  const char16_t after = last ? u'a' : inner[k + 2];
  if ((mark == u',' && (last || !isAsciiLetter(after))) ||
      (mark == u':' && (after == u' ' || after == u'\u3000')))
    return 0;
  for (const AccentTable& table : accentTables) {
    if (inner[k + 1] != table.mark) continue;
    const std::size_t at = table.bases.find(inner[k]);
    return at == std::u16string_view::npos ? char16_t{0} : table.composed[at];
  }
  return 0;
}

// Where the annotation that begins at `at` ends (after its ］, nested ones
// included); npos when `at` begins none or nothing closes it.
std::size_t afterAnnotation(std::u16string_view text, std::size_t at) {
  if (text.substr(at, annotationStart.size()) != annotationStart) return std::u16string_view::npos;
  std::size_t depth = 0;
  for (std::size_t k = at; k < text.size(); ++k) {
    if (text[k] == u'［') ++depth;
    if (text[k] == annotationEnd && --depth == 0) return k + 1;
  }
  return std::u16string_view::npos;
}

// The 〕 that closes the 〔 at `open`: a 〕 quoted inside an annotation closes nothing.
std::size_t accentClose(std::u16string_view text, std::size_t open) {
  for (std::size_t k = open + 1; k < text.size(); ++k) {
    if (const std::size_t after = afterAnnotation(text, k); after != std::u16string_view::npos)
      k = after - 1;
    else if (text[k] == u'〕')
      return k;
  }
  return std::u16string_view::npos;
}

// The text between 〔 and 〕 with every letter and mark after it composed;
// empty when it holds no accent notation (an ordinary 〔〕 stays as it is).
// `origins`, when given, receives where each character out came from in `inner`.
std::u16string composedAccents(std::u16string_view inner, std::vector<std::size_t>* origins) {
  std::u16string out;
  bool accent = false;
  for (std::size_t k = 0; k < inner.size(); ++k) {
    // An annotation inside is notation, read as it is written.
    if (const std::size_t after = afterAnnotation(inner, k); after != std::u16string_view::npos) {
      for (; k < after; ++k) {
        if (origins != nullptr) origins->push_back(k);
        out += inner[k];
      }
      --k;
      continue;
    }
    if (origins != nullptr) origins->push_back(k);
    const char16_t c = inner[k];
    if (k + 2 < inner.size() && inner[k + 2] == u'&' &&
        (inner.substr(k, 2) == u"AE" || inner.substr(k, 2) == u"ae" || inner.substr(k, 2) == u"OE" ||
         inner.substr(k, 2) == u"oe")) {
      out += inner[k] == u'A' ? u'Æ' : inner[k] == u'a' ? u'æ' : inner[k] == u'O' ? u'Œ' : u'œ';
      accent = true;
      k += 2;
      continue;
    }
    if (const char16_t composed = composedLetter(inner, k); composed != 0) {
      out += composed;
      accent = true;
      ++k;
      continue;
    }
    out += c;
  }
  if (!accent && origins != nullptr) origins->clear();
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

std::u16string withAccents(std::u16string_view text, std::size_t& composedCount,
                           std::vector<std::size_t>* origins) {
  std::u16string out;
  std::size_t from = 0;
  std::vector<std::size_t> inner;
  const auto copy = [&](std::size_t start, std::size_t end) {
    out += text.substr(start, end - start);
    if (origins != nullptr)
      for (std::size_t k = start; k < end; ++k) origins->push_back(k);
  };
  for (std::size_t open = text.find(u'〔'); open != std::u16string_view::npos;) {
    const std::size_t close = accentClose(text, open);
    if (close == std::u16string_view::npos) break;
    inner.clear();
    const std::u16string composed =
        composedAccents(text.substr(open + 1, close - open - 1), origins != nullptr ? &inner : nullptr);
    if (!composed.empty()) {
      copy(from, open);
      out += composed;
      for (const std::size_t k : inner) origins->push_back(open + 1 + k);
      from = close + 1;
      ++composedCount;
    }
    open = text.find(u'〔', close + 1);
  }
  if (from == 0) {
    if (origins != nullptr) origins->clear();
    return std::u16string(text);
  }
  copy(from, text.size());
  return out;
}

std::u16string withIterationMarks(std::u16string_view text) {
  std::u16string out;
  std::size_t from = 0;
  for (std::size_t at = text.find(u'／'); at != std::u16string_view::npos; at = text.find(u'／', at + 1)) {
    const bool voiced =
        at + 2 < text.size() && (text[at + 1] == u'″' || text[at + 1] == u'゛') && text[at + 2] == u'＼';
    if (!voiced && (at + 1 >= text.size() || text[at + 1] != u'＼')) continue;
    out.append(text.substr(from, at - from));
    out += voiced ? u"〴〵" : u"〳〵";
    from = at + (voiced ? 3 : 2);
    at = from - 1;
  }
  if (from == 0) return std::u16string(text);
  out.append(text.substr(from));
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

std::u16string nestedText(std::u16string_view marked, Nested as) {
  std::u16string out;
  for (std::size_t k = 0; k < marked.size();) {
    const char16_t c = marked[k];
    if (c == rubyStart) {
      const std::size_t close = marked.find(rubyEnd, k + 1);
      if (close != std::u16string_view::npos) {
        k = close + 1;
        continue;
      }
    }
    if ((c == u'｜' || c == u'|') && marked.find(rubyStart, k + 1) != std::u16string_view::npos) {
      ++k;
      continue;
    }
    const bool gaiji = c == gaijiMark && marked.substr(k + 1, annotationStart.size()) == annotationStart;
    if (gaiji || marked.substr(k, annotationStart.size()) == annotationStart) {
      std::size_t depth = 0, end = gaiji ? k + 1 : k;
      for (; end < marked.size(); ++end) {
        if (marked[end] == u'［') ++depth;
        if (marked[end] == annotationEnd && --depth == 0) break;
      }
      // One that no ］ closes runs to the end of the text it stands in, as a
      // line ends one, rather than showing its notation.
      if (!gaiji) {
        // Another annotation inside (a 斜体 in a caption) leaves its text as it is.
        k = end + 1;
        continue;
      }
      const std::u16string_view body = marked.substr(k + 3, end - k - 3);
      const std::u16string character = gaijiCharacter(body);
      if (!character.empty())
        out += character;
      else if (as == Nested::target)
        out += gaijiMark;  // the ※ that stands for a description
      else
        out += u"※（" + nestedText(gaijiDescription(body), as) + u"）";
      k = end + 1;
      continue;
    }
    out += c;
    ++k;
  }
  if (out.find(u'／') != std::u16string::npos) out = withIterationMarks(out);
  if (out.find(u'〔') == std::u16string::npos) return out;
  std::size_t composed = 0;
  return withAccents(out, composed);
}

std::u16string resolvedTarget(std::u16string_view marked) {
  return nestedText(marked, Nested::target);
}

}  // namespace zelvato::aozora
