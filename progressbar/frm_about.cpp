#include "frm_about.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSvgRenderer>

namespace {

// Texts of the About window.
const char* const kCaption = "ﾊﾞｰｼﾞｮﾝ情報";
const char* const kVersion = "Version 1.0";
const char* const kCopyright = "Copyright (C) Serivane. All rights reserved.";
const char* const kControlName = "svProgressBar Control";
const char* const kControlNameJa = "ﾌﾟﾛｸﾞﾚｽﾊﾞｰ ｺﾝﾄﾛｰﾙ";

// Positions are in twips; 15 twips make one pixel.
QRect twips(int left, int top, int width, int height) {
  return QRect(left / 15, top / 15, width / 15, height / 15);
}

QPixmap renderPicture(const QString& resource, QSize size) {
  QPixmap pixmap(size);
  pixmap.fill(Qt::transparent);
  QSvgRenderer renderer(resource);
  QPainter painter(&pixmap);
  renderer.render(&painter);
  return pixmap;
}

// The window's 9-point proportional gothic, with what this machine offers in its place.
QFont aboutFont() {
  QFont font;
  font.setFamilies(
      {QString::fromUtf8("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"), QStringLiteral("DejaVu Sans")});
  font.setPixelSize(12);
  return font;
}

QLabel* makeLabel(QWidget* parent, const char* objectName, const QString& text, const QRect& geometry) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(objectName));
  label->setGeometry(geometry);
  label->setFont(aboutFont());
  // Where this machine's font is wider than the window's own, the label grows to the right
  // and down rather than cutting its text off.
  label->resize(label->size().expandedTo(label->sizeHint()));
  return label;
}

}  // namespace

frmAbout::frmAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("frmAbout"));
  setWindowTitle(QString::fromUtf8(kCaption));
  setWindowIcon(QIcon());
  setFixedSize(kClientWidthPx, kClientHeightPx);
  setFont(aboutFont());

  imgLogo = new QLabel(this);
  imgLogo->setObjectName(QStringLiteral("imgLogo"));
  imgLogo->setGeometry(twips(120, 120, 3015, 555));
  imgLogo->setPixmap(renderPicture(QStringLiteral(":/zorbar32/logo.svg"), QSize(201, 37)));

  Label2 = makeLabel(this, "Label2", QString::fromUtf8(kVersion), twips(3240, 360, 975, 255));

  cmdOK = new QPushButton(QStringLiteral("OK"), this);
  cmdOK->setObjectName(QStringLiteral("cmdOK"));
  cmdOK->setGeometry(twips(4680, 240, 1455, 375));
  connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

  Label1 = makeLabel(this, "Label1", QString::fromUtf8(kCopyright), twips(120, 720, 4410, 180));

  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(twips(240, 1200, 420, 420));
  Image1->setPixmap(renderPicture(QStringLiteral(":/zorbar32/control.svg"), QSize(28, 28)));

  Label3 = makeLabel(this, "Label3", QString::fromUtf8(kControlName), twips(840, 1200, 1710, 180));
  Label7 = makeLabel(this, "Label7", QString::fromUtf8(kControlNameJa), twips(960, 1440, 1800, 180));

  // The OK button is the only control that takes the focus.
  cmdOK->setFocus();
}

void frmAbout::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  // Etched separator: grey Line2, white Line1 one pixel lower.
  QPainter painter(this);
  painter.setPen(QColor(0x80, 0x80, 0x80));
  painter.drawLine(120 / 15, 960 / 15, 6120 / 15, 960 / 15);
  painter.setPen(Qt::white);
  painter.drawLine(120 / 15, 975 / 15, 6120 / 15, 975 / 15);
}

void frmAbout::keyPressEvent(QKeyEvent* event) {
  if (!event->text().isEmpty()) {
    Form_KeyPress(event->text().at(0).unicode());
    if (!isVisible()) return;
  }
  if (event->key() == Qt::Key_Escape) return;  // handled above; no second close
  QDialog::keyPressEvent(event);
}

void frmAbout::cmdOK_Click() {
  accept();
}

void frmAbout::Form_KeyPress(int KeyAscii) {
  if (KeyAscii == 27) reject();
}
