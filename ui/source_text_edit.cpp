#include "source_text_edit.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextDocument>
#include <QWheelEvent>
#include <algorithm>

namespace zelvato::ui {

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
