#include "source_text_edit.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>
#include <QTextDocument>
#include <QWheelEvent>
#include <algorithm>

namespace zelvato::ui {

namespace {

// Marks a paragraph of the document that continues the line of the one before.
constexpr int continuesLine = QTextFormat::UserProperty + 0x20;

bool continues(const QTextBlock& block) {
  return block.isValid() && block.blockFormat().boolProperty(continuesLine);
}

QTextBlockFormat lineFormat(QTextBlockFormat format, bool continuation) {
  if (continuation)
    format.setProperty(continuesLine, true);
  else
    format.clearProperty(continuesLine);
  return format;
}

// A piece never ends inside a surrogate pair or before a combining mark
// (a voiced mark, a variation selector), which would be shown apart from
// their character.
bool joinsTheCharacterBefore(QStringView line, qsizetype at) {
  const QChar c = line[at];
  if (c.isLowSurrogate()) return true;
  char32_t code = c.unicode();
  if (c.isHighSurrogate() && at + 1 < line.size() && line[at + 1].isLowSurrogate())
    code = QChar::surrogateToUcs4(c, line[at + 1]);
  const QChar::Category category = QChar::category(code);
  return category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
         category == QChar::Mark_Enclosing;
}

// A piece ends after a sentence or a clause where one ends near its full
// length: the pieces read as the text does, and a word looked for is rarely
// cut by a join.
bool endsASentence(QChar c) {
  return QStringView(u"。．！？!?、，」』）").contains(c) || c.isSpace();
}
constexpr qsizetype sentenceReach = 1000;

// The lengths of the pieces a line is shown in: itself when it is not long.
QList<qsizetype> pieceLengths(QStringView line) {
  if (line.size() <= SourceTextEdit::longestShownLine) return {line.size()};
  QList<qsizetype> lengths;
  qsizetype from = 0;
  while (from < line.size()) {
    qsizetype end = std::min(line.size(), from + SourceTextEdit::shownPiece);
    if (end < line.size()) {
      for (qsizetype at = end; at > end - sentenceReach; --at) {
        if (endsASentence(line[at - 1])) {
          end = at;
          break;
        }
      }
    }
    while (end < line.size() && end > from + 1 && joinsTheCharacterBefore(line, end)) --end;
    lengths.append(end - from);
    from = end;
  }
  return lengths;
}

bool hasLongLine(QStringView text) {
  for (qsizetype from = 0; from <= text.size();) {
    qsizetype end = text.indexOf(u'\n', from);
    if (end < 0) end = text.size();
    if (end - from > SourceTextEdit::longestShownLine) return true;
    from = end + 1;
  }
  return false;
}

}  // namespace

SourceTextEdit::SourceTextEdit(QWidget* parent) : QPlainTextEdit(parent) {
  setTabChangesFocus(false);
}

int SourceTextEdit::fontPointSize() const {
  return font().pointSize();
}

void SourceTextEdit::setFontPointSize(int points) {
  QFont f = font();
  f.setPointSize(std::clamp(points, smallestFont, largestFont));
  setFont(f);
}

bool SourceTextEdit::event(QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
    if (tab && (key->modifiers() & Qt::ControlModifier)) {
      const bool back = key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier);
      // The edit's own rule keeps the keyboard while Tab types; the widget's moves it on.
      QWidget::focusNextPrevChild(!back);
      return true;
    }
  }
  return QPlainTextEdit::event(event);
}

void SourceTextEdit::keyPressEvent(QKeyEvent* event) {
  int step = 0;
  if (event->matches(QKeySequence::ZoomIn) ||
      ((event->key() == Qt::Key_Plus || event->key() == Qt::Key_Equal) &&
       (event->modifiers() & Qt::ControlModifier)))
    step = 1;
  else if (event->matches(QKeySequence::ZoomOut))
    step = -1;
  if (step == 0) {
    if (mayHavePieces_ && !isReadOnly() && editAtJoin(event)) {
      event->accept();
      return;
    }
    QPlainTextEdit::keyPressEvent(event);
    return;
  }
  const int before = fontPointSize();
  setFontPointSize(before + step);
  if (fontPointSize() != before) Q_EMIT fontZoomed(fontPointSize());
  event->accept();
}

