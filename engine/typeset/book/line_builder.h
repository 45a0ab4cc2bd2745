#pragma once

#include "typeset/book/book_layout.h"
#include "typeset/book/line_adjustment.h"

namespace zelvato::book {

// The drawn form of an adjusted line set in `size` points: its text and one
// glyph per item (a word space keeps its text without a glyph), each ruby
// beside its base, an emphasis mark beside each marked character (never beside
// punctuation), and a side line under each stretch of lined text. The line's
// place on the page is left to the page.
BookLine buildLine(const ItemizedParagraph& paragraph, const AdjustedLine& line, float size);

}  // namespace zelvato::book
