#include "write/pdf/pdf_canvas.h"

#include <algorithm>
#include <cmath>

#include "write/pdf/embedded_font.h"

namespace zelvato::pdf {
namespace {

// Positions closer than this (in points) are the same.
constexpr double samePlace = 0.001;

void appendColour(std::string& out, Colour colour, const char* op) {
  appendNumber(out, colour.red);
  out += ' ';
  appendNumber(out, colour.green);
  out += ' ';
  appendNumber(out, colour.blue);
  out += op;
}

}  // namespace

void placeShaped(const ShapedText& shaped, Point pen, double size, Orientation orientation,
                 std::vector<PlacedGlyph>& out) {
  for (const ShapedGlyph& glyph : shaped.glyphs) {
    // A turned run's along is the page's down, its below the page's left.
    const Point origin = orientation == Orientation::rotated
                             ? Point{pen.x - glyph.y * size, pen.y + glyph.x * size}
                             : Point{pen.x + glyph.x * size, pen.y + glyph.y * size};
    out.push_back({glyph.id, origin, glyph.cluster});
  }
}

Canvas::Canvas(CanvasResources& document, Size size) : document_(document), size_(size) {}

void Canvas::setStrokeColour(Colour colour) {
  if (stroke_ == colour) return;
  flushLine();
  stroke_ = colour;
  appendColour(content_, colour, " RG\n");
}

void Canvas::setFillColour(Colour colour) {
  if (fill_ == colour) return;
  flushLine();
  fill_ = colour;
  appendColour(content_, colour, " rg\n");
}

void Canvas::setLineWidth(double width) {
  if (lineWidth_ == width) return;
  flushLine();
  lineWidth_ = width;
  appendNumber(content_, width);
  content_ += " w\n";
}

void Canvas::strokeLines(std::span<const Line> lines) {
  if (lines.empty()) return;
  endText();
  for (const Line& line : lines) {
    appendNumber(content_, line.from.x);
    content_ += ' ';
    appendNumber(content_, pdfY(line.from.y));
    content_ += " m ";
    appendNumber(content_, line.to.x);
    content_ += ' ';
    appendNumber(content_, pdfY(line.to.y));
    content_ += " l\n";
  }
  content_ += "S\n";
}

void Canvas::strokeRect(Rect rect) {
  endText();
  appendNumber(content_, rect.x);
  content_ += ' ';
  appendNumber(content_, pdfY(rect.bottom()));
  content_ += ' ';
  appendNumber(content_, rect.width);
  content_ += ' ';
  appendNumber(content_, rect.height);
  content_ += " re S\n";
}

void Canvas::fillPolygon(std::span<const Point> points) {
  if (points.size() < 3) return;
  endText();
  for (std::size_t i = 0; i < points.size(); ++i) {
    appendNumber(content_, points[i].x);
    content_ += ' ';
    appendNumber(content_, pdfY(points[i].y));
    content_ += i == 0 ? " m " : " l ";
  }
  content_ += "h f\n";
}

void Canvas::drawForm(FormId form) {
  if (form <= 0) return;
  endText();
  if (std::find(forms_.begin(), forms_.end(), form) == forms_.end()) forms_.push_back(form);
  content_ += "q /Fm" + std::to_string(form) + " Do Q\n";
}

void Canvas::beginText() {
  if (inText_) return;
  content_ += "BT\n";
  inText_ = true;
}

void Canvas::beginTextLine() {
  if (inTextLine_) endTextLine();
  flushLine();
  beginText();
  inTextLine_ = true;
  textLine_.clear();
  beforeTextLine_.swap(content_);
}

void Canvas::endTextLine() {
  if (!inTextLine_) return;
  flushLine();
  inTextLine_ = false;
  std::string line;
  line.swap(content_);
  content_.swap(beforeTextLine_);
  if (line.empty()) return;
  content_ += "/Span<</ActualText";
  appendTextString(content_, textLine_);
  content_ += ">>BDC\n";
  content_ += line;
  content_ += "EMC\n";
}

void Canvas::endText() {
  endTextLine();
  flushLine();
  if (!inText_) return;
  content_ += "ET\n";
  inText_ = false;
  font_ = -1;
}

void Canvas::showGlyphs(const std::shared_ptr<const Face>& face, double size, Orientation orientation,
                        std::span<const PlacedGlyph> glyphs, std::u16string_view text, TextRole role) {
  if (glyphs.empty() || size <= 0) return;
  const bool vertical = orientation == Orientation::upright;
  const int font = 2 * document_.fontNumber(face) + (vertical ? 1 : 0);
  if (font != font_ || size != fontSize_ || orientation != orientation_) {
    flushLine();
    beginText();
    if (font != font_ || size != fontSize_) {
      if (std::find(fonts_.begin(), fonts_.end(), font) == fonts_.end()) fonts_.push_back(font);
      content_ += vertical ? "/V" : "/F";
      content_ += std::to_string(font / 2) + ' ';
      appendNumber(content_, size);
      content_ += " Tf\n";
    }
    font_ = font;
    fontSize_ = size;
    orientation_ = orientation;
    embedded_ = &document_.font(font / 2);
    face_ = face.get();
  } else {
    beginText();
  }

  if (role == TextRole::artifact) {
    // Pagination and marks are drawn, never read: an empty actual text reads
    // as nothing (inside a text line, the line's text leaves them out).
    if (!inTextLine_) addMarker("/Span<</ActualText()>>BDC\n");
    for (const PlacedGlyph& glyph : glyphs) {
      embedded_->show(glyph.id, {});
      addGlyph(glyph);
    }
    if (!inTextLine_) addMarker("EMC\n");
    return;
  }
  if (inTextLine_) textLine_ += text;
  // Each cluster's glyphs, with the characters up to the next cluster.
  for (std::size_t i = 0; i < glyphs.size();) {
    std::size_t end = i + 1;
    while (end < glyphs.size() && glyphs[end].cluster == glyphs[i].cluster) ++end;
    std::uint32_t next = static_cast<std::uint32_t>(text.size());
    for (const PlacedGlyph& other : glyphs)
      if (other.cluster > glyphs[i].cluster && other.cluster < next) next = other.cluster;
    const std::size_t from = std::min<std::size_t>(glyphs[i].cluster, text.size());
    const std::u16string_view characters = text.substr(from, next > from ? next - from : 0);
    // The first text a glyph stands for is the one its font's map gives;
    // where that cannot give these characters, the cluster carries them as
    // its actual text (inside a text line, the line's actual text does).
    const bool mapped = end - i == 1 && embedded_->show(glyphs[i].id, characters);
    const bool spanned = !mapped && !inTextLine_;
    if (spanned) {
      std::string marker = "/Span<</ActualText";
      appendTextString(marker, characters);
      addMarker(marker + ">>BDC\n");
    }
    for (std::size_t k = i; k < end; ++k) {
      if (!mapped) embedded_->show(glyphs[k].id, {});
      addGlyph(glyphs[k]);
    }
    if (spanned) addMarker("EMC\n");
    i = end;
  }
}

void Canvas::addMarker(std::string marker) {
  LineItem item;
  item.marker = static_cast<int>(markers_.size());
  markers_.push_back(std::move(marker));
  line_.push_back(item);
}

void Canvas::addGlyph(const PlacedGlyph& glyph) {
  const double x = glyph.origin.x, y = pdfY(glyph.origin.y);
  // Along the line and across it, in the page's units: upright and turned
  // text run down the page, text across runs to the right.
  const bool down = orientation_ != Orientation::across;
  const double along = down ? -y : x, across = down ? x : y;
  if (lineHasGlyph_ && !(std::fabs(across - lineAcross_) < samePlace)) {
    // A new line; the markers gathered since the last glyph open spans on it.
    std::vector<std::string> opening;
    while (!line_.empty() && line_.back().marker >= 0) {
      opening.insert(opening.begin(), std::move(markers_[static_cast<std::size_t>(line_.back().marker)]));
      line_.pop_back();
    }
    flushLine();
    for (std::string& marker : opening) addMarker(std::move(marker));
  }
  if (!lineHasGlyph_) {
    lineStart_ = {x, y};
    lineAcross_ = across;
    lineHasGlyph_ = true;
  }
  const double advance = orientation_ == Orientation::upright ? face_->verticalAdvance(glyph.id)
                                                              : face_->horizontalAdvance(glyph.id);
  line_.push_back({glyph.id, -1, along, advance * fontSize_ / 1000.0});
}

void Canvas::flushLine() {
  if (line_.empty()) return;
  if (!lineHasGlyph_) {
    for (const std::string& marker : markers_) content_ += marker;
    line_.clear();
    markers_.clear();
    return;
  }
  // The gaps between glyphs of the line: the usual one becomes the character
  // spacing, so that a reader of the text takes each glyph's box as reaching
  // the next glyph (one word down the line, not a word a character); the
  // others are adjustments in the text-showing operation.
  std::vector<double>& gaps = gaps_;
  gaps.clear();
  const LineItem* previous = nullptr;
  for (const LineItem& item : line_) {
    if (item.marker >= 0) continue;
    if (previous != nullptr)
      gaps.push_back(std::round((item.along - previous->along - previous->advance) * 1000) / 1000);
    previous = &item;
  }
  const double down = orientation_ == Orientation::upright ? -1.0 : 1.0;  // the spacing's sign in the file
  double spacing = down * characterSpacing_;
  if (!gaps.empty()) {
    std::sort(gaps.begin(), gaps.end());
    std::size_t bestRun = 0;
    for (std::size_t i = 0; i < gaps.size();) {
      std::size_t end = i;
      while (end < gaps.size() && gaps[end] == gaps[i]) ++end;
      if (end - i > bestRun) {
        bestRun = end - i;
        spacing = gaps[i];
      }
      i = end;
    }
  }
  if (down * spacing != characterSpacing_) {
    characterSpacing_ = down * spacing;
    appendNumber(content_, characterSpacing_);
    content_ += " Tc\n";
  }
  content_ += orientation_ == Orientation::rotated ? "0 -1 1 0 " : "1 0 0 1 ";
  appendNumber(content_, lineStart_.x);
  content_ += ' ';
  appendNumber(content_, lineStart_.y);
  content_ += " Tm\n";

  bool inArray = false, inString = false;
  const auto close = [&] {
    if (inString) content_ += ')';
    if (inArray) content_ += "]TJ\n";
    inArray = inString = false;
  };
  double pen = 0;
  bool first = true;
  for (const LineItem& item : line_) {
    if (item.marker >= 0) {
      close();
      content_ += markers_[static_cast<std::size_t>(item.marker)];
      continue;
    }
    if (!inArray) {
      content_ += '[';
      inArray = true;
    }
    // The gap to where the pen stands is an adjustment in thousandths of the
    // size, counted against the writing direction (up for vertical text).
    const double gap = first ? 0 : item.along - pen;
    if (std::fabs(gap) >= samePlace) {
      if (inString) content_ += ')';
      inString = false;
      appendNumber(content_, (orientation_ == Orientation::upright ? 1000.0 : -1000.0) * gap / fontSize_);
    }
    if (!inString) {
      content_ += '(';
      inString = true;
    }
    // Two bytes a glyph id, as the fonts' identity encodings read them.
    appendStringByte(content_, static_cast<unsigned char>(item.glyph >> 8));
    appendStringByte(content_, static_cast<unsigned char>(item.glyph & 0xFF));
    pen = item.along + item.advance + spacing;
    first = false;
  }
  close();
  line_.clear();
  markers_.clear();
  lineHasGlyph_ = false;
}

std::string Canvas::resources() const {
  std::string out = "<<";
  if (!fonts_.empty()) {
    out += "/Font<<";
    for (const int font : fonts_) {
      out += (font % 2 == 1) ? "/V" : "/F";
      out += std::to_string(font / 2) + ' ' + std::to_string(document_.fontObject(font / 2, font % 2 == 1)) +
             " 0 R";
    }
    out += ">>";
  }
  if (!forms_.empty()) {
    out += "/XObject<<";
    for (const FormId form : forms_)
      out += "/Fm" + std::to_string(form) + ' ' + std::to_string(document_.formObject(form)) + " 0 R";
    out += ">>";
  }
  return out + ">>";
}

}  // namespace zelvato::pdf