void SourceTextEdit::wheelEvent(QWheelEvent* event) {
  if (!(event->modifiers() & Qt::ControlModifier)) {
    QPlainTextEdit::wheelEvent(event);
    return;
  }
  const int steps = event->angleDelta().y() / QWheelEvent::DefaultDeltasPerStep;
  const int before = fontPointSize();
  if (steps != 0) setFontPointSize(before + steps);
  if (fontPointSize() != before) Q_EMIT fontZoomed(fontPointSize());
  event->accept();
}

void SourceTextEdit::setPlainText(const QString& text) {
  mayHavePieces_ = hasLongLine(text);
  if (!mayHavePieces_) {
    QPlainTextEdit::setPlainText(text);
    return;
  }
  // The text goes in as the pane's whole text does: in one step, out of the
  // undo history and not as an edit.
  QPlainTextEdit::setPlainText(QString());
  QTextDocument* doc = document();
  const bool modified = doc->isModified();
  const bool undo = doc->isUndoRedoEnabled();
  doc->setUndoRedoEnabled(false);
  QTextCursor start(doc);
  insertLines(start, text);
  doc->setUndoRedoEnabled(undo);
  doc->setModified(modified);
  moveCursor(QTextCursor::Start);
}

QString SourceTextEdit::toPlainText() const {
  // The document's own characters: the plain text the editor offers turns a
  // no-break space into a space and a line separator into a line break, and
  // the file would be saved so. Only the breaks between paragraphs are breaks.
  QString text = document()->toRawText();
  text.replace(QChar::ParagraphSeparator, u'\n');
  if (!mayHavePieces_) return text;
  // Each paragraph break is one character of the document's text: the joins
  // before the pieces are taken out where they stand.
  QChar* data = text.data();
  qsizetype kept = 0;
  qsizetype read = 0;
  for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
    if (!continues(block)) continue;
    const qsizetype join = block.position() - 1;
    std::copy(data + read, data + join, data + kept);
    kept += join - read;
    read = join + 1;
  }
  std::copy(data + read, data + text.size(), data + kept);
  kept += text.size() - read;
  text.truncate(kept);
  return text;
}

void SourceTextEdit::insertPlainText(const QString& text) {
  if (!mayHavePieces_ && !hasLongLine(text)) {
    QPlainTextEdit::insertPlainText(text);
    return;
  }
  QTextCursor cursor = textCursor();
  insertLines(cursor, text);
  setTextCursor(cursor);
  ensureCursorVisible();
}

QString SourceTextEdit::textBetween(int from, int to) const {
  QTextCursor range(document());
  range.setPosition(from);
  range.setPosition(to, QTextCursor::KeepAnchor);
  // Paragraph and line separators, each one code unit, as QTextDocument::toPlainText turns them.
  QString text = range.selectedText();
  QString joined;
  joined.reserve(text.size());
  qsizetype copied = 0;
  for (QTextBlock block = document()->findBlock(from).next(); block.isValid() && block.position() <= to;
       block = block.next()) {
    if (!continues(block)) continue;
    const qsizetype join = block.position() - 1 - from;
    joined.append(QStringView(text).mid(copied, join - copied));
    copied = join + 1;
  }
  joined.append(QStringView(text).mid(copied));
  for (QChar& c : joined) {
    if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
      c = u'\n';
    else if (c == QChar::Nbsp)
      c = u' ';
  }
  return joined;
}

void SourceTextEdit::insertLines(QTextCursor& cursor, const QString& text) {
  cursor.beginEditBlock();
  cursor.removeSelectedText();
  const QTextBlockFormat line = lineFormat(cursor.blockFormat(), false);
  const QTextBlockFormat piece = lineFormat(cursor.blockFormat(), true);
  qsizetype from = 0;
  while (from <= text.size()) {
    qsizetype end = text.indexOf(u'\n', from);
    if (end < 0) end = text.size();
    const QStringView part = QStringView(text).mid(from, end - from);
    qsizetype at = 0;
    for (const qsizetype length : pieceLengths(part)) {
      if (at > 0) {
        cursor.insertBlock(piece);
        mayHavePieces_ = true;
      }
      cursor.insertText(part.mid(at, length).toString());
      at += length;
    }
    // A line break of the text is a line of the pane, also inside a piece.
    if (end < text.size()) cursor.insertBlock(line);
    from = end + 1;
  }
  cursor.endEditBlock();
}

