#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zelvato::testing {

// The text of a PDF as `pdftotext -raw` reads it, with its line ends and page
// breaks taken out: a line end between two vertical lines is the layout's,
// not the text's (Japanese sets no space there), so a word that runs on into
// the next line reads whole again.
std::u16string joinedText(std::u16string_view extracted);

// How many times `word` occurs in `text`, not overlapping.
std::size_t occurrences(std::u16string_view text, std::u16string_view word);

// The share of `expected`'s code units that `read` holds in the same order:
// their longest common subsequence over the length of `expected` (1 for an
// empty `expected`). Text that `read` adds (ruby readings) costs nothing;
// what it drops, changes or moves out of order does.
double shareInOrder(std::u16string_view expected, std::u16string_view read);

}  // namespace zelvato::testing
