// The manuscript count: how many sheets of 400-character paper a text fills,
// for texts whose count a writer would work out by hand.

#include "run/manuscript_count.h"

#include <gtest/gtest.h>

#include <string>

namespace zelvato {
namespace {

std::u16string repeat(std::u16string_view text, int times) {
  std::u16string result;
  for (int i = 0; i < times; ++i) result += text;
  return result;
}

struct CountCase {
  const char* name;
  std::u16string source;  // as the window's source pane holds it: every line ends with CR LF
  std::size_t sheets;
  bool aozora = false;
};

TEST(ManuscriptSheets, CountsTwentyByTwentySheetsWithTheLineBreakingRules) {
  const CountCase cases[] = {
      {"empty text fills no sheet", u"", 0},
      {"exactly 400 characters fill one sheet", repeat(u"あ", 400) + u"\r\n", 1},
      {"401 characters begin a second sheet", repeat(u"あ", 401) + u"\r\n", 2},
      {"twenty full lines ending on the sheet's last cell fill one sheet",
       repeat(repeat(u"あ", 20) + u"\r\n", 20), 1},
      {"blank lines between paragraphs are counted", repeat(u"あ\r\n", 15) + repeat(u"\r\n", 10) + u"い\r\n",
       2},
      {"a sheet of nothing but blank lines is counted", u"あ\r\n" + repeat(u"\r\n", 40) + u"い\r\n", 3},
      {"blank lines after the last text begin no sheet",
       repeat(repeat(u"あ", 20) + u"\r\n", 20) + u"\r\n\r\n", 1},
      {"full stops hang below full lines instead of taking a line", repeat(repeat(u"あ", 20) + u"。\r\n", 20),
       1},
      // Manuscript paper's own rules: a closing bracket of a full line hangs below the frame, and a
      // small kana or 々 may begin a line, so no push leaves a cell empty.
      {"a closing bracket at a line's head hangs below the frame", repeat(u"あ", 399) + u"い」\r\n", 1},
      {"a small kana at a line's head takes its cell there",
       repeat(u"あ", 20) + u"ゃ" + repeat(u"あ", 379) + u"\r\n", 1},
      {"so does 々", repeat(u"あ", 20) + u"々" + repeat(u"あ", 379) + u"\r\n", 1},
      {"ruby stands beside its base and takes no cell", repeat(u"あ", 398) + u"漢字《かんじ》\r\n", 1, true},
  };
  for (const CountCase& c : cases) {
    ConversionSettings settings;
    settings.charsPerLine = u"5";  // the user's grid does not change the count
    settings.linesPerColumn = u"3";
    settings.aozoraNotation = c.aozora;
    EXPECT_EQ(manuscriptSheets(c.source, settings), c.sheets) << c.name;
  }
}

TEST(ManuscriptSheets, SaysTheCountInTheWordsWritersUse) {
  EXPECT_EQ(manuscriptSheetsText(12), u"400字詰め原稿用紙換算 12 枚");
  EXPECT_EQ(bookPagesText(176), u"書籍 176 ページ");
}

}  // namespace
}  // namespace zelvato
