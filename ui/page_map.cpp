#include "page_map.h"

#include <algorithm>

namespace zelvato::ui {

namespace {

// Walks the source from a unit on, character by character as the page counts them.
class PageWalk {
 public:
  PageWalk(std::u16string_view source, std::size_t at, PageCounting counting)
      : source_(source), at_(std::min(at, source.size())), counting_(counting) {
    skipUnshown();
  }

  std::size_t at() const { return at_; }
  bool ended() const { return at_ >= source_.size(); }

  // On to the next character the page shows.
  void next() {
    if (ended()) return;
    at_ += 1;
    skipUnshown();
  }

 private:
  // Line breaks, and with notation the marks that set nothing: 《ruby》 (when
  // the ruby stands beside the text), ［＃annotations］, the ruby's bar
  // (｜, or | before a 《 on its line) and the doubled marks of emphasis.
  void skipUnshown() {
    while (!ended()) {
      const char16_t c = source_[at_];
      if (c == u'\r' || c == u'\n') {
        ++at_;
        continue;
      }
      if (!counting_.notation) return;
      const char16_t next = at_ + 1 < source_.size() ? source_[at_ + 1] : u'\0';
      if (c == u'｜' || (c == u'|' && closing(u'《') != at_ + 1)) {
        ++at_;
      } else if ((c == u'《' && next == u'《') || (c == u'》' && next == u'》')) {
        // 《《text》》: emphasis dots beside the text, the marks set nothing.
        at_ += 2;
      } else if (c == u'《' && !counting_.rubyInText) {
        at_ = closing(u'》');
      } else if (c == u'［' && at_ + 1 < source_.size() && source_[at_ + 1] == u'＃') {
        at_ = closing(u'］');
      } else {
        return;
      }
    }
  }

  // The unit after the mark that closes the one at at_, on the same line; the
  // mark alone when the line has none.
  std::size_t closing(char16_t mark) const {
    for (std::size_t i = at_ + 1; i < source_.size(); ++i) {
      if (source_[i] == mark) return i + 1;
      if (source_[i] == u'\r' || source_[i] == u'\n') break;
    }
    return at_ + 1;
  }

  std::u16string_view source_;
  std::size_t at_;
  PageCounting counting_;
};

}  // namespace

std::size_t sourceOffsetAfter(std::u16string_view source, std::size_t start, std::size_t count,
                              PageCounting counting) {
  PageWalk walk(source, start, counting);
  for (std::size_t i = 0; i < count && !walk.ended(); ++i) walk.next();
  return walk.at();
}

std::size_t pageCharactersBetween(std::u16string_view source, std::size_t start, std::size_t offset,
                                  PageCounting counting) {
  PageWalk walk(source, start, counting);
  std::size_t count = 0;
  while (!walk.ended() && walk.at() < offset) {
    walk.next();
    ++count;
  }
  return count;
}

void GridPageMap::addBlock(const GridBlock& block) {
  const int block_ = static_cast<int>(blockStarts_.size());
  blockStarts_.push_back(cells_.size());
  const int lines = block.linesPerColumn();
  blockLines_.push_back(lines);
  // Reading order: the rightmost vertical line first, each from the top, the hanging row last.
  for (int line = 1; line <= lines; ++line) {
    for (int row = 1; row <= block.rowCount(); ++row) {
      const GridCell& cell = block.cell(row, line);
      if (cell.empty() || cell.sourceOffset == GridCell::noSource) continue;
      Entry entry;
      entry.cell = {cell.sourceOffset, block_, row, lines - line};
      entry.paragraph = cell.sourceParagraph;
      entry.counted = cell.sourceOffset - std::min(cell.sourceOffset, cell.sourceParagraph);
      cells_.push_back(entry);
    }
  }
}

void GridPageMap::resolve(std::u16string_view source, PageCounting counting) {
  // Cells of one paragraph come in the order they were counted: one walk per paragraph.
  std::vector<std::uint32_t> order(cells_.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<std::uint32_t>(i);
  std::stable_sort(order.begin(), order.end(), [this](std::uint32_t a, std::uint32_t b) {
    const Entry& x = cells_[a];
    const Entry& y = cells_[b];
    return x.paragraph != y.paragraph ? x.paragraph < y.paragraph : x.counted < y.counted;
  });
  std::optional<PageWalk> walk;
  std::uint32_t paragraph = 0;
  std::uint32_t counted = 0;
  for (const std::uint32_t i : order) {
    Entry& entry = cells_[i];
    if (!walk || entry.paragraph != paragraph) {
      walk.emplace(source, entry.paragraph, counting);
      paragraph = entry.paragraph;
      counted = 0;
    }
    for (; counted < entry.counted && !walk->ended(); ++counted) walk->next();
    entry.cell.source = walk->at();
  }
  bySource_ = std::move(order);
  std::stable_sort(bySource_.begin(), bySource_.end(), [this](std::uint32_t a, std::uint32_t b) {
    return cells_[a].cell.source < cells_[b].cell.source;
  });
}

std::optional<GridPageMap::Cell> GridPageMap::cellAt(std::size_t offset) const {
  if (bySource_.empty()) return std::nullopt;
  const auto after =
      std::upper_bound(bySource_.begin(), bySource_.end(), offset,
                       [this](std::size_t at, std::uint32_t i) { return at < cells_[i].cell.source; });
  return cells_[after == bySource_.begin() ? bySource_.front() : *(after - 1)].cell;
}

std::optional<std::size_t> GridPageMap::sourceAt(int block, int row, int column) const {
  if (block < 0 || static_cast<std::size_t>(block) >= blockStarts_.size()) return std::nullopt;
  const std::size_t first = blockStarts_[static_cast<std::size_t>(block)];
  const std::size_t end = static_cast<std::size_t>(block) + 1 < blockStarts_.size()
                              ? blockStarts_[static_cast<std::size_t>(block) + 1]
                              : cells_.size();
  if (first == end) return std::nullopt;
  // Reading order within the block: columns from the right, rows from the top.
  const int lines = blockLines_[static_cast<std::size_t>(block)];
  const auto before = [lines](const Cell& a, int row, int column) {
    const int lineA = lines - a.column, line = lines - column;
    return lineA != line ? lineA < line : a.row <= row;
  };
  std::size_t found = first;
  for (std::size_t i = first; i < end && before(cells_[i].cell, row, column); ++i) found = i;
  return cells_[found].cell.source;
}

SourceLines::SourceLines(std::u16string_view crlfText) : length_(crlfText.size()) {
  starts_.push_back(0);
  for (std::size_t i = 0; i < crlfText.size(); ++i) {
    if (crlfText[i] == u'\r' && i + 1 < crlfText.size() && crlfText[i + 1] == u'\n') {
      starts_.push_back(i + 2);
      ++i;
    } else if (crlfText[i] == u'\n' || crlfText[i] == u'\r') {
      starts_.push_back(i + 1);
    }
  }
}

std::pair<int, int> SourceLines::lineAndColumn(std::size_t offset) const {
  if (starts_.empty()) return {0, 0};
  offset = std::min(offset, length_);
  const auto line = std::upper_bound(starts_.begin(), starts_.end(), offset) - starts_.begin() - 1;
  return {static_cast<int>(line), static_cast<int>(offset - starts_[static_cast<std::size_t>(line)])};
}

std::size_t SourceLines::offsetOf(int line, int column) const {
  if (starts_.empty() || line < 0) return 0;
  const auto at = std::min(static_cast<std::size_t>(line), starts_.size() - 1);
  return std::min(starts_[at] + static_cast<std::size_t>(std::max(column, 0)), length_);
}

}  // namespace zelvato::ui
