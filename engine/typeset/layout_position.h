#pragma once

#include <string_view>

#include "document/grid_block.h"
#include "text/kinsoku.h"

namespace zelvato {

// The layout position (row and vertical line) and its moves: a character goes
// to the next cell, a carriage return ends the vertical line, and a block is
// handed on when a character no longer fits. With the line-breaking rules, a
// full stop or comma that would begin a vertical line hangs below the line it
// ends; a character that must not begin a line takes the character before it
// down to the next line, into the next block when the line was the block's
// last; an opening bracket that would fill the last cell moves to the next
// line. A push never empties a line. Indentation makes every new vertical line
// begin after empty cells.
class LayoutPosition {
 public:
  LayoutPosition(GridBlock& grid, const BlockHandler& handle, bool lineBreakRules, bool blankLineBlocks)
      : grid_(grid),
        handle_(handle),
        rules_(lineBreakRules && grid.hasHangingRow()),
        blankLineBlocks_(blankLineBlocks),
        rows_(grid.charsPerLine()),
        lines_(grid.linesPerColumn()) {}

  // Stores one cell. `breaking` says how the character may stand at the ends
  // of a line; `original` is its widened form, so that two of —— … ‥ stay together.
  GridCell* place(std::u16string_view text, BreakClass breaking, char16_t original) {
    // Away from the line's end no rule applies: the character takes the next cell.
    if (row_ + 1 < rows_) return store(++row_, text);
    return placeAtLineEnd(text, breaking, original);
  }
  bool carriageReturn();
  // Hands the block on now, marked as ending its page; the text goes on in a new block.
  bool breakPage();
  // Every vertical line begun from here on starts after `cells` empty cells
  // (at most all but one); a line not yet begun starts so at once.
  void setIndent(int cells);
  // 字詰め: from here on a vertical line ends after `cells` cells when that is
  // shorter than the grid's line (0: the grid's line). Nothing hangs below a shortened line.
  void setLineLength(int cells) {
    rows_ = cells > 0 && cells < grid_.charsPerLine() ? cells : grid_.charsPerLine();
  }
  // Indentation for the lines a paragraph wraps to, once it has begun.
  void setContinuationIndent(int cells) { indent_ = cells < 0 ? 0 : cells; }
  // Moves to the next line first when `cells` cells that belong together would
  // not fit on what is left of this one but fit on a line of their own.
  bool keepTogether(int cells);
  // The final hand-on of whatever the grid holds.
  bool finish() { return handOn(true); }
  // Hands the block on without ending its page: the text goes on in a new column block.
  bool breakColumn();
  // A vertical line of its own: to the next line unless this one is untouched.
  bool freshLine() { return lineUntouched_ || advanceLine(0); }
  // The next `cells` cells end `raise` cells above the foot of the line: on
  // this line when they fit after what it holds, else on the next one. Text
  // longer than a line starts at the head as any other.
  bool alignToFoot(int cells, int raise);
  // The grid's block holds no text yet.
  bool blockUntouched() const { return grid_.isEmpty(); }
  GridBlock& grid() { return grid_; }
  // At the head of an untouched block, leaves `lines` vertical lines empty before the text.
  void skipLines(int lines) {
    if (lineUntouched_ && line_ == 1 && lines > 0 && lines < lines_) line_ += lines;
  }

 private:
  GridCell* placeAtLineEnd(std::u16string_view text, BreakClass breaking, char16_t original);
  GridCell* store(int row, std::u16string_view text) {
    GridCell& target = grid_.cell(row, line_);
    // Nearly every cell is one code unit: stored without the general copy.
    if (text.size() == 1) {
      target.text.clear();
      target.text.push_back(text.front());
    } else {
      target.text.assign(text);
    }
    lineUntouched_ = false;
    return &target;
  }
  bool handOn(bool last = false) {
    if (grid_.isEmpty() && !grid_.endsPage() && (last || !blankLineBlocks_ || !endsAnyLine())) {
      grid_.clear();
      return true;
    }
    const bool handled = handle_(grid_);
    grid_.clear();
    return handled;
  }
  bool endsAnyLine() const {
    for (int line = 1; line <= lines_; ++line)
      if (grid_.endsWithReturn(line)) return true;
    return false;
  }
  bool advanceLine(int emptyCells);
  bool push();
  bool lineHasText(int fromRow, int toRow) const;
  bool mustNotBegin(BreakClass breaking, char16_t original) const;
  int indentCells() const { return indent_ < rows_ ? indent_ : rows_ - 1; }

  GridBlock& grid_;
  const BlockHandler& handle_;
  const bool rules_;
  const bool blankLineBlocks_;
  int rows_;         // C, or the shorter line of a 字詰め range
  const int lines_;  // L
  int row_ = 0;
  int line_ = 1;
  int indent_ = 0;
  int lineStartRow_ = 0;  // the row the current line began at, before its indent
  bool lineUntouched_ = true;
  bool footAligned_ = false;                 // the line's text was set to end at a distance from the foot
  BreakClass lastBreak_ = BreakClass::free;  // of the character in the line's last cell
  char16_t lastOriginal_ = 0;
};

}  // namespace zelvato
