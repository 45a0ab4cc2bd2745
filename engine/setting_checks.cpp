#include "setting_checks.h"

#include "column_layout.h"
#include "number_text.h"

namespace zelvato {
namespace {

// The messages of these checks, in one place.
constexpr SettingProblem separatorInName{u"ﾌｧｲﾙ名に / や \\ は使えません. ﾌｫﾙﾀﾞの区切りになるためです.",
                                         "the base name may not contain / or \\"};
constexpr SettingProblem parentInName{u"ﾌｧｲﾙ名に .. は使えません. 出力先ﾌｫﾙﾀﾞの外を指すためです.",
                                      "the base name may not contain .."};
constexpr SettingProblem controlInName{u"ﾌｧｲﾙ名に使えない文字 (制御文字) が含まれています.",
                                       "the base name may not contain control characters"};
constexpr SettingProblem schemeInName{
    u"ﾌｧｲﾙ名が javascript: のようなURLの形で始まっています. ﾍﾟｰｼﾞのﾘﾝｸが別の場所を指すため使えません.",
    "the base name may not begin with a URL scheme such as javascript:"};
constexpr SettingProblem gridTooLarge{u"1ｺﾗﾑの升目が多すぎます. 1行の文字数か行数を減らして下さい.",
                                      "the grid of characters per line by lines is too large"};

bool isAsciiLetter(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

// "scheme:" as links read it: a letter, then letters, digits, "+", "-" or ".".
bool beginsWithScheme(std::u16string_view name) {
  if (name.empty() || !isAsciiLetter(name.front())) return false;
  for (const char16_t c : name.substr(1)) {
    if (c == u':') return true;
    if (!isAsciiLetter(c) && !(c >= u'0' && c <= u'9') && c != u'+' && c != u'-' && c != u'.') return false;
  }
  return false;
}

}  // namespace

std::optional<SettingProblem> checkFileBaseName(std::u16string_view name) {
  if (name.find_first_of(u"/\\") != name.npos) return separatorInName;
  if (name.find(u"..") != name.npos) return parentInName;
  for (const char16_t c : name)
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) return controlInName;
  if (beginsWithScheme(name)) return schemeInName;
  return std::nullopt;
}

std::optional<SettingProblem> checkGridSize(const ConversionSettings& settings) {
  const auto rows = toWholeNumber(textToNumber(settings.charsPerLine));
  const auto lines = toWholeNumber(textToNumber(settings.linesPerColumn));
  if (!rows || !lines || !ColumnGrid::fits(*rows, *lines)) return gridTooLarge;
  return std::nullopt;
}

}  // namespace zelvato
