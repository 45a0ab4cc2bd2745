#pragma once

#include <QString>

class QPlainTextEdit;

namespace zelvato {

class WindowConversionHost;
namespace ui {
class frmMain;
}

// Appends a finished block at the end of the HTML pane and leaves the text
// already there untouched: setting the whole text again at every block would
// lay out everything before it once more, and a long run would slow down block
// by block. CR LF line ends become the pane's line breaks.
void appendToHtmlPane(QPlainTextEdit& pane, const QString& markup);

// Joins the host to the main window for a run: status texts go to the status
// bar, each finished block is appended to txtHTML and put on the clipboard, and
// the Stop button (Toolbar1 button 6) ends the run at its next position.
void bindToMainWindow(WindowConversionHost& host, ui::frmMain& window);

}  // namespace zelvato
