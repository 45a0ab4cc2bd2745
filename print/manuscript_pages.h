#pragma once

#include <QPainter>
#include <QString>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "document/conversion_settings.h"
#include "manuscript_sheet.h"
#include "print_faces.h"
#include "vertical_shaper.h"
#include "write/document_sink.h"

class QPagedPaintDevice;

namespace zelvato::print {

// A writer of the pipeline that paints the grid typesetter's blocks on sheets
// of manuscript paper, one block a sheet, on any paged device (a PDF or a
// printer): ruled cells, the fold column with the sheet's number, every
// character upright in its cell in the face's own vertical form, ruby and
// emphasis marks in the strip beside the line, hanging stops below the frame.
class ManuscriptPages : public DocumentSink {
 public:
  ManuscriptPages(QPagedPaintDevice& device, const ConversionSettings& settings,
                  const ManuscriptOptions& options);
  ~ManuscriptPages() override;

  bool begin(const Document& document) override;
  bool block(const GridBlock& block) override;
  bool finish(bool completed) override;

  // The face the text is set in, and whether it replaced the user's.
  QString faceUsed() const { return faces_.empty() ? QString() : faces_.front().face.family; }
  bool faceFellBack() const { return faces_.empty() || faces_.front().face.fallback; }
  int sheets() const { return sheets_; }
  // The sheet's geometry in points, for a grid of the settings on the device's page.
  const ManuscriptSheet& sheet() const { return sheet_; }
  // The cell's text as it is set, with the face and glyphs chosen: for tests
  // that look for the glyph in the painted cell.
  struct SetText {
    int face = 0;  // 0: the chosen face; then the fallbacks in order
    ShapedText shaped;
  };
  const SetText& setVertically(std::u16string_view text);
  QRawFont faceFont(int face) const { return faces_[static_cast<std::size_t>(face)].face.font; }
  // The size the characters of the cells are set in, in points.
  double characterSize() const;

 private:
  struct Face {
    PrintFace face;
    std::unique_ptr<VerticalShaper> shaper;
  };
  // The glyphs of one face and size on the current sheet, drawn together.
  struct GlyphBatch {
    QVector<quint32> glyphs;
    QVector<QPointF> positions;
  };

  bool startSheet();
  void drawRules();
  void drawSheetNumber();
  void drawCell(const GridCell& cell, QRectF box);
  std::u16string characterOf(const std::u16string& text) const;
  void drawBeside(std::u16string_view text, QRectF strip, double top, double bottom, double size);
  void drawSideLine(LineKind kind, Side side, QRectF box);
  void place(int face, const ShapedText& shaped, QPointF pen, double size);
  void flush(const QColor& colour);
  const SetText& setAcross(std::u16string_view text);
  SetText setWith(std::u16string_view text, bool vertical);
  void loadFallbacks();

  QPagedPaintDevice& device_;
  ConversionSettings settings_;
  ManuscriptOptions options_;
  ManuscriptSheet sheet_;
  QPainter painter_;
  std::vector<Face> faces_;
  bool fallbacksLoaded_ = false;
  std::unordered_map<std::u16string, SetText> vertical_;
  std::unordered_map<std::u16string, SetText> across_;
  std::map<std::pair<int, long>, GlyphBatch> batches_;  // by face and size in hundredths of a point
  int sheets_ = 0;
  bool failed_ = false;
};

}  // namespace zelvato::print
