// The choosers of the output file and the output folder.
#include <QFileDialog>
#include <QLineEdit>
#include <memory>

#include "frm_dir_select.h"
#include "frm_main.h"
#include "frm_main_texts.h"

namespace zelvato::ui {

namespace {

// The save dialog of an output file: the dialog is shared with the open
// command, so every property is set each time. The suffix is appended when
// the name has none; nothing changes on cancel.
void chooseOutputFile(QFileDialog* dialog, QLineEdit* field, const QString& filter, const QString& suffix) {
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setFileMode(QFileDialog::AnyFile);
  dialog->setOption(QFileDialog::DontConfirmOverwrite, true);
  dialog->setWindowTitle(texts::fileDialogTitle);
  dialog->setNameFilters({filter});
  dialog->setDefaultSuffix(suffix);
  if (dialog->exec() != QDialog::Accepted) return;
  const QStringList files = dialog->selectedFiles();
  if (files.isEmpty() || files.first().isEmpty()) return;
  field->setText(QDir::toNativeSeparators(files.first()));
}

}  // namespace

void frmMain::cmdFileSelect_Click() {
  chooseOutputFile(FileDialog(), txtOutput_[singleFileBox], texts::fileDialogFilter, QStringLiteral("html"));
}

void frmMain::cmdEpubSelect_Click() {
  chooseOutputFile(FileDialog(), txtOutput_[epubFileBox], texts::epubDialogFilter, QStringLiteral("epub"));
}

void frmMain::cmdFolderSelect_Click() {
  auto chooser = std::make_unique<frmDirSelect>(this);
  chooser->exec();
  if (!chooser->tag().isEmpty()) txtOutput_[outputFolderBox]->setText(chooser->tag());
}

}  // namespace zelvato::ui
