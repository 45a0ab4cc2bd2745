#include "typeset/book/book_format.h"

#include <cmath>

namespace zelvato::book {
namespace {

constexpr double pointsPerMillimetre = 72.0 / 25.4;

struct Preset {
  BookPreset preset;
  double width, height;  // mm
  double size;           // pt
  int chars, lines;
  double pitch;  // pt
  int columns;
  double top, gutter;  // mm
  bool twoSided;
  PagePlace runningHead, folio;
};

// 文庫 A6: 9 pt, 39 characters by 16 lines at a pitch of 1.6 em, the most
// common 文庫 block. 新書 103 × 182 mm: 43 × 15 with a deep 天 for the running
// head. B6: 9.5 pt, 42 × 17. A5: two columns of 26 at 9 pt, 22 lines, as
// 同人誌 and journals set it. An e-reader of six inches: 11 pt, 27 × 12,
// the same margins on both sides and the page number in the middle.
constexpr Preset presets[] = {
    {BookPreset::bunko, 105, 148, 9, 39, 16, 14.4, 1, 11, 14, true, PagePlace::headForeEdge,
     PagePlace::footForeEdge},
    {BookPreset::shinsho, 103, 182, 9, 43, 15, 15, 1, 20, 14, true, PagePlace::headForeEdge,
     PagePlace::footForeEdge},
    {BookPreset::b6, 128, 182, 9.5, 42, 17, 16, 1, 18, 18, true, PagePlace::headForeEdge,
     PagePlace::footForeEdge},
    {BookPreset::a5, 148, 210, 9, 26, 22, 15, 2, 18, 18, true, PagePlace::headForeEdge,
     PagePlace::footForeEdge},
    {BookPreset::ereader, 90, 122, 11, 27, 12, 18, 1, 8, 8.135, false, PagePlace::none,
     PagePlace::footCentre},
};

// A number the settings give, when it is one.
std::optional<double> given(const NumberField& field) {
  if (field.empty() || !std::isfinite(field.value())) return std::nullopt;
  return field.value();
}

}  // namespace

double BookFormat::pageWidthPt() const {
  return pageWidth * pointsPerMillimetre;
}

double BookFormat::pageHeightPt() const {
  return pageHeight * pointsPerMillimetre;
}

double BookFormat::bottom() const {
  return pageHeight - top - blockHeight() / pointsPerMillimetre;
}

double BookFormat::foreEdge() const {
  return pageWidth - gutter - blockWidth() / pointsPerMillimetre;
}

BookFormat bookPreset(BookPreset preset) {
  BookFormat format;
  for (const Preset& p : presets) {
    if (p.preset != preset) continue;
    format.preset = preset;
    format.pageWidth = p.width;
    format.pageHeight = p.height;
    format.fontSize = p.size;
    format.chars = p.chars;
    format.lines = p.lines;
    format.linePitch = p.pitch;
    format.columns = p.columns;
    format.top = p.top;
    format.gutter = p.gutter;
    format.twoSided = p.twoSided;
    format.runningHead = p.runningHead;
    format.folio = p.folio;
  }
  return format;
}

BookFormat bookFormat(const ConversionSettings& settings) {
  BookFormat format = bookPreset(settings.bookPreset);
  auto whole = [](double value) { return static_cast<int>(std::floor(value + 1e-9)); };
  if (auto size = given(settings.bookFontSize)) format.fontSize = *size;
  if (auto pitch = given(settings.bookLinePitch)) format.linePitch = *pitch;
  if (auto columns = given(settings.bookColumns)) format.columns = whole(*columns);
  const auto chars = given(settings.bookChars), lines = given(settings.bookLines);
  const auto top = given(settings.bookTopMargin), bottom = given(settings.bookBottomMargin);
  const auto gutter = given(settings.bookGutter), foreEdge = given(settings.bookForeEdge);
  const double size = format.fontSize;
  if (chars) {
    format.chars = whole(*chars);
  } else if (top && bottom && size > 0 && format.columns > 0) {
    // The characters that fit between 天 and 地, the columns sharing them.
    const double room = (format.pageHeight - *top - *bottom) * pointsPerMillimetre -
                        (format.columns - 1) * format.columnGap * size;
    format.chars = whole(room / format.columns / size);
  }
  if (lines) {
    format.lines = whole(*lines);
  } else if (gutter && foreEdge && format.linePitch > 0) {
    const double room = (format.pageWidth - *gutter - *foreEdge) * pointsPerMillimetre;
    format.lines = whole((room - size) / format.linePitch) + 1;
  }
  if (top) {
    format.top = *top;
  } else if (bottom) {
    format.top = format.pageHeight - *bottom - format.blockHeight() / pointsPerMillimetre;
  }
  if (gutter) {
    format.gutter = *gutter;
  } else if (foreEdge) {
    format.gutter = format.pageWidth - *foreEdge - format.blockWidth() / pointsPerMillimetre;
  }
  if (!format.twoSided && !gutter && !foreEdge)
    format.gutter = (format.pageWidth - format.blockWidth() / pointsPerMillimetre) / 2;
  if (auto bleed = given(settings.bookBleed)) format.bleed = *bleed;
  format.titlePage = settings.bookTitlePage;
  format.contents = settings.bookContents;
  format.colophon = settings.bookColophon;
  if (!settings.bookRunningHead) format.runningHead = PagePlace::none;
  format.chapterStart = settings.bookChapterStart;
  format.uprightLatin = settings.bookUprightLatin;
  format.breaking.hanging = settings.bookHanging;
  constexpr float bracketPlaces[] = {0, 0.5F, 1, 1.5F};
  format.breaking.brackets.paragraphStart = bracketPlaces[static_cast<int>(settings.bookBracketStart)];
  return format;
}

std::optional<std::string> formatProblem(const BookFormat& format) {
  if (!(format.fontSize >= 4 && format.fontSize <= 72))
    return "the book's type size is not between 4 and 72 points";
  if (format.chars < 1 || format.lines < 1 || format.columns < 1 || format.columns > 4)
    return "the book needs at least one character, one line and one to four columns";
  if (format.linePitch < format.fontSize) return "the book's line pitch is smaller than its type size";
  if (!(format.bleed >= 0 && format.bleed <= 20)) return "the bleed is not between 0 and 20 mm";
  if (format.top < 0 || format.bottom() < -1e-6)
    return "the text block does not fit the page from head to foot";
  if (format.gutter < 0 || format.foreEdge() < -1e-6)
    return "the text block does not fit the page from gutter to fore-edge";
  return std::nullopt;
}

}  // namespace zelvato::book
