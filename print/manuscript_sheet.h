#pragma once

#include <QColor>
#include <QRectF>
#include <QSizeF>

#include "write/manuscript/manuscript_sheet.h"

namespace zelvato::print {

// The paper, the line colour and the sheet's geometry are the engine's (the
// manuscript PDF draws the same sheet); this is Qt's view of them for the
// painter of the print preview.
using manuscript::ManuscriptOptions;
using manuscript::Paper;
using manuscript::RuleColour;

// The page size of the paper in points, landscape.
QSizeF paperSize(Paper paper);
QColor ruleColour(RuleColour colour);

class ManuscriptSheet {
 public:
  ManuscriptSheet(QSizeF page, int charsPerLine, int linesPerColumn)
      : sheet_({page.width(), page.height()}, charsPerLine, linesPerColumn) {}

  double cellSize() const { return sheet_.cellSize(); }
  int charsPerLine() const { return sheet_.charsPerLine(); }
  int linesPerColumn() const { return sheet_.linesPerColumn(); }
  QRectF frame() const { return toQt(sheet_.frame()); }
  QRectF cell(int row, int line) const { return toQt(sheet_.cell(row, line)); }
  QRectF rubyStrip(int line) const { return toQt(sheet_.rubyStrip(line)); }
  // Empty when the sheet has a single vertical line.
  QRectF foldColumn() const { return toQt(sheet_.foldColumn()); }
  int rightHalf() const { return sheet_.rightHalf(); }

 private:
  static QRectF toQt(const manuscript::Rect& r) {
    return r.isEmpty() ? QRectF() : QRectF(r.x, r.y, r.width, r.height);
  }
  manuscript::ManuscriptSheet sheet_;
};

}  // namespace zelvato::print
