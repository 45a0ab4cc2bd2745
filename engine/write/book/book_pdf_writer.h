#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "document/conversion_settings.h"
#include "io/staged_files.h"
#include "typeset/book/book_format.h"
#include "typeset/book/book_layout.h"
#include "write/document_sink.h"
#include "write/pdf/face_set.h"
#include "write/pdf/pdf_canvas.h"

namespace zelvato::pdf {
class Document;
}

namespace zelvato::book {

// A writer of the pipeline that makes a typeset book as a PDF: the document
// set by the book composer into the pages of the settings' format, each page
// drawn as the composer placed it (characters in the face's vertical forms,
// numbers across, Western words turned, ruby and emphasis marks beside their
// base, side lines), the running head and page number on the body pages.
// The text reads in order: each vertical line from the right, then the
// page's ruby readings; the running head, page numbers and marks are not
// text. Title and author, the headings as the outline, page numbers as page
// labels, right-to-left binding; with a bleed, each page's trim and bleed
// boxes and the crop marks (トンボ) outside them. The file is staged beside
// the target and takes its place only when the whole run succeeded.
class BookPdfWriter : public DocumentSink {
 public:
  explicit BookPdfWriter(const WriterContext& context);
  ~BookPdfWriter() override;

  bool wantsBlocks() const override { return false; }
  bool begin(const Document& document) override;
  bool block(const GridBlock& /*block*/) override { return true; }
  bool finish(bool completed) override;
  std::optional<FileFailure> failure() const override;
  void keepIntact(const std::string& path) override { files_.keepIntact(path); }
  std::optional<WriterFace> faceUsed() const override { return faceUsed_; }

  std::optional<int> pagesWritten() const override {
    return pages_ > 0 && !failed_ ? std::optional<int>(pages_) : std::nullopt;
  }

 private:
  using SetText = pdf::FaceSet::SetText;

  bool drawPage(const BookPage& page, const BookLayout& layout);
  void drawGlyph(const BookLine& line, const LineGlyph& glyph, std::u16string_view text, pdf::TextRole role);
  void drawRules(const BookLine& line);
  void drawFurniture(const PageText& text);
  void drawCropMarks(pdf::Canvas& canvas) const;
  void show(const SetText& set, pdf::Point pen, double size, pdf::Orientation orientation,
            std::u16string_view text, pdf::TextRole role);
  bool fail(std::string reason);

  ConversionSettings settings_;
  BookFormat format_;
  std::string target_;
  ConversionHost& host_;
  StagedFiles files_;
  std::unique_ptr<pdf::FaceSet> faces_;
  std::unique_ptr<pdf::Document> pdf_;
  pdf::Canvas* page_ = nullptr;
  pdf::FormId cropMarks_ = 0;
  double offset_ = 0;  // where the trimmed page stands on the sheet, in points from its left and top
  std::vector<pdf::PlacedGlyph> placed_;
  std::optional<WriterFace> faceUsed_;
  int pages_ = 0;
  bool failed_ = false;
  std::optional<FileFailure> failure_;
};

// The face's advances of text set across, for the composer.
class FaceMetrics final : public GlyphMetrics {
 public:
  explicit FaceMetrics(pdf::FaceSet& faces) : faces_(faces) {}
  double acrossAdvance(std::u16string_view text) const override;

 private:
  pdf::FaceSet& faces_;
};

}  // namespace zelvato::book
