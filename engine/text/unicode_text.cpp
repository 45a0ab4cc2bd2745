#include "text/unicode_text.h"

namespace zelvato {

void appendCodePoint(std::u16string& text, char32_t c) {
  if (c >= 0x10000) {
    c -= 0x10000;
    text.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    text.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  } else {
    text.push_back(static_cast<char16_t>(c));
  }
}

namespace {

// Decodes UTF-8; `invalid` receives each malformed sequence (its bytes) and
// appends what stands for it.
template <typename OnInvalid>
std::u16string decodeUtf8(std::string_view utf8, OnInvalid invalid) {
  std::u16string out;
  out.reserve(utf8.size());
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(utf8[k]); };
  std::size_t i = 0;
  while (i < utf8.size()) {
    const unsigned char b = byte(i);
    char32_t cp = 0;
    std::size_t extra = 0;
    char32_t minimum = 0;
    if (b < 0x80) {
      cp = b;
    } else if ((b & 0xE0) == 0xC0) {
      cp = b & 0x1F, extra = 1, minimum = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
      cp = b & 0x0F, extra = 2, minimum = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
      cp = b & 0x07, extra = 3, minimum = 0x10000;
    } else {
      invalid(out, utf8.substr(i, 1));
      ++i;
      continue;
    }
    std::size_t k = 1;
    for (; k <= extra; ++k) {
      if (i + k >= utf8.size() || (byte(i + k) & 0xC0) != 0x80) break;
      cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (k <= extra || cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      invalid(out, utf8.substr(i, k));
      i += k;  // skip the lead byte and the continuation bytes that belonged to it
      continue;
    }
    i += extra + 1;
    appendCodePoint(out, cp);
  }
  return out;
}

template <typename OnLoneSurrogate>
std::string encodeUtf8(std::u16string_view utf16, OnLoneSurrogate lone) {
  std::string out;
  out.reserve(utf16.size() * 3);
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    char32_t cp = utf16[i];
    if (isHighSurrogate(utf16[i]) && i + 1 < utf16.size() && isLowSurrogate(utf16[i + 1])) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
      ++i;
    } else if (isHighSurrogate(utf16[i]) || isLowSurrogate(utf16[i])) {
      if (lone(out, utf16[i])) continue;
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

}  // namespace

std::u16string utf8ToUtf16(std::string_view utf8) {
  return decodeUtf8(utf8, [](std::u16string& out, std::string_view) { out.push_back(u'\uFFFD'); });
}

std::string utf16ToUtf8(std::u16string_view utf16) {
  return encodeUtf8(utf16, [](std::string&, char16_t) { return false; });
}

std::u16string pathToText(std::string_view native) {
  return decodeUtf8(native, [](std::u16string& out, std::string_view bytes) {
    for (const char b : bytes) out.push_back(static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(b)));
  });
}

std::string textToPath(std::u16string_view text) {
  return encodeUtf8(text, [](std::string& out, char16_t c) {
    if (c < 0xDC80 || c > 0xDCFF) return false;
    out.push_back(static_cast<char>(c - 0xDC00));
    return true;
  });
}

}  // namespace zelvato
