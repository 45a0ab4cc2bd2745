#include "typeset/layout_position.h"

#include <algorithm>
#include <utility>

namespace zelvato {

LayoutPosition::LayoutPosition(GridBlock& grid, const BlockHandler& handle, LineEnds ends,
                               bool blankLineBlocks)
    : grid_(grid),
      handle_(handle),
      ends_(grid.hasHangingRow() ? ends : LineEnds::plain),
      blankLineBlocks_(blankLineBlocks),
      rows_(grid.charsPerLine()),
      lines_(grid.linesPerColumn()),
      rules_(ends_ != LineEnds::plain ? static_cast<std::size_t>(grid.rowCount()) + 1 : 0) {}

// To the next vertical line, or to the first of a new block after handing on
// the full one. `emptyCells` is 1 when a carriage return ends a full line
// without the line-breaking rules: that line's first cell stays empty.
bool LayoutPosition::advanceLine(int emptyCells, bool wrapped) {
  if (line_ < lines_) {
    ++line_;
  } else {
    if (!handOn()) return false;
    line_ = 1;
  }
  lineStartRow_ = emptyCells;
  row_ = emptyCells + indentCells();
  lineUntouched_ = true;
  wrapped_ = wrapped;
  footAligned_ = false;
  std::fill(rules_.begin(), rules_.end(), CellRule{});
  return true;
}

bool LayoutPosition::lineHasText(int fromRow, int toRow) const {
  for (int row = fromRow; row <= toRow; ++row)
    if (!grid_.cell(row, line_).empty()) return true;
  return false;
}

bool LayoutPosition::isSpaceCell(int row) const {
  const std::u16string& text = grid_.cell(row, line_).text;
  return text.size() == 1 && (text.front() == u'\u3000' || text.front() == u' ');
}

bool LayoutPosition::mayBegin(BreakClass breaking) const {
  switch (breaking) {
    case BreakClass::noBegin:
    case BreakClass::closing:
    case BreakClass::hangable:
      return false;
    case BreakClass::smallKana:
      return ends_ == LineEnds::manuscript;
    default:
      return true;
  }
}

// Whether the line may break before the cell in `row`, the cells after it
// going down ahead of the character `nextOriginal`: that cell may begin a line (a
// dash only when no dash of its kind follows), the one before may end it (no
// opening bracket), no pair of dashes is split and no group kept together.
bool LayoutPosition::breaksBefore(int row, char16_t nextOriginal, bool keepGroups) const {
  const CellRule& cell = rules_[static_cast<std::size_t>(row)];
  if (!mayBegin(cell.breaking)) return false;
  const bool followed = row + 1 <= rows_ && !grid_.cell(row + 1, line_).empty();
  const char16_t after = followed ? rules_[static_cast<std::size_t>(row) + 1].original : nextOriginal;
  if (cell.breaking == BreakClass::inseparable && after == cell.original) return false;
  if (grid_.cell(row - 1, line_).empty()) return true;
  const CellRule& before = rules_[static_cast<std::size_t>(row) - 1];
  // An opening bracket may not end the line, spaces after it or not (（　（マヽ）).
  int last = row - 1;
  while (last > 1 && isSpaceCell(last)) --last;
  if (rules_[static_cast<std::size_t>(last)].breaking == BreakClass::noEnd &&
      !grid_.cell(last, line_).empty())
    return false;
  if (before.breaking == BreakClass::inseparable && before.original == cell.original) return false;
  return !keepGroups || cell.group == 0 || cell.group != before.group;
}

// The full line breaks before its last cell that may begin the next one, so
// that the character coming, which must not, goes down with the cells after
// that break. Spaces before the break stay at the end of the line. False,
// moving nothing, when no break leaves the line with text or the next line
// could not take what goes down.
bool LayoutPosition::wrap(char16_t nextOriginal, int following) {
  // Cells kept together are broken only when no other break is left.
  for (const bool keepGroups : {true, false}) {
    for (int row = rows_; row >= 2; --row) {
      if (grid_.cell(row, line_).empty() || isSpaceCell(row)) continue;
      if (!breaksBefore(row, nextOriginal, keepGroups)) continue;
      if (!lineHasText(1, row - 1)) break;
      return moveDown(row, following);
    }
  }
  return false;
}

// Moves the cells from `fromRow` to the line's end (with a mark hanging below
// it) to the start of the next line, when that line has room for them and the
// `following` cells after them.
bool LayoutPosition::moveDown(int fromRow, int following) {
  const int hangingRow = grid_.rowCount();
  int count = 0;
  for (int row = fromRow; row <= hangingRow; ++row)
    if (!grid_.cell(row, line_).empty()) ++count;
  if (indentCells() + count + following > rows_) return false;
  std::vector<std::pair<GridCell, CellRule>> moved;
  moved.reserve(static_cast<std::size_t>(count));
  for (int row = fromRow; row <= hangingRow; ++row)
    if (!grid_.cell(row, line_).empty())
      moved.emplace_back(std::exchange(grid_.cell(row, line_), {}), rules_[static_cast<std::size_t>(row)]);
  if (!advanceLine(0, true)) return false;
  for (auto& [cell, rule] : moved) {
    grid_.cell(++row_, line_) = std::move(cell);
    rules_[static_cast<std::size_t>(row_)] = rule;
  }
  lineUntouched_ = false;
  return true;
}

GridCell* LayoutPosition::placeAtLineEnd(std::u16string_view text, BreakClass breaking, char16_t original) {
  const bool rules = ends_ != LineEnds::plain;
  if (row_ < rows_) {
    // An opening bracket does not end a line: it begins the next one instead,
    // with the opening brackets just before it.
    if (rules && breaking == BreakClass::noEnd && row_ == rows_ - 1 && lineHasText(1, rows_ - 1)) {
      if (!carryOpeningBrackets(1) && !advanceLine(0, true)) return nullptr;
    }
    return store(++row_, text, breaking, original);
  }
  const bool hangs =
      breaking == BreakClass::hangable || (ends_ == LineEnds::manuscript && breaking == BreakClass::closing);
  if (rules && hangs && rows_ == grid_.charsPerLine() && !grid_.cell(rows_, line_).empty()) {
    // Hangs below the full line, in the block that line belongs to; the next
    // character still begins the next line. On manuscript paper a second mark
    // (。」) shares the cell below the frame with the first.
    GridCell& hanging = grid_.cell(grid_.rowCount(), line_);
    if (hanging.empty() || (ends_ == LineEnds::manuscript && hanging.text.size() == 1)) {
      hanging.text.append(text);
      rules_[static_cast<std::size_t>(grid_.rowCount())] = {BreakClass::hangable, original, 0};
      return &hanging;
    }
  }
  const bool mustNotBegin =
      !mayBegin(breaking) ||
      (breaking == BreakClass::inseparable && rules_[static_cast<std::size_t>(rows_)].original == original);
  if (rules && mustNotBegin && wrap(original, 1)) return store(++row_, text, breaking, original);
  if (!advanceLine(0, true)) return nullptr;
  return store(++row_, text, breaking, original);
}

// A carriage return on a full line is itself the move to the next line; without
// the line-breaking rules it leaves that line's first cell empty. After a
// hanging mark it ends the line the mark hangs from: the next line starts at its top.
bool LayoutPosition::carriageReturn() {
  grid_.markReturn(line_);
  // Text set to end at the foot fills its line on purpose: the next line starts at its head.
  if (row_ < rows_ || ends_ != LineEnds::plain || footAligned_) return advanceLine(0, false);
  return advanceLine(1, false);
}

bool LayoutPosition::breakColumn() {
  if (grid_.isEmpty()) return true;
  if (!handOn()) return false;
  line_ = 1;
  lineStartRow_ = 0;
  row_ = indentCells();
  lineUntouched_ = true;
  wrapped_ = false;
  footAligned_ = false;
  std::fill(rules_.begin(), rules_.end(), CellRule{});
  return true;
}

bool LayoutPosition::alignToFoot(int cells, int raise) {
  if (raise < 0 || cells <= 0) return true;
  if (raise > rows_ - 1) raise = rows_ - 1;
  const int start = rows_ - raise - cells;  // the row after which the text begins
  if (start < 0) return true;
  if (row_ > start && !lineUntouched_) {
    if (!advanceLine(0, false)) return false;
  }
  // An indent that leaves too little room gives way: the text stands at the foot.
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
  wrapped_ = false;
  std::fill(rules_.begin(), rules_.end(), CellRule{});
  return true;
}

void LayoutPosition::setIndent(int cells) {
  indent_ = cells < 0 ? 0 : cells;
  if (lineUntouched_) row_ = lineStartRow_ + indentCells();
}

bool LayoutPosition::keepTogether(int cells, BreakClass first, char16_t firstOriginal) {
  if (ends_ != LineEnds::plain && cells > 1 && cells <= rows_ - indentCells()) {
    ++group_;
    groupLeft_ = cells;
  }
  if (lineUntouched_ || cells > rows_ - indentCells() || row_ + cells <= rows_) return true;
  if (ends_ == LineEnds::plain) return advanceLine(0, true);
  // Cells that must not begin a line (ヶ淵) take the end of this line down with them.
  if (!mayBegin(first)) return wrap(firstOriginal, cells) || advanceLine(0, true);
  if (carryOpeningBrackets(cells)) return true;
  // An opening bracket that cannot go down with them is not left at the line's
  // end: the cells stay and break where the line ends.
  if (rules_[static_cast<std::size_t>(row_)].breaking == BreakClass::noEnd &&
      !grid_.cell(row_, line_).empty()) {
    groupLeft_ = 0;
    return true;
  }
  return advanceLine(0, true);
}

// The opening brackets that end the line so far go down to the next line with
// the `cells` cells that follow them; false, moving nothing, when there are none,
// or they are all the line holds, or the next line could not take them.
bool LayoutPosition::carryOpeningBrackets(int cells) {
  if (ends_ == LineEnds::plain || row_ < 2) return false;
  int last = row_;
  while (last > 1 && isSpaceCell(last)) --last;  // spaces after a bracket go down with it
  int from = last + 1;
  while (from > 1 && !grid_.cell(from - 1, line_).empty() &&
         rules_[static_cast<std::size_t>(from) - 1].breaking == BreakClass::noEnd)
    --from;
  if (from > last || !lineHasText(1, from - 1)) return false;
  return moveDown(from, cells);
}

}  // namespace zelvato
