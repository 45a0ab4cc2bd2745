#pragma once

#include <string_view>

#include "document/document.h"
#include "write/pdf/pdf_geometry.h"

namespace zelvato::manuscript {

using pdf::Colour;
using pdf::Rect;
using pdf::Size;

// The paper a manuscript is printed on, always landscape: a sheet of
// manuscript paper is folded in the middle into two pages of a bound draft.
enum class Paper { a4, b4 };
// The colour of the ruled lines: the traditional red-brown, or grey.
enum class RuleColour { redBrown, grey };

struct ManuscriptOptions {
  Paper paper = Paper::a4;
  RuleColour rules = RuleColour::redBrown;
};

// The page size of the paper in points, landscape.
Size paperSize(Paper paper);
Colour ruleColour(RuleColour colour);

// One ruled sheet for a grid of `charsPerLine` cells down by `linesPerColumn`
// vertical lines, in points, fitted to the page and centred on it. Vertical
// line 1 stands at the right; each line has a narrow strip at its right for
// ruby and emphasis marks; the fold column (柱) stands between the two halves.
// Row charsPerLine + 1 is the hanging row, just below the frame.
class ManuscriptSheet {
 public:
  ManuscriptSheet(Size page, int charsPerLine, int linesPerColumn);

  Size page() const { return page_; }
  double cellSize() const { return cell_; }
  int charsPerLine() const { return rows_; }
  int linesPerColumn() const { return lines_; }
  Rect frame() const { return frame_; }
  Rect cell(int row, int line) const;
  // The strip right of a vertical line, as high as the frame.
  Rect rubyStrip(int line) const;
  // Empty when the sheet has a single vertical line.
  Rect foldColumn() const { return fold_; }
  // The vertical lines right of the fold.
  int rightHalf() const { return rightHalf_; }

 private:
  double lineRight(int line) const;

  Size page_;
  int rows_;
  int lines_;
  int rightHalf_;
  double cell_;
  double strip_;
  Rect frame_;
  Rect fold_;
};

// What a cell of the sheet shows, the same on paper and in the PDF.
namespace cells {

// A character fills this share of its cell, as handwriting fills a square.
constexpr double characterShare = 0.82;
// Ruby and emphasis marks fill this share of the strip beside the line.
constexpr double besideShare = 0.95;
constexpr double markShare = 0.7;
// 傍線 stand this share of the cell in from its edge, beside the character.
constexpr double sideLineInset = 0.075;
// No face has a character: the geta mark stands in its place, as typesetters mark a missing character.
constexpr std::u16string_view missingCharacter = u"〓";

// The mark a kind of emphasis sets beside each character; empty for none.
std::u16string_view emphasisMark(EmphasisKind kind);
// Two half-width characters set across in one cell (a surrogate pair is one
// character; two full-width marks below the frame, 。」, stand one above the other).
bool isAcrossPair(std::u16string_view text);
// The characters of a text, a surrogate pair counted once.
int characterCount(std::u16string_view text);

}  // namespace cells

}  // namespace zelvato::manuscript
