// The typesetting options as the reader sees them: short sources and the
// vertical lines they must give, read back from the grid.

#include "layout_position.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording_host.h"
#include "unicode_text.h"

namespace zelvato {
namespace {

// A block as its vertical lines, right one first, each read top to bottom with
// "＿" for an empty cell; with the hanging row, "|" and that row's cell follow.
using BlockPicture = std::vector<std::u16string>;

std::vector<BlockPicture> layOut(std::u16string_view source, const ConversionSettings& settings, int rows,
                                 int lines) {
  std::vector<BlockPicture> blocks;
  const BlockWriter picture = [&](ColumnGrid& grid) {
    if (grid.isEmpty()) return true;
    BlockPicture block;
    for (int line = 1; line <= grid.linesPerColumn(); ++line) {
      std::u16string cells;
      for (int row = 1; row <= grid.rowCount(); ++row) {
        if (row > grid.charsPerLine()) cells += u'|';
        cells += grid.cell(row, line).empty() ? std::u16string(u"＿") : grid.cell(row, line);
      }
      block.push_back(cells);
    }
    for (int row = 1; row <= grid.rowCount(); ++row) assembleRow(grid, row, false);
    blocks.push_back(block);
    return true;
  };
  RecordingHost host;
  ColumnGrid grid(rows, lines);
  EXPECT_TRUE(layoutText(source, settings, grid, host, picture));
  return blocks;
}

enum Options { K = 1, T = 2, A = 4 };

ConversionSettings settingsWith(int options, RubyMode ruby = RubyMode::paren) {
  ConversionSettings settings;
  settings.kinsoku = (options & K) != 0;
  settings.tateChuYoko = (options & T) != 0;
  settings.aozoraNotation = (options & A) != 0;
  settings.rubyMode = ruby;
  return settings;
}

TEST(Typesetting, shortSourcesGiveTheVerticalLinesTheReaderExpects) {
  struct Case {
    const char* what;
    int options;
    std::u16string source;
    int rows, lines;
    std::vector<BlockPicture> blocks;
  };
  // From the opening of 芥川龍之介「羅生門」 (public domain), typed in for these tests.
  const Case cases[] = {
      {"a stop beginning a line hangs below it; in the last line it takes the block's hanging row",
       K,
       u"ある日の暮方の事である。",
       4,
       3,
       {{u"ある日の|＿", u"暮方の事|＿", u"である゜|＿"}}},
      {"the stop of the block's last line hangs in that block's row",
       K,
       u"一人の下人が羅生門の下で雨。",
       4,
       3,
       {{u"一人の下|＿", u"人が羅生|＿", u"門の下で|＿"}, {u"雨゜＿＿|＿", u"＿＿＿＿|＿", u"＿＿＿＿|＿"}}},
      {"the stop of a full block's last line hangs in its row",
       K,
       u"一人の下人が羅生門の下で。",
       4,
       3,
       {{u"一人の下|＿", u"人が羅生|＿", u"門の下で|゜"}}},
      {"」。 at a line's start: the character before goes down with them",
       K,
       u"待つてゐた」。と",
       5,
       2,
       {{u"待つてゐ＿|＿", u"た└゜と＿|＿"}}},
      {"。」 at a line's start: the hanging stop and the character before go down together",
       K,
       u"雨やみを待つ。」",
       5,
       2,
       {{u"雨やみを待|＿", u"つ゜└＿＿|＿"}}},
      {"す。」 at a line's start: the stop in the last cell goes down with the character before",
       K,
       u"雨やみで。」",
       5,
       2,
       {{u"雨やみ＿＿|＿", u"で゜└＿＿|＿"}}},
      {"a push that would empty the line leaves the mark at the start",
       K | A,
       u"［＃ここから３字下げ］\r\nあ」い",
       4,
       3,
       {{u"＿＿＿あ|＿", u"＿＿＿└|＿", u"＿＿＿い|＿"}}},
      {"an opening bracket in the last cell moves to the next line",
       K,
       u"下人は「雨」",
       4,
       2,
       {{u"下人は＿|＿", u"┐雨└＿|＿"}}},
      {"—— is not split across a line end", K, u"下人は――雨", 4, 2, {{u"下人は＿|＿", u"｜｜雨＿|＿"}}},
      {"…… is not split either", K, u"下人は……", 4, 2, {{u"下人は＿|＿", u"：：＿＿|＿"}}},
      {"no push across a block boundary", K, u"下人は雨」", 4, 1, {{u"下人は雨|＿"}, {u"└＿＿＿|＿"}}},
      {"small kana and ー do not begin a line", K, u"下人はキャー", 4, 2, {{u"下人は＿|＿", u"キャ｜＿|＿"}}},
      {"a carriage return still ends the line", K, u"下人は\r」", 4, 2, {{u"下人は＿|＿", u"└＿＿＿|＿"}}},
      {"after a hanging stop a carriage return lets the next line start at its top",
       K,
       u"下人は雨。\r\n門\r\n下人は雨\r\n門",
       4,
       4,
       {{u"下人は雨|゜", u"門＿＿＿|＿", u"下人は雨|＿", u"＿門＿＿|＿"}}},
      {"without the rules a line may begin with 。", 0, u"下人は雨。", 4, 2, {{u"下人は雨", u"゜＿＿＿"}}},
      {"two half-width digits sit across in one cell", T, u"第12回", 5, 1, {{u"第12回＿＿"}}},
      {"so do they with kanji numerals, while three digits go down",
       T,
       u"12と345",
       6,
       1,
       {{u"12と三四五＿"}}},
      {"two digits of a longer run go down", T, u"1２", 4, 1, {{u"一二＿＿"}}},
      {"!? and ！！ sit across; !!! goes down", T, u"何!?雨！！と!!!", 8, 1, {{u"何!?雨!!と！！！"}}},
      {"ruby goes into parentheses after its base",
       A,
       u"羅生門《らしやうもん》",
       9,
       2,
       {{u"羅生門∧らしやうも", u"ん∨＿＿＿＿＿＿＿"}}},
      {"an explicit ｜ marks where the base begins",
       A,
       u"一人の｜下人《げにん》が",
       9,
       1,
       {{u"一人の下人∧げにん"}, {u"∨が＿＿＿＿＿＿＿"}}},
      {"ruby at a block boundary, with the rules",
       K | A,
       u"あいうえお雨《あめ》",
       3,
       2,
       {{u"あいう|＿", u"えお雨|＿"}, {u"∧あ＿|＿", u"め∨＿|＿"}}},
      {"drop writes the base alone", A, u"下人《げにん》が", 4, 1, {{u"下人が＿"}}},
      {"an unknown annotation shows nothing", A, u"下人［＃「下人」は太字］が", 4, 1, {{u"下人が＿"}}},
      {"改ページ outside page files starts a new block",
       A,
       u"下人［＃改ページ］\r\nが",
       3,
       2,
       {{u"下人＿", u"＿＿＿"}, {u"が＿＿", u"＿＿＿"}}},
      {"a one-line indent lasts to the line's end (a full line's CR still leaves a cell)",
       A,
       u"［＃２字下げ］下人が雨\r\nを",
       4,
       3,
       {{u"＿＿下人", u"＿＿が雨", u"＿を＿＿"}}},
      {"an indented range counts in kanji numerals too",
       A,
       u"［＃ここから一字下げ］\r\n下人が\r\n［＃ここで字下げ終わり］\r\nを",
       3,
       3,
       {{u"＿下人", u"＿が＿", u"を＿＿"}}},
      {"emphasis dots sit beside the marked characters",
       A,
       u"雨や［＃「雨や」に傍点］み",
       4,
       1,
       {{u"雨･や･み＿"}}},
      {"emphasis dots reach a base behind its ruby",
       A,
       u"下人《げにん》［＃「下人」に傍点］",
       8,
       1,
       {{u"下･人･∧げにん∨＿"}}},
      {"every option off keeps the notation as text", 0, u"下《か》", 5, 1, {{u"下∧か∨＿"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const RubyMode ruby = std::string_view(c.what).starts_with("drop") ? RubyMode::drop : RubyMode::paren;
    EXPECT_EQ(layOut(c.source, settingsWith(c.options, ruby), c.rows, c.lines), c.blocks);
  }
}

TEST(Typesetting, digitsAcrossAndTheHangingRowKeepTheRowsExact) {
  ConversionSettings settings = settingsWith(K | T);
  settings.showGrid = true;
  std::vector<std::u16string> rows;
  const BlockWriter assemble = [&](ColumnGrid& grid) {
    for (int row = 1; row <= grid.rowCount(); ++row) rows.push_back(assembleRow(grid, row, true));
    return true;
  };
  RecordingHost host;
  ColumnGrid grid(3, 2);
  ASSERT_TRUE(layoutText(u"第12回。", settings, grid, host, assemble));
  // Every row holds two cells of four positions and one bar, the hanging row too.
  EXPECT_EQ(rows, (std::vector<std::u16string>{u" 　 | 第 ", u" 　 | 12 ", u" 　 | 回 ", u" 　 |  ゜"}));
}

}  // namespace
}  // namespace zelvato
