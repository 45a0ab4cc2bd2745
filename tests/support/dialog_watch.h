#pragma once
// For the few tests that must show a real dialog: a watch armed before the
// action that shows it. It sees the dialog by its show event, acts on it once
// its event loop runs, and after a bounded wait closes whatever dialog is
// still open, so the test fails instead of hanging.

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <functional>

namespace zelvato::testing {

template <typename Dialog>
class DialogWatch final : public QObject {
 public:
  explicit DialogWatch(std::function<void(Dialog*)> action, int waitMs = 20000) : action_(std::move(action)) {
    qApp->installEventFilter(this);
    deadline_.setSingleShot(true);
    deadline_.setInterval(waitMs);
    QObject::connect(&deadline_, &QTimer::timeout, this, &DialogWatch::giveUp);
    deadline_.start();
  }
  ~DialogWatch() override { qApp->removeEventFilter(this); }
  DialogWatch(const DialogWatch&) = delete;
  DialogWatch& operator=(const DialogWatch&) = delete;

  // The dialog was shown and acted on in time.
  bool answered() const { return acted_ && !gaveUp_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && !seen_) {
      auto* dialog = qobject_cast<Dialog*>(watched);
      if (dialog != nullptr && dialog->isWindow()) {
        seen_ = true;
        dialog_ = dialog;
        QTimer::singleShot(0, dialog, [this, dialog] {
          action_(dialog);
          acted_ = true;
        });
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  void giveUp() {
    // The dialog the watch saw, or any dialog still open when it saw none.
    const auto open = [](QWidget* w) { return w != nullptr && w->isVisible(); };
    if (seen_ && !open(dialog_)) return;
    gaveUp_ = true;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* d = qobject_cast<QDialog*>(w); open(d) && (!seen_ || d == dialog_))
        d->done(QDialog::Rejected);
  }

  std::function<void(Dialog*)> action_;
  QPointer<Dialog> dialog_;
  QTimer deadline_;
  bool seen_ = false;
  bool acted_ = false;
  bool gaveUp_ = false;
};

}  // namespace zelvato::testing
