#include "control_host.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QPluginLoader>
#include <QWidget>

#include "control_dispatch.h"
#include "control_event_sink.h"
#include "control_registry.h"

namespace zelvato::hosting {

namespace {

// Where a control library installed with the program keeps its registration file: the
// program's own folder (a build tree), and lib/zelvato beside the program's bin folder.
QStringList companionFolders(const QString& programFolder) {
  const QString folder = programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder;
  return {folder, QDir::cleanPath(folder + QStringLiteral("/../lib/zelvato"))};
}

// The per-user registry (and the file ZELVATO_CONTROL_REGISTRY names) serves
// builds under test only: a program run from its build tree reads it, an
// installed one never does, so no file of the user's can choose the library
// an installed program loads.
bool runsFromBuildTree(const QString& programFolder) {
  const auto canonical = [](const QString& path) {
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? QDir::cleanPath(QFileInfo(path).absoluteFilePath()) : resolved;
  };
  const QString tree = canonical(QStringLiteral(ZELVATO_BUILD_TREE));
  const QString folder =
      canonical(programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder);
  return folder == tree || folder.startsWith(tree + QLatin1Char('/'));
}

template <typename Fn>
Fn resolveEntryPoint(const QString& libraryPath, const char* name) {
  QLibrary library(libraryPath);
  if (!library.load()) return nullptr;
  return reinterpret_cast<Fn>(library.resolve(name));
}

}  // namespace

QObject* CreatedControl::object() const {
  return control ? control->controlWidget() : nullptr;
}

std::optional<QJsonObject> readTypeLibrary(const QString& libraryPath) {
  QPluginLoader loader(libraryPath);
  const QJsonObject meta = loader.metaData();
  if (meta.isEmpty() ||
      meta.value(QStringLiteral("IID")).toString() != QLatin1String(ZelvatoControlClassFactory_iid))
    return std::nullopt;
  const QJsonObject typeLibrary = meta.value(QStringLiteral("MetaData")).toObject();
  if (typeLibrary.isEmpty()) return std::nullopt;
  return typeLibrary;
}

std::optional<ClassRegistration> findControlClass(const QString& progId, const QString& programFolder) {
  // The registrations that came with the program come first; a registration whose
  // library has gone (a moved or deleted build) counts as absent.
  std::optional<ClassRegistration> registered;
  for (const QString& folder : companionFolders(programFolder)) {
    const QFileInfoList files =
        QDir(folder).entryInfoList({QStringLiteral("*.control")}, QDir::Files | QDir::Readable, QDir::Name);
    for (const QFileInfo& file : files) {
      registered = lookupControlClass(progId, file.absoluteFilePath());
      if (registered && QFileInfo::exists(registered->libraryPath)) return registered;
    }
  }
  if (!runsFromBuildTree(programFolder)) return std::nullopt;
  registered = lookupControlClass(progId);
  if (registered && QFileInfo::exists(registered->libraryPath)) return registered;
  return std::nullopt;
}

CreatedControl createControl(const QString& progId, QWidget* parent, ControlSite* site,
                             const PropertyBag* savedSet, ReadPropertiesResult* readResult,
                             const QString& programFolder) {
  CreatedControl result;
  const std::optional<ClassRegistration> found = findControlClass(progId, programFolder);
  if (!found) {
    result.error = QStringLiteral("the class %1 is not registered").arg(progId);
    return result;
  }
  result.libraryPath = found->libraryPath;
  QPluginLoader loader(found->libraryPath);
  if (!loader.load()) {
    result.error =
        QStringLiteral("the library %1 cannot be loaded: %2").arg(found->libraryPath, loader.errorString());
    return result;
  }
  const auto getClassObject = resolveEntryPoint<DllGetClassObjectFn>(found->libraryPath, "DllGetClassObject");
  if (!getClassObject) {
    result.error = QStringLiteral("the library %1 has no class objects").arg(found->libraryPath);
    return result;
  }
  void* classObject = nullptr;
  const QByteArray classId = found->classId.toString(QUuid::WithBraces).toLatin1();
  if (getClassObject(classId.constData(), &classObject) != S_OK || !classObject) {
    result.error =
        QStringLiteral("the library %1 does not serve the class %2").arg(found->libraryPath, progId);
    return result;
  }
  HostedControl* control = static_cast<ControlClassFactory*>(classObject)->createInstance(parent);
  if (!control) {
    result.error = QStringLiteral("the class %1 created no control").arg(progId);
    return result;
  }
  control->setControlSite(site);
  if (savedSet) {
    const ReadPropertiesResult read = control->readProperties(*savedSet);
    if (readResult) *readResult = read;
  } else {
    control->initProperties();
  }
  result.control = control;
  return result;
}

HResult registerControlLibrary(const QString& libraryPath) {
  const auto entry = resolveEntryPoint<DllRegisterServerFn>(libraryPath, "DllRegisterServer");
  return entry ? entry() : E_FAIL;
}

HResult unregisterControlLibrary(const QString& libraryPath) {
  const auto entry = resolveEntryPoint<DllUnregisterServerFn>(libraryPath, "DllUnregisterServer");
  return entry ? entry() : E_FAIL;
}

HResult canUnloadControlLibrary(const QString& libraryPath) {
  const auto entry = resolveEntryPoint<DllCanUnloadNowFn>(libraryPath, "DllCanUnloadNow");
  return entry ? entry() : E_FAIL;
}

ControlEventSink::ControlEventSink(QObject* control, QObject* context, std::function<void(qint32)> handler)
    : QObject(context), handler_(std::move(handler)) {
  const QMetaObject* meta = control->metaObject();
  const QMetaMethod relay = metaObject()->method(metaObject()->indexOfSlot("relayEvent()"));
  const QByteArray prefix("EventId:");
  for (int i = 0; i < meta->classInfoCount(); ++i) {
    const QByteArray key(meta->classInfo(i).name());
    if (!key.startsWith(prefix)) continue;
    const int signalIndex = meta->indexOfSignal(key.mid(prefix.size()).append("()").constData());
    const std::optional<qint32> id = detail::parseIdentifier(meta->classInfo(i).value());
    if (signalIndex < 0 || !id) continue;
    identifierBySignal_.insert(signalIndex, *id);
    QObject::connect(control, meta->method(signalIndex), this, relay);
  }
  QObject::connect(control, &QObject::destroyed, this, &QObject::deleteLater);
}

void ControlEventSink::relayEvent() {
  const auto found = identifierBySignal_.constFind(senderSignalIndex());
  if (found != identifierBySignal_.constEnd() && handler_) handler_(*found);
}

void connectControlEvents(QObject* control, QObject* context, std::function<void(qint32)> handler) {
  new ControlEventSink(control, context, std::move(handler));  // owned by context
}

}  // namespace zelvato::hosting
