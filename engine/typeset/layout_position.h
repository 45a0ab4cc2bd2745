#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "document/grid_block.h"
#include "text/kinsoku.h"

namespace zelvato {

// How the line-breaking rules treat the ends of a vertical line.
enum class LineEnds : std::uint8_t {
  plain,       // no rules: every character takes the next cell
  rules,       // kinsoku: hanging stops, nothing begins or ends a line that must not
  manuscript,  // the rules of manuscript paper: small kana and 々 may begin a line, and a
               // closing bracket of a full line hangs below it as a stop does
};

// The layout position (row and vertical line) and its moves: a character goes
// to the next cell, a carriage return ends the vertical line, and a block is
// handed on when a character no longer fits. With the line-breaking rules, a
// full stop or comma that would begin a vertical line hangs below the line it
// ends; a character that must not begin a line makes the line break before the
// last cell that may begin one, and the cells after it go down with it (into
// the next block when the line was the block's last); an opening bracket that
// would fill the last cell moves to the next line; cells kept together (a
// ruby with its base, a number) are not broken while they fit one line; a space
// that a wrap would bring to the head of a line is not set. A break never
// empties a line. Indentation makes every new vertical line begin after empty cells.
class LayoutPosition {
 public:
  LayoutPosition(GridBlock& grid, const BlockHandler& handle, LineEnds ends, bool blankLineBlocks);

  // Stores one cell. `breaking` says how the character may stand at the ends
  // of a line; `original` is its widened form, so that two of —— stay together.
  GridCell* place(std::u16string_view text, BreakClass breaking, char16_t original) {
    // Away from the line's end no rule applies: the character takes the next cell.
    if (row_ + 1 < rows_) return store(++row_, text, breaking, original);
    return placeAtLineEnd(text, breaking, original);
  }
  // A space here would begin a line the text wrapped to: it is not set.
  bool dropsSpace() const {
    return ends_ != LineEnds::plain && (row_ >= rows_ || (wrapped_ && lineUntouched_));
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
  // The next `cells` cells belong together: to the next line first (with an
  // opening bracket that would be left at this line's end) when they would not
  // fit on what is left of this one but fit on a line of their own, and no
  // later break falls between them.
  // `first` and `firstOriginal` tell how the first of them may stand at a line's head.
  bool keepTogether(int cells, BreakClass first = BreakClass::free, char16_t firstOriginal = 0);
  // The final hand-on of whatever the grid holds.
  bool finish() { return handOn(true); }
  // Hands the block on without ending its page: the text goes on in a new column block.
  bool breakColumn();
  // A vertical line of its own: to the next line unless this one is untouched.
  bool freshLine() { return lineUntouched_ || advanceLine(0, false); }
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
  // What the line-breaking rules know of each cell of the current line.
  struct CellRule {
    BreakClass breaking = BreakClass::free;
    char16_t original = 0;
    std::uint32_t group = 0;  // cells kept together share a number; 0 for none
  };

  GridCell* placeAtLineEnd(std::u16string_view text, BreakClass breaking, char16_t original);
  GridCell* store(int row, std::u16string_view text, BreakClass breaking, char16_t original) {
    GridCell& target = grid_.cell(row, line_);
    // Nearly every cell is one code unit: stored without the general copy.
    if (text.size() == 1) {
      target.text.clear();
      target.text.push_back(text.front());
    } else {
      target.text.assign(text);
    }
    lineUntouched_ = false;
    if (ends_ != LineEnds::plain) {
      CellRule& rule = rules_[static_cast<std::size_t>(row)];
      rule = {breaking, original, groupLeft_ > 0 ? group_ : 0};
      if (groupLeft_ > 0) --groupLeft_;
    }
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
  bool advanceLine(int emptyCells, bool wrapped);
  bool mayBegin(BreakClass breaking) const;
  bool breaksBefore(int row, char16_t nextOriginal, bool keepGroups) const;
  bool carryOpeningBrackets(int cells);
  bool wrap(char16_t nextOriginal, int following);
  bool moveDown(int fromRow, int following);
  bool lineHasText(int fromRow, int toRow) const;
  bool isSpaceCell(int row) const;
  int indentCells() const { return indent_ < rows_ ? indent_ : rows_ - 1; }

  GridBlock& grid_;
  const BlockHandler& handle_;
  const LineEnds ends_;
  const bool blankLineBlocks_;
  int rows_;         // C, or the shorter line of a 字詰め range
  const int lines_;  // L
  int row_ = 0;
  int line_ = 1;
  int indent_ = 0;
  int lineStartRow_ = 0;  // the row the current line began at, before its indent
  bool lineUntouched_ = true;
  bool wrapped_ = false;         // the current line was begun by the text wrapping, not by a return
  bool footAligned_ = false;     // the line's text was set to end at a distance from the foot
  std::vector<CellRule> rules_;  // by row of the current line, the hanging row included
  std::uint32_t group_ = 0;      // the number of the cells now kept together
  int groupLeft_ = 0;            // how many of them are still to come
};

}  // namespace zelvato
