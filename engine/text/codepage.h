#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zelvato {

// Code page 932 with the Windows mapping (U+FF5E <-> 0x8160, U+2015 <-> 0x815C,
// U+FF0D <-> 0x817C, U+2225 <-> 0x8161, 〝/〟 <-> 0x8780/0x8781).

// A character the code page cannot represent is written as an HTML numeric
// character reference ("&#x20BB7;"), so nothing is lost and every browser shows it.
std::string encodeCp932(std::u16string_view text);

// Invalid or unmapped bytes become U+FFFD; never fails.
std::u16string decodeCp932(std::string_view bytes);

// The length of the text in code page 932 bytes: 2 for a full-width character,
// 1 for ASCII and half-width katakana; a character the code page cannot
// represent counts as the one-byte "?" that stands in for it.
std::int32_t cp932ByteLength(std::u16string_view text);

}  // namespace zelvato
