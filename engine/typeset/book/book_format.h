#pragma once

#include <optional>
#include <string>

#include "document/conversion_settings.h"
#include "typeset/book/line_breaker.h"
#include "typeset/book/line_items.h"

namespace zelvato::book {

// Where the running head (柱) or the page number (ノンブル) stands.
enum class PagePlace : std::uint8_t {
  none,
  headForeEdge,  // above the text block, on the fore-edge side
  footForeEdge,  // below it, on the fore-edge side
  footCentre,    // below it, in the middle
};

// A book's pages: the trimmed page, its 基本版面 (size, characters per line,
// lines, line pitch, columns) and where that block stands (天 and ノド; 地
// and 小口 are what is left), the running head and page numbers, and how the
// text is composed. Lengths of the page in millimetres, of type in points.
struct BookFormat {
  BookPreset preset = BookPreset::bunko;
  double pageWidth = 105;  // mm
  double pageHeight = 148;
  double fontSize = 9;      // pt
  int chars = 39;           // per line of one column (段)
  int lines = 16;           // per page
  double linePitch = 14.4;  // 行送り, pt
  int columns = 1;          // 段
  double columnGap = 2;     // 段間, in ems
  double top = 11;          // 天, mm
  double gutter = 14;       // ノド
  bool twoSided = true;     // facing pages: the gutter on the binding side (else both sides alike)
  PagePlace runningHead = PagePlace::headForeEdge;
  PagePlace folio = PagePlace::footForeEdge;
  double furnitureSize = 7;  // pt, of the running head and page number
  double bleed = 0;          // mm round the trimmed page, with crop marks
  bool titlePage = true;
  bool contents = false;
  bool colophon = true;
  ChapterStart chapterStart = ChapterStart::oddPage;
  BreakOptions breaking;
  bool uprightLatin = false;
  RubyGrouping rubyGrouping = RubyGrouping::jukugo;

  // Derived lengths, in points.
  double lineLength() const { return chars * fontSize; }
  // The text block across the lines, and down the columns.
  double blockWidth() const { return (lines - 1) * linePitch + fontSize; }
  double blockHeight() const { return columns * lineLength() + (columns - 1) * columnGap * fontSize; }
  double pageWidthPt() const;
  double pageHeightPt() const;
  // 地 and 小口, in millimetres: what the page leaves below and beside the block.
  double bottom() const;
  double foreEdge() const;
};

// The preset's format, as it is before any value is changed.
BookFormat bookPreset(BookPreset preset);

// The settings' format: the preset, with each value given in the settings in
// place of the preset's. The block follows from characters and lines; the
// margins place it. Where 地 is given without 天 the block is placed from the
// foot; where both are given without a number of characters, that number is
// what fits between them (the same for 小口, ノド and the lines).
BookFormat bookFormat(const ConversionSettings& settings);

// Why the format cannot make a book ("the text block is taller than the
// page"), or nothing.
std::optional<std::string> formatProblem(const BookFormat& format);

}  // namespace zelvato::book
