#pragma once

#include <QPointF>
#include <QRawFont>
#include <QVector>
#include <memory>
#include <string_view>

namespace zelvato::print {

// Glyphs of one face set for a cell: the glyph ids and where each glyph's
// (horizontal) origin stands, in ems from the pen, y growing downwards.
struct ShapedText {
  QVector<quint32> glyphs;
  QVector<QPointF> origins;
  double advance = 0;    // the pen's travel, in ems: down when vertical, across otherwise
  bool complete = true;  // false when the face has no glyph for some character
};

// Shapes text with a face's own tables through HarfBuzz. Vertical text takes
// the face's vertical forms (features vert and vrt2): brackets, the long vowel
// mark, punctuation and small kana as the face designs them for vertical
// writing, each glyph placed from the face's vertical origin.
class VerticalShaper {
 public:
  explicit VerticalShaper(const QRawFont& face);
  ~VerticalShaper();
  VerticalShaper(const VerticalShaper&) = delete;
  VerticalShaper& operator=(const VerticalShaper&) = delete;

  // Down a vertical line: the pen starts at the top centre of the em box.
  ShapedText vertical(std::u16string_view text) const;
  // Across, as tate-chu-yoko and page numbers are set: the pen starts on the
  // baseline at the left.
  ShapedText horizontal(std::u16string_view text) const;
  // Where the baseline lies below the top of the ideographic em box, in ems.
  double emBoxAscent() const { return emBoxAscent_; }

 private:
  ShapedText shape(std::u16string_view text, bool vertical) const;

  struct HarfBuzzFont;
  std::unique_ptr<HarfBuzzFont> font_;
  double unitsPerEm_ = 1000;
  double emBoxAscent_ = 0.88;
};

}  // namespace zelvato::print
