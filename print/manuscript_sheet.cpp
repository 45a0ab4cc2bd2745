#include "manuscript_sheet.h"

#include <algorithm>

namespace zelvato::print {
namespace {

constexpr double pointsPerMillimetre = 72.0 / 25.4;
// Proportions of a cell: the ruby strip beside each line and the fold column.
constexpr double stripRatio = 0.45;
constexpr double foldRatio = 1.5;
// The page's margin, as a share of its shorter side.
constexpr double marginRatio = 0.06;

}  // namespace

QSizeF paperSize(Paper paper) {
  // Japanese B4 (JIS), as manuscript paper is sold in Japan.
  return paper == Paper::b4 ? QSizeF(364 * pointsPerMillimetre, 257 * pointsPerMillimetre)
                            : QSizeF(297 * pointsPerMillimetre, 210 * pointsPerMillimetre);
}

QColor ruleColour(RuleColour colour) {
  return colour == RuleColour::grey ? QColor(0x80, 0x80, 0x80) : QColor(0xB0, 0x4A, 0x2F);
}

ManuscriptSheet::ManuscriptSheet(QSizeF page, int charsPerLine, int linesPerColumn)
    : rows_(std::max(charsPerLine, 1)),
      lines_(std::max(linesPerColumn, 1)),
      rightHalf_(lines_ >= 2 ? (lines_ + 1) / 2 : lines_) {
  const double margin = marginRatio * std::min(page.width(), page.height());
  const double fold = lines_ >= 2 ? foldRatio : 0.0;
  // One row more than the grid below the frame: the hanging stops stand there.
  const double byWidth = (page.width() - 2 * margin) / (lines_ * (1 + stripRatio) + fold);
  const double byHeight = (page.height() - 2 * margin) / (rows_ + 1);
  cell_ = std::min(byWidth, byHeight);
  strip_ = stripRatio * cell_;
  const double width = lines_ * (cell_ + strip_) + fold * cell_;
  const double height = rows_ * cell_;
  frame_ = QRectF((page.width() - width) / 2, (page.height() - height - cell_) / 2, width, height);
  if (lines_ >= 2)
    fold_ = QRectF(lineRight(rightHalf_) - cell_ - fold * cell_, frame_.top(), fold * cell_, height);
}

double ManuscriptSheet::lineRight(int line) const {
  double right = frame_.right() - (line - 1) * (cell_ + strip_) - strip_;
  if (line > rightHalf_) right -= foldRatio * cell_;
  return right;
}

QRectF ManuscriptSheet::cell(int row, int line) const {
  return QRectF(lineRight(line) - cell_, frame_.top() + (row - 1) * cell_, cell_, cell_);
}

QRectF ManuscriptSheet::rubyStrip(int line) const {
  return QRectF(lineRight(line), frame_.top(), strip_, frame_.height());
}

}  // namespace zelvato::print
