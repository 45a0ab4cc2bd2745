#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "write/pdf/font_face.h"
#include "write/pdf/pdf_geometry.h"

namespace zelvato::pdf {

class Document;
class EmbeddedFont;

// A form drawn once and shown on any number of pages (the ruled sheet); 0 is none.
using FormId = int;

struct Line {
  Point from;
  Point to;
};

// A glyph where it stands on the page (its origin in the run's writing mode:
// the vertical origin of an upright glyph, the baseline origin otherwise) and
// the first code unit of the characters it stands for in its run's text.
struct PlacedGlyph {
  std::uint32_t id = 0;
  Point origin;
  std::uint32_t cluster = 0;
};

// What the glyphs of a run are to a reader of the text layer.
enum class TextRole {
  text,      // the text itself: every glyph reads as its characters
  artifact,  // not part of the text (page numbers, marks beside it): left out when the text is read
};

// Shaped text placed with its pen at `pen` in a face of `size` points, added to `out`.
void placeShaped(const ShapedText& shaped, Point pen, double size, Orientation orientation,
                 std::vector<PlacedGlyph>& out);

// What a canvas needs of the document it draws for: the document's font of a
// face (by number) and the objects its fonts and forms are written as.
class CanvasResources {
 public:
  virtual int fontNumber(const std::shared_ptr<const Face>& face) = 0;
  virtual EmbeddedFont& font(int number) = 0;
  virtual int fontObject(int number, bool vertical) = 0;
  virtual int formObject(FormId form) const = 0;

 protected:
  ~CanvasResources() = default;
};

// The drawing of one page or form, in the order it is drawn, which is also the
// order the text is read in. Text is written as glyph ids of the document's
// fonts; a run of glyphs down one vertical line (or along one baseline) is one
// text-showing operation, so the text layer reads it as one line.
class Canvas {
 public:
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  Size size() const { return size_; }

  void setStrokeColour(Colour colour);
  void setFillColour(Colour colour);  // also the colour of text
  void setLineWidth(double width);
  void strokeLines(std::span<const Line> lines);
  void strokeRect(Rect rect);
  void fillPolygon(std::span<const Point> points);
  void drawForm(FormId form);

  // Shows glyphs of the face; `text` holds the characters they stand for, each
  // glyph's cluster the first of its characters (glyphs of one cluster stand
  // together for the characters up to the next cluster). A glyph whose own
  // text map cannot give its characters (one glyph for several characters
  // used differently elsewhere, several glyphs for one) carries them as its
  // actual text, so the text layer always reads `text`.
  void showGlyphs(const std::shared_ptr<const Face>& face, double size, Orientation orientation,
                  std::span<const PlacedGlyph> glyphs, std::u16string_view text,
                  TextRole role = TextRole::text);

  // Everything shown from here to endTextLine() reads as one line: the texts
  // of its runs in the order shown (artifacts left out), whatever their
  // orientation and however far apart their glyphs stand. A vertical line is
  // shown so: readers take each glyph of a vertical font for a word of its
  // own, and would give a line a character.
  void beginTextLine();
  void endTextLine();

 private:
  friend class Document;
  Canvas(CanvasResources& document, Size size);

  // One glyph of the line being gathered, or a marker (the start or end of a
  // marked span) between its glyphs.
  struct LineItem {
    std::uint32_t glyph = 0;
    int marker = -1;     // not -1: a marker (of markers_), no glyph
    double along = 0;    // where it stands along the line
    double advance = 0;  // the pen's travel after it
  };

  double pdfY(double y) const { return size_.height - y; }
  void beginText();
  void endText();
  void flushLine();
  void addGlyph(const PlacedGlyph& glyph);
  void addMarker(std::string marker);
  std::string resources() const;

  CanvasResources& document_;
  Size size_;
  std::string content_;
  std::vector<int> fonts_;  // the document's font numbers used, by writing mode (2n across, 2n+1 down)
  std::vector<FormId> forms_;

  // Graphics state as the content has set it; unknown at first (a form
  // inherits the state of the page that shows it).
  std::optional<Colour> stroke_, fill_;
  std::optional<double> lineWidth_;
  // Text state.
  bool inText_ = false;
  int font_ = -1;  // font number and writing mode as in fonts_
  double fontSize_ = 0;
  double characterSpacing_ = 0;
  Orientation orientation_ = Orientation::upright;
  EmbeddedFont* embedded_ = nullptr;
  const Face* face_ = nullptr;
  // The line being gathered: its glyphs keep one coordinate across it.
  std::vector<LineItem> line_;
  std::vector<std::string> markers_;  // of the line
  std::vector<double> gaps_;          // between its glyphs, kept for the next line
  Point lineStart_;                   // the first glyph's origin, in the file's coordinates
  double lineAcross_ = 0;
  bool lineHasGlyph_ = false;
  // The text line being shown: its text, and the content before it.
  bool inTextLine_ = false;
  std::u16string textLine_;
  std::string beforeTextLine_;
};

}  // namespace zelvato::pdf
