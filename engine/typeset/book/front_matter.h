#pragma once

#include <string>
#include <vector>

#include "typeset/book/page_flow.h"
#include "typeset/book/paragraph_setter.h"

namespace zelvato::book {

// A heading of the book, where it begins.
struct HeadingPlace {
  int level = 1;  // 1 the text's highest headings
  std::u16string title;
  int page = -1;  // page index; -1 before the body is set
};

// The title page (扉): the title large right of the middle, the author below
// and left of it; then an empty back.
void setTitlePage(const std::u16string& title, const std::u16string& author, PageFlow& flow,
                  const ParagraphSetter& setter, const BookFormat& format);

// The pages a table of contents of these headings takes.
int contentsPageCount(const std::vector<HeadingPlace>& headings, const BookFormat& format);
// Sets the table of contents (目次) on the pages from `firstPage` on: each
// heading at the head of its line, its page number at the foot, dot leaders between.
void setContents(const std::vector<HeadingPlace>& headings, int firstPage, BookLayout& layout,
                 const PageFlow& flow, const ParagraphSetter& setter, const BookFormat& format);

// The colophon (奥付) on a last, even page: title, author and the typesetter.
void setColophon(const std::u16string& title, const std::u16string& author, PageFlow& flow,
                 const ParagraphSetter& setter, const BookFormat& format);

// The page number and the running head of each body page, where the format
// places them: on an even page the book's title, on an odd page the chapter
// the page begins in; no running head on a page where a chapter begins.
void setFurniture(BookLayout& layout, const std::vector<HeadingPlace>& chapters, const std::u16string& title,
                  const PageFlow& flow, const BookFormat& format);

// The digits of a number in kanji (一二〇), as a vertical page sets numbers.
std::u16string kanjiDigits(int number);

}  // namespace zelvato::book
