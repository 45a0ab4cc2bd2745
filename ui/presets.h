#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "settings_model.h"

class QMenu;
class QSettings;

namespace zelvato {
struct OptionEntry;
}

namespace zelvato::ui {

// A preset holds the look of the page (the grid's measures, the font, the
// look options), the typesetting rules, the book's format and the look of the
// manuscript paper and of the reading type. What belongs to one text or one
// output (the notation the text is written in, its title, cover and file
// names, the encoding, the medium and its paths) is never part of one:
// applying a preset leaves it as it is.
bool isPresetOption(const OptionEntry& option);

// The presets: the start values of a preset's settings, "400字詰め原稿用紙"
// (20 x 20 with 禁則処理, and nothing else) and the user's own, saved under a
// name in the settings file.
inline const QString startValuesPreset = QStringLiteral("既定値");
inline const QString manuscriptPreset = QStringLiteral("400字詰め原稿用紙");
// The user's presets by name, the first maxUserPresets of them in order: a
// settings file holding thousands keeps the menu and the start quick.
inline constexpr qsizetype maxUserPresets = 100;
QStringList userPresetNames(const QSettings& store);
// Saves the preset's settings of `settings` under `name`, replacing one of that name.
void saveUserPreset(const SettingsModel& settings, QSettings& store, const QString& name);
// `current` with a preset applied: only the settings the preset holds
// change (of a user's preset, those it stored). Nothing when there is no
// preset of that name.
std::optional<WindowSettings> withPreset(const WindowSettings& current, const QSettings& store,
                                         const QString& name);
// Applies a preset by name; false when there is none of that name.
bool applyPreset(SettingsModel& settings, const QSettings& store, const QString& name);
// A user's preset under a new name; false when there is none called `from`,
// or `to` is empty, the same or taken by another preset.
bool renameUserPreset(QSettings& store, const QString& from, const QString& to);
// False when there is no user's preset of that name.
bool deleteUserPreset(QSettings& store, const QString& name);
// Fills a preset menu: the two built-in presets, then the user's; each
// item's data is the preset's name.
void fillPresetsMenu(QMenu& menu, const QSettings& store);

// One change of the settings as a whole (a preset applied, the start values
// restored), kept so that it can be taken back.
struct SettingsStep {
  QString name;
  WindowSettings before;
  WindowSettings after;
};
// `current` with every setting the step changed as it was before the step;
// a setting the step left alone keeps what the user has made of it since.
WindowSettings withStepUndone(const WindowSettings& current, const SettingsStep& step);

}  // namespace zelvato::ui
