#include "frm_dir_select.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QStorageInfo>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include "program_identity.h"

namespace zelvato::ui {

namespace {

// Kernel and runtime file systems are not places to write pages to.
bool isOfferedVolume(const QStorageInfo& volume) {
  static const QStringList hiddenTypes{
      "proc",     "sysfs",  "devpts",    "cgroup",   "cgroup2",    "securityfs", "pstore", "debugfs",
      "tracefs",  "mqueue", "hugetlbfs", "configfs", "fusectl",    "bpf",        "autofs", "binfmt_misc",
      "devtmpfs", "nsfs",   "efivarfs",  "ramfs",    "rpc_pipefs", "squashfs"};
  if (!volume.isValid() || !volume.isReady()) return false;
  if (hiddenTypes.contains(QString::fromLatin1(volume.fileSystemType()))) return false;
  const QString root = volume.rootPath();
  if (root == QLatin1String("/")) return true;
  for (const char* prefix : {"/proc", "/sys", "/dev", "/run", "/snap", "/boot/efi", "/etc"}) {
    if (root == QLatin1String(prefix) || root.startsWith(QLatin1String(prefix) + u'/')) return false;
  }
  return QFileInfo(root).isDir();
}

bool contains(const QString& root, const QString& path) {
  if (root == QLatin1String("/")) return path.startsWith(u'/');
  return path == root || path.startsWith(root + u'/');
}

}  // namespace

QStringList frmDirSelect::driveList() {
  QStringList drives;
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (isOfferedVolume(volume) && !drives.contains(volume.rootPath())) drives << volume.rootPath();
  }
  drives.sort();
  const QString home = QDir::homePath();
  if (!drives.contains(home)) drives << home;
  return drives;
}

frmDirSelect::frmDirSelect(QWidget* parent)
    : QDialog(parent),
      dir_(new QTreeView(this)),
      drive_(new QComboBox(this)),
      cmdOK_(new QPushButton(QStringLiteral("OK"), this)),
      cmdCancel_(new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this)),
      model_(new QFileSystemModel(this)) {
  setObjectName(QStringLiteral("frmDirSelect"));
  setWindowTitle(QStringLiteral("出力先ﾃﾞｨﾚｸﾄﾘの指定"));
  setFont(QFont(QStringLiteral("MS UI Gothic"), 9));
  setModal(true);

  dir_->setObjectName(QStringLiteral("Dir"));
  drive_->setObjectName(QStringLiteral("Drive"));
  cmdOK_->setObjectName(QStringLiteral("cmdOK"));
  cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));

  model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  model_->setReadOnly(true);
  dir_->setModel(model_);
  for (int column = 1; column < model_->columnCount(); ++column) dir_->hideColumn(column);
  dir_->header()->hide();
  // The drive list above the folder tree, ｷｬﾝｾﾙ and OK at the bottom right.
  for (QPushButton* button : {cmdOK_, cmdCancel_}) button->setFixedSize(73, 25);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cmdCancel_);
  buttons->addWidget(cmdOK_);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(8, 8, 8, 8);
  column->setSpacing(4);
  column->addWidget(drive_);
  column->addWidget(dir_, 1);
  column->addLayout(buttons);
  // The dialog's fixed size: the tree shows a good part of a folder's subfolders.
  dir_->setMinimumSize(273, 160);
  setFixedSize(sizeHint().expandedTo(QSize(290, 249)));
  // Neither Enter nor Esc ends the window.
  for (QPushButton* button : {cmdOK_, cmdCancel_}) {
    button->setAutoDefault(false);
    button->setDefault(false);
  }
  setTabOrder(dir_, drive_);
  setTabOrder(drive_, cmdOK_);
  setTabOrder(cmdOK_, cmdCancel_);

  drive_->addItems(driveList());
  // Folders are read in the background; keep the open folder in sight as they come.
  const auto keepInSight = [this] {
    QTimer::singleShot(0, this, [this] {
      if (dir_->currentIndex().isValid()) dir_->scrollTo(dir_->currentIndex());
    });
  };
  connect(model_, &QFileSystemModel::directoryLoaded, this, keepInSight);
  connect(model_, &QFileSystemModel::layoutChanged, this, keepInSight);
  connect(drive_, &QComboBox::activated, this, &frmDirSelect::Drive_Change);
  connect(cmdOK_, &QPushButton::clicked, this, &frmDirSelect::cmdOK_Click);
  connect(cmdCancel_, &QPushButton::clicked, this, &frmDirSelect::cmdCancel_Click);
  Form_Load();
}

void frmDirSelect::Form_Load() {
  closeAllowed_ = false;
  tag_.clear();
  setCurrentFolder(QDir::currentPath());
}

void frmDirSelect::setCurrentFolder(const QString& path) {
  const QString folder = QDir::cleanPath(QDir(path).absolutePath());
  // The drive is the longest listed root that holds the folder.
  QString root;
  for (int i = 0; i < drive_->count(); ++i) {
    const QString candidate = drive_->itemText(i);
    if (contains(candidate, folder) && candidate.size() > root.size()) root = candidate;
  }
  if (root.isEmpty()) root = QStorageInfo(folder).rootPath();
  if (root.isEmpty()) root = QStringLiteral("/");
  if (drive_->findText(root) < 0) drive_->addItem(root);
  drive_->setCurrentIndex(drive_->findText(root));
  showDrive(root, folder);
}

void frmDirSelect::showDrive(const QString& root, const QString& folder) {
  model_->setRootPath(root);
  // The drive's own folder is the top entry of the tree, so it can be chosen too.
  dir_->setRootIndex(model_->index(root).parent());
  const QModelIndex current = model_->index(folder);
  if (!current.isValid()) return;
  dir_->setCurrentIndex(current);
  for (QModelIndex i = current; i.isValid(); i = i.parent()) dir_->expand(i);
  dir_->scrollTo(current);
}

QString frmDirSelect::currentFolder() const {
  const QModelIndex current = dir_->currentIndex();
  if (!current.isValid()) return QString();
  return model_->filePath(current);
}

void frmDirSelect::Drive_Change() {
  const QString root = drive_->currentText();
  if (!QFileInfo(root).isDir() || !QFileInfo(root).isReadable()) {
    // A drive that cannot be read leaves the tree where it was.
    const QString folder = currentFolder();
    for (int i = 0; i < drive_->count(); ++i) {
      if (contains(drive_->itemText(i), folder)) drive_->setCurrentIndex(i);
    }
    return;
  }
  // The drive that holds the current folder opens there; others at their root.
  const QString cwd = QDir::currentPath();
  showDrive(root, contains(root, cwd) ? cwd : root);
}

void frmDirSelect::cmdOK_Click() {
  QString path = currentFolder();
  if (!path.isEmpty() && !path.endsWith(u'/')) path += u'/';
  tag_ = path;
  closeAllowed_ = true;
  hide();
  done(Accepted);
}

void frmDirSelect::cmdCancel_Click() {
  closeAllowed_ = true;
  hide();
  done(Rejected);
}

void frmDirSelect::closeEvent(QCloseEvent* event) {
  if (!closeAllowed_) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void frmDirSelect::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void frmDirSelect::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The tree can scroll only once it is laid out at its size.
  QTimer::singleShot(0, this, [this] {
    if (dir_->currentIndex().isValid())
      dir_->scrollTo(dir_->currentIndex(), QAbstractItemView::PositionAtCenter);
  });
}

void frmDirSelect::reject() {
  if (closeAllowed_) QDialog::reject();
}

}  // namespace zelvato::ui
