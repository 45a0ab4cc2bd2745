// The print preview's painter of manuscript paper, painted on a PDF device
// and read back as a reader gets it: its sheets and paper (pdfinfo), its faces
// embedded (pdffonts), and the page as pdftoppm paints it, compared with the
// face's own vertical glyphs painted alone.

#include "manuscript_pages.h"

#include <QFile>
#include <QGlyphRun>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "print_faces.h"
#include "run/conversion.h"
#include "run/null_host.h"
#include "vertical_shaper.h"

using namespace zelvato;
using namespace zelvato::print;

namespace {

QString run(const QString& program, const QStringList& arguments, int* status = nullptr) {
  QProcess process;
  process.start(program, arguments);
  process.waitForFinished(120000);
  if (status != nullptr) *status = process.exitCode();
  return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
}

std::u16string repeat(std::u16string_view text, int times) {
  std::u16string result;
  for (int i = 0; i < times; ++i) result += text;
  return result;
}

ConversionSettings twentyByTwenty() {
  ConversionSettings settings;
  settings.charsPerLine = u"20";
  settings.linesPerColumn = u"20";
  settings.kinsoku = true;
  return settings;
}

// What the painter made of a text, painted on a PDF device as the printer gets it.
struct Painted {
  bool converted = false;
  int sheets = 0;
  QString faceUsed;
  bool faceFellBack = false;
};

Painted paintToPdf(std::u16string_view text, const ConversionSettings& user, const QString& path,
                   Paper paper = Paper::a4) {
  // The manuscript's cells hold no ruby: it is set beside its base.
  ConversionSettings settings = user;
  settings.rubyMode = RubyMode::drop;
  QPdfWriter device(path);
  device.setPageLayout(QPageLayout(QPageSize(paper == Paper::b4 ? QPageSize::JisB4 : QPageSize::A4),
                                   QPageLayout::Landscape, QMarginsF(0, 0, 0, 0)));
  ManuscriptPages pages(device, settings, {paper, RuleColour::redBrown});
  NullHost host;
  Painted painted;
  painted.converted = convertText(text, settings, pages, host);
  painted.sheets = pages.sheets();
  painted.faceUsed = pages.faceFamily();
  painted.faceFellBack = pages.faceFellBack();
  return painted;
}

// The text's ink inside a box of the page: the dark pixels (the red-brown or
// grey rules are lighter), cut to their own bounds and scaled to a small
// square, so that glyphs compare by shape wherever they stand.
QImage inkShape(const QImage& image, QRect box) {
  QRect bounds;
  for (int y = box.top(); y <= box.bottom(); ++y)
    for (int x = box.left(); x <= box.right(); ++x)
      if (qGray(image.pixel(x, y)) < 100 && qRed(image.pixel(x, y)) < 110) bounds |= QRect(x, y, 1, 1);
  if (bounds.isEmpty()) return {};
  QImage shape(16, 16, QImage::Format_Grayscale8);
  for (int sy = 0; sy < 16; ++sy)
    for (int sx = 0; sx < 16; ++sx) {
      const int x = bounds.left() + (sx * bounds.width() + bounds.width() / 2) / 16;
      const int y = bounds.top() + (sy * bounds.height() + bounds.height() / 2) / 16;
      const bool ink = qGray(image.pixel(x, y)) < 100 && qRed(image.pixel(x, y)) < 110;
      shape.setPixel(sx, sy, ink ? 0 : 255);
    }
  return shape;
}

// The shape's share of ink in common (intersection over union).
double overlap(const QImage& a, const QImage& b) {
  int both = 0, either = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const bool inkA = qGray(a.pixel(x, y)) == 0, inkB = qGray(b.pixel(x, y)) == 0;
      both += inkA && inkB;
      either += inkA || inkB;
    }
  return either == 0 ? 0 : double(both) / either;
}

// One glyph of the face painted alone, large, black on white.
QImage glyphAlone(const QRawFont& face, const ShapedText& shaped) {
  QImage image(400, 400, QImage::Format_RGB32);
  image.fill(Qt::white);
  QRawFont font = face;
  font.setPixelSize(200);
  QGlyphRun glyphs;
  glyphs.setRawFont(font);
  glyphs.setGlyphIndexes(shaped.glyphs);
  QVector<QPointF> positions;
  for (const QPointF& origin : shaped.origins) positions.push_back(QPointF(200, 100) + origin * 200);
  glyphs.setPositions(positions);
  QPainter painter(&image);
  painter.setPen(Qt::black);
  painter.drawGlyphRun(QPointF(0, 0), glyphs);
  painter.end();
  return inkShape(image, image.rect());
}

}  // namespace

class ManuscriptPagesTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir folder_;
  QString path(const QString& name) const { return folder_.filePath(name); }

 private Q_SLOTS:
  void sheetsAndPaper_data();
  void sheetsAndPaper();
  void bracketIsTheFacesVerticalForm();
  void faceWithoutJapaneseFallsBack();
};

