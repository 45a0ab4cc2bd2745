#pragma once
// The per-user registry of control classes: which library serves which ProgID and class
// GUID. A small INI file under the user's data folder; ZELVATO_CONTROL_REGISTRY names
// another file (tests point it into a temporary folder). Only a program run from its
// build tree reads it (findControlClass). Header-only, because a control
// library registers itself through it without linking anything of the program.

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <QUuid>
#include <algorithm>
#include <optional>

namespace zelvato::hosting {

struct ClassRegistration {
  QString progId;
  QUuid classId;
  QString libraryPath;
};

inline QString controlRegistryPath() {
  const QString overridePath = qEnvironmentVariable("ZELVATO_CONTROL_REGISTRY");
  if (!overridePath.isEmpty()) return overridePath;
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
         QStringLiteral("/zelvato/controls.ini");
}

namespace detail {
// ProgIDs contain dots, which INI groups keep as they are; only the slash is special.
inline QString registryGroup(const QString& progId) {
  return QStringLiteral("ProgID/") + QString(progId).replace(QLatin1Char('/'), QLatin1Char('_'));
}
}  // namespace detail

inline bool registerControlClass(const ClassRegistration& entry) {
  const QString path = controlRegistryPath();
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
  QSettings registry(path, QSettings::IniFormat);
  registry.beginGroup(detail::registryGroup(entry.progId));
  registry.setValue(QStringLiteral("CLSID"), entry.classId.toString(QUuid::WithBraces));
  registry.setValue(QStringLiteral("Library"), entry.libraryPath);
  registry.endGroup();
  registry.sync();
  return registry.status() == QSettings::NoError;
}

inline bool unregisterControlClass(const QString& progId) {
  const QString path = controlRegistryPath();
  if (!QFileInfo::exists(path)) return true;
  QSettings registry(path, QSettings::IniFormat);
  registry.remove(detail::registryGroup(progId));
  registry.sync();
  return registry.status() == QSettings::NoError;
}

// Reads the entry of progId from a file in the registry's format: the per-user registry, or
// the registration file a control library brings along, which names its library relative
// to the file's own folder.
inline std::optional<ClassRegistration> lookupControlClass(const QString& progId,
                                                           const QString& registryFile) {
  if (!QFileInfo::exists(registryFile)) return std::nullopt;
  QSettings registry(registryFile, QSettings::IniFormat);
  // ProgIDs compare without regard to case. (The keys are read whole: the groups of a
  // section named with a slash are not listed until the file has been read through.)
  const QString wanted = detail::registryGroup(progId) + QStringLiteral("/Library");
  const QStringList keys = registry.allKeys();
  const auto key = std::find_if(keys.begin(), keys.end(), [&](const QString& name) {
    return name.compare(wanted, Qt::CaseInsensitive) == 0;
  });
  if (key == keys.end()) return std::nullopt;
  registry.beginGroup(key->section(QLatin1Char('/'), 0, -2));
  const QString library = registry.value(QStringLiteral("Library")).toString();
  const QUuid classId = QUuid::fromString(registry.value(QStringLiteral("CLSID")).toString());
  if (library.isEmpty()) return std::nullopt;
  return ClassRegistration{progId, classId,
                           QDir::cleanPath(QFileInfo(registryFile).absoluteDir().absoluteFilePath(library))};
}

inline std::optional<ClassRegistration> lookupControlClass(const QString& progId) {
  return lookupControlClass(progId, controlRegistryPath());
}

}  // namespace zelvato::hosting

// The four entry points every control library exports (extern "C", resolved by name).
extern "C" {
using DllRegisterServerFn = qint32 (*)();
using DllUnregisterServerFn = qint32 (*)();
// classId in the form "{xxxxxxxx-...}"; on success *classObject receives the library's
// ControlClassFactory*.
using DllGetClassObjectFn = qint32 (*)(const char* classId, void** classObject);
using DllCanUnloadNowFn = qint32 (*)();
}
