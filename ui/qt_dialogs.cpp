// The real dialogs behind DialogProvider.
#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>

#include "dialog_provider.h"
#include "font_chooser.h"
#include "frm_dir_select.h"
#include "pdf_print_preview.h"
#include "program_identity.h"

namespace zelvato::ui {

QString withDefaultSuffix(const QString& path, const QString& suffix) {
  if (suffix.isEmpty() || path.isEmpty()) return path;
  const QString name = QFileInfo(path).fileName();
  // A name that is only a leading dot ("".profile"") has no extension either.
  if (name.lastIndexOf(QLatin1Char('.')) > 0) return path;
  return path + QLatin1Char('.') + suffix;
}

namespace {

// Qt's own dialog rather than the platform's, so its texts and behaviour are the
// same everywhere; a new one for every question, so no name of the last one stays.
std::optional<FileAnswer> askForFile(QWidget* parent, const FileRequest& request,
                                     QFileDialog::AcceptMode mode) {
  QFileDialog dialog(parent);
  dialog.setObjectName(QStringLiteral("FileDialog"));
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
  dialog.setAcceptMode(mode);
  // A name typed for a file that is not there comes back too: the program answers it itself.
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setWindowTitle(request.title);
  dialog.setNameFilters(request.filters);
  if (!request.selectedFilter.isEmpty()) dialog.selectNameFilter(request.selectedFilter);
  dialog.setDefaultSuffix(request.defaultSuffix);
  if (!request.startPath.isEmpty()) {
    if (QFileInfo(request.startPath).isDir()) {
      dialog.setDirectory(request.startPath);
    } else {
      dialog.selectFile(request.startPath);
    }
  }
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty() || chosen.first().isEmpty()) return std::nullopt;
  return FileAnswer{QDir::toNativeSeparators(chosen.first()), dialog.selectedNameFilter()};
}

QMessageBox::Icon toQtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::information:
      return QMessageBox::Information;
    case MessageIcon::warning:
      return QMessageBox::Warning;
    case MessageIcon::stop:
      return QMessageBox::Critical;
    case MessageIcon::question:
      return QMessageBox::Question;
    case MessageIcon::none:
      break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

std::optional<FileAnswer> QtDialogs::openFile(QWidget* parent, const FileRequest& request) {
  return askForFile(parent, request, QFileDialog::AcceptOpen);
}

std::optional<FileAnswer> QtDialogs::saveFile(QWidget* parent, const FileRequest& request) {
  return askForFile(parent, request, QFileDialog::AcceptSave);
}

std::optional<QString> QtDialogs::chooseFolder(QWidget* parent, const FolderRequest& request) {
  frmDirSelect chooser(parent);
  if (!request.title.isEmpty()) chooser.setWindowTitle(request.title);
  if (!request.startFolder.isEmpty()) chooser.setCurrentFolder(request.startFolder);
  chooser.exec();
  if (chooser.tag().isEmpty()) return std::nullopt;
  return chooser.tag();
}

std::optional<FontAnswer> QtDialogs::chooseFont(QWidget* parent, const FontRequest& request) {
  FontChooser dialog(parent);
  dialog.setWindowTitle(request.title);
  dialog.setCurrentFont(request.font);
  dialog.setCurrentColor(request.color);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return FontAnswer{dialog.selectedFont(), dialog.currentColor()};
}

MessageAnswer QtDialogs::message(QWidget* parent, const QString& text, MessageIcon icon,
                                 MessageButtons buttons) {
  QMessageBox box(toQtIcon(icon), programTitle, text, QMessageBox::NoButton, parent);
  box.setObjectName(QStringLiteral("ZelvatoMessageBox"));
  if (buttons == MessageButtons::ok) {
    box.setStandardButtons(QMessageBox::Ok);
  } else if (buttons == MessageButtons::yesNoCancel) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Yes);
  } else if (buttons == MessageButtons::restoreDiscard) {
    box.setStandardButtons(QMessageBox::Open | QMessageBox::Discard);
    box.button(QMessageBox::Open)->setText(QStringLiteral("復元"));
    box.button(QMessageBox::Discard)->setText(QStringLiteral("破棄"));
    // Closing the box decides nothing: the text is offered again at the next start.
    box.setDefaultButton(QMessageBox::Open);
  } else {
    box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    // The standard buttons, named in Japanese whatever translation is installed.
    box.button(QMessageBox::Save)->setText(QStringLiteral("保存"));
    box.button(QMessageBox::Discard)->setText(QStringLiteral("破棄"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("キャンセル"));
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
  }
  box.setWindowModality(Qt::ApplicationModal);
  box.raise();
  box.activateWindow();
  switch (box.exec()) {
    case QMessageBox::Yes:
      return MessageAnswer::yes;
    case QMessageBox::No:
      return MessageAnswer::no;
    case QMessageBox::Cancel:
      return MessageAnswer::cancel;
    case QMessageBox::Save:
      return MessageAnswer::save;
    case QMessageBox::Discard:
      return MessageAnswer::discard;
    case QMessageBox::Open:
      return MessageAnswer::restore;
    default:
      return buttons == MessageButtons::ok ? MessageAnswer::ok : MessageAnswer::cancel;
  }
}

std::optional<QString> QtDialogs::askText(QWidget* parent, const QString& title, const QString& label) {
  QInputDialog dialog(parent);
  dialog.setObjectName(QStringLiteral("TextDialog"));
  dialog.setWindowTitle(title);
  dialog.setLabelText(label);
  dialog.setInputMode(QInputDialog::TextInput);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.textValue();
}

std::optional<int> QtDialogs::chooseItem(QWidget* parent, const QString& label, const QStringList& items,
                                         int current) {
  if (items.isEmpty()) return std::nullopt;
  QInputDialog dialog(parent);
  dialog.setObjectName(QStringLiteral("ChoiceDialog"));
  dialog.setWindowTitle(programTitle);
  dialog.setLabelText(label);
  dialog.setComboBoxItems(items);
  dialog.setComboBoxEditable(false);
  // The whole list in view, not behind a drop-down.
  dialog.setOption(QInputDialog::UseListViewForComboBoxItems);
  dialog.setTextValue(items.value(current, items.front()));
  dialog.setWindowModality(Qt::ApplicationModal);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const qsizetype chosen = items.indexOf(dialog.textValue());
  if (chosen < 0) return std::nullopt;
  return static_cast<int>(chosen);
}

DialogProvider& realDialogs() {
  static QtDialogs dialogs;
  return dialogs;
}

void QtDialogs::previewPrint(QWidget* parent, const QString& pdfPath) {
  PdfPrintPreview preview(pdfPath, parent);
  preview.exec();
}

}  // namespace zelvato::ui
