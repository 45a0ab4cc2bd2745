#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"

namespace zelvato {

// The document as real text for a browser or an e-reader to set vertically:
// the source characters, ruby as <ruby> with <rp> parentheses for whatever
// cannot show ruby, emphasis as text-emphasis, numbers across as
// text-combine-upright, headings as h1 to h3, indents and alignment to the foot
// as classes. The markup is XHTML, so that an EPUB can hold it as it is, and
// reads as HTML5 as well. The style sheet is reading_style.h's.

// One part of the text: what lies between two page breaks (or a cut at a
// heading or at a size), the title page, or the colophon.
struct XhtmlSection {
  enum class Kind { text, titlePage, colophon };
  Kind kind = Kind::text;
  std::u16string body;  // the content of BODY
  // The headings of the section in order, with the id each carries.
  struct Heading {
    std::u16string id;
    std::u16string text;
    int level = 1;
  };
  std::vector<Heading> headings;
  // The text of the heading the section begins with, before any other text;
  // empty when it begins otherwise.
  std::u16string openingHeading;
};

// A long text is cut into parts of about this many bytes (of UTF-8).
inline constexpr std::size_t sectionBytes = 100 * 1024;

struct XhtmlOptions {
  bool tateChuYoko = false;  // two half-width digits (or !? pairs) across
  // Set horizontally: nothing is set across, full-width digits are written as ASCII.
  bool horizontal = false;
  // Besides page breaks, cut before a heading that follows text (when the text
  // has no page breaks of its own), and once a section has grown to about this
  // many bytes of UTF-8 (0: no cut at a size).
  std::size_t cutAtBytes = 0;
  bool cutAtHeadings = false;
  // A page centred left to right (ページの左右中央) begins a section of its own.
  bool cutAtCentredPage = false;
  // Every section is a content document of a book: a page break that begins
  // one is not marked again (a reader would show a blank page for it).
  bool bookSections = false;
  // The header of an Aozora Bunko text (title, subtitle, author, up to the
  // first blank line) as a title page of its own, set in its sizes.
  bool titlePage = false;
  // The notes on the source text at the end (底本：…) as a colophon of its own,
  // its numbers set across (two digits) or in kanji (longer).
  bool colophon = false;
  bool editorNotes = false;  // the editor's notes (ママ, 底本では…) shown small in parentheses
  // Each paragraph and heading of the text names the source code unit its line
  // begins at (data-o="N"), so that a page shown beside the source can find its
  // place in it. Only the window's own page asks for it.
  bool sourceMarks = false;
  // The link of an illustration's picture file (the run's target); nothing
  // when the picture cannot be shown, and the caption stands for it. Unset:
  // every illustration shows its caption.
  std::function<std::optional<std::u16string>(std::u16string_view target)> illustrationLink;
};

// The sections of the document, split at every page break (改ページ, 改丁,
// 改見開き) and where the options cut; each heading gets the id "h" and its
// number in the whole text.
std::vector<XhtmlSection> xhtmlSections(const Document& document, const XhtmlOptions& options);

// The paragraphs that begin the colophon (the first 底本： line after the last
// heading, with the blank lines before it); the count of paragraphs when the
// text has none.
std::size_t colophonStart(const Document& document);

}  // namespace zelvato
