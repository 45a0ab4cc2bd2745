#include "options/settings_check.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "document/grid_block.h"
#include "document/number_text.h"
#include "options/option_table.h"
#include "typeset/book/book_format.h"
#include "typeset/grid_typesetter.h"
#include "write/registry/writer_registry.h"

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
    {{}, "is empty"},         // after "the value of" and the field's name
    {{}, "is not a number"},  // the warnings of these two name the field: see fieldWarning
    {{}, "is too large"},
    {noFileName, {}},
    {u"出力先ﾌｫﾙﾀﾞを指定して下さい", {}},
    {noFileName, {}},
    {u"ﾌｧｲﾙ名に / や \\ は使えません. ﾌｫﾙﾀﾞの区切りになるためです.", "the base name may not contain / or \\"},
    {u"ﾌｧｲﾙ名に .. は使えません. 出力先ﾌｫﾙﾀﾞの外を指すためです.", "the base name may not contain .."},
    {u"ﾌｧｲﾙ名に使えない文字 (制御文字) が含まれています.",
     "the base name may not contain control characters"},
    {u"ﾌｧｲﾙ名が javascript: のようなURLの形で始まっています. ﾍﾟｰｼﾞのﾘﾝｸが別の場所を指すため使えません.",
     "the base name may not begin with a URL scheme such as javascript:"},
    {u"HTMLのﾀｲﾄﾙを指定して下さい", {}},
    {u"HTMLのBODYﾀｸﾞを指定して下さい", {}},
    {{}, "the source text is empty"},
    {{}, "at least 3 characters per line and 3 lines per block are needed"},
    {u"1ｺﾗﾑの升目が多すぎます. 1行の文字数か行数を減らして下さい.",
     "the grid of characters per line by lines is too large"},
    {u"書籍の版面が用紙に収まりません. 字詰め, 行数, 文字サイズ, 行送りか余白を見直して下さい.",
     "the book's text block does not fit its page: see --book-chars, --book-lines, --book-size, "
     "--book-line-pitch and the margins"},
};
static_assert(std::size(checkTexts) == static_cast<std::size_t>(SettingsCheck::bookUnfit) + 1);

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

std::optional<SettingsCheck> baseNameProblem(std::u16string_view name) {
  if (name.find_first_of(u"/\\") != name.npos) return SettingsCheck::fileBaseNameSeparator;
  if (name.find(u"..") != name.npos) return SettingsCheck::fileBaseNameParent;
  for (const char16_t c : name)
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) return SettingsCheck::fileBaseNameControl;
  if (beginsWithScheme(name)) return SettingsCheck::fileBaseNameScheme;
  return std::nullopt;
}

constexpr std::size_t fieldCount = static_cast<std::size_t>(SettingField::source) + 1;

// The warnings that name their field by its caption in the window, made once.
std::u16string_view fieldWarning(SettingsCheck check, SettingField field) {
  static const auto warnings = [] {
    std::array<std::array<std::u16string, fieldCount>, 2> made;
    for (std::size_t f = 0; f < fieldCount; ++f) {
      const OptionEntry* option = optionFor(static_cast<SettingField>(f));
      if (option == nullptr) continue;
      made[0][f] = std::u16string(option->caption) + u"には数値を入力して下さい.";
      made[1][f] = std::u16string(option->caption) + u"の値が大きすぎます.";
    }
    return made;
  }();
  return warnings[check == SettingsCheck::notANumber ? 0 : 1][static_cast<std::size_t>(field)];
}

SettingsProblem problem(SettingsCheck check, SettingField field) {
  const CheckText& text = checkTexts[static_cast<std::size_t>(check)];
  if (check == SettingsCheck::notANumber || check == SettingsCheck::numberTooLarge)
    return {check, field, fieldWarning(check, field), text.explanation};
  return {check, field, text.warning, text.explanation};
}

// The number fields besides the grid's sides, in the order of the window's
// fields. The spacings and the font size go into the page as typed, so they
// must be numbers as read with nothing left over; an empty font size is
// written as 0. A number that overflows is refused in any of them, and one
// written into the page beyond what any page could show (a font size over
// 1000 pt, a spacing over 1000 pt, a gap over 10000 px either way).
std::optional<SettingsProblem> numberProblem(const ConversionSettings& s) {
  constexpr double unbounded = HUGE_VAL;
  const struct {
    const NumberField& number;
    SettingField field;
    bool writtenAsTyped;
    double largest;  // of the value's size
  } numberFields[] = {
      {s.charSpacingPt, SettingField::charSpacingPt, true, 1000},
      {s.lineSpacingPt, SettingField::lineSpacingPt, true, 1000},
      {s.columnGapPx, SettingField::columnGapPx, false, 10000},
      {s.tabWidth, SettingField::tabWidth, false, unbounded},
      {s.fontSizePt, SettingField::fontSizePt, true, 1000},
      {s.columnsPerPage, SettingField::columnsPerPage, false, unbounded},
  };
  for (const auto& f : numberFields) {
    if (f.writtenAsTyped && !f.number.empty() && !f.number.wholeText())
      return problem(SettingsCheck::notANumber, f.field);
    if (!std::isfinite(f.number.value()) || std::fabs(f.number.value()) > f.largest)
      return problem(SettingsCheck::numberTooLarge, f.field);
  }
  return std::nullopt;
}

}  // namespace

