#include "print_commands.h"

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QMenuBar>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStatusBar>

#include "app_texts.h"
#include "conversion.h"
#include "frm_main.h"
#include "manuscript_count.h"
#include "manuscript_pages.h"
#include "message_box.h"
#include "messages.h"
#include "write/manuscript/manuscript_pdf_writer.h"

namespace zelvato {
namespace {

const QString printCaption = QStringLiteral("印刷…");
const QString exportCaption = QStringLiteral("PDFに書き出す…");
const QString pdfFilter = QStringLiteral("PDF (*.pdf)");

// The manuscript is painted in one go; the window's run (and its Stop) is not involved.
class QuietHost : public ConversionHost {
 public:
  void yieldToEvents() override {}
  bool stopRequested() override { return false; }
  void setStatusText(std::u16string_view) override {}
  void blockMarkupFinished(std::u16string_view) override {}
};

// The face the manuscript was set in, named when it is not the one the settings ask for.
QString faceNote(const QString& face, bool fellBack) {
  return fellBack ? QStringLiteral(" 書体: %1").arg(face) : QString();
}

}  // namespace

void printManuscript(ui::frmMain& window) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageOrientation(QPageLayout::Landscape);
  printer.setPageSize(QPageSize(QPageSize::A4));
  // The sheet is laid out on the whole paper, not inside the printer's margins.
  printer.setFullPage(true);
  QPrintPreviewDialog preview(&printer, &window);
  const ConversionSettings settings = manuscript::manuscriptSettings(window.readSettings());
  const std::u16string source = window.sourceText().toStdU16String();
  QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &window, [&](QPrinter* device) {
    print::ManuscriptPages pages(*device, settings, {});
    QuietHost host;
    convertText(source, settings, pages, host);
    window.setStatusText(faceNote(pages.faceUsed(), pages.faceFellBack()).trimmed());
  });
  preview.exec();
}

void exportManuscriptPdf(ui::frmMain& window) {
  const QString target = QFileDialog::getSaveFileName(&window, exportCaption, QString(), pdfFilter);
  if (target.isEmpty()) return;
  QuietHost host;
  // The PDF is the engine's: its text layer reads as the text, its face is a Mincho.
  manuscript::ManuscriptPdfRun run;
  const bool written =
      manuscript::convertToManuscriptPdf(window.sourceText().toStdU16String(), window.readSettings(),
                                         QFile::encodeName(target).toStdString(), host, std::string(), run);
  if (!written) {
    ui::showMessage(&window, texts::toQString(messages::conversionInterrupted), ui::MessageIcon::stop);
    QString status = texts::conversionFailedStatus;
    if (run.failure)
      status += QLatin1Char(' ') + QFile::decodeName(QByteArray::fromStdString(run.failure->path)) +
                QStringLiteral(": ") + QString::fromLocal8Bit(run.failure->reason);
    window.setStatusText(status);
    return;
  }
  window.setStatusText(texts::conversionDone +
                       faceNote(QString::fromStdString(run.faceUsed), run.faceFellBack));
}

void addPrintCommands(ui::frmMain& window) {
  auto* print = new QAction(printCaption, &window);
  print->setObjectName(QStringLiteral("mnuPrint"));
  print->setShortcut(QKeySequence::Print);
  auto* pdf = new QAction(exportCaption, &window);
  pdf->setObjectName(QStringLiteral("mnuExportPdf"));
  window.menuBar()->insertActions(window.mnuVersion(), {print, pdf});
  // The shortcut works wherever the focus is in the window.
  window.addAction(print);
  // The count's place in the status bar is made now, so that showing it later
  // never changes the window's layout (and the preview's).
  auto* count = new QLabel(window.statusBar());
  count->setObjectName(QStringLiteral("lblManuscriptCount"));
  window.statusBar()->addPermanentWidget(count);
  QObject::connect(print, &QAction::triggered, &window, [&window] { printManuscript(window); });
  QObject::connect(pdf, &QAction::triggered, &window, [&window] { exportManuscriptPdf(window); });
}

void showManuscriptCount(ui::frmMain& window) {
  auto* label = window.statusBar()->findChild<QLabel*>(QStringLiteral("lblManuscriptCount"));
  if (label == nullptr) return;
  const std::size_t sheets = manuscriptSheets(window.sourceText().toStdU16String(), window.readSettings());
  label->setText(texts::toQString(manuscriptSheetsText(sheets)));
}

}  // namespace zelvato
