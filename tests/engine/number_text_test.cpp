#include "document/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace zelvato {
namespace {

struct NumberCase {
  std::u16string text;
  double expected;
};

TEST(TextToNumber, readsTheLeadingNumberTheWayTheFieldsAreRead) {
  const NumberCase cases[] = {
      {u"", 0},        {u"25", 25},         {u"12abc", 12},      {u" 1 2 ", 12},
      {u"\t3\n4", 34}, {u"-.5", -0.5},      {u"+7", 7},          {u"10.5", 10.5},
      {u"1.2.3", 1.2}, {u"1D2", 100},       {u"1E2", 100},       {u"2.5e-1", 0.25},
      {u"1e", 1},      {u"1E+", 1},         {u"3d1x", 30},       {u"abc", 0},
      {u"--1", 0},     {u"-", 0},           {u".", 0},           {u"1,234", 1},
      {u"&H1F", 31},   {u"&h1f", 31},       {u"&O17", 15},       {u"&O18", 1},
      {u"&HFFFF", -1}, {u"&H8000", -32768}, {u"&H10000", 65536}, {u"&HFFFFFFFF", -1},
      {u"&", 0},       {u"&X1", 0},         {u"&H", 0},          {u"& H 1 0", 16},
      {u"\r5", 0},     {u"１２", 0},        {u"0.1", 0.1},       {u"-0", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
    EXPECT_DOUBLE_EQ(textToNumber(c.text), c.expected);
  }
}

// The fields written into the page take only a text that is a number as read,
// with nothing left over but the blanks the reader ignores.
TEST(ReadNumber, tellsWhetherTheNumberTookTheWholeText) {
  const std::pair<std::u16string, bool> cases[] = {
      {u"25", true},     {u" 4 ", true},  {u"10.5", true},   {u"&H0C", true},      {u"&O17", true},
      {u"1E2", true},    {u"-.5", true},  {u"\t3\n4", true}, {u"1e400", true},     {u"5.", true},
      {u"", false},      {u"abc", false}, {u"9pt", false},   {u"1e", false},       {u"1E+", false},
      {u"&H", false},    {u"&HZ", false}, {u"&O18", false},  {u".", false},        {u"-", false},
      {u"1.2.3", false}, {u"\r5", false}, {u"１２", false},  {u"9pt; x:y", false},
  };
  for (const auto& [text, whole] : cases) {
    SCOPED_TRACE(std::string(text.begin(), text.end()));
    EXPECT_EQ(readNumber(text).wholeText, whole);
    EXPECT_DOUBLE_EQ(readNumber(text).value, textToNumber(text));
  }
}

TEST(RoundHalfEven, halvesGoToTheEvenNeighbour) {
  const std::pair<double, double> cases[] = {{10.5, 10}, {11.5, 12}, {3.4, 3},   {3.5, 4},   {2.5, 2},
                                             {-2.5, -2}, {-3.5, -4}, {-0.4, -0}, {0.5, 0},   {2.9, 3},
                                             {1.5, 2},   {7, 7},     {-1.6, -2}, {99.5, 100}};
  for (auto [value, expected] : cases) {
    SCOPED_TRACE(value);
    EXPECT_EQ(roundHalfEven(value), expected);
  }
}

TEST(ToWholeNumber, refusesValuesBeyondThirtyTwoBits) {
  EXPECT_EQ(toWholeNumber(2147483647.4), 2147483647);
  EXPECT_EQ(toWholeNumber(-2147483648.0), -2147483647 - 1);
  EXPECT_FALSE(toWholeNumber(2147483647.6).has_value());
  EXPECT_FALSE(toWholeNumber(1e300).has_value());
  EXPECT_FALSE(toWholeNumber(NAN).has_value());
}

TEST(FormatNumber, padsDigitsWithoutSign) {
  EXPECT_EQ(formatNumber(7, 3), u"007");
  EXPECT_EQ(formatNumber(1234, 3), u"1234");
  EXPECT_EQ(formatNumber(0, 3), u"000");
  EXPECT_EQ(formatNumber(-5, 2), u"05");
  EXPECT_EQ(formatNumber(3, 1), u"3");
  EXPECT_EQ(formatNumber(INT64_MIN, 1), u"9223372036854775808");
}

TEST(ZeroPad, leftPadsShortTexts) {
  EXPECT_EQ(zeroPad(u"", 1), u"0");
  EXPECT_EQ(zeroPad(u"3", 2), u"03");
  EXPECT_EQ(zeroPad(u"10.5", 1), u"10.5");
  EXPECT_EQ(zeroPad(u"-3", 3), u"0-3");
}

TEST(GroupThousands, separatesGroupsOfThreeFromTheRight) {
  const std::pair<std::u16string, std::u16string> cases[] = {{u"", u""},
                                                             {u"1", u"1"},
                                                             {u"123", u"123"},
                                                             {u"999", u"999"},
                                                             {u"1000", u"1,000"},
                                                             {u"1234", u"1,234"},
                                                             {u"12345", u"12,345"},
                                                             {u"123456", u"123,456"},
                                                             {u"1234567", u"1,234,567"},
                                                             {u"65535", u"65,535"}};
  for (const auto& [text, expected] : cases) EXPECT_EQ(groupThousands(text), expected);
}

}  // namespace
}  // namespace zelvato
