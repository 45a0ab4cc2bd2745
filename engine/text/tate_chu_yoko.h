#pragma once

#include <cstddef>
#include <string_view>

namespace zelvato {

// Tate-chu-yoko: a run of exactly two half-width digits (not part of a longer
// run of digits, half- or full-width), or one of the pairs !! !? ?! ?? (also in
// their full-width forms, and not part of a longer run of them), sits across in
// one cell as two half-width characters. True when such a pair starts at `k`.
bool startsTateChuYoko(std::u16string_view text, std::size_t k);

// Whether a pair can start with `c` at all: the layout asks this first, at every character.
inline bool mayStartTateChuYoko(char16_t c) {
  return (c >= u'0' && c <= u'9') || c == u'!' || c == u'?' || c == u'！' || c == u'？';
}

// The pair's cell text: the two characters in their half-width forms.
char16_t narrowMark(char16_t c);

}  // namespace zelvato
