#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelvato {

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

// A source text file read and decoded with decodeSource. Nothing when the file
// cannot be read or is not a text file.
std::optional<DecodedSource> readSourceFile(const std::string& path);

}  // namespace zelvato
