#pragma once
// The contract between a control library and the program that hosts it: what the control
// offers (HostedControl, ControlClassFactory) and what it may ask of its container
// (ControlSite, PropertyBag). Headers only, so a control library includes them without
// linking anything of the program.

#include <QFont>
#include <QList>
#include <QPair>
#include <QString>
#include <QUuid>
#include <QVariant>
#include <QtPlugin>
#include <memory>

class QWidget;

namespace zelvato::hosting {

// COM-style status codes returned by the library entry points.
using HResult = qint32;
inline constexpr HResult S_OK = 0;
inline constexpr HResult S_FALSE = 1;
inline constexpr HResult E_POINTER = static_cast<HResult>(0x80004003u);
inline constexpr HResult E_FAIL = static_cast<HResult>(0x80004005u);
inline constexpr HResult CLASS_E_CLASSNOTAVAILABLE = static_cast<HResult>(0x80040111u);
inline constexpr HResult SELFREG_E_CLASS = static_cast<HResult>(0x80040201u);

// The container's store of a saved control: named entries, names compared without regard
// to case. A read of an absent entry yields the default given (or an invalid QVariant).
class PropertyBag {
 public:
  virtual ~PropertyBag() = default;
  virtual QVariant readProperty(const QString& name, const QVariant& defaultValue = {}) const = 0;
  // An entry whose value equals the given default is not stored (and an older one is dropped).
  virtual void writeProperty(const QString& name, const QVariant& value,
                             const QVariant& defaultValue = {}) = 0;
};

// An in-memory property bag keeping the entries in the order they were first written.
class MemoryPropertyBag final : public PropertyBag {
 public:
  QVariant readProperty(const QString& name, const QVariant& defaultValue = {}) const override {
    const qsizetype i = indexOf(name);
    return i < 0 ? defaultValue : entries_[i].second;
  }
  void writeProperty(const QString& name, const QVariant& value, const QVariant& defaultValue = {}) override {
    const qsizetype i = indexOf(name);
    if (defaultValue.isValid() && value == defaultValue) {
      if (i >= 0) entries_.removeAt(i);
      return;
    }
    if (i >= 0)
      entries_[i].second = value;
    else
      entries_.append({name, value});
  }
  const QList<QPair<QString, QVariant>>& entries() const { return entries_; }
  QStringList names() const {
    QStringList result;
    for (const auto& entry : entries_) result.append(entry.first);
    return result;
  }

 private:
  qsizetype indexOf(const QString& name) const {
    for (qsizetype i = 0; i < entries_.size(); ++i)
      if (entries_[i].first.compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
  }
  QList<QPair<QString, QVariant>> entries_;
};

// What a hosted control may ask of its container.
class ControlSite {
 public:
  virtual ~ControlSite() = default;
  virtual QFont ambientFont() const = 0;
  virtual void propertyChanged(const QString& name) = 0;
};

// The outcome of restoring a control from a property bag.
struct ReadPropertiesResult {
  bool ok = true;
  QString failedEntry;  // the entry that did not convert; the entries before it stay applied
  QString message;
};

// A control object as its container drives it. Properties, methods and events are reached
// through the meta-object (see control_dispatch.h); this interface holds the life cycle.
class HostedControl {
 public:
  virtual ~HostedControl() = default;
  virtual QWidget* controlWidget() = 0;
  virtual void setControlSite(ControlSite* site) = 0;
  // A new control placed on its container for the first time.
  virtual void initProperties() = 0;
  // A control restored from its saved set.
  virtual ReadPropertiesResult readProperties(const PropertyBag& bag) = 0;
  virtual void writeProperties(PropertyBag& bag) const = 0;
};

// The class object of a control class: creates its instances.
class ControlClassFactory {
 public:
  virtual ~ControlClassFactory() = default;
  virtual QString progId() const = 0;
  virtual QUuid classId() const = 0;
  // The new control belongs to parent (or to the caller when parent is null).
  virtual HostedControl* createInstance(QWidget* parent) = 0;
  // True when no instance created by this factory is alive.
  virtual bool canUnloadNow() const = 0;
};

}  // namespace zelvato::hosting

#define ZelvatoHostedControl_iid "com.serivane.zelvato.HostedControl/1.0"
#define ZelvatoControlClassFactory_iid "com.serivane.zelvato.ControlClassFactory/1.0"
Q_DECLARE_INTERFACE(zelvato::hosting::HostedControl, ZelvatoHostedControl_iid)
Q_DECLARE_INTERFACE(zelvato::hosting::ControlClassFactory, ZelvatoControlClassFactory_iid)
