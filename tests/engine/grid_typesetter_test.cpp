// The grid typesetter as the reader sees it: short sources and the vertical
// lines they must give, read back from the blocks it hands on.

#include "typeset/grid_typesetter.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "grid_pictures.h"
#include "read/text_reader.h"
#include "text/unicode_text.h"
#include "write/grid_html/grid_rows.h"

namespace zelvato {
namespace {

using namespace grid_pictures;

TEST(GridTypesetter, fillsVerticalLinesRightToLeftAndAssemblesPaddedRows) {
  CountingHost host;
  const GridLayoutOptions options = gridLayoutOptions(settingsWith(3, 3));
  GridBlock grid = makeGrid(options);
  std::vector<std::vector<std::u16string>> rows[2];
  ASSERT_TRUE(typesetGrid(readPlainText(u"あいうえおか"), options, grid, host, [&](const GridBlock& block) {
    for (const bool bars : {false, true}) {
      std::vector<std::u16string> blockRows;
      for (int row = 1; row <= block.rowCount(); ++row)
        blockRows.push_back(assembleRow(block, row, bars, GlyphOptions{}));
      rows[bars].push_back(blockRows);
    }
    return true;
  }));
  ASSERT_EQ(rows[0].size(), 1u);
  EXPECT_EQ(rows[0][0], (std::vector<std::u16string>{u" 　  え  あ ", u" 　  お  い ", u" 　  か  う "}));
  // Grid bars stand between vertical lines only.
  EXPECT_EQ(rows[1][0],
            (std::vector<std::u16string>{u" 　 | え | あ ", u" 　 | お | い ", u" 　 | か | う "}));
}

TEST(GridTypesetter, marksAtACellEdgeArePushedToThatEdge) {
  GridBlock grid(1, 6, false);
  const std::u16string cells[] = {u"。", u"，", u"「", u"」", u"𠮷", u""};
  for (int line = 1; line <= 6; ++line) grid.cell(1, line).text = cells[line - 1];
  EXPECT_EQ(assembleRow(grid, 1, false, GlyphOptions{}),
            u" \u3000 "
            u" 𠮷 "
            u"└  "
            u"  ┐"
            u"  ｀"
            u"  ゜");
  // Rows outside the grid give nothing rather than reading beyond it.
  EXPECT_EQ(assembleRow(grid, 0, true, GlyphOptions{}), u"");
  EXPECT_EQ(assembleRow(grid, 2, true, GlyphOptions{}), u"");
}

TEST(GridTypesetter, digitsAcrossAndTheHangingRowKeepTheRowsExact) {
  CountingHost host;
  const GridLayoutOptions options = gridLayoutOptions(settingsWith(3, 2, K | T | N));
  GridBlock grid = makeGrid(options);
  std::vector<std::u16string> rows;
  ASSERT_TRUE(typesetGrid(readPlainText(u"第12回。"), options, grid, host, [&](const GridBlock& block) {
    for (int row = 1; row <= block.rowCount(); ++row)
      rows.push_back(assembleRow(block, row, true, GlyphOptions{}));
    return true;
  }));
  // Every row holds two cells of four positions and one bar, the hanging row too.
  EXPECT_EQ(rows, (std::vector<std::u16string>{u" 　 | 第 ", u" 　 | 12 ", u" 　 | 回 ", u" 　 |  ゜"}));
}

TEST(GridTypesetter, eachCharacterShowsTheFormTheGlyphOptionsAsk) {
  struct Case {
    const char* what;
    GlyphOptions glyphs;
    std::u16string firstLine;
  };
  const Case cases[] = {
      {"look-alikes: 『』 like 「」", {}, u"┐┐└└゜｀∧∨：一二"},
      {"『』 in forms of their own", {true, true, false}, u"┐┓┗└゜｀∧∨：一二"},
      {"vertical presentation forms", {true, false, true}, u"﹁﹃﹄﹂︒︑︵︶︙一二"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CountingHost host;
    const GridLayoutOptions options = gridLayoutOptions(settingsWith(11, 1));
    GridBlock grid = makeGrid(options);
    std::u16string line;
    ASSERT_TRUE(typesetGrid(readPlainText(u"「『』」。、（）…１２"), options, grid, host,
                            [&](const GridBlock& block) {
                              for (int row = 1; row <= block.charsPerLine(); ++row)
                                line += cellGlyphs(block.cell(row, 1), c.glyphs);
                              return true;
                            }));
    EXPECT_EQ(line, c.firstLine);
  }
  // ┓ stands at the right edge of its cell like ┐, ┗ at the left like └.
  GridBlock grid(1, 2, false);
  grid.cell(1, 1).text = u"『";
  grid.cell(1, 2).text = u"』";
  EXPECT_EQ(assembleRow(grid, 1, false, {true, true, false}), u"┗    ┓");
}

TEST(GridTypesetter, widensUnifiesAndTurnsEachCharacter) {
  struct Case {
    std::u16string source;
    bool kanjiNumerals;
    std::u16string firstLine;
  };
  const Case cases[] = {
      {u"「はい。」", true, u"┐はい゜└＿"},
      {u"（１０）", true, u"∧一〇∨＿＿"},
      {u"（１０）", false, u"∧１０∨＿＿"},
      {u"(10)", true, u"∧一〇∨＿＿"},
      // A half-width kana and its voiced mark are the one composed character.
      {u"ｶﾞｰ｡", true, u"ガ｜゜＿＿＿"},
      {u"ﾊﾟﾋﾞｳﾞﾄﾞ", true, u"パビヴド＿＿"},
      {u"ｱﾞﾞﾟ", true, u"ア゛゛゜＿＿"},
      {u"a-b~c", true, u"ａ｜ｂ｜ｃ＿"},
      {u"〜—\u2212", true, u"｜｜｜＿＿＿"},
      {u"\"“”'`\\", true, u"〝〟〝’，￥"},
      {u"a b", true, u"ａ\u3000ｂ＿＿＿"},
      {u"｜―‘，", true, u"―｜，｀＿＿"},
      // Control characters that would reach the page and the terminal raw
      // (NUL, ESC of a terminal sequence, BEL, DEL, C1 NEL) fill their cells as
      // U+FFFD; the tab keeps its role.
      {std::u16string(u"a\0\x1bJ", 4), true, u"ａ\uFFFD\uFFFDＪ＿＿"},
      {u"\a\x7f\x85\tb", true, u"\uFFFD\uFFFD\uFFFD\u3000\u3000ｂ"},
      {u"𠮷🍣あ", true, u"𠮷🍣あ＿＿＿"},
      {std::u16string{u'\xD842', u'あ', u'\xDFB7'}, true,
       std::u16string{u'\xD842', u'あ', u'\xDFB7'} + u"＿＿＿"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(utf16ToUtf8(c.source));
    ConversionSettings settings = settingsWith(6, 3);
    settings.kanjiNumerals = c.kanjiNumerals;
    const auto blocks = blocksOf(c.source, settings);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0][0], c.firstLine);
  }
}

TEST(GridTypesetter, movesThePositionAsTheTableSays) {
  // C = 3, L = 2: each source puts the position in one situation and then sends a
  // carriage return or another character.
  struct Case {
    const char* situation;
    std::u16string source;
    std::vector<BlockPicture> blocks;
  };
  const Case cases[] = {
      {"row<C line<L, CR", u"あ\rい", {{u"あ＿＿", u"い＿＿"}}},
      {"row<C line<L, other", u"あい", {{u"あい＿", u"＿＿＿"}}},
      {"row<C line=L, CR", u"あ\rい\rう", {{u"あ＿＿", u"い＿＿"}, {u"う＿＿", u"＿＿＿"}}},
      {"row<C line=L, other", u"あ\rいう", {{u"あ＿＿", u"いう＿"}}},
      {"row=C line<L, CR", u"あいう\rえ", {{u"あいう", u"＿え＿"}}},
      {"row=C line<L, other", u"あいうえ", {{u"あいう", u"え＿＿"}}},
      {"row=C line=L, CR", u"あいうえおか\rき", {{u"あいう", u"えおか"}, {u"＿き＿", u"＿＿＿"}}},
      {"row=C line=L, other", u"あいうえおかき", {{u"あいう", u"えおか"}, {u"き＿＿", u"＿＿＿"}}},
      {"two carriage returns leave a line empty",
       u"あ\r\rい",
       {{u"あ＿＿", u"＿＿＿"}, {u"い＿＿", u"＿＿＿"}}},
      {"a line feed never breaks a line", u"あ\nい\r\nう", {{u"あい＿", u"う＿＿"}}},
      {"a text ending on a full block gives no extra block", u"あいうえおか", {{u"あいう", u"えおか"}}},
      {"a carriage return on the full last line gives no empty block",
       u"あいうえおか\r",
       {{u"あいう", u"えおか"}}},
      {"line ends alone give no block", u"\n\n\n", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.situation);
    EXPECT_EQ(blocksOf(c.source, settingsWith(3, 2)), c.blocks);
  }
}

TEST(GridTypesetter, aTabBecomesTheWholeNumberOfFullWidthSpaces) {
  struct Case {
    std::u16string tabWidth;
    std::vector<BlockPicture> blocks;
  };
  const Case cases[] = {
      {u"4", {{u"　　　", u"　あ＿", u"＿＿＿"}}},
      {u"2", {{u"　　あ", u"＿＿＿", u"＿＿＿"}}},
      {u"2.5", {{u"　　あ", u"＿＿＿", u"＿＿＿"}}},
      {u"0", {{u"あ＿＿", u"＿＿＿", u"＿＿＿"}}},
      {u"0.9", {{u"あ＿＿", u"＿＿＿", u"＿＿＿"}}},
      {u"-3", {{u"あ＿＿", u"＿＿＿", u"＿＿＿"}}},
      {u"abc", {{u"あ＿＿", u"＿＿＿", u"＿＿＿"}}},
      // Wider than a block: the spaces wrap into the next block like any characters.
      {u"10", {{u"　　　", u"　　　", u"　　　"}, {u"　あ＿", u"＿＿＿", u"＿＿＿"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(utf16ToUtf8(c.tabWidth));
    ConversionSettings settings = settingsWith(3, 3);
    settings.tabWidth = c.tabWidth;
    EXPECT_EQ(blocksOf(u"\tあ", settings), c.blocks);
  }
  // An absurd width is bounded instead of running away.
  for (const char16_t* width : {u"1E300", u"1E999", u"&H7FFFFFFF", u"99999999999"}) {
    SCOPED_TRACE(utf16ToUtf8(width));
    ConversionSettings settings = settingsWith(10, 10);
    settings.tabWidth = width;
    EXPECT_EQ(blocksOf(u"\t", settings).size(), static_cast<std::size_t>(maxTabCells / 100));
  }
}

TEST(GridTypesetter, reportsProgressInSourceUnitsAndAsksForAStopBeforeEveryCharacter) {
  struct Case {
    const char* what;
    std::u16string source;
    int options;
    int checks;
  };
  const Case cases[] = {
      {"plain text", u"あ\r\nい\tう", 0, 4},
      {"a text beyond sixteen bits", std::u16string(40000, u'あ'), 0, 40000},
      {"a pair beyond the basic plane is one character", u"𠮷🍣あ", 0, 3},
      {"notation is read, not counted", u"下人《げにん》［＃改ページ］が", A, 8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CountingHost host;
    Recorder recorder;
    ASSERT_TRUE(typeset(c.source, settingsWith(25, 20, c.options), host, recorder));
    EXPECT_EQ(host.handled, static_cast<std::int32_t>(c.source.size()));
    EXPECT_EQ(host.countsBack, 0);
    EXPECT_EQ(host.stopChecks, c.checks);
    EXPECT_EQ(host.yields, c.checks);
  }
}

TEST(GridTypesetter, aStopOrAFailedBlockEndsTheRunAtOnce) {
  struct Case {
    const char* what;
    std::u16string source;
    int stopAt;
    int failAtCall;
    std::size_t blocks;
    int yields;
    std::int32_t handled;
  };
  const Case cases[] = {
      {"a stop before the first character", u"あいうえおか", 1, 0, 0, 0, 1},
      {"a stop after a handed-on block", u"あいうえおか", 5, 0, 1, 4, 5},
      {"a stop on the last character", u"あいうえおか", 6, 0, 1, 5, 6},
      {"a stop on a pair beyond the basic plane", u"あ𠮷", 2, 0, 0, 1, 3},
      {"a failed block", u"あいうえおか", 0, 1, 0, 3, 4},
      {"a failed final block", u"あいうえ", 0, 2, 1, 4, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CountingHost host(c.stopAt);
    Recorder recorder;
    recorder.failAtCall = c.failAtCall;
    EXPECT_FALSE(typeset(c.source, settingsWith(3, 1), host, recorder));
    EXPECT_EQ(recorder.pictures.size(), c.blocks);
    EXPECT_EQ(host.yields, c.yields);
    EXPECT_EQ(host.handled, c.handled);
  }
  // A stop asked for only after the last character lets the run end normally.
  CountingHost late(4);
  Recorder recorder;
  EXPECT_TRUE(typeset(u"あいう", settingsWith(3, 1), late, recorder));
  EXPECT_EQ(recorder.pictures.size(), 1u);
}

TEST(GridTypesetter, absurdSizesGiveAGridThatHoldsNoCell) {
  const std::pair<int, int> sizes[] = {{0, 5},       {5, 0},      {-1, -1}, {INT_MIN, 3}, {INT_MAX, INT_MAX},
                                       {2000, 2000}, {1000000, 3}};
  for (auto [rows, lines] : sizes) {
    SCOPED_TRACE(std::to_string(rows) + " x " + std::to_string(lines));
    GridBlock grid(rows, lines, false);
    EXPECT_TRUE(grid.holdsNoCell());
    EXPECT_EQ(grid.linesPerColumn(), 0);
    CountingHost host;
    int calls = 0;
    EXPECT_FALSE(typesetGrid(readPlainText(u"あ"), GridLayoutOptions{}, grid, host,
                             [&](const GridBlock&) { return ++calls, true; }));
    EXPECT_EQ(calls, 0);
  }
  EXPECT_EQ(GridBlock(1, 1, false).charsPerLine(), 1);
  EXPECT_EQ(GridBlock(1000, 1000, false).linesPerColumn(), 1000);
  // The hanging row counts: a grid that fits only without it holds no cell with it.
  EXPECT_FALSE(GridBlock(1023, 1023, false).holdsNoCell());
  EXPECT_TRUE(GridBlock(1023, 1023, true).holdsNoCell());
}

TEST(GridTypesetter, theReadingTextIsTheSourceOfEachBlockInReadingOrder) {
  CountingHost host;
  Recorder recorder;
  ASSERT_TRUE(typeset(u"ｶﾞ「1\t𠮷」\r\n\r\nい\x1bう", settingsWith(4, 2), host, recorder));
  EXPECT_EQ(recorder.readingTexts,
            (std::vector<std::u16string>{u"ｶﾞ「1\u3000\u3000𠮷」\n", u"\nい\uFFFDう"}));
}

TEST(GridTypesetter, shortSourcesGiveTheVerticalLinesTheReaderExpects) {
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
      {"—— is not split across a line end, nor begins a line",
       K,
       u"下人は――雨",
       4,
       2,
       {{u"下人＿＿|＿", u"は｜｜雨|＿"}}},
      {"…… is not split either", K, u"下人は……", 4, 2, {{u"下人＿＿|＿", u"は：：＿|＿"}}},
      {"small kana and ー do not begin a line", K, u"下人はキャー", 4, 2, {{u"下人は＿|＿", u"キャ｜＿|＿"}}},
      {"a carriage return still ends the line", K, u"下人は\r」", 4, 2, {{u"下人は＿|＿", u"└＿＿＿|＿"}}},
      {"after a hanging stop, and on a full line, a carriage return lets the next line start at its top",
       K,
       u"下人は雨。\r\n門\r\n下人は雨\r\n門",
       4,
       4,
       {{u"下人は雨|゜", u"門＿＿＿|＿", u"下人は雨|＿", u"門＿＿＿|＿"}}},
      {"without the rules a line may begin with 。", 0, u"下人は雨。", 4, 2, {{u"下人は雨", u"゜＿＿＿"}}},
      {"two half-width digits sit across in one cell", T | N, u"第12回", 5, 1, {{u"第12回＿＿"}}},
      {"with kanji numerals every digit is a kanji numeral: no number or date is mixed",
       T,
       u"2013年7月17日",
       10,
       1,
       {{u"二〇一三年七月一七日"}}},
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
       {{u"一人の＿＿＿＿＿＿"}, {u"下人∧げにん∨が＿"}}},
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
    EXPECT_EQ(blocksOf(c.source, settingsWith(c.rows, c.lines, c.options, ruby)), c.blocks);
  }
}

// With ruby left out of the cells, the first cell of each base carries its
// ruby and the cells it fills, so a writer can set the ruby beside them.
TEST(GridTypesetter, droppedRubyGoesWithTheFirstCellOfItsBase) {
  struct Case {
    const char* name;
    std::u16string source;
    int rows;
    std::vector<std::u16string> expected;  // "ruby/cells" of every cell in reading order, "" for none
  };
  const Case cases[] = {
      {"a base inside a line", u"あ｜漢字《かんじ》い", 5, {u"", u"かんじ/2", u"", u""}},
      {"a base that no longer fits moves to the next line with its ruby",
       u"あいう漢字《かんじ》",
       4,
       {u"", u"", u"", u"かんじ/2", u""}},
      {"no ruby, no mark", u"あいう", 5, {u"", u"", u""}},
  };
  for (const Case& c : cases) {
    const GridLayoutOptions options = gridLayoutOptions(settingsWith(c.rows, 3, A, RubyMode::drop));
    GridBlock grid = makeGrid(options);
    CountingHost host;
    std::vector<std::u16string> marks;
    ASSERT_TRUE(typesetGrid(readDocument(c.source, true), options, grid, host, [&](const GridBlock& block) {
      for (int line = 1; line <= block.linesPerColumn(); ++line)
        for (int row = 1; row <= block.rowCount(); ++row) {
          const GridCell& cell = block.cell(row, line);
          if (cell.empty()) continue;
          marks.push_back(cell.ruby.empty() ? std::u16string()
                                            : cell.ruby + u"/" + utf8ToUtf16(std::to_string(cell.rubyCells)));
        }
      return true;
    })) << c.name;
    EXPECT_EQ(marks, c.expected) << c.name;
  }
}

}  // namespace
}  // namespace zelvato

namespace zelvato {
namespace {

using namespace grid_pictures;

// Every kind of Aozora Bunko notation as the grid shows it: one row per kind,
// the vertical lines it must give.
TEST(GridTypesetter, everyKindOfNotationGivesItsVerticalLines) {
  struct Case {
    const char* what;
    std::u16string source;
    int rows, lines;
    std::vector<BlockPicture> blocks;
    bool editorNotes = false;
  };
  const Case cases[] = {
      {"地付き: the text ends in the last cell", u"［＃地付き］山田", 5, 1, {{u"＿＿＿山田"}}},
      {"地からN字上げ: N cells above the foot", u"［＃地から２字上げ］山田", 6, 1, {{u"＿＿山田＿＿"}}},
      {"地付き after text: at the foot of the same line", u"本文［＃地付き］山田", 6, 1, {{u"本文＿＿山田"}}},
      {"地付き that does not fit: at the foot of the next line, which the next text does not skip",
       u"本文本文［＃地付き］山田\r\n次",
       5,
       3,
       {{u"本文本文＿", u"＿＿＿山田", u"次＿＿＿＿"}}},
      {"a hanging indent: first line at the head, the lines it wraps to below (a full line's CR leaves a "
       "cell)",
       u"［＃ここから改行天付き、折り返して２字下げ］\r\n一二三四五六\r\n［＃ここで字下げ終わり］\r\n七",
       4,
       3,
       {{u"一二三四", u"＿＿五六", u"＿七＿＿"}}},
      {"N字下げ、折り返してM字下げ",
       u"［＃ここから１字下げ、折り返して２字下げ］\r\n一二三四五",
       4,
       2,
       {{u"＿一二三", u"＿＿四五"}}},
      {"a gaiji without a code keeps its description", u"※［＃「木＋世」、140-1］", 8, 1, {{u"※∧┐木＋世└∨"}}},
      {"返り点 レ and one katakana of 訓点送り仮名 small beside their kanji",
       u"不［＃レ］知［＃（ラ）］",
       3,
       1,
       {{u"ﾚ不知ﾗ＿"}}},
      {"訓点 with no half-width form, or with the padding taken, in the cells after",
       u"知［＃二］不［＃（ナリ）］雨［＃「雨」に傍点］［＃（ノ）］",
       8,
       1,
       {{u"知二不ナリ雨･ノ＿"}}},
      {"白丸傍点 on the right", u"雨［＃「雨」に白丸傍点］", 2, 1, {{u"雨ﾟ＿"}}},
      {"傍点 on the left", u"雨［＃「雨」の左に傍点］", 2, 1, {{u"･雨＿"}}},
      {"ばつ傍点 as a range", u"［＃ばつ傍点］雨や［＃ばつ傍点終わり］み", 3, 1, {{u"雨xやxみ"}}},
      {"二重傍線", u"雨［＃「雨」に二重傍線］", 2, 1, {{u"雨\"＿"}}},
      {"破線 on the left", u"雨［＃「雨」の左に破線］", 2, 1, {{u":雨＿"}}},
      {"〔〕 accents as composed letters", u"〔Gene`ve〕", 7, 1, {{u"Ｇｅｎèｖｅ＿"}}},
      {"挿絵: a placeholder with the caption",
       u"［＃「山」のキャプション付きの図（fig1.png、横1×縦1）入る］",
       7,
       1,
       {{u"∧挿絵：山∨＿"}}},
      {"割り注 in parentheses", u"本［＃割り注］注記［＃割り注終わり］", 5, 1, {{u"本∧注記∨"}}},
      {"縦中横 by annotation: two half-width characters across in one cell",
       u"ab［＃「ab」は縦中横］c",
       3,
       1,
       {{u"abｃ＿"}}},
      {"縦中横 of three characters: one per cell", u"abc［＃「abc」は縦中横］", 4, 1, {{u"ａｂｃ＿"}}},
      {"縦中横 of two full-width characters: set half-width across", u"１２［＃「１２」は縦中横］", 2, 1, {{u"12＿"}}},
      {"size, bold, box, across, scripts: the text in order",
       u"［＃２段階小さな文字］小［＃小さな文字終わり］太［＃「太」は太字］囲［＃「囲」は罫囲み］上［＃「上」"
       u"は上付き小文字］",
       5,
       1,
       {{u"小太囲上＿"}}},
      {"ページの左右中央: the page's lines in the middle of its block (a full line's CR leaves a cell)",
       u"［＃ページの左右中央］\r\n一二三\r\n四\r\n［＃改ページ］\r\n次",
       3,
       5,
       {{u"＿＿＿", u"一二三", u"＿四＿", u"＿＿＿", u"＿＿＿"},
        {u"次＿＿", u"＿＿＿", u"＿＿＿", u"＿＿＿", u"＿＿＿"}}},
      {"改段: a new column block", u"上［＃改段］下", 2, 2, {{u"上＿", u"＿＿"}, {u"下＿", u"＿＿"}}},
      {"字詰め: the range's lines break after N cells, the lines after it do not",
       u"［＃ここから３字詰め］\r\n一二三四五\r\n［＃ここで字詰め終わり］\r\n六七八九十",
       5,
       3,
       {{u"一二三＿＿", u"四五＿＿＿", u"六七八九十"}}},
      {"字詰め after indents: the indent within the N cells",
       u"［＃ここから１字下げ、折り返して２字下げ、４字詰め］\r\n一二三四五",
       6,
       3,
       {{u"＿一二三＿＿", u"＿＿四五＿＿", u"＿＿＿＿＿＿"}}},
      {"字詰め as long as the grid's line or longer changes nothing",
       u"［＃ここから９字詰め］\r\n一二三四",
       3,
       2,
       {{u"一二三", u"四＿＿"}}},
      {"a note of what the printed character bears: the text stays",
       u"シ［＃「シ」の右上に小さな四角あり］オン",
       5,
       1,
       {{u"シオン＿＿"}}},
      {"an editor's note dropped", u"儘［＃「儘」はママ］", 5, 1, {{u"儘＿＿＿＿"}}},
      {"an editor's note shown", u"儘［＃「儘」はママ］", 5, 1, {{u"儘∧ママ∨"}}, true},
      {"左ルビ in parentheses after its base", u"山［＃「山」の左に「やま」のルビ］", 5, 1, {{u"山∧やま∨"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ConversionSettings settings = settingsWith(c.rows, c.lines, A);
    settings.showEditorNotes = c.editorNotes;
    EXPECT_EQ(blocksOf(c.source, settings), c.blocks);
  }
}

}  // namespace
}  // namespace zelvato
