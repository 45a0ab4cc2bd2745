#pragma once

#include "document/conversion_host.h"
#include "document/conversion_settings.h"
#include "document/document.h"
#include "document/grid_block.h"

namespace zelvato {

inline constexpr int maxTabCells = 1000;

// What the grid typesetter reads of the settings, as numbers.
struct GridLayoutOptions {
  int charsPerLine = 25;
  int linesPerColumn = 20;
  int tabCells = 2;              // full-width spaces a tab stands for
  bool kanjiNumerals = true;     // digits become kanji numerals (kept together by the rules)
  bool lineBreakRules = false;   // kinsoku: hanging stops, pushing out, nothing split that belongs together
  bool manuscriptPaper = false;  // with the rules: those of manuscript paper
  bool tateChuYoko = false;      // two half-width digits (or !? pairs) across in one cell; with
                                 // kanji numerals digits are kanji too, so no number is mixed
  RubyMode rubyMode = RubyMode::paren;
  bool readingText = false;  // keep each cell's source characters for the reading text
  bool editorNotes = false;  // the editor's notes of the document shown in parentheses
  // A block of nothing but blank lines is handed on too (a manuscript counts
  // them); blank lines at the very end of the text still make no block.
  bool blankLineBlocks = false;
};

// The options of a run's settings: sides rounded halves to even (a side that is
// no 32-bit whole number gives 0, a grid that holds no cell), the tab's whole
// spaces (none below 1, at most maxTabCells).
GridLayoutOptions gridLayoutOptions(const ConversionSettings& settings);

// The grid a run lays out into; it holds no cell when the sides are unusable.
GridBlock makeGrid(const GridLayoutOptions& options);

// Sets the document into column blocks of the grid, cell by cell: every
// character widened to full width (a half-width kana and its voiced mark become
// the one composed character), a tab as full-width spaces, a carriage return
// ending the vertical line; the line-breaking rules, tate-chu-yoko and the
// marks of the document as the options ask. Hands each block to `handle` and
// empties it. Reports progress in source code units and asks for a stop before
// every character; yields once per character.
// False when the run was stopped, a block could not be handled or the grid holds no cell.
bool typesetGrid(const Document& document, const GridLayoutOptions& options, GridBlock& grid,
                 ConversionHost& host, const BlockHandler& handle);

}  // namespace zelvato
