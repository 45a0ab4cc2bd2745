#include "setting_checks.h"

#include <gtest/gtest.h>

#include "unicode_text.h"

namespace zelvato {
namespace {

TEST(SettingChecks, baseNamesThatLeaveTheFolderOrMakeScriptLinksAreRefusedWithTheirReason) {
  struct Case {
    std::u16string name;
    std::string_view reason;  // empty: accepted
  };
  const Case cases[] = {
      {u"../../x", "the base name may not contain / or \\"},
      {u"a\\b", "the base name may not contain / or \\"},
      {u"..", "the base name may not contain .."},
      {u"javascript:alert(1);", "the base name may not begin with a URL scheme such as javascript:"},
      {u"Data:text", "the base name may not begin with a URL scheme such as javascript:"},
      {u"a\x1b[2J", "the base name may not contain control characters"},
      {u"a\tb", "the base name may not contain control characters"},
      {u"vt", ""},
      {u"雪の朝", ""},
      {u"第1章:雪", ""},  // no scheme begins with a kanji
      {u"1:x", ""},       // nor with a digit
      {u"a.b-c_d", ""},
  };
  for (const Case& c : cases) {
    const auto problem = checkFileBaseName(c.name);
    EXPECT_EQ(problem ? problem->reason : std::string_view(), c.reason) << utf16ToUtf8(c.name);
    if (problem) EXPECT_FALSE(problem->message.empty());
  }
}

TEST(SettingChecks, aGridTooLargeToMakeIsAnUnusableSetting) {
  struct Case {
    std::u16string charsPerLine, lines;
    bool usable;
  };
  const Case cases[] = {{u"25", u"20", true},
                        {u"1023", u"1023", true},
                        {u"5000", u"5000", false},
                        {u"1e300", u"3", false},
                        {u"3", u"9999999999", false}};
  for (const Case& c : cases) {
    ConversionSettings s;
    s.charsPerLine = c.charsPerLine;
    s.linesPerColumn = c.lines;
    EXPECT_EQ(!checkGridSize(s), c.usable) << utf16ToUtf8(c.charsPerLine) << " x " << utf16ToUtf8(c.lines);
  }
}

}  // namespace
}  // namespace zelvato
