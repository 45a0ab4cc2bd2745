#include "typeset/book/paragraph_setter.h"

#include <algorithm>

#include "typeset/book/ruby_layout.h"

namespace zelvato::book {

ParagraphSetter::ParagraphSetter(const BookFormat& format, const GlyphMetrics& metrics)
    : format_(format), metrics_(metrics) {
  itemizing_.uprightLatin = format.uprightLatin;
  itemizing_.rubyGrouping = format.rubyGrouping;
}

ItemizedParagraph ParagraphSetter::itemize(const Paragraph& paragraph, float scale) const {
  ItemizedParagraph items = itemizeParagraph(paragraph, itemizing_, metrics_, scale);
  fitRuby(items, itemizing_.rubyGrouping == RubyGrouping::jukugo);
  return items;
}

std::vector<BookLine> ParagraphSetter::set(const Paragraph& paragraph, const ParagraphShape& shape) const {
  return set(itemize(paragraph, shape.scale), shape);
}

std::vector<BookLine> ParagraphSetter::set(const ItemizedParagraph& items,
                                           const ParagraphShape& shape) const {
  std::vector<BookLine> lines;
  if (items.items.empty()) return lines;
  const float size = static_cast<float>(format_.fontSize);
  const float first = std::max(1.0F, shape.length - shape.firstIndent);
  const float rest = std::max(1.0F, shape.length - shape.restIndent);
  const LineMeasure measure(items, format_.breaking);
  const std::vector<LineRange> ranges = breakLines(items, format_.breaking, first, rest);
  lines.reserve(ranges.size());
  for (const LineRange& range : ranges) {
    const bool isFirst = range.first == 0;
    const float length = isFirst ? first : rest;
    const AdjustedLine adjusted = adjustLine(items, measure, range, length, shape.alignment);
    BookLine line = buildLine(items, adjusted, size);
    line.top = (isFirst ? shape.firstIndent : shape.restIndent) * size;
    line.length = length * size;
    line.justified = shape.alignment == Alignment::justified && !range.last;
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace zelvato::book
