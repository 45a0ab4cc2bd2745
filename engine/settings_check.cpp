#include "settings_check.h"

#include <string>

#include "number_text.h"

namespace zelvato {
namespace {

struct CheckText {
  std::u16string_view warning;
  std::string_view explanation;
};

// The single file and the page files are asked for with the same words.
constexpr std::u16string_view noFileName = u"出力先ﾌｧｲﾙ名を指定して下さい";

// The texts of every check, in the order of SettingsCheck.
constexpr CheckText checkTexts[] = {
    {{}, "is empty"},  // after "the value of" and the field's name
    {noFileName, {}},
    {u"出力先ﾌｫﾙﾀﾞを指定して下さい", {}},
    {noFileName, {}},
    {u"HTMLのﾀｲﾄﾙを指定して下さい", {}},
    {u"HTMLのBODYﾀｸﾞを指定して下さい", {}},
    {{}, "the source text is empty"},
    {{}, "at least 3 characters per line and 3 lines per block are needed"},
};

SettingsProblem problem(SettingsCheck check, SettingField field) {
  const CheckText& text = checkTexts[static_cast<std::size_t>(check)];
  return {check, field, text.warning, text.explanation};
}

}  // namespace

std::optional<SettingsProblem> checkSettings(const ConversionSettings& s,
                                             std::optional<std::size_t> sourceLength) {
  const struct {
    const std::u16string& value;
    SettingField field;
  } layoutFields[] = {
      {s.charsPerLine, SettingField::charsPerLine},     {s.charSpacingPt, SettingField::charSpacingPt},
      {s.linesPerColumn, SettingField::linesPerColumn}, {s.lineSpacingPt, SettingField::lineSpacingPt},
      {s.columnGapPx, SettingField::columnGapPx},       {s.tabWidth, SettingField::tabWidth},
  };
  for (const auto& f : layoutFields)
    if (f.value.empty()) return problem(SettingsCheck::layoutFieldEmpty, f.field);

  const bool singleFile = s.outputMode == OutputMode::singleFile;
  const bool pageFiles = s.outputMode == OutputMode::pageFiles;
  const bool filesWritten = s.outputMode != OutputMode::showOnly;
  if (singleFile && s.singleFilePath.empty())
    return problem(SettingsCheck::singleFilePathEmpty, SettingField::singleFilePath);
  if (pageFiles && s.outputFolder.empty())
    return problem(SettingsCheck::outputFolderEmpty, SettingField::outputFolder);
  if (pageFiles && s.fileBaseName.empty())
    return problem(SettingsCheck::fileBaseNameEmpty, SettingField::fileBaseName);
  if (filesWritten && s.htmlTitle.empty())
    return problem(SettingsCheck::htmlTitleEmpty, SettingField::htmlTitle);
  if (filesWritten && s.bodyTag.empty()) return problem(SettingsCheck::bodyTagEmpty, SettingField::bodyTag);

  if (!sourceLength) return std::nullopt;
  if (*sourceLength == 0) return problem(SettingsCheck::sourceEmpty, SettingField::source);
  // Compared as read, before rounding: 2.9 is too few, 3.4 makes 3.
  if (textToNumber(s.charsPerLine) < 3)
    return problem(SettingsCheck::gridTooSmall, SettingField::charsPerLine);
  if (textToNumber(s.linesPerColumn) < 3)
    return problem(SettingsCheck::gridTooSmall, SettingField::linesPerColumn);
  return std::nullopt;
}

}  // namespace zelvato
