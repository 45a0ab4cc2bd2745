#pragma once

namespace zelvato {

// The narrow-to-wide conversion of the Japanese locale, one code unit at a time:
// printable ASCII to its full-width form (the space to U+3000; the quotes and the
// backslash to the characters the code page shows for them), half-width katakana
// and half-width Japanese punctuation to their full-width forms, each half-width
// voiced or semi-voiced mark on its own to its full-width mark (ｶﾞ stays two
// characters, カ゛). Every other code unit, control characters included, stays.
char16_t widenCharacter(char16_t c);

// The full-width katakana of a widened half-width one followed by its
// half-width voiced (ﾞ) or semi-voiced (ﾟ) mark, composed into one character
// (カ and ﾞ are ガ); 0 when the two make none.
char16_t composeVoicedKana(char16_t wide, char16_t mark);

}  // namespace zelvato
