#pragma once

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace zelvato::ui {

// Tab 4, 簡易出力HTML: the markup a run wrote, and the button that copies it all.
class HtmlPage : public QWidget {
  Q_OBJECT

 public:
  explicit HtmlPage(QWidget* parent = nullptr);

  QPlainTextEdit* txtHTML() const { return txtHTML_; }
  QPushButton* cmdAllSelect() const { return cmdAllSelect_; }

 private:
  QPlainTextEdit* txtHTML_;
  QPushButton* cmdAllSelect_;
};

}  // namespace zelvato::ui
