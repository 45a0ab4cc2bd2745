#include "write/manuscript/manuscript_pdf_writer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "text/unicode_text.h"
#include "text/vertical_forms.h"
#include "typeset/grid_typesetter.h"
#include "write/pdf/installed_faces.h"
#include "write/pdf/pdf_document.h"
#include "write/pdf_work_info.h"

namespace zelvato::manuscript {
namespace {

using pdf::Orientation;
using pdf::Point;
using pdf::TextRole;
using namespace cells;

// The characters of a heading paragraph, as its outline entry names it.
std::u16string headingText(const Paragraph& paragraph) {
  std::u16string text;
  for (const Run& run : paragraph.runs)
    if (run.kind == RunKind::text) text += run.text;
  return text;
}

}  // namespace

ManuscriptOptions manuscriptOptions(const ConversionSettings& settings) {
  return {settings.paperB4 ? Paper::b4 : Paper::a4,
          settings.greyPaperLines ? RuleColour::grey : RuleColour::redBrown};
}

ManuscriptPdfWriter::ManuscriptPdfWriter(const WriterContext& context)
    : settings_(context.settings),
      target_(textToPath(context.outputPath)),
      options_(manuscriptOptions(context.settings)),
      sheet_(paperSize(options_.paper), gridLayoutOptions(context.settings).charsPerLine,
             gridLayoutOptions(context.settings).linesPerColumn),
      files_(context.staging) {
  files_.stopWhen([&host = context.host] {
    host.yieldToEvents();
    return host.stopRequested();
  });
}

ManuscriptPdfWriter::~ManuscriptPdfWriter() = default;

double ManuscriptPdfWriter::characterSize() const {
  return characterShare * sheet_.cellSize();
}

bool ManuscriptPdfWriter::fail(std::string reason) {
  if (!failure_ && !files_.failure()) failure_ = FileFailure{target_, std::move(reason)};
  failed_ = true;
  return false;
}

bool ManuscriptPdfWriter::begin(const Document& document) {
  const pdf::FaceChoice choice = pdf::chooseTextFace(utf16ToUtf8(settings_.pdfFontFace));
  // Without a Japanese face every character would print as an empty box.
  if (!choice.face) return fail("no installed face holds Japanese characters");
  faces_ = std::make_unique<pdf::FaceSet>(choice.face);
  faceUsed_ = WriterFace{choice.family, choice.fellBack};
  if (!files_.begin(target_)) {
    failed_ = true;
    return false;
  }

  pdf_ = std::make_unique<pdf::Document>(
      [this](std::string_view bytes) { return files_.append(target_, bytes); }, pdfWorkInfo(settings_, document));
  pdf_->setPageLabels(0, pdf::LabelStyle::decimal);
  rules_ = pdf_->defineForm(sheet_.page(), [this](pdf::Canvas& canvas) { drawRules(canvas); });

  for (const Paragraph& paragraph : document.paragraphs) {
    if (paragraph.style.headingLevel <= 0) continue;
    std::u16string text = headingText(paragraph);
    if (!text.empty()) headings_.push_back({paragraph.style.headingLevel, std::move(text)});
  }
  return !pdf_->failed() || fail("the PDF could not be written");
}

bool ManuscriptPdfWriter::startSheet() {
  ++sheets_;
  page_ = &pdf_->beginPage(sheet_.page());
  page_->drawForm(rules_);
  return true;
}

// A heading's first cell, in reading order, adds its outline entry: headings
// begin vertical lines of their own, so a heading cell begins a heading when
// the cell before it was no heading, or when it opens a line after a line end.
void ManuscriptPdfWriter::noteHeadings(const GridBlock& block) {
  const int rows = block.rowCount();
  for (int line = 1; line <= block.linesPerColumn(); ++line) {
    bool lineStart = true;
    for (int row = 1; row <= rows; ++row) {
      const GridCell& cell = block.cell(row, line);
      if (cell.empty()) continue;
      if (cell.heading && (!previousWasHeading_ || (lineStart && previousLineReturned_)) &&
          nextHeading_ < headings_.size()) {
        const Heading& heading = headings_[nextHeading_++];
        pdf_->addOutlineEntry(heading.level, heading.title, sheets_ - 1, Point{0, 0});
      }
      previousWasHeading_ = cell.heading;
      lineStart = false;
    }
    if (!lineStart || block.endsWithReturn(line)) previousLineReturned_ = block.endsWithReturn(line);
  }
}

bool ManuscriptPdfWriter::block(const GridBlock& block) {
  if (failed_) return false;
  if (block.isEmpty()) return true;  // a page break with nothing pending
  startSheet();
  noteHeadings(block);
  const int rows = std::min(block.rowCount(), sheet_.charsPerLine() + 1);
  const int lines = std::min(block.linesPerColumn(), sheet_.linesPerColumn());
  page_->setFillColour(Colour{});
  // The text, each vertical line one line of the text layer, right to left.
  for (int line = 1; line <= lines; ++line) {
    page_->beginTextLine();
    for (int row = 1; row <= rows; ++row)
      if (const GridCell& cell = block.cell(row, line); !cell.empty()) drawCell(cell, sheet_.cell(row, line));
    page_->endTextLine();
  }
  // Then the readings and marks beside the lines, after the text they stand by.
  for (int line = 1; line <= lines; ++line) {
    const Rect strip = sheet_.rubyStrip(line);
    for (int row = 1; row <= std::min(rows, sheet_.charsPerLine()); ++row) {
      const GridCell& cell = block.cell(row, line);
      if (cell.empty()) continue;
      const Rect box = sheet_.cell(row, line);
      if (!cell.ruby.empty()) {
        const int last = std::min(row + std::max(cell.rubyCells, 1) - 1, sheet_.charsPerLine());
        const double span = sheet_.cell(last, line).bottom() - box.top();
        const double size = std::min(besideShare * strip.width,
                                     std::max(span / characterCount(cell.ruby), 0.6 * strip.width));
        drawBeside(cell.ruby, strip, box.top(), box.top() + span, size, TextRole::text);
      }
      if (const auto mark = emphasisMark(cell.emphasis); !mark.empty())
        drawBeside(mark, strip, box.top(), box.bottom(), markShare * strip.width, TextRole::artifact);
      if (cell.line != LineKind::none) drawSideLine(cell.line, cell.lineSide, box);
    }
  }
  drawSheetNumber();
  if (!pdf_->endPage() || pdf_->failed()) return fail("the PDF could not be written");
  page_ = nullptr;
  return true;
}

bool ManuscriptPdfWriter::finish(bool completed) {
  if (completed && !failed_ && pdf_) {
    // A text with nothing to set still gives its one ruled sheet.
    if (sheets_ == 0) {
      startSheet();
      drawSheetNumber();
      if (!pdf_->endPage()) fail("the PDF could not be written");
    }
    if (!failed_ && !pdf_->finish()) fail("the PDF could not be written");
  }
  if (!completed || failed_) {
    files_.discard();
    return false;
  }
  return files_.commit();
}

std::optional<WriterFace> ManuscriptPdfWriter::faceUsed() const {
  return faceUsed_;
}

std::optional<FileFailure> ManuscriptPdfWriter::failure() const {
  if (files_.failure()) return files_.failure();
  return failure_;
}

void ManuscriptPdfWriter::drawRules(pdf::Canvas& canvas) const {
  const Colour colour = ruleColour(options_.rules);
  const double cell = sheet_.cellSize();
  const Rect frame = sheet_.frame();
  std::vector<pdf::Line> lines;
  for (int line = 1; line <= sheet_.linesPerColumn(); ++line) {
    const Rect top = sheet_.cell(1, line);
    lines.push_back({{top.left(), frame.top()}, {top.left(), frame.bottom()}});
    lines.push_back({{top.right(), frame.top()}, {top.right(), frame.bottom()}});
    for (int row = 2; row <= sheet_.charsPerLine(); ++row) {
      const double y = frame.top() + (row - 1) * cell;
      lines.push_back({{top.left(), y}, {top.right(), y}});
    }
  }
  const Rect fold = sheet_.foldColumn();
  if (!fold.isEmpty()) {
    lines.push_back({{fold.left(), fold.top()}, {fold.left(), fold.bottom()}});
    lines.push_back({{fold.right(), fold.top()}, {fold.right(), fold.bottom()}});
  }
  canvas.setStrokeColour(colour);
  canvas.setLineWidth(0.4);
  canvas.strokeLines(lines);
  canvas.setLineWidth(1.2);
  canvas.strokeRect(frame);
  if (!fold.isEmpty()) {
    // The fish-tail mark (魚尾) at the head of the fold column shows where the sheet folds.
    const double y = fold.top() + cell;
    const Point fishTail[] = {{fold.left(), y},
                              {fold.right(), y},
                              {fold.right(), y + 0.6 * cell},
                              {fold.centre().x, y + 0.35 * cell},
                              {fold.left(), y + 0.6 * cell}};
    canvas.setFillColour(colour);
    canvas.fillPolygon(fishTail);
  }
}

void ManuscriptPdfWriter::drawSheetNumber() {
  const std::u16string number = utf8ToUtf16(std::to_string(sheets_));
  const SetText& set = setAcross(number);
  const double size = 0.45 * sheet_.cellSize();
  const Rect fold = sheet_.foldColumn();
  const double width = set.shaped.advance * size;
  // In the fold column near its foot, or below the frame when there is no fold.
  const Point baseline =
      !fold.isEmpty()
          ? Point{fold.centre().x - width / 2, fold.bottom() - 0.5 * sheet_.cellSize()}
          : Point{sheet_.frame().centre().x - width / 2, sheet_.frame().bottom() + 1.6 * sheet_.cellSize()};
  page_->setFillColour(ruleColour(options_.rules));
  show(set, baseline, size, Orientation::across, number, TextRole::artifact);
}

void ManuscriptPdfWriter::drawCell(const GridCell& cell, Rect box) {
  const double size = characterSize();
  if (isAcrossPair(cell.text)) {
    // Tate-chu-yoko: both characters side by side, narrowed to the cell when wider than it.
    const SetText& set = setAcross(cell.text);
    const double fitted = set.shaped.advance > 0.95 ? size * 0.95 / set.shaped.advance : size;
    const double ascent = faces_->face(set.face)->emBoxAscent();
    const Point baseline{box.centre().x - set.shaped.advance * fitted / 2,
                         box.centre().y + fitted * (ascent - 0.5)};
    show(set, baseline, fitted, Orientation::across, cell.text);
    return;
  }
  // Digits as kanji numerals when the settings ask for them; double quotes in
  // their vertical forms 〝 〟, which read as the quotes they stand for.
  std::u16string text = cell.text;
  if (text.size() == 1 && settings_.kanjiNumerals && text[0] >= u'０' && text[0] <= u'９')
    text[0] = toVerticalForm(text[0], true);
  std::u16string shown = text;
  if (shown.size() == 1) shown[0] = toVerticalQuote(shown[0]);
  const SetText& set = setVertically(shown);
  // Two marks that share a cell (。」 below the frame) share its height.
  const double fitted = set.shaped.advance > 1.05 ? size / set.shaped.advance : size;
  const double height = std::max(set.shaped.advance, 1.0) * fitted;
  show(set, Point{box.centre().x, box.top() + (box.height - height) / 2}, fitted, Orientation::upright, text);
}

// 傍線 in the margin of the cell on its side, each kind in its own stroke; the
// cells of a marked run join into one line.
void ManuscriptPdfWriter::drawSideLine(LineKind kind, Side side, Rect box) {
  const double x =
      side == Side::left ? box.left() + sideLineInset * box.width : box.right() - sideLineInset * box.width;
  std::vector<pdf::Line> lines;
  const auto along = [&](double dx, double from, double to) {
    lines.push_back({{x + dx, box.top() + from * box.height}, {x + dx, box.top() + to * box.height}});
  };
  switch (kind) {
    case LineKind::doubled:
      along(-0.015 * box.width, 0, 1);
      along(0.015 * box.width, 0, 1);
      break;
    case LineKind::dashed:
      // Two dashes a cell, so the dashes of a run keep one rhythm.
      along(0, 0.05, 0.3);
      along(0, 0.55, 0.8);
      break;
    case LineKind::chain:
      along(0, 0.05, 0.35);
      along(0, 0.45, 0.5);
      along(0, 0.6, 0.9);
      break;
    case LineKind::wavy: {
      // Two waves a cell, drawn as short strokes.
      constexpr int steps = 16;
      const double swing = 0.03 * box.width;
      const auto at = [&](int i) {
        return pdf::Point{x + swing * std::sin(i * 4 * std::numbers::pi / steps),
                          box.top() + box.height * i / steps};
      };
      for (int i = 0; i < steps; ++i) lines.push_back({at(i), at(i + 1)});
      break;
    }
    case LineKind::solid:
      along(0, 0, 1);
      break;
    case LineKind::none:
      return;
  }
  page_->setStrokeColour(Colour{});
  page_->setLineWidth(0.5);
  page_->strokeLines(lines);
}

void ManuscriptPdfWriter::drawBeside(std::u16string_view text, Rect strip, double top, double bottom,
                                     double size, TextRole role) {
  const SetText& set = setVertically(text);
  const double length = set.shaped.advance * size;
  if (role == TextRole::text) page_->beginTextLine();
  show(set, Point{strip.centre().x, top + (bottom - top - length) / 2}, size, Orientation::upright, text,
       role);
  if (role == TextRole::text) page_->endTextLine();
}

void ManuscriptPdfWriter::show(const SetText& set, Point pen, double size, Orientation orientation,
                               std::u16string_view text, TextRole role) {
  placed_.clear();
  pdf::placeShaped(set.shaped, pen, size, orientation, placed_);
  page_->showGlyphs(faces_->face(set.face), size, orientation, placed_, text, role);
}

void manuscriptTypesetting(ConversionSettings& settings) {
  settings.rubyMode = RubyMode::drop;
  settings.manuscriptPaper = true;
}

}  // namespace zelvato::manuscript
