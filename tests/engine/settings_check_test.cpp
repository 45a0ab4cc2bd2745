#include "settings_check.h"

#include <gtest/gtest.h>

#include <functional>

namespace zelvato {
namespace {

// The checks before a run, in their order: the first that fails is the one
// reported, with its field and its warning (or none where the run ends silently).
TEST(SettingsCheck, reportsTheFirstFailingCheckInTheRunsOrder) {
  struct Case {
    const char* what;
    std::function<void(ConversionSettings&)> change;
    std::size_t sourceLength;
    std::optional<SettingsCheck> check;
    SettingField field;
    std::u16string_view warning;
  };
  using C = SettingsCheck;
  using F = SettingField;
  const Case cases[] = {
      {"start values", [](auto&) {}, 10, std::nullopt, F::source, {}},
      {"an empty layout field, before any output setting",
       [](auto& s) {
         s.tabWidth.clear();
         s.outputMode = OutputMode::singleFile;
       },
       10,
       C::layoutFieldEmpty,
       F::tabWidth,
       {}},
      {"a blank is content, and its value 0 is too few",
       [](auto& s) { s.linesPerColumn = u" "; },
       10,
       C::gridTooSmall,
       F::linesPerColumn,
       {}},
      {"single file without a name, the empty title not reported",
       [](auto& s) {
         s.outputMode = OutputMode::singleFile;
         s.htmlTitle.clear();
       },
       10, C::singleFilePathEmpty, F::singleFilePath, u"出力先ﾌｧｲﾙ名を指定して下さい"},
      {"page files without folder or name: the folder only",
       [](auto& s) { s.outputMode = OutputMode::pageFiles; }, 10, C::outputFolderEmpty, F::outputFolder,
       u"出力先ﾌｫﾙﾀﾞを指定して下さい"},
      {"page files without a name",
       [](auto& s) {
         s.outputMode = OutputMode::pageFiles;
         s.outputFolder = u"/tmp/";
       },
       10, C::fileBaseNameEmpty, F::fileBaseName, u"出力先ﾌｧｲﾙ名を指定して下さい"},
      {"a file without a title",
       [](auto& s) {
         s.outputMode = OutputMode::singleFile;
         s.singleFilePath = u"a.html";
         s.htmlTitle.clear();
         s.bodyTag.clear();
       },
       10, C::htmlTitleEmpty, F::htmlTitle, u"HTMLのﾀｲﾄﾙを指定して下さい"},
      {"a file without a BODY tag",
       [](auto& s) {
         s.outputMode = OutputMode::singleFile;
         s.singleFilePath = u"a.html";
         s.bodyTag.clear();
       },
       10, C::bodyTagEmpty, F::bodyTag, u"HTMLのBODYﾀｸﾞを指定して下さい"},
      {"show-only needs neither title nor BODY tag",
       [](auto& s) {
         s.htmlTitle.clear();
         s.bodyTag.clear();
       },
       10,
       std::nullopt,
       F::source,
       {}},
      {"an empty source before a grid too small",
       [](auto& s) { s.charsPerLine = u"2"; },
       0,
       C::sourceEmpty,
       F::source,
       {}},
      {"2.9 characters are too few",
       [](auto& s) { s.charsPerLine = u"2.9"; },
       10,
       C::gridTooSmall,
       F::charsPerLine,
       {}},
      {"3.4 characters are enough",
       [](auto& s) { s.charsPerLine = u"3.4"; },
       10,
       std::nullopt,
       F::source,
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ConversionSettings settings;
    c.change(settings);
    const auto problem = checkSettings(settings, c.sourceLength);
    ASSERT_EQ(problem.has_value(), c.check.has_value());
    if (!problem) continue;
    EXPECT_EQ(problem->check, *c.check);
    EXPECT_EQ(problem->field, c.field);
    EXPECT_EQ(problem->warning, c.warning);
    // Every check that ends without a warning says why, for the command line.
    EXPECT_NE(problem->warning.empty(), problem->explanation.empty());
  }
}

TEST(SettingsCheck, withoutASourceLengthOnlyTheSettingsAreChecked) {
  ConversionSettings settings;
  settings.charsPerLine = u"1";
  EXPECT_FALSE(checkSettings(settings, std::nullopt));
  EXPECT_TRUE(checkSettings(settings, 5));
}

}  // namespace
}  // namespace zelvato
