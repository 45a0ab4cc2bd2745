#include "layout_sample.h"

#include <QPainter>
#include <QPainterPath>

namespace zelvato::ui {

namespace {

constexpr int cell = 7;     // character cell
constexpr int charGap = 2;  // 字間隔
constexpr int lineGap = 4;  // 行間隔
constexpr int cellsPerLine = 4;
constexpr int linesPerBlock = 7;
constexpr int blockGap = 12;  // コラム間隔
constexpr int blockLeft = 62;
constexpr int blockTop = 18;

constexpr int blockWidth = linesPerBlock * cell + (linesPerBlock - 1) * lineGap;
constexpr int blockHeight = cellsPerLine * cell + (cellsPerLine - 1) * charGap;

void arrow(QPainter& p, QPointF from, QPointF to) {
  p.drawLine(from, to);
  const QPointF d = to - from;
  const double len = std::hypot(d.x(), d.y());
  if (len < 1) return;
  const QPointF u = d / len;
  const QPointF n(-u.y(), u.x());
  QPainterPath head;
  head.moveTo(to);
  head.lineTo(to - u * 4 + n * 2);
  head.lineTo(to - u * 4 - n * 2);
  head.closeSubpath();
  p.fillPath(head, p.pen().color());
}

void doubleArrow(QPainter& p, QPointF a, QPointF b) {
  arrow(p, (a + b) / 2, a);
  arrow(p, (a + b) / 2, b);
}

QRectF cellRect(int top, int line, int row) {
  // Lines are set right to left: line 0 is the rightmost.
  const double x = blockLeft + blockWidth - cell - line * (cell + lineGap);
  const double y = top + row * (cell + charGap);
  return {x, y, double(cell), double(cell)};
}

}  // namespace

LayoutSample::LayoutSample(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setToolTip(QStringLiteral("文字サイズ・字間隔・行間隔・行数・桁数・コラム・コラム間隔"));
}

void LayoutSample::paintEvent(QPaintEvent* /*event*/) {
  QPainter p(this);
  p.fillRect(rect(), palette().color(QPalette::Window));
  // The picture keeps its fixed size, centred in the box with a thin frame.
  const int ox = (width() - pictureWidth) / 2;
  const int oy = (height() - pictureHeight) / 2;
  p.translate(ox, oy);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(QRect(0, 0, pictureWidth, pictureHeight), Qt::white);
  p.setPen(QColor(0x80, 0x80, 0x80));
  p.drawRect(QRectF(0.5, 0.5, pictureWidth - 1, pictureHeight - 1));

  const int tops[2] = {blockTop, blockTop + blockHeight + blockGap + 8};
  const QColor ink(0x20, 0x40, 0x80);
  const QColor mark(0xC0, 0x30, 0x30);

  // Two column blocks of vertical lines; the first cell is highlighted.
  for (int b = 0; b < 2; ++b) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xEE, 0xF2, 0xFA));
    p.drawRect(QRectF(blockLeft - 2, tops[b] - 2, blockWidth + 4, blockHeight + 4));
    for (int line = 0; line < linesPerBlock; ++line) {
      for (int row = 0; row < cellsPerLine; ++row) {
        p.setBrush(b == 0 && line == 0 && row == 0 ? mark : ink);
        p.drawRect(cellRect(tops[b], line, row));
      }
    }
  }

  QFont font(QStringLiteral("IPAPGothic"));
  font.setPixelSize(9);
  p.setFont(font);
  p.setBrush(Qt::NoBrush);
  const double blockRight = blockLeft + blockWidth;

  // 文字サイズ: the highlighted first cell, top right.
  p.setPen(QPen(mark, 1));
  const QRectF first = cellRect(tops[0], 0, 0);
  arrow(p, QPointF(blockRight + 14, 8), QPointF(first.right() + 1, first.top()));
  p.drawText(QPointF(blockRight + 16, 11), QStringLiteral("文字サイズ"));

  p.setPen(QPen(Qt::black, 1));
  // 行数: the width of a block, above it.
  doubleArrow(p, QPointF(blockLeft, 9), QPointF(blockRight - 12, 9));
  p.drawText(QPointF(blockLeft - 24, 12), QStringLiteral("行数"));

  // 桁数: the height of a vertical line, on the right.
  const double right = blockRight + 7;
  doubleArrow(p, QPointF(right, tops[0] + 4), QPointF(right, tops[0] + blockHeight));
  p.drawText(QPointF(right + 4, tops[0] + blockHeight / 2 + 5), QStringLiteral("桁数"));

  // 字間隔: the gap between two cells of the leftmost line.
  const QRectF c0 = cellRect(tops[0], linesPerBlock - 1, 2);
  const double gapY = c0.top() - charGap / 2.0;
  p.drawLine(QPointF(c0.left() + 2, gapY), QPointF(blockLeft - 10, gapY));
  p.drawText(QPointF(blockLeft - 38, gapY + 3), QStringLiteral("字間隔"));

  // コラム間隔: the gap between the blocks, on the right.
  const double gapTop = tops[0] + blockHeight + 2;
  const double gapBottom = tops[1] - 2;
  doubleArrow(p, QPointF(right, gapTop), QPointF(right, gapBottom));
  p.drawText(QPointF(right + 4, (gapTop + gapBottom) / 2 + 4), QStringLiteral("コラム間隔"));

  // コラム: the second block, bracketed on its left.
  const double bx = blockLeft - 6;
  p.drawLine(QPointF(bx + 3, tops[1] - 2), QPointF(bx, tops[1] - 2));
  p.drawLine(QPointF(bx, tops[1] - 2), QPointF(bx, tops[1] + blockHeight + 2));
  p.drawLine(QPointF(bx, tops[1] + blockHeight + 2), QPointF(bx + 3, tops[1] + blockHeight + 2));
  p.drawText(QPointF(bx - 32, tops[1] + blockHeight / 2 + 4), QStringLiteral("コラム"));

  // 行間隔: the gap between two vertical lines, below the second block.
  const QRectF l3 = cellRect(tops[1], 3, cellsPerLine - 1);
  const double lineGapX = l3.left() - lineGap / 2.0;
  arrow(p, QPointF(lineGapX, l3.bottom() + 12), QPointF(lineGapX, l3.bottom() + 1));
  p.drawText(QPointF(lineGapX + 3, l3.bottom() + 14), QStringLiteral("行間隔"));
}

}  // namespace zelvato::ui
