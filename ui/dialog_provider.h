#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace zelvato::ui {

enum class MessageIcon { none, information, warning, stop, question };
enum class MessageButtons { ok, yesNoCancel, saveDiscardCancel, restoreDiscard };
enum class MessageAnswer { ok, yes, no, cancel, save, discard, restore };

// What a file dialog is asked to offer.
struct FileRequest {
  QString title;
  QStringList filters;     // the first is chosen unless selectedFilter names another
  QString selectedFilter;  // empty: the first
  QString startPath;       // a file proposed, or a folder to start in; empty: the current folder, no name
  QString defaultSuffix;   // "html": given to a name typed without an extension
  bool confirmOverwrite = false;
};

// `path` with ".suffix" added when its file name has no extension at all
// ("neko" -> "neko.pdf"; "neko.txt" and an empty suffix leave it as it is).
QString withDefaultSuffix(const QString& path, const QString& suffix);

// The file chosen and the filter it was chosen under.
struct FileAnswer {
  QString path;
  QString filter;
};

struct FolderRequest {
  QString title;
  QString startFolder;  // empty: the current folder
};

struct FontRequest {
  QString title;
  QFont font;
  QColor color;
};

struct FontAnswer {
  QFont font;
  QColor color;
};

// Every question the program asks the user in a dialog of its own. The
// window and the commands ask through the window's provider; the program
// uses the real dialogs, a test answers them itself.
class DialogProvider {
 public:
  virtual ~DialogProvider() = default;

  // Nothing when the user cancels.
  virtual std::optional<FileAnswer> openFile(QWidget* parent, const FileRequest& request) = 0;
  virtual std::optional<FileAnswer> saveFile(QWidget* parent, const FileRequest& request) = 0;
  // A folder, ending with the path separator.
  virtual std::optional<QString> chooseFolder(QWidget* parent, const FolderRequest& request) = 0;
  virtual std::optional<FontAnswer> chooseFont(QWidget* parent, const FontRequest& request) = 0;
  // A message box titled with the program's name; the button pressed.
  virtual MessageAnswer message(QWidget* parent, const QString& text, MessageIcon icon,
                                MessageButtons buttons) = 0;
  // One of `items` (its index), chosen from a list under `label` with the one
  // at `current` proposed; nothing on cancel.
  virtual std::optional<int> chooseItem(QWidget* parent, const QString& label, const QStringList& items,
                                        int current) = 0;
  // One line of text (a preset's name); nothing on cancel.
  virtual std::optional<QString> askText(QWidget* parent, const QString& title, const QString& label) = 0;
  // The print preview of a PDF's pages, from which the user prints them;
  // returns when it is closed.
  virtual void previewPrint(QWidget* parent, const QString& pdfPath) = 0;

  void inform(QWidget* parent, const QString& text, MessageIcon icon) {
    message(parent, text, icon, MessageButtons::ok);
  }
  MessageAnswer askYesNoCancel(QWidget* parent, const QString& text, MessageIcon icon) {
    return message(parent, text, icon, MessageButtons::yesNoCancel);
  }
};

// The real dialogs: Qt's own file dialog, the folder chooser frmDirSelect,
// the fixed-pitch FontChooser, QMessageBox, QInputDialog and the PDF's print
// preview (pdf_print_preview.h), each made for the one question and gone
// afterwards.
class QtDialogs final : public DialogProvider {
 public:
  std::optional<FileAnswer> openFile(QWidget* parent, const FileRequest& request) override;
  std::optional<FileAnswer> saveFile(QWidget* parent, const FileRequest& request) override;
  std::optional<QString> chooseFolder(QWidget* parent, const FolderRequest& request) override;
  std::optional<FontAnswer> chooseFont(QWidget* parent, const FontRequest& request) override;
  MessageAnswer message(QWidget* parent, const QString& text, MessageIcon icon,
                        MessageButtons buttons) override;
  std::optional<int> chooseItem(QWidget* parent, const QString& label, const QStringList& items,
                                int current) override;
  std::optional<QString> askText(QWidget* parent, const QString& title, const QString& label) override;
  void previewPrint(QWidget* parent, const QString& pdfPath) override;
};

// The program's one set of real dialogs.
DialogProvider& realDialogs();

}  // namespace zelvato::ui
