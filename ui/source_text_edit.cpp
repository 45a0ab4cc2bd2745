#include "source_text_edit.h"

#include <QMimeData>
#include <QTextDocument>

namespace zelvato::ui {

SourceTextEdit::SourceTextEdit(QWidget* parent) : QPlainTextEdit(parent) {}

QString SourceTextEdit::sourceText() const {
  QString text = toPlainText();
  text.replace(u'\n', QStringLiteral("\r\n"));
  return text;
}

qsizetype SourceTextEdit::sourceLength() const {
  const QTextDocument* doc = document();
  // characterCount counts one paragraph separator per block, including a final one.
  return doc->characterCount() - 1 + (doc->blockCount() - 1);
}

void SourceTextEdit::insertFromMimeData(const QMimeData* source) {
  if (source == nullptr || !source->hasText()) {
    QPlainTextEdit::insertFromMimeData(source);
    return;
  }
  QString text = source->text();
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(u'\r', u'\n');
  QMimeData plain;
  plain.setText(text);
  QPlainTextEdit::insertFromMimeData(&plain);
}

}  // namespace zelvato::ui
