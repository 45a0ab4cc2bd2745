#include "message_box.h"

#include <QAbstractButton>
#include <QMessageBox>

#include "program_identity.h"

namespace zelvato::ui {

namespace {
MessageBoxHandler& handlerSlot() {
  static MessageBoxHandler handler;
  return handler;
}

QMessageBox::Icon toQtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::information:
      return QMessageBox::Information;
    case MessageIcon::warning:
      return QMessageBox::Warning;
    case MessageIcon::stop:
      return QMessageBox::Critical;
    case MessageIcon::question:
      return QMessageBox::Question;
    case MessageIcon::none:
      break;
  }
  return QMessageBox::NoIcon;
}
}  // namespace

void setMessageBoxHandler(MessageBoxHandler handler) {
  handlerSlot() = std::move(handler);
}

MessageAnswer showMessageBox(QWidget* parent, const QString& text, MessageIcon icon, MessageButtons buttons) {
  if (handlerSlot()) return handlerSlot()(parent, text, icon, buttons);

  QMessageBox box(toQtIcon(icon), programTitle, text, QMessageBox::NoButton, parent);
  box.setObjectName(QStringLiteral("ZelvatoMessageBox"));
  if (buttons == MessageButtons::ok) {
    box.setStandardButtons(QMessageBox::Ok);
  } else if (buttons == MessageButtons::yesNoCancel) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Yes);
  } else {
    box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    // The standard buttons, named in Japanese whatever translation is installed.
    box.button(QMessageBox::Save)->setText(QStringLiteral("保存"));
    box.button(QMessageBox::Discard)->setText(QStringLiteral("破棄"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("キャンセル"));
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
  }
  box.setWindowModality(Qt::ApplicationModal);
  box.raise();
  box.activateWindow();
  switch (box.exec()) {
    case QMessageBox::Yes:
      return MessageAnswer::yes;
    case QMessageBox::No:
      return MessageAnswer::no;
    case QMessageBox::Cancel:
      return MessageAnswer::cancel;
    case QMessageBox::Save:
      return MessageAnswer::save;
    case QMessageBox::Discard:
      return MessageAnswer::discard;
    default:
      return buttons == MessageButtons::ok ? MessageAnswer::ok : MessageAnswer::cancel;
  }
}

}  // namespace zelvato::ui
