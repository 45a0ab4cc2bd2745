#include "typeset/book/line_builder.h"

#include "typeset/book/ruby_layout.h"

namespace zelvato::book {
namespace {

char16_t emphasisMark(EmphasisKind kind) {
  switch (kind) {
    case EmphasisKind::sesame:
      return u'﹅';
    case EmphasisKind::whiteSesame:
      return u'﹆';
    case EmphasisKind::blackCircle:
      return u'●';
    case EmphasisKind::whiteCircle:
      return u'○';
    case EmphasisKind::blackTriangle:
      return u'▲';
    case EmphasisKind::whiteTriangle:
      return u'△';
    case EmphasisKind::doubleCircle:
      return u'◎';
    case EmphasisKind::bullseye:
      return u'◉';
    case EmphasisKind::cross:
      return u'×';
    case EmphasisKind::none:
      break;
  }
  return 0;
}

// Punctuation and spaces carry no emphasis mark.
bool takesEmphasis(const Item& item) {
  return item.setting != Setting::blank && !isHalfWidthPunctuation(item.charClass) &&
         item.charClass != CharClass::ideographicSpace && item.charClass != CharClass::inseparable;
}

// The centre of what stands beside the text, from the line's centre: the
// half of the text's em, then half of the ruby's.
float besideCentre(Side side, float textSize, float markSize) {
  const float offset = textSize / 2 + markSize / 2;
  return side == Side::right ? offset : -offset;
}

}  // namespace

BookLine buildLine(const ItemizedParagraph& paragraph, const AdjustedLine& line, float size) {
  const std::vector<Item>& items = paragraph.items;
  const LineRange& range = line.range;
  BookLine out;
  out.end = line.end * size;
  out.glyphs.reserve(range.end - range.first);
  out.text.reserve(range.end - range.first);
  const RunMarks* lined = nullptr;  // the marks of the side line being drawn
  for (std::uint32_t k = range.first; k < range.end; ++k) {
    const Item& item = items[k];
    const float along = line.along[k - range.first];
    const float itemSize = item.scale * size;
    const auto first = static_cast<std::uint32_t>(out.text.size());
    out.text.append(paragraph.text, item.first, item.length);
    if (item.setting != Setting::blank) {
      LineGlyph glyph;
      glyph.first = first;
      glyph.length = item.length;
      glyph.setting = item.setting;
      glyph.size = itemSize;
      const bool upright = item.setting == Setting::upright;
      glyph.along = (along - (upright ? bodyOffset(item.charClass) * item.scale : 0)) * size;
      glyph.extent = item.setting == Setting::rotated ? item.advance * size : itemSize;
      out.glyphs.push_back(glyph);
    }
    if (item.ruby >= 0) {
      const RubyGroup& group = paragraph.rubies[static_cast<std::size_t>(item.ruby)];
      if (group.firstItem == k && group.endItem <= range.end) {
        const Item& last = items[group.endItem - 1];
        const float baseEnd = line.along[group.endItem - 1 - range.first] + last.advance;
        const RubyPlacement placement = placeRuby(paragraph, group, along, baseEnd);
        const std::u16string_view ruby =
            std::u16string_view(paragraph.rubyText).substr(group.rubyFirst, group.rubyLength);
        float at = placement.start;
        for (std::size_t c = 0; c < ruby.size();) {
          const std::size_t units = c + 1 < ruby.size() && ruby[c] >= 0xD800 && ruby[c] <= 0xDBFF ? 2 : 1;
          LineGlyph glyph;
          glyph.first = static_cast<std::uint32_t>(out.notes.size());
          glyph.length = static_cast<std::uint16_t>(units);
          glyph.size = glyph.extent = placement.size * size;
          glyph.along = at * size;
          glyph.across = besideCentre(group.side, itemSize, glyph.size);
          out.notes.append(ruby.substr(c, units));
          out.noteGlyphs.push_back(glyph);
          at += placement.pitch;
          c += units;
        }
      }
    }
    const RunMarks& marks = paragraph.marks[item.marks];
    if (marks.emphasis != EmphasisKind::none && takesEmphasis(item)) {
      LineGlyph glyph;
      glyph.first = static_cast<std::uint32_t>(out.notes.size());
      glyph.mark = true;
      glyph.size = glyph.extent = paragraph.rubyScale * itemSize;
      glyph.along = (along + item.advance / 2) * size - glyph.size / 2;
      glyph.across = besideCentre(marks.emphasisSide, itemSize, glyph.size);
      out.notes += emphasisMark(marks.emphasis);
      out.noteGlyphs.push_back(glyph);
    }
    // Side lines: one per stretch of items with the same line.
    const bool hasLine = marks.line != LineKind::none && item.setting != Setting::blank;
    if (hasLine && lined != nullptr && lined->line == marks.line && lined->lineSide == marks.lineSide) {
      out.rules.back().to = (along + item.advance) * size;
    } else if (hasLine) {
      const float across = itemSize * 0.6F;
      out.rules.push_back({along * size, (along + item.advance) * size,
                           marks.lineSide == Side::right ? across : -across, marks.line});
    }
    lined = hasLine ? &marks : nullptr;
  }
  return out;
}

}  // namespace zelvato::book
