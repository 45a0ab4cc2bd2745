#pragma once

#include <QString>

namespace zelvato {

namespace ui {
class frmMain;
}

// The Load command: selects the source tab, asks for a text file, and loads it
// into the source pane with the busy state and the result messages.
void openSourceFile(ui::frmMain& window);

// Reads the file into the source pane line by line, each line followed by
// CR LF, in chunks; false when the file could not be read.
bool loadSourceFile(ui::frmMain& window, const QString& path);

// Lets the user drop a text file on the source pane to load it.
void installSourceFileDrop(ui::frmMain& window);

}  // namespace zelvato
