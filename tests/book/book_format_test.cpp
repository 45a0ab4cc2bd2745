// The book's formats: each preset's page and text block, and the settings
// that change them, the margins placing the block or sizing it.

#include "typeset/book/book_format.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zelvato::book {
namespace {

struct PresetCase {
  BookPreset preset;
  double width, height;  // mm
  double size;           // pt
  int chars, lines, columns;
};

const PresetCase presetCases[] = {
    {BookPreset::bunko, 105, 148, 9, 39, 16, 1},   {BookPreset::shinsho, 103, 182, 9, 43, 15, 1},
    {BookPreset::b6, 128, 182, 9.5, 42, 17, 1},    {BookPreset::a5, 148, 210, 9, 26, 22, 2},
    {BookPreset::ereader, 90, 122, 11, 27, 12, 1},
};

TEST(BookFormat, EachPresetsBlockFitsItsPageWithRoomForHeadAndNumber) {
  for (const PresetCase& c : presetCases) {
    const BookFormat format = bookPreset(c.preset);
    EXPECT_EQ(format.pageWidth, c.width);
    EXPECT_EQ(format.pageHeight, c.height);
    EXPECT_EQ(format.fontSize, c.size);
    EXPECT_EQ(format.chars, c.chars);
    EXPECT_EQ(format.lines, c.lines);
    EXPECT_EQ(format.columns, c.columns);
    EXPECT_FALSE(formatProblem(format).has_value()) << static_cast<int>(c.preset);
    // 天 and 地 hold the running head and the page number; ノド and 小口 a thumb.
    EXPECT_GE(format.top, 8);
    EXPECT_GE(format.bottom(), 8);
    EXPECT_GE(format.gutter, 8);
    EXPECT_GE(format.foreEdge(), 8);
    // Ruby fits between the lines.
    EXPECT_GE(format.linePitch - format.fontSize, format.fontSize / 2 - 1e-9);
  }
}

struct ChangeCase {
  const char* name;
  void (*change)(ConversionSettings&);
  int chars, lines;
  double top, gutter;  // mm
};

const ChangeCase changeCases[] = {
    {"the preset as it is", [](ConversionSettings&) {}, 39, 16, 11, 14},
    {"characters and lines given", [](ConversionSettings& s) { s.bookChars = u"40", s.bookLines = u"17"; },
     40, 17, 11, 14},
    {"the foot given places the block from the foot",
     [](ConversionSettings& s) { s.bookBottomMargin = u"20"; }, 39, 16, 148 - 20 - 39 * 9 * 25.4 / 72, 14},
    {"head and foot given size the line",
     [](ConversionSettings& s) { s.bookTopMargin = u"10", s.bookBottomMargin = u"10"; }, 40, 16, 10, 14},
    {"gutter and fore-edge given count the lines",
     [](ConversionSettings& s) { s.bookGutter = u"10", s.bookForeEdge = u"10"; }, 39, 17, 11, 10},
    {"the fore-edge given places the block from it", [](ConversionSettings& s) { s.bookForeEdge = u"20"; },
     39, 16, 11, 105 - 20 - (15 * 14.4 + 9) * 25.4 / 72},
};

TEST(BookFormat, SettingsChangeThePresetAndTheMarginsPlaceOrSizeTheBlock) {
  for (const ChangeCase& c : changeCases) {
    ConversionSettings settings;
    c.change(settings);
    const BookFormat format = bookFormat(settings);
    EXPECT_EQ(format.chars, c.chars) << c.name;
    EXPECT_EQ(format.lines, c.lines) << c.name;
    EXPECT_NEAR(format.top, c.top, 1e-6) << c.name;
    EXPECT_NEAR(format.gutter, c.gutter, 1e-6) << c.name;
  }
}

TEST(BookFormat, ABlockLargerThanItsPageIsRefused) {
  ConversionSettings settings;
  settings.bookChars = u"60";
  EXPECT_TRUE(formatProblem(bookFormat(settings)).has_value());
  settings = {};
  settings.bookLines = u"30";
  EXPECT_TRUE(formatProblem(bookFormat(settings)).has_value());
  settings = {};
  settings.bookLinePitch = u"6";
  EXPECT_TRUE(formatProblem(bookFormat(settings)).has_value());
}

}  // namespace
}  // namespace zelvato::book
