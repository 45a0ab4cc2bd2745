#pragma once

#include "typeset/book/book_format.h"
#include "typeset/book/book_layout.h"

namespace zelvato::book {

// Which page a new page must be.
enum class PageParity : std::uint8_t { any, odd, even };

// The flow of lines into the text blocks of the book's pages: each line takes
// the next place (slot) in the block, right to left, column by column, and a
// full block begins the next page. Pages are numbered from 1; on facing
// pages, bound on the right, an odd page is a left-hand page with its gutter
// on the right.
class PageFlow {
 public:
  PageFlow(const BookFormat& format, BookLayout& layout);

  // Places the line in the next slot (beginning a page when none is open).
  void place(BookLine line);
  // Places the line `offset` points left of where the next slot's line stands,
  // without taking a slot (a heading set in the middle of the slots it takes).
  void placeShifted(BookLine line, float offset);
  // Slots the open column has left (all of a page not yet begun).
  int slotsLeft() const;
  // Leaves `count` slots empty, going on to the next column or page as they fill.
  void skip(int count);
  // Ends the open column: the next line begins the next column or page.
  void endColumn();
  // Ends the open page; the next line begins a page of the parity asked for,
  // an empty page standing between where needed. A page not yet written on
  // is not ended, only checked for its parity.
  void endPage(PageParity parity = PageParity::any);
  // Whether the open page has no line yet (or no page is open).
  bool atPageStart() const { return !open_ || (slot_ == 0 && column_ == 0 && !written_); }
  // Opens a page of this kind now (title, contents, colophon), after the open one.
  BookPage& openPage(PageKind kind);
  // The page the next line goes on, opened if needed.
  BookPage& page();
  int pageIndex() const { return static_cast<int>(layout_.pages.size()) - (open_ ? 1 : 0); }

  // The centre x of slot `slot` on the page of this index, and the head of a column.
  float slotX(int pageIndex, int slot) const;
  float columnTop(int column) const;
  // The text block's left and right on the page of this index.
  float blockLeft(int pageIndex) const;
  float blockRight(int pageIndex) const { return blockLeft(pageIndex) + blockWidth_; }

 private:
  void advance();

  const BookFormat& format_;
  BookLayout& layout_;
  float pitch_, blockWidth_, top_, columnStep_;
  bool open_ = false;     // a page is open for lines
  bool written_ = false;  // the open page has a line
  int slot_ = 0;
  int column_ = 0;
};

}  // namespace zelvato::book
