#pragma once
// The program's side of control hosting: find a control library by ProgID, create controls
// from it, read its type library, register and unregister it, and receive its events by
// identifier. Property access by member identifier is in control_dispatch.h.
//
// Typical use (the progress window; the ProgID and the member identifiers come from the
// control library's type library):
//   class ProgressSite : public ControlSite { ambientFont() = the window's font;
//                                              propertyChanged(name) = nothing to do };
//   MemoryPropertyBag design;                    // the window's saved set of the bar
//   design.writeProperty("max", 100); ...         // entry names compare without case
//   CreatedControl bar = createControl(progId, this, &site, &design);
//   if (!bar.ok()) { /* bar.error says why */ }
//   bar.widget()->setGeometry(...);               // the control is owned by `this`
//   dispatchPut(bar.object(), unitId, unit);      // control_dispatch.h: results, never
//   dispatchPut(bar.object(), maxId, max);        // exceptions
// The control's events arrive as Qt signals Click() ... KeyUp() or, by identifier, through
// connectControlEvents.

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

#include "control_interfaces.h"
#include "control_registry.h"

namespace zelvato::hosting {

struct CreatedControl {
  HostedControl* control = nullptr;  // owned by the parent given to createControl, else by the caller
  QString libraryPath;               // where the class was found
  QString error;                     // why no control was created
  bool ok() const { return control != nullptr; }
  QWidget* widget() const { return control ? control->controlWidget() : nullptr; }
  QObject* object() const;
};

// Where the library of a ProgID is: the registration files (*.control) that control
// libraries bring along, in programFolder (the program's own folder when empty) and in its
// ../lib/zelvato; then, only for a program in its build tree (tests), the per-user
// registry. An entry counts only while its library exists. So a fresh build and an
// installed program run unregistered, and no file of the user's chooses the library of
// an installed program.
std::optional<ClassRegistration> findControlClass(const QString& progId, const QString& programFolder = {});

// Creates a control of the class registered for progId. With a saved set the control is
// restored from it (ReadProperties); without one it is initialised as new (InitProperties).
// A failed restore still yields the control, with readResult telling where it stopped.
CreatedControl createControl(const QString& progId, QWidget* parent, ControlSite* site,
                             const PropertyBag* savedSet = nullptr,
                             ReadPropertiesResult* readResult = nullptr, const QString& programFolder = {});

// The library's type library (its plugin metadata), read without creating a control.
std::optional<QJsonObject> readTypeLibrary(const QString& libraryPath);

// Calls the library's DllRegisterServer / DllUnregisterServer / DllCanUnloadNow.
HResult registerControlLibrary(const QString& libraryPath);
HResult unregisterControlLibrary(const QString& libraryPath);
HResult canUnloadControlLibrary(const QString& libraryPath);

// Delivers every event of control to handler as its event identifier ("EventId:<signal>").
// The connections end when context or control is destroyed.
void connectControlEvents(QObject* control, QObject* context, std::function<void(qint32 eventId)> handler);

}  // namespace zelvato::hosting
