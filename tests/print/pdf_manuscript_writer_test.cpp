// The PDF of manuscript paper as a reader gets it: its sheets and paper
// (pdfinfo), its faces embedded (pdffonts), and the page as pdftoppm paints
// it, compared with the face's own vertical glyphs painted alone.

#include "pdf_manuscript_writer.h"

#include <QDir>
#include <QFile>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "document/conversion_host.h"
#include "manuscript_pages.h"
#include "print_faces.h"
#include "run/null_host.h"
#include "vertical_shaper.h"

using namespace zelvato;
using namespace zelvato::print;

namespace {

using QuietHost = NullHost;

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

ConversionSettings manuscript() {
  ConversionSettings settings;
  settings.charsPerLine = u"20";
  settings.linesPerColumn = u"20";
  settings.kinsoku = true;
  return settings;
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

class PdfManuscriptWriterTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir folder_;
  QString path(const QString& name) const { return folder_.filePath(name); }

 private Q_SLOTS:
  void sheetsAndPaper_data();
  void sheetsAndPaper();
  void bracketIsTheFacesVerticalForm();
  void sideLinesAndHangingMarksStandWhereTheyBelong_data();
  void sideLinesAndHangingMarksStandWhereTheyBelong();
  void faceWithoutJapaneseFallsBack();
  void targetsThatAreRefused_data();
  void targetsThatAreRefused();
  void commandLineWritesManuscriptAndCountsSheets();
};

void PdfManuscriptWriterTest::sheetsAndPaper_data() {
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

void PdfManuscriptWriterTest::sheetsAndPaper() {
  QFETCH(QString, text);
  QFETCH(QString, charsPerLine);
  QFETCH(QString, lines);
  QFETCH(bool, b4);
  QFETCH(int, pages);
  QFETCH(QString, pageSize);
  ConversionSettings settings = manuscript();
  settings.charsPerLine = charsPerLine.toStdU16String();
  settings.linesPerColumn = lines.toStdU16String();
  const QString pdf = path(QStringLiteral("sheets.pdf"));
  QuietHost host;
  PdfRun result;
  QVERIFY(convertToPdf(text.toStdU16String(), settings, pdf.toStdString(),
                       {b4 ? Paper::b4 : Paper::a4, RuleColour::redBrown}, host, {}, result));
  QCOMPARE(result.sheets, pages);
  const QString info = run(QStringLiteral("pdfinfo"), {pdf});
  QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(pages))), qPrintable(info));
  QVERIFY2(info.contains(QStringLiteral("Page size:       %1 pts").arg(pageSize)), qPrintable(info));
  // Every face in the file is embedded, so the manuscript prints the same anywhere.
  const QStringList fonts = run(QStringLiteral("pdffonts"), {pdf}).split(u'\n', Qt::SkipEmptyParts).mid(2);
  QVERIFY(!fonts.isEmpty() || text.isEmpty());
  for (const QString& font : fonts) QVERIFY2(font.contains(QStringLiteral(" yes ")), qPrintable(font));
}

void PdfManuscriptWriterTest::bracketIsTheFacesVerticalForm() {
  const QString pdf = path(QStringLiteral("bracket.pdf"));
  QuietHost host;
  PdfRun result;
  QVERIFY(convertToPdf(u"「あ」\r\n", manuscript(), pdf.toStdString(), {}, host, {}, result));
  const QString png = path(QStringLiteral("bracket"));
  constexpr int dpi = 300;
  run(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dpi),
                                   QStringLiteral("-singlefile"), pdf, png});
  const QImage page(png + QStringLiteral(".png"));
  QVERIFY(!page.isNull());

  // The first cell, inside its rules.
  const ManuscriptSheet sheet(paperSize(Paper::a4), 20, 20);
  const QRectF cell = sheet.cell(1, 1);
  const double scale = dpi / 72.0;
  const QRect box =
      QRectF(cell.topLeft() * scale, cell.size() * scale).toAlignedRect().adjusted(4, 4, -4, -4);
  const QImage printed = inkShape(page, box);
  QVERIFY2(!printed.isNull(), "the bracket's cell is empty");

  const PrintFace face = chooseFace(QString::fromStdU16String(manuscript().fontFace));
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

void PdfManuscriptWriterTest::sideLinesAndHangingMarksStandWhereTheyBelong_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("row");  // the cell looked at in the first line, 21 below the frame
  QTest::addColumn<bool>("right");
  QTest::addColumn<bool>("left");
  QTest::addColumn<bool>("lower");  // ink in the lower half of the cell (the second of two marks)
  QTest::newRow("傍線 on the right") << QStringLiteral("あ［＃「あ」に傍線］") << 1 << true << false << true;
  QTest::newRow("波線 on the left") << QStringLiteral("あ［＃「あ」の左に波線］") << 1 << false << true
                                    << true;
  QTest::newRow("no line, no ink at the edges") << QStringLiteral("あ") << 1 << false << false << true;
  QTest::newRow("。」 share the cell below the frame")
      << QString::fromStdU16String(repeat(u"い", 20) + u"。」") << 21 << false << false << true;
  QTest::newRow("a stop alone stands at the top of that cell")
      << QString::fromStdU16String(repeat(u"い", 20) + u"。") << 21 << false << false << false;
}

