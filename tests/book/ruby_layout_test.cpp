// Ruby over its base: centred over one character, 1:2:1 over several, a
// longer ruby reaching over kana beside its base by up to one ruby character
// and making room elsewhere; kanji in a row with their own rubies taken as one
// word; no ruby ever past a line's ends.

#include "typeset/book/ruby_layout.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "book_test_support.h"

namespace zelvato::book {
namespace {

constexpr float em = 10;

struct RubyCase {
  const char* name;
  const char* text;
  const char* base;  // the first character of the base
  float stepBefore;  // from the em box of the character before the base to the base's, in ems
  float stepAfter;   // from the base's last character to the next
  float rubyStart;   // where the ruby begins, from the base's first character, in ems
  float rubyPitch;   // from one ruby character to the next
  RubyGrouping grouping = RubyGrouping::jukugo;
};

const RubyCase rubyCases[] = {
    {"a short ruby is centred over its character", "大きな眼《め》をして", "眼", 1, 1, 0.25F, 0.5F},
    {"a ruby as long as its base stands solid over it", "埋めて尻《しり》を持ち込まれた", "尻", 1, 1, 0,
     0.5F},
    {"over several characters a shorter ruby is spread 1:2:1", "この質屋に勘太郎《かんたろう》という", "勘",
     1, 1, 0.05F, 0.6F},
    {"a longer ruby reaches over the kana on both sides", "おれの袷《あわせ》の袖の中に", "袷", 1, 1, -0.25F,
     0.5F},
    {"and over a group", "へっついの角で肋骨《あばらぼね》を撲って", "肋", 1, 1, -0.25F, 0.5F},
    {"beside a comma it cannot reach, so its character moves away", "入れて、懐《ふところ》へ入れたなり",
     "懐", 1.5F, 1, -0.5F, 0.5F},
    {"kanji with their own rubies, one longer than its kanji, are one word",
     "は一《いっ》生《しょう》懸《けん》命《めい》に", "一", 1, 1, -0.25F, 0.5F},
    {"each kanji's ruby alone makes room on both sides of it",
     "に一《いっ》生《しょう》懸《けん》命《めい》に", "生", 1.25F, 1.25F, -0.25F, 0.5F, RubyGrouping::mono},
};

TEST(RubyLayout, RubyStandsOverItsBaseAndReachesOverKanaOnly) {
  static const EstimatedMetrics metrics;
  for (const RubyCase& c : rubyCases) {
    BookFormat format = test::formatOf(40);
    format.rubyGrouping = c.grouping;
    const ParagraphSetter setter(format, metrics);
    const ItemizedParagraph items = setter.itemize(test::aozoraParagraph(c.text), 1);
    const std::vector<BookLine> lines = setter.set(items, {1, 40, 0, 0, Alignment::head});
    ASSERT_EQ(lines.size(), 1U) << c.name;
    const BookLine& line = lines.front();
    const char16_t base = utf8ToUtf16(c.base).front();
    std::size_t g = 0;
    while (g < line.glyphs.size() && line.text[line.glyphs[g].first] != base) ++g;
    ASSERT_TRUE(g > 0 && g < line.glyphs.size()) << c.name;
    // The base's group: its items' ruby group.
    std::size_t item = 0;
    while (items.text[items.items[item].first] != base) ++item;
    const RubyGroup& group = items.rubies[static_cast<std::size_t>(items.items[item].ruby)];
    const std::size_t last = g + (group.endItem - group.firstItem) - 1;
    EXPECT_NEAR((line.glyphs[g].along - line.glyphs[g - 1].along) / em, c.stepBefore, 1e-4) << c.name;
    EXPECT_NEAR((line.glyphs[last + 1].along - line.glyphs[last].along) / em, c.stepAfter, 1e-4) << c.name;
    // The ruby's glyphs: those of the group, found by their first character.
    const std::u16string_view ruby =
        std::u16string_view(items.rubyText).substr(group.rubyFirst, group.rubyLength);
    std::size_t r = 0;
    while (r < line.noteGlyphs.size() && line.notes.compare(line.noteGlyphs[r].first, ruby.size(), ruby) != 0)
      ++r;
    ASSERT_LT(r, line.noteGlyphs.size()) << c.name;
    EXPECT_NEAR((line.noteGlyphs[r].along - line.glyphs[g].along) / em, c.rubyStart, 1e-4) << c.name;
    if (group.rubyCharacters > 1) {
      EXPECT_NEAR((line.noteGlyphs[r + 1].along - line.noteGlyphs[r].along) / em, c.rubyPitch, 1e-4)
          << c.name;
    }
    EXPECT_GT(line.noteGlyphs[r].across, 0) << c.name;  // on the right of the line
  }
}

TEST(RubyLayout, AWordWithALongerRubyStaysOnOneLine) {
  // 一生懸命 would break after 一生 at eight characters.
  const std::vector<BookLine> lines =
      test::linesOf("その時勘太郎は一《いっ》生《しょう》懸《けん》命《めい》に飛びかかってきた", 9);
  ASSERT_GE(lines.size(), 2U);
  EXPECT_EQ(test::utf8(lines[0].text), "その時勘太郎は");
  EXPECT_EQ(test::utf8(lines[1].text).substr(0, 12), "一生懸命");
}

TEST(RubyLayout, NoRubyOfTheNovelCrossesTheEndsOfItsLine) {
  static const EstimatedMetrics metrics;
  std::ifstream in(ZELVATO_TEST_DATA_DIR "/book/botchan-excerpt.txt", std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  const Document document = readAozoraText(utf8ToUtf16(bytes.str()));
  for (const int chars : {39, 17, 12, 7}) {
    const BookFormat format = test::formatOf(chars);
    const ParagraphSetter setter(format, metrics);
    int rubies = 0;
    for (const Paragraph& paragraph : document.paragraphs) {
      for (const BookLine& line :
           setter.set(paragraph, {1, static_cast<float>(chars), 0, 0, Alignment::justified})) {
        for (const LineGlyph& glyph : line.noteGlyphs) {
          ++rubies;
          EXPECT_GE(glyph.along, -1e-3) << chars << ": " << test::utf8(line.text);
          EXPECT_LE(glyph.along + glyph.extent, line.length + 1e-3) << chars << ": " << test::utf8(line.text);
        }
      }
    }
    EXPECT_GT(rubies, 100) << chars;
  }
}

}  // namespace
}  // namespace zelvato::book
