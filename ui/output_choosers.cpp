// The choosers of the output file and the output folder.
#include <QFileDialog>
#include <QLineEdit>
#include <memory>

#include "frm_dir_select.h"
#include "frm_main.h"
#include "frm_main_texts.h"

namespace zelvato::ui {

void frmMain::cmdFileSelect_Click() {
  // The dialog is shared with the open command, so every property is set each time.
  QFileDialog* dialog = FileDialog();
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setFileMode(QFileDialog::AnyFile);
  dialog->setOption(QFileDialog::DontConfirmOverwrite, true);
  dialog->setWindowTitle(texts::fileDialogTitle);
  dialog->setNameFilters({texts::fileDialogFilter});
  dialog->setDefaultSuffix(QStringLiteral("html"));
  if (dialog->exec() != QDialog::Accepted) return;
  const QStringList files = dialog->selectedFiles();
  if (files.isEmpty() || files.first().isEmpty()) return;
  txtOutput_[singleFileBox]->setText(QDir::toNativeSeparators(files.first()));
}

void frmMain::cmdFolderSelect_Click() {
  auto chooser = std::make_unique<frmDirSelect>(this);
  chooser->exec();
  if (!chooser->tag().isEmpty()) txtOutput_[outputFolderBox]->setText(chooser->tag());
}

}  // namespace zelvato::ui
