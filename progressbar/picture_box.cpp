#include "picture_box.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("picPrBar"));
  setFocusPolicy(Qt::StrongFocus);
  // Every movement over the box is reported, not only drags.
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::fitImage() {
  if (image_.size() == size()) return;
  image_ = QImage(size().expandedTo(QSize(0, 0)), QImage::Format_RGB32);
  if (!image_.isNull()) image_.fill(Qt::white);
}

void PictureBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  if (!image_.isNull()) painter.drawImage(0, 0, image_);
}

void PictureBox::mousePressEvent(QMouseEvent*) {
  Q_EMIT MouseDown();
}

void PictureBox::mouseMoveEvent(QMouseEvent*) {
  Q_EMIT MouseMove();
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
  Q_EMIT MouseUp();
  // A click is a press and a release on the box.
  if (rect().contains(event->position().toPoint())) Q_EMIT Click();
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent*) {
  Q_EMIT DblClick();
}

void PictureBox::keyPressEvent(QKeyEvent* event) {
  Q_EMIT KeyDown();
  // Only keys that produce a character are key presses.
  if (!event->text().isEmpty()) Q_EMIT KeyPress();
}

void PictureBox::keyReleaseEvent(QKeyEvent* event) {
  if (event->isAutoRepeat()) return;
  Q_EMIT KeyUp();
}
