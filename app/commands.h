#pragma once

#include <Qt>

class QKeyEvent;
class QPlainTextEdit;

namespace zelvato {

namespace ui {
class frmMain;
enum class Command;
}  // namespace ui

// The main window's commands: the seven Toolbar1 buttons, the copy button
// under the HTML pane, and select-all in the two text panes.

// Runs the command of a Toolbar1 button. While a conversion runs only Stop acts. An unforeseen error ends the
// command with "予期しないｴﾗｰが発生しました.".
void Toolbar1_ButtonClick(ui::frmMain& window, ui::Command command);

// Copies the whole HTML pane to the clipboard with CR LF line ends, selects it,
// and says so, also when the copy failed. The index of the one-member control
// array is not used.
void cmdAllSelect_Click(ui::frmMain& window, int index);

// Ctrl+A (Ctrl alone, no Shift, Alt or Meta) selects the whole text of the pane.
// The key event goes on to the pane unchanged. True when it selected.
bool selectAllOnCtrlA(QPlainTextEdit& pane, int key, Qt::KeyboardModifiers modifiers);
bool txtMain_KeyDown(ui::frmMain& window, const QKeyEvent& event);
bool txtHTML_KeyDown(ui::frmMain& window, const QKeyEvent& event);

// Joins every command to the window's buttons, menus and keys, once, after
// the window has been made; closing then asks about edited text and stores
// the settings and the window's geometry.
void connectCommands(ui::frmMain& window);

// The settings, the window's geometry, the presets and the recent files from
// the user's settings file; a bad value gives its start value.
void restoreUserSettings(ui::frmMain& window);

}  // namespace zelvato
