#include "column_layout.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "unicode_text.h"

namespace zelvato {
namespace {

// Counts what the layout asks of the window; stops the run at a chosen position.
class RecordingHost : public ConversionHost {
 public:
  explicit RecordingHost(int stopAtCheck = 0) : stopAtCheck_(stopAtCheck) {}
  void yieldToEvents() override { ++yields; }
  bool stopRequested() override {
    ++stopChecks;
    // The count is reported before the stop is asked for, at every position.
    if (handled != stopChecks) ++countsOutOfStep;
    return stopChecks == stopAtCheck_;
  }
  void progressMade(std::int32_t codeUnitsHandled) override { handled = codeUnitsHandled; }
  void setStatusText(std::u16string_view text) override { statusTexts.emplace_back(text); }
  void blockMarkupFinished(std::u16string_view markup) override { markups.emplace_back(markup); }

  int yields = 0;
  int stopChecks = 0;
  std::int32_t handled = 0;
  int countsOutOfStep = 0;
  std::vector<std::u16string> statusTexts;
  std::vector<std::u16string> markups;

 private:
  int stopAtCheck_;
};

// A block is pictured as its vertical lines, right one first, each read top to
// bottom with "＿" for an empty cell.
using BlockPicture = std::vector<std::u16string>;

// Records every non-empty block as a picture and as its assembled rows, emptying
// the grid the way the page writer does; fails the chosen call.
struct RecordingWriter {
  bool showGrid = false;
  int failAtCall = 0;
  int calls = 0;
  int emptyCalls = 0;
  std::vector<BlockPicture> pictures;
  std::vector<std::vector<std::u16string>> rows;

  BlockWriter writer() {
    return [this](ColumnGrid& grid) {
      if (++calls == failAtCall) return false;
      if (grid.isEmpty()) {
        ++emptyCalls;
        return true;
      }
      BlockPicture picture;
      for (int line = 1; line <= grid.linesPerColumn(); ++line) {
        std::u16string cells;
        for (int row = 1; row <= grid.charsPerLine(); ++row)
          cells += grid.cell(row, line).empty() ? std::u16string(u"＿") : grid.cell(row, line);
        picture.push_back(cells);
      }
      pictures.push_back(picture);
      std::vector<std::u16string> blockRows;
      for (int row = 1; row <= grid.charsPerLine(); ++row)
        blockRows.push_back(assembleRow(grid, row, showGrid));
      rows.push_back(blockRows);
      return true;
    };
  }
};

ConversionSettings settingsWith(std::u16string tabWidth = u"2", bool kanjiNumerals = true) {
  ConversionSettings settings;
  settings.tabWidth = std::move(tabWidth);
  settings.kanjiNumerals = kanjiNumerals;
  return settings;
}

class ColumnLayoutTest : public ::testing::Test {
 protected:
  bool layOut(std::u16string_view source, int charsPerLine, int linesPerColumn,
              const ConversionSettings& settings = settingsWith()) {
    ColumnGrid grid(charsPerLine, linesPerColumn);
    return layoutText(source, settings, grid, host, recorder.writer());
  }

