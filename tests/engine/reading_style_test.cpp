// The reading type of the flowing page and the book: a Mincho family unless
// Gothic is asked for, sizes that never vanish, and the page each medium needs.

#include "write/xhtml/reading_style.h"

#include <gtest/gtest.h>

#include <string>

#include "text/unicode_text.h"

namespace zelvato {
namespace {

TEST(ReadingStyle, theFamilyBeginsWithTheReadersJapaneseFamilyAndNeverWithAGothic) {
  struct Case {
    const char* what;
    Typeface typeface;
    std::u16string face;
    WritingMode mode;
    std::string begins;
    std::string ends;
  };
  const Case cases[] = {
      {"vertical Mincho", Typeface::mincho, u"", WritingMode::vertical,
       "serif-ja-v, serif-ja, \"Hiragino Mincho ProN\"", "\"Source Han Serif JP\", serif"},
      {"horizontal Mincho", Typeface::mincho, u"", WritingMode::horizontal,
       "serif-ja, \"Hiragino Mincho ProN\"", ", serif"},
      {"Gothic when asked", Typeface::gothic, u"", WritingMode::vertical, "sans-serif-ja-v, sans-serif-ja, ",
       "\"Noto Sans CJK JP\", sans-serif"},
      {"the user's face first, quoted, and not again", Typeface::mincho, u"IPAMincho", WritingMode::vertical,
       "\"IPAMincho\", serif-ja-v, ", ", serif"},
      {"a face cannot close the style element or its string", Typeface::mincho, u"a\"b</style>",
       WritingMode::vertical, "\"a\\\"b/style\", serif-ja-v", ", serif"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ConversionSettings s;
    s.readingTypeface = c.typeface;
    s.readingFontFace = c.face;
    s.writingMode = c.mode;
    const std::string families = utf16ToUtf8(readingFontFamilies(s));
    EXPECT_TRUE(families.starts_with(c.begins)) << families;
    EXPECT_TRUE(families.ends_with(c.ends)) << families;
    if (!c.face.empty()) {
      const std::string face = utf16ToUtf8(c.face);
      EXPECT_EQ(families.find("\"" + face + "\"", 1), std::string::npos) << families;
    }
    if (c.typeface == Typeface::mincho) {
      EXPECT_EQ(families.find("Gothic"), std::string::npos) << families;
    }
  }
}

TEST(ReadingStyle, noEmptyZeroOrVastSizeReachesTheStyleSheet) {
  struct Case {
    std::u16string typed;
    std::u16string size;
    std::u16string lineHeight;
  };
  const Case cases[] = {
      {u"", u"100", u"1.75"},      {u"0", u"100", u"1.75"},    {u"abc", u"100", u"1.75"},
      {u"1e400", u"100", u"1.75"}, {u"120", u"120", u"1.75"},  {u"87.5", u"87.5", u"1.75"},
      {u"1.6", u"100", u"1.6"},    {u"2.25", u"100", u"2.25"}, {u"5000", u"100", u"1.75"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(utf16ToUtf8(c.typed));
    ConversionSettings s;
    s.readingFontSize = c.typed;
    s.readingLineHeight = c.typed;
    EXPECT_EQ(readingFontSize(s), c.size);
    EXPECT_EQ(readingLineHeight(s), c.lineHeight);
    const std::string css = utf16ToUtf8(readingStyleSheet(s, ReadingMedium::book));
    EXPECT_NE(css.find("font-size: " + utf16ToUtf8(c.size) + "%;"), std::string::npos);
    EXPECT_NE(css.find("line-height: " + utf16ToUtf8(c.lineHeight) + ";"), std::string::npos);
  }
}

// What each medium's page must say: the book's root in its writing mode with
// the -epub- form, the flowing page's text in a box of columns (vertical) and
// its ruby parentheses kept for a copy; emphasis bold only where no marks can be set.
TEST(ReadingStyle, eachMediumGetsThePageItReadsIn) {
  struct Case {
    const char* what;
    ReadingMedium medium;
    WritingMode mode;
    std::vector<std::string> holds;
    std::vector<std::string> lacks;
  };
  const Case cases[] = {
      {"vertical book",
       ReadingMedium::book,
       WritingMode::vertical,
       {"-epub-writing-mode: vertical-rl;", "@charset \"UTF-8\";", "-epub-text-emphasis-style: sesame;"},
       {"column-width", "rp {"}},
      {"horizontal book",
       ReadingMedium::book,
       WritingMode::horizontal,
       {"-epub-writing-mode: horizontal-tb;"},
       {"vertical-rl"}},
      {"vertical flowing page",
       ReadingMedium::flowingPage,
       WritingMode::vertical,
       {"main {\n  writing-mode: vertical-rl;", "column-width: calc(100vh - 3em);",
        "rp { display: inline; font-size: 0; }"},
       {"-epub-", "@charset"}},
      {"horizontal flowing page",
       ReadingMedium::flowingPage,
       WritingMode::horizontal,
       {"main {\n  writing-mode: horizontal-tb;", "max-inline-size: 40em;"},
       {"column-width", "vertical-rl"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ConversionSettings s;
    s.writingMode = c.mode;
    const std::string css = utf16ToUtf8(readingStyleSheet(s, c.medium));
    for (const std::string& text : c.holds) EXPECT_NE(css.find(text), std::string::npos) << text;
    for (const std::string& text : c.lacks) EXPECT_EQ(css.find(text), std::string::npos) << text;
    const std::size_t fallback = css.find("em { font-style: normal; font-weight: bold; }");
    const std::size_t marks = css.find("@supports (text-emphasis-style: sesame)");
    EXPECT_NE(fallback, std::string::npos);
    EXPECT_LT(fallback, marks);
  }
}

}  // namespace
}  // namespace zelvato
