#include "zorbar32_plugin.h"

#include <dlfcn.h>

#include <QFileInfo>

#include "control_registry.h"
#include "sv_progress_bar.h"
#include "zorbar32_identity.h"

namespace hosting = zelvato::hosting;

QString Zorbar32ClassFactory::progId() const {
  return QString::fromLatin1(zorbar32::kProgId);
}

QUuid Zorbar32ClassFactory::classId() const {
  return zorbar32::kClassId;
}

hosting::HostedControl* Zorbar32ClassFactory::createInstance(QWidget* parent) {
  // Owned by parent through Qt's parent-child ownership, or by the caller without one.
  return new svProgressBar(parent);
}

bool Zorbar32ClassFactory::canUnloadNow() const {
  return svProgressBar::liveInstances() == 0;
}

// Defined by moc for the plugin class: the library's one class object.
extern "C" QObject* qt_plugin_instance();

namespace {

QString thisLibraryPath() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&qt_plugin_instance), &info) == 0 || !info.dli_fname) return {};
  return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath();
}

}  // namespace

// The four entry points of a self-registering control library; each hands over to the
// hosting layer.
extern "C" Q_DECL_EXPORT qint32 DllRegisterServer() {
  const QString library = thisLibraryPath();
  if (library.isEmpty()) return hosting::SELFREG_E_CLASS;
  const bool done =
      hosting::registerControlClass({QString::fromLatin1(zorbar32::kProgId), zorbar32::kClassId, library});
  return done ? hosting::S_OK : hosting::SELFREG_E_CLASS;
}

extern "C" Q_DECL_EXPORT qint32 DllUnregisterServer() {
  return hosting::unregisterControlClass(QString::fromLatin1(zorbar32::kProgId)) ? hosting::S_OK
                                                                                 : hosting::SELFREG_E_CLASS;
}

extern "C" Q_DECL_EXPORT qint32 DllGetClassObject(const char* classId, void** classObject) {
  if (!classObject) return hosting::E_POINTER;
  *classObject = nullptr;
  if (!classId || QUuid::fromString(QLatin1String(classId)) != zorbar32::kClassId)
    return hosting::CLASS_E_CLASSNOTAVAILABLE;
  auto* factory = qobject_cast<Zorbar32ClassFactory*>(qt_plugin_instance());
  if (!factory) return hosting::E_FAIL;
  *classObject = static_cast<hosting::ControlClassFactory*>(factory);
  return hosting::S_OK;
}

extern "C" Q_DECL_EXPORT qint32 DllCanUnloadNow() {
  return svProgressBar::liveInstances() == 0 ? hosting::S_OK : hosting::S_FALSE;
}
