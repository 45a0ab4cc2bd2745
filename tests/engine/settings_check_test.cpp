#include "options/settings_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "recording_host.h"
#include "run/conversion.h"
#include "temp_folder.h"
#include "text/unicode_text.h"
#include "write/registry/writer_registry.h"

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
         s.tabWidth = u"";
         s.outputMode = writerKeys::singleFile;
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
         s.outputMode = writerKeys::singleFile;
         s.htmlTitle.clear();
       },
       10, C::singleFilePathEmpty, F::singleFilePath, u"出力先ﾌｧｲﾙ名を指定して下さい"},
      {"page files without folder or name: the folder only",
       [](auto& s) { s.outputMode = writerKeys::pageFiles; }, 10, C::outputFolderEmpty, F::outputFolder,
       u"出力先ﾌｫﾙﾀﾞを指定して下さい"},
      {"page files without a name",
       [](auto& s) {
         s.outputMode = writerKeys::pageFiles;
         s.outputFolder = u"/tmp/";
       },
       10, C::fileBaseNameEmpty, F::fileBaseName, u"出力先ﾌｧｲﾙ名を指定して下さい"},
      {"a file without a title",
       [](auto& s) {
         s.outputMode = writerKeys::singleFile;
         s.singleFilePath = u"a.html";
         s.htmlTitle.clear();
         s.bodyTag.clear();
       },
       10, C::htmlTitleEmpty, F::htmlTitle, u"HTMLのﾀｲﾄﾙを指定して下さい"},
      {"a file without a BODY tag",
       [](auto& s) {
         s.outputMode = writerKeys::singleFile;
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

// The reading type's sizes go into a style sheet only where real text is
// written; there nothing that would hide the text or blow it up passes.
TEST(SettingsCheck, theReadingSizesAreCheckedWhereRealTextIsWritten) {
  struct Case {
    std::string_view medium;
    TextStyle style;
    std::u16string size, lineHeight;
    std::optional<SettingsCheck> check;
    SettingField field = SettingField::source;
  };
  using C = SettingsCheck;
  using F = SettingField;
  const Case cases[] = {
      {writerKeys::epub, TextStyle::grid, u"100", u"1.75", std::nullopt},
      {writerKeys::epub, TextStyle::grid, u"", u"1.75", C::notANumber, F::readingFontSize},
      {writerKeys::epub, TextStyle::grid, u"0", u"1.75", C::numberOutOfRange, F::readingFontSize},
      {writerKeys::epub, TextStyle::grid, u"400", u"3.5", C::numberOutOfRange, F::readingLineHeight},
      {writerKeys::singleFile, TextStyle::flow, u"49.9", u"1.75", C::numberOutOfRange, F::readingFontSize},
      {writerKeys::showOnly, TextStyle::flow, u"100", u"1.5em", C::notANumber, F::readingLineHeight},
      {writerKeys::singleFile, TextStyle::grid, u"0", u"", std::nullopt},
      {"text", TextStyle::grid, u"0", u"", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.medium) + " " + utf16ToUtf8(c.size) + " " + utf16ToUtf8(c.lineHeight));
    ConversionSettings s;
    s.outputMode = c.medium;
    s.textStyle = c.style;
    s.singleFilePath = s.epubFilePath = u"out";
    s.outputPaths["text"] = u"out";
    s.readingFontSize = c.size;
    s.readingLineHeight = c.lineHeight;
    const auto problem = checkSettings(s, 10);
    ASSERT_EQ(problem.has_value(), c.check.has_value());
    if (!problem) continue;
    EXPECT_EQ(problem->check, *c.check);
    EXPECT_EQ(problem->field, c.field);
    EXPECT_FALSE(problem->warning.empty());
  }
}

TEST(SettingsCheck, withoutASourceLengthOnlyTheSettingsAreChecked) {
  ConversionSettings settings;
  settings.charsPerLine = u"1";
  EXPECT_FALSE(checkSettings(settings, std::nullopt));
  EXPECT_TRUE(checkSettings(settings, 5));
}

TEST(SettingsCheck, baseNamesThatLeaveTheFolderOrMakeScriptLinksAreRefusedWithTheirReason) {
  struct Case {
    std::u16string name;
    std::optional<SettingsCheck> check;  // nothing: accepted
  };
  using C = SettingsCheck;
  const Case cases[] = {
      {u"../../x", C::fileBaseNameSeparator},
      {u"a\\b", C::fileBaseNameSeparator},
      {u"..", C::fileBaseNameParent},
      {u"javascript:alert(1);", C::fileBaseNameScheme},
      {u"Data:text", C::fileBaseNameScheme},
      {u"a\x1b[2J", C::fileBaseNameControl},
      {u"a\tb", C::fileBaseNameControl},
      {u"vt", std::nullopt},
      {u"雪の朝", std::nullopt},
      {u"第1章:雪", std::nullopt},  // no scheme begins with a kanji
      {u"1:x", std::nullopt},
      {u"a.b-c_d", std::nullopt},
  };
  for (const Case& c : cases) {
    ConversionSettings s;
    s.outputMode = writerKeys::pageFiles;
    s.outputFolder = u"/tmp/";
    s.fileBaseName = c.name;
    const auto problem = checkSettings(s, 10);
    EXPECT_EQ(problem ? std::optional(problem->check) : std::nullopt, c.check) << c.check.has_value();
    if (problem) {
      EXPECT_FALSE(problem->warning.empty() || problem->explanation.empty());
    }
  }
}

TEST(SettingsCheck, aGridTooLargeToMakeIsAnUnusableSetting) {
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
    const auto problem = checkSettings(s, 10);
    EXPECT_EQ(!problem, c.usable) << problem.has_value();
    if (problem) {
      EXPECT_EQ(problem->check, SettingsCheck::gridTooLarge);
    }
  }
}

