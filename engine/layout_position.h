#pragma once

#include <string>
#include <string_view>

#include "column_layout.h"
#include "kinsoku.h"

namespace zelvato {

// The layout position (row and vertical line) and its moves: a character goes
// to the next cell, a carriage return ends the vertical line, and a block is
// written when a character no longer fits. With the line-breaking rules on, a
// full stop or comma that would begin a vertical line hangs below the line it
// ends; a character that must not begin a line takes the character before it
// down to the next line; an opening bracket that would fill the last cell moves
// to the next line. A push never crosses a block boundary and never empties a
// line. Indentation makes every new vertical line begin after empty cells.
class LayoutPosition {
 public:
  LayoutPosition(ColumnGrid& grid, const BlockWriter& writeBlock, bool lineBreakRules);

  // Stores one cell's text. `breaking` says how the character may stand at the
  // ends of a line; `original` is its widened form, so that two of —— … ‥ stay together.
  bool place(std::u16string_view cell, BreakClass breaking, char16_t original) {
    // Away from the line's end no rule applies: the character takes the next cell.
    if (row_ + 1 < rows_) {
      store(++row_, cell);
      return true;
    }
    return placeAtLineEnd(cell, breaking, original);
  }
  bool carriageReturn();
  // Writes the block now, marked as ending its page; the text goes on in a new block.
  bool breakPage();
  // Every vertical line begun from here on starts after `cells` empty cells
  // (at most all but one); a line not yet begun starts so at once.
  void setIndent(int cells);
  // The final write of whatever the grid holds.
  bool finish() { return writeBlock_(grid_); }

 private:
  bool placeAtLineEnd(std::u16string_view cell, BreakClass breaking, char16_t original);
  void store(int row, std::u16string_view cell) {
    std::u16string& target = grid_.cell(row, line_);
    // Nearly every cell is one code unit: stored without the general copy.
    if (cell.size() == 1) {
      target.clear();
      target.push_back(cell.front());
    } else {
      target.assign(cell);
    }
    lineUntouched_ = false;
  }
  bool advanceLine(int emptyCells);
  bool push();
  bool lineHasText(int fromRow, int toRow) const;
  bool mustNotBegin(BreakClass breaking, char16_t original) const;
  int indentCells() const;

  ColumnGrid& grid_;
  const BlockWriter& writeBlock_;
  const bool rules_;
  const int rows_;   // C
  const int lines_;  // L
  int row_ = 0;
  int line_ = 1;
  int indent_ = 0;
  int lineStartRow_ = 0;  // the row the current line began at, before its indent
  bool lineUntouched_ = true;
  BreakClass lastBreak_ = BreakClass::free;  // of the character in the line's last cell
  char16_t lastOriginal_ = 0;
};

}  // namespace zelvato