bool SourceTextEdit::editAtJoin(const QKeyEvent* event) {
  if (event->matches(QKeySequence::InsertParagraphSeparator)) {
    // The new line is a line of the text, also where it splits a piece.
    QTextCursor cursor = textCursor();
    insertLines(cursor, QStringLiteral("\n"));
    setTextCursor(cursor);
    ensureCursorVisible();
    return true;
  }
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
  if (modifiers != Qt::NoModifier) return false;
  if (event->key() == Qt::Key_Backspace) return deleteAcrossJoin(true);
  if (event->key() == Qt::Key_Delete) return deleteAcrossJoin(false);
  return false;
}

bool SourceTextEdit::deleteAcrossJoin(bool backward) {
  QTextCursor cursor = textCursor();
  if (cursor.hasSelection()) return false;
  bool moved = false;
  if (backward) {
    while (cursor.atBlockStart() && continues(cursor.block())) {
      cursor.movePosition(QTextCursor::PreviousCharacter);
      moved = true;
    }
  } else {
    while (cursor.atBlockEnd() && continues(cursor.block().next())) {
      cursor.movePosition(QTextCursor::NextCharacter);
      moved = true;
    }
  }
  if (!moved) return false;
  if (backward)
    cursor.deletePreviousChar();
  else
    cursor.deleteChar();
  setTextCursor(cursor);
  return true;
}

QTextBlock SourceTextEdit::blockOfLine(int line) const {
  if (!mayHavePieces_) return document()->findBlockByNumber(line);
  int number = -1;
  for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
    if (!continues(block)) ++number;
    if (number == line) return block;
  }
  return {};
}

int SourceTextEdit::lineOfBlock(const QTextBlock& block) const {
  if (!mayHavePieces_ || !block.isValid()) return block.blockNumber();
  int line = -1;
  for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
    if (!continues(b)) ++line;
    if (b == block) return line;
  }
  return -1;
}

int SourceTextEdit::shownPieceJoins() const {
  if (!mayHavePieces_) return 0;
  int joins = 0;
  for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
    if (continues(block)) ++joins;
  return joins;
}

QMimeData* SourceTextEdit::createMimeDataFromSelection() const {
  if (!mayHavePieces_) return QPlainTextEdit::createMimeDataFromSelection();
  const QTextCursor cursor = textCursor();
  auto* data = new QMimeData;
  data->setText(textBetween(cursor.selectionStart(), cursor.selectionEnd()));
  return data;
}

QString SourceTextEdit::sourceText() const {
  QString text = toPlainText();
  text.replace(u'\n', QStringLiteral("\r\n"));
  return text;
}

qsizetype SourceTextEdit::sourceLength() const {
  const QTextDocument* doc = document();
  // characterCount counts one paragraph separator per block, including a final
  // one; the joins of pieces are none of the text's.
  return doc->characterCount() - 1 + (doc->blockCount() - 1) - 2 * qsizetype{shownPieceJoins()};
}

void SourceTextEdit::insertFromMimeData(const QMimeData* source) {
  if (source == nullptr || !source->hasText()) {
    QPlainTextEdit::insertFromMimeData(source);
    return;
  }
  QString text = source->text();
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(u'\r', u'\n');
  if (mayHavePieces_ || hasLongLine(text)) {
    QTextCursor cursor = textCursor();
    insertLines(cursor, text);
    setTextCursor(cursor);
    ensureCursorVisible();
    return;
  }
  QMimeData plain;
  plain.setText(text);
  QPlainTextEdit::insertFromMimeData(&plain);
}

}  // namespace zelvato::ui
