#pragma once

#include <QDialog>
#include <QPointer>
#include <atomic>
#include <memory>

#include "control_interfaces.h"
#include "zorbar32_identity.h"

class QLabel;
class QTimer;

namespace zelvato {

// The small window that stands on top while the program converts or loads a
// text: a one-line message and, during a conversion, the progress bar hosted
// from the control library. It only shows; it cannot stop anything.
class frmProgress : public QDialog {
  Q_OBJECT

 public:
  frmProgress();
  ~frmProgress() override;

  QLabel* lblMessage() const { return lblMessage_; }
  // The hosted bar control (null when the control library could not be loaded).
  QObject* progressBar() const { return progressBar_; }
  QWidget* progressBarWidget() const;
  QTimer* timerProgress() const { return timerProgress_; }
  // How restoring the bar from the window's stored design went.
  const hosting::ReadPropertiesResult& designRead() const { return designRead_; }

  // Sets a property of the bar through its dispatch interface; a failure is ignored.
  void setBarProperty(qint32 memberId, const QVariant& value);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Form_Load();
  void timerProgress_Timer();

  QLabel* lblMessage_ = nullptr;
  QPointer<QObject> progressBar_;
  QTimer* timerProgress_ = nullptr;
  std::unique_ptr<hosting::ControlSite> site_;
  hosting::ReadPropertiesResult designRead_;
};

// Program-wide count of source code units handled in the current conversion,
// fed from the conversion host's progress call on the worker thread; the timer
// copies it into the bar four times a second.
extern std::atomic<qint32> progressCount;

// Member identifiers of the bar that the window sets.
inline constexpr qint32 barUnitId = zorbar32::member::Unit;
inline constexpr qint32 barMaxId = zorbar32::member::Max;
inline constexpr qint32 barValueId = zorbar32::member::Value;

// Loads the progress window if needed, resets progressCount, sets the bar's
// unit (followed by one space), maximum and value 0, the message, starts the
// timer, places bar and message, and shows the window modeless on top. Every
// step that fails is skipped.
void showProgress(const QString& message, qint32 maximum, const QString& unit, bool showBar);

// Stops the timer, resets progressCount and unloads the window.
void hideProgress();

// The progress window while it is loaded, else null.
frmProgress* loadedProgressWindow();

// Loads the window without showing it, if it is not loaded (start-up loads and
// unloads it once, so the bar control is created before the main window exists).
frmProgress* loadProgressWindow();

}  // namespace zelvato
