#pragma once

#include <string>

#include "document/conversion_settings.h"
#include "document/grid_block.h"

namespace zelvato {

// How the cells of a grid block are written as rows of monospaced text.

// How the characters of the cells are shown.
struct GlyphOptions {
  bool kanjiNumerals = true;    // full-width digits as kanji numerals
  bool doubleBrackets = false;  // 『』 as ┓┗, told apart from 「」 (┐└)
  bool unicodeForms = false;    // Unicode's vertical presentation forms where there is one
};
GlyphOptions glyphOptions(const ConversionSettings& settings);

// The text a cell shows: its character in the look-alike of its vertical form
// (or its vertical presentation form), an emphasis dot after it.
std::u16string cellGlyphs(const GridCell& cell, const GlyphOptions& glyphs);

// Row `row` of the block (the hanging row included) as horizontal text: lines
// L down to 1, every cell padded to four display positions, with "|" between
// cells when showGrid is on.
std::u16string assembleRow(const GridBlock& block, int row, bool showGrid, const GlyphOptions& glyphs);

// The same row as the page holds it: the ASCII characters that HTML treats
// specially widened, and the cells of a heading in bold.
std::u16string rowMarkup(const GridBlock& block, int row, bool showGrid, const GlyphOptions& glyphs);

}  // namespace zelvato
