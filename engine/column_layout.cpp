#include "column_layout.h"

#include <cmath>
#include <limits>

#include "aozora_notation.h"
#include "html_text.h"
#include "kinsoku.h"
#include "layout_position.h"
#include "messages.h"
#include "number_text.h"
#include "tate_chu_yoko.h"
#include "unicode_text.h"
#include "vertical_forms.h"
#include "widening.h"

namespace zelvato {

namespace {

// The whole full-width spaces a tab stands for: the integer part of the tab width,
// none below 1, never more than maxTabCells.
int tabCellCount(std::u16string_view tabWidth) {
  const double width = std::floor(textToNumber(tabWidth));
  if (!(width >= 1)) return 0;
  return width >= maxTabCells ? maxTabCells : static_cast<int>(width);
}

// Emphasis dots (傍点) follow the character in its cell and take the
// half-width position to its right, so the cell keeps its four positions.
constexpr char16_t emphasisDot = u'\uFF65';

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

bool ColumnGrid::fits(int charsPerLine, int linesPerColumn) {
  if (charsPerLine < 1 || linesPerColumn < 1) return false;
  const auto cells =
      (static_cast<std::size_t>(charsPerLine) + 1) * (static_cast<std::size_t>(linesPerColumn) + 1);
  return cells <= maxCells;
}

ColumnGrid::ColumnGrid(int charsPerLine, int linesPerColumn, bool hangingRow)
    : rows_(fits(charsPerLine + (hangingRow ? 1 : 0), linesPerColumn) && charsPerLine >= 1
                ? charsPerLine + (hangingRow ? 1 : 0)
                : 0),
      lines_(rows_ != 0 ? linesPerColumn : 0),
      hangingRow_(rows_ != 0 && hangingRow),
      cells_((static_cast<std::size_t>(rows_) + 1) * (static_cast<std::size_t>(lines_) + 1)) {}

bool ColumnGrid::isEmpty() const {
  for (int row = 1; row <= rows_; ++row)
    for (int line = 1; line <= lines_; ++line)
      if (!cell(row, line).empty()) return false;
  return true;
}

namespace {

// The character loop over the text as the layout takes it, with the marks of
// its notation applied where they stand.
bool layOutCharacters(std::u16string_view source, const std::vector<NotationMark>& marks,
                      const ConversionSettings& settings, ColumnGrid& grid, ConversionHost& host,
                      const BlockWriter& writeBlock) {
  const int tabCells = tabCellCount(settings.tabWidth);
  const bool kanjiNumerals = settings.kanjiNumerals;
  const bool kinsoku = settings.kinsoku;
  LayoutPosition position(grid, writeBlock, kinsoku);
  bool emphasis = false;
  const bool collectReadingText = settings.accessibleText;
  // The characters of a cell go into the reading text of the block that holds
  // them, so they are added once the cell has been taken.
  auto read = [&](std::u16string_view text) {
    if (collectReadingText) grid.readingText().append(text);
    return true;
  };

  std::int32_t handled = 0;

  // One character after widening and tab expansion: classed for the
  // line-breaking rules, then its vertical form, then its place in the grid.
  // `original` is the character as the text has it, kept for the reading text.
  auto placeUnit = [&](char16_t c, char16_t original) {
    const char16_t unified = unifyCodePagePair(c);
    const BreakClass breaking = kinsoku ? breakClass(unified) : BreakClass::free;
    c = toVerticalQuote(toVerticalForm(unified, kanjiNumerals));
    if (c == u'\r') {
      // The line break belongs to the block whose vertical line it ends.
      read(u"\n");
      return position.carriageReturn();
    }
    if (emphasis && c != u'\u3000' && cellPlace(std::u16string(1, c)) == CellPlace::centred) {
      const char16_t dotted[] = {c, emphasisDot};
      return position.place(std::u16string_view(dotted, 2), breaking, unified) &&
             read(std::u16string_view(&original, 1));
    }
    return position.place(std::u16string_view(&c, 1), breaking, unified) &&
           read(std::u16string_view(&original, 1));
  };

  // Every code unit is a position: it counts once, and a stop is noticed there.
  auto enterPosition = [&] {
    if (handled == std::numeric_limits<std::int32_t>::max()) return false;
    host.progressMade(++handled);
    return !host.stopRequested();
  };

  std::size_t nextMark = 0;
  auto applyMarks = [&](std::size_t k) {
    for (; nextMark < marks.size() && marks[nextMark].offset <= k; ++nextMark) {
      const NotationMark& mark = marks[nextMark];
      if (mark.kind == NotationMark::Kind::indent) {
        position.setIndent(mark.cells);
      } else if (mark.kind == NotationMark::Kind::emphasis) {
        emphasis = mark.cells != 0;
      } else if (!position.breakPage()) {
        return false;
      }
    }
    return true;
  };

  const std::size_t length = source.size();
  for (std::size_t k = 0; k < length;) {
    if (!applyMarks(k)) return false;
    if (!enterPosition()) return false;
    const char16_t c = source[k];
    if (isHighSurrogate(c) && k + 1 < length && isLowSurrogate(source[k + 1])) {
      // A character beyond the basic plane fills one cell and has no other form.
      if (!enterPosition()) return false;
      if (!position.place(source.substr(k, 2), BreakClass::free, 0) || !read(source.substr(k, 2)))
        return false;
      k += 2;
    } else if (settings.tateChuYoko && mayStartTateChuYoko(c) && startsTateChuYoko(source, k)) {
      // Two half-width characters across in one cell: four display positions, as any cell.
      if (!enterPosition()) return false;
      const char16_t pair[] = {narrowMark(c), narrowMark(source[k + 1])};
      const BreakClass breaking =
          kinsoku && !(c >= u'0' && c <= u'9') ? BreakClass::noBegin : BreakClass::free;
      if (!position.place(std::u16string_view(pair, 2), breaking, 0) || !read(source.substr(k, 2)))
        return false;
      k += 2;
    } else {
      // A control character would reach the page and the terminal raw; it
      // takes its cell as U+FFFD instead. Tab, CR and LF keep their roles.
      const char16_t wide = isStrayControl(c) ? u'\uFFFD' : widenCharacter(c);
      if (wide == u'\t') {
        for (int i = 0; i < tabCells; ++i)
          if (!placeUnit(u'\u3000', u'\u3000')) return false;
      } else if (wide != u'\n') {
        if (!placeUnit(wide, isStrayControl(c) ? u'\uFFFD' : c)) return false;
      }
      k += 1;
    }
    host.yieldToEvents();
  }
  if (!applyMarks(length)) return false;
  return position.finish();
}

}  // namespace

bool layoutText(std::u16string_view source, const ConversionSettings& settings, ColumnGrid& grid,
                ConversionHost& host, const BlockWriter& writeBlock) {
  if (grid.charsPerLine() < 1 || grid.linesPerColumn() < 1) return false;
  // The hanging row below every block comes with the line-breaking rules.
  if (grid.hasHangingRow() != settings.kinsoku)
    grid = ColumnGrid(grid.charsPerLine(), grid.linesPerColumn(), settings.kinsoku);
  if (grid.charsPerLine() < 1 || grid.linesPerColumn() < 1) return false;
  if (!settings.aozoraNotation) return layOutCharacters(source, {}, settings, grid, host, writeBlock);
  const AozoraText notated = readAozoraNotation(source, settings.rubyMode);
  if (!layOutCharacters(notated.text, notated.marks, settings, grid, host, writeBlock)) return false;
  // The notation read is shorter than the source, and all of the source is handled.
  if (source.size() > notated.text.size() && source.size() < std::numeric_limits<std::int32_t>::max())
    host.progressMade(static_cast<std::int32_t>(source.size()));
  return true;
}

std::u16string assembleRow(ColumnGrid& grid, int row, bool showGrid) {
  std::u16string text;
  const int linesPerColumn = grid.linesPerColumn();
  if (row < 1 || row > grid.rowCount()) return text;
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
        // The emphasis dot stands in the cell's right padding.
        if (cell.back() != emphasisDot) text += u' ';
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
