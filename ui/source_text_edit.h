#pragma once

#include <QPlainTextEdit>
#include <QTextBlock>

namespace zelvato::ui {

// The source pane. It takes a text of any length, a whole novel; its text is
// measured as the program counts it: a line break is CR LF, two code units.
//
// A line longer than `longestShownLine` is shown in pieces of at most
// `shownPiece` characters, each a paragraph of the pane's document that
// continues the one before it: the pane lays out and repaints a paragraph
// whole at every keystroke, which takes seconds for a line of millions of
// characters. The pieces are the display alone: the text read back, copied,
// counted and saved is the text as it was given and edited, and keys at the
// joins (Backspace, Delete, Enter) act on that text.
class SourceTextEdit : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit SourceTextEdit(QWidget* parent);

  static constexpr qsizetype longestShownLine = 100000;
  static constexpr qsizetype shownPiece = 10000;

  // The pane's text, its long lines shown in pieces. These stand for
  // QPlainTextEdit's own, which would read or make the pieces as lines.
  void setPlainText(const QString& text);
  QString toPlainText() const;
  void insertPlainText(const QString& text);

  // The paragraph of the document where line `line` of the text (from 0) begins,
  // and the line (from 0) a paragraph belongs to.
  QTextBlock blockOfLine(int line) const;
  int lineOfBlock(const QTextBlock& block) const;
  // How many paragraphs of the document continue the line before them.
  int shownPieceJoins() const;

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
  // Copied and dragged text: the lines as the text has them.
  QMimeData* createMimeDataFromSelection() const override;

 private:
  // Puts `text` (line breaks as LF) in place of the cursor's selection, its
  // long lines in pieces and its line breaks as lines whatever paragraph it
  // goes into.
  void insertLines(QTextCursor& cursor, const QString& text);
  // The text between two positions of the document, the joins of pieces left out.
  QString textBetween(int from, int to) const;
  // Backspace at the start of a piece and Delete at the end of the piece
  // before another take the character beyond the join; false when the key
  // is not at a join.
  bool deleteAcrossJoin(bool backward);
  // Enter, Backspace and Delete where the pane shows pieces; false when the
  // key is left to the pane.
  bool editAtJoin(const QKeyEvent* event);

  bool mayHavePieces_ = false;  // a long line was shown in pieces since the last setPlainText
};

}  // namespace zelvato::ui
