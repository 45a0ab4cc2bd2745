#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace zelvato::ui {

enum class MessageIcon { none, information, warning, stop, question };
enum class MessageButtons { ok, yesNoCancel, saveDiscardCancel };
enum class MessageAnswer { ok, yes, no, cancel, save, discard };

// Every message of the program goes through here: modal, titled "Zelvato",
// one icon, an OK button, Yes/No/Cancel or 保存/破棄/キャンセル; returns the
// button pressed.
MessageAnswer showMessageBox(QWidget* parent, const QString& text, MessageIcon icon, MessageButtons buttons);

inline void showMessage(QWidget* parent, const QString& text, MessageIcon icon) {
  showMessageBox(parent, text, icon, MessageButtons::ok);
}
inline MessageAnswer askYesNoCancel(QWidget* parent, const QString& text, MessageIcon icon) {
  return showMessageBox(parent, text, icon, MessageButtons::yesNoCancel);
}

// Replaces the real box, for tests: the handler sees what would be shown and
// gives the answer. An empty handler restores the real box.
using MessageBoxHandler = std::function<MessageAnswer(QWidget*, const QString&, MessageIcon, MessageButtons)>;
void setMessageBoxHandler(MessageBoxHandler handler);

}  // namespace zelvato::ui
