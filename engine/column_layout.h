#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "conversion_host.h"
#include "conversion_settings.h"

namespace zelvato {

// The run's grid of character cells. Rows 1..charsPerLine run down a vertical
// line; vertical lines 1..linesPerColumn run right to left (line 1 is the first
// filled and the rightmost in the output). Row 0 and line 0 exist and stay unused.
// A cell holds one character (one code unit, or a surrogate pair), two
// half-width characters set across, or nothing.
// With a hanging row, the block has one more row below row charsPerLine that
// holds only the full stops and commas hanging below a full vertical line.
// Sizes below 1, or a grid of more than maxCells cells, make a 0 x 0 grid that
// holds no character: layoutText fails on it at once, as on any error of the run.
class ColumnGrid {
 public:
  static constexpr std::size_t maxCells = std::size_t{1} << 20;

  ColumnGrid(int charsPerLine, int linesPerColumn, bool hangingRow = false);
  // True when a grid of these sides can be made: both at least 1, at most maxCells cells.
  static bool fits(int charsPerLine, int linesPerColumn);

  int charsPerLine() const { return rows_ - (hangingRow_ ? 1 : 0); }
  int linesPerColumn() const { return lines_; }
  bool hasHangingRow() const { return hangingRow_; }
  // The rows a block is written with: charsPerLine, and the hanging row when there is one.
  int rowCount() const { return rows_; }
  std::u16string& cell(int row, int line) { return cells_[index(row, line)]; }
  const std::u16string& cell(int row, int line) const { return cells_[index(row, line)]; }

  // True when every cell of rows 1..rowCount and lines 1..linesPerColumn is empty.
  bool isEmpty() const;

  // The source characters of the block's cells in reading order (before vertical
  // forms and kanji numerals), "\n" where a carriage return ended a vertical
  // line. Collected only when the settings ask for the accessible text.
  std::u16string& readingText() { return readingText_; }
  // The block ends its page (a page break in the text): set by the layout
  // before it writes the block, taken by the writer.
  void markPageEnd() { pageEnd_ = true; }
  bool takePageEnd() { return std::exchange(pageEnd_, false); }

 private:
  std::size_t index(int row, int line) const {
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(lines_ + 1) +
           static_cast<std::size_t>(line);
  }
  int rows_;
  int lines_;
  bool hangingRow_;
  bool pageEnd_ = false;
  std::vector<std::u16string> cells_;
  std::u16string readingText_;
};

// The run's page counters, reset to 0, 0, 1 before layout starts.
struct PageCounters {
  std::int32_t blocksWritten = 0;
  std::int32_t nextPageStart = 0;
  std::int32_t pageNumber = 1;
};

// Writes one block from the grid to every destination (it empties the grid on
// the way and writes nothing when the grid is empty); false when a write failed.
using BlockWriter = std::function<bool(ColumnGrid& grid)>;

inline constexpr int maxTabCells = 1000;

// Lays `source` out cell by cell into `grid`, calling `writeBlock` whenever a
// character no longer fits and once at the end. The typesetting options
// (line-breaking rules, tate-chu-yoko, Aozora Bunko notation) change where
// characters go; with the line-breaking rules on, the grid is re-made with its
// hanging row. Counts the code units handled
// (32-bit, so every text converts) and reports the count to the host once per
// code unit; yields to the host once per source character (a surrogate pair is
// one character in one cell). A tab becomes at most maxTabCells full-width spaces,
// so a mistyped tab width cannot turn one tab into an endless run of blocks.
// A control character other than tab, carriage return and line feed fills its
// cell as U+FFFD, so none reaches the HTML.
// False when the run was stopped (checked at every position), a block write
// failed, the grid holds no cell or the count would pass its maximum.
bool layoutText(std::u16string_view source, const ConversionSettings& settings, ColumnGrid& grid,
                ConversionHost& host, const BlockWriter& writeBlock);

// Row `row` of the block (the hanging row included) as horizontal text: lines L down to 1, every cell
// padded to four display positions, with "|" between cells when showGrid is on.
// Empties the row's cells.
std::u16string assembleRow(ColumnGrid& grid, int row, bool showGrid);

// Page decisions in pageFiles mode. Before a non-empty block is written: true
// when it opens a new page; nextPageStart then advances by columnsPerPage (read
// afresh, the sum rounded halves to even).
bool blockOpensPage(PageCounters& counters, std::u16string_view columnsPerPage);
// After the block is written, before blocksWritten advances: true when it closes its page.
bool blockClosesPage(const PageCounters& counters);

// "縦書き変換中... 03 ｺﾗﾑ処理済..." after the third block.
std::u16string blockStatusText(std::int32_t blocksWritten);

}  // namespace zelvato
