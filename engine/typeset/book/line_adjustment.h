#pragma once

#include <vector>

#include "typeset/book/line_breaker.h"

namespace zelvato::book {

// How a line is brought to its length.
enum class Alignment : std::uint8_t {
  justified,  // both ends on the line's ends (a paragraph's last line stays at its natural length)
  head,       // at the head, natural length
  foot,       // at the foot (地付き), natural length
};

// A line with its items placed: where each item's visible part begins, in ems
// from the line's head (a hanging item's beyond the line's length).
struct AdjustedLine {
  LineRange range;
  std::vector<float> along;  // one per item of the range
  float end = 0;             // where the line's last item, with its end space, ends
};

// Places the items of a line of `length` ems. A line longer than that loses
// space in order: the space its last item keeps at the line's end, then
// between Western words and beside them, then the quarter ems of middle dots,
// then the half ems of brackets and commas, each evenly where it may. A
// justified line shorter than its length gains space between Western words
// and beside them (up to a quarter em more each), then evenly between every
// two characters that may be spaced (never inside —— or …… or a ruby's base,
// after an opening bracket, or before closing punctuation).
AdjustedLine adjustLine(const ItemizedParagraph& paragraph, const LineMeasure& measure,
                        const LineRange& range, float length, Alignment alignment);

}  // namespace zelvato::book
