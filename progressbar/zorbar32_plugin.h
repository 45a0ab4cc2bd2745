#pragma once
// The class object of ZORBAR32: creates svProgressBar controls. Its metadata (the type
// library) is zorbar32.json, which hosts read without creating a control.

#include <QObject>

#include "control_interfaces.h"

class Zorbar32ClassFactory : public QObject, public zelvato::hosting::ControlClassFactory {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID ZelvatoControlClassFactory_iid FILE "zorbar32.json")
  Q_INTERFACES(zelvato::hosting::ControlClassFactory)

 public:
  QString progId() const override;
  QUuid classId() const override;
  zelvato::hosting::HostedControl* createInstance(QWidget* parent) override;
  bool canUnloadNow() const override;
};
