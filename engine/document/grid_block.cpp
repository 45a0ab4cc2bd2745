#include "document/grid_block.h"

#include <algorithm>

namespace zelvato {

GridBlock::GridBlock(int charsPerLine, int linesPerColumn, bool hangingRow)
    : rows_(fits(charsPerLine, linesPerColumn, hangingRow) ? charsPerLine + (hangingRow ? 1 : 0) : 0),
      lines_(rows_ != 0 ? linesPerColumn : 0),
      hangingRow_(rows_ != 0 && hangingRow),
      cells_((static_cast<std::size_t>(rows_) + 1) * (static_cast<std::size_t>(lines_) + 1)),
      returns_(static_cast<std::size_t>(lines_) + 1) {}

bool GridBlock::fits(int charsPerLine, int linesPerColumn, bool hangingRow) {
  if (charsPerLine < 1 || linesPerColumn < 1) return false;
  const auto cells = (static_cast<std::size_t>(charsPerLine) + (hangingRow ? 2 : 1)) *
                     (static_cast<std::size_t>(linesPerColumn) + 1);
  return cells <= maxCells;
}

bool GridBlock::isEmpty() const {
  for (int row = 1; row <= rows_; ++row)
    for (int line = 1; line <= lines_; ++line)
      if (!cell(row, line).empty()) return false;
  return true;
}

std::u16string GridBlock::readingText() const {
  std::u16string text;
  for (int line = 1; line <= lines_; ++line) {
    for (int row = 1; row <= rows_; ++row) text += cell(row, line).source;
    if (endsWithReturn(line)) text += u'\n';
  }
  return text;
}

void GridBlock::clear() {
  for (GridCell& c : cells_)
    if (!c.empty()) c.clear();
  std::fill(returns_.begin(), returns_.end(), 0);
  pageEnd_ = false;
  leadingHeading_.clear();
}

}  // namespace zelvato
