#pragma once

#include <string>
#include <vector>

namespace zelvato::testing {

// A program's exit status and what it wrote to standard output (standard
// error too when asked).
struct ToolRun {
  int status = -1;
  std::string output;
};

// Runs a program with these arguments (no shell between), waiting for it.
ToolRun runTool(const std::vector<std::string>& arguments, bool withErrors = false);

// The text of a PDF (or of its pages `first` to `last`) as `pdftotext -raw` reads it, in UTF-8.
std::string rawText(const std::string& pdf, int first = 0, int last = 0);

// The value of a `pdfinfo` field ("Title", "Pages", "Page size"); empty when it has none.
std::string infoField(const std::string& pdf, const std::string& field);

// A rendered page as `pdftoppm -gray` paints it at `dpi`: width × height grey
// levels, 0 black.
struct GreyImage {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> pixels;
  unsigned char at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};
GreyImage renderPage(const std::string& pdf, int page, int dpi);

}  // namespace zelvato::testing

namespace zelvato::testing {

// A character of a page as mupdf's structured text places it: its box (the
// glyph's advance, from its origin) in points from the page's top left.
struct PlacedChar {
  std::u16string text;
  double left = 0, top = 0, right = 0, bottom = 0;
};
// A line of text as mupdf gathers it: vertical or across, its type size (of
// its first run) and its characters in order.
struct PlacedLine {
  bool vertical = false;
  double size = 0;
  std::vector<PlacedChar> chars;
  std::u16string text() const;
};
// Every page's lines, as `mutool draw -F stext` reads them.
std::vector<std::vector<PlacedLine>> placedText(const std::string& pdf);

}  // namespace zelvato::testing
