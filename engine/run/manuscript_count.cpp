#include "run/manuscript_count.h"

#include "read/text_reader.h"
#include "run/null_host.h"
#include "text/unicode_text.h"
#include "typeset/grid_typesetter.h"

namespace zelvato {
std::size_t manuscriptSheets(const Document& document, const ConversionSettings& settings) {
  GridLayoutOptions options = gridLayoutOptions(settings);
  options.charsPerLine = 20;
  options.linesPerColumn = 20;
  options.lineBreakRules = true;
  options.manuscriptPaper = true;
  options.rubyMode = RubyMode::drop;
  options.readingText = false;
  options.blankLineBlocks = true;
  GridBlock grid = makeGrid(options);
  NullHost host;  // the count runs alone, with nothing to show and no stop
  std::size_t sheets = 0;
  typesetGrid(document, options, grid, host, [&sheets](const GridBlock& block) {
    // A page break with nothing pending on its sheet fills no sheet.
    bool filled = !block.isEmpty();
    for (int line = 1; !filled && line <= block.linesPerColumn(); ++line) filled = block.endsWithReturn(line);
    if (filled) ++sheets;
    return true;
  });
  return sheets;
}

std::size_t manuscriptSheets(std::u16string_view source, const ConversionSettings& settings) {
  return manuscriptSheets(readDocument(source, settings.aozoraNotation), settings);
}

std::u16string manuscriptSheetsText(std::size_t sheets) {
  return u"400字詰め原稿用紙換算 " + utf8ToUtf16(std::to_string(sheets)) + u" 枚";
}

std::u16string bookPagesText(int pages) {
  return u"書籍 " + utf8ToUtf16(std::to_string(pages)) + u" ページ";
}

}  // namespace zelvato
