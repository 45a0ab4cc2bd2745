#include "text/html_text.h"

#include "text/unicode_text.h"

namespace zelvato {
namespace {

std::u16string escape(std::u16string_view text, bool quotes) {
  std::u16string out;
  out.reserve(text.size());
  for (const char16_t c : text) {
    switch (c) {
      case u'&':
        out += u"&amp;";
        break;
      case u'<':
        out += u"&lt;";
        break;
      case u'>':
        out += u"&gt;";
        break;
      case u'"':
        if (quotes)
          out += u"&quot;";
        else
          out += c;
        break;
      case u'\'':
        if (quotes)
          out += u"&#39;";
        else
          out += c;
        break;
      default:
        out += isStrayControl(c) ? u'\uFFFD' : c;
        break;
    }
  }
  return out;
}

bool isUnreserved(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~';
}

}  // namespace

bool isStrayControl(char16_t c) {
  if (c == u'\t' || c == u'\r' || c == u'\n') return false;
  return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

std::u16string escapeText(std::u16string_view text) {
  return escape(text, false);
}

std::u16string escapeAttribute(std::u16string_view text) {
  return escape(text, true);
}

std::u16string linkPath(std::u16string_view fileName) {
  static constexpr char hex[] = "0123456789ABCDEF";
  std::u16string out;
  std::size_t i = 0;
  while (i < fileName.size()) {
    const char16_t c = fileName[i];
    // A valid non-ASCII character (a surrogate pair taken whole) stays text.
    const bool pair = isHighSurrogate(c) && i + 1 < fileName.size() && isLowSurrogate(fileName[i + 1]);
    if (c >= 0x80 && (pair || !(isHighSurrogate(c) || isLowSurrogate(c))) && !isStrayControl(c)) {
      out.append(fileName.substr(i, pair ? 2 : 1));
      i += pair ? 2 : 1;
      continue;
    }
    for (const char b : textToPath(fileName.substr(i, 1))) {
      if (isUnreserved(b)) {
        out += static_cast<char16_t>(b);
      } else {
        const auto u = static_cast<unsigned char>(b);
        out += u'%';
        out += static_cast<char16_t>(hex[u >> 4]);
        out += static_cast<char16_t>(hex[u & 0xF]);
      }
    }
    ++i;
  }
  return out;
}

}  // namespace zelvato
