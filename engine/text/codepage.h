#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace zelvato {

// Code page 932 with the Windows mapping (U+FF5E <-> 0x8160, U+2015 <-> 0x815C,
// U+FF0D <-> 0x817C, U+2225 <-> 0x8161, 〝/〟 <-> 0x8780/0x8781).

// A character the code page cannot represent is written as an HTML numeric
// character reference ("&#x20BB7;"), so nothing is lost and every browser shows it.
std::string encodeCp932(std::u16string_view text);

// The code page gives some characters two or three codes (NEC's and IBM's
// kanji, NEC's row-13 symbols: 纊 ED40/FA5C, ≒ 8790/81E0, ￢ EEF9/FA54/81CA);
// the encoder writes one of them. The forms a text used in place of the
// encoder's, as the encoder's code -> the text's code, so that saving writes
// back what was read.
using Cp932Forms = std::map<std::uint16_t, std::uint16_t>;
// The forms of the bytes; where one character comes in two forms, the first wins.
Cp932Forms cp932FormsUsed(std::string_view bytes);
// encodeCp932, with each character of `forms` in the form given there.
std::string encodeCp932(std::u16string_view text, const Cp932Forms& forms);

// Invalid or unmapped bytes become U+FFFD; never fails.
std::u16string decodeCp932(std::string_view bytes);

// The length of the text in code page 932 bytes: 2 for a full-width character,
// 1 for ASCII and half-width katakana; a character the code page cannot
// represent counts as the one-byte "?" that stands in for it.
std::int32_t cp932ByteLength(std::u16string_view text);

}  // namespace zelvato
