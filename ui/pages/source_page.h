#pragma once

#include <QWidget>

#include "outline_heading.h"

class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QSplitter;

namespace zelvato::ui {

class SourceTextEdit;

// Tab 0, 変換元文章: the band with the character count above the source pane,
// and the find bar that takes the pane's foot while it is shown.
class SourcePage : public QWidget {
  Q_OBJECT

 public:
  explicit SourcePage(QWidget* parent = nullptr);

  SourceTextEdit* txtMain() const { return txtMain_; }

  // What a writer counts in a text (line breaks as LF): its characters (code
  // points, line breaks not counted; 𠮷 is one) and its lines (a final line
  // break ends the last line and starts none).
  struct TextCounts {
    qint64 characters = 0;
    qint64 lines = 0;
  };
  static TextCounts countText(QStringView text);
  // The count above the pane, "( 1,234 字 / 56 行)"; the hint for an empty text.
  static QString characterCountText(TextCounts counts);
  // Shows the pane's count (txtMain_Change), or "変換処理中..." while a run has the pane.
  void txtMain_Change();
  void showConverting();

  // The find bar: shown with the pane's selection as its text; the next or
  // previous match from the caret, wrapping around once; false when there is
  // none, and the bar says 「見つかりません」.
  void showFindBar();
  bool findInSource(bool backward);
  bool findBarShown() const;
  // 置換: the selected match becomes the replacement and the next match is
  // selected; without a selected match, the next one is only found.
  // すべて置換: every match, as one step of undo; the number replaced.
  bool replaceInSource();
  int replaceAllInSource();

  // 見出し: the text's headings, in a list beside it that is shown only
  // while there are any; choosing one puts the caret at its line.
  void setOutline(const Outline& outline);
  QListWidget* headingList() const { return headings_; }

  // The pane at the right of the text where the vertical page is shown, and
  // the splitter between them.
  QFrame* pagePane() const { return pagePane_; }
  QSplitter* pageSplitter() const { return pageSplitter_; }

  // The page's controls in keyboard order; the last one hands the keyboard back to the tab strip.
  QList<QWidget*> keyboardOrder() const;
  QWidget* lastControl() const;

 private:
  void closeFindBar();

  void jumpToHeading(int row);

  QLabel* count_;
  SourceTextEdit* txtMain_;
  QListWidget* headings_;
  Outline outline_;
  QWidget* findBar_;
  QLineEdit* txtFind_;
  QLineEdit* txtReplace_;
  QLabel* findResult_;
  QFrame* pagePane_;
  QSplitter* pageSplitter_;
};

}  // namespace zelvato::ui
