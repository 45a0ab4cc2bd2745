#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "write/pdf/font_face.h"
#include "write/pdf/pdf_objects.h"

namespace zelvato::pdf {

// A face as one PDF font: a CID font whose character ids are the face's glyph
// ids, shown through two composite fonts, one across (Identity-H) and one
// down the vertical line (Identity-V). The glyphs the pages use, and the text
// each stands for, are gathered while the pages are written; at the end the
// face is cut down to those glyphs by HarfBuzz's subsetter (no hinting run,
// none kept) and embedded under a tagged name (ABCDEF+Name) with its widths,
// vertical metrics and a ToUnicode map.
class EmbeddedFont {
 public:
  EmbeddedFont(std::shared_ptr<const Face> face, int number);

  const Face& face() const { return *face_; }
  // The composite font's object for the writing mode, reserved at first use.
  int fontObject(ObjectWriter& objects, bool vertical);

  // Records that the glyph is shown standing for `text`; true when the text
  // layer reads it as that text: the first text a glyph stands for is the
  // one its ToUnicode entry gives. An empty text only records the use.
  bool show(std::uint32_t glyph, std::u16string_view text);

  // Subsets and writes every object of the font.
  bool write(ObjectWriter& objects) const;

 private:
  std::shared_ptr<const Face> face_;
  int number_;  // this font among the document's, for its resource names
  int horizontal_ = 0, vertical_ = 0;
  std::vector<std::uint8_t> used_;    // by glyph id
  std::vector<std::u16string> text_;  // by glyph id; empty: none yet
};

}  // namespace zelvato::pdf
