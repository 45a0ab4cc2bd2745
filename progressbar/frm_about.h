#pragma once
// The About window of the control: logo, version, copyright and an OK button.

#include <QDialog>

class QLabel;
class QPushButton;

class frmAbout : public QDialog {
  Q_OBJECT
 public:
  explicit frmAbout(QWidget* parent = nullptr);

  // Client area 6225 x 1770 twips.
  static constexpr int kClientWidthPx = 6225 / 15;
  static constexpr int kClientHeightPx = 1770 / 15;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void cmdOK_Click();
  void Form_KeyPress(int KeyAscii);

  QLabel* imgLogo = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label7 = nullptr;
  QLabel* Image1 = nullptr;
  QPushButton* cmdOK = nullptr;
};
