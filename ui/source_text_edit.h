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

 protected:
  // Typed, pasted, dropped and composed text is cut to the room left before it
  // goes in, so undo and redo keep working as usual.
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;

 private:
  // Code units the text may still grow by when the selection is replaced.
  int room() const;
  // The longest head of `text` whose length, counted as the program counts it, fits `room`.
  static QString cutToRoom(const QString& text, int room);
  // Last resort for text set by the program: cut what went beyond the limit.
  void limitInsertedText(int position, int charsRemoved, int charsAdded);
  bool limiting_ = false;
};

}  // namespace zelvato::ui
