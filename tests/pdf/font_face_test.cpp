// A face shaped for vertical text: the face's own vertical forms for
// punctuation, brackets and the long vowel mark, an em down for each
// ideograph, every glyph with the characters it stands for.

#include "write/pdf/font_face.h"

#include <gtest/gtest.h>

#include "write/pdf/installed_faces.h"

namespace zelvato::pdf {
namespace {

std::shared_ptr<const Face> mincho() {
  static const std::shared_ptr<const Face> face = chooseTextFace("").face;
  return face;
}

TEST(FontFace, UprightTextTakesTheFacesVerticalForms) {
  const auto face = mincho();
  if (!face) GTEST_SKIP() << "no Japanese face is installed";
  const struct {
    std::u16string character;
    bool ownVerticalForm;
  } cases[] = {
      {u"「", true}, {u"」", true}, {u"、", true},  {u"。", true},  {u"ー", true},
      {u"（", true}, {u"…", true},  {u"漢", false}, {u"あ", false},
  };
  for (const auto& c : cases) {
    const ShapedText upright = face->shape(c.character, Orientation::upright);
    const ShapedText across = face->shape(c.character, Orientation::across);
    ASSERT_EQ(upright.glyphs.size(), 1u);
    ASSERT_EQ(across.glyphs.size(), 1u);
    EXPECT_EQ(upright.glyphs[0].id != across.glyphs[0].id, c.ownVerticalForm)
        << "U+" << std::hex << static_cast<int>(c.character[0]);
  }
}

TEST(FontFace, GlyphsStandWhereTheLineTakesThem) {
  const auto face = mincho();
  if (!face) GTEST_SKIP() << "no Japanese face is installed";
  const ShapedText column = face->shape(u"吾輩は", Orientation::upright);
  ASSERT_EQ(column.glyphs.size(), 3u);
  EXPECT_NEAR(column.advance, 3.0, 1e-6) << "an em down for each character";
  for (std::size_t i = 0; i < 3; ++i) {
    // Each glyph's vertical origin at the top centre of its em, one under another.
    EXPECT_NEAR(column.glyphs[i].x, 0.0, 1e-6);
    EXPECT_NEAR(column.glyphs[i].y, static_cast<double>(i), 1e-6);
    EXPECT_EQ(column.glyphs[i].cluster, i);
  }
  const ShapedText digits = face->shape(u"12", Orientation::across);
  ASSERT_EQ(digits.glyphs.size(), 2u);
  EXPECT_GT(digits.glyphs[1].x, digits.glyphs[0].x);
  EXPECT_EQ(digits.glyphs[1].cluster, 1u);
  EXPECT_GT(face->emBoxAscent(), 0.7);
  EXPECT_LT(face->emBoxAscent(), 1.0);
}

TEST(FontFace, ACharacterTheFaceLacksLeavesTheTextIncomplete) {
  const auto face = mincho();
  if (!face) GTEST_SKIP() << "no Japanese face is installed";
  EXPECT_TRUE(face->shape(u"あ", Orientation::upright).complete);
  // A private-use character no face draws.
  const ShapedText missing = face->shape(u"あ\uE000", Orientation::upright);
  EXPECT_FALSE(missing.complete);
  EXPECT_EQ(missing.glyphs.size(), 2u);
  EXPECT_EQ(face->glyphOf(U'\uE000'), 0u);
  EXPECT_EQ(Face::load("/nonexistent/font.ttf"), nullptr);
}

}  // namespace
}  // namespace zelvato::pdf
