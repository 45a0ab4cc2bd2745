#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/conversion_settings.h"
#include "document/document.h"

namespace zelvato {

// The document as real text for a browser or an e-reader to set vertically:
// the source characters, ruby as <ruby>, emphasis as text-emphasis, numbers
// across as text-combine-upright, headings as h1 to h3, indents and alignment
// to the foot as classes. The markup is XHTML, so that an EPUB can hold it as
// it is, and reads as HTML5 as well.

// One part of the text: what lies between two page breaks (or, for an EPUB,
// a cut at a heading or at a size).
struct XhtmlSection {
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

struct XhtmlOptions {
  bool tateChuYoko = false;  // two half-width digits (or !? pairs) across
  // Without page breaks, cut before a heading or once a section has grown to
  // this many code units (0: no cuts but page breaks).
  std::size_t cutAtSize = 0;
  bool cutAtHeadings = false;
  // A page centred left to right (ページの左右中央) begins a section of its own.
  bool cutAtCentredPage = false;
  bool editorNotes = false;  // the editor's notes (ママ, 底本では…) shown small in parentheses
  // The link of an illustration's picture file (the run's target); nothing
  // when the picture cannot be shown, and the caption stands for it. Unset:
  // every illustration shows its caption.
  std::function<std::optional<std::u16string>(std::u16string_view target)> illustrationLink;
};

// The sections of the document, split at every page break (改ページ, 改丁,
// 改見開き); each heading gets the id "h" and its number in the whole text.
std::vector<XhtmlSection> xhtmlSections(const Document& document, const XhtmlOptions& options);

// The style sheet the sections need: vertical writing, the user's font and
// size, line-breaking rules when asked, the classes of the marks. With
// `epubPrefixes`, the -epub- properties that older reading systems read too.
// `charsPerLine` bounds the length of a vertical line in em (0: no bound).
std::u16string xhtmlStyleSheet(const ConversionSettings& settings, int charsPerLine, bool epubPrefixes);

}  // namespace zelvato
