#pragma once

#include <cstdint>
#include <vector>

#include "typeset/book/line_items.h"

namespace zelvato::book {

// Where an opening bracket's visible half begins when it begins a line, in ems
// from the line's head: 天付き 0, 二分下げ 0.5, 全角下げ 1, 全角二分下げ 1.5.
struct BracketPositions {
  float paragraphStart = 0.5F;  // the paragraph's first line
  float wrapped = 0;            // a line the paragraph wraps to
};

struct BreakOptions {
  bool strict = true;  // small kana and ー never begin a line
  bool hanging = false;  // ぶら下げ: a full stop or comma that would begin a line hangs below the one before
  BracketPositions brackets;
};

// The items [first, end) of one line of a paragraph.
struct LineRange {
  std::uint32_t first = 0;
  std::uint32_t end = 0;
  bool hangs = false;  // the last item hangs below the line's end
  bool last = false;   // the paragraph's last line: set at its natural length
};

// The lengths of a paragraph's lines and what they may be squeezed by, read
// from running sums of its items, so that any line is measured at once.
class LineMeasure {
 public:
  LineMeasure(const ItemizedParagraph& paragraph, const BreakOptions& options);

  // The line's length as its items stand unadjusted: the space before its
  // first item dropped, an opening bracket at its head where the options put
  // it, the space a closing bracket, stop or comma keeps at its end, and room
  // for a ruby that may not reach past its ends.
  float natural(std::uint32_t first, std::uint32_t end) const;
  // How much of that may be taken away.
  float shrink(std::uint32_t first, std::uint32_t end) const;
  // Where the first item's visible part begins, its ruby's room included.
  float head(std::uint32_t first) const;
  // The space after the last item that closes the line.
  float endSpace(std::uint32_t last) const;
  // What the line end adds after the last item: its end space and its ruby's room.
  float tail(std::uint32_t last) const;
  // Whether a line may end between items k - 1 and k (0 < k < count).
  bool mayBreakBefore(std::uint32_t k) const;

 private:
  const ItemizedParagraph& paragraph_;
  BreakOptions options_;
  std::vector<float> extent_;   // running sums of space before and advance of each item
  std::vector<float> squeeze_;  // running sums of what each space may lose
};

// Breaks a paragraph into lines: as much as fits at its natural length on
// each; where the next item may not begin a line (or the last may not end
// one), a full stop or comma hangs when hanging is chosen, else the line takes
// up to the next place it may end if squeezing its spaces makes room
// (追い込み), else gives its end to the next line and is spread (追い出し).
// The first line is `firstLength` long, every other `restLength` (ems).
std::vector<LineRange> breakLines(const ItemizedParagraph& paragraph, const BreakOptions& options,
                                  float firstLength, float restLength);

}  // namespace zelvato::book
