#pragma once

// What the composer's tests share: paragraphs read from Aozora Bunko
// notation, a format of a chosen line length, and lines set by it.

#include <string>
#include <string_view>
#include <vector>

#include "read/aozora/aozora_notation.h"
#include "text/unicode_text.h"
#include "typeset/book/book_format.h"
#include "typeset/book/paragraph_setter.h"

namespace zelvato::book::test {

inline Paragraph aozoraParagraph(std::string_view notation) {
  const Document document = readAozoraText(utf8ToUtf16(notation));
  return document.paragraphs.empty() ? Paragraph{} : document.paragraphs.front();
}

inline ItemizedParagraph itemsOf(std::string_view notation, const ItemizeOptions& options = {}) {
  static const EstimatedMetrics metrics;
  return itemizeParagraph(aozoraParagraph(notation), options, metrics);
}

inline BookFormat formatOf(int chars, const BreakOptions& breaking = {}) {
  BookFormat format = bookPreset(BookPreset::bunko);
  format.chars = chars;
  format.fontSize = 10;  // one em is ten points
  format.breaking = breaking;
  return format;
}

inline std::vector<BookLine> linesOf(std::string_view notation, int chars,
                                     const BreakOptions& breaking = {}) {
  static const EstimatedMetrics metrics;
  const BookFormat format = formatOf(chars, breaking);
  const ParagraphSetter setter(format, metrics);
  return setter.set(aozoraParagraph(notation), {1, static_cast<float>(chars), 0, 0, Alignment::justified});
}

inline std::vector<std::string> textsOf(const std::vector<BookLine>& lines) {
  std::vector<std::string> texts;
  for (const BookLine& line : lines) texts.push_back(utf16ToUtf8(line.text));
  return texts;
}

inline std::string utf8(std::u16string_view text) {
  return utf16ToUtf8(text);
}

}  // namespace zelvato::book::test