  RecordingHost host;
  RecordingWriter recorder;
};

TEST_F(ColumnLayoutTest, fillsVerticalLinesRightToLeftAndAssemblesPaddedRows) {
  ASSERT_TRUE(layOut(u"あいうえおか", 3, 3));
  ASSERT_EQ(recorder.pictures.size(), 1u);
  EXPECT_EQ(recorder.pictures[0], (BlockPicture{u"あいう", u"えおか", u"＿＿＿"}));
  EXPECT_EQ(recorder.rows[0],
            (std::vector<std::u16string>{u" 　  え  あ ", u" 　  お  い ", u" 　  か  う "}));
  EXPECT_EQ(recorder.calls, 1);
}

TEST_F(ColumnLayoutTest, gridBarsStandBetweenVerticalLinesOnly) {
  recorder.showGrid = true;
  ASSERT_TRUE(layOut(u"あいうえおか", 3, 3));
  ASSERT_EQ(recorder.rows.size(), 1u);
  EXPECT_EQ(recorder.rows[0],
            (std::vector<std::u16string>{u" 　 | え | あ ", u" 　 | お | い ", u" 　 | か | う "}));
}

TEST(AssembleRow, marksAtACellEdgeArePushedToThatEdgeAndTheRowIsEmptied) {
  ColumnGrid grid(1, 6);
  const std::u16string cells[] = {u"゜", u"｀", u"┐", u"└", u"𠮷", u""};
  for (int line = 1; line <= 6; ++line) grid.cell(1, line) = cells[line - 1];
  EXPECT_EQ(assembleRow(grid, 1, false),
            u" \u3000 "
            u" 𠮷 "
            u"└  "
            u"  ┐"
            u"  ｀"
            u"  ゜");
  EXPECT_TRUE(grid.isEmpty());
  EXPECT_EQ(assembleRow(grid, 1, true), u" \u3000 | \u3000 | \u3000 | \u3000 | \u3000 | \u3000 ");
  // Rows outside the grid give nothing rather than reading beyond it.
  EXPECT_EQ(assembleRow(grid, 0, true), u"");
  EXPECT_EQ(assembleRow(grid, 2, true), u"");
}

TEST_F(ColumnLayoutTest, convertsEveryCharacterToItsVerticalForm) {
  ASSERT_TRUE(layOut(u"「はい。」", 6, 3));
  ASSERT_EQ(recorder.pictures.size(), 1u);
  EXPECT_EQ(recorder.pictures[0][0], u"┐はい゜└＿");
  EXPECT_EQ(recorder.rows[0][0], u" 　  　   ┐");
  EXPECT_EQ(recorder.rows[0][3], u" 　  　   ゜");
  EXPECT_EQ(recorder.rows[0][4], u" 　  　 └  ");
}

TEST_F(ColumnLayoutTest, widensUnifiesAndTurnsEachCharacterBeforeStoringIt) {
  struct Case {
    std::u16string source;
    bool kanjiNumerals;
    std::u16string firstLine;
  };
  const Case cases[] = {
      {u"（１０）", true, u"∧一〇∨＿＿"},
      {u"（１０）", false, u"∧１０∨＿＿"},
      {u"(10)", true, u"∧一〇∨＿＿"},
      {u"ｶﾞｰ｡", true, u"カ゛｜゜＿＿"},
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
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(utf16ToUtf8(c.source));
    RecordingWriter writer;
    ColumnGrid grid(6, 3);
    ASSERT_TRUE(layoutText(c.source, settingsWith(u"2", c.kanjiNumerals), grid, host, writer.writer()));
    ASSERT_EQ(writer.pictures.size(), 1u);
    EXPECT_EQ(writer.pictures[0][0], c.firstLine);
  }
}

TEST_F(ColumnLayoutTest, movesThePositionAsTheTableSays) {
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
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.situation);
    RecordingWriter writer;
    ColumnGrid grid(3, 2);
    ASSERT_TRUE(layoutText(c.source, settingsWith(), grid, host, writer.writer()));
    EXPECT_EQ(writer.pictures, c.blocks);
    EXPECT_TRUE(grid.isEmpty());
  }
}

TEST_F(ColumnLayoutTest, aTextEndingOnAFullBlockWritesNoExtraBlock) {
  ASSERT_TRUE(layOut(u"あいうえおか", 3, 2));
  EXPECT_EQ(recorder.pictures.size(), 1u);
  EXPECT_EQ(recorder.calls, 1);
  EXPECT_EQ(recorder.emptyCalls, 0);
}

TEST_F(ColumnLayoutTest, theFinalWriteFindsAnEmptyGridWhenNothingIsLeft) {
  struct Case {
    const char* what;
    std::u16string source;
    std::size_t blocks;
  };
  const Case cases[] = {
      {"carriage return on a full last line", u"あいうえおか\r", 1},
      {"carriage return on the last line", u"あ\rい\r", 1},
      {"only line feeds", u"\n\n\n", 0},
      {"only a zero-width tab", u"\t", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RecordingWriter writer;
    ColumnGrid grid(3, 2);
    ASSERT_TRUE(layoutText(c.source, settingsWith(u"0"), grid, host, writer.writer()));
    EXPECT_EQ(writer.pictures.size(), c.blocks);
    EXPECT_EQ(writer.emptyCalls, 1);
  }
}

TEST_F(ColumnLayoutTest, aTabBecomesTheWholeNumberOfFullWidthSpaces) {
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
    RecordingWriter writer;
    ColumnGrid grid(3, 3);
    ASSERT_TRUE(layoutText(u"\tあ", settingsWith(c.tabWidth), grid, host, writer.writer()));
    EXPECT_EQ(writer.pictures, c.blocks);
  }
}

