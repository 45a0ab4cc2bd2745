#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/document.h"
#include "typeset/book/line_items.h"

namespace zelvato::book {

// The pages of a typeset book, as a writer draws them. Lengths in points, on
// the trimmed page, x rightwards from its left edge and y downwards from its top.

// A character (or a number across, or a turned Western word) of a line.
struct LineGlyph {
  std::uint32_t first = 0;  // its characters in the line's text (or notes)
  std::uint16_t length = 1;
  Setting setting = Setting::upright;
  bool mark = false;  // an emphasis mark beside the text (no reading)
  float along = 0;    // from the line's head to the head of its em box (the start of a turned word)
  float across = 0;   // from the line's centre to the glyph's centre, rightwards
  float size = 0;     // its type size
  float extent = 0;   // what it takes along the line: one em upright or across, a turned word's advance
};

// A line beside text (傍線), along the line from `from` to `to`.
struct SideRule {
  float from = 0;
  float to = 0;
  float across = 0;  // from the line's centre
  LineKind kind = LineKind::solid;
};

// One vertical line of text: the text read in order with its glyphs, then what
// stands beside it (ruby, emphasis marks), which is not part of the text.
struct BookLine {
  float x = 0;             // the line's centre
  float top = 0;           // its head
  float length = 0;        // the length it is set to
  float end = 0;           // where its last glyph (with a closing mark's space) ends, from the head
  bool justified = false;  // both ends on the line's ends
  std::u16string text;
  std::vector<LineGlyph> glyphs;
  std::u16string notes;
  std::vector<LineGlyph> noteGlyphs;
  std::vector<SideRule> rules;
};

// A horizontal text of the page: the running head or the page number.
struct PageText {
  std::u16string text;
  float x = 0;  // where it is anchored: its left end, right end or middle as `align` says
  float baseline = 0;
  float size = 0;
  enum class Align : std::uint8_t { left, right, centre } align = Align::left;
};

enum class PageKind : std::uint8_t { body, blank, title, contents, colophon };

struct BookPage {
  PageKind kind = PageKind::body;
  int number = 0;  // its page number (1 the first page of the book)
  std::vector<BookLine> lines;
  std::vector<PageText> furniture;  // running head and page number
};

// A heading in the PDF's outline.
struct OutlineEntry {
  int level = 1;
  std::u16string title;
  int page = 0;  // index in the pages
};

struct BookLayout {
  float width = 0;  // the trimmed page
  float height = 0;
  float fontSize = 0;
  std::vector<BookPage> pages;
  std::vector<OutlineEntry> outline;
};

}  // namespace zelvato::book
