#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct hb_face_t;

namespace zelvato::pdf {

// How a run of glyphs stands on the page.
enum class Orientation {
  upright,  // down a vertical line, each glyph in its vertical form, placed by its vertical origin
  across,   // left to right on a baseline (numbers across, horizontal text)
  rotated,  // a horizontal run turned a quarter clockwise, reading downwards (Latin in a vertical line)
};

// One glyph of shaped text: where its origin in the run's writing mode stands
// from the pen, in ems, y growing downwards (the vertical origin for upright
// text, the baseline origin otherwise; for rotated text along and across the
// turned run), and the first code unit of the characters it stands for.
struct ShapedGlyph {
  std::uint32_t id = 0;
  double x = 0;
  double y = 0;
  std::uint32_t cluster = 0;
};

struct ShapedText {
  std::vector<ShapedGlyph> glyphs;
  double advance = 0;    // the pen's travel in ems: down for upright text, along the run otherwise
  bool complete = true;  // false when the face has no glyph for some character
};

// A font file's face, read in place (mapped, not copied), shaped with its own
// tables through HarfBuzz: upright text takes the face's vertical forms
// (features vert and vrt2) and vertical metrics.
class Face {
 public:
  // The face `index` of the file; nullptr when the file is not a font HarfBuzz reads.
  static std::shared_ptr<const Face> load(const std::string& path, unsigned index = 0);
  ~Face();
  Face(const Face&) = delete;
  Face& operator=(const Face&) = delete;

  ShapedText shape(std::u16string_view text, Orientation orientation) const;
  bool hasCharacter(char32_t c) const;
  // The face's glyph for the character; 0 when it has none.
  std::uint32_t glyphOf(char32_t c) const;
  // True when the face sets kana, kanji and brackets.
  bool holdsJapanese() const;

  const std::string& path() const { return path_; }
  unsigned index() const { return index_; }
  // The face's PostScript name (as PDF names a font), its family name.
  const std::string& postScriptName() const { return postScriptName_; }
  const std::string& familyName() const { return familyName_; }
  // TrueType outlines (glyf); otherwise compact font format outlines (CFF).
  bool trueTypeOutlines() const { return trueType_; }
  unsigned glyphCount() const { return glyphCount_; }

  // Metrics in thousandths of an em, as PDF gives glyph metrics.
  double horizontalAdvance(std::uint32_t glyph) const;
  double verticalAdvance(std::uint32_t glyph) const;
  // Where the vertical origin stands from the horizontal one (x right, y up).
  void verticalOrigin(std::uint32_t glyph, double& x, double& y) const;
  struct Metrics {
    double ascent = 880, descent = -120, capHeight = 700;
    double bbox[4] = {0, -120, 1000, 880};
  };
  const Metrics& metrics() const { return metrics_; }
  // Where the baseline lies below the top of the ideographic em box, in ems.
  double emBoxAscent() const { return emBoxAscent_; }

  hb_face_t* harfBuzzFace() const;

 private:
  Face() = default;
  struct HarfBuzz;
  std::unique_ptr<HarfBuzz> hb_;
  std::string path_;
  unsigned index_ = 0;
  std::string postScriptName_;
  std::string familyName_;
  bool trueType_ = true;
  unsigned glyphCount_ = 0;
  double unitsPerEm_ = 1000;
  double emBoxAscent_ = 0.88;
  Metrics metrics_;
};

}  // namespace zelvato::pdf
