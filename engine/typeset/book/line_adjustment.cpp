#include "typeset/book/line_adjustment.h"

#include <algorithm>

namespace zelvato::book {
namespace {

constexpr float tolerance = 1e-4F;
constexpr float westernWidening = 0.25F;

// Takes `need` from the spaces before items [from, to) of one squeeze level,
// each in proportion to what it may lose; returns what is still needed.
// `change` holds what each item's space changes by, from item `base` on.
float squeezeLevel(const std::vector<Item>& items, std::uint32_t base, std::uint32_t from, std::uint32_t to,
                   Squeeze level, float need, std::vector<float>& change) {
  float available = 0;
  for (std::uint32_t k = from; k < to; ++k)
    if (items[k].gap.squeeze == level) available += items[k].gap.shrink;
  if (available <= tolerance || need <= 0) return need;
  const float share = std::min(1.0F, need / available);
  for (std::uint32_t k = from; k < to; ++k)
    if (items[k].gap.squeeze == level) change[k - base] -= items[k].gap.shrink * share;
  return need - available * share;
}

}  // namespace

AdjustedLine adjustLine(const ItemizedParagraph& paragraph, const LineMeasure& measure,
                        const LineRange& range, float length, Alignment alignment) {
  const std::vector<Item>& items = paragraph.items;
  AdjustedLine line;
  line.range = range;
  const std::uint32_t count = range.end - range.first;
  // The items within the line's length: all but a hanging one.
  const std::uint32_t inner = range.hangs ? range.end - 1 : range.end;
  const std::uint32_t last = inner - 1;
  // What each item's space before it changes by (index 0: the line's head).
  std::vector<float> change(count, 0);
  const float tail = range.hangs ? 0 : measure.tail(last);
  const float natural = measure.natural(range.first, inner) - (range.hangs ? measure.tail(last) : 0);
  float endSpace = range.hangs ? 0 : measure.endSpace(last);
  float delta = length - natural;
  if (delta < -tolerance) {
    float need = -delta;
    const float fromEnd = std::min(need, endSpace);
    endSpace -= fromEnd;
    need -= fromEnd;
    for (const Squeeze level : {Squeeze::western, Squeeze::middleDot, Squeeze::punctuation})
      need = squeezeLevel(items, range.first, range.first + 1, inner, level, need, change);
  } else if (delta > tolerance && alignment == Alignment::justified && !range.last) {
    std::uint32_t western = 0, spaced = 0;
    for (std::uint32_t k = range.first + 1; k <= last; ++k) {
      western += items[k].gap.western ? 1 : 0;
      spaced += items[k].gap.letterSpacing ? 1 : 0;
    }
    if (western > 0) {
      const float each =
          std::min(westernWidening * items[range.first].scale, delta / static_cast<float>(western));
      for (std::uint32_t k = range.first + 1; k <= last; ++k)
        if (items[k].gap.western) change[k - range.first] += each;
      delta -= each * static_cast<float>(western);
    }
    // Without a place that may be spaced, every space of the line takes its share.
    const bool anywhere = spaced == 0;
    const std::uint32_t places = anywhere ? last - range.first : spaced;
    if (places > 0 && delta > tolerance) {
      const float each = delta / static_cast<float>(places);
      for (std::uint32_t k = range.first + 1; k <= last; ++k)
        if (anywhere || items[k].gap.letterSpacing) change[k - range.first] += each;
    }
  }
  float offset = 0;
  if (alignment == Alignment::foot) offset = std::max(0.0F, length - natural);
  line.along.resize(count);
  float x = offset + measure.head(range.first);
  line.along[0] = x;
  for (std::uint32_t k = range.first + 1; k < range.end; ++k) {
    const Item& before = items[k - 1];
    const Item& item = items[k];
    x += before.advance + before.trail + item.gap.natural + change[k - range.first] + item.lead;
    line.along[k - range.first] = x;
  }
  const Item& end = items[last];
  line.end = line.along[last - range.first] + end.advance + end.trail +
             (range.hangs ? 0 : tail - measure.endSpace(last) + endSpace);
  return line;
}

}  // namespace zelvato::book
