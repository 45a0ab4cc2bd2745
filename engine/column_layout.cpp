#include "column_layout.h"

#include <cmath>
#include <limits>

#include "messages.h"
#include "number_text.h"
#include "unicode_text.h"
#include "vertical_forms.h"
#include "widening.h"

namespace zelvato {

namespace {

bool gridFits(int charsPerLine, int linesPerColumn) {
  if (charsPerLine < 1 || linesPerColumn < 1) return false;
  const auto cells =
      (static_cast<std::size_t>(charsPerLine) + 1) * (static_cast<std::size_t>(linesPerColumn) + 1);
  return cells <= ColumnGrid::maxCells;
}

// The whole full-width spaces a tab stands for: the integer part of the tab width,
// none below 1, never more than maxTabCells.
int tabCellCount(std::u16string_view tabWidth) {
  const double width = std::floor(textToNumber(tabWidth));
  if (!(width >= 1)) return 0;
  return width >= maxTabCells ? maxTabCells : static_cast<int>(width);
}

// How a cell sits in its four display positions: the marks that stand at one edge
// of their cell in vertical writing are pushed to that edge, the rest centred.
enum class CellPlace { centred, right, left };

CellPlace cellPlace(const std::u16string& cell) {
  if (cell.size() != 1) return CellPlace::centred;
  switch (cell.front()) {
    case u'゜':
    case u'｀':
    case u'┐':
      return CellPlace::right;
    case u'└':
      return CellPlace::left;
    default:
      return CellPlace::centred;
  }
}

}  // namespace

ColumnGrid::ColumnGrid(int charsPerLine, int linesPerColumn)
    : rows_(gridFits(charsPerLine, linesPerColumn) ? charsPerLine : 0),
      lines_(gridFits(charsPerLine, linesPerColumn) ? linesPerColumn : 0),
      cells_((static_cast<std::size_t>(rows_) + 1) * (static_cast<std::size_t>(lines_) + 1)) {}

bool ColumnGrid::isEmpty() const {
  for (int row = 1; row <= rows_; ++row)
    for (int line = 1; line <= lines_; ++line)
      if (!cell(row, line).empty()) return false;
  return true;
}

bool layoutText(std::u16string_view source, const ConversionSettings& settings, ColumnGrid& grid,
                ConversionHost& host, const BlockWriter& writeBlock) {
  const int charsPerLine = grid.charsPerLine();
  const int linesPerColumn = grid.linesPerColumn();
  if (charsPerLine < 1 || linesPerColumn < 1) return false;
  const int tabCells = tabCellCount(settings.tabWidth);
  const bool kanjiNumerals = settings.kanjiNumerals;

  int row = 0;
  int line = 1;
  std::int32_t handled = 0;

  // Moves to the cell of the next character. A carriage return ends the vertical
  // line; on a full line it is itself the move, so the next line's first cell
  // stays empty. A block is written only when a character no longer fits.
  auto movePosition = [&](bool carriageReturn) {
    if (row < charsPerLine) {
      if (!carriageReturn) {
        ++row;
      } else if (line < linesPerColumn) {
        ++line;
        row = 0;
      } else {
        if (!writeBlock(grid)) return false;
        line = 1;
        row = 0;
      }
    } else if (line < linesPerColumn) {
      ++line;
      row = 1;
    } else {
      if (!writeBlock(grid)) return false;
      line = 1;
      row = 1;
    }
    return true;
  };

  // One character after widening and tab expansion: its vertical form, then its
  // place in the grid.
  auto placeUnit = [&](char16_t c) {
    c = toVerticalQuote(toVerticalForm(unifyCodePagePair(c), kanjiNumerals));
    const bool carriageReturn = c == u'\r';
    if (!movePosition(carriageReturn)) return false;
    if (!carriageReturn) {
      std::u16string& cell = grid.cell(row, line);
      cell.clear();
      cell.push_back(c);
    }
    return true;
  };

  // Every code unit is a position: it counts once, and a stop is noticed there.
  auto enterPosition = [&] {
    if (handled == std::numeric_limits<std::int32_t>::max()) return false;
    host.progressMade(++handled);
    return !host.stopRequested();
  };

  const std::size_t length = source.size();
  for (std::size_t k = 0; k < length;) {
    if (!enterPosition()) return false;
    const char16_t c = source[k];
    if (isHighSurrogate(c) && k + 1 < length && isLowSurrogate(source[k + 1])) {
      // A character beyond the basic plane fills one cell and has no other form.
      if (!enterPosition()) return false;
      if (!movePosition(false)) return false;
      grid.cell(row, line).assign(source.substr(k, 2));
      k += 2;
    } else {
      const char16_t wide = widenCharacter(c);
      if (wide == u'\t') {
        for (int i = 0; i < tabCells; ++i)
          if (!placeUnit(u'\u3000')) return false;
      } else if (wide != u'\n') {
        if (!placeUnit(wide)) return false;
      }
      k += 1;
    }
    host.yieldToEvents();
  }
  return writeBlock(grid);
}

std::u16string assembleRow(ColumnGrid& grid, int row, bool showGrid) {
  std::u16string text;
  const int linesPerColumn = grid.linesPerColumn();
  if (row < 1 || row > grid.charsPerLine()) return text;
  text.reserve(static_cast<std::size_t>(linesPerColumn) * 6);
  for (int line = linesPerColumn; line >= 1; --line) {
    std::u16string& cell = grid.cell(row, line);
    if (showGrid && line != linesPerColumn) text += u'|';
    // Every cell takes four display positions; an empty one shows a full-width space.
    if (cell.empty()) {
      text += u" \u3000 ";
      continue;
    }
    switch (cellPlace(cell)) {
      case CellPlace::right:
        text += u"  ";
        text += cell;
        break;
      case CellPlace::left:
        text += cell;
        text += u"  ";
        break;
      case CellPlace::centred:
        text += u' ';
        text += cell;
        text += u' ';
        break;
    }
    cell.clear();
  }
  return text;
}

bool blockOpensPage(PageCounters& counters, std::u16string_view columnsPerPage) {
  if (counters.blocksWritten != counters.nextPageStart) return false;
  // The next start saturates at the ends of the counter's range: a page that
  // would begin beyond them is never reached.
  const double next = roundHalfEven(counters.nextPageStart + textToNumber(columnsPerPage));
  constexpr auto lowest = std::numeric_limits<std::int32_t>::min();
  constexpr auto highest = std::numeric_limits<std::int32_t>::max();
  if (next >= highest)
    counters.nextPageStart = highest;
  else if (next <= lowest)
    counters.nextPageStart = lowest;
  else if (!std::isnan(next))
    counters.nextPageStart = static_cast<std::int32_t>(next);
  return true;
}

bool blockClosesPage(const PageCounters& counters) {
  return std::int64_t{counters.blocksWritten} + 1 == counters.nextPageStart;
}

std::u16string blockStatusText(std::int32_t blocksWritten) {
  return std::u16string(messages::converting) + u" " + formatNumber(blocksWritten, 2) + u" ｺﾗﾑ処理済...";
}

}  // namespace zelvato
