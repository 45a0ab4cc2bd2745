#pragma once
// Shared by the window tests: acting on a modal dialog once it is on screen.

#include <QApplication>
#include <QTimer>
#include <functional>

// Runs `action` on the modal dialog of type T as soon as it is shown.
template <typename T>
void whenModalShown(std::function<void(T*)> action) {
  auto* timer = new QTimer;
  timer->setInterval(20);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, action] {
    if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget()); dialog && dialog->isVisible()) {
      timer->stop();
      timer->deleteLater();
      action(dialog);
    }
  });
  timer->start();
}