// Settings that make the output hundreds of times the source are found before
// anything is written; ordinary runs, and small ones in a large grid, are not.
TEST(SettingsCheck, anOutputFarLargerThanTheSourceIsFoundBeforeWriting) {
  struct Case {
    const char* what;
    std::u16string source;
    std::u16string charsPerLine, lines, tabWidth;
    bool excessive;
  };
  std::u16string text, shortLines;
  for (int i = 0; i < 30000; ++i) text += i % 40 == 39 ? u"。\r\n" : u"あ";
  for (int i = 0; i < 100000; ++i) shortLines += u"a\n";
  const Case cases[] = {
      {"100 KB of tabs, each 1000 spaces wide", std::u16string(100000, u'\t'), u"25", u"20", u"1000", true},
      {"200 KB of one-letter lines in a grid of 1023 by 1023", shortLines, u"1023", u"1023", u"2", true},
      {"200 KB of line breaks alone, which show nothing", std::u16string(200000, u'\n'), u"1023", u"1023",
       u"2", false},
      {"a long text in the start grid", text, u"25", u"20", u"2", false},
      {"a few short lines in a large grid: large, but small in itself", shortLines.substr(0, 4000), u"1023",
       u"1023", u"2", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ConversionSettings s;
    s.charsPerLine = c.charsPerLine;
    s.linesPerColumn = c.lines;
    s.tabWidth = c.tabWidth;
    EXPECT_EQ(estimateOutput(s, c.source).excessive, c.excessive);
  }
}

// The estimate is near what a run writes (within a tenth, and the file's head and foot).
TEST(SettingsCheck, theOutputEstimateIsNearTheSizeWritten) {
  struct Case {
    const char* what;
    std::u16string source;
    std::u16string charsPerLine, lines, tabWidth;
    bool grid;
  };
  std::u16string text, shortLines;
  for (int i = 0; i < 3000; ++i) text += i % 40 == 39 ? u"。\r\n" : u"あ";
  for (int i = 0; i < 3000; ++i) shortLines += u"あ\r\n";
  const Case cases[] = {
      {"tabs", std::u16string(300, u'\t'), u"25", u"20", u"100", false},
      {"short lines in a large grid", shortLines, u"100", u"100", u"2", true},
      {"line breaks alone", std::u16string(3000, u'\n'), u"100", u"100", u"2", false},
      {"text", text, u"25", u"20", u"2", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    ConversionSettings s;
    s.charsPerLine = c.charsPerLine;
    s.linesPerColumn = c.lines;
    s.tabWidth = c.tabWidth;
    s.showGrid = c.grid;
    s.outputMode = writerKeys::singleFile;
    s.singleFilePath = pathToText(folder.file("out.html"));
    RecordingHost host;
    ASSERT_TRUE(convertText(c.source, s, "", host));
    const double written = static_cast<double>(std::filesystem::file_size(folder.file("out.html")));
    EXPECT_NEAR(static_cast<double>(estimateOutput(s, c.source).outputBytes), written, written / 10 + 1000);
  }
}

}  // namespace
}  // namespace zelvato
