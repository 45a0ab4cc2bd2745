#include "frm_progress.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "control_dispatch.h"
#include "control_host.h"
#include "control_interfaces.h"
#include "platform_routines.h"

namespace zelvato {

std::atomic<qint32> progressCount{0};

namespace {

// The window's own container side for the bar: its font is the window's font,
// and a changed property needs nothing of the window.
class ProgressSite final : public hosting::ControlSite {
 public:
  explicit ProgressSite(QWidget* window) : window_(window) {}
  QFont ambientFont() const override { return window_->font(); }
  void propertyChanged(const QString&) override {}

 private:
  QWidget* window_;
};

// The bar's saved property set, kept as a resource of the window. A font entry
// is an object with the font's name, size, weight, character set and effects.
hosting::MemoryPropertyBag storedBarDesign() {
  hosting::MemoryPropertyBag bag;
  QFile file(QStringLiteral(":/zelvato/frm_progress_design.json"));
  if (!file.open(QIODevice::ReadOnly)) return bag;
  const QJsonArray entries = QJsonDocument::fromJson(file.readAll()).array();
  for (const QJsonValue& entry : entries) {
    const QJsonArray pair = entry.toArray();
    const QString name = pair.at(0).toString();
    const QJsonValue value = pair.at(1);
    if (value.isObject()) {
      const QJsonObject f = value.toObject();
      QFont font(f.value(QStringLiteral("name")).toString());
      font.setPointSizeF(f.value(QStringLiteral("size")).toDouble());
      font.setWeight(f.value(QStringLiteral("weight")).toInt() >= 700 ? QFont::Bold : QFont::Normal);
      font.setItalic(f.value(QStringLiteral("italic")).toBool());
      font.setUnderline(f.value(QStringLiteral("underline")).toBool());
      font.setStrikeOut(f.value(QStringLiteral("strikethrough")).toBool());
      bag.writeProperty(name, font);
    } else if (value.isBool()) {
      bag.writeProperty(name, value.toBool());
    } else if (value.isString()) {
      bag.writeProperty(name, value.toString());
    } else {
      bag.writeProperty(name, static_cast<qint32>(value.toInteger()));
    }
  }
  return bag;
}

// The one progress window while it is loaded. It is deleted when it is
// unloaded, and at the latest when the application quits.
QPointer<frmProgress>& progressWindowSlot() {
  static QPointer<frmProgress> window;
  return window;
}

}  // namespace

frmProgress::frmProgress()
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint),
      site_(std::make_unique<ProgressSite>(this)) {
  setObjectName(QStringLiteral("frmProgress"));
  setWindowTitle(QStringLiteral("Zelvato"));
  setFixedSize(330, 76);
  setModal(false);

  lblMessage_ = new QLabel(QStringLiteral("処理中です..."), this);
  lblMessage_->setObjectName(QStringLiteral("lblMessage"));
  // The message above the bar, both in the middle of the window; without the bar, the message alone.
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(16, 8, 16, 8);
  column->setSpacing(6);
  column->addStretch(1);
  column->addWidget(lblMessage_);

  const hosting::MemoryPropertyBag design = storedBarDesign();
  const hosting::CreatedControl bar = hosting::createControl(QString::fromLatin1(zorbar32::kProgId), this,
                                                             site_.get(), &design, &designRead_);
  if (bar.ok()) {
    progressBar_ = bar.object();
    bar.widget()->setObjectName(QStringLiteral("ProgressBar"));
    bar.widget()->setFixedHeight(25);
    column->addWidget(bar.widget());
  }
  column->addStretch(1);

  timerProgress_ = new QTimer(this);
  timerProgress_->setObjectName(QStringLiteral("timerProgress"));
  timerProgress_->setInterval(250);
  connect(timerProgress_, &QTimer::timeout, this, &frmProgress::timerProgress_Timer);

  Form_Load();
}

frmProgress::~frmProgress() = default;

QWidget* frmProgress::progressBarWidget() const {
  return qobject_cast<QWidget*>(progressBar_.data());
}

void frmProgress::setBarProperty(qint32 memberId, const QVariant& value) {
  if (progressBar_) hosting::dispatchPut(progressBar_, memberId, value);
}

void frmProgress::Form_Load() {
  setTopMost(this);
}

void frmProgress::timerProgress_Timer() {
  setBarProperty(barValueId, progressCount.load(std::memory_order_relaxed));
}

// The window is only a display: the user can neither close it nor dismiss it
// with Esc; hideProgress unloads it.
void frmProgress::closeEvent(QCloseEvent* event) {
  event->ignore();
}

void frmProgress::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) return;
  QDialog::keyPressEvent(event);
}

frmProgress* loadedProgressWindow() {
  return progressWindowSlot().data();
}

frmProgress* loadProgressWindow() {
  QPointer<frmProgress>& window = progressWindowSlot();
  if (!window) {
    window = new frmProgress;
    if (QCoreApplication* app = QCoreApplication::instance())
      QObject::connect(app, &QCoreApplication::aboutToQuit, window.data(), &QObject::deleteLater);
  }
  return window.data();
}

void showProgress(const QString& message, qint32 maximum, const QString& unit, bool showBar) {
  frmProgress* window = loadProgressWindow();
  progressCount = 0;
  window->setBarProperty(barUnitId, unit + QLatin1Char(' '));
  window->setBarProperty(barMaxId, maximum);
  window->setBarProperty(barValueId, 0);
  window->lblMessage()->setText(message);
  window->timerProgress()->start();
  if (QWidget* bar = window->progressBarWidget()) bar->setVisible(showBar);
  if (!window->isVisible()) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      QRect frame = window->frameGeometry();
      frame.moveCenter(screen->availableGeometry().center());
      window->move(frame.topLeft());
    }
  }
  window->show();
  window->raise();
}

void hideProgress() {
  frmProgress* window = loadProgressWindow();
  window->timerProgress()->stop();
  progressCount = 0;
  delete window;
}

}  // namespace zelvato
