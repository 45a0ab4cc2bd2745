#include "typeset/book/book_composer.h"

#include <algorithm>
#include <cmath>

#include "typeset/book/front_matter.h"
#include "typeset/book/page_flow.h"
#include "typeset/book/paragraph_setter.h"

namespace zelvato::book {
namespace {

// A heading's size and the lines it takes (行取り) by its level.
struct HeadingLook {
  float scale;
  int slots;
};
HeadingLook headingLook(int level) {
  if (level <= 1) return {1.6F, 5};
  if (level == 2) return {1.3F, 3};
  return {1.1F, 2};
}

std::u16string textOf(const Paragraph& paragraph) {
  std::u16string text;
  for (const Run& run : paragraph.runs)
    if (run.kind == RunKind::text) text += run.text;
  // A heading indented with spaces of its own reads without them.
  const auto start = text.find_first_not_of(u"\u3000 ");
  return start == std::u16string::npos ? std::u16string() : text.substr(start);
}

// The level of the text's chapters: its highest headings (0: none).
int chapterLevel(const Document& document) {
  int level = 0;
  for (const Paragraph& paragraph : document.paragraphs)
    if (paragraph.style.headingLevel > 0 && (level == 0 || paragraph.style.headingLevel < level))
      level = paragraph.style.headingLevel;
  return level;
}

class BodyComposer {
 public:
  BodyComposer(const Document& document, const BookFormat& format, const ParagraphSetter& setter,
               PageFlow& flow, std::vector<HeadingPlace>& headings)
      : document_(document),
        format_(format),
        setter_(setter),
        flow_(flow),
        headings_(headings),
        chapterLevel_(chapterLevel(document)) {}

  bool run(std::size_t first, const BookProgress& progress) {
    const std::vector<Paragraph>& paragraphs = document_.paragraphs;
    for (std::size_t p = first; p < paragraphs.size();) {
      const std::size_t next = setParagraph(p);
      if (progress && !progress(paragraphs[next - 1].sourceEnd)) return false;
      p = next;
    }
    return true;
  }

 private:
  // Sets paragraph p (with those a centred page takes with it); the index of the next.
  std::size_t setParagraph(std::size_t p) {
    const Paragraph& paragraph = document_.paragraphs[p];
    const ParagraphStyle& style = paragraph.style;
    switch (style.breakBefore) {
      case PageBreak::page:
        breakPage(PageParity::any);
        break;
      case PageBreak::sheet:
        breakPage(PageParity::odd);
        break;
      case PageBreak::spread:
        breakPage(PageParity::even);
        break;
      case PageBreak::column:
        flow_.endColumn();
        break;
      case PageBreak::none:
        break;
    }
    const bool chapter = style.headingLevel > 0 && style.headingLevel == chapterLevel_;
    if (chapter && format_.chapterStart != ChapterStart::runOn)
      breakPage(format_.chapterStart == ChapterStart::oddPage ? PageParity::odd : PageParity::any);
    if (style.centredOnPage) return setCentred(p);
    if (style.headingLevel > 0) {
      setHeading(paragraph);
    } else {
      placeAll(setter_.set(paragraph, shapeOf(style, 1)), true);
    }
    return p + 1;
  }

  void breakPage(PageParity parity) {
    flow_.endPage(parity);
    afterBreak_ = true;
  }

  ParagraphShape shapeOf(const ParagraphStyle& style, float scale) const {
    ParagraphShape shape;
    shape.scale = scale;
    shape.length =
        static_cast<float>(style.lineLength > 0 ? std::min(style.lineLength, format_.chars) : format_.chars);
    shape.firstIndent = static_cast<float>(style.firstIndent);
    shape.restIndent = static_cast<float>(style.restIndent);
    if (style.raiseFromFoot >= 0) {
      shape.length -= static_cast<float>(style.raiseFromFoot);
      shape.alignment = Alignment::foot;
    }
    return shape;
  }

  // Each line in the next slot; an empty paragraph is an empty line, except
  // at the head of a page a break began.
  void placeAll(std::vector<BookLine> lines, bool blankTakesSlot) {
    if (lines.empty()) {
      if (blankTakesSlot && !(afterBreak_ && flow_.atPageStart())) flow_.skip(1);
      return;
    }
    afterBreak_ = false;
    for (BookLine& line : lines) flow_.place(std::move(line));
  }

  // 別行見出し: the heading's lines in the middle of the slots it takes, never
  // the last lines of a column (two lines of text follow it there).
  void setHeading(const Paragraph& paragraph) {
    const ParagraphStyle& style = paragraph.style;
    const HeadingLook look = headingLook(style.headingLevel);
    ParagraphShape shape = shapeOf(style, look.scale);
    shape.alignment = style.raiseFromFoot >= 0 ? Alignment::foot : Alignment::head;
    std::vector<BookLine> lines = setter_.set(paragraph, shape);
    if (lines.empty()) return;
    const float pitch = static_cast<float>(format_.linePitch);
    const float headingPitch = pitch * look.scale;
    const int count = static_cast<int>(lines.size());
    const int slots =
        std::max(look.slots, static_cast<int>(std::ceil((count - 1) * headingPitch / pitch)) + 1);
    if (flow_.slotsLeft() < slots + 2 && !flow_.atPageStart()) flow_.endColumn();
    flow_.page();
    headings_.push_back({style.headingLevel - chapterLevel_ + 1, textOf(paragraph), flow_.pageIndex()});
    const float middle = static_cast<float>(slots - 1) / 2 * pitch;
    for (int i = 0; i < count; ++i)
      flow_.placeShifted(std::move(lines[static_cast<std::size_t>(i)]),
                         middle + (static_cast<float>(i) - static_cast<float>(count - 1) / 2) * headingPitch);
    flow_.skip(slots);
    afterBreak_ = false;
  }

