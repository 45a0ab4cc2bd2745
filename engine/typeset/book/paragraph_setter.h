#pragma once

#include <vector>

#include "typeset/book/book_format.h"
#include "typeset/book/line_adjustment.h"
#include "typeset/book/line_builder.h"

namespace zelvato::book {

// The shape of a paragraph's lines, in ems of the book's type size.
struct ParagraphShape {
  float scale = 1;        // the paragraph's size against the book's (a heading's larger)
  float length = 0;       // the line
  float firstIndent = 0;  // space above the first line's text
  float restIndent = 0;   // and above every other line's
  Alignment alignment = Alignment::justified;
};

// Sets paragraphs into lines of the book's format: itemized, broken and
// adjusted, each line ready for its place on a page (its `top` the indent,
// from the head of the text block's column).
class ParagraphSetter {
 public:
  ParagraphSetter(const BookFormat& format, const GlyphMetrics& metrics);

  std::vector<BookLine> set(const Paragraph& paragraph, const ParagraphShape& shape) const;
  // The items of a paragraph as this setter makes them.
  ItemizedParagraph itemize(const Paragraph& paragraph, float scale) const;
  std::vector<BookLine> set(const ItemizedParagraph& items, const ParagraphShape& shape) const;

 private:
  const BookFormat& format_;
  const GlyphMetrics& metrics_;
  ItemizeOptions itemizing_;
};

}  // namespace zelvato::book
