// The print preview of the manuscript PDF: it shows the file's own pages, and
// printing puts those pages on the printer's sheets, of the PDF's size and
// orientation, in the range the print dialog chose.

#include "pdf_print_preview.h"

#include <QPdfDocument>
#include <QPdfView>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "run/conversion.h"
#include "run/null_host.h"
#include "write/registry/writer_registry.h"

using zelvato::ui::PdfPrintPreview;

namespace {

// A manuscript of `sheets` sheets of 20 x 20, as the window's print command writes it.
bool writeManuscript(const QString& path, int sheets, bool b4 = false) {
  zelvato::ConversionSettings settings;
  settings.charsPerLine = u"20";
  settings.linesPerColumn = u"20";
  settings.paperB4 = b4;
  settings.outputMode = zelvato::writerKeys::manuscriptPdf;
  zelvato::setOutputPath(settings, *zelvato::findWriter(settings.outputMode), path.toStdU16String());
  zelvato::NullHost host;
  const std::u16string text(static_cast<std::size_t>(400 * sheets), u'縦');
  return zelvato::convertText(text, settings, std::string(), host);
}

// The share of the page's pixels that are not white.
double inkShare(const QImage& image) {
  qint64 ink = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) ink += qGray(image.pixel(x, y)) < 200;
  return image.isNull() ? 0 : static_cast<double>(ink) / (image.width() * image.height());
}

}  // namespace

class PdfPrintPreviewTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void thePreviewShowsTheFilesOwnPages_data() {
    QTest::addColumn<int>("sheets");
    QTest::addColumn<bool>("printable");
    QTest::newRow("one sheet") << 1 << true;
    QTest::newRow("three sheets") << 3 << true;
    QTest::newRow("no file to show") << 0 << false;
  }
  void thePreviewShowsTheFilesOwnPages() {
    QFETCH(int, sheets);
    QFETCH(bool, printable);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("sheets.pdf"));
    if (sheets > 0) QVERIFY(writeManuscript(pdf, sheets));
    PdfPrintPreview preview(pdf);
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    QCOMPARE(preview.document()->pageCount(), sheets);
    QCOMPARE(preview.view()->document(), preview.document());
    QCOMPARE(preview.findChild<QPushButton*>(QStringLiteral("cmdPrint"))->isEnabled(), printable);
  }

  // Printing renders the PDF's pages onto the printer: here a printer that
  // writes a PDF of its own, read back with QtPdf.
  void printingPutsThePagesOnTheSheets_data() {
    QTest::addColumn<bool>("b4");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("printed");
    QTest::newRow("every page of A4") << false << 0 << 0 << 3;
    QTest::newRow("every page of B4") << true << 0 << 0 << 3;
    QTest::newRow("the second page alone") << false << 2 << 2 << 1;
  }
  void printingPutsThePagesOnTheSheets() {
    QFETCH(bool, b4);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, printed);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("sheets.pdf"));
    QVERIFY(writeManuscript(pdf, 3, b4));
    QPdfDocument source;
    QCOMPARE(source.load(pdf), QPdfDocument::Error::None);

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString paper = dir.filePath(QStringLiteral("printed.pdf"));
    printer.setOutputFileName(paper);
    zelvato::ui::fitPrinterToPdf(source, printer);
    printer.setFromTo(from, to);
    QVERIFY(zelvato::ui::printPdfPages(source, printer));

    QPdfDocument sheets;
    QCOMPARE(sheets.load(paper), QPdfDocument::Error::None);
    QCOMPARE(sheets.pageCount(), printed);
    for (int page = 0; page < printed; ++page) {
      const QSizeF size = sheets.pagePointSize(page), expected = source.pagePointSize(0);
      QVERIFY2(qAbs(size.width() - expected.width()) < 1.5 && qAbs(size.height() - expected.height()) < 1.5,
               qPrintable(QStringLiteral("%1 x %2").arg(size.width()).arg(size.height())));
      // The sheet shows the page: its rules and characters, as much ink as the page has.
      const QImage onPaper = sheets.render(page, size.toSize());
      const QImage original = source.render(from > 0 ? from - 1 + page : page, size.toSize());
      QVERIFY(inkShare(original) > 0.01);
      QVERIFY2(qAbs(inkShare(onPaper) - inkShare(original)) < 0.02,
               qPrintable(QStringLiteral("%1 against %2").arg(inkShare(onPaper)).arg(inkShare(original))));
    }
  }
};

QTEST_MAIN(PdfPrintPreviewTest)
#include "pdf_print_preview_test.moc"
