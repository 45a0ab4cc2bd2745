#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QMenu;
class QSettings;
class QWidget;

namespace zelvato::ui {

class SettingsModel;
struct WindowSettings;

// The user's settings file, ~/.config/zelvato/zelvato.ini.
std::unique_ptr<QSettings> openUserSettings();

// The window's size, place and maximised state. Without a stored one (the
// first start) the window takes three quarters of its screen, centred.
void storeGeometry(const QWidget& window, QSettings& store);
void restoreGeometry(QWidget& window, const QSettings& store);

// The editing font's size in points, as the user zoomed it.
inline const QString editorFontSizeKey = QStringLiteral("editor/fontSize");

// The presets: the start values, "400字詰め原稿用紙" (20 x 20 with 禁則処理) and
// the user's own, saved under a name in the settings file.
inline const QString startValuesPreset = QStringLiteral("既定値");
inline const QString manuscriptPreset = QStringLiteral("400字詰め原稿用紙");
// The user's presets by name, the first maxUserPresets of them in order: a
// settings file holding thousands keeps the menu and the start quick.
inline constexpr qsizetype maxUserPresets = 100;
QStringList userPresetNames(const QSettings& store);
void saveUserPreset(const SettingsModel& settings, QSettings& store, const QString& name);
// Applies a preset by name; false when there is none of that name.
bool applyPreset(SettingsModel& settings, const QSettings& store, const QString& name);
// Fills a preset menu: the two built-in presets, then the user's; each
// item's data is the preset's name.
void fillPresetsMenu(QMenu& menu, const QSettings& store);

// 最近使ったﾌｧｲﾙ: at most ten, newest first, each file once.
inline constexpr int recentFilesLimit = 10;
QStringList recentFiles(const QSettings& store);
void rememberRecentFile(QSettings& store, const QString& path);

}  // namespace zelvato::ui
