#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

class QPlainTextEdit;
class QPushButton;
class QTextDocument;
class QThread;

namespace zelvato::ui {

// Tab 4, 簡易出力HTML: the markup a run wrote, and the button that copies it all.
class HtmlPage : public QWidget {
  Q_OBJECT

 public:
  explicit HtmlPage(QWidget* parent = nullptr);
  ~HtmlPage() override;

  QPlainTextEdit* txtHTML() const { return txtHTML_; }
  QPushButton* cmdAllSelect() const { return cmdAllSelect_; }

  // The pane shows `markup` (CR LF line ends) in place of what it held. A
  // short one is shown at once; a long one is laid out as a document on a
  // thread of its own and shown when ready, so the window's thread never
  // waits for it. A later markup or clear replaces one still being made ready.
  void showMarkup(const QString& markup);
  void clearMarkup();
  // True while a long markup is being made ready.
  bool markupPending() const { return !builder_.isNull(); }
  // Waits for the markup being made ready and shows it: copying takes the whole.
  void finishMarkup();

  // Markup up to this many code units is shown at once.
  static constexpr qsizetype shownAtOnce = 64 * 1024;

 Q_SIGNALS:
  // The pane has taken a long markup made ready beside the window's thread.
  void markupShown();

 private:
  void adopt(QTextDocument* document);

  QPlainTextEdit* txtHTML_;
  QPushButton* cmdAllSelect_;
  // The markup being made ready, its document once made, and which request it answers.
  QPointer<QThread> builder_;
  std::shared_ptr<QTextDocument*> prepared_;
  int generation_ = 0;
};

}  // namespace zelvato::ui
