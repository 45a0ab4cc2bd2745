#include "up_down.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QToolButton>
#include <algorithm>
#include <cmath>

#include "document/number_text.h"

namespace zelvato::ui {

UpDown::UpDown(QLineEdit* buddy, int minimum, int maximum, int step, int value, QWidget* parent)
    : QWidget(parent),
      buddy_(buddy),
      up_(new QToolButton(this)),
      down_(new QToolButton(this)),
      minimum_(minimum),
      maximum_(maximum),
      step_(step),
      value_(std::clamp(value, minimum, maximum)) {
  for (QToolButton* button : {up_, down_}) {
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIconSize(QSize(7, 5));
  }
  up_->setArrowType(Qt::UpArrow);
  down_->setArrowType(Qt::DownArrow);
  connect(up_, &QToolButton::clicked, this, &UpDown::stepUp);
  connect(down_, &QToolButton::clicked, this, &UpDown::stepDown);
  setFocusPolicy(Qt::TabFocus);
  setAttribute(Qt::WA_MacShowFocusRect);
}

void UpDown::setValue(int value) {
  value_ = std::clamp(value, minimum_, maximum_);
  if (buddy_ != nullptr) buddy_->setText(QString::number(value_));
}

void UpDown::stepBy(int delta) {
  int start = value_;
  if (buddy_ != nullptr) {
    const double typed = textToNumber(buddy_->text().toStdU16String());
    if (typed == std::floor(typed) && typed >= minimum_ && typed <= maximum_ &&
        !buddy_->text().trimmed().isEmpty()) {
      start = static_cast<int>(typed);
    }
  }
  setValue(start + delta);
}

void UpDown::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // A one-pixel margin holds the focus frame.
  const int inner = height() - 2;
  const int half = inner / 2;
  up_->setGeometry(1, 1, width() - 2, half);
  down_->setGeometry(1, 1 + half, width() - 2, inner - half);
}

void UpDown::keyPressEvent(QKeyEvent* event) {
  // With the keyboard on the spinner, the arrow keys step it.
  if (event->key() == Qt::Key_Up) {
    stepUp();
  } else if (event->key() == Qt::Key_Down) {
    stepDown();
  } else {
    QWidget::keyPressEvent(event);
  }
}

void UpDown::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  if (!hasFocus()) return;
  QPainter painter(this);
  QStyleOptionFocusRect option;
  option.initFrom(this);
  style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

void UpDown::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) update();
}

}  // namespace zelvato::ui
