#pragma once

#include <QString>

namespace zelvato::ui {

// Markup as the HTML pane shows it: its CR LF (or lone CR) line ends become
// the pane's line breaks.
inline QString markupPaneText(QString markup) {
  markup.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  markup.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return markup;
}

}  // namespace zelvato::ui
