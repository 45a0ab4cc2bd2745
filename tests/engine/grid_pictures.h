#pragma once

// The grid typesetter as the reader sees it: short sources and the vertical
// lines they must give, read back from the blocks it hands on. Shared by the
// typesetter's tests and the line-breaking rules' tests.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "document/conversion_host.h"
#include "read/text_reader.h"
#include "text/unicode_text.h"
#include "typeset/grid_typesetter.h"
#include "write/grid_html/grid_rows.h"

namespace zelvato::grid_pictures {

// Counts what the typesetter asks of the host; stops the run at a chosen check.
class CountingHost : public ConversionHost {
 public:
  explicit CountingHost(int stopAtCheck = 0) : stopAtCheck_(stopAtCheck) {}
  void yieldToEvents() override { ++yields; }
  bool stopRequested() override { return ++stopChecks == stopAtCheck_; }
  void progressMade(std::int32_t codeUnitsHandled) override {
    if (codeUnitsHandled < handled) ++countsBack;
    handled = codeUnitsHandled;
  }
  void setStatusText(std::u16string_view) override {}
  void blockMarkupFinished(std::u16string_view) override {}

  int yields = 0;
  int stopChecks = 0;
  std::int32_t handled = 0;
  int countsBack = 0;

 private:
  int stopAtCheck_;
};

// A block as its vertical lines, right one first, each read top to bottom with
// "＿" for an empty cell, every cell as the grid pages show it; with the
// hanging row, "|" and that row's cell follow.
using BlockPicture = std::vector<std::u16string>;

inline BlockPicture pictureOf(const GridBlock& block, bool kanjiNumerals) {
  BlockPicture picture;
  for (int line = 1; line <= block.linesPerColumn(); ++line) {
    std::u16string cells;
    for (int row = 1; row <= block.rowCount(); ++row) {
      if (row > block.charsPerLine()) cells += u'|';
      const GridCell& cell = block.cell(row, line);
      cells += cell.empty() ? std::u16string(u"＿") : cellGlyphs(cell, GlyphOptions{kanjiNumerals});
    }
    picture.push_back(cells);
  }
  return picture;
}

// Records every block handed on; fails the chosen call.
struct Recorder {
  bool kanjiNumerals = true;
  int failAtCall = 0;
  int calls = 0;
  std::vector<BlockPicture> pictures;
  std::vector<std::u16string> readingTexts;

  BlockHandler handler() {
    return [this](const GridBlock& block) {
      if (++calls == failAtCall) return false;
      pictures.push_back(pictureOf(block, kanjiNumerals));
      readingTexts.push_back(block.readingText());
      return true;
    };
  }
};

// Kinsoku, tate-chu-yoko, Aozora notation; N: no kanji numerals.
enum Options { K = 1, T = 2, A = 4, N = 8 };

inline ConversionSettings settingsWith(int rows, int lines, int options = 0,
                                       RubyMode ruby = RubyMode::paren) {
  ConversionSettings settings;
  settings.charsPerLine = utf8ToUtf16(std::to_string(rows));
  settings.linesPerColumn = utf8ToUtf16(std::to_string(lines));
  settings.kinsoku = (options & K) != 0;
  settings.tateChuYoko = (options & T) != 0;
  settings.aozoraNotation = (options & A) != 0;
  settings.kanjiNumerals = (options & N) == 0;
  settings.rubyMode = ruby;
  settings.accessibleText = true;
  return settings;
}

inline bool typeset(std::u16string_view source, const ConversionSettings& settings, ConversionHost& host,
                    Recorder& recorder) {
  const GridLayoutOptions options = gridLayoutOptions(settings);
  GridBlock grid = makeGrid(options);
  recorder.kanjiNumerals = settings.kanjiNumerals;
  return typesetGrid(readDocument(source, settings.aozoraNotation), options, grid, host, recorder.handler());
}

inline std::vector<BlockPicture> blocksOf(std::u16string_view source, const ConversionSettings& settings) {
  CountingHost host;
  Recorder recorder;
  EXPECT_TRUE(typeset(source, settings, host, recorder));
  return recorder.pictures;
}

}  // namespace zelvato::grid_pictures
