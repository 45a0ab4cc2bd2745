#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zelvato {

// A book's table of contents, nested by heading level: a heading belongs
// under the nearest heading before it of a higher level (大見出し above 中見出し
// above 小見出し), or stands at the top. Written as the navigation document's
// list and as the NCX that older reading systems read.

struct ContentsEntry {
  std::u16string href;  // "section0001.xhtml#h1"
  std::u16string text;  // never empty
  int level = 1;
};

// The <ol> of the navigation document, one <li> per entry, its children in a
// nested <ol>.
std::u16string navigationList(const std::vector<ContentsEntry>& entries);

// The NCX (toc.ncx) with the same entries as nested navPoints in reading order.
std::string ncxDocument(std::string_view identifier, std::u16string_view title, std::u16string_view author,
                        const std::vector<ContentsEntry>& entries);

}  // namespace zelvato
