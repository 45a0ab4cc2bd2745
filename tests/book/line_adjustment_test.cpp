// Line adjustment: a justified line ends on its end; a long line gives up
// space in the order of the rules, a short one gains it only where it may.

#include "typeset/book/line_adjustment.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "book_test_support.h"

namespace zelvato::book {
namespace {

constexpr float em = 10;  // the test format's type size

// The distance from one glyph's em box to the next's, in ems.
float step(const BookLine& line, std::size_t glyph) {
  return (line.glyphs[glyph + 1].along - line.glyphs[glyph].along) / em;
}

struct SqueezeCase {
  const char* name;
  const char* text;
  int chars;
  std::vector<float> steps;  // from each glyph to the next, in ems
};

const SqueezeCase squeezeCases[] = {
    {"the stop's end space goes first, then the middle dot's quarters; the comma keeps its half",
     "狸・赤シャツ、野だいこ。",
     11,
     {0.75F, 0.75F, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
    {"then the commas' halves, evenly",
     "狸、赤シャツ、野だいこ。",
     11,
     {1, 0.75F, 1, 1, 1, 1, 0.75F, 1, 1, 1, 1}},
    {"a line pushed out is spread evenly between its characters",
     "そう早く死ぬとは思わなかった。",
     14,
     {13.0F / 12, 13.0F / 12, 13.0F / 12, 13.0F / 12, 13.0F / 12, 13.0F / 12, 13.0F / 12, 13.0F / 12,
      13.0F / 12, 13.0F / 12, 13.0F / 12, 13.0F / 12}},
};

TEST(LineAdjustment, SpaceIsTakenAndGivenInTheOrderOfTheRules) {
  for (const SqueezeCase& c : squeezeCases) {
    const std::vector<BookLine> lines = test::linesOf(c.text, c.chars);
    ASSERT_FALSE(lines.empty()) << c.name;
    const BookLine& line = lines.front();
    ASSERT_EQ(line.glyphs.size(), c.steps.size() + 1) << c.name;
    for (std::size_t k = 0; k < c.steps.size(); ++k)
      EXPECT_NEAR(step(line, k), c.steps[k], 1e-4) << c.name << " at " << k;
    EXPECT_NEAR(line.end, c.chars * em, 1e-3) << c.name;
  }
}

std::vector<Paragraph> excerptParagraphs() {
  std::ifstream in(ZELVATO_TEST_DATA_DIR "/book/botchan-excerpt.txt", std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  std::vector<Paragraph> paragraphs = readAozoraText(utf8ToUtf16(bytes.str())).paragraphs;
  std::erase_if(paragraphs, [](const Paragraph& p) { return p.runs.empty() || p.style.headingLevel > 0; });
  return paragraphs;
}

TEST(LineAdjustment, EveryFullLineOfTheNovelEndsOnItsEndAtAnyLength) {
  static const EstimatedMetrics metrics;
  const std::vector<Paragraph> paragraphs = excerptParagraphs();
  ASSERT_GT(paragraphs.size(), 8U);
  for (const int chars : {39, 43, 26, 17, 40}) {
    const BookFormat format = test::formatOf(chars);
    const ParagraphSetter setter(format, metrics);
    int justified = 0;
    for (const Paragraph& paragraph : paragraphs) {
      for (const BookLine& line :
           setter.set(paragraph, {1, static_cast<float>(chars), 0, 0, Alignment::justified})) {
        const std::u16string& text = line.text;
        if (line.justified) {
          ++justified;
          EXPECT_NEAR(line.end, chars * em, 0.01) << chars << ": " << test::utf8(text);
        } else {
          EXPECT_LE(line.end, chars * em + 0.01) << chars << ": " << test::utf8(text);
        }
        // No space is added inside —— or ……, nor after an opening bracket.
        for (std::size_t g = 0; g + 1 < line.glyphs.size(); ++g) {
          const char16_t here = text[line.glyphs[g].first], next = text[line.glyphs[g + 1].first];
          if ((here == u'―' || here == u'…') && next == here) {
            EXPECT_NEAR(step(line, g), 1, 1e-4) << test::utf8(text);
          }
          if (here == u'「') {
            EXPECT_LE(step(line, g), 1 + 1e-4) << test::utf8(text);
          }
        }
      }
    }
    EXPECT_GT(justified, 20) << chars;
  }
}

}  // namespace
}  // namespace zelvato::book
