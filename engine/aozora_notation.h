#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "conversion_settings.h"

namespace zelvato {

// What an annotation asks of the layout, at a position of the read text.
struct NotationMark {
  enum class Kind {
    pageBreak,  // 改ページ, 改丁, 改見開き: a new page in page-file mode, a new block otherwise
    indent,     // from here on every vertical line begins after `cells` empty cells
    emphasis,   // from here on characters carry emphasis dots (cells 1) or not (cells 0)
  };
  std::size_t offset = 0;  // the mark applies before the character at this position
  Kind kind = Kind::pageBreak;
  int cells = 0;
};

// An Aozora Bunko text with its notation read: the text the layout lays out,
// the marks in the order of their positions, the number of annotations that
// were dropped because nothing here can show them, and the work's title from
// the file's header (empty when the text has none).
struct AozoraText {
  std::u16string text;
  std::vector<NotationMark> marks;
  std::size_t droppedAnnotations = 0;
  std::u16string title;
};

// Ruby 《…》 is written as the ruby mode says, its base taken as everything
// after an explicit ｜ (or |) or else as the run of one character class before
// it; annotations ［＃…］ are removed, those the layout can follow becoming
// marks (page breaks, indentation, emphasis dots of 傍点), gaiji ※［＃…］
// becoming the character they name; the explanatory block
// between two lines of hyphens in the header is dropped. A line that held
// nothing but annotations leaves no empty line behind.
AozoraText readAozoraNotation(std::u16string_view source, RubyMode rubyMode);

// The settings a run of this source uses: with Aozora notation on, the work's
// title becomes the HTML title when the title field still holds its start value.
ConversionSettings withNotationTitle(const ConversionSettings& settings, std::u16string_view source);

}  // namespace zelvato
