#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "read/aozora/aozora_scanner.h"

namespace zelvato::aozora {

// The head of an Aozora Bunko file: the work's title and author in its first
// lines, and the explanation of the symbols that the file gives its reader.

// The first few lines, up to the first blank line, are the header: title,
// author and the like. Empty when the text has no short header.
std::vector<std::u16string> headerOf(std::u16string_view source, const std::vector<SourceLine>& lines);

// When line `i` begins the explanation of the symbols (a line of hyphens, then
// 【テキスト中に現れる記号について】, up to the next line of hyphens), the
// index of its closing line: the block is for the reader of the plain file.
std::optional<std::size_t> explanationEnd(const std::vector<SourceLine>& lines, std::size_t i);

}  // namespace zelvato::aozora
