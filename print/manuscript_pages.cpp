#include "manuscript_pages.h"

#include <QGlyphRun>
#include <QPagedPaintDevice>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

#include "text/vertical_forms.h"
#include "typeset/grid_typesetter.h"

namespace zelvato::print {
namespace {

// A character fills this share of its cell, as handwriting fills a square.
constexpr double characterShare = 0.82;
// Ruby and emphasis marks fill this share of the strip beside the line.
constexpr double besideShare = 0.95;
constexpr double markShare = 0.7;
// 傍線 stand this share of the cell in from its edge, beside the character.
constexpr double sideLineInset = 0.075;

// The mark a kind of emphasis sets beside each character.
std::u16string_view emphasisMark(EmphasisKind kind) {
  switch (kind) {
    case EmphasisKind::sesame:
      return u"﹅";
    case EmphasisKind::whiteSesame:
      return u"﹆";
    case EmphasisKind::blackCircle:
      return u"●";
    case EmphasisKind::whiteCircle:
      return u"○";
    case EmphasisKind::blackTriangle:
      return u"▲";
    case EmphasisKind::whiteTriangle:
      return u"△";
    case EmphasisKind::doubleCircle:
      return u"◎";
    case EmphasisKind::bullseye:
      return u"◉";
    case EmphasisKind::cross:
      return u"×";
    case EmphasisKind::none:
      break;
  }
  return {};
}

// Two half-width characters set across in one cell (a surrogate pair is one
// character; two full-width marks below the frame, 。」, stand one above the other).
bool isAcrossPair(std::u16string_view text) {
  return text.size() == 2 && text[0] < 0x80 && text[1] < 0x80;
}

int characterCount(std::u16string_view text) {
  int count = 0;
  for (const char16_t c : text) count += (c >= 0xDC00 && c <= 0xDFFF) ? 0 : 1;
  return count;
}

// No face has a character: the geta mark stands in its place, as typesetters mark a missing character.
constexpr std::u16string_view missingCharacter = u"〓";

}  // namespace

ManuscriptPages::ManuscriptPages(QPagedPaintDevice& device, const ConversionSettings& settings,
                                 const ManuscriptOptions& options)
    : device_(device),
      settings_(settings),
      options_(options),
      sheet_(device.pageLayout().fullRectPoints().size(), gridLayoutOptions(settings).charsPerLine,
             gridLayoutOptions(settings).linesPerColumn) {
  PrintFace chosen = chooseFace(QString::fromStdU16String(settings.fontFace));
  if (chosen.font.isValid()) {
    auto shaper = std::make_unique<VerticalShaper>(chosen.font);
    faces_.push_back({std::move(chosen), std::move(shaper)});
  }
}

ManuscriptPages::~ManuscriptPages() {
  if (painter_.isActive()) painter_.end();
}

double ManuscriptPages::characterSize() const {
  return characterShare * sheet_.cellSize();
}

bool ManuscriptPages::begin(const Document&) {
  // Without a Japanese face every character would print as an empty box.
  return !faces_.empty();
}

bool ManuscriptPages::startSheet() {
  if (sheets_ == 0) {
    if (!painter_.begin(&device_)) return false;
  } else if (!device_.newPage()) {
    return false;
  }
  ++sheets_;
  painter_.resetTransform();
  // The sheet is laid out in points, whatever the device's resolution.
  painter_.scale(device_.logicalDpiX() / 72.0, device_.logicalDpiY() / 72.0);
  drawRules();
  drawSheetNumber();
  return true;
}

bool ManuscriptPages::block(const GridBlock& block) {
  if (failed_) return false;
  if (block.isEmpty()) return true;  // a page break with nothing pending
  if (!startSheet()) {
    failed_ = true;
    return false;
  }
  const int rows = std::min(block.rowCount(), sheet_.charsPerLine() + 1);
  const int lines = std::min(block.linesPerColumn(), sheet_.linesPerColumn());
  for (int line = 1; line <= lines; ++line) {
    const QRectF strip = sheet_.rubyStrip(line);
    for (int row = 1; row <= rows; ++row) {
      const GridCell& cell = block.cell(row, line);
      if (cell.empty()) continue;
      const QRectF box = sheet_.cell(row, line);
      drawCell(cell, box);
      if (row > sheet_.charsPerLine()) continue;  // nothing stands beside a hanging stop
      if (!cell.ruby.empty()) {
        const int last = std::min(row + std::max(cell.rubyCells, 1) - 1, sheet_.charsPerLine());
        const double span = sheet_.cell(last, line).bottom() - box.top();
        const double size = std::min(besideShare * strip.width(),
                                     std::max(span / characterCount(cell.ruby), 0.6 * strip.width()));
        drawBeside(cell.ruby, strip, box.top(), box.top() + span, size);
      }
      if (const auto mark = emphasisMark(cell.emphasis); !mark.empty())
        drawBeside(mark, strip, box.top(), box.bottom(), markShare * strip.width());
      if (cell.line != LineKind::none) drawSideLine(cell.line, cell.lineSide, box);
    }
  }
  flush(Qt::black);
  return true;
}

bool ManuscriptPages::finish(bool completed) {
  // A text with nothing to set still gives its one ruled sheet.
  if (completed && !failed_ && sheets_ == 0 && !faces_.empty()) {
    if (!startSheet()) failed_ = true;
  }
  if (painter_.isActive() && !painter_.end()) failed_ = true;
  return !failed_;
}

void ManuscriptPages::drawRules() {
  const QColor colour = ruleColour(options_.rules);
  const double cell = sheet_.cellSize();
  const QRectF frame = sheet_.frame();
  QVector<QLineF> lines;
  for (int line = 1; line <= sheet_.linesPerColumn(); ++line) {
    const QRectF top = sheet_.cell(1, line);
    lines.push_back(QLineF(top.left(), frame.top(), top.left(), frame.bottom()));
    lines.push_back(QLineF(top.right(), frame.top(), top.right(), frame.bottom()));
    for (int row = 2; row <= sheet_.charsPerLine(); ++row) {
      const double y = frame.top() + (row - 1) * cell;
      lines.push_back(QLineF(top.left(), y, top.right(), y));
    }
  }
  const QRectF fold = sheet_.foldColumn();
  if (!fold.isNull()) {
    lines.push_back(QLineF(fold.topLeft(), fold.bottomLeft()));
    lines.push_back(QLineF(fold.topRight(), fold.bottomRight()));
  }
  painter_.setPen(QPen(colour, 0.4));
  painter_.setBrush(Qt::NoBrush);
  painter_.drawLines(lines);
  painter_.setPen(QPen(colour, 1.2));
  painter_.drawRect(frame);
  if (!fold.isNull()) {
    // The fish-tail mark (魚尾) at the head of the fold column shows where the sheet folds.
    const double y = fold.top() + cell;
    const QPolygonF fishTail(
        {QPointF(fold.left(), y), QPointF(fold.right(), y), QPointF(fold.right(), y + 0.6 * cell),
         QPointF(fold.center().x(), y + 0.35 * cell), QPointF(fold.left(), y + 0.6 * cell)});
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(colour);
    painter_.drawPolygon(fishTail);
    painter_.setBrush(Qt::NoBrush);
  }
}

void ManuscriptPages::drawSheetNumber() {
  const std::u16string number = QString::number(sheets_).toStdU16String();
  const SetText& set = setAcross(number);
  const double size = 0.45 * sheet_.cellSize();
  const QRectF fold = sheet_.foldColumn();
  const double width = set.shaped.advance * size;
  // In the fold column near its foot, or below the frame when there is no fold.
  const QPointF baseline =
      !fold.isNull() ? QPointF(fold.center().x() - width / 2, fold.bottom() - 0.5 * sheet_.cellSize())
                     : QPointF(sheet_.frame().center().x() - width / 2,
                               sheet_.frame().bottom() + 1.6 * sheet_.cellSize());
  place(set.face, set.shaped, baseline, size);
  flush(ruleColour(options_.rules));
}

void ManuscriptPages::drawCell(const GridCell& cell, QRectF box) {
  const double size = characterSize();
  if (isAcrossPair(cell.text)) {
    // Tate-chu-yoko: both characters side by side, narrowed to the cell when wider than it.
    const SetText& set = setAcross(cell.text);
    const double fitted = set.shaped.advance > 0.95 ? size * 0.95 / set.shaped.advance : size;
    const double ascent = faces_[static_cast<std::size_t>(set.face)].shaper->emBoxAscent();
    const QPointF baseline(box.center().x() - set.shaped.advance * fitted / 2,
                           box.center().y() + fitted * (ascent - 0.5));
    place(set.face, set.shaped, baseline, fitted);
    return;
  }
  const SetText& set = setVertically(characterOf(cell.text));
  // Two marks that share a cell share its height.
  const double fitted = set.shaped.advance > 1.05 ? size / set.shaped.advance : size;
  const double height = std::max(set.shaped.advance, 1.0) * fitted;
  place(set.face, set.shaped, QPointF(box.center().x(), box.top() + (box.height() - height) / 2), fitted);
}

// The character a cell shows: digits as kanji numerals when the settings ask
// for them, double quotes as the vertical quotes 〝 〟; every other character
// as it is, its vertical form coming from the face.
std::u16string ManuscriptPages::characterOf(const std::u16string& text) const {
  if (text.size() != 1) return text;
  char16_t c = toVerticalQuote(text.front());
  if (settings_.kanjiNumerals && c >= u'０' && c <= u'９') c = toVerticalForm(c, true);
  return std::u16string(1, c);
}

// 傍線 in the margin of the cell on its side, each kind in its own stroke: the
// cells of a marked run join into one line.
void ManuscriptPages::drawSideLine(LineKind kind, Side side, QRectF box) {
  const double x = side == Side::left ? box.left() + sideLineInset * box.width()
                                      : box.right() - sideLineInset * box.width();
  QPen pen(Qt::black, 0.5);
  pen.setStyle(kind == LineKind::dashed  ? Qt::DashLine
               : kind == LineKind::chain ? Qt::DashDotLine
                                         : Qt::SolidLine);
  painter_.setPen(pen);
  painter_.setBrush(Qt::NoBrush);
  if (kind == LineKind::wavy) {
    QPainterPath wave(QPointF(x, box.top()));
    const double step = box.height() / 4, swing = 0.03 * box.width();
    for (int i = 0; i < 4; ++i)
      wave.quadTo(QPointF(x + (i % 2 == 0 ? swing : -swing), box.top() + step * (i + 0.5)),
                  QPointF(x, box.top() + step * (i + 1)));
    painter_.drawPath(wave);
  } else if (kind == LineKind::doubled) {
    const double gap = 0.015 * box.width();
    painter_.drawLine(QLineF(x - gap, box.top(), x - gap, box.bottom()));
    painter_.drawLine(QLineF(x + gap, box.top(), x + gap, box.bottom()));
  } else {
    painter_.drawLine(QLineF(x, box.top(), x, box.bottom()));
  }
}

void ManuscriptPages::drawBeside(std::u16string_view text, QRectF strip, double top, double bottom,
                                 double size) {
  const SetText& set = setVertically(text);
  const double length = set.shaped.advance * size;
  place(set.face, set.shaped, QPointF(strip.center().x(), top + (bottom - top - length) / 2), size);
}

void ManuscriptPages::place(int face, const ShapedText& shaped, QPointF pen, double size) {
  GlyphBatch& batch = batches_[{face, std::lround(size * 100)}];
  for (qsizetype i = 0; i < shaped.glyphs.size(); ++i) {
    batch.glyphs.push_back(shaped.glyphs[i]);
    batch.positions.push_back(pen + shaped.origins[i] * size);
  }
}

void ManuscriptPages::flush(const QColor& colour) {
  painter_.setPen(colour);
  for (auto& [key, batch] : batches_) {
    if (batch.glyphs.isEmpty()) continue;
    QRawFont font = faces_[static_cast<std::size_t>(key.first)].face.font;
    font.setPixelSize(key.second / 100.0);
    QGlyphRun run;
    run.setRawFont(font);
    run.setGlyphIndexes(batch.glyphs);
    run.setPositions(batch.positions);
    painter_.drawGlyphRun(QPointF(0, 0), run);
    batch.glyphs.clear();
    batch.positions.clear();
  }
}

void ManuscriptPages::loadFallbacks() {
  fallbacksLoaded_ = true;
  for (PrintFace& face : fallbackFaces(faces_.front().face.family)) {
    auto shaper = std::make_unique<VerticalShaper>(face.font);
    faces_.push_back({std::move(face), std::move(shaper)});
  }
}

// The first face that has every character of the text sets it; when none
// has, the geta mark stands in for the text.
ManuscriptPages::SetText ManuscriptPages::setWith(std::u16string_view text, bool vertical) {
  for (std::size_t face = 0;; ++face) {
    if (face == faces_.size()) {
      if (fallbacksLoaded_) break;
      loadFallbacks();
      if (face == faces_.size()) break;
    }
    ShapedText shaped =
        vertical ? faces_[face].shaper->vertical(text) : faces_[face].shaper->horizontal(text);
    if (shaped.complete) return {static_cast<int>(face), std::move(shaped)};
  }
  if (text == missingCharacter) return {0, faces_.front().shaper->vertical(text)};
  return setWith(missingCharacter, true);
}

const ManuscriptPages::SetText& ManuscriptPages::setVertically(std::u16string_view text) {
  const std::u16string key(text);
  auto found = vertical_.find(key);
  if (found == vertical_.end()) found = vertical_.emplace(key, setWith(text, true)).first;
  return found->second;
}

const ManuscriptPages::SetText& ManuscriptPages::setAcross(std::u16string_view text) {
  const std::u16string key(text);
  auto found = across_.find(key);
  if (found == across_.end()) found = across_.emplace(key, setWith(text, false)).first;
  return found->second;
}

}  // namespace zelvato::print
