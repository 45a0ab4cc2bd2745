#include "typeset/book/front_matter.h"

#include <algorithm>
#include <string>

namespace zelvato::book {
namespace {

constexpr float pointsPerMillimetre = 72.0F / 25.4F;

Paragraph paragraphOf(std::u16string_view text) {
  Paragraph paragraph;
  Run run;
  run.text = std::u16string(text);
  paragraph.runs.push_back(std::move(run));
  return paragraph;
}

// Puts the line at a slot (a fraction: between two) of the page of index `index`.
void putLine(BookPage& page, BookLine line, const PageFlow& flow, int index, float slot) {
  const float pitch = flow.slotX(index, 0) - flow.slotX(index, 1);
  line.x = flow.slotX(index, 0) - slot * pitch;
  line.top += flow.columnTop(0);
  page.lines.push_back(std::move(line));
}

// Adds the glyphs of `from` to the line `to`, both from the same column head.
void appendLine(BookLine& to, const BookLine& from) {
  const auto textShift = static_cast<std::uint32_t>(to.text.size());
  const auto noteShift = static_cast<std::uint32_t>(to.notes.size());
  const float along = from.top - to.top;
  to.text += from.text;
  to.notes += from.notes;
  for (LineGlyph glyph : from.glyphs) {
    glyph.first += textShift;
    glyph.along += along;
    to.glyphs.push_back(glyph);
  }
  for (LineGlyph glyph : from.noteGlyphs) {
    glyph.first += noteShift;
    glyph.along += along;
    to.noteGlyphs.push_back(glyph);
  }
  to.end = std::max(to.end, from.end + along);
}

constexpr int headingSlots = 3;  // the 目次 heading's lines

}  // namespace

std::u16string kanjiDigits(int number) {
  static constexpr char16_t digits[] = u"〇一二三四五六七八九";
  std::u16string text;
  for (const char c : std::to_string(number)) text += digits[c - '0'];
  return text;
}

void setTitlePage(const std::u16string& title, const std::u16string& author, PageFlow& flow,
                  const ParagraphSetter& setter, const BookFormat& format) {
  BookPage& page = flow.openPage(PageKind::title);
  const int index = flow.pageIndex() - 1;
  const auto length = static_cast<float>(format.chars);
  std::vector<BookLine> titleLines =
      setter.set(paragraphOf(title.empty() ? u"無題" : title), {2, length, 4, 4, Alignment::head});
  float slot = static_cast<float>(format.lines) / 4;
  for (BookLine& line : titleLines) {
    putLine(page, std::move(line), flow, index, slot);
    slot += 2;
  }
  if (author.empty()) return;
  slot += 1;
  for (BookLine& line : setter.set(paragraphOf(author), {1.2F, length - 4, 0, 0, Alignment::foot})) {
    putLine(page, std::move(line), flow, index, slot);
    slot += 1.2F;
  }
}

int contentsPageCount(const std::vector<HeadingPlace>& headings, const BookFormat& format) {
  const int first = std::max(1, format.lines - headingSlots);
  const int rest = static_cast<int>(headings.size()) - first;
  return 1 + (rest > 0 ? (rest + format.lines - 1) / format.lines : 0);
}

void setContents(const std::vector<HeadingPlace>& headings, int firstPage, BookLayout& layout,
                 const PageFlow& flow, const ParagraphSetter& setter, const BookFormat& format) {
  const auto length = static_cast<float>(format.chars);
  const float size = static_cast<float>(format.fontSize);
  int index = firstPage;
  int slot = headingSlots;
  for (BookLine& line : setter.set(paragraphOf(u"目次"), {1.3F, length, 3, 3, Alignment::head}))
    putLine(layout.pages[static_cast<std::size_t>(index)], std::move(line), flow, index, 1);
  for (const HeadingPlace& heading : headings) {
    const float indent = 2 + 2 * static_cast<float>(heading.level - 1);
    std::vector<BookLine> lines =
        setter.set(paragraphOf(heading.title), {1, length - 5, indent, indent + 1, Alignment::head});
    if (lines.empty()) continue;
    if (heading.page >= 0) {
      std::vector<BookLine> number =
          setter.set(paragraphOf(kanjiDigits(heading.page + 1)), {1, length, 0, 0, Alignment::foot});
      BookLine& last = lines.back();
      if (!number.empty() && !number.front().glyphs.empty()) {
        // Dot leaders from the heading to its number.
        const float from = last.end + size / 2,
                    to = number.front().glyphs.front().along - last.top - size / 2;
        if (to > from) last.rules.push_back({from, to, 0, LineKind::chain});
        appendLine(last, number.front());
        last.length = length * size - last.top;
      }
    }
    for (BookLine& line : lines) {
      if (slot >= format.lines) {
        ++index;
        slot = 0;
      }
      if (index >= static_cast<int>(layout.pages.size()) ||
          layout.pages[static_cast<std::size_t>(index)].kind != PageKind::contents)
        return;
      putLine(layout.pages[static_cast<std::size_t>(index)], std::move(line), flow, index,
              static_cast<float>(slot++));
    }
  }
}

void setColophon(const std::u16string& title, const std::u16string& author, PageFlow& flow,
                 const ParagraphSetter& setter, const BookFormat& format) {
  flow.endPage(PageParity::even);
  BookPage& page = flow.openPage(PageKind::colophon);
  const int index = flow.pageIndex() - 1;
  const auto length = static_cast<float>(format.chars);
  float slot = static_cast<float>(std::max(0, format.lines - 6));
  const std::u16string lines[] = {title.empty() ? u"無題" : title, author, u"組版　Zelvato"};
  for (const std::u16string& text : lines) {
    if (text.empty()) continue;
    const float scale = &text == &lines[0] ? 1.2F : 1;
    for (BookLine& line : setter.set(paragraphOf(text), {scale, length - 4, 4, 4, Alignment::head})) {
      putLine(page, std::move(line), flow, index, slot);
      slot += 1.5F;
    }
  }
}

void setFurniture(BookLayout& layout, const std::vector<HeadingPlace>& chapters, const std::u16string& title,
                  const PageFlow& flow, const BookFormat& format) {
  const float size = static_cast<float>(format.furnitureSize);
  const float top = static_cast<float>(format.top) * pointsPerMillimetre;
  const float foot = top + static_cast<float>(format.blockHeight());
  std::size_t chapter = 0;  // the chapters that began before the page
  for (std::size_t index = 0; index < layout.pages.size(); ++index) {
    BookPage& page = layout.pages[index];
    const auto pageIndex = static_cast<int>(index);
    bool chapterBegins = false;
    while (chapter < chapters.size() && chapters[chapter].page < pageIndex) ++chapter;
    for (std::size_t c = chapter; c < chapters.size() && chapters[c].page == pageIndex; ++c)
      chapterBegins = true;
    if (page.kind != PageKind::body) continue;
    const float left = flow.blockLeft(pageIndex), right = flow.blockRight(pageIndex);
    // Bound on the right, an odd page (an even index) has its fore-edge on the left.
    const bool foreEdgeLeft = !format.twoSided || index % 2 == 0;
    auto place = [&](std::u16string text, PagePlace where) {
      PageText item;
      item.text = std::move(text);
      item.size = size;
      item.baseline = where == PagePlace::headForeEdge ? top - size : foot + 2 * size;
      if (where == PagePlace::footCentre) {
        item.x = (left + right) / 2;
        item.align = PageText::Align::centre;
      } else {
        item.x = foreEdgeLeft ? left : right;
        item.align = foreEdgeLeft ? PageText::Align::left : PageText::Align::right;
      }
      page.furniture.push_back(std::move(item));
    };
    if (format.folio != PagePlace::none) {
      std::u16string number;
      for (const char c : std::to_string(page.number)) number += static_cast<char16_t>(c);
      place(std::move(number), format.folio);
    }
    if (format.runningHead != PagePlace::none && !chapterBegins) {
      const bool odd = page.number % 2 == 1;
      std::u16string text = title;
      if (odd && chapter > 0 && !chapters[chapter - 1].title.empty()) text = chapters[chapter - 1].title;
      if (!text.empty()) place(std::move(text), format.runningHead);
    }
  }
}

}  // namespace zelvato::book
