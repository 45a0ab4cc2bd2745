// The space between two characters of a line, by their classes, read from
// the items of real sentences: half-width punctuation keeps half an em, runs
// of punctuation share theirs, and what adjusting a line may take away.

#include "typeset/book/class_spacing.h"

#include <gtest/gtest.h>

#include "book_test_support.h"

namespace zelvato::book {
namespace {

struct SpacingCase {
  const char* sentence;
  const char* pair;  // two neighbouring characters of the sentence
  float natural;     // ems between them
  float shrink;      // what may be taken away
  Squeeze squeeze;
};

const SpacingCase spacingCases[] = {
    // A closing bracket keeps half an em after it; an opening one before it.
    {"「あなたは真っ直でよいご気性だ」と賞める", "」と", 0.5F, 0.5F, Squeeze::punctuation},
    {"時々台所で人の居ない時に「あなたは", "に「", 0.5F, 0.5F, Squeeze::punctuation},
    // Punctuation in a row shares one half em, or none.
    {"「もうお別れになるかも知れません。随分ご機嫌よう」と", "。随", 0.5F, 0, Squeeze::none},
    {"随分ご機嫌よう」と小さな声で", "う」", 0, 0, Squeeze::none},
    {"「おれの行く田舎には笹飴はなさそうだ」と云って聞かしたら「そんなら、どっちの見当です」", "ら「", 0.5F,
     0.5F, Squeeze::punctuation},
    {"「行く事は行くがじき帰る。来年の夏休みにはきっと帰る」と", "る」", 0, 0, Squeeze::none},
    {"帰る。」と", "。」", 0, 0, Squeeze::none},
    {"「西の方だよ」「箱根のさきですか手前ですか」", "」「", 0.5F, 0.5F, Squeeze::punctuation},
    {"そら、「あなたは", "、「", 0.5F, 0.5F, Squeeze::punctuation},
    {"云った。「あなたは", "。「", 0.5F, 0, Squeeze::none},
    {"「『吾輩は猫である』", "「『", 0, 0, Squeeze::none},
    {"猫である』」と", "』」", 0, 0, Squeeze::none},
    // The full stop keeps its half em within a line; the comma's may go.
    {"損ばかりしている。小学校に", "。小", 0.5F, 0, Squeeze::none},
    {"いくら威張っても、そこから", "、そ", 0.5F, 0.5F, Squeeze::punctuation},
    // Middle dots: a quarter em on each side.
    {"赤シャツ・野だ", "ツ・", 0.25F, 0.25F, Squeeze::middleDot},
    {"赤シャツ・野だ", "・野", 0.25F, 0.25F, Squeeze::middleDot},
    // Kana and kanji stand solid; so do —— and …….
    {"親譲りの無鉄砲で", "譲り", 0, 0, Squeeze::none},
    {"愛想をつかした――おやじも", "――", 0, 0, Squeeze::none},
    {"「……」", "……", 0, 0, Squeeze::none},
    // A Western word keeps a quarter em from Japanese text, down to an eighth.
    {"露西亜文学Quidは", "学Q", 0.25F, 0.125F, Squeeze::western},
};

TEST(ClassSpacing, SpaceBetweenNeighboursOfRealSentences) {
  for (const SpacingCase& c : spacingCases) {
    const ItemizedParagraph items = test::itemsOf(c.sentence);
    const std::u16string pair = utf8ToUtf16(c.pair);
    bool found = false;
    for (std::size_t k = 1; k < items.items.size() && !found; ++k) {
      const Item& before = items.items[k - 1];
      const Item& after = items.items[k];
      if (items.text[before.first] != pair[0] || items.text[after.first] != pair[1]) continue;
      found = true;
      EXPECT_FLOAT_EQ(after.gap.natural, c.natural) << c.pair << " in " << c.sentence;
      EXPECT_FLOAT_EQ(after.gap.shrink, c.shrink) << c.pair << " in " << c.sentence;
      EXPECT_EQ(after.gap.squeeze, c.squeeze) << c.pair << " in " << c.sentence;
    }
    EXPECT_TRUE(found) << c.pair << " not in " << c.sentence;
  }
}

struct BodyCase {
  const char* character;
  float advance;   // the visible half along the line
  float offset;    // where it begins in the glyph's em
  float endSpace;  // kept at the end of a line
};

const BodyCase bodyCases[] = {
    {"「", 0.5F, 0.5F, 0},      {"」", 0.5F, 0, 0.5F}, {"。", 0.5F, 0, 0.5F}, {"、", 0.5F, 0, 0.5F},
    {"・", 0.5F, 0.25F, 0.25F}, {"親", 1, 0, 0},       {"っ", 1, 0, 0},       {"…", 1, 0, 0},
};

TEST(ClassSpacing, HalfWidthPunctuationFillsHalfItsEm) {
  for (const BodyCase& c : bodyCases) {
    const CharClass charClass = book::charClass(utf8ToUtf16(c.character).front());
    EXPECT_FLOAT_EQ(bodyAdvance(charClass), c.advance) << c.character;
    EXPECT_FLOAT_EQ(bodyOffset(charClass), c.offset) << c.character;
    EXPECT_FLOAT_EQ(lineEndSpace(charClass), c.endSpace) << c.character;
  }
}

}  // namespace
}  // namespace zelvato::book
