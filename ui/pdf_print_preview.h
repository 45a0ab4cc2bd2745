#pragma once

#include <QDialog>
#include <QString>

class QPdfDocument;
class QPdfView;
class QPrinter;

namespace zelvato::ui {

// The print preview of a PDF the program wrote (the manuscript): the very
// pages of the file, one below the other, fitted to the window, and 印刷…,
// which asks for a printer and prints those pages. What is previewed is what
// is written, and what is printed.
class PdfPrintPreview : public QDialog {
  Q_OBJECT

 public:
  explicit PdfPrintPreview(const QString& pdfPath, QWidget* parent = nullptr);

  QPdfDocument* document() const { return document_; }
  QPdfView* view() const { return view_; }

  // Asks for the printer (its paper set to the PDF's) and prints the pages.
  void print();

 private:
  QPdfDocument* document_;
  QPdfView* view_;
};

// Puts every page of `document` on `printer`, each filling a sheet of the
// PDF's own size and orientation, rendered at no more than 300 dots per inch;
// false when the document has no page or the printer cannot be painted on.
bool printPdfPages(QPdfDocument& document, QPrinter& printer);

// The printer's paper as the PDF's first page, landscape or portrait, the
// page laid out on the whole sheet.
void fitPrinterToPdf(QPdfDocument& document, QPrinter& printer);

}  // namespace zelvato::ui
