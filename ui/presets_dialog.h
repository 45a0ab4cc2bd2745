#pragma once

#include <QDialog>
#include <QList>
#include <QStringList>

#include "dialog_provider.h"

class QListWidget;
class QPushButton;

namespace zelvato::ui {

// ﾌﾟﾘｾｯﾄの整理: the user's presets in a list, each to rename or delete.
// Nothing changes in the settings file until OK; the changes are then
// handed back in the order they were made.
class PresetsDialog : public QDialog {
  Q_OBJECT

 public:
  explicit PresetsDialog(const QStringList& names, QWidget* parent = nullptr);

  const QList<PresetEdit>& edits() const { return edits_; }

 private:
  void renameChosen();
  void deleteChosen();
  void enableButtons();

  QListWidget* list_;
  QPushButton* rename_;
  QPushButton* delete_;
  QList<PresetEdit> edits_;
};

}  // namespace zelvato::ui
