#pragma once

#include <string>
#include <string_view>

namespace zelvato {

// UTF-8 <-> UTF-16 for the command line, the tests and the file loader.
// Malformed input becomes U+FFFD; nothing throws.
std::u16string utf8ToUtf16(std::string_view utf8);
std::string utf16ToUtf8(std::u16string_view utf16);

// File names are bytes, and not every name is valid UTF-8. These two carry a
// name through the settings' UTF-16 fields unchanged: each byte of an invalid
// sequence stands as the lone code unit U+DC80..U+DCFF, which no valid text
// holds, and goes back to the same byte.
std::u16string pathToText(std::string_view native);
std::string textToPath(std::u16string_view text);

// Appends one code point (a valid scalar value) as one or two code units.
void appendCodePoint(std::u16string& text, char32_t c);

inline bool isHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
inline bool isLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

}  // namespace zelvato
