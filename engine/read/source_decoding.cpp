#include "read/source_decoding.h"

#include <uchardet.h>

#include "io/file_system.h"
#include "text/codepage.h"
#include "text/unicode_text.h"

namespace zelvato {
namespace {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view s) {
  std::size_t i = 0;
  const auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  while (i < s.size()) {
    const unsigned char b = at(i);
    if (b < 0x80) {
      ++i;
      continue;
    }
    std::size_t extra;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
      extra = 1;
    } else if (b >= 0xE0 && b <= 0xEF) {
      extra = 2;
      if (b == 0xE0) low = 0xA0;
      if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      extra = 3;
      if (b == 0xF0) low = 0x90;
      if (b == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (i + extra >= s.size()) return false;
    if (at(i + 1) < low || at(i + 1) > high) return false;
    for (std::size_t k = 2; k <= extra; ++k)
      if ((at(i + k) & 0xC0) != 0x80) return false;
    i += extra + 1;
  }
  return true;
}

// Unpaired surrogates and values beyond U+10FFFF become U+FFFD, as do the
// bytes of a last character cut short.
void appendScalarOrReplacement(std::u16string& out, char32_t cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    out.push_back(u'\uFFFD');
  } else if (cp >= 0x10000) {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  } else {
    out.push_back(static_cast<char16_t>(cp));
  }
}

std::u16string decodeUtf16(std::string_view bytes, bool bigEndian) {
  std::u16string out;
  out.reserve(bytes.size() / 2 + 1);
  const auto unit = [&](std::size_t at) -> char16_t {
    const auto a = static_cast<unsigned char>(bytes[at]), b = static_cast<unsigned char>(bytes[at + 1]);
    return static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
  };
  std::size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    const char16_t c = unit(i);
    if (isHighSurrogate(c) && i + 3 < bytes.size() && isLowSurrogate(unit(i + 2))) {
      out.push_back(c);
      out.push_back(unit(i + 2));
      i += 2;
    } else {
      out.push_back(isHighSurrogate(c) || isLowSurrogate(c) ? u'\uFFFD' : c);
    }
  }
  if (i < bytes.size()) out.push_back(u'\uFFFD');
  return out;
}

std::u16string decodeUtf32(std::string_view bytes, bool bigEndian) {
  std::u16string out;
  out.reserve(bytes.size() / 4 + 1);
  std::size_t i = 0;
  for (; i + 3 < bytes.size(); i += 4) {
    char32_t cp = 0;
    for (int k = 0; k < 4; ++k) {
      const auto b = static_cast<unsigned char>(bytes[i + (bigEndian ? k : 3 - k)]);
      cp = (cp << 8) | b;
    }
    appendScalarOrReplacement(out, cp);
  }
  if (i < bytes.size()) out.push_back(u'\uFFFD');
  return out;
}

// Bytes that are not valid UTF-8 are still UTF-8 when the detector does not
// take them for a Japanese code page and the valid non-ASCII characters
// outnumber the bad bytes four to one: on a few bytes the detector guesses
// (it calls code page 932 half-width katakana UTF-8), so it alone does not decide.
bool detectedAsUtf8(std::string_view bytes) {
  std::string charset;
  if (uchardet_t detector = uchardet_new()) {
    if (uchardet_handle_data(detector, bytes.data(), bytes.size()) == 0) {
      uchardet_data_end(detector);
      if (const char* name = uchardet_get_charset(detector)) charset = name;
    }
    uchardet_delete(detector);
  }
  if (charset == "SHIFT_JIS" || charset == "EUC-JP" || charset == "ISO-2022-JP") return false;
  std::size_t valid = 0, bad = 0;
  for (const char16_t c : pathToText(bytes)) {
    if (c >= 0xDC80 && c <= 0xDCFF)
      ++bad;
    else if (c >= 0x80 && !isLowSurrogate(c))
      ++valid;
  }
  return valid >= 4 * bad;
}

}  // namespace

std::optional<DecodedSource> readSourceFile(const std::string& path) {
  const std::optional<std::string> bytes = readTextFileBytes(path);
  if (!bytes) return std::nullopt;
  return decodeSource(*bytes);
}

std::u16string_view encodingName(SourceEncoding encoding) {
  switch (encoding) {
    case SourceEncoding::utf8:
      return u"UTF-8";
    case SourceEncoding::utf8Bom:
      return u"UTF-8 (BOM)";
    case SourceEncoding::utf16le:
      return u"UTF-16LE";
    case SourceEncoding::utf16be:
      return u"UTF-16BE";
    case SourceEncoding::utf32le:
      return u"UTF-32LE";
    case SourceEncoding::utf32be:
      return u"UTF-32BE";
    case SourceEncoding::cp932:
      break;
  }
  return u"Shift_JIS (CP932)";
}

DecodedSource decodeSource(std::string_view bytes) {
  DecodedSource decoded;
  std::u16string text;
  const auto marked = [&](std::string_view mark) {
    if (!bytes.starts_with(mark)) return false;
    bytes.remove_prefix(mark.size());
    return true;
  };
  // UTF-32LE before UTF-16LE: its mark begins with the other's.
  if (marked("\xEF\xBB\xBF")) {
    decoded.encoding = SourceEncoding::utf8Bom;
    text = utf8ToUtf16(bytes);  // the mark says UTF-8; malformed bytes become U+FFFD
  } else if (marked(std::string_view("\xFF\xFE\0\0", 4))) {
    decoded.encoding = SourceEncoding::utf32le;
    text = decodeUtf32(bytes, false);
  } else if (marked(std::string_view("\0\0\xFE\xFF", 4))) {
    decoded.encoding = SourceEncoding::utf32be;
    text = decodeUtf32(bytes, true);
  } else if (marked("\xFF\xFE")) {
    decoded.encoding = SourceEncoding::utf16le;
    text = decodeUtf16(bytes, false);
  } else if (marked("\xFE\xFF")) {
    decoded.encoding = SourceEncoding::utf16be;
    text = decodeUtf16(bytes, true);
  } else if (isValidUtf8(bytes) || detectedAsUtf8(bytes)) {
    decoded.encoding = SourceEncoding::utf8;
    text = utf8ToUtf16(bytes);
  } else {
    decoded.encoding = SourceEncoding::cp932;
    text = decodeCp932(bytes);
    decoded.cp932Forms = cp932FormsUsed(bytes);
  }
  std::vector<std::u16string>& lines = decoded.lines;
  std::size_t start = 0;
  std::size_t i = 0;
  std::size_t crlf = 0, lf = 0, cr = 0;
  while (i < text.size()) {
    if (text[i] == u'\r' || text[i] == u'\n') {
      lines.emplace_back(text, start, i - start);
      const bool pair = text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n';
      ++(pair ? crlf : text[i] == u'\n' ? lf : cr);
      i += pair ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.emplace_back(text, start, text.size() - start);
  decoded.finalLineBreak = !text.empty() && start == text.size();
  if (lf > crlf && lf >= cr)
    decoded.lineEnd = LineEnd::lf;
  else if (cr > crlf && cr > lf)
    decoded.lineEnd = LineEnd::cr;
  return decoded;
}

}  // namespace zelvato
