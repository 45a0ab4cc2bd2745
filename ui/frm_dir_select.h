#pragma once

#include <QDialog>

class QComboBox;
class QFileSystemModel;
class QPushButton;
class QTreeView;

namespace zelvato::ui {

// The output folder chooser: a drive list (the mounted volumes and the home
// folder) above a tree of that drive's folders, opened at the current folder.
// Only OK and ｷｬﾝｾﾙ end it; the close box and Esc are refused until then.
// After OK, tag() holds the chosen folder ending in the path separator.
class frmDirSelect : public QDialog {
  Q_OBJECT

 public:
  explicit frmDirSelect(QWidget* parent);

  QString tag() const { return tag_; }
  bool closeAllowed() const { return closeAllowed_; }

  QTreeView* Dir() const { return dir_; }
  QComboBox* Drive() const { return drive_; }
  QPushButton* cmdOK() const { return cmdOK_; }
  QPushButton* cmdCancel() const { return cmdCancel_; }

  // The folder open in the tree; empty when none is.
  QString currentFolder() const;
  // Opens a folder in the tree, switching the drive list when needed.
  void setCurrentFolder(const QString& path);

  void Form_Load();
  void Drive_Change();
  void cmdOK_Click();
  void cmdCancel_Click();

  // The drives offered on this machine: volume roots and the home folder.
  static QStringList driveList();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;

 public Q_SLOTS:
  void reject() override;

 private:
  void showDrive(const QString& root, const QString& folder);

  QTreeView* dir_;
  QComboBox* drive_;
  QPushButton* cmdOK_;
  QPushButton* cmdCancel_;
  QFileSystemModel* model_;
  QString tag_;
  bool closeAllowed_ = false;
};

}  // namespace zelvato::ui
