#include "title_picture.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>

namespace zelvato {
namespace {

const QColor paperTop(0xf8, 0xf3, 0xe6);
const QColor paperBottom(0xee, 0xe3, 0xca);
const QColor ink(0x22, 0x1d, 0x1a);
const QColor faintInk(0x22, 0x1d, 0x1a, 40);
const QColor vermilion(0xc2, 0x3b, 0x22);
const QColor guide(0xc2, 0x3b, 0x22, 110);

QFont mincho(qreal pixelSize) {
  QFont font;
  font.setFamilies({QStringLiteral("IPAMincho"), QStringLiteral("IPA明朝"),
                    QStringLiteral("Noto Serif CJK JP"), QStringLiteral("serif")});
  font.setPixelSize(qRound(pixelSize));
  return font;
}

QFont latinSerif(int pixelSize) {
  QFont font;
  font.setFamilies(
      {QStringLiteral("DejaVu Serif"), QStringLiteral("Liberation Serif"), QStringLiteral("serif")});
  font.setPixelSize(pixelSize);
  font.setItalic(true);
  return font;
}

// Fibres of the paper: a fixed sequence, so every start paints the same picture.
void paintPaper(QPainter& painter, const QRect& area) {
  QLinearGradient gradient(area.topLeft(), area.bottomRight());
  gradient.setColorAt(0.0, paperTop);
  gradient.setColorAt(1.0, paperBottom);
  painter.fillRect(area, gradient);
  quint32 seed = 20261207u;
  auto next = [&seed](int limit) {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<int>((seed >> 8) % static_cast<quint32>(limit));
  };
  painter.setPen(QPen(QColor(0x9c, 0x86, 0x5e, 34), 0.8));
  for (int i = 0; i < 140; ++i) {
    const QPointF start(next(area.width()), next(area.height()));
    const QPointF end = start + QPointF(next(13) - 6, next(9) - 4);
    painter.drawLine(start, end);
  }
}

// Characters set one under the other, each centred in its square cell.
void paintVerticalText(QPainter& painter, const QString& text, const QRectF& column, qreal cell,
                       const QFont& font) {
  painter.setFont(font);
  qreal top = column.top();
  for (const QChar ch : text) {
    painter.drawText(QRectF(column.left(), top, column.width(), cell), Qt::AlignCenter, QString(ch));
    top += cell;
  }
}

// A brush stroke that swells in the middle and tapers at both ends.
QPainterPath brushStroke(QPointF from, QPointF to, qreal thickness) {
  const QPointF middle = (from + to) / 2;
  QPainterPath path(from);
  path.quadTo(middle + QPointF(0, -thickness), to);
  path.quadTo(middle + QPointF(0, thickness * 0.6), from);
  return path;
}

}  // namespace

QPixmap titlePicture() {
  QPixmap picture(titlePictureSize);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  const QRect area(QPoint(0, 0), titlePictureSize);
  paintPaper(painter, area);

  // A thin frame in ink, as on a printed title page.
  painter.setPen(QPen(QColor(0x6b, 0x55, 0x3a), 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(QRectF(area).adjusted(6.5, 6.5, -7.5, -7.5));

  // Manuscript paper on the right: vertical lines of cells read from the right.
  const QRectF sheet(262, 16, 92, 118);
  painter.setPen(QPen(guide, 1));
  for (int i = 0; i <= 4; ++i) {
    const qreal x = sheet.left() + i * sheet.width() / 4;
    painter.drawLine(QPointF(x, sheet.top()), QPointF(x, sheet.bottom()));
  }
  painter.drawLine(sheet.topLeft(), sheet.topRight());
  painter.drawLine(sheet.bottomLeft(), sheet.bottomRight());

  const qreal columnWidth = sheet.width() / 4;
  painter.setPen(ink);
  paintVerticalText(painter, QStringLiteral("縦書き"),
                    QRectF(sheet.right() - columnWidth, sheet.top() + 4, columnWidth, 0), 36, mincho(28));
  painter.setPen(QColor(0x3a, 0x32, 0x2c));
  paintVerticalText(painter, QStringLiteral("ＨＴＭＬ"),
                    QRectF(sheet.right() - 2 * columnWidth, sheet.top() + 8, columnWidth, 0), 20, mincho(15));
  painter.setPen(faintInk);
  paintVerticalText(painter, QStringLiteral("右から左へ"),
                    QRectF(sheet.right() - 3 * columnWidth, sheet.top() + 6, columnWidth, 0), 17, mincho(13));

  // The seal, below the second line of the sheet.
  const QRectF seal(sheet.left() + 6, sheet.bottom() - 30, 24, 24);
  painter.setPen(Qt::NoPen);
  painter.setBrush(vermilion);
  painter.drawRoundedRect(seal, 3, 3);
  painter.setPen(paperTop);
  painter.setFont(mincho(17));
  painter.drawText(seal, Qt::AlignCenter, QStringLiteral("縦"));

  // An ink circle behind the name.
  QPen circlePen(QColor(0x22, 0x1d, 0x1a, 46), 9, Qt::SolidLine, Qt::RoundCap);
  painter.setPen(circlePen);
  painter.setBrush(Qt::NoBrush);
  painter.drawArc(QRectF(22, 26, 112, 112), 100 * 16, 300 * 16);

  // The name, underlined by a brush stroke, and what it does.
  painter.setPen(ink);
  painter.setFont(latinSerif(46));
  painter.drawText(QPointF(30, 104), QStringLiteral("Zelvato"));
  painter.setPen(Qt::NoPen);
  painter.setBrush(ink);
  painter.drawPath(brushStroke(QPointF(30, 120), QPointF(232, 116), 5));
  painter.setPen(QColor(0x3a, 0x32, 0x2c));
  painter.setFont(mincho(15));
  painter.drawText(QPointF(32, 148), QStringLiteral("HTML 縦書き変換"));
  painter.setPen(vermilion);
  painter.setFont(mincho(11));
  painter.drawText(QPointF(32, 170), QStringLiteral("横書きの文章を、縦に読むページへ。"));
  painter.end();
  return picture;
}

}  // namespace zelvato
