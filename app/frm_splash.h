#pragma once

#include <QFrame>
#include <QPixmap>
#include <QWidget>

class QLabel;
class QTimer;

namespace zelvato {

// A picture box with a sunken two-pixel border that reports a click.
class PictureBox : public QFrame {
  Q_OBJECT
 public:
  explicit PictureBox(QWidget* parent = nullptr);
  void setPicture(const QPixmap& picture);

 Q_SIGNALS:
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QPixmap picture_;
  bool pressed_ = false;
};

// The splash window: the title picture with the version, shown on top while the
// main window loads. It closes itself on the fourth tick of LoadingTimer once
// start-up has enabled the timer, or at once when the picture is clicked.
class frmSplash : public QWidget {
  Q_OBJECT
 public:
  explicit frmSplash(QWidget* parent = nullptr);

  PictureBox* picLogo() const { return picLogo_; }
  QLabel* lblVersion() const { return lblVersion_; }
  QTimer* LoadingTimer() const { return LoadingTimer_; }
  int tickCount() const { return tickCount_; }

 public Q_SLOTS:
  void LoadingTimer_Timer();
  void picLogo_Click();

 private:
  void Form_Load();

  PictureBox* picLogo_ = nullptr;
  QLabel* lblVersion_ = nullptr;
  QTimer* LoadingTimer_ = nullptr;
  int tickCount_ = 0;
};

// "Version 1.2.0" for the program's own version.
QString splashVersionText();

}  // namespace zelvato
