#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "document/conversion_settings.h"

class QSettings;

namespace zelvato::ui {

class frmMain;

// How a control holds its value.
enum class SettingKind {
  text,    // a text box; the value is its text
  number,  // a text box of a number; a value that is no number is refused
  check,   // a check box; "true" or "false"
  choice,  // a group of options named "name(0)", "name(1)", ...; the index of the one selected
};

// One remembered setting: its key in the settings file, the control that holds
// it (by object name; for a choice the name of the group without its index),
// the number of options of a choice, and its start value, taken from the
// settings record's defaults.
struct SettingEntry {
  QString key;
  QString control;
  SettingKind kind;
  int options;
  std::function<QString(const ConversionSettings&)> start;
};

// Every setting the window remembers, in the order they are restored: the
// font before the spacings that follow it, the style-sheet rule before the
// spacings it sets. The check boxes of the typesetting page come from the
// option table, each under "typeset/" and its settings key (or its key).
const std::vector<SettingEntry>& settingsTable();

// The user's settings file, ~/.config/zelvato/zelvato.ini.
std::unique_ptr<QSettings> openUserSettings();

// Writes every setting of the table from the window's controls under `group`.
void storeSettings(const frmMain& window, QSettings& store, const QString& group = {});
// Sets every control from the stored value; a key that is missing, of the
// wrong kind or out of range gives its start value. Never fails.
void restoreSettings(frmMain& window, const QSettings& store, const QString& group = {});
// The start values of today (既定値に戻す).
void applyStartValues(frmMain& window);
// The window's size, place and maximised state.
void storeGeometry(const frmMain& window, QSettings& store);
void restoreGeometry(frmMain& window, const QSettings& store);

// The presets: the start values, "400字詰め原稿用紙" (20 x 20 with 禁則処理) and
// the user's own, saved under a name in the settings file.
inline const QString startValuesPreset = QStringLiteral("既定値");
inline const QString manuscriptPreset = QStringLiteral("400字詰め原稿用紙");
QStringList userPresetNames(const QSettings& store);
void saveUserPreset(const frmMain& window, QSettings& store, const QString& name);
// Applies a preset by name; false when there is none of that name.
bool applyPreset(frmMain& window, const QSettings& store, const QString& name);
// Fills the window's preset menu: the two built-in presets, then the user's.
void fillPresetsMenu(frmMain& window, const QSettings& store);

// 最近使ったﾌｧｲﾙ: at most ten, newest first, each file once.
inline constexpr int recentFilesLimit = 10;
QStringList recentFiles(const QSettings& store);
void rememberRecentFile(QSettings& store, const QString& path);

}  // namespace zelvato::ui
