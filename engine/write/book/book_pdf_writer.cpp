#include "write/book/book_pdf_writer.h"

#include <algorithm>
#include <cmath>

#include "text/unicode_text.h"
#include "text/vertical_forms.h"
#include "typeset/book/book_composer.h"
#include "write/pdf/installed_faces.h"
#include "write/pdf/pdf_document.h"
#include "write/pdf_work_info.h"

namespace zelvato::book {
namespace {

using pdf::Orientation;
using pdf::Point;
using pdf::TextRole;

// Crop marks stand this far outside the bleed, in millimetres, on a sheet
// that leaves room for them.
constexpr double markLength = 9;
constexpr double markRoom = 10;
constexpr double markWidth = 0.25;  // points, as thin as a printer's register lines

// A side line's stroke, and the period of its dashes, dots and waves, in ems.
constexpr double sideLineWidth = 0.04;
constexpr double dashLength = 0.4, dashGap = 0.2;
constexpr double dotPitch = 0.33, dotLength = 0.07;
constexpr double wavePeriod = 0.4, waveHeight = 0.08;

}  // namespace

double FaceMetrics::acrossAdvance(std::u16string_view text) const {
  return faces_.set(text, Orientation::across).shaped.advance;
}

BookPdfWriter::BookPdfWriter(const WriterContext& context)
    : settings_(context.settings),
      format_(bookFormat(context.settings)),
      target_(textToPath(context.outputPath)),
      host_(context.host),
      files_(context.staging) {
  files_.stopWhen([&host = context.host] {
    host.yieldToEvents();
    return host.stopRequested();
  });
}

BookPdfWriter::~BookPdfWriter() = default;

bool BookPdfWriter::fail(std::string reason) {
  if (!failure_ && !files_.failure()) failure_ = FileFailure{target_, std::move(reason)};
  failed_ = true;
  return false;
}

std::optional<FileFailure> BookPdfWriter::failure() const {
  if (files_.failure()) return files_.failure();
  return failure_;
}

// The whole book is composed from the document, then drawn page by page into
// the staged file: a book's pages depend on what follows them (the table of
// contents on the chapters' pages), so nothing is drawn before the text is set.
bool BookPdfWriter::begin(const Document& document) {
  if (const auto problem = formatProblem(format_)) return fail(*problem);
  const pdf::FaceChoice choice = pdf::chooseTextFace(utf16ToUtf8(settings_.pdfFontFace));
  // Without a Japanese face every character would print as an empty box.
  if (!choice.face) return fail("no installed face holds Japanese characters");
  faces_ = std::make_unique<pdf::FaceSet>(choice.face);
  faceUsed_ = WriterFace{choice.family, choice.fellBack};

  const FaceMetrics metrics(*faces_);
  const auto layout = composeBook(document, format_, metrics, [this](std::size_t done) {
    host_.progressMade(static_cast<std::int32_t>(done));
    host_.yieldToEvents();
    return !host_.stopRequested();
  });
  if (!layout) {
    failed_ = true;
    return false;
  }
  if (!files_.begin(target_)) {
    failed_ = true;
    return false;
  }

  pdf_ = std::make_unique<pdf::Document>(
      [this](std::string_view bytes) { return files_.append(target_, bytes); }, pdfWorkInfo(settings_, document));

  const pdf::Size sheet{layout->width, layout->height};
  if (format_.bleed > 0) {
    offset_ = (format_.bleed + markRoom) * pdf::pointsPerMillimetre;
    cropMarks_ = pdf_->defineForm({sheet.width + 2 * offset_, sheet.height + 2 * offset_},
                                  [this](pdf::Canvas& canvas) { drawCropMarks(canvas); });
  }
  if (!layout->pages.empty()) pdf_->setPageLabels(0, pdf::LabelStyle::decimal, layout->pages.front().number);
  for (const BookPage& page : layout->pages)
    if (!drawPage(page, *layout)) return false;
  // A text with nothing to set still gives a page.
  if (layout->pages.empty() && !drawPage(BookPage{}, *layout)) return false;
  for (const OutlineEntry& entry : layout->outline)
    pdf_->addOutlineEntry(entry.level, entry.title, entry.page);
  return !pdf_->failed() || fail("the PDF could not be written");
}

bool BookPdfWriter::drawPage(const BookPage& page, const BookLayout& layout) {
  host_.yieldToEvents();
  if (host_.stopRequested()) {
    failed_ = true;
    return false;
  }
  const double bleed = format_.bleed * pdf::pointsPerMillimetre;
  const pdf::Size size{layout.width + 2 * offset_, layout.height + 2 * offset_};
  pdf::PageBoxes boxes;
  if (offset_ > 0) {
    boxes.trim = {offset_, offset_, layout.width, layout.height};
    boxes.bleed = {offset_ - bleed, offset_ - bleed, layout.width + 2 * bleed, layout.height + 2 * bleed};
  }
  page_ = &pdf_->beginPage(size, boxes);
  ++pages_;
  if (cropMarks_ != 0) page_->drawForm(cropMarks_);
  page_->setFillColour(pdf::Colour{});
  // The text, each vertical line one line of the text layer, right to left.
  for (const BookLine& line : page.lines) {
    page_->beginTextLine();
    for (const LineGlyph& glyph : line.glyphs)
      drawGlyph(line, glyph, std::u16string_view(line.text).substr(glyph.first, glyph.length),
                TextRole::text);
    page_->endTextLine();
  }
  for (const BookLine& line : page.lines)
    if (!line.rules.empty()) drawRules(line);
  // Then the readings beside the lines, after the text they stand by; the
  // emphasis marks are no text.
  for (const BookLine& line : page.lines) {
    if (line.noteGlyphs.empty()) continue;
    const bool readings = std::any_of(line.noteGlyphs.begin(), line.noteGlyphs.end(),
                                      [](const LineGlyph& g) { return !g.mark; });
    if (readings) page_->beginTextLine();
    for (const LineGlyph& glyph : line.noteGlyphs)
      drawGlyph(line, glyph, std::u16string_view(line.notes).substr(glyph.first, glyph.length),
                glyph.mark ? TextRole::artifact : TextRole::text);
    if (readings) page_->endTextLine();
  }
  for (const PageText& text : page.furniture) drawFurniture(text);
  if (!pdf_->endPage() || pdf_->failed()) return fail("the PDF could not be written");
  page_ = nullptr;
  return true;
}

void BookPdfWriter::drawGlyph(const BookLine& line, const LineGlyph& glyph, std::u16string_view text,
                              TextRole role) {
  const double size = glyph.size;
  const double centre = offset_ + line.x + glyph.across;
  const double head = offset_ + line.top + glyph.along;
  switch (glyph.setting) {
    case Setting::upright: {
      // Double quotes in their vertical forms 〝 〟, which read as the quotes they stand for.
      std::u16string shown(text);
      if (shown.size() == 1) shown[0] = toVerticalQuote(shown[0]);
      show(faces_->set(shown, Orientation::upright), Point{centre, head}, size, Orientation::upright, text,
           role);
      break;
    }
    case Setting::across: {
      // Narrowed to the em when wider than it, centred in it.
      const SetText& set = faces_->set(text, Orientation::across);
      const double fitted = set.shaped.advance > 1 ? size / set.shaped.advance : size;
      const double ascent = faces_->face(set.face)->emBoxAscent();
      show(set, Point{centre - set.shaped.advance * fitted / 2, head + size / 2 + fitted * (ascent - 0.5)},
           fitted, Orientation::across, text, role);
      break;
    }
    case Setting::rotated: {
      // Turned a quarter clockwise, the em box centred on the line.
      const SetText& set = faces_->set(text, Orientation::rotated);
      const double ascent = faces_->face(set.face)->emBoxAscent();
      show(set, Point{centre - size * (ascent - 0.5), head}, size, Orientation::rotated, text, role);
      break;
    }
    case Setting::blank:
      break;
  }
}

void BookPdfWriter::drawRules(const BookLine& line) {
  std::vector<pdf::Line> strokes;
  double width = 0;
  for (const SideRule& rule : line.rules) {
    const double em = format_.fontSize;
    width = sideLineWidth * em;
    const double x = offset_ + line.x + rule.across;
    const double from = offset_ + line.top + rule.from, to = offset_ + line.top + rule.to;
    auto pieces = [&](double on, double off) {
      for (double y = from; y < to; y += on + off) strokes.push_back({{x, y}, {x, std::min(y + on, to)}});
    };
    switch (rule.kind) {
      case LineKind::solid:
        strokes.push_back({{x, from}, {x, to}});
        break;
      case LineKind::doubled: {
        const double apart = rule.across >= 0 ? 2 * width : -2 * width;
        strokes.push_back({{x, from}, {x, to}});
        strokes.push_back({{x + apart, from}, {x + apart, to}});
        break;
      }
      case LineKind::dashed:
        pieces(dashLength * em, dashGap * em);
        break;
      case LineKind::chain:
        pieces(dotLength * em, (dotPitch - dotLength) * em);
        break;
      case LineKind::wavy: {
        const double half = wavePeriod * em / 2;
        double side = waveHeight * em;
        for (double y = from; y < to; y += half, side = -side)
          strokes.push_back({{x - side, y}, {x + side, std::min(y + half, to)}});
        break;
      }
      case LineKind::none:
        break;
    }
  }
  page_->setStrokeColour(pdf::Colour{});
  page_->setLineWidth(width);
  page_->strokeLines(strokes);
}

void BookPdfWriter::drawFurniture(const PageText& text) {
  const SetText& set = faces_->set(text.text, Orientation::across);
  const double width = set.shaped.advance * text.size;
  double x = offset_ + text.x;
  if (text.align == PageText::Align::right) x -= width;
  if (text.align == PageText::Align::centre) x -= width / 2;
  show(set, Point{x, offset_ + text.baseline}, text.size, Orientation::across, text.text, TextRole::artifact);
}

// Corner marks of the trimmed page and of the bleed (two lines each way at
// every corner) and a centre mark on every side, outside the bleed.
void BookPdfWriter::drawCropMarks(pdf::Canvas& canvas) const {
  const double bleed = format_.bleed * pdf::pointsPerMillimetre;
  const double length = markLength * pdf::pointsPerMillimetre;
  const pdf::Size sheet = canvas.size();
  const double left = offset_, top = offset_, right = sheet.width - offset_, bottom = sheet.height - offset_;
  std::vector<pdf::Line> lines;
  for (const double side : {-1.0, 1.0}) {
    const double trimX = side < 0 ? left : right, bleedX = trimX + side * bleed;
    for (const double end : {-1.0, 1.0}) {
      const double trimY = end < 0 ? top : bottom, bleedY = trimY + end * bleed;
      for (const double y : {trimY, bleedY}) lines.push_back({{bleedX, y}, {bleedX + side * length, y}});
      for (const double x : {trimX, bleedX}) lines.push_back({{x, bleedY}, {x, bleedY + end * length}});
    }
  }
  const double middleX = (left + right) / 2, middleY = (top + bottom) / 2;
  for (const double end : {-1.0, 1.0}) {
    const double y = (end < 0 ? top : bottom) + end * bleed;
    lines.push_back({{middleX, y}, {middleX, y + end * length}});
    lines.push_back(
        {{middleX - length / 2, y + end * length / 2}, {middleX + length / 2, y + end * length / 2}});
    const double x = (end < 0 ? left : right) + end * bleed;
    lines.push_back({{x, middleY}, {x + end * length, middleY}});
    lines.push_back(
        {{x + end * length / 2, middleY - length / 2}, {x + end * length / 2, middleY + length / 2}});
  }
  canvas.setStrokeColour(pdf::Colour{});
  canvas.setLineWidth(markWidth);
  canvas.strokeLines(lines);
}

void BookPdfWriter::show(const SetText& set, Point pen, double size, Orientation orientation,
                         std::u16string_view text, TextRole role) {
  placed_.clear();
  pdf::placeShaped(set.shaped, pen, size, orientation, placed_);
  page_->showGlyphs(faces_->face(set.face), size, orientation, placed_, text, role);
}

bool BookPdfWriter::finish(bool completed) {
  if (completed && !failed_ && pdf_ && !pdf_->finish()) fail("the PDF could not be written");
  if (!completed || failed_ || !pdf_) {
    files_.discard();
    return false;
  }
  return files_.commit();
}

}  // namespace zelvato::book
