#pragma once

#include <cstdint>

#include "typeset/book/character_classes.h"

namespace zelvato::book {

// Where a line is adjusted, in the order the composer takes space away: the
// space a closing bracket, full stop or comma keeps at the end of a line first,
// then the space between Western words and between Japanese and Western text,
// then the quarter ems of the middle dots, then the half ems of brackets and
// commas. The half em after a full stop is kept within a line.
enum class Squeeze : std::uint8_t { none, western, middleDot, punctuation };

// The space between two neighbouring characters, in ems of the text's size.
struct Gap {
  float natural = 0;  // as set in a line that needs no adjusting
  float shrink = 0;   // how much of it may be taken away
  Squeeze squeeze = Squeeze::none;
  bool western = false;        // between Western words or Japanese and Western text: widened first
  bool letterSpacing = false;  // a spread line may add space here
};

// The space between a character of class `before` and one of class `after`
// that follows it on the same line.
Gap gapBetween(CharClass before, CharClass after);

// The advance of a character's visible half along the line (half an em for the
// punctuation of half width, a full em for everything else upright).
float bodyAdvance(CharClass c);
// Where that half begins inside the character's full em: the glyph of an
// opening bracket holds its ink in its second half, a middle dot in its middle.
float bodyOffset(CharClass c);
// The space a character keeps after it when it ends a line (taken away first
// when the line is too long).
float lineEndSpace(CharClass c);

}  // namespace zelvato::book
