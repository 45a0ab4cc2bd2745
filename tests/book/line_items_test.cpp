// The items a line is made of: numbers across (縦中横), Western words turned
// or upright, half-width kana widened, each character in its class.

#include "typeset/book/line_items.h"

#include <gtest/gtest.h>

#include "book_test_support.h"

namespace zelvato::book {
namespace {

// Each item as its text and how it stands: U upright, A across, R turned, _ a word space.
std::string picture(const ItemizedParagraph& items) {
  std::u16string out;
  for (const Item& item : items.items) {
    if (!out.empty()) out += u'|';
    out.append(items.text, item.first, item.length);
    static constexpr char16_t settings[] = u"UAR_";
    out += settings[static_cast<int>(item.setting)];
  }
  return test::utf8(out);
}

struct ItemsCase {
  const char* text;
  const char* expected;
  bool uprightLatin = false;
};

const ItemsCase itemsCases[] = {
    // Two or three digits stand across in one em; one or four stand upright.
    {"月給は25円", "月U|給U|はU|25A|円U"},
    {"月給は２５円", "月U|給U|はU|２５A|円U"},
    {"365日", "365A|日U"},
    {"1992年", "1U|9U|9U|2U|年U"},
    {"第3回", "第U|3U|回U"},
    {"ｶﾞｯｺｳ", "ガU|ッU|コU|ウU"},
    // !? pairs across; three marks upright.
    {"何だ!?", "何U|だU|!?A"},
    {"何だ！？", "何U|だU|！？A"},
    {"何だ!!!", "何U|だU|!U|!U|!U"},
    // Western words turned, their spaces kept as text.
    {"〔Quid aliud est〕", "〔U|QuidR| _|aliudR| _|estR|〕U"},
    {"露西亜 Russia 文学", "露U|西U|亜U| _|RussiaR| _|文U|学U"},
    {"ABC", "AU|BU|CU", true},
    // Annotated 縦中横 across as a whole.
    {"１２３４［＃「１２３４」は縦中横］日", "１２３４A|日U"},
};

TEST(LineItems, NumbersWordsAndKanaStandAsTheRulesSay) {
  for (const ItemsCase& c : itemsCases) {
    ItemizeOptions options;
    options.uprightLatin = c.uprightLatin;
    EXPECT_EQ(picture(test::itemsOf(c.text, options)), c.expected) << c.text;
  }
}

TEST(LineItems, AWordTakesItsFaceWidthAndTheRubyItsRun) {
  const ItemizedParagraph items = test::itemsOf("ズックの革鞄《かばん》に入れてくれたQuid");
  ASSERT_EQ(items.rubies.size(), 1U);
  const RubyGroup& ruby = items.rubies.front();
  EXPECT_EQ(test::utf8(std::u16string_view(items.text).substr(items.items[ruby.firstItem].first, 2)), "革鞄");
  EXPECT_EQ(ruby.endItem - ruby.firstItem, 2U);
  EXPECT_EQ(ruby.rubyCharacters, 3);
  EXPECT_FALSE(ruby.mono);
  EXPECT_TRUE(items.items[ruby.firstItem].joinsNext);
  EXPECT_FALSE(items.items[ruby.endItem - 1].joinsNext);
  EXPECT_FLOAT_EQ(items.items.back().advance, static_cast<float>(EstimatedMetrics().acrossAdvance(u"Quid")));
}

}  // namespace
}  // namespace zelvato::book
