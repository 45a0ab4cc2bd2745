#pragma once

#include <QString>

namespace zelvato {

class WindowConversionHost;
namespace ui {
class frmMain;
}

// Joins the host to the main window: status texts go to the status bar and
// the finished blocks are appended to txtHTML, both queued onto the window's
// thread. The clipboard is the user's: only the copy button writes it.
void bindToMainWindow(WindowConversionHost& host, ui::frmMain& window);

}  // namespace zelvato
