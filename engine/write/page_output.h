#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "document/conversion_settings.h"

namespace zelvato {

// What every writer of pages shares: the preview file's first lines, the
// files' encoding, the generator's name and the names of numbered page files.

// Where a writer of pages puts them besides the preview file and the HTML
// pane: nowhere else, into one file, or into numbered page files.
enum class PageDestination { previewOnly, singleFile, pageFiles };

// The line the run puts at the top of the temporary preview file.
inline constexpr std::u16string_view previewGeneratorLine = u"<!--GENERATOR:KORVENT LUMIKARA-->";

// The preview file's first lines, encoded: the generator line, and for the
// grid the declaration of the encoding (a flowing page declares it in its own head).
std::string previewStart(const ConversionSettings& settings);

// The META element that declares the files' encoding.
std::u16string charsetDeclaration(const ConversionSettings& settings);

// The text in the files' encoding: code page 932 (characters outside it as
// numeric character references) or UTF-8 without byte-order mark.
std::string encodePage(const ConversionSettings& settings, std::u16string_view text);

// "KORVENT Zelvato Ver1.2.0", from the program's version.
std::u16string generatorName();

// The file of one page: folder + base name + page number (at least three digits) + ".html".
std::u16string pageFileName(const ConversionSettings& settings, std::int32_t pageNumber);

}  // namespace zelvato
