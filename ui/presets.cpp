// The presets of the settings: the built-in ones, the user's own in the
// settings file, and the one step back after a preset is applied.
#include "presets.h"

#include <QAction>
#include <QMenu>
#include <QSettings>
#include <utility>

#include "option_controls.h"
#include "options/option_table.h"
#include "write/registry/writer_registry.h"

namespace zelvato::ui {

namespace {

const QString presetsGroup = QStringLiteral("presets");

QString presetGroup(const QString& name) {
  // A name is one key of the file: a slash would make it a group.
  QString key = name;
  key.replace(QLatin1Char('/'), QLatin1Char('_'));
  return presetsGroup + QLatin1Char('/') + key;
}

// Every user's preset in the file, without the menu's limit.
QStringList storedPresets(const QSettings& store) {
  // Entering a group changes no setting.
  auto& reading = const_cast<QSettings&>(store);
  reading.beginGroup(presetsGroup);
  QStringList names = reading.childGroups();
  reading.endGroup();
  return names;
}

bool sameOption(const OptionEntry& o, const ConversionSettings& a, const ConversionSettings& b) {
  if (o.text != nullptr) return a.*o.text == b.*o.text;
  if (o.number != nullptr) return (a.*o.number).typed() == (b.*o.number).typed();
  if (o.onOff != nullptr) return a.*o.onOff == b.*o.onOff;
  if (o.choiceOf != nullptr) return o.choiceOf(a) == o.choiceOf(b);
  return true;
}

void copyOption(const OptionEntry& o, const ConversionSettings& from, ConversionSettings& to) {
  if (o.text != nullptr) {
    to.*o.text = from.*o.text;
  } else if (o.number != nullptr) {
    to.*o.number = from.*o.number;
  } else if (o.onOff != nullptr) {
    to.*o.onOff = from.*o.onOff;
  } else if (o.choiceOf != nullptr && o.setChoice != nullptr) {
    o.setChoice(to, o.choiceOf(from));
  }
}

// `current` with the options `takes` chooses taken from `from`.
template <typename Takes>
WindowSettings withOptions(WindowSettings current, const ConversionSettings& from, Takes takes) {
  for (const OptionEntry* o : windowOptions())
    if (takes(*o)) copyOption(*o, from, current.conversion);
  return current;
}

// A sheet of manuscript paper: 20 characters by 20 lines, with the line-breaking rules.
WindowSettings manuscriptSettings(const WindowSettings& current) {
  WindowSettings sheet = current;
  sheet.conversion.charsPerLine = u"20";
  sheet.conversion.linesPerColumn = u"20";
  sheet.conversion.kinsoku = true;
  return sheet;
}

}  // namespace

bool isPresetOption(const OptionEntry& option) {
  switch (option.group) {
    case OptionGroup::layout:
    case OptionGroup::book:
      return true;
    case OptionGroup::typesetting:
      // The notation is the text's own, not a way of setting it.
      return option.key != "aozoraNotation" && option.key != "notation";
    case OptionGroup::output:
      // Of the output, only the look of the manuscript paper and of the reading type.
      for (std::string_view look : {"paperB4", "greyPaperLines", "readingTypeface", "readingFontFace",
                                    "readingFontSize", "readingLineHeight"})
        if (option.key == look) return true;
      return false;
    case OptionGroup::other:
      break;
  }
  return false;
}

QStringList userPresetNames(const QSettings& store) {
  // Only the presets' group is read: a file of many presets (or many other
  // keys) is not walked key by key.
  QStringList names = storedPresets(store);
  names.sort();
  if (names.size() > maxUserPresets) names.resize(maxUserPresets);
  return names;
}

void saveUserPreset(const SettingsModel& settings, QSettings& store, const QString& name) {
  const QString group = presetGroup(name);
  // Saved again, a preset holds only what it holds now.
  store.remove(group);
  settings.store(store, group, &isPresetOption);
}

std::optional<WindowSettings> withPreset(const WindowSettings& current, const QSettings& store,
                                         const QString& name) {
  if (name == startValuesPreset) return withOptions(current, ConversionSettings{}, &isPresetOption);
  if (name == manuscriptPreset) return manuscriptSettings(current);
  if (!userPresetNames(store).contains(name)) return std::nullopt;
  // A preset saved by an earlier release holds every setting; only a
  // preset's own are taken, and of those only the ones it stored.
  const QString group = presetGroup(name);
  const WindowSettings stored = SettingsModel::load(store, group);
  return withOptions(current, stored.conversion, [&](const OptionEntry& o) {
    return isPresetOption(o) && store.contains(group + QLatin1Char('/') + SettingsModel::rememberedKey(o));
  });
}

bool applyPreset(SettingsModel& settings, const QSettings& store, const QString& name) {
  const std::optional<WindowSettings> applied = withPreset(settings.settings(), store, name);
  if (!applied) return false;
  settings.reset(*applied);
  return true;
}

bool renameUserPreset(QSettings& store, const QString& from, const QString& to) {
  const QStringList names = storedPresets(store);
  const QString target = presetGroup(to).section(QLatin1Char('/'), 1);
  if (!names.contains(from) || to.trimmed().isEmpty() || target == from || names.contains(target))
    return false;
  store.beginGroup(presetGroup(from));
  QList<std::pair<QString, QVariant>> values;
  for (const QString& key : store.allKeys()) values.append({key, store.value(key)});
  store.endGroup();
  store.remove(presetGroup(from));
  for (const auto& [key, value] : values) store.setValue(presetGroup(to) + QLatin1Char('/') + key, value);
  return true;
}

bool deleteUserPreset(QSettings& store, const QString& name) {
  if (!storedPresets(store).contains(name)) return false;
  store.remove(presetGroup(name));
  return true;
}

void fillPresetsMenu(QMenu& menu, const QSettings& store) {
  menu.clear();
  const QStringList own = userPresetNames(store);
  int index = 0;
  const auto add = [&](const QString& name) {
    QAction* action = menu.addAction(name);
    action->setObjectName(QStringLiteral("mnuPreset(%1)").arg(index++));
    action->setData(name);
  };
  add(startValuesPreset);
  add(manuscriptPreset);
  if (!own.isEmpty()) menu.addSeparator();
  for (const QString& name : own) add(name);
}

WindowSettings withStepUndone(const WindowSettings& current, const SettingsStep& step) {
  WindowSettings undone = withOptions(current, step.before.conversion, [&](const OptionEntry& o) {
    return !sameOption(o, step.before.conversion, step.after.conversion);
  });
  ConversionSettings& s = undone.conversion;
  const ConversionSettings& before = step.before.conversion;
  if (before.outputMode != step.after.conversion.outputMode) s.outputMode = before.outputMode;
  for (const WriterEntry& w : writerRegistry())
    if (outputPath(before, w) != outputPath(step.after.conversion, w))
      setOutputPath(s, w, outputPath(before, w));
  if (step.before.autoPreview != step.after.autoPreview) undone.autoPreview = step.before.autoPreview;
  return undone;
}

}  // namespace zelvato::ui
