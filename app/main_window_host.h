#pragma once

#include <QString>

namespace zelvato {

class WindowConversionHost;
namespace ui {
class frmMain;
}

// Joins the host to the main window for a run: status texts go to the status
// bar, each finished block is appended to txtHTML and put on the clipboard, and
// the Stop command ends the run at its next position.
void bindToMainWindow(WindowConversionHost& host, ui::frmMain& window);

}  // namespace zelvato
