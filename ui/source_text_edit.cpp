#include "source_text_edit.h"

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
