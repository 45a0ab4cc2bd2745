#include "typeset/layout_position.h"

#include <utility>

namespace zelvato {

// To the next vertical line, or to the first of a new block after handing on
// the full one. `emptyCells` is 1 when a carriage return ends a full line
// without the line-breaking rules: that line's first cell stays empty.
bool LayoutPosition::advanceLine(int emptyCells) {
  if (line_ < lines_) {
    ++line_;
  } else {
    if (!handOn()) return false;
    line_ = 1;
  }
  lineStartRow_ = emptyCells;
  row_ = emptyCells + indentCells();
  lineUntouched_ = true;
  footAligned_ = false;
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
  GridCell moved[3];
  for (int row = first, i = 0; row <= hangingRow; ++row)
    if (!grid_.cell(row, line_).empty()) moved[i++] = std::exchange(grid_.cell(row, line_), {});
  if (!advanceLine(0)) return false;
  for (int i = 0; i < count; ++i) grid_.cell(++row_, line_) = std::move(moved[i]);
  lineUntouched_ = false;
  return true;
}

GridCell* LayoutPosition::placeAtLineEnd(std::u16string_view text, BreakClass breaking, char16_t original) {
  if (row_ < rows_) {
    // An opening bracket does not end a line: it begins the next one instead.
    if (rules_ && breaking == BreakClass::noEnd && row_ == rows_ - 1 && lineHasText(1, rows_ - 1)) {
      if (!advanceLine(0)) return nullptr;
    }
    ++row_;
  } else if (rules_ && breaking == BreakClass::hangable && rows_ == grid_.charsPerLine() &&
             grid_.cell(grid_.rowCount(), line_).empty() && !grid_.cell(rows_, line_).empty()) {
    // Hangs below the full line, in the block that line belongs to; the next
    // character still begins the next line.
    GridCell& hanging = grid_.cell(grid_.rowCount(), line_);
    hanging.text.assign(text);
    return &hanging;
  } else if (rules_ && mustNotBegin(breaking, original) && push()) {
    ++row_;
  } else {
    if (!advanceLine(0)) return nullptr;
    ++row_;
  }
  GridCell* cell = store(row_, text);
  if (row_ == rows_) {
    lastBreak_ = breaking;
    lastOriginal_ = original;
  }
  return cell;
}

// A carriage return on a full line is itself the move to the next line; without
// the line-breaking rules it leaves that line's first cell empty. After a
// hanging mark it ends the line the mark hangs from: the next line starts at its top.
bool LayoutPosition::carriageReturn() {
  grid_.markReturn(line_);
  // Text set to end at the foot fills its line on purpose: the next line starts at its head.
  if (row_ < rows_ || rules_ || footAligned_) return advanceLine(0);
  return advanceLine(1);
}

bool LayoutPosition::breakColumn() {
  if (grid_.isEmpty()) return true;
  if (!handOn()) return false;
  line_ = 1;
  lineStartRow_ = 0;
  row_ = indentCells();
  lineUntouched_ = true;
  footAligned_ = false;
  return true;
}

bool LayoutPosition::alignToFoot(int cells, int raise) {
  if (raise < 0 || cells <= 0) return true;
  if (raise > rows_ - 1) raise = rows_ - 1;
  const int start = rows_ - raise - cells;  // the row after which the text begins
  if (start < 0) return true;
  if (row_ > start) {
    if (!advanceLine(0)) return false;
    if (row_ > start) return true;  // the indent leaves too little room: from the indent
  }
  row_ = start;
  lineUntouched_ = false;
  footAligned_ = true;
  return true;
}

bool LayoutPosition::breakPage() {
  grid_.markPageEnd();
  if (!handOn()) return false;
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

bool LayoutPosition::keepTogether(int cells) {
  if (lineUntouched_ || cells > rows_ - indentCells() || row_ + cells <= rows_) return true;
  return advanceLine(0);
}

}  // namespace zelvato
