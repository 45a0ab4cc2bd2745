#include "print_commands.h"

#include <QFile>
#include <QLabel>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStatusBar>

#include "app_texts.h"
#include "dialog_provider.h"
#include "frm_main.h"
#include "frm_main_texts.h"
#include "manuscript_pages.h"
#include "pdf_manuscript_writer.h"
#include "run/conversion.h"
#include "run/manuscript_count.h"
#include "run/null_host.h"
#include "text/messages.h"

namespace zelvato {
namespace {

const QString pdfFilter = QStringLiteral("PDF (*.pdf)");

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
  const ConversionSettings settings = print::manuscriptSettings(window.readSettings());
  const std::u16string source = window.sourceText().toStdU16String();
  QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &window, [&](QPrinter* device) {
    print::ManuscriptPages pages(*device, settings, {});
    NullHost host;  // painted in one go: the window's run (and its Stop) is not involved
    convertText(source, settings, pages, host);
    window.setStatusText(faceNote(pages.faceUsed(), pages.faceFellBack()).trimmed());
  });
  preview.exec();
}

void exportManuscriptPdf(ui::frmMain& window) {
  ui::FileRequest request;
  request.title = ui::texts::commandExportPdf;
  request.filters = {pdfFilter};
  request.defaultSuffix = QStringLiteral("pdf");
  request.confirmOverwrite = true;
  const std::optional<ui::FileAnswer> chosen = window.dialogs().saveFile(&window, request);
  if (!chosen) return;
  const QString target = chosen->path;
  NullHost host;  // painted in one go: the window's run (and its Stop) is not involved
  print::PdfRun run;
  const bool written =
      print::convertToPdf(window.sourceText().toStdU16String(), window.readSettings(),
                          QFile::encodeName(target).toStdString(), {}, host, std::string(), run);
  if (!written) {
    window.dialogs().inform(&window, texts::toQString(messages::conversionInterrupted),
                            ui::MessageIcon::stop);
    QString status = texts::conversionFailedStatus;
    if (run.failure)
      status += QLatin1Char(' ') + QFile::decodeName(QByteArray::fromStdString(run.failure->path)) +
                QStringLiteral(": ") + QString::fromLocal8Bit(run.failure->reason);
    window.setStatusText(status);
    return;
  }
  window.setStatusText(texts::conversionDone + faceNote(run.faceUsed, run.faceFellBack));
}

void showManuscriptCount(ui::frmMain& window) {
  auto* label = window.statusBar()->findChild<QLabel*>(QStringLiteral("lblManuscriptCount"));
  if (label == nullptr) return;
  const std::size_t sheets = manuscriptSheets(window.sourceText().toStdU16String(), window.readSettings());
  label->setText(texts::toQString(manuscriptSheetsText(sheets)));
}

}  // namespace zelvato
