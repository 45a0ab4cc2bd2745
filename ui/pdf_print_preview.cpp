#include "pdf_print_preview.h"

#include <QDialogButtonBox>
#include <QPainter>
#include <QPdfDocument>
#include <QPdfView>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace zelvato::ui {

namespace {

// The preview's own texts.
const QString previewTitle = QStringLiteral("印刷プレビュー");
const QString printCaption = QStringLiteral("印刷…");
const QString closeCaption = QStringLiteral("閉じる");

// A page rendered finer than this gains nothing on paper and costs memory:
// an A4 page at 1200 dots per inch would be half a gigabyte.
constexpr double finestDpi = 300;

}  // namespace

PdfPrintPreview::PdfPrintPreview(const QString& pdfPath, QWidget* parent)
    : QDialog(parent), document_(new QPdfDocument(this)), view_(new QPdfView(this)) {
  setObjectName(QStringLiteral("frmPrintPreview"));
  setWindowTitle(previewTitle);
  document_->load(pdfPath);
  view_->setObjectName(QStringLiteral("pdfPages"));
  view_->setDocument(document_);
  view_->setPageMode(QPdfView::PageMode::MultiPage);
  view_->setZoomMode(QPdfView::ZoomMode::FitInView);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* print = buttons->addButton(printCaption, QDialogButtonBox::AcceptRole);
  print->setObjectName(QStringLiteral("cmdPrint"));
  print->setEnabled(document_->pageCount() > 0);
  buttons->addButton(closeCaption, QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("cmdClose"));
  connect(print, &QPushButton::clicked, this, &PdfPrintPreview::print);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(view_, 1);
  layout->addWidget(buttons);
  resize(900, 680);
}

void PdfPrintPreview::print() {
  QPrinter printer(QPrinter::HighResolution);
  fitPrinterToPdf(*document_, printer);
  printer.setFromTo(1, document_->pageCount());
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() != QDialog::Accepted) return;
  if (printPdfPages(*document_, printer)) accept();
}

void fitPrinterToPdf(QPdfDocument& document, QPrinter& printer) {
  if (document.pageCount() <= 0) return;
  const QSizeF page = document.pagePointSize(0);
  // Page sizes are portrait; the orientation turns a wide page.
  const QSizeF portrait(std::min(page.width(), page.height()), std::max(page.width(), page.height()));
  printer.setFullPage(true);
  printer.setPageLayout(QPageLayout(
      QPageSize(portrait, QPageSize::Point),
      page.width() > page.height() ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF()));
}

bool printPdfPages(QPdfDocument& document, QPrinter& printer) {
  const int pages = document.pageCount();
  if (pages <= 0) return false;
  // The pages the print dialog chose, all when it chose none.
  const int first = printer.fromPage() > 0 ? std::clamp(printer.fromPage(), 1, pages) - 1 : 0;
  const int last = printer.toPage() > 0 ? std::clamp(printer.toPage(), first + 1, pages) - 1 : pages - 1;
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  const double dpi = std::min<double>(printer.resolution(), finestDpi);
  for (int page = first; page <= last; ++page) {
    if (page > first && !printer.newPage()) return false;
    const QSizeF points = document.pagePointSize(page);
    const QImage image = document.render(page, (points * dpi / 72.0).toSize());
    // The sheet is the page: the whole of it, without the printer's margins.
    painter.drawImage(QRectF(QPointF(0, 0), printer.pageLayout().fullRectPixels(printer.resolution()).size()),
                      image);
  }
  return painter.end();
}

}  // namespace zelvato::ui
