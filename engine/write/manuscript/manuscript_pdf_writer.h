#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/conversion_settings.h"
#include "io/staged_files.h"
#include "write/document_sink.h"
#include "write/manuscript/manuscript_sheet.h"
#include "write/pdf/face_set.h"
#include "write/pdf/font_face.h"
#include "write/pdf/pdf_canvas.h"

namespace zelvato::pdf {
class Document;
}

namespace zelvato::manuscript {

// The paper and line colour the settings ask for.
ManuscriptOptions manuscriptOptions(const ConversionSettings& settings);

// A writer of the pipeline that makes a PDF of manuscript paper, one sheet a
// column block: the ruled sheet (drawn once, shown on every page), every
// character upright in its cell in the face's own vertical form, ruby and
// emphasis marks in the strip beside the line, hanging stops below the frame,
// the sheet's number in the fold column. The text reads in order: each
// vertical line from the right, top to bottom, then the sheet's ruby
// readings; the sheet number and the marks are not text. The document's
// title and author, its headings as the outline, the sheet numbers as page
// labels, right-to-left reading. Pages go to a new file beside the target as
// they are drawn; it takes the target's place only when the whole run
// succeeded. A folder, a device or the source file as target is refused.
// The grid is typeset with the ruby out of its cells (manuscriptTypesetting):
// the ruby is set beside its base.
class ManuscriptPdfWriter : public DocumentSink {
 public:
  // Writes the PDF to the context's output path, with the context's settings.
  explicit ManuscriptPdfWriter(const WriterContext& context);
  ~ManuscriptPdfWriter() override;

  bool begin(const Document& document) override;
  bool block(const GridBlock& block) override;
  bool finish(bool completed) override;
  std::optional<FileFailure> failure() const override;
  void keepIntact(const std::string& path) override { files_.keepIntact(path); }
  // The family of the face the text is set in, and whether it replaced the one asked for.
  std::optional<WriterFace> faceUsed() const override;

  int sheets() const { return sheets_; }
  const ManuscriptSheet& sheet() const { return sheet_; }
  // The size the characters of the cells are set in, in points.
  double characterSize() const;

 private:
  using SetText = pdf::FaceSet::SetText;
  struct Heading {
    int level;
    std::u16string title;
  };

  bool startSheet();
  void drawRules(pdf::Canvas& canvas) const;
  void drawSheetNumber();
  void drawCell(const GridCell& cell, Rect box);
  void drawBeside(std::u16string_view text, Rect strip, double top, double bottom, double size,
                  pdf::TextRole role);
  void drawSideLine(LineKind kind, Side side, Rect box);
  void show(const SetText& set, pdf::Point pen, double size, pdf::Orientation orientation,
            std::u16string_view text, pdf::TextRole role = pdf::TextRole::text);
  void noteHeadings(const GridBlock& block);
  const SetText& setVertically(std::u16string_view text) {
    return faces_->set(text, pdf::Orientation::upright);
  }
  const SetText& setAcross(std::u16string_view text) { return faces_->set(text, pdf::Orientation::across); }
  bool fail(std::string reason);

  ConversionSettings settings_;
  std::string target_;
  ManuscriptOptions options_;
  ManuscriptSheet sheet_;
  StagedFiles files_;
  std::unique_ptr<pdf::Document> pdf_;
  pdf::Canvas* page_ = nullptr;
  pdf::FormId rules_ = 0;
  std::unique_ptr<pdf::FaceSet> faces_;
  std::optional<WriterFace> faceUsed_;
  std::vector<pdf::PlacedGlyph> placed_;
  std::vector<Heading> headings_;
  std::size_t nextHeading_ = 0;
  bool previousWasHeading_ = false;
  bool previousLineReturned_ = true;
  int sheets_ = 0;
  bool failed_ = false;
  std::optional<FileFailure> failure_;
};

// The settings a manuscript is typeset with: the user's, with ruby out of the
// cells (it is set beside its base) and the line ends of manuscript paper.
void manuscriptTypesetting(ConversionSettings& settings);

}  // namespace zelvato::manuscript
