#include "codepage.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <uchardet.h>
#include <unistd.h>

#include <array>
#include <bit>
#include <cerrno>
#include <cstdio>

#include "output_files.h"
#include "unicode_text.h"

namespace zelvato {
namespace {

constexpr const char* kCodePage = "WINDOWS-31J";
constexpr const char* kUtf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

// One pair of conversion descriptors per thread (a descriptor keeps state and
// must not be shared), opened on first use and kept for the thread's life.
class Converters {
 public:
  Converters() : toCp932_(iconv_open(kCodePage, kUtf16)), fromCp932_(iconv_open(kUtf16, kCodePage)) {}
  ~Converters() {
    if (toCp932_ != invalid()) iconv_close(toCp932_);
    if (fromCp932_ != invalid()) iconv_close(fromCp932_);
  }
  Converters(const Converters&) = delete;
  Converters& operator=(const Converters&) = delete;

  iconv_t toCp932() const { return toCp932_; }
  iconv_t fromCp932() const { return fromCp932_; }
  static iconv_t invalid() { return reinterpret_cast<iconv_t>(-1); }

  static Converters& forThisThread() {
    thread_local Converters converters;
    return converters;
  }

 private:
  iconv_t toCp932_;
  iconv_t fromCp932_;
};

// Byte length of every BMP character in the code page: 1, 2, or 0 when the code
// page cannot represent it. A character counts as representable only when some
// byte sequence decodes to it, so one-way "best fit" mappings (U+00A5 to 0x5C,
// U+301C to 0x8160) never turn one character silently into another.
using LengthTable = std::array<std::uint8_t, 0x10000>;

LengthTable buildLengthTable() {
  LengthTable table{};
  iconv_t cd = iconv_open(kUtf16, kCodePage);
  if (cd == Converters::invalid()) return table;
  const auto note = [&](std::string_view bytes, std::uint8_t length) {
    char16_t out[4];
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* outPtr = reinterpret_cast<char*>(out);
    std::size_t outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) return;
    const std::size_t units = (sizeof out - outLeft) / sizeof(char16_t);
    if (units == 1 && table[out[0]] == 0) table[out[0]] = length;
  };
  for (int b = 0; b < 0x100; ++b) {
    const char one = static_cast<char>(b);
    note(std::string_view(&one, 1), 1);
  }
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead >= 0xA0 && lead <= 0xDF) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      const char two[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      note(std::string_view(two, 2), 2);
    }
  }
  iconv_close(cd);
  return table;
}

const LengthTable& lengthTable() {
  static const LengthTable table = buildLengthTable();
  return table;
}

void appendCharacterReference(std::string& out, char32_t cp) {
  char buffer[16];
  const int n = std::snprintf(buffer, sizeof buffer, "&#x%X;", static_cast<unsigned>(cp));
  out.append(buffer, static_cast<std::size_t>(n));
}

// Converts a run of characters that are all representable in one iconv call.
void encodeRun(iconv_t cd, std::u16string_view run, std::string& out) {
  if (run.empty()) return;
  char* in = reinterpret_cast<char*>(const_cast<char16_t*>(run.data()));
  std::size_t inLeft = run.size() * sizeof(char16_t);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  while (inLeft > 0) {
    // Two bytes per code unit at most, plus room for a reference.
    const std::size_t used = out.size();
    out.resize(used + inLeft + 16);
    char* outPtr = out.data() + used;
    std::size_t outLeft = inLeft + 16;
    const std::size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.resize(static_cast<std::size_t>(outPtr - out.data()));
    if (result != static_cast<std::size_t>(-1) || inLeft == 0) break;
    if (errno == E2BIG) continue;
    // The table said the character maps; should iconv disagree, keep it as a reference.
    appendCharacterReference(out, *reinterpret_cast<const char16_t*>(in));
    in += sizeof(char16_t);
    inLeft -= sizeof(char16_t);
  }
}

