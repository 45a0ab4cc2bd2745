#pragma once

#include <Qt>
#include <span>

class QKeyEvent;
class QPlainTextEdit;

namespace zelvato {

namespace ui {
class frmMain;
struct CommandEntry;
}  // namespace ui

// The main window's commands: every menu item and Toolbar1 button, declared
// once in the command table; the copy button under the HTML pane; and
// select-all in the two text panes.

// Every command of the window, in the order of the menus. Adding a command
// is one entry here and its handler.
std::span<const ui::CommandEntry> commandTable();

// 新規作成: keeps or saves edited text, then an empty source on the source tab.
void newSource(ui::frmMain& window);
// HTML保存: the output page with one HTML file chosen, an empty source loaded
// first, the output file asked for, then whether to convert now.
void saveHtml(ui::frmMain& window);
// ﾍﾙﾌﾟ: the help page in a window of its own; the preview keeps the result.
void showHelp(ui::frmMain& window);
// 現在の設定に名前を付けて保存...: the settings as a preset of the user's, under a name asked for.
void savePresetAs(ui::frmMain& window);

// Copies the whole HTML pane to the clipboard with CR LF line ends, selects it,
// and says so, also when the copy failed. The index of the one-member control
// array is not used.
void cmdAllSelect_Click(ui::frmMain& window, int index);

// Ctrl+A (Ctrl alone, no Shift, Alt or Meta) selects the whole text of the pane.
// The key event goes on to the pane unchanged. True when it selected.
bool selectAllOnCtrlA(QPlainTextEdit& pane, int key, Qt::KeyboardModifiers modifiers);

// Makes the window's commands from the table and joins the rest of the
// program to the window, once, after the window has been made; closing then
// asks about edited text and stores the settings and the window's geometry.
void connectCommands(ui::frmMain& window);

// The settings, the window's geometry, the presets and the recent files from
// the user's settings file; a bad value gives its start value.
void restoreUserSettings(ui::frmMain& window);

}  // namespace zelvato
