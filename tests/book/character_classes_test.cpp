// The classes of Japanese line composition, for the characters of real
// sentences: what decides their spaces and where a line may break.

#include "typeset/book/character_classes.h"

#include <gtest/gtest.h>

#include "book_test_support.h"

namespace zelvato::book {
namespace {

struct ClassCase {
  const char* sentence;   // where the character stands
  const char* character;  // one character of it
  CharClass expected;
};

const ClassCase classCases[] = {
    {"「あなたは真っ直でよいご気性だ」", "「", CharClass::openingBracket},
    {"「あなたは真っ直でよいご気性だ」", "」", CharClass::closingBracket},
    {"お小遣いがなくてお困りでしょう、お使いなさい", "、", CharClass::comma},
    {"親譲りの無鉄砲で小供の時から損ばかりしている。", "。", CharClass::fullStop},
    {"あら坊っちゃん、よくまあ", "っ", CharClass::smallKana},
    {"弱虫やーい。", "ー", CharClass::prolongedSound},
    {"馬鹿馬鹿しい、人々", "々", CharClass::iterationMark},
    {"母も死ぬ三日前に愛想をつかした――おやじも", "―", CharClass::inseparable},
    {"「……」", "…", CharClass::inseparable},
    {"赤シャツ・野だ", "・", CharClass::middleDot},
    {"何だ！", "！", CharClass::dividingPunctuation},
    {"何が欲しい？", "？", CharClass::dividingPunctuation},
    {"親譲りの無鉄砲", "譲", CharClass::ideograph},
    {"プラットフォーム", "プ", CharClass::katakana},
    {"プラットフォーム", "ッ", CharClass::smallKana},
    {"おれは", "お", CharClass::hiragana},
    {"　清の事を話すのを忘れていた。", "　", CharClass::ideographicSpace},
    {"月給は四十円だが", "円", CharClass::ideograph},
    {"三十度、￥百", "￥", CharClass::prefixedAbbreviation},
    {"百％", "％", CharClass::postfixedAbbreviation},
    {"Quid aliud est mulier", "Q", CharClass::latin},
    {"Quid aliud est mulier", " ", CharClass::westernSpace},
    {"一ヶ月以前から", "ヶ", CharClass::smallKana},
    {"〜", "〜", CharClass::hyphen},
};

TEST(CharacterClasses, EachCharacterOfRealTextHasItsClass) {
  for (const ClassCase& c : classCases) {
    const std::u16string character = utf8ToUtf16(c.character);
    ASSERT_NE(utf8ToUtf16(c.sentence).find(character), std::u16string::npos) << c.sentence;
    EXPECT_EQ(charClass(character.front()), c.expected) << c.character << " in " << c.sentence;
  }
}

struct LineEndsCase {
  const char* character;
  bool beginsStrict;  // may begin a line under the strict rules
  bool beginsLoose;
  bool ends;  // may end a line
};

const LineEndsCase lineEndsCases[] = {
    {"」", false, false, true}, {"。", false, false, true}, {"、", false, false, true},
    {"・", false, false, true}, {"？", false, false, true}, {"々", false, false, true},
    {"っ", false, true, true},  {"ー", false, true, true},  {"「", true, true, false},
    {"（", true, true, false},  {"親", true, true, true},   {"…", true, true, true},
};

TEST(CharacterClasses, LineStartAndEndProhibitions) {
  for (const LineEndsCase& c : lineEndsCases) {
    const CharClass charClass = book::charClass(utf8ToUtf16(c.character).front());
    EXPECT_EQ(mayBeginLine(charClass, true), c.beginsStrict) << c.character;
    EXPECT_EQ(mayBeginLine(charClass, false), c.beginsLoose) << c.character;
    EXPECT_EQ(mayEndLine(charClass), c.ends) << c.character;
  }
}

}  // namespace
}  // namespace zelvato::book
