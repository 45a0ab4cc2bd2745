#include "frm_splash.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include "app_texts.h"
#include "platform_routines.h"
#include "program_identity.h"
#include "title_picture.h"
#include "zelvato_version.h"

namespace zelvato {
namespace {

constexpr int loadingTimerInterval = 250;  // ms
constexpr int ticksShown = 3;              // the fourth tick closes the window

constexpr int pictureBorder = 2;  // pixels of the sunken frame
// The picture's frame falls outside the window's right and bottom edges.
constexpr int windowShortfall = 2;

}  // namespace

PictureBox::PictureBox(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(pictureBorder);
}

void PictureBox::setPicture(const QPixmap& picture) {
  picture_ = picture;
  update();
}

void PictureBox::paintEvent(QPaintEvent* event) {
  {
    QPainter painter(this);
    painter.drawPixmap(contentsRect().topLeft(), picture_);
  }
  QFrame::paintEvent(event);
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) pressed_ = true;
  QFrame::mousePressEvent(event);
}

// A click is a press and a release of the left button over the picture.
void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
  const bool wasPressed = pressed_;
  pressed_ = false;
  QFrame::mouseReleaseEvent(event);
  if (wasPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    Q_EMIT clicked();
  }
}

QString splashVersionText() {
  return texts::versionPrefix + QString::number(version::major) + QLatin1Char('.') +
         QString::number(version::minor) + QLatin1Char('.') + QString::number(version::revision);
}

frmSplash::frmSplash(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
  setWindowTitle(ui::programTitle);
  // Closing the splash must never end the program, nor keep it running.
  setAttribute(Qt::WA_QuitOnClose, false);

  picLogo_ = new PictureBox(this);
  picLogo_->setObjectName(QStringLiteral("picLogo"));
  picLogo_->resize(
      titlePictureSize.grownBy(QMargins(pictureBorder, pictureBorder, pictureBorder, pictureBorder)));
  picLogo_->setPicture(titlePicture());

  // The label lies on the picture, on the plain corner the picture keeps for
  // it: a child of the picture box, with no background of its own.
  lblVersion_ = new QLabel(QStringLiteral("Version"), picLogo_);
  lblVersion_->setObjectName(QStringLiteral("lblVersion"));
  lblVersion_->setGeometry(titlePictureVersionArea.translated(pictureBorder, pictureBorder));
  lblVersion_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  lblVersion_->setAutoFillBackground(false);
  lblVersion_->setAttribute(Qt::WA_TranslucentBackground);
  QFont versionFont(QStringLiteral("Arial"));
  versionFont.setPointSizeF(8.25);
  lblVersion_->setFont(versionFont);
  QPalette palette = lblVersion_->palette();
  palette.setColor(QPalette::WindowText, QColor(0x3a, 0x32, 0x2c));
  lblVersion_->setPalette(palette);
  // A click on the version is a click on the picture.
  lblVersion_->setAttribute(Qt::WA_TransparentForMouseEvents);

  LoadingTimer_ = new QTimer(this);
  LoadingTimer_->setObjectName(QStringLiteral("LoadingTimer"));
  connect(LoadingTimer_, &QTimer::timeout, this, &frmSplash::LoadingTimer_Timer);
  connect(picLogo_, &PictureBox::clicked, this, &frmSplash::picLogo_Click);

  Form_Load();
}

void frmSplash::Form_Load() {
  lblVersion_->setText(splashVersionText());
  picLogo_->move(0, 0);
  setFixedSize(picLogo_->size().shrunkBy(QMargins(0, 0, windowShortfall, windowShortfall)));
  LoadingTimer_->setInterval(loadingTimerInterval);
  LoadingTimer_->stop();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame(QPoint(0, 0), size());
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
  setTopMost(this);
}

void frmSplash::LoadingTimer_Timer() {
  ++tickCount_;
  if (tickCount_ > ticksShown) {
    LoadingTimer_->stop();
    close();
  }
}

void frmSplash::picLogo_Click() {
  LoadingTimer_->stop();
  close();
}

}  // namespace zelvato
