#pragma once

#include <QPlainTextEdit>

namespace zelvato::ui {

// The source pane. Its text is measured as the program counts it: a line
// break is CR LF, two code units. Typing, pasting, dropping or setting text
// beyond the limit is cut off at the limit.
class SourceTextEdit : public QPlainTextEdit {
  Q_OBJECT

 public:
  static constexpr int maximumLength = 65535;

  explicit SourceTextEdit(QWidget* parent);

  // The text with CR LF line breaks, as the conversion reads it.
  QString sourceText() const;
  // Its length in UTF-16 code units, CR and LF each counted.
  int sourceLength() const;

 private:
  void limitInsertedText(int position, int charsRemoved, int charsAdded);
  bool limiting_ = false;
};

}  // namespace zelvato::ui
