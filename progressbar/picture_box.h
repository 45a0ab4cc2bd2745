#pragma once
// The inner box picPrBar of the progress bar: a picture box that keeps its picture in a
// persistent image, has its own coordinate scale and reports mouse and key input.

#include <QImage>
#include <QWidget>

class PictureBox : public QWidget {
  Q_OBJECT
 public:
  explicit PictureBox(QWidget* parent);

  // Extents of the box in scale units; the origin stays at the top left corner.
  float ScaleWidth() const { return scaleWidth_; }
  float ScaleHeight() const { return scaleHeight_; }
  void setScaleWidth(float width) { scaleWidth_ = width; }
  void setScaleHeight(float height) { scaleHeight_ = height; }

  // Gives the persistent image the box's current size (white, as a cleared box).
  void fitImage();
  QImage& image() { return image_; }
  const QImage& image() const { return image_; }
  // Shows the persistent image on the screen.
  void Refresh() { update(); }

 Q_SIGNALS:
  void Click();
  void DblClick();
  void MouseDown();
  void MouseMove();
  void MouseUp();
  void KeyDown();
  void KeyPress();
  void KeyUp();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  float scaleWidth_ = 0;
  float scaleHeight_ = 0;
  QImage image_;
};
