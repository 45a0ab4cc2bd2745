// The line-breaking rules (kinsoku) of the grid, one table per rule, each fed
// sentences of the Aozora Bunko works it was measured on (shortened to a few
// cells a line, so that every break falls where the rule is tried).

#include "typeset/layout_position.h"

#include <gtest/gtest.h>

#include "grid_pictures.h"

namespace zelvato {
namespace {

using namespace grid_pictures;

struct RuleCase {
  const char* what;
  int options;
  std::u16string source;
  int rows, lines;
  std::vector<BlockPicture> blocks;
};

template <std::size_t N>
void expectBlocks(const RuleCase (&cases)[N], bool manuscript = false) {
  for (const RuleCase& c : cases) {
    SCOPED_TRACE(c.what);
    ConversionSettings settings = settingsWith(c.rows, c.lines, c.options);
    settings.manuscriptPaper = manuscript;
    EXPECT_EQ(blocksOf(c.source, settings), c.blocks);
  }
}

TEST(LineBreaking, leadersAndDashesAreNeverSplitNorBeginALine) {
  const RuleCase cases[] = {
      {"…… goes down with the character before (二つの絵)",
       K,
       u"やすらはん……ねえ君",
       6,
       2,
       {{u"やすらは＿＿|＿", u"ん：：ねえ君|＿"}}},
      {"a single … does not begin a line either (真景累ヶ淵)",
       K,
       u"ヘエもう…おッと溢れます",
       4,
       4,
       {{u"ヘエも＿|＿", u"う：おッ|＿", u"と溢れま|＿", u"す＿＿＿|＿"}}},
      {"―― goes down whole with the character before",
       K,
       u"單一――それが",
       3,
       3,
       {{u"單＿＿|＿", u"一｜｜|＿", u"それが|＿"}}},
      {"a run of leaders longer than a line breaks where it must",
       K,
       u"あ………",
       3,
       2,
       {{u"あ：：|＿", u"：＿＿|＿"}}},
      {"into the next block as well", K, u"やすらはん……", 5, 1, {{u"やすらは＿|＿"}, {u"ん：：＿＿|＿"}}},
  };
  expectBlocks(cases);
}

TEST(LineBreaking, anOpeningBracketNeverEndsALine) {
  const RuleCase cases[] = {
      {"in the last cell it begins the next line",
       K,
       u"下人は「雨」",
       4,
       2,
       {{u"下人は＿|＿", u"┐雨└＿|＿"}}},
      {"with the opening brackets just before it",
       K,
       u"ヒジキ（『本草』）",
       5,
       3,
       {{u"ヒジキ＿＿|＿", u"∧┐本＿＿|＿", u"草└∨＿＿|＿"}}},
      {"it goes down with a ruby and its base that move to the next line (5069: 思い乱れながら「人非木石…)",
       K | A,
       u"乱れながら「下人《げにん》",
       8,
       2,
       {{u"乱れながら＿＿＿|＿", u"┐下人∧げにん∨|＿"}}},
      {"without the rules it may end one",
       A,
       u"乱れながら「下人《げにん》",
       8,
       2,
       {{u"乱れながら┐＿＿", u"下人∧げにん∨＿"}}},
  };
  expectBlocks(cases);
}

TEST(LineBreaking, aRubyStaysWithItsBaseAndTheMarksAfterIt) {
  const RuleCase cases[] = {
      {"a base with its ruby goes down with the ！」 that may not begin a line (59325: "
       "大丈夫（だいじょうぶ）！」)",
       K | A,
       u"それなら、大丈夫《だいじょうぶ》！」と",
       16,
       2,
       {{u"それなら｀＿＿＿＿＿＿＿＿＿＿＿|＿", u"大丈夫∧だいじょうぶ∨！└と＿＿|＿"}}},
      {"a base beginning with a small kana takes the character before down with it (42687: かさねヶ淵)",
       K | A,
       u"かさねヶ淵《ふち》の",
       7,
       3,
       {{u"かさ＿＿＿＿＿|＿", u"ねヶ淵∧ふち∨|＿", u"の＿＿＿＿＿＿|＿"}}},
      {"a base and ruby longer than a line break inside them, not after a bracket",
       K | A,
       u"あ下人《げにん》",
       4,
       3,
       {{u"あ下人＿|＿", u"∧げに＿|＿", u"ん∨＿＿|＿"}}},
  };
  expectBlocks(cases);
}

TEST(LineBreaking, aSpaceAWrapBringsToALinesHeadIsNotSet) {
  const RuleCase cases[] = {
      {"the full-width space after ？ (二つの絵: その人？　人達？　の名は)",
       K,
       u"（その人？　人達？　の名は聞いて",
       5,
       3,
       {{u"∧その人？|＿", u"人達？　の|＿", u"名は聞いて|＿"}}},
      {"word spaces of Latin text (二十歳のエチュード)",
       K,
       u"Recevons tous les influx",
       8,
       3,
       {{u"Ｒｅｃｅｖｏｎｓ|＿", u"ｔｏｕｓ　ｌｅｓ|＿", u"ｉｎｆｌｕｘ＿＿|＿"}}},
      {"a paragraph's own indent after a return stays",
       K,
       u"あいうえお\r\n　雪",
       5,
       2,
       {{u"あいうえお|＿", u"　雪＿＿＿|＿"}}},
      {"without the rules every space takes its cell", 0, u"あいう　え", 3, 2, {{u"あいう", u"　え＿"}}},
  };
  expectBlocks(cases);
}

TEST(LineBreaking, aKunojitenIsOneMarkOfTwoCells) {
  const RuleCase cases[] = {
      {"its upper half does not end a line (真景累ヶ淵: なか／＼降らぬ)",
       K | A,
       u"もなか／＼降らぬ",
       4,
       3,
       {{u"もなか＿|＿", u"／＼降ら|＿", u"ぬ＿＿＿|＿"}}},
      {"the voiced mark stands beside the upper half",
       K | A,
       u"しげ／″＼と",
       3,
       2,
       {{u"しげ＿|＿", u"／ﾞ＼と|＿"}}},
      {"without the notation the slashes are text", K, u"しげ／＼と", 3, 2, {{u"しげ／|＿", u"＼と＿|＿"}}},
  };
  expectBlocks(cases);
}

TEST(LineBreaking, manuscriptPaperLetsSmallKanaBeginALineAndHangsClosingBrackets) {
  const RuleCase manuscript[] = {
      {"a small kana takes its cell at the head (スイス日記: グレッチャー)",
       K,
       u"グレッチャー",
       4,
       2,
       {{u"グレッチ|＿", u"ャ｜＿＿|＿"}}},
      {"so does 々", K, u"多くの人々", 4, 2, {{u"多くの人|＿", u"々＿＿＿|＿"}}},
      {"a closing bracket hangs below the frame", K, u"と云った」", 4, 1, {{u"と云った|└"}}},
      {"。」 share the cell below the frame",
       K,
       u"と云った。」と",
       4,
       2,
       {{u"と云った|。」", u"と＿＿＿|＿"}}},
  };
  expectBlocks(manuscript, true);
  const RuleCase grid[] = {
      {"in the grid a small kana takes the character before down",
       K,
       u"グレッチャー",
       4,
       2,
       {{u"グレッ＿|＿", u"チャ｜＿|＿"}}},
      {"and a closing bracket too", K, u"と云った」", 4, 2, {{u"と云っ＿|＿", u"た└＿＿|＿"}}},
  };
  expectBlocks(grid);
}

TEST(LineBreaking, digitsAreKanjiNumeralsOrAcrossNeverBothInOneNumber) {
  const RuleCase cases[] = {
      {"a date with kanji numerals", K | T, u"二〇一三年七月17日", 10, 1, {{u"二〇一三年七月一七日|＿"}}},
      {"two digits annotated 縦中横 stay across",
       K | T | A,
       u"七月17［＃「17」は縦中横］日",
       6,
       1,
       {{u"七月17日＿＿|＿"}}},
      {"without kanji numerals two digits sit across", K | T | N, u"7月17日", 5, 1, {{u"７月17日＿|＿"}}},
  };
  expectBlocks(cases);
}

TEST(LineBreaking, theRulesKeepTogetherWhatBelongsTogether) {
  const RuleCase cases[] = {
      {"a closing bracket goes down into the next block with the character before",
       K,
       u"下人は雨」",
       4,
       1,
       {{u"下人は＿|＿"}, {u"雨└＿＿|＿"}}},
      {"small kana do not begin the first line of a block",
       K,
       u"下人はキャ",
       4,
       1,
       {{u"下人は＿|＿"}, {u"キャ＿＿|＿"}}},
      {"an opening bracket in the block's last cell begins the next block",
       K,
       u"下人は「雨」",
       4,
       1,
       {{u"下人は＿|＿"}, {u"┐雨└＿|＿"}}},
      {"a stop still hangs in the block whose line it ends",
       K,
       u"下人は雨。門",
       4,
       1,
       {{u"下人は雨|゜"}, {u"門＿＿＿|＿"}}},
      {"a carriage return on an exactly full line leaves no cell empty",
       K,
       u"下人は雨\r\n門",
       4,
       2,
       {{u"下人は雨|＿", u"門＿＿＿|＿"}}},
      {"without the rules the full line's return still leaves a cell",
       0,
       u"下人は雨\r\n門",
       4,
       2,
       {{u"下人は雨", u"＿門＿＿"}}},
      {"ruby stays on the line of its base",
       A,
       u"あいう下人《げにん》が",
       8,
       2,
       {{u"あいう＿＿＿＿＿", u"下人∧げにん∨が"}}},
      {"ruby longer than a line goes on as it is", A, u"あ下人《げにん》", 4, 2, {{u"あ下人∧", u"げにん∨"}}},
      {"a number in kanji numerals is not split",
       K,
       u"あいう１２３",
       4,
       2,
       {{u"あいう＿|＿", u"一二三＿|＿"}}},
      {"without the rules it may be", 0, u"あいう１２３", 4, 2, {{u"あいう一", u"二三＿＿"}}},
  };
  expectBlocks(cases);
}

}  // namespace
}  // namespace zelvato