std::optional<SettingsProblem> checkSettings(const ConversionSettings& s,
                                             std::optional<std::size_t> sourceLength) {
  const struct {
    const NumberField& value;
    SettingField field;
  } layoutFields[] = {
      {s.charsPerLine, SettingField::charsPerLine},     {s.charSpacingPt, SettingField::charSpacingPt},
      {s.linesPerColumn, SettingField::linesPerColumn}, {s.lineSpacingPt, SettingField::lineSpacingPt},
      {s.columnGapPx, SettingField::columnGapPx},       {s.tabWidth, SettingField::tabWidth},
  };
  for (const auto& f : layoutFields)
    if (f.value.empty()) return problem(SettingsCheck::layoutFieldEmpty, f.field);
  if (const auto refused = numberProblem(s)) return refused;

  // The output settings are asked for only where the chosen medium reads them:
  // a book or a flowing page writes no BODY tag.
  if (const WriterEntry* writer = chosenWriter(s)) {
    if (writer->destination != Destination::none && outputPath(s, *writer).empty())
      return problem(writer->destination == Destination::folder ? SettingsCheck::outputFolderEmpty
                                                                : SettingsCheck::singleFilePathEmpty,
                     writer->pathSetting);
    if (readsSetting(*writer, s, "fileBaseName")) {
      if (s.fileBaseName.empty())
        return problem(SettingsCheck::fileBaseNameEmpty, SettingField::fileBaseName);
      if (const auto refused = baseNameProblem(s.fileBaseName))
        return problem(*refused, SettingField::fileBaseName);
    }
    if (readsSetting(*writer, s, "htmlTitle") && s.htmlTitle.empty())
      return problem(SettingsCheck::htmlTitleEmpty, SettingField::htmlTitle);
    if (readsSetting(*writer, s, "bodyTag") && s.bodyTag.empty())
      return problem(SettingsCheck::bodyTagEmpty, SettingField::bodyTag);
    if (readsSetting(*writer, s, "bookPreset") && book::formatProblem(book::bookFormat(s)))
      return problem(SettingsCheck::bookUnfit, SettingField::outputPath);
  }

  if (!sourceLength) return std::nullopt;
  if (*sourceLength == 0) return problem(SettingsCheck::sourceEmpty, SettingField::source);
  // Compared as read, before rounding: 2.9 is too few, 3.4 makes 3.
  if (s.charsPerLine.value() < 3) return problem(SettingsCheck::gridTooSmall, SettingField::charsPerLine);
  if (s.linesPerColumn.value() < 3) return problem(SettingsCheck::gridTooSmall, SettingField::linesPerColumn);
  const auto rows = toWholeNumber(s.charsPerLine.value());
  const auto lines = toWholeNumber(s.linesPerColumn.value());
  if (!rows || !lines || !GridBlock::fits(*rows, *lines, s.kinsoku))
    return problem(SettingsCheck::gridTooLarge, SettingField::charsPerLine);
  return std::nullopt;
}

OutputEstimate estimateOutput(const ConversionSettings& settings, std::u16string_view source) {
  OutputEstimate estimate;
  const double rows = std::max(1, toWholeNumber(settings.charsPerLine.value()).value_or(1));
  const double lines = std::max(1, toWholeNumber(settings.linesPerColumn.value()).value_or(1));
  const double tabWidth = std::floor(settings.tabWidth.value());
  const double tabCells = tabWidth >= 1 ? std::min<double>(tabWidth, maxTabCells) : 0;
  // Only blocks with a cell of text are written: line breaks alone show nothing.
  double verticalLine = 0;  // where the line being filled begins
  double cells = 0;         // of the line being filled
  double blocks = 0;        // with text
  double lastBlock = -1;    // the last of them
  const auto endLine = [&] {
    const double used = std::max(1.0, std::ceil(cells / rows));
    if (cells > 0) {
      const double first = std::max(std::floor(verticalLine / lines), lastBlock + 1);
      lastBlock = std::floor((verticalLine + used - 1) / lines);
      if (lastBlock >= first) blocks += lastBlock - first + 1;
    }
    verticalLine += used;
    cells = 0;
  };
  for (std::size_t i = 0; i < source.size(); ++i) {
    const char16_t c = source[i];
    estimate.sourceBytes += c < 0x80 ? 1 : 2;
    if (c == u'\r' || c == u'\n') {
      if (c == u'\r' && i + 1 < source.size() && source[i + 1] == u'\n') {
        ++i;
        ++estimate.sourceBytes;
      }
      endLine();
    } else if (c == u'\t') {
      cells += tabCells;
    } else if (c < 0xDC00 || c > 0xDFFF) {  // the second half of a pair shares its cell
      cells += 1;
    }
  }
  if (cells > 0) endLine();
  // Every cell takes four display positions: a full-width character between two
  // half-width spaces.
  const double cellBytes = settings.outputEncoding == OutputEncoding::utf8 ? 5 : 4;
  const double rowBytes = lines * cellBytes + (settings.showGrid ? lines - 1 : 0) + 2;
  constexpr double blockFrame = 400;  // the block's opening and closing lines
  const double bytes = blocks * (rows * rowBytes + blockFrame);
  estimate.outputBytes = bytes >= 1.8e19 ? UINT64_MAX : static_cast<std::uint64_t>(bytes);
  estimate.excessive = estimate.outputBytes > amplificationFloor &&
                       estimate.outputBytes / amplificationLimit > estimate.sourceBytes;
  return estimate;
}

}  // namespace zelvato
