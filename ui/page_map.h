#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/grid_block.h"

namespace zelvato::ui {

// How a page counts the characters of the source: the notation it leaves out,
// and whether the ruby stands in the text (in parentheses, as many characters
// as 《…》) or only beside it. Line breaks never count.
struct PageCounting {
  bool notation = false;
  bool rubyInText = false;
};

// The source unit at which the page's character `count` (0 the first) after
// `start` stands: line breaks, and with notation its marks, are passed over.
// The end of the source when the text ends before.
std::size_t sourceOffsetAfter(std::u16string_view source, std::size_t start, std::size_t count,
                              PageCounting counting);
// How many of the page's characters lie between `start` and `offset`.
std::size_t pageCharactersBetween(std::u16string_view source, std::size_t start, std::size_t offset,
                                  PageCounting counting);

// Where every cell of a grid page came from in the source. Filled block by
// block while the run writes the page (on the run's thread), then resolved
// against the source the run read, and only read after that.
class GridPageMap {
 public:
  // A cell of the page: its block (the page's n-th block, 0 the first), row
  // (1 the top) and column from the left (0 the leftmost vertical line), and
  // the source unit of its character.
  struct Cell {
    std::size_t source = 0;
    int block = 0;
    int row = 0;
    int column = 0;
  };

  void addBlock(const GridBlock& block);
  // Turns the places the typesetter counted into units of `source` (the text
  // as the run read it, line breaks as CR LF).
  void resolve(std::u16string_view source, PageCounting counting);

  bool empty() const { return cells_.empty(); }
  std::size_t size() const { return cells_.size(); }
  // The cell of the character at `offset`, or of the last one before it; the
  // first cell for a place before every cell.
  std::optional<Cell> cellAt(std::size_t offset) const;
  // The source unit of the cell at this place; an empty cell gives the
  // character set last before it in reading order (the first of its block
  // when there is none).
  std::optional<std::size_t> sourceAt(int block, int row, int column) const;

 private:
  struct Entry {
    Cell cell;
    std::uint32_t paragraph = 0;  // where the typesetter's count began
    std::uint32_t counted = 0;    // the characters it counted from there
  };
  std::vector<Entry> cells_;              // in reading order
  std::vector<std::uint32_t> bySource_;   // indices into cells_, by source unit
  std::vector<std::size_t> blockStarts_;  // the first entry of each block
  std::vector<int> blockLines_;           // the vertical lines of each block
};

// The lines of a text as the run reads it (CR LF) and as the editor holds it
// (one unit per line break): the place of a character in one and the other.
class SourceLines {
 public:
  SourceLines() = default;
  explicit SourceLines(std::u16string_view crlfText);
  // The editor's line and column of a unit of the run's text.
  std::pair<int, int> lineAndColumn(std::size_t offset) const;
  // The run's unit of an editor's line and column.
  std::size_t offsetOf(int line, int column) const;

 private:
  std::vector<std::size_t> starts_;  // the first unit of each line
  std::size_t length_ = 0;
};

}  // namespace zelvato::ui
