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
#include "run/conversion.h"
#include "run/manuscript_count.h"
#include "run/null_host.h"
#include "text/messages.h"
#include "write/registry/writer_registry.h"

namespace zelvato {
namespace {

// The medium of the manuscript PDF in the writer registry.
constexpr std::string_view manuscriptPdf = "pdf";

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
  ConversionSettings settings = window.readSettings();
  settings.outputMode = std::string(manuscriptPdf);
  settings = typesetSettings(settings);
  const std::u16string source = window.sourceText().toStdU16String();
  QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &window, [&](QPrinter* device) {
    print::ManuscriptPages pages(*device, settings, {});
    NullHost host;  // painted in one go: the window's run (and its Stop) is not involved
    convertText(source, settings, pages, host);
    window.setStatusText(faceNote(pages.faceFamily(), pages.faceFellBack()).trimmed());
  });
  preview.exec();
}

void exportManuscriptPdf(ui::frmMain& window) {
  const WriterEntry& pdf = *findWriter(manuscriptPdf);
  ui::FileRequest request;
  request.title = ui::texts::commandExportPdf;
  request.filters = {QString::fromStdU16String(std::u16string(pdf.dialogFilter))};
  request.defaultSuffix = QString::fromLatin1(pdf.defaultExtension.substr(1));
  request.confirmOverwrite = true;
  const std::optional<ui::FileAnswer> chosen = window.dialogs().saveFile(&window, request);
  if (!chosen) return;
  // The PDF is the writer registry's, as the converter's --pdf makes it.
  ConversionSettings settings = window.readSettings();
  settings.outputMode = pdf.key;
  setOutputPath(settings, pdf, chosen->path.toStdU16String());
  NullHost host;  // written in one go: the window's run (and its Stop) is not involved
  RunFiles files;
  const bool written =
      convertText(window.sourceText().toStdU16String(), settings, std::string(), host, &files);
  if (!written) {
    window.dialogs().inform(&window, texts::toQString(messages::conversionInterrupted),
                            ui::MessageIcon::stop);
    QString status = texts::conversionFailedStatus;
    if (files.failure)
      status += QLatin1Char(' ') + QFile::decodeName(QByteArray::fromStdString(files.failure->path)) +
                QStringLiteral(": ") + QString::fromLocal8Bit(files.failure->reason);
    window.setStatusText(status);
    return;
  }
  const QString face = files.face ? QString::fromStdString(files.face->family) : QString();
  window.setStatusText(texts::conversionDone + faceNote(face, files.face && files.face->fellBack));
}

void showManuscriptCount(ui::frmMain& window) {
  auto* label = window.statusBar()->findChild<QLabel*>(QStringLiteral("lblManuscriptCount"));
  if (label == nullptr) return;
  const std::size_t sheets = manuscriptSheets(window.sourceText().toStdU16String(), window.readSettings());
  label->setText(texts::toQString(manuscriptSheetsText(sheets)));
}

}  // namespace zelvato
