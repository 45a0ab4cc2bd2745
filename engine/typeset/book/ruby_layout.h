#pragma once

#include "typeset/book/line_items.h"

namespace zelvato::book {

// The ruby's room around its base. A ruby no longer than its base takes none:
// over one character it is centred, over several spread with its spaces in the
// ratio 1:2:1. A longer ruby reaches over a kana beside its base by up to one
// ruby character (two rubies share a kana's room), and what it still needs
// becomes space around its base: on both sides of one character, centring it,
// or 1:2:1 between the characters of a group. With `jukugo`, kanji in a row
// that each carry their own ruby are one word: when a ruby is longer than its
// kanji, the word's rubies are set together over the whole word, which then
// stays on one line; otherwise each stays over its kanji, and the word may
// break between them.
void fitRuby(ItemizedParagraph& paragraph, bool jukugo);

// Where a group's ruby characters stand along the line: the first at `start`,
// each next `pitch` further, each `size` long (ems of the text).
struct RubyPlacement {
  float start = 0;
  float pitch = 0;
  float size = 0;
};

// The placement over a base whose first item's visible part begins at
// `baseStart` and whose last item's ends at `baseEnd`. A ruby longer than its
// base reaches over its neighbours as fitRuby let it, and never past the ends
// of the line, where the line's composer has made room for it.
RubyPlacement placeRuby(const ItemizedParagraph& paragraph, const RubyGroup& group, float baseStart,
                        float baseEnd);

}  // namespace zelvato::book
