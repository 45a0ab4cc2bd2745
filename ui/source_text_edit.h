#pragma once

#include <QPlainTextEdit>

namespace zelvato::ui {

// The source pane. It takes a text of any length, a whole novel; its text is
// measured as the program counts it: a line break is CR LF, two code units.
class SourceTextEdit : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit SourceTextEdit(QWidget* parent);

  // The text with CR LF line breaks, as the conversion reads it.
  QString sourceText() const;
  // Its length in UTF-16 code units, CR and LF each counted.
  qsizetype sourceLength() const;

  // The editing font's size in points: Ctrl+wheel, Ctrl++ and Ctrl+- change
  // it a point at a time, from 6 to 72.
  int fontPointSize() const;
  void setFontPointSize(int points);
  static constexpr int smallestFont = 6;
  static constexpr int largestFont = 72;

 Q_SIGNALS:
  // The user made the editing font larger or smaller.
  void fontZoomed(int points);

 protected:
  // Tab types a tab; Ctrl+Tab and Ctrl+Shift+Tab leave the pane as Tab does elsewhere.
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  // Pasted and dropped text: CR LF and a lone CR each become one line break.
  void insertFromMimeData(const QMimeData* source) override;
};

}  // namespace zelvato::ui
