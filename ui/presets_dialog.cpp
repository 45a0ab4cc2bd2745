#include "presets_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QInputDialog>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>

#include "frm_main_texts.h"
#include "program_identity.h"

namespace zelvato::ui {

PresetsDialog::PresetsDialog(const QStringList& names, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("PresetsDialog"));
  setWindowTitle(texts::presetsDialogTitle);
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("lstPresets"));
  list_->addItems(names);
  rename_ = new QPushButton(texts::presetRename, this);
  rename_->setObjectName(QStringLiteral("cmdPresetRename"));
  delete_ = new QPushButton(texts::presetDelete, this);
  delete_->setObjectName(QStringLiteral("cmdPresetDelete"));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));

  auto* layout = new QGridLayout(this);
  layout->addWidget(list_, 0, 0, 3, 1);
  layout->addWidget(rename_, 0, 1);
  layout->addWidget(delete_, 1, 1);
  layout->setRowStretch(2, 1);
  layout->addWidget(buttons, 3, 0, 1, 2);

  connect(rename_, &QPushButton::clicked, this, &PresetsDialog::renameChosen);
  connect(delete_, &QPushButton::clicked, this, &PresetsDialog::deleteChosen);
  connect(list_, &QListWidget::itemDoubleClicked, this, &PresetsDialog::renameChosen);
  connect(list_, &QListWidget::currentRowChanged, this, &PresetsDialog::enableButtons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  if (list_->count() > 0) list_->setCurrentRow(0);
  enableButtons();
}

void PresetsDialog::enableButtons() {
  const bool chosen = list_->currentItem() != nullptr;
  rename_->setEnabled(chosen);
  delete_->setEnabled(chosen);
}

void PresetsDialog::renameChosen() {
  QListWidgetItem* item = list_->currentItem();
  if (item == nullptr) return;
  const QString old = item->text();
  bool ok = false;
  const QString name =
      QInputDialog::getText(this, texts::presetRename, texts::presetNewName, QLineEdit::Normal, old, &ok)
          .trimmed();
  if (!ok || name.isEmpty() || name == old) return;
  // Two presets of one name would be one.
  if (!list_->findItems(name, Qt::MatchExactly).isEmpty()) {
    QMessageBox::warning(this, programTitle, texts::presetNameTaken.arg(name));
    return;
  }
  edits_.append({old, name});
  item->setText(name);
}

void PresetsDialog::deleteChosen() {
  QListWidgetItem* item = list_->currentItem();
  if (item == nullptr) return;
  edits_.append({item->text(), std::nullopt});
  delete list_->takeItem(list_->row(item));
  enableButtons();
}

}  // namespace zelvato::ui
