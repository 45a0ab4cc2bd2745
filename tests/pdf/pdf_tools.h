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