TEST_F(ColumnLayoutTest, anAbsurdTabWidthIsBoundedInsteadOfRunningAway) {
  for (const char16_t* width : {u"1E300", u"1E999", u"&H7FFFFFFF", u"99999999999"}) {
    SCOPED_TRACE(utf16ToUtf8(width));
    RecordingWriter writer;
    ColumnGrid grid(10, 10);
    ASSERT_TRUE(layoutText(u"\t", settingsWith(width), grid, host, writer.writer()));
    EXPECT_EQ(writer.pictures.size(), static_cast<std::size_t>(maxTabCells / 100));
  }
}

TEST_F(ColumnLayoutTest, countsProgressPerCodeUnitAndYieldsPerCharacter) {
  ASSERT_TRUE(layOut(u"あ\r\nい\tう", 3, 3));
  EXPECT_EQ(host.handled, 6);
  EXPECT_EQ(host.yields, 6);
  EXPECT_EQ(host.stopChecks, 6);
  EXPECT_EQ(host.countsOutOfStep, 0);
}

TEST_F(ColumnLayoutTest, aStopFailsTheLayoutAtThatPositionAndDropsUnwrittenCells) {
  struct Case {
    const char* what;
    std::u16string source;
    int stopAt;
    std::size_t blocks;
    int yields;
  };
  const Case cases[] = {
      {"before the first character", u"あいうえおか", 1, 0, 0},
      {"after a written block", u"あいうえおか", 5, 1, 4},
      {"on the last character", u"あいうえおか", 6, 1, 5},
      {"on the second half of a pair", u"あ𠮷", 3, 0, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RecordingHost stopping(c.stopAt);
    RecordingWriter writer;
    ColumnGrid grid(3, 1);
    EXPECT_FALSE(layoutText(c.source, settingsWith(), grid, stopping, writer.writer()));
    EXPECT_EQ(writer.pictures.size(), c.blocks);
    EXPECT_EQ(stopping.handled, c.stopAt);
    EXPECT_EQ(stopping.yields, c.yields);
  }
}

TEST_F(ColumnLayoutTest, aStopAfterTheLastCharacterLetsTheRunEndNormally) {
  RecordingHost stopping(4);  // asked only after the loop is complete
  ColumnGrid grid(3, 1);
  EXPECT_TRUE(layoutText(u"あいう", settingsWith(), grid, stopping, recorder.writer()));
  EXPECT_EQ(recorder.pictures.size(), 1u);
}

TEST_F(ColumnLayoutTest, aFailedBlockWriteStopsTheLayoutAtOnce) {
  recorder.failAtCall = 1;
  ColumnGrid grid(3, 1);
  EXPECT_FALSE(layoutText(u"あいうえおか", settingsWith(), grid, host, recorder.writer()));
  EXPECT_EQ(recorder.calls, 1);
  EXPECT_EQ(host.handled, 4);
  EXPECT_EQ(host.yields, 3);
  // The character that did not fit was never stored.
  EXPECT_EQ(grid.cell(1, 1), u"あ");
}

TEST_F(ColumnLayoutTest, aFailedFinalWriteFailsTheLayout) {
  recorder.failAtCall = 2;
  EXPECT_FALSE(layOut(u"あいうえ", 3, 1));
  EXPECT_EQ(recorder.calls, 2);
  EXPECT_EQ(host.handled, 4);
}

TEST_F(ColumnLayoutTest, aTextBeyondSixteenBitsConvertsWithTheFullCount) {
  const std::u16string source(40000, u'あ');
  ASSERT_TRUE(layOut(source, 25, 20));
  EXPECT_EQ(host.handled, 40000);
  EXPECT_EQ(recorder.pictures.size(), 80u);
  EXPECT_EQ(host.yields, 40000);
}

TEST_F(ColumnLayoutTest, aSurrogatePairIsOneCharacterInOneCell) {
  ASSERT_TRUE(layOut(u"𠮷🍣あ", 3, 3));
  ASSERT_EQ(recorder.pictures.size(), 1u);
  EXPECT_EQ(recorder.pictures[0][0], u"𠮷🍣あ");
  EXPECT_EQ(recorder.rows[0][0], u" 　  　  𠮷 ");
  EXPECT_EQ(host.handled, 5);
  EXPECT_EQ(host.yields, 3);
}

TEST_F(ColumnLayoutTest, aLoneSurrogateKeepsItsOwnCell) {
  const std::u16string source{u'\xD842', u'あ', u'\xDFB7', u'\xD842'};
  ASSERT_TRUE(layOut(source, 4, 3));
  ASSERT_EQ(recorder.pictures.size(), 1u);
  EXPECT_EQ(recorder.pictures[0][0], source);
  EXPECT_EQ(host.handled, 4);
}

TEST(ColumnGrid, absurdSizesGiveAGridTheLayoutRefuses) {
  const std::pair<int, int> sizes[] = {{0, 5},       {5, 0},      {-1, -1}, {INT_MIN, 3}, {INT_MAX, INT_MAX},
                                       {2000, 2000}, {1000000, 3}};
  for (auto [rows, lines] : sizes) {
    SCOPED_TRACE(std::to_string(rows) + " x " + std::to_string(lines));
    ColumnGrid grid(rows, lines);
    EXPECT_EQ(grid.charsPerLine(), 0);
    EXPECT_EQ(grid.linesPerColumn(), 0);
    EXPECT_TRUE(grid.isEmpty());
    RecordingHost host;
    int calls = 0;
    EXPECT_FALSE(
        layoutText(u"あ", ConversionSettings{}, grid, host, [&](ColumnGrid&) { return ++calls, true; }));
    EXPECT_EQ(calls, 0);
  }
  ColumnGrid smallest(1, 1);
  EXPECT_EQ(smallest.charsPerLine(), 1);
  ColumnGrid large(1000, 1000);
  EXPECT_EQ(large.linesPerColumn(), 1000);
}

struct PageStep {
  bool opens;
  bool closes;
};

// The page writer's use of the decisions, for blocks 1 to `count`.
std::vector<PageStep> pageSteps(std::u16string_view columnsPerPage, int count, PageCounters& counters) {
  std::vector<PageStep> steps;
  for (int block = 1; block <= count; ++block) {
    PageStep step{};
    step.opens = blockOpensPage(counters, columnsPerPage);
    step.closes = blockClosesPage(counters);
    if (step.closes) ++counters.pageNumber;
    ++counters.blocksWritten;
    steps.push_back(step);
  }
  return steps;
}

bool operator==(const PageStep& a, const PageStep& b) {
  return a.opens == b.opens && a.closes == b.closes;
}

TEST(PageDecisions, blocksOpenAndCloseTheirPages) {
  struct Case {
    std::u16string columnsPerPage;
    std::vector<PageStep> steps;
    std::int32_t pageNumber;
  };
  const Case cases[] = {
      {u"1", {{true, true}, {true, true}, {true, true}, {true, true}, {true, true}}, 6},
      {u"2", {{true, false}, {false, true}, {true, false}, {false, true}, {true, false}}, 3},
      {u"3", {{true, false}, {false, false}, {false, true}, {true, false}, {false, false}}, 2},
      // The sum is rounded, halves to even: 0 + 2.5 gives 2, then 2 + 2.5 gives 4.
      {u"2.5", {{true, false}, {false, true}, {true, false}, {false, true}, {true, false}}, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(utf16ToUtf8(c.columnsPerPage));
    PageCounters counters;
    EXPECT_EQ(pageSteps(c.columnsPerPage, 5, counters), c.steps);
    EXPECT_EQ(counters.pageNumber, c.pageNumber);
    EXPECT_EQ(counters.blocksWritten, 5);
  }
}

TEST(PageDecisions, theNextPageStartSaturatesInsteadOfOverflowing) {
  PageCounters counters{INT32_MAX - 1, INT32_MAX - 1, 1};
  EXPECT_TRUE(blockOpensPage(counters, u"1E300"));
  EXPECT_EQ(counters.nextPageStart, INT32_MAX);
  counters = PageCounters{5, 5, 1};
  EXPECT_TRUE(blockOpensPage(counters, u"-1E999"));
  EXPECT_EQ(counters.nextPageStart, INT32_MIN);
  counters = PageCounters{INT32_MAX, INT32_MAX, 1};
  EXPECT_FALSE(blockClosesPage(counters));
  counters = PageCounters{INT32_MAX - 1, INT32_MAX, 1};
  EXPECT_TRUE(blockClosesPage(counters));
}

TEST(BlockStatusText, countsBlocksWithAtLeastTwoDigits) {
  EXPECT_EQ(blockStatusText(3), u"縦書き変換中... 03 ｺﾗﾑ処理済...");
  EXPECT_EQ(blockStatusText(12), u"縦書き変換中... 12 ｺﾗﾑ処理済...");
  EXPECT_EQ(blockStatusText(123), u"縦書き変換中... 123 ｺﾗﾑ処理済...");
}

}  // namespace
}  // namespace zelvato
