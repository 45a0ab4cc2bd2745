#include "text/widening.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace zelvato {
namespace {

std::string hex(char16_t c) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(c));
  return buffer;
}

std::u16string widen(std::u16string_view text) {
  std::u16string result;
  for (char16_t c : text) result += widenCharacter(c);
  return result;
}

TEST(WidenCharacter, printableAsciiBecomesFullWidth) {
  const std::pair<char16_t, char16_t> cases[] = {
      {u'!', u'！'},
      {u'A', u'Ａ'},
      {u'z', u'ｚ'},
      {u'0', u'０'},
      {u'9', u'９'},
      {u'~', u'～'},
      {u'-', u'－'},
      {u'(', u'（'},
      {u'.', u'．'},
      {u',', u'，'},
      {u'=', u'＝'},
      {u'|', u'｜'},
      {u'<', u'＜'},
      {u'}', u'｝'},
      {u'[', u'［'},
      {u'&', u'＆'},
      // The four whose full-width form in the code page is another character.
      {u'"', u'\u201D'},
      {u'\'', u'\u2019'},
      {u'`', u'\u2018'},
      {u'\\', u'\uFFE5'},
      {u' ', u'\u3000'},
  };
  for (auto [input, expected] : cases) {
    SCOPED_TRACE(hex(input));
    EXPECT_EQ(widenCharacter(input), expected);
  }
  // Every other printable ASCII character moves by the same distance.
  for (char16_t c = 0x21; c <= 0x7E; ++c) {
    if (c == u'"' || c == u'\'' || c == u'`' || c == u'\\') continue;
    SCOPED_TRACE(hex(c));
    EXPECT_EQ(widenCharacter(c), c + 0xFEE0);
  }
}

TEST(WidenCharacter, halfWidthKatakanaBecomesFullWidthWithMarksOnTheirOwn) {
  const std::pair<char16_t, char16_t> cases[] = {
      {u'｡', u'。'}, {u'｢', u'「'}, {u'｣', u'」'}, {u'､', u'、'}, {u'･', u'・'}, {u'ｦ', u'ヲ'},
      {u'ｧ', u'ァ'}, {u'ｬ', u'ャ'}, {u'ｯ', u'ッ'}, {u'ｰ', u'ー'}, {u'ｱ', u'ア'}, {u'ｶ', u'カ'},
      {u'ﾂ', u'ツ'}, {u'ﾊ', u'ハ'}, {u'ﾜ', u'ワ'}, {u'ﾝ', u'ン'}, {u'ﾞ', u'゛'}, {u'ﾟ', u'゜'},
  };
  for (auto [input, expected] : cases) {
    SCOPED_TRACE(hex(input));
    EXPECT_EQ(widenCharacter(input), expected);
  }
  // A voiced mark is never joined to its kana.
  EXPECT_EQ(widen(u"ｶﾞｷﾞﾊﾟ"), u"カ゛キ゛ハ゜");
}

TEST(WidenCharacter, charactersWithoutAFullWidthFormStay) {
  const char16_t unchanged[] = {u'\t',     u'\n', u'\r',     u'\0',     u'\x7F',   u'\x20AC',
                                u'あ',     u'漢', u'Ａ',     u'\u3000', u'\uFF60', u'\uFFA0',
                                u'\uFFE8', u'é',  u'\xD842', u'\xDFB7'};
  for (char16_t c : unchanged) {
    SCOPED_TRACE(hex(c));
    EXPECT_EQ(widenCharacter(c), c);
  }
}

}  // namespace
}  // namespace zelvato
