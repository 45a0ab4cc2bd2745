#pragma once
// Receives the parameterless event signals of a hosted control and hands each on as its
// event identifier.

#include <QHash>
#include <QObject>
#include <functional>

namespace zelvato::hosting {

class ControlEventSink : public QObject {
  Q_OBJECT
 public:
  ControlEventSink(QObject* control, QObject* context, std::function<void(qint32)> handler);

 public Q_SLOTS:
  void relayEvent();

 private:
  QHash<int, qint32> identifierBySignal_;
  std::function<void(qint32)> handler_;
};

}  // namespace zelvato::hosting
