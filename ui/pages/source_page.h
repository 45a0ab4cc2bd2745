#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;

namespace zelvato::ui {

class SourceTextEdit;

// Tab 0, 変換元文章: the band with the character count above the source pane,
// and the find bar that takes the pane's foot while it is shown.
class SourcePage : public QWidget {
  Q_OBJECT

 public:
  explicit SourcePage(QWidget* parent = nullptr);

  SourceTextEdit* txtMain() const { return txtMain_; }

  // The count above the pane, for n code units; the hint when there are none.
  static QString characterCountText(qint64 n);
  // Shows the pane's count (txtMain_Change), or "変換処理中..." while a run has the pane.
  void txtMain_Change();
  void showConverting();

  // The find bar: shown with the pane's selection as its text; the next or
  // previous match from the caret, wrapping around once; false when there is none.
  void showFindBar();
  bool findInSource(bool backward);
  bool findBarShown() const;

  // The page's controls in keyboard order; the last one hands the keyboard back to the tab strip.
  QList<QWidget*> keyboardOrder() const;
  QWidget* lastControl() const;

 private:
  void closeFindBar();

  QLabel* count_;
  SourceTextEdit* txtMain_;
  QWidget* findBar_;
  QLineEdit* txtFind_;
};

}  // namespace zelvato::ui