// Ink near the edges of a cell (a 傍線 stands in the cell's margin on its side)
// and in its lower half (two marks below the frame stand one above the other).
void PdfManuscriptWriterTest::sideLinesAndHangingMarksStandWhereTheyBelong() {
  QFETCH(QString, text);
  QFETCH(int, row);
  QFETCH(bool, right);
  QFETCH(bool, left);
  QFETCH(bool, lower);
  ConversionSettings settings = manuscript();
  settings.aozoraNotation = true;
  const QString pdf = path(QStringLiteral("marks.pdf"));
  QuietHost host;
  PdfRun result;
  QVERIFY(convertToPdf(text.toStdU16String(), settings, pdf.toStdString(), {}, host, {}, result));
  const QString png = path(QStringLiteral("marks"));
  constexpr int dpi = 300;
  run(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dpi),
                                   QStringLiteral("-singlefile"), pdf, png});
  const QImage page(png + QStringLiteral(".png"));
  QVERIFY(!page.isNull());
  const ManuscriptSheet sheet(paperSize(Paper::a4), 20, 20);
  const double scale = dpi / 72.0;
  const QRect cell =
      QRectF(sheet.cell(row, 1).topLeft() * scale, sheet.cell(row, 1).size() * scale).toAlignedRect();
  const auto inked = [&](QRect box) { return !inkShape(page, box).isNull(); };
  const int edge = cell.width() / 9, inset = 3;
  const QRect rightEdge(cell.right() - edge, cell.top() + cell.height() / 4, edge - inset, cell.height() / 2);
  const QRect leftEdge(cell.left() + inset, cell.top() + cell.height() / 4, edge - inset, cell.height() / 2);
  const QRect lowerHalf(cell.left() + edge, cell.center().y() + 2, cell.width() - 2 * edge,
                        cell.height() / 2 - 4);
  QCOMPARE(inked(rightEdge), right);
  QCOMPARE(inked(leftEdge), left);
  QCOMPARE(inked(lowerHalf), lower);
}

void PdfManuscriptWriterTest::faceWithoutJapaneseFallsBack() {
  ConversionSettings settings = manuscript();
  settings.fontFace = u"DejaVu Sans";
  const QString pdf = path(QStringLiteral("fallback.pdf"));
  QuietHost host;
  PdfRun result;
  QVERIFY(convertToPdf(u"あ漢「", settings, pdf.toStdString(), {}, host, {}, result));
  QVERIFY(result.faceFellBack);
  QVERIFY2(japaneseFaces().contains(result.faceUsed), qPrintable(result.faceUsed));
  QVERIFY(!run(QStringLiteral("pdffonts"), {pdf}).contains(QStringLiteral("DejaVu")));
}

void PdfManuscriptWriterTest::targetsThatAreRefused_data() {
  QTest::addColumn<QString>("target");
  QTest::newRow("a folder") << folder_.path();
  QTest::newRow("a device") << QStringLiteral("/dev/null");
  QTest::newRow("the source file") << path(QStringLiteral("source.txt"));
}

void PdfManuscriptWriterTest::targetsThatAreRefused() {
  QFETCH(QString, target);
  const QString source = path(QStringLiteral("source.txt"));
  QFile file(source);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write("source text");
  file.close();
  QuietHost host;
  PdfRun result;
  QVERIFY(!convertToPdf(u"あ", manuscript(), target.toStdString(), {}, host, source.toStdString(), result));
  QVERIFY(result.failure.has_value());
  QVERIFY(QFileInfo(folder_.path()).isDir());
  QVERIFY(file.open(QIODevice::ReadOnly));
  QCOMPARE(file.readAll(), QByteArray("source text"));
  // Nothing is left behind beside the target.
  QCOMPARE(QDir(folder_.path()).entryList({QStringLiteral(".zelvato-*")}, QDir::Files | QDir::Hidden),
           QStringList());
}

void PdfManuscriptWriterTest::commandLineWritesManuscriptAndCountsSheets() {
  const QString source = path(QStringLiteral("story.txt"));
  QFile file(source);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(QString::fromStdU16String(repeat(u"え", 401) + u"\n").toUtf8());
  file.close();
  const QString pdf = path(QStringLiteral("story.pdf"));
  int status = -1;
  const QString output = run(QStringLiteral(ZELVATO_CONVERT_PATH),
                             {QStringLiteral("--manuscript"), QStringLiteral("--verbose"),
                              QStringLiteral("--paper=b4"), QStringLiteral("--pdf=") + pdf, source},
                             &status);
  QCOMPARE(status, 0);
  QVERIFY2(output.contains(QStringLiteral("400字詰め原稿用紙換算 2 枚")), qPrintable(output));
  QVERIFY(
      run(QStringLiteral("pdfinfo"), {pdf}).contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n"))));
}

QTEST_MAIN(PdfManuscriptWriterTest)
#include "pdf_manuscript_writer_test.moc"
