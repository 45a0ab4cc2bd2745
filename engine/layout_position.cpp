#include "layout_position.h"

#include <string>
#include <utility>

namespace zelvato {

LayoutPosition::LayoutPosition(ColumnGrid& grid, const BlockWriter& writeBlock, bool lineBreakRules)
    : grid_(grid),
      writeBlock_(writeBlock),
      rules_(lineBreakRules && grid.hasHangingRow()),
      rows_(grid.charsPerLine()),
      lines_(grid.linesPerColumn()) {}

int LayoutPosition::indentCells() const {
  return indent_ < rows_ ? indent_ : rows_ - 1;
}

// To the next vertical line, or to the first of a new block after writing the
// full one. `emptyCells` is 1 when a carriage return ends a full line: that
// line's first cell stays empty.
bool LayoutPosition::advanceLine(int emptyCells) {
  if (line_ < lines_) {
    ++line_;
  } else {
    if (!writeBlock_(grid_)) return false;
    line_ = 1;
  }
  lineStartRow_ = emptyCells;
  row_ = emptyCells + indentCells();
  lineUntouched_ = true;
  return true;
}

bool LayoutPosition::lineHasText(int fromRow, int toRow) const {
  for (int row = fromRow; row <= toRow; ++row)
    if (!grid_.cell(row, line_).empty()) return true;
  return false;
}

bool LayoutPosition::mustNotBegin(BreakClass breaking, char16_t original) const {
  switch (breaking) {
    case BreakClass::noBegin:
    case BreakClass::hangable:  // reached only when the hanging cell is taken
      return true;
    case BreakClass::inseparable:
      return original == lastOriginal_;
    default:
      return false;
  }
}

// Moves the end of the full line down to the next one: its last character,
// with the mark hanging below it, and with the character before when the last
// one must not begin a line itself (す。」 goes down as one). False, moving
// nothing, when the line would be left without text or the next line could
// not take them.
bool LayoutPosition::push() {
  const int hangingRow = grid_.rowCount();
  int first = rows_;
  if ((lastBreak_ == BreakClass::noBegin || lastBreak_ == BreakClass::hangable) && rows_ > 1 &&
      !grid_.cell(rows_ - 1, line_).empty())
    first = rows_ - 1;
  if (!lineHasText(1, first - 1)) return false;
  int count = 0;
  for (int row = first; row <= hangingRow; ++row)
    if (!grid_.cell(row, line_).empty()) ++count;
  if (indentCells() + count + 1 > rows_) return false;
  std::u16string moved[3];
  for (int row = first, i = 0; row <= hangingRow; ++row)
    if (!grid_.cell(row, line_).empty()) moved[i++] = std::exchange(grid_.cell(row, line_), {});
  if (!advanceLine(0)) return false;
  for (int i = 0; i < count; ++i) grid_.cell(++row_, line_) = std::move(moved[i]);
  lineUntouched_ = false;
  return true;
}

bool LayoutPosition::placeAtLineEnd(std::u16string_view cell, BreakClass breaking, char16_t original) {
  if (row_ < rows_) {
    // An opening bracket does not end a line: it begins the next one instead.
    if (rules_ && breaking == BreakClass::noEnd && row_ == rows_ - 1 && line_ < lines_ &&
        lineHasText(1, rows_ - 1)) {
      if (!advanceLine(0)) return false;
    }
    ++row_;
  } else if (rules_ && breaking == BreakClass::hangable && grid_.cell(grid_.rowCount(), line_).empty() &&
             !grid_.cell(rows_, line_).empty()) {
    // Hangs below the full line; the next character still begins the next line.
    grid_.cell(grid_.rowCount(), line_).assign(cell);
    return true;
  } else if (rules_ && line_ < lines_ && mustNotBegin(breaking, original) && push()) {
    ++row_;
  } else {
    if (!advanceLine(0)) return false;
    ++row_;
  }
  store(row_, cell);
  if (row_ == rows_) {
    lastBreak_ = breaking;
    lastOriginal_ = original;
  }
  return true;
}

// A carriage return on a full line is itself the move to the next line and
// leaves that line's first cell empty. After a hanging mark it ends the line the
// mark hangs from, as it would have ended the line the mark began: the next
// line starts at its top.
bool LayoutPosition::carriageReturn() {
  const bool afterHangingMark = rules_ && !grid_.cell(grid_.rowCount(), line_).empty();
  if (row_ < rows_ || afterHangingMark) return advanceLine(0);
  return advanceLine(1);
}

bool LayoutPosition::breakPage() {
  grid_.markPageEnd();
  if (!writeBlock_(grid_)) return false;
  line_ = 1;
  lineStartRow_ = 0;
  row_ = indentCells();
  lineUntouched_ = true;
  return true;
}

void LayoutPosition::setIndent(int cells) {
  indent_ = cells < 0 ? 0 : cells;
  if (lineUntouched_) row_ = lineStartRow_ + indentCells();
}

}  // namespace zelvato
