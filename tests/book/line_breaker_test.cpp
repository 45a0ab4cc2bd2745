// Where lines break: line-start and line-end prohibitions, pushing in
// (追い込み) before pushing out (追い出し), —— and …… kept whole, hanging stops
// and commas, and where an opening bracket that begins a line stands.

#include "typeset/book/line_breaker.h"

#include <gtest/gtest.h>

#include "book_test_support.h"

namespace zelvato::book {
namespace {

struct BreakCase {
  const char* name;
  const char* text;
  int chars;
  std::vector<std::string> lines;
  bool strict = true;
  bool hanging = false;
};

const BreakCase breakCases[] = {
    {"a stop that may not begin a line is pushed in, the comma giving up its space",
     "しかし、清の眼から見るとそう見えるのだろう。",
     22,
     {"しかし、清の眼から見るとそう見えるのだろう。"}},
    {"without room to push in, the last character goes out with the stop",
     "そう早く死ぬとは思わなかった。",
     14,
     {"そう早く死ぬとは思わなかっ", "た。"}},
    {"the stop hangs below the line when hanging is chosen",
     "そう早く死ぬとは思わなかった。",
     14,
     {"そう早く死ぬとは思わなかった。"},
     true,
     true},
    {"an opening bracket never ends a line",
     "とまた山嵐が聞いた。「うん」",
     11,
     {"とまた山嵐が聞いた。", "「うん」"}},
    {"—— stays whole",
     "母も死ぬ三日前に愛想をつかした――おやじも",
     16,
     {"母も死ぬ三日前に愛想をつかした", "――おやじも"}},
    {"「……」 stays whole, pushed in by its brackets' spaces",
     "云うと「……」と黙った",
     6,
     {"云うと「……」", "と黙った"}},
    {"「……」 stays whole, pushed out when it cannot be pushed in",
     "云うと「……」と黙った",
     5,
     {"云うと", "「……」と", "黙った"}},
    {"small kana never begin a line under the strict rules", "あら坊っちゃん", 3, {"あら", "坊っ", "ちゃん"}},
    {"small kana may begin a line under the loose rules",
     "あら坊っちゃん",
     3,
     {"あら坊", "っちゃ", "ん"},
     false},
    {"a ruby's base is never split",
     "ある日の夕方｜折戸《おりど》の蔭に隠れて",
     7,
     {"ある日の夕方", "折戸の蔭に隠れ", "て"}},
    {"closing punctuation in a row goes to the next line with the word before it",
     "「お兄様は構いません」。と云う",
     10,
     {"「お兄様は構いませ", "ん」。と云う"}},
};

TEST(LineBreaker, ProhibitionsPushInBeforePushingOut) {
  for (const BreakCase& c : breakCases) {
    BreakOptions options;
    options.strict = c.strict;
    options.hanging = c.hanging;
    EXPECT_EQ(test::textsOf(test::linesOf(c.text, c.chars, options)), c.lines) << c.name;
  }
}

struct BracketCase {
  BracketPositions positions;
  float paragraphHead;  // where the bracket's glyph (a full em) begins on the paragraph's first line, in ems
  float wrappedHead;    // and on a line the paragraph wraps to
};

const BracketCase bracketCases[] = {
    {{0, 0}, -0.5F, -0.5F},  // 天付き: the visible half at the head
    {{0.5F, 0}, 0, -0.5F},   // 二分下げ, wrapped lines 天付き
    {{1, 0.5F}, 0.5F, 0},    // 全角下げ, wrapped lines 二分下げ
    {{1.5F, 0.5F}, 1, 0},    // 全角二分下げ
};

TEST(LineBreaker, OpeningBracketAtTheHeadOfAParagraphAndOfAWrappedLine) {
  for (const BracketCase& c : bracketCases) {
    BreakOptions options;
    options.brackets = c.positions;
    const std::vector<BookLine> opening = test::linesOf("「うん、宿直だ」と答えた", 20, options);
    ASSERT_EQ(opening.size(), 1U);
    EXPECT_FLOAT_EQ(opening[0].glyphs[0].along, c.paragraphHead * 10) << c.positions.paragraphStart;
    const std::vector<BookLine> wrapped =
        test::linesOf("おれは清に聞いてみた。「どこかへ奉公でもする気かね」", 11, options);
    ASSERT_EQ(test::textsOf(wrapped),
              (std::vector<std::string>{"おれは清に聞いてみた。", "「どこかへ奉公でもする", "気かね」"}));
    EXPECT_FLOAT_EQ(wrapped[1].glyphs[0].along, c.wrappedHead * 10) << c.positions.wrapped;
  }
}

}  // namespace
}  // namespace zelvato::book
