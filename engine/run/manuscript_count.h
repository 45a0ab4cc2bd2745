#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "document/conversion_settings.h"
#include "document/document.h"

namespace zelvato {

// The sheets of 400-character manuscript paper (20 × 20, line-breaking rules
// on) the text fills, whatever grid the settings convert with: blank lines
// count as writers count them, ruby stands beside its base and takes no cell;
// tate-chu-yoko and kanji numerals follow the settings.
std::size_t manuscriptSheets(const Document& document, const ConversionSettings& settings);
// The same for a source text, read as the settings read it.
std::size_t manuscriptSheets(std::u16string_view source, const ConversionSettings& settings);

// "400字詰め原稿用紙換算 N 枚".
std::u16string manuscriptSheetsText(std::size_t sheets);
// "書籍 N ページ": the pages of the typeset book, beside the sheets.
std::u16string bookPagesText(int pages);

}  // namespace zelvato