bool isLeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
bool isTrailByte(unsigned char b) {
  return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

std::u16string decodeWith(iconv_t cd, std::string_view bytes) {
  std::u16string out(bytes.size(), u'\0');  // never more code units than bytes
  if (cd == Converters::invalid()) return std::u16string(bytes.size(), u'\uFFFD');
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  char* outPtr = reinterpret_cast<char*>(out.data());
  std::size_t outLeft = out.size() * sizeof(char16_t);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  while (inLeft > 0) {
    if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1)) break;
    if (errno != EILSEQ && errno != EINVAL) break;
    // An undecodable character becomes U+FFFD; a lead byte with a proper trail
    // byte is taken as one (unmapped) character, anything else as one byte.
    const auto b = static_cast<unsigned char>(in[0]);
    const std::size_t skip =
        (isLeadByte(b) && inLeft >= 2 && isTrailByte(static_cast<unsigned char>(in[1]))) ? 2 : 1;
    *reinterpret_cast<char16_t*>(outPtr) = u'\uFFFD';
    outPtr += sizeof(char16_t);
    outLeft -= sizeof(char16_t);
    in += skip;
    inLeft -= skip;
  }
  out.resize(static_cast<std::size_t>(outPtr - reinterpret_cast<char*>(out.data())) / sizeof(char16_t));
  return out;
}

// A symbolic link at the path is refused, never written through. On failure
// errno tells why.
bool writeFile(const std::string& path, int flags, std::string_view bytes) {
  if (path.empty()) {
    errno = ENOENT;
    return false;
  }
  const int fd = ::open(path.c_str(), flags | O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  const bool written = writeAll(fd, bytes);
  const int error = errno;
  const bool closed = ::close(fd) == 0;
  if (!written) errno = error;
  return written && closed;
}

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

std::string encodeCp932(std::u16string_view text) {
  const LengthTable& table = lengthTable();
  iconv_t cd = Converters::forThisThread().toCp932();
  std::string out;
  out.reserve(text.size() * 2);
  std::size_t runStart = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (table[c] != 0 && cd != Converters::invalid()) continue;
    encodeRun(cd, text.substr(runStart, i - runStart), out);
    char32_t cp = c;
    if (isHighSurrogate(c) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
      cp = 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    appendCharacterReference(out, cp);
    runStart = i + 1;
  }
  encodeRun(cd, text.substr(runStart), out);
  return out;
}

std::u16string decodeCp932(std::string_view bytes) {
  return decodeWith(Converters::forThisThread().fromCp932(), bytes);
}

std::int32_t cp932ByteLength(std::u16string_view text) {
  const LengthTable& table = lengthTable();
  std::int32_t length = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (table[c] != 0) {
      length += table[c];
      continue;
    }
    if (isHighSurrogate(c) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) ++i;
    length += 1;
  }
  return length;
}

bool createTextFile(const std::string& path) {
  return writeFile(path, O_TRUNC, {});
}

bool appendText(const std::string& path, std::u16string_view text) {
  return writeFile(path, O_APPEND, encodeCp932(text));
}

bool appendEncoded(const std::string& path, std::string_view cp932Bytes) {
  return writeFile(path, O_APPEND, cp932Bytes);
}

// Only ever removes a plain file (or a link): never a device or a folder.
bool deleteFile(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::lstat(path.c_str(), &st) != 0) return false;
  if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) return false;
  return ::unlink(path.c_str()) == 0;
}

bool fileExists(const std::string& path) {
  if (path.empty()) return false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    const int error = errno;
    errno = 0;  // leave no error state behind
    return error == EACCES || error == EPERM;
  }
  struct stat st {};
  const bool isFile = ::fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
  ::close(fd);
  errno = 0;
  return isFile;
}

SourceFileKind sourceFileKind(const std::string& path) {
  struct stat st {};
  if (path.empty()) return SourceFileKind::missing;
  if (::stat(path.c_str(), &st) != 0)
    return errno == ENOENT || errno == ENOTDIR ? SourceFileKind::missing : SourceFileKind::text;
  return S_ISREG(st.st_mode) || S_ISFIFO(st.st_mode) ? SourceFileKind::text : SourceFileKind::notText;
}

std::optional<DecodedSource> readSourceFile(const std::string& path) {
  if (path.empty()) return std::nullopt;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  // A folder or a device is no text: /dev/zero would be read for ever.
  if (::fstat(fd, &st) != 0 || !(S_ISREG(st.st_mode) || S_ISFIFO(st.st_mode))) {
    ::close(fd);
    return std::nullopt;
  }
  std::string bytes;
  if (S_ISREG(st.st_mode) && st.st_size > 0) bytes.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return std::nullopt;
    }
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return decodeSource(bytes);
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
  }
  std::vector<std::u16string>& lines = decoded.lines;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == u'\r' || text[i] == u'\n') {
      lines.emplace_back(text, start, i - start);
      i += (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.emplace_back(text, start, text.size() - start);
  return decoded;
}

}  // namespace zelvato
