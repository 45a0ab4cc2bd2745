#include "write/manuscript/manuscript_sheet.h"

#include <algorithm>

namespace zelvato::manuscript {
namespace {

// Proportions of a cell: the ruby strip beside each line and the fold column.
constexpr double stripRatio = 0.45;
constexpr double foldRatio = 1.5;
// The page's margin, as a share of its shorter side.
constexpr double marginRatio = 0.06;

}  // namespace

Size paperSize(Paper paper) {
  // Japanese B4 (JIS), as manuscript paper is sold in Japan.
  constexpr double mm = pdf::pointsPerMillimetre;
  return paper == Paper::b4 ? Size{364 * mm, 257 * mm} : Size{297 * mm, 210 * mm};
}

Colour ruleColour(RuleColour colour) {
  return colour == RuleColour::grey ? Colour::fromRgb(0x80, 0x80, 0x80) : Colour::fromRgb(0xB0, 0x4A, 0x2F);
}

ManuscriptSheet::ManuscriptSheet(Size page, int charsPerLine, int linesPerColumn)
    : page_(page),
      rows_(std::max(charsPerLine, 1)),
      lines_(std::max(linesPerColumn, 1)),
      rightHalf_(lines_ >= 2 ? (lines_ + 1) / 2 : lines_) {
  const double margin = marginRatio * std::min(page.width, page.height);
  const double fold = lines_ >= 2 ? foldRatio : 0.0;
  // One row more than the grid below the frame: the hanging stops stand there.
  const double byWidth = (page.width - 2 * margin) / (lines_ * (1 + stripRatio) + fold);
  const double byHeight = (page.height - 2 * margin) / (rows_ + 1);
  cell_ = std::min(byWidth, byHeight);
  strip_ = stripRatio * cell_;
  const double width = lines_ * (cell_ + strip_) + fold * cell_;
  const double height = rows_ * cell_;
  frame_ = Rect{(page.width - width) / 2, (page.height - height - cell_) / 2, width, height};
  if (lines_ >= 2)
    fold_ = Rect{lineRight(rightHalf_) - cell_ - fold * cell_, frame_.top(), fold * cell_, height};
}

double ManuscriptSheet::lineRight(int line) const {
  double right = frame_.right() - (line - 1) * (cell_ + strip_) - strip_;
  if (line > rightHalf_) right -= foldRatio * cell_;
  return right;
}

Rect ManuscriptSheet::cell(int row, int line) const {
  return Rect{lineRight(line) - cell_, frame_.top() + (row - 1) * cell_, cell_, cell_};
}

Rect ManuscriptSheet::rubyStrip(int line) const {
  return Rect{lineRight(line), frame_.top(), strip_, frame_.height};
}

namespace cells {

std::u16string_view emphasisMark(EmphasisKind kind) {
  switch (kind) {
    case EmphasisKind::sesame:
      return u"﹅";
    case EmphasisKind::whiteSesame:
      return u"﹆";
    case EmphasisKind::blackCircle:
      return u"●";
    case EmphasisKind::whiteCircle:
      return u"○";
    case EmphasisKind::blackTriangle:
      return u"▲";
    case EmphasisKind::whiteTriangle:
      return u"△";
    case EmphasisKind::doubleCircle:
      return u"◎";
    case EmphasisKind::bullseye:
      return u"◉";
    case EmphasisKind::cross:
      return u"×";
    case EmphasisKind::none:
      break;
  }
  return {};
}

bool isAcrossPair(std::u16string_view text) {
  return text.size() == 2 && text[0] < 0x80 && text[1] < 0x80;
}

int characterCount(std::u16string_view text) {
  int count = 0;
  for (const char16_t c : text) count += (c >= 0xDC00 && c <= 0xDFFF) ? 0 : 1;
  return count;
}

}  // namespace cells

}  // namespace zelvato::manuscript
