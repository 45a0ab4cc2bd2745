// What the window remembers beside its settings: its geometry and the
// recent files (the presets are presets.cpp's).
#include "settings_store.h"

#include <QDir>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QStandardPaths>
#include <QWidget>

namespace zelvato::ui {

namespace {

const QString pageSplitterName = QStringLiteral("pageSplitter");

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
