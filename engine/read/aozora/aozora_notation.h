#pragma once

#include <string_view>

#include "document/document.h"

namespace zelvato {

// An Aozora Bunko text read into a document. Ruby 《…》 is kept with its base:
// everything after an explicit ｜ (or |), or else the run of one character
// class before it. Annotations ［＃…］ become what they say where the document
// can hold it (page breaks, indentation, emphasis of 傍点); gaiji ※［＃…］ with
// a code become the character they name; the others are counted as unread.
// The explanatory block between two lines of hyphens in the header is
// dropped. A line that held nothing but annotations leaves no empty line
// behind. Title and author come from the file's header (the first short block
// of lines). One pass over the text.
Document readAozoraText(std::u16string_view source);

// What the reading found, for --verbose: one line per kind of notation with the
// count read, the characters without a code by their description, and every
// annotation nothing reads by its text with its count.
std::u16string notationReport(const Document& document);

}  // namespace zelvato
