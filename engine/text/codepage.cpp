#include "text/codepage.h"

#include <iconv.h>

#include <array>
#include <bit>
#include <cerrno>
#include <cstdio>

#include "text/unicode_text.h"

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

Cp932Forms cp932FormsUsed(std::string_view bytes) {
  Cp932Forms forms;
  // The codes already looked at, also those in the encoder's own form.
  std::map<std::uint16_t, bool> seen;
  for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (!isLeadByte(lead)) continue;
    const auto trail = static_cast<unsigned char>(bytes[i + 1]);
    ++i;
    // Only these rows hold a second form of a character.
    if (lead != 0x87 && lead != 0xED && lead != 0xEE && lead < 0xFA) continue;
    const auto code = static_cast<std::uint16_t>((lead << 8) | trail);
    if (!seen.emplace(code, true).second) continue;
    const std::u16string character = decodeCp932(bytes.substr(i - 1, 2));
    if (character.size() != 1 || character[0] == u'\uFFFD') continue;
    const std::string encoded = encodeCp932(character);
    if (encoded.size() != 2) continue;
    const auto own = static_cast<std::uint16_t>((static_cast<unsigned char>(encoded[0]) << 8) |
                                                static_cast<unsigned char>(encoded[1]));
    if (own != code) forms.emplace(own, code);
  }
  return forms;
}

std::string encodeCp932(std::u16string_view text, const Cp932Forms& forms) {
  std::string out = encodeCp932(text);
  if (forms.empty()) return out;
  for (std::size_t i = 0; i + 1 < out.size(); ++i) {
    const auto lead = static_cast<unsigned char>(out[i]);
    if (!isLeadByte(lead)) continue;
    const auto code = static_cast<std::uint16_t>((lead << 8) | static_cast<unsigned char>(out[i + 1]));
    if (const auto form = forms.find(code); form != forms.end()) {
      out[i] = static_cast<char>(form->second >> 8);
      out[i + 1] = static_cast<char>(form->second & 0xFF);
    }
    ++i;
  }
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

}  // namespace zelvato
