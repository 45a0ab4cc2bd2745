#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/codepage.h"

namespace zelvato {

// How a source file's bytes were read.
enum class SourceEncoding { utf8, utf8Bom, utf16le, utf16be, utf32le, utf32be, cp932 };

// "UTF-8", "UTF-16LE", ..., "Shift_JIS (CP932)".
std::u16string_view encodingName(SourceEncoding encoding);

// The line break a file uses.
enum class LineEnd { crlf, lf, cr };

// What a text's file looks like beyond its characters, so that saving it
// gives back the same bytes.
struct SourceFormat {
  SourceEncoding encoding = SourceEncoding::cp932;
  // The line break of the file: the most frequent one (CR LF on a tie, or when
  // there is none).
  LineEnd lineEnd = LineEnd::crlf;
  // Code page 932 only: the second forms of characters the file used.
  Cp932Forms cp932Forms;
};

struct DecodedSource {
  std::vector<std::u16string> lines;  // without their line ends
  SourceEncoding encoding = SourceEncoding::utf8;
  LineEnd lineEnd = LineEnd::crlf;
  // The last line ends with a line break; an empty file has none.
  bool finalLineBreak = false;
  Cp932Forms cp932Forms;

  SourceFormat format() const { return {encoding, lineEnd, cp932Forms}; }
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
