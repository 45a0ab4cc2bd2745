#include "message_box.h"

#include "app_texts.h"

namespace zelvato {
namespace {

MessageBoxHandler& installedHandler() {
  static MessageBoxHandler handler;
  return handler;
}

QMessageBox::StandardButton realMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                           QMessageBox::StandardButtons buttons) {
  QMessageBox box(icon, texts::programTitle, text, buttons, parent);
  // A box shown before any window of the program (the second-instance refusal)
  // or above a topmost window must still come to the front.
  box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

QMessageBox::StandardButton showMessage(const QString& text, QMessageBox::Icon icon,
                                        QMessageBox::StandardButtons buttons, QWidget* parent) {
  const MessageBoxHandler& handler = installedHandler();
  if (handler) return handler(parent, icon, text, buttons);
  return realMessageBox(parent, icon, text, buttons);
}

MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler) {
  MessageBoxHandler previous = std::move(installedHandler());
  installedHandler() = std::move(handler);
  return previous;
}

}  // namespace zelvato