  // ページの左右中央: the paragraphs up to the next page break on a page of
  // their own, in the middle of its lines (set as they come when they need more).
  std::size_t setCentred(std::size_t p) {
    const std::vector<Paragraph>& paragraphs = document_.paragraphs;
    std::size_t end = p + 1;
    while (end < paragraphs.size() && paragraphs[end].style.breakBefore == PageBreak::none) ++end;
    std::vector<std::vector<BookLine>> set;
    int slots = 0;
    for (std::size_t k = p; k < end; ++k) {
      const ParagraphStyle& style = paragraphs[k].style;
      set.push_back(setter_.set(
          paragraphs[k], shapeOf(style, style.headingLevel > 0 ? headingLook(style.headingLevel).scale : 1)));
      slots += std::max(1, static_cast<int>(set.back().size()));
    }
    if (slots > format_.lines) {
      for (std::vector<BookLine>& lines : set) placeAll(std::move(lines), true);
      return end;
    }
    breakPage(PageParity::any);
    const float offset =
        static_cast<float>(format_.lines - slots) * static_cast<float>(format_.linePitch) / 2;
    flow_.page();
    for (std::vector<BookLine>& lines : set) {
      if (lines.empty()) flow_.skip(1);
      for (BookLine& line : lines) {
        flow_.placeShifted(std::move(line), offset);
        flow_.skip(1);
      }
    }
    breakPage(PageParity::any);
    return end;
  }

  const Document& document_;
  const BookFormat& format_;
  const ParagraphSetter& setter_;
  PageFlow& flow_;
  std::vector<HeadingPlace>& headings_;
  int chapterLevel_;
  bool afterBreak_ = true;
};

// The headings the table of contents lists: the chapters and the level below.
std::vector<HeadingPlace> contentsHeadings(const Document& document) {
  std::vector<HeadingPlace> headings;
  const int top = chapterLevel(document);
  for (const Paragraph& paragraph : document.paragraphs) {
    const int level = paragraph.style.headingLevel;
    if (level > 0 && level <= top + 1) headings.push_back({level - top + 1, textOf(paragraph), -1});
  }
  return headings;
}

// The text's own head (title, author, up to its first empty line) when the
// title page shows it: the paragraphs the body begins after.
std::size_t bodyStart(const Document& document) {
  constexpr std::size_t longestHead = 8;
  const std::vector<Paragraph>& paragraphs = document.paragraphs;
  if (paragraphs.empty() || document.title.empty() || textOf(paragraphs.front()) != document.title) return 0;
  for (std::size_t p = 1; p < paragraphs.size() && p <= longestHead; ++p)
    if (paragraphs[p].runs.empty()) return p + 1;
  return 0;
}

}  // namespace

std::optional<BookLayout> composeBook(const Document& document, const BookFormat& format,
                                      const GlyphMetrics& metrics, const BookProgress& progress) {
  BookLayout layout;
  layout.width = static_cast<float>(format.pageWidthPt());
  layout.height = static_cast<float>(format.pageHeightPt());
  layout.fontSize = static_cast<float>(format.fontSize);
  PageFlow flow(format, layout);
  const ParagraphSetter setter(format, metrics);
  const std::u16string& title = document.title;
  if (format.titlePage) setTitlePage(title, document.author, flow, setter, format);
  std::vector<HeadingPlace> listed =
      format.contents ? contentsHeadings(document) : std::vector<HeadingPlace>();
  int contentsFirst = -1;
  if (!listed.empty()) {
    flow.endPage(PageParity::odd);
    contentsFirst = static_cast<int>(layout.pages.size());
    for (int k = contentsPageCount(listed, format); k > 0; --k) flow.openPage(PageKind::contents);
  }
  flow.endPage(PageParity::odd);
  std::vector<HeadingPlace> headings;
  BodyComposer body(document, format, setter, flow, headings);
  if (!body.run(format.titlePage ? bodyStart(document) : 0, progress)) return std::nullopt;
  // Pages opened for lines that never came are not pages of the book.
  while (!layout.pages.empty() && layout.pages.back().kind == PageKind::body &&
         layout.pages.back().lines.empty())
    layout.pages.pop_back();
  if (contentsFirst >= 0) {
    for (std::size_t k = 0, h = 0; k < headings.size() && h < listed.size(); ++k)
      if (headings[k].level <= 2) listed[h++].page = headings[k].page;
    setContents(listed, contentsFirst, layout, flow, setter, format);
  }
  std::vector<HeadingPlace> chapters;
  for (const HeadingPlace& heading : headings) {
    layout.outline.push_back({heading.level, heading.title, heading.page});
    if (heading.level == 1) chapters.push_back(heading);
  }
  setFurniture(layout, chapters, title, flow, format);
  if (format.colophon) setColophon(title, document.author, flow, setter, format);
  return layout;
}

}  // namespace zelvato::book
