#include "text/unicode_text.h"

#include <gtest/gtest.h>

namespace zelvato {
namespace {

TEST(UnicodeText, roundTripsEveryPlane) {
  const std::u16string text = u"abc あ漢ｶﾞ 𠮷🍣\r\n";
  EXPECT_EQ(utf8ToUtf16(utf16ToUtf8(text)), text);
  EXPECT_EQ(utf16ToUtf8(u"𠮷"), "\xF0\xA0\xAE\xB7");
}

TEST(UnicodeText, malformedInputBecomesReplacementCharacters) {
  EXPECT_EQ(utf8ToUtf16("a\xFF"
                        "b"),
            u"a\uFFFDb");
  EXPECT_EQ(utf8ToUtf16("\xE3\x81"), u"\uFFFD");      // cut short
  EXPECT_EQ(utf8ToUtf16("\xC0\xAF"), u"\uFFFD");      // overlong
  EXPECT_EQ(utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD");  // encoded surrogate
  EXPECT_EQ(utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace zelvato
