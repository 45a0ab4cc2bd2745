#pragma once

#include <cstddef>
#include <functional>
#include <optional>

#include "document/document.h"
#include "typeset/book/book_format.h"
#include "typeset/book/book_layout.h"
#include "typeset/book/line_items.h"

namespace zelvato::book {

// Told the source code units set so far after each paragraph; false stops the run.
using BookProgress = std::function<bool(std::size_t sourceDone)>;

// Sets the document as a book of the format: the title page (扉) and the table
// of contents when the format asks for them, the body on the following odd
// page, each chapter (the text's highest headings) where the format begins
// chapters, headings on lines of their own (別行見出し) in the middle of the
// lines they take, the text's page breaks (改ページ to the next page, 改丁 to
// the next odd page, 改見開き to the next even one), pages centred left to
// right, indents and text set to the foot, then the colophon (奥付) on a last
// even page; each body page with its page number and running head where the
// format places them. Nothing when `progress` stops it.
std::optional<BookLayout> composeBook(const Document& document, const BookFormat& format,
                                      const GlyphMetrics& metrics, const BookProgress& progress = {});

}  // namespace zelvato::book
