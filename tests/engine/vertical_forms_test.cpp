#include "text/vertical_forms.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace zelvato {
namespace {

struct FormCase {
  char16_t input;
  char16_t expected;
};

std::string hex(char16_t c) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(c));
  return buffer;
}

TEST(ToVerticalForm, replacesDirectionDependentMarksFromTheTable) {
  const FormCase cases[] = {
      {u'。', u'゜'},
      {u'、', u'｀'},
      {u'，', u'｀'},
      {u'「', u'┐'},
      {u'『', u'┐'},
      {u'」', u'└'},
      {u'』', u'└'},
      {u'（', u'∧'},
      {u'《', u'∧'},
      {u'［', u'∧'},
      {u'｛', u'∧'},
      {u'＜', u'∧'},
      {u'【', u'∧'},
      {u'）', u'∨'},
      {u'》', u'∨'},
      {u'］', u'∨'},
      {u'｝', u'∨'},
      {u'＞', u'∨'},
      {u'】', u'∨'},
      {u'―', u'｜'},
      {u'｜', u'―'},
      {u'…', u'：'},
      {u'ー', u'｜'},
      {u'－', u'｜'},
      {u'＝', u'∥'},
      {u'～', u'｜'},
      {u'．', u'・'},
      {u'‘', u'，'},
      // Everything else, the double quotes and control characters included, stays.
      {u'あ', u'あ'},
      {u'漢', u'漢'},
      {u'\u3000', u'\u3000'},
      {u'Ａ', u'Ａ'},
      {u'“', u'“'},
      {u'”', u'”'},
      {u'"', u'"'},
      {u'\r', u'\r'},
      {u'\t', u'\t'},
      {u'・', u'・'},
      {u'゜', u'゜'},
      {u'(', u'('},
      {u'-', u'-'},
      {u'0', u'0'},
      {u'〜', u'〜'},
      {u'’', u'’'},
  };
  for (bool kanji : {false, true}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(hex(c.input));
      EXPECT_EQ(toVerticalForm(c.input, kanji), c.expected);
    }
  }
}

TEST(ToVerticalForm, aReplacementIsNeverLookedUpAgain) {
  // The bars swap; the comma made from "‘" does not go on to become "｀".
  EXPECT_EQ(toVerticalForm(u'｜', false), u'―');
  EXPECT_EQ(toVerticalForm(u'―', false), u'｜');
  EXPECT_EQ(toVerticalForm(u'‘', false), u'，');
  EXPECT_EQ(toVerticalForm(u'，', false), u'｀');
}

TEST(ToVerticalForm, fullWidthDigitsBecomeKanjiNumeralsOnlyWhenAsked) {
  const std::u16string digits = u"０１２３４５６７８９";
  const std::u16string kanji = u"〇一二三四五六七八九";
  for (std::size_t i = 0; i < digits.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(toVerticalForm(digits[i], true), kanji[i]);
    EXPECT_EQ(toVerticalForm(digits[i], false), digits[i]);
  }
  // The narrow digits are widened by the layout, never here.
  EXPECT_EQ(toVerticalForm(u'5', true), u'5');
}

std::u16string eachCharacter(std::u16string_view text, bool kanjiNumerals) {
  std::u16string result;
  for (char16_t c : text) result += toVerticalForm(std::u16string_view(&c, 1), kanjiNumerals);
  return result;
}

TEST(ToVerticalForm, convertsTextOneCharacterAtATime) {
  EXPECT_EQ(eachCharacter(u"「はい。」", true), u"┐はい゜└");
  EXPECT_EQ(eachCharacter(u"（１０）", true), u"∧一〇∨");
  EXPECT_EQ(eachCharacter(u"（１０）", false), u"∧１０∨");
  EXPECT_EQ(eachCharacter(u"１２", true), u"一二");
}

TEST(ToVerticalForm, emptyTextAndSurrogatePairsStayAsTheyAre) {
  EXPECT_EQ(toVerticalForm(std::u16string_view(), true), u"");
  EXPECT_EQ(toVerticalForm(std::u16string_view(u"𠮷"), true), u"𠮷");
  EXPECT_EQ(toVerticalForm(std::u16string_view(u"。"), true), u"゜");
}

TEST(UnifyCodePagePair, makesCharactersOfOneCodePageCodeOne) {
  const FormCase cases[] = {
      {u'\u301C', u'\uFF5E'},
      {u'\u2014', u'\u2015'},
      {u'\u2016', u'\u2225'},
      {u'\u2212', u'\uFF0D'},
      {u'\u00A2', u'\uFFE0'},
      {u'\u00A3', u'\uFFE1'},
      {u'\u00AC', u'\uFFE2'},
      // Already the code page's own form, or no pair at all.
      {u'\uFF5E', u'\uFF5E'},
      {u'\u2015', u'\u2015'},
      {u'\u2225', u'\u2225'},
      {u'\uFF0D', u'\uFF0D'},
      {u'\u2013', u'\u2013'},
      {u'あ', u'あ'},
      {u'-', u'-'},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(hex(c.input));
    EXPECT_EQ(unifyCodePagePair(c.input), c.expected);
  }
  // So the wave dash and the em dash reach their vertical forms whatever their source.
  EXPECT_EQ(toVerticalForm(unifyCodePagePair(u'〜'), false), u'｜');
  EXPECT_EQ(toVerticalForm(unifyCodePagePair(u'\u2014'), false), u'｜');
}

TEST(ToVerticalQuote, turnsDoubleQuotesIntoTheirVerticalForms) {
  const FormCase cases[] = {
      {u'\u201C', u'\u301F'}, {u'\u201D', u'\u301D'}, {u'"', u'\u301D'}, {u'\u2018', u'\u2018'},
      {u'\u2019', u'\u2019'}, {u'\uFF02', u'\uFF02'}, {u'あ', u'あ'},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(hex(c.input));
    EXPECT_EQ(toVerticalQuote(c.input), c.expected);
  }
}

}  // namespace
}  // namespace zelvato
