#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "document/document.h"

namespace zelvato {

// One cell of the grid: the character set in it as the typesetter took it
// (widened to full width, one code unit or a surrogate pair, or two half-width
// characters set across), the source characters it stands for, and the marks
// of its run. The look of the cell (vertical forms, padding) is the writer's.
struct GridCell {
  std::u16string text;
  std::u16string source;  // kept only when the typesetter is asked for the reading text
  EmphasisKind emphasis = EmphasisKind::none;
  Side emphasisSide = Side::right;
  LineKind line = LineKind::none;  // 傍線
  Side lineSide = Side::right;
  // A half-width character set small in the padding beside the character: a
  // 訓点送り仮名 on the right, a 返り点 on the left; 0 when there is none.
  char16_t rightNote = 0;
  char16_t leftNote = 0;
  // With ruby left out of the cells: the ruby of the base that begins in this
  // cell, and how many cells that base fills (a writer may set it beside them).
  std::u16string ruby;
  int rubyCells = 0;
  bool heading = false;  // a cell of a heading (見出し), set in bold where the face allows
  // Where the cell's character came from: the source code unit its paragraph
  // begins at, and that unit plus the source units of the text set before it
  // in the paragraph (the notation, which sets nothing, not counted). noSource
  // for an empty cell.
  static constexpr std::uint32_t noSource = UINT32_MAX;
  std::uint32_t sourceParagraph = noSource;
  std::uint32_t sourceOffset = noSource;

  bool empty() const { return text.empty(); }
  void clear() {
    text.clear();
    source.clear();
    emphasis = EmphasisKind::none;
    emphasisSide = Side::right;
    line = LineKind::none;
    lineSide = Side::right;
    rightNote = leftNote = 0;
    ruby.clear();
    rubyCells = 0;
    heading = false;
    sourceParagraph = sourceOffset = noSource;
  }
};

// A column block: rows 1..charsPerLine run down a vertical line, vertical lines
// 1..linesPerColumn run right to left (line 1 is the first filled and the
// rightmost). With the line-breaking rules the block has one more row below,
// which holds only the full stops and commas hanging below a full line.
class GridBlock {
 public:
  // At most this many cells: a larger grid holds no cell at all.
  static constexpr std::size_t maxCells = std::size_t{1} << 20;

  GridBlock(int charsPerLine, int linesPerColumn, bool hangingRow);
  // True when a grid of these sides can be made: both at least 1, at most maxCells cells.
  static bool fits(int charsPerLine, int linesPerColumn, bool hangingRow);

  int charsPerLine() const { return rows_ - (hangingRow_ ? 1 : 0); }
  int linesPerColumn() const { return lines_; }
  bool hasHangingRow() const { return hangingRow_; }
  // The rows a block is written with: charsPerLine, and the hanging row when there is one.
  int rowCount() const { return rows_; }
  bool holdsNoCell() const { return rows_ == 0; }

  GridCell& cell(int row, int line) { return cells_[index(row, line)]; }
  const GridCell& cell(int row, int line) const { return cells_[index(row, line)]; }
  bool isEmpty() const;

  // A carriage return ended this vertical line (the reading text breaks there).
  bool endsWithReturn(int line) const { return returns_[static_cast<std::size_t>(line)] != 0; }
  void markReturn(int line) { returns_[static_cast<std::size_t>(line)] = 1; }

  // The block ends its page (a page break in the text).
  bool endsPage() const { return pageEnd_; }
  void markPageEnd() { pageEnd_ = true; }

  // The text of the heading the block begins with; empty when its first text is no heading.
  const std::u16string& leadingHeading() const { return leadingHeading_; }
  void setLeadingHeading(std::u16string text) { leadingHeading_ = std::move(text); }

  // The block's source characters in reading order, "\n" where a carriage
  // return ended a vertical line.
  std::u16string readingText() const;

  // Empties every cell and forgets the returns, the page end and the heading.
  void clear();

 private:
  std::size_t index(int row, int line) const {
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(lines_ + 1) +
           static_cast<std::size_t>(line);
  }
  int rows_;
  int lines_;
  bool hangingRow_;
  bool pageEnd_ = false;
  std::u16string leadingHeading_;
  std::vector<GridCell> cells_;
  std::vector<std::uint8_t> returns_;
};

// Called with each finished block (and a cell-less block that ends its page);
// false ends the typesetting at once.
using BlockHandler = std::function<bool(const GridBlock& block)>;

}  // namespace zelvato
