#pragma once

#include <QMessageBox>
#include <functional>

class QWidget;

namespace zelvato {

// Every message of the program goes through showMessage: a modal box with one
// icon, the program's title "Zelvato" and the given buttons; it returns the
// button pressed. Tests replace the box with a handler that records the call.
using MessageBoxHandler = std::function<QMessageBox::StandardButton(
    QWidget* parent, QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons)>;

QMessageBox::StandardButton showMessage(const QString& text, QMessageBox::Icon icon,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                        QWidget* parent = nullptr);

// Installs `handler` in place of the real box (an empty handler brings the real
// box back) and returns the handler that was installed before.
MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler);

}  // namespace zelvato
