#pragma once
// The dialogs of the tests: every question the code under test asks is
// answered from a table and recorded, and no dialog is ever shown.

#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "dialog_provider.h"

namespace zelvato::testing {

// One question asked.
struct Asked {
  enum class Kind { openFile, saveFile, folder, font, message, text, choice, printPreview };
  Kind kind = Kind::message;
  QString title;
  QStringList filters;
  QString selectedFilter;
  QString start;      // the file or folder the dialog starts at; the PDF a print preview shows
  QString suffix;     // the extension a name without one gets
  QString text;       // the message, or the label of the line or the choice asked for
  QStringList items;  // what a choice offers
  int current = -1;   // the item a choice proposes
  ui::MessageIcon icon = ui::MessageIcon::none;
  ui::MessageButtons buttons = ui::MessageButtons::ok;
  QFont font;  // what the font chooser starts with
  QColor color;
};

// Answers each kind of question from its own list, in order. A question
// whose list is used up is cancelled; a message box with only OK gets OK.
class FakeDialogs final : public ui::DialogProvider {
 public:
  QList<Asked> asked;  // every question, in order
  QList<Asked> shown;  // the message boxes alone
  // The PDFs the print preview showed, each file's bytes as it was shown.
  QList<QByteArray> previewed;

  QList<std::optional<ui::FileAnswer>> files;  // nothing: cancel
  QList<std::optional<QString>> folders;
  QList<std::optional<ui::FontAnswer>> fonts;
  QList<ui::MessageAnswer> answers;
  QList<std::optional<QString>> lines;
  QList<std::optional<int>> choices;  // the index chosen; nothing: cancel
  // Called as each question is asked, before it is answered.
  std::function<void(const Asked&)> onAsked;

  // The next file dialog chooses `path` (under `filter`, else the one selected).
  void answerFile(const QString& path, const QString& filter = {}) {
    files.append(ui::FileAnswer{path, filter});
  }

  std::optional<ui::FileAnswer> openFile(QWidget*, const ui::FileRequest& request) override {
    return file(Asked::Kind::openFile, request);
  }
  std::optional<ui::FileAnswer> saveFile(QWidget*, const ui::FileRequest& request) override {
    return file(Asked::Kind::saveFile, request);
  }
  std::optional<QString> chooseFolder(QWidget*, const ui::FolderRequest& request) override {
    Asked a;
    a.kind = Asked::Kind::folder;
    a.title = request.title;
    a.start = request.startFolder;
    record(a);
    return next(folders);
  }
  std::optional<ui::FontAnswer> chooseFont(QWidget*, const ui::FontRequest& request) override {
    Asked a;
    a.kind = Asked::Kind::font;
    a.title = request.title;
    a.font = request.font;
    a.color = request.color;
    record(a);
    return next(fonts);
  }
  ui::MessageAnswer message(QWidget*, const QString& text, ui::MessageIcon icon,
                            ui::MessageButtons buttons) override {
    Asked a;
    a.kind = Asked::Kind::message;
    a.text = text;
    a.icon = icon;
    a.buttons = buttons;
    shown.append(a);
    record(a);
    if (!answers.isEmpty()) return answers.takeFirst();
    return buttons == ui::MessageButtons::ok ? ui::MessageAnswer::ok : ui::MessageAnswer::cancel;
  }
  std::optional<int> chooseItem(QWidget*, const QString& label, const QStringList& items,
                                int current) override {
    Asked a;
    a.kind = Asked::Kind::choice;
    a.text = label;
    a.items = items;
    a.current = current;
    record(a);
    return next(choices);
  }
  std::optional<QString> askText(QWidget*, const QString& title, const QString& label) override {
    Asked a;
    a.kind = Asked::Kind::text;
    a.title = title;
    a.text = label;
    record(a);
    return next(lines);
  }

  void previewPrint(QWidget*, const QString& pdfPath) override {
    Asked a;
    a.kind = Asked::Kind::printPreview;
    a.start = pdfPath;
    record(a);
    QFile file(pdfPath);
    previewed.append(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
  }

  // The questions of one kind.
  QList<Asked> of(Asked::Kind kind) const {
    QList<Asked> found;
    for (const Asked& a : asked)
      if (a.kind == kind) found.append(a);
    return found;
  }

 private:
  template <typename T>
  static std::optional<T> next(QList<std::optional<T>>& list) {
    return list.isEmpty() ? std::nullopt : list.takeFirst();
  }
  void record(const Asked& a) {
    asked.append(a);
    if (onAsked) onAsked(a);
  }
  std::optional<ui::FileAnswer> file(Asked::Kind kind, const ui::FileRequest& request) {
    Asked a;
    a.kind = kind;
    a.title = request.title;
    a.filters = request.filters;
    a.selectedFilter = request.selectedFilter;
    a.start = request.startPath;
    a.suffix = request.defaultSuffix;
    record(a);
    std::optional<ui::FileAnswer> answer = next(files);
    if (answer && answer->filter.isEmpty())
      answer->filter = request.selectedFilter.isEmpty() && !request.filters.isEmpty()
                           ? request.filters.first()
                           : request.selectedFilter;
    return answer;
  }
};

}  // namespace zelvato::testing
