// What the window remembers beside its settings: its geometry, the presets
// and the recent files.
#include "settings_store.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QStandardPaths>
#include <QWidget>

#include "settings_model.h"

namespace zelvato::ui {

namespace {

const QString pageSplitterName = QStringLiteral("pageSplitter");

const QString presetsGroup = QStringLiteral("presets");

// A sheet of manuscript paper: 20 characters by 20 lines, with the line-breaking rules.
WindowSettings manuscriptSettings() {
  WindowSettings sheet;
  sheet.conversion.charsPerLine = u"20";
  sheet.conversion.linesPerColumn = u"20";
  sheet.conversion.kinsoku = true;
  return sheet;
}

}  // namespace

std::unique_ptr<QSettings> openUserSettings() {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  return std::make_unique<QSettings>(QDir(folder).filePath(QStringLiteral("zelvato/zelvato.ini")),
                                     QSettings::IniFormat);
}

void storeGeometry(const QWidget& window, QSettings& store) {
  store.setValue(QStringLiteral("window/geometry"), window.saveGeometry());
  // The share of the text and of the page beside it.
  if (const auto* split = window.findChild<QSplitter*>(pageSplitterName))
    store.setValue(QStringLiteral("window/pageSplitter"), split->saveState());
}

void restoreGeometry(QWidget& window, const QSettings& store) {
  if (auto* split = window.findChild<QSplitter*>(pageSplitterName)) {
    const QVariant state = store.value(QStringLiteral("window/pageSplitter"));
    if (state.typeId() == QMetaType::QByteArray) split->restoreState(state.toByteArray());
  }
  const QVariant geometry = store.value(QStringLiteral("window/geometry"));
  if (geometry.typeId() == QMetaType::QByteArray && window.restoreGeometry(geometry.toByteArray())) return;
  const QScreen* screen = window.screen();
  if (screen == nullptr) return;
  const QRect available = screen->availableGeometry();
  window.resize(window.size().expandedTo(available.size() * 3 / 4));
  QRect frame = window.frameGeometry();
  frame.moveCenter(available.center());
  window.move(frame.topLeft());
}

QStringList userPresetNames(const QSettings& store) {
  // Only the presets' group is read: a file of many presets (or many other
  // keys) is not walked key by key. Entering a group changes no setting.
  auto& reading = const_cast<QSettings&>(store);
  reading.beginGroup(presetsGroup);
  QStringList names = reading.childGroups();
  reading.endGroup();
  names.sort();
  if (names.size() > maxUserPresets) names.resize(maxUserPresets);
  return names;
}

void saveUserPreset(const SettingsModel& settings, QSettings& store, const QString& name) {
  // A name is one key of the file: a slash would make it a group.
  QString key = name;
  key.replace(QLatin1Char('/'), QLatin1Char('_'));
  settings.store(store, presetsGroup + QLatin1Char('/') + key);
}

bool applyPreset(SettingsModel& settings, const QSettings& store, const QString& name) {
  if (name == startValuesPreset) {
    settings.reset(WindowSettings{});
  } else if (name == manuscriptPreset) {
    settings.reset(manuscriptSettings());
  } else if (userPresetNames(store).contains(name)) {
    settings.reset(SettingsModel::load(store, presetsGroup + QLatin1Char('/') + name));
  } else {
    return false;
  }
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

QStringList recentFiles(const QSettings& store) {
  const QVariant stored = store.value(QStringLiteral("recentFiles"));
  QStringList files;
  if (stored.typeId() == QMetaType::QStringList) files = stored.toStringList();
  if (stored.typeId() == QMetaType::QString && !stored.toString().isEmpty()) files = {stored.toString()};
  files.removeDuplicates();
  return files.mid(0, recentFilesLimit);
}

void rememberRecentFile(QSettings& store, const QString& path) {
  QStringList files = recentFiles(store);
  files.removeAll(path);
  files.prepend(path);
  store.setValue(QStringLiteral("recentFiles"), files.mid(0, recentFilesLimit));
}

}  // namespace zelvato::ui
