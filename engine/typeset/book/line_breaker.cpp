#include "typeset/book/line_breaker.h"

namespace zelvato::book {
namespace {

constexpr float tolerance = 1e-3F;

}  // namespace

LineMeasure::LineMeasure(const ItemizedParagraph& paragraph, const BreakOptions& options)
    : paragraph_(paragraph), options_(options) {
  const std::vector<Item>& items = paragraph.items;
  extent_.resize(items.size() + 1);
  squeeze_.resize(items.size() + 1);
  float extent = 0, squeeze = 0;
  for (std::size_t k = 0; k < items.size(); ++k) {
    extent_[k] = extent;
    squeeze_[k] = squeeze;
    const Item& item = items[k];
    extent += item.gap.natural + item.lead + item.advance + item.trail;
    squeeze += item.gap.shrink;
  }
  extent_[items.size()] = extent;
  squeeze_[items.size()] = squeeze;
}

float LineMeasure::head(std::uint32_t first) const {
  const Item& item = paragraph_.items[first];
  float head = item.lead;
  if (item.charClass == CharClass::openingBracket)
    head += (first == 0 ? options_.brackets.paragraphStart : options_.brackets.wrapped) * item.scale;
  if (item.ruby >= 0) {
    const RubyGroup& group = paragraph_.rubies[static_cast<std::size_t>(item.ruby)];
    if (group.firstItem == first) head += group.overhangBefore;
  }
  return head;
}

float LineMeasure::endSpace(std::uint32_t last) const {
  const Item& item = paragraph_.items[last];
  return lineEndSpace(item.charClass) * item.scale;
}

float LineMeasure::tail(std::uint32_t last) const {
  const Item& item = paragraph_.items[last];
  float tail = endSpace(last);
  if (item.ruby >= 0) {
    const RubyGroup& group = paragraph_.rubies[static_cast<std::size_t>(item.ruby)];
    if (group.endItem == last + 1) tail += group.overhangAfter;
  }
  // A word space that ends a line is no space.
  if (item.charClass == CharClass::westernSpace) tail -= item.gap.natural;
  return tail;
}

float LineMeasure::natural(std::uint32_t first, std::uint32_t end) const {
  const Item& head = paragraph_.items[first];
  return extent_[end] - extent_[first] - head.gap.natural - head.lead + this->head(first) + tail(end - 1);
}

float LineMeasure::shrink(std::uint32_t first, std::uint32_t end) const {
  float shrink = squeeze_[end] - squeeze_[first] - paragraph_.items[first].gap.shrink + endSpace(end - 1);
  const Item& last = paragraph_.items[end - 1];
  if (last.charClass == CharClass::westernSpace) shrink -= last.gap.shrink;
  return shrink;
}

bool LineMeasure::mayBreakBefore(std::uint32_t k) const {
  const Item& before = paragraph_.items[k - 1];
  const Item& after = paragraph_.items[k];
  if (before.joinsNext) return false;
  if (!mayEndLine(before.charClass) || !mayBeginLine(after.charClass, options_.strict)) return false;
  if (after.charClass == CharClass::westernSpace) return false;  // the space ends the line
  // —— and …… are read as one mark.
  if (before.charClass == CharClass::inseparable && after.charClass == CharClass::inseparable &&
      paragraph_.text[before.first] == paragraph_.text[after.first])
    return false;
  // A currency sign stays with its number, a unit or percent sign after it.
  const bool number = after.setting == Setting::across || after.charClass == CharClass::latin ||
                      (paragraph_.text[after.first] >= u'０' && paragraph_.text[after.first] <= u'９');
  if (before.charClass == CharClass::prefixedAbbreviation && number) return false;
  const bool numberBefore =
      before.setting == Setting::across || before.charClass == CharClass::latin ||
      (paragraph_.text[before.first] >= u'０' && paragraph_.text[before.first] <= u'９');
  return !(after.charClass == CharClass::postfixedAbbreviation && numberBefore);
}

std::vector<LineRange> breakLines(const ItemizedParagraph& paragraph, const BreakOptions& options,
                                  float firstLength, float restLength) {
  std::vector<LineRange> lines;
  const auto count = static_cast<std::uint32_t>(paragraph.items.size());
  if (count == 0) return lines;
  const LineMeasure measure(paragraph, options);
  std::uint32_t first = 0;
  while (first < count) {
    const float length = (lines.empty() ? firstLength : restLength) + tolerance;
    // The most items that fit at their natural length (at least one).
    std::uint32_t fit = first + 1;
    while (fit < count && measure.natural(first, fit + 1) <= length) ++fit;
    if (fit == count) {
      lines.push_back({first, count, false, true});
      break;
    }
    LineRange line{first, fit, false, false};
    if (!measure.mayBreakBefore(fit)) {
      const Item& next = paragraph.items[fit];
      std::uint32_t ahead = fit + 1;
      while (ahead < count && !measure.mayBreakBefore(ahead)) ++ahead;
      if (options.hanging && mayHang(next.charClass) && fit > first &&
          (fit + 1 == count || measure.mayBreakBefore(fit + 1))) {
        line = {first, fit + 1, true, fit + 1 == count};
      } else if (measure.natural(first, ahead) - measure.shrink(first, ahead) <= length) {
        line = {first, ahead, false, ahead == count};  // 追い込み
      } else {
        std::uint32_t back = fit;
        while (back > first + 1 && !measure.mayBreakBefore(back)) --back;
        // 追い出し; a line with no place to end at all ends where it is full.
        if (back > first + 1 || (back == first + 1 && measure.mayBreakBefore(back))) line.end = back;
      }
    }
    lines.push_back(line);
    first = line.end;
  }
  return lines;
}

}  // namespace zelvato::book
