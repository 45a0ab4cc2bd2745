// The measure the text-layer tests read PDFs with: it must count what a
// reader loses (dropped, changed, reordered characters) and nothing else.

#include "text_layer_measure.h"

#include <gtest/gtest.h>

namespace zelvato::testing {
namespace {

std::u16string repeat(std::u16string_view text, int times) {
  std::u16string result;
  for (int i = 0; i < times; ++i) result += text;
  return result;
}

TEST(TextLayerMeasure, ShareInOrderCountsWhatTheReaderLoses) {
  const std::u16string long200 = repeat(u"吾輩は猫である。", 25);
  std::u16string long200Missing = long200;
  long200Missing.erase(130, 1);  // a character past the first 64, where the sum carries across words
  const struct {
    const char* name;
    std::u16string expected;
    std::u16string read;
    double share;
  } cases[] = {
      {"the same text", u"あいうえお", u"あいうえお", 1.0},
      {"ruby readings added after the text cost nothing", u"吾輩は猫", u"吾輩は猫わがはい", 1.0},
      {"a dropped character", u"あいうえ", u"あいう", 0.75},
      {"halves out of order keep only one", u"あいうえ", u"うえあい", 0.5},
      {"a changed character", u"思った", u"思つた", 2.0 / 3},
      {"nothing read", u"あいう", u"", 0.0},
      {"an empty text is all there", u"", u"あ", 1.0},
      {"a long text with one character dropped", long200, long200Missing, 199.0 / 200},
      {"a long text read whole", long200, long200, 1.0},
  };
  for (const auto& c : cases) EXPECT_NEAR(shareInOrder(c.expected, c.read), c.share, 1e-9) << c.name;
}

TEST(TextLayerMeasure, WordsAreCountedAcrossTheLineEndsOfTheLayout) {
  const struct {
    const char* name;
    std::u16string extracted;
    std::size_t times;
  } cases[] = {
      {"twice on one line", u"思った思った\n", 2},
      {"cut by a line end between vertical lines", u"と思っ\nた。\n", 1},
      {"cut by a page break", u"思\n\fった\n", 1},
      {"a different word", u"思わなかった\n", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(occurrences(joinedText(c.extracted), u"思った"), c.times) << c.name;
}

}  // namespace
}  // namespace zelvato::testing
