#include "source_text_edit.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace zelvato::ui {

namespace {
// The document's paragraph breaks stand for CR LF.
int weight(QChar c) {
  return c == QChar::ParagraphSeparator || c == u'\n' ? 2 : 1;
}
}  // namespace

SourceTextEdit::SourceTextEdit(QWidget* parent) : QPlainTextEdit(parent) {
  connect(document(), &QTextDocument::contentsChange, this, &SourceTextEdit::limitInsertedText);
}

QString SourceTextEdit::sourceText() const {
  QString text = toPlainText();
  text.replace(u'\n', QStringLiteral("\r\n"));
  return text;
}

int SourceTextEdit::sourceLength() const {
  const QTextDocument* doc = document();
  // characterCount counts one paragraph separator per block, including a final one.
  return doc->characterCount() - 1 + (doc->blockCount() - 1);
}

int SourceTextEdit::room() const {
  const QString selected = textCursor().selectedText();
  int selectedLength = 0;
  for (QChar c : selected) selectedLength += weight(c);
  return maximumLength - sourceLength() + selectedLength;
}

QString SourceTextEdit::cutToRoom(const QString& text, int room) {
  int used = 0;
  int i = 0;
  for (; i < text.size(); ++i) {
    const int w = weight(text.at(i));
    if (used + w > room) break;
    used += w;
  }
  // A surrogate pair is never split.
  if (i > 0 && i < text.size() && text.at(i - 1).isHighSurrogate()) --i;
  return text.left(i);
}

void SourceTextEdit::keyPressEvent(QKeyEvent* event) {
  if (!isReadOnly() && event->matches(QKeySequence::Paste) == false) {
    const bool lineBreak = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const QString text = event->text();
    const bool printable = !text.isEmpty() && text.at(0).isPrint();
    if ((lineBreak || printable) && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
      const int needed = lineBreak ? 2 : static_cast<int>(text.size());
      if (needed > room()) {
        event->accept();
        return;
      }
    }
  }
  QPlainTextEdit::keyPressEvent(event);
}

void SourceTextEdit::inputMethodEvent(QInputMethodEvent* event) {
  const QString commit = event->commitString();
  if (!commit.isEmpty()) {
    const QString fitting = cutToRoom(commit, room());
    if (fitting.size() != commit.size()) {
      QInputMethodEvent cut(event->preeditString(), event->attributes());
      cut.setCommitString(fitting, event->replacementStart(), event->replacementLength());
      QPlainTextEdit::inputMethodEvent(&cut);
      return;
    }
  }
  QPlainTextEdit::inputMethodEvent(event);
}

void SourceTextEdit::insertFromMimeData(const QMimeData* source) {
  if (source == nullptr || !source->hasText()) {
    QPlainTextEdit::insertFromMimeData(source);
    return;
  }
  QString text = source->text();
  // CR LF and a lone CR each become one line break of the pane.
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(u'\r', u'\n');
  QMimeData fitting;
  fitting.setText(cutToRoom(text, room()));
  QPlainTextEdit::insertFromMimeData(&fitting);
}

void SourceTextEdit::limitInsertedText(int position, int /*charsRemoved*/, int charsAdded) {
  if (limiting_ || charsAdded <= 0) return;
  int excess = sourceLength() - maximumLength;
  if (excess <= 0) return;

  // Cut from the end of what was just inserted, so earlier text stays whole.
  QTextDocument* doc = document();
  int end = std::min(position + charsAdded, doc->characterCount() - 1);
  int start = end;
  while (excess > 0 && start > position) {
    --start;
    excess -= weight(doc->characterAt(start));
  }
  if (start == end) return;
  limiting_ = true;
  QTextCursor cursor(doc);
  cursor.setPosition(start);
  cursor.setPosition(end, QTextCursor::KeepAnchor);
  cursor.removeSelectedText();
  limiting_ = false;
}

}  // namespace zelvato::ui