void ManuscriptPagesTest::sheetsAndPaper_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<QString>("charsPerLine");
  QTest::addColumn<QString>("lines");
  QTest::addColumn<bool>("b4");
  QTest::addColumn<int>("pages");
  QTest::addColumn<QString>("pageSize");
  const QString a4 = QStringLiteral("842 x 595"), b4 = QStringLiteral("1032 x 729");
  QTest::newRow("400 characters fill one sheet of A4")
      << QString::fromStdU16String(repeat(u"あ", 400) + u"\r\n") << "20"
      << "20" << false << 1 << a4;
  QTest::newRow("801 characters take three sheets of B4")
      << QString::fromStdU16String(repeat(u"あ", 801) + u"\r\n") << "20"
      << "20" << true << 3 << b4;
  QTest::newRow("hanging stops keep twenty lines on one sheet")
      << QString::fromStdU16String(repeat(repeat(u"い", 20) + u"。\r\n", 20)) << "20"
      << "20" << false << 1 << a4;
  QTest::newRow("a 40 by 30 draft prints as many sheets as its blocks")
      << QString::fromStdU16String(repeat(u"う", 2500) + u"\r\n") << "40"
      << "30" << false << 3 << a4;
  QTest::newRow("an empty text gives one ruled sheet") << QString() << "20"
                                                       << "20" << false << 1 << a4;
}

void ManuscriptPagesTest::sheetsAndPaper() {
  QFETCH(QString, text);
  QFETCH(QString, charsPerLine);
  QFETCH(QString, lines);
  QFETCH(bool, b4);
  QFETCH(int, pages);
  QFETCH(QString, pageSize);
  ConversionSettings settings = twentyByTwenty();
  settings.charsPerLine = charsPerLine.toStdU16String();
  settings.linesPerColumn = lines.toStdU16String();
  const QString pdf = path(QStringLiteral("sheets.pdf"));
  const Painted result = paintToPdf(text.toStdU16String(), settings, pdf, b4 ? Paper::b4 : Paper::a4);
  QVERIFY(result.converted);
  QCOMPARE(result.sheets, pages);
  const QString info = run(QStringLiteral("pdfinfo"), {pdf});
  QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(pages))), qPrintable(info));
  QVERIFY2(info.contains(QStringLiteral("Page size:       %1 pts").arg(pageSize)), qPrintable(info));
  // Every face in the file is embedded, so the manuscript prints the same anywhere.
  const QStringList fonts = run(QStringLiteral("pdffonts"), {pdf}).split(u'\n', Qt::SkipEmptyParts).mid(2);
  QVERIFY(!fonts.isEmpty() || text.isEmpty());
  for (const QString& font : fonts) QVERIFY2(font.contains(QStringLiteral(" yes ")), qPrintable(font));
}

void ManuscriptPagesTest::bracketIsTheFacesVerticalForm() {
  const QString pdf = path(QStringLiteral("bracket.pdf"));
  QVERIFY(paintToPdf(u"「あ」\r\n", twentyByTwenty(), pdf).converted);
  const QString png = path(QStringLiteral("bracket"));
  constexpr int dpi = 300;
  run(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dpi),
                                   QStringLiteral("-singlefile"), pdf, png});
  const QImage page(png + QStringLiteral(".png"));
  QVERIFY(!page.isNull());

  // The first cell, inside its rules.
  const ManuscriptSheet sheet(print::paperSize(Paper::a4), 20, 20);
  const QRectF cell = sheet.cell(1, 1);
  const double scale = dpi / 72.0;
  const QRect box =
      QRectF(cell.topLeft() * scale, cell.size() * scale).toAlignedRect().adjusted(4, 4, -4, -4);
  const QImage printed = inkShape(page, box);
  QVERIFY2(!printed.isNull(), "the bracket's cell is empty");

  const PrintFace face = chooseFace(QString::fromStdU16String(twentyByTwenty().pdfFontFace));
  const VerticalShaper shaper(face.font);
  const QImage vertical = glyphAlone(face.font, shaper.vertical(u"「"));
  const QImage upright = glyphAlone(face.font, shaper.horizontal(u"「"));
  QVERIFY2(shaper.vertical(u"「").glyphs != shaper.horizontal(u"「").glyphs,
           "the face has no vertical form of the bracket");
  const double asVertical = overlap(printed, vertical), asHorizontal = overlap(printed, upright);
  QVERIFY2(asVertical > 0.75 && asHorizontal < 0.5,
           qPrintable(QStringLiteral("vertical %1, horizontal %2").arg(asVertical).arg(asHorizontal)));
  // ZELVATO_KEEP_PNG=FILE keeps the page to look at.
  if (qEnvironmentVariableIsSet("ZELVATO_KEEP_PNG"))
    QFile::copy(png + QStringLiteral(".png"), qEnvironmentVariable("ZELVATO_KEEP_PNG"));
}

void ManuscriptPagesTest::faceWithoutJapaneseFallsBack() {
  ConversionSettings settings = twentyByTwenty();
  settings.pdfFontFace = u"DejaVu Sans";
  const QString pdf = path(QStringLiteral("fallback.pdf"));
  const Painted result = paintToPdf(u"あ漢「", settings, pdf);
  QVERIFY(result.converted);
  QVERIFY(result.faceFellBack);
  QVERIFY2(japaneseFaces().contains(result.faceUsed), qPrintable(result.faceUsed));
  QVERIFY(!run(QStringLiteral("pdffonts"), {pdf}).contains(QStringLiteral("DejaVu")));
}

QTEST_MAIN(ManuscriptPagesTest)
#include "manuscript_pages_test.moc"
