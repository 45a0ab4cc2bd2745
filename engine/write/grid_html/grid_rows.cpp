#include "write/grid_html/grid_rows.h"

#include "text/vertical_forms.h"

namespace zelvato {
namespace {

// A heading's cells in bold. The fixed-pitch faces of the list keep every
// glyph's advance in bold (their own bold face, or the browser's emboldening
// of the regular one), so the cells stay where they are.
constexpr std::u16string_view headingStart = u"<B>";
constexpr std::u16string_view headingEnd = u"</B>";

// Source text can never become markup: the ASCII characters that HTML treats
// specially are widened to their full-width forms before a row is written.
void widenMarkupCharacters(std::u16string& row, std::size_t from) {
  for (std::size_t k = from; k < row.size(); ++k) {
    char16_t& c = row[k];
    switch (c) {
      case u'<':
        c = u'＜';
        break;
      case u'>':
        c = u'＞';
        break;
      case u'&':
        c = u'＆';
        break;
      case u'"':
        c = u'＂';
        break;
      default:
        break;
    }
  }
}

// Emphasis marks (傍点) and side lines (傍線) stand in the half-width padding
// beside the character, on the side the notation gives, so the cell keeps its
// four positions: each kind has its own half-width look-alike of code page 932.
char16_t emphasisMark(EmphasisKind kind) {
  switch (kind) {
    case EmphasisKind::sesame:
      return u'\uFF65';  // ･
    case EmphasisKind::whiteSesame:
      return u'\uFF64';  // ､
    case EmphasisKind::blackCircle:
      return u'*';
    case EmphasisKind::whiteCircle:
      return u'\uFF9F';  // ﾟ
    case EmphasisKind::blackTriangle:
      return u'^';
    case EmphasisKind::whiteTriangle:
      return u'v';
    case EmphasisKind::doubleCircle:
      return u'@';
    case EmphasisKind::bullseye:
      return u'o';
    case EmphasisKind::cross:
      return u'x';
    case EmphasisKind::none:
      break;
  }
  return u' ';
}

char16_t lineMark(LineKind kind) {
  switch (kind) {
    case LineKind::solid:
      return u'|';
    case LineKind::doubled:
      return u'"';
    case LineKind::chain:
      return u'!';
    case LineKind::dashed:
      return u':';
    case LineKind::wavy:
      return u'~';
    case LineKind::none:
      break;
  }
  return u' ';
}

// The padding on one side of a cell's character: its 訓点, else its emphasis mark, else its side line.
char16_t paddingMark(const GridCell& cell, Side side) {
  if (const char16_t note = side == Side::right ? cell.rightNote : cell.leftNote; note != 0) return note;
  if (cell.emphasis != EmphasisKind::none && cell.emphasisSide == side) return emphasisMark(cell.emphasis);
  if (cell.line != LineKind::none && cell.lineSide == side) return lineMark(cell.line);
  // The voiced くの字点 〴 bears its voiced mark beside the upper half.
  if (side == Side::right && cell.text.size() == 1 && cell.text.front() == u'〴') return u'\uFF9E';
  return u' ';
}

// How a cell sits in its four display positions: the marks that stand at one edge
// of their cell in vertical writing are pushed to that edge, the rest centred.
enum class CellPlace { centred, right, left };

CellPlace cellPlace(std::u16string_view cell) {
  if (cell.size() != 1) return CellPlace::centred;
  switch (cell.front()) {
    case u'゜':
    case u'｀':
    case u'┐':
    case u'┓':
      return CellPlace::right;
    case u'└':
    case u'┗':
      return CellPlace::left;
    default:
      return CellPlace::centred;
  }
}

// The cell's character in its vertical look-alike: one code unit is looked up,
// a pair across or a character beyond the basic plane stays as it is.
// Kana and kanji, nearly every cell, stand as they are, centred; only ー turns.
inline bool standsAsItIs(char16_t c) {
  return c >= u'\u3040' && c <= u'\u9FFF' && c != u'ー';
}

char16_t verticalGlyph(char16_t c, const GlyphOptions& glyphs) {
  if (standsAsItIs(c)) return c;
  if (glyphs.unicodeForms)
    if (const char16_t form = toVerticalPresentationForm(c); form != 0) return form;
  if (glyphs.doubleBrackets && (c == u'『' || c == u'』')) return c == u'『' ? u'┓' : u'┗';
  return toVerticalQuote(toVerticalForm(c, glyphs.kanjiNumerals));
}

}  // namespace

GlyphOptions glyphOptions(const ConversionSettings& settings) {
  return {settings.kanjiNumerals, settings.doubleBracketForms, settings.unicodeVerticalForms};
}

std::u16string cellGlyphs(const GridCell& cell, const GlyphOptions& glyphs) {
  if (cell.text.size() != 1) return cell.text;
  const char16_t glyph = verticalGlyph(cell.text.front(), glyphs);
  std::u16string text(1, glyph);
  if (glyph == u'\u3000' || cellPlace(std::u16string_view(&glyph, 1)) != CellPlace::centred) return text;
  if (const char16_t left = paddingMark(cell, Side::left); left != u' ') text.insert(text.begin(), left);
  if (const char16_t right = paddingMark(cell, Side::right); right != u' ') text += right;
  return text;
}

namespace {

// One cell in its four display positions, appended in one go.
void appendCell(std::u16string& text, const GridCell& cell, const GlyphOptions& glyphs) {
  // An empty cell shows a full-width space.
  static constexpr char16_t blank[] = {u' ', u'\u3000', u' '};
  if (cell.empty()) {
    text.append(blank, 3);
    return;
  }
  if (cell.text.size() != 1) {
    text.push_back(u' ');
    text.append(cell.text);
    text.push_back(u' ');
    return;
  }
  const bool unmarked = cell.rightNote == 0 && cell.leftNote == 0 && cell.emphasis == EmphasisKind::none &&
                        cell.line == LineKind::none;
  if (unmarked && standsAsItIs(cell.text.front())) {
    const char16_t placed[] = {u' ', cell.text.front(), u' '};
    text.append(placed, 3);
    return;
  }
  const char16_t glyph = verticalGlyph(cell.text.front(), glyphs);
  switch (cellPlace(std::u16string_view(&glyph, 1))) {
    case CellPlace::right: {
      const char16_t placed[] = {u' ', u' ', glyph};
      text.append(placed, 3);
      break;
    }
    case CellPlace::left: {
      const char16_t placed[] = {glyph, u' ', u' '};
      text.append(placed, 3);
      break;
    }
    case CellPlace::centred: {
      if (glyph == u'\u3000') {
        text.append(blank, 3);
        break;
      }
      const char16_t placed[] = {paddingMark(cell, Side::left), glyph, paddingMark(cell, Side::right)};
      text.append(placed, 3);
      break;
    }
  }
}

}  // namespace

std::u16string assembleRow(const GridBlock& block, int row, bool showGrid, const GlyphOptions& glyphs) {
  std::u16string text;
  const int linesPerColumn = block.linesPerColumn();
  if (row < 1 || row > block.rowCount()) return text;
  text.reserve(static_cast<std::size_t>(linesPerColumn) * 6);
  for (int line = linesPerColumn; line >= 1; --line) {
    if (showGrid && line != linesPerColumn) text.push_back(u'|');
    appendCell(text, block.cell(row, line), glyphs);
  }
  return text;
}

std::u16string rowMarkup(const GridBlock& block, int row, bool showGrid, const GlyphOptions& glyphs) {
  std::u16string text;
  const int linesPerColumn = block.linesPerColumn();
  if (row < 1 || row > block.rowCount()) return text;
  text.reserve(static_cast<std::size_t>(linesPerColumn) * 6);
  bool bold = false;
  for (int line = linesPerColumn; line >= 1; --line) {
    const GridCell& cell = block.cell(row, line);
    const bool heading = cell.heading && !cell.empty();
    // The bold of a heading closes before the bar that follows its last cell.
    if (bold && !heading) {
      text += headingEnd;
      bold = false;
    }
    if (showGrid && line != linesPerColumn) text += u'|';
    if (heading && !bold) {
      text += headingStart;
      bold = true;
    }
    const std::size_t from = text.size();
    appendCell(text, cell, glyphs);
    widenMarkupCharacters(text, from);
  }
  if (bold) text += headingEnd;
  return text;
}

}  // namespace zelvato
