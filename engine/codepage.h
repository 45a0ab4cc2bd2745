#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// Text files in code page 932, CR LF line ends, no byte-order mark. Every call
// opens and closes the file within itself. Paths are UTF-8. None throws.
bool createTextFile(const std::string& path);                        // anew, empty
bool appendText(const std::string& path, std::u16string_view text);  // text already holds its CR LF
// Appends bytes already encoded with encodeCp932, so one text encoded once can go to several files.
bool appendEncoded(const std::string& path, std::string_view cp932Bytes);
bool deleteFile(const std::string& path);  // plain files only
// True when the file can be opened for reading, or when opening it fails only
// because access is denied; false for every other outcome.
bool fileExists(const std::string& path);

// How a source file's bytes were read.
enum class SourceEncoding { utf8, utf8Bom, utf16le, utf16be, utf32le, utf32be, cp932 };

// "UTF-8", "UTF-16LE", ..., "Shift_JIS (CP932)".
std::u16string_view encodingName(SourceEncoding encoding);

struct DecodedSource {
  std::vector<std::u16string> lines;  // without their line ends
  SourceEncoding encoding = SourceEncoding::utf8;
};

// The one decoding of source text, for the window's loader and the command
// line alike. A byte-order mark decides (UTF-8, UTF-16 and UTF-32 in either
// order); without one, valid UTF-8 is UTF-8, and otherwise a character-set
// detector chooses between UTF-8 and code page 932, so a UTF-8 text with a few
// bad bytes stays UTF-8 with U+FFFD for those bytes only. Lines end at CR LF,
// LF or a lone CR; the line ends are not part of the lines.
DecodedSource decodeSource(std::string_view bytes);

// What a path given as source names.
enum class SourceFileKind { missing, text, notText };
// A plain file (or a pipe) is text; a folder, a device or a socket is not.
SourceFileKind sourceFileKind(const std::string& path);

// A source text file read and decoded with decodeSource. Nothing when the file
// cannot be read or is not a text file.
std::optional<DecodedSource> readSourceFile(const std::string& path);

}  // namespace zelvato
