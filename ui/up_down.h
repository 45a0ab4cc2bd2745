#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace zelvato::ui {

// A small up-down spinner bound to a text box, as the common-control up-down
// with a buddy: it has its own range and step, writes its value into the box
// as decimal text, and never restricts what is typed into the box itself.
class UpDown : public QWidget {
  Q_OBJECT

 public:
  UpDown(QLineEdit* buddy, int minimum, int maximum, int step, int value, QWidget* parent);

  int minimum() const { return minimum_; }
  int maximum() const { return maximum_; }
  int step() const { return step_; }
  int value() const { return value_; }
  QLineEdit* buddy() const { return buddy_; }

  // Clamps into the range, stores and writes the box; the box's change
  // handlers run at once, inside this call.
  void setValue(int value);

  // One click on an arrow. The click starts from the box's current number
  // when that is a whole number inside the range, otherwise from the value.
  void stepUp() { stepBy(step_); }
  void stepDown() { stepBy(-step_); }

  QToolButton* upButton() const { return up_; }
  QToolButton* downButton() const { return down_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void stepBy(int delta);

  QLineEdit* buddy_;
  QToolButton* up_;
  QToolButton* down_;
  int minimum_;
  int maximum_;
  int step_;
  int value_;
};

}  // namespace zelvato::ui
