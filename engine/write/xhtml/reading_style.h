#pragma once

#include <string>

#include "document/conversion_settings.h"

namespace zelvato {

// The type of real text for reading, the flowing page's and the book's own and
// not the grid's: a Mincho (or Gothic) family that begins with the reading
// system's Japanese generic family, sizes relative to the reader's own so that
// its size setting works, a line height of about 1.75, and the classes the
// XHTML content writes (xhtml_content.h).

enum class ReadingMedium {
  // A web page: on a screen, vertical text stands in columns one screen high,
  // one below the other, so that a phone pages down through it.
  flowingPage,
  // A reflowable EPUB: the reading system pages it; the -epub- properties too.
  book,
};

// The font families, quoted as CSS wants them: the user's face first when one
// is named, then the generic Japanese family, the common faces of the
// family, and the generic family last.
std::u16string readingFontFamilies(const ConversionSettings& settings);

// The type size in percent and the line height as written into the style
// sheet: the settings' when they are in range (50 to 400, 1 to 3), 100 and
// 1.75 otherwise, so that no empty, zero or vast size reaches a page.
std::u16string readingFontSize(const ConversionSettings& settings);
std::u16string readingLineHeight(const ConversionSettings& settings);

std::u16string readingStyleSheet(const ConversionSettings& settings, ReadingMedium medium);

}  // namespace zelvato
