#pragma once

class QSettings;
class QString;

namespace zelvato {

namespace ui {
class frmMain;
struct WindowSettings;
}  // namespace ui

// The presets menu's commands: a preset applied as one step that 元に戻す
// takes back, and the user's own presets renamed and deleted.

// Joins the presets menu to the window, once, after the commands are made.
void installPresetCommands(ui::frmMain& window);

// Fills the presets menu from the settings file: the presets, then 元に戻す
// and ﾌﾟﾘｾｯﾄの名前の変更と削除....
void refreshPresetsMenu(ui::frmMain& window, const QSettings& store);

// The window's settings become `after` as one step, which undoSettingsStep
// takes back; the status bar names it. Nothing happens during a run.
void applySettingsStep(ui::frmMain& window, const QString& name, const ui::WindowSettings& after);
// Takes back the last step: every setting it changed is as it was before,
// the others keep what the user has made of them since. Once only; false
// when there is no step to take back, or a run is in progress.
bool undoSettingsStep(ui::frmMain& window);

// ﾌﾟﾘｾｯﾄの名前の変更と削除...: the user's presets in the dialog; the changes
// reach the settings file and the menu.
void editUserPresets(ui::frmMain& window);

}  // namespace zelvato
