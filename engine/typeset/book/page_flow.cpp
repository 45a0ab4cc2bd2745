#include "typeset/book/page_flow.h"

namespace zelvato::book {
namespace {

constexpr float pointsPerMillimetre = 72.0F / 25.4F;

}  // namespace

PageFlow::PageFlow(const BookFormat& format, BookLayout& layout)
    : format_(format),
      layout_(layout),
      pitch_(static_cast<float>(format.linePitch)),
      blockWidth_(static_cast<float>(format.blockWidth())),
      top_(static_cast<float>(format.top) * pointsPerMillimetre),
      columnStep_(static_cast<float>(format.lineLength() + format.columnGap * format.fontSize)) {}

float PageFlow::blockLeft(int pageIndex) const {
  const float width = static_cast<float>(format_.pageWidthPt());
  const float gutter = static_cast<float>(format_.gutter) * pointsPerMillimetre;
  // Page index 0 is page 1, an odd page: bound on its right.
  const bool gutterRight = !format_.twoSided || pageIndex % 2 == 0;
  return gutterRight ? width - gutter - blockWidth_ : gutter;
}

float PageFlow::slotX(int pageIndex, int slot) const {
  return blockRight(pageIndex) - static_cast<float>(format_.fontSize) / 2 - static_cast<float>(slot) * pitch_;
}

float PageFlow::columnTop(int column) const {
  return top_ + static_cast<float>(column) * columnStep_;
}

BookPage& PageFlow::openPage(PageKind kind) {
  layout_.pages.emplace_back();
  BookPage& page = layout_.pages.back();
  page.kind = kind;
  page.number = static_cast<int>(layout_.pages.size());
  open_ = kind == PageKind::body;
  written_ = false;
  slot_ = column_ = 0;
  return page;
}

BookPage& PageFlow::page() {
  if (!open_) openPage(PageKind::body);
  return layout_.pages.back();
}

void PageFlow::place(BookLine line) {
  placeShifted(std::move(line), 0);
  advance();
}

void PageFlow::placeShifted(BookLine line, float offset) {
  BookPage& page = this->page();
  line.x = slotX(static_cast<int>(layout_.pages.size()) - 1, slot_) - offset;
  line.top += columnTop(column_);
  page.lines.push_back(std::move(line));
  written_ = true;
}

int PageFlow::slotsLeft() const {
  return open_ ? format_.lines - slot_ : format_.lines;
}

void PageFlow::advance() {
  page();
  written_ = true;
  if (++slot_ < format_.lines) return;
  slot_ = 0;
  if (++column_ < format_.columns) return;
  open_ = false;
}

void PageFlow::skip(int count) {
  for (int k = 0; k < count; ++k) advance();
}

void PageFlow::endColumn() {
  if (!open_ || (slot_ == 0 && !written_)) return;
  if (slot_ == 0 && column_ > 0) return;
  slot_ = 0;
  if (++column_ >= format_.columns) open_ = false;
}

void PageFlow::endPage(PageParity parity) {
  if (open_ && written_) open_ = false;
  // The page the next line opens is number size + 1 (or the open, empty one).
  auto next = [&] { return static_cast<int>(layout_.pages.size()) + (open_ ? 0 : 1); };
  const auto wrong = [&] {
    if (!format_.twoSided || parity == PageParity::any) return false;
    return (next() % 2 == 1) != (parity == PageParity::odd);
  };
  if (!wrong()) return;
  if (open_) {
    layout_.pages.back().kind = PageKind::blank;  // the open, empty page stays empty
    open_ = false;
  } else {
    openPage(PageKind::blank);
    open_ = false;
  }
}

}  // namespace zelvato::book
