#pragma once

#include <QPlainTextEdit>
#include <QTextCursor>

namespace zelvato::ui {

// Appends at the end of the pane and leaves the text already there untouched:
// setting the whole text again for every piece would lay out everything before
// it once more, and a long run would slow down piece by piece.
inline void appendToPane(QPlainTextEdit& pane, const QString& text) {
  if (text.isEmpty()) return;
  QTextCursor end(pane.document());
  end.movePosition(QTextCursor::End);
  end.insertText(text);
}

// A finished block of markup into the HTML pane: its CR LF (or lone CR) line
// ends become the pane's line breaks.
inline void appendMarkupToPane(QPlainTextEdit& pane, const QString& markup) {
  QString text = markup;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  appendToPane(pane, text);
}

}  // namespace zelvato::ui
