#include "print_commands.h"

#include <QFile>
#include <QFileInfo>

#include "conversion_run.h"
#include "dialog_provider.h"
#include "frm_main.h"
#include "frm_main_texts.h"
#include "temp_folder.h"
#include "write/registry/writer_registry.h"

namespace zelvato {

void printManuscript(ui::frmMain& window) {
  // Without a private folder nothing is written at all: tempFolder has said why.
  const QString folder = tempFolder(window.dialogs());
  if (folder.isEmpty()) return;
  const QString pdf = folder + QLatin1String(printFileName);
  runManuscriptPdf(window, pdf, [&window, pdf] {
    window.dialogs().previewPrint(&window, pdf);
    QFile::remove(pdf);
  });
}

void exportManuscriptPdf(ui::frmMain& window) {
  const WriterEntry& medium = *findWriter(writerKeys::manuscriptPdf);
  ui::FileRequest request;
  request.title = ui::texts::commandExportPdf;
  request.filters = {
      QString::fromUtf16(medium.dialogFilter.data(), static_cast<qsizetype>(medium.dialogFilter.size()))};
  request.defaultSuffix = QString::fromLatin1(medium.defaultExtension.substr(1));
  request.confirmOverwrite = true;
  if (!window.sourceFilePath().isEmpty())
    request.startPath = QFileInfo(window.sourceFilePath()).absolutePath();
  if (const std::optional<ui::FileAnswer> chosen = window.dialogs().saveFile(&window, request))
    runManuscriptPdf(window, ui::withDefaultSuffix(chosen->path, request.defaultSuffix));
}

}  // namespace zelvato
