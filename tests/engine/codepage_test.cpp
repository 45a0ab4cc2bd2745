#include "text/codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace zelvato {
namespace {

TEST(Codepage, encodesWithTheWindowsMappingBothWays) {
  struct Case {
    std::u16string text;
    std::string bytes;
  };
  const Case cases[] = {
      {u"abc", "abc"},
      {u"\\~", "\\~"},
      {u"\uFF5E", "\x81\x60"},  // full-width tilde, the wave dash Windows writes
      {u"\u2015", "\x81\x5C"},  // horizontal bar
      {u"\uFF0D", "\x81\x7C"},  // full-width hyphen-minus
      {u"\u2225", "\x81\x61"},  // parallel to
      {u"〝〟", "\x87\x80\x87\x81"},
      {u"縦書き", "\x8f\x63\x8f\x91\x82\xab"},
      {u"ｱｲｳ", "\xb1\xb2\xb3"},
      {u"①Ⅰ㈱ⅰ", "\x87\x40\x87\x54\x87\x8a\xfa\x40"},
      {u"\u3000", "\x81\x40"},
      {u"\r\n", "\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(encodeCp932(c.text), c.bytes);
    EXPECT_EQ(decodeCp932(c.bytes), c.text);
  }
}

TEST(Codepage, unrepresentableCharactersBecomeNumericCharacterReferences) {
  struct Case {
    std::u16string text;
    std::string bytes;
  };
  const Case cases[] = {
      {u"𠮷野家", "&#x20BB7;\x96\xec\x89\xc6"},
      {u"寿司🍣です", "\x8e\xf5\x8e\x69&#x1F363;\x82\xc5\x82\xb7"},
      {std::u16string(1, u'\xD800') + u"a", "&#xD800;a"},  // lone high surrogate
      {u"a" + std::u16string(1, u'\xDC00'), "a&#xDC00;"},  // lone low surrogate
      {u"한", "&#xD55C;"},
      // One-way "best fit" mappings would turn these into other characters.
      {u"\u00A5", "&#xA5;"},
      {u"\u301C", "&#x301C;"},
      {u"\u2212", "&#x2212;"},
  };
  for (const Case& c : cases) EXPECT_EQ(encodeCp932(c.text), c.bytes);
}

TEST(Codepage, invalidBytesDecodeToReplacementCharacters) {
  struct Case {
    std::string bytes;
    std::u16string text;
  };
  const Case cases[] = {
      {"a\x80"
       "b",
       u"a\uFFFDb"},
      {"\x82", u"\uFFFD"},      // lead byte cut short at the end
      {"\x82\n", u"\uFFFD\n"},  // lead byte without a proper trail byte
      {"\x85\x40"
       "x",
       u"\uFFFDx"},  // unassigned double-byte code
      {"\xFF\xFE", u"\uFFFD\uFFFD"},
      {"", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(decodeCp932(c.bytes), c.text);
}

TEST(Codepage, byteLengthCountsOneForHalfWidthAndTwoForFullWidth) {
  struct Case {
    std::u16string text;
    std::int32_t length;
  };
  const Case cases[] = {
      {u"", 0},       {u"abc", 3}, {u"縦書き変換ｶ", 11},
      {u"𠮷", 1},     {u"a🍣b", 3}, {std::u16string(1, u'\xDC00'), 1},
      {u"\u00A5", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(cp932ByteLength(c.text), c.length) << c.length;
}

TEST(Codepage, aLongTextWithCharactersOutsideTheCodePageIsEncodedWhole) {
  std::u16string text;
  for (int i = 0; i < 20000; ++i) text += (i % 50 == 0) ? u"𠮷" : u"縦書き";
  const std::string bytes = encodeCp932(text);
  EXPECT_EQ(bytes.size(), 19600u * 6 + 400u * 9);
}

}  // namespace
}  // namespace zelvato
