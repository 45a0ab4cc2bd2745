#pragma once

// The main window's controls for the tests, found by their object names: a
// member of a control array is named with its index, "txtAppearance(0)".
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include "frm_main.h"
#include "up_down.h"

namespace zelvato::ui {

// Types `text` into a control as a writer does: each line committed by the
// input method (as Japanese text arrives), Enter between the lines.
inline void typeText(QWidget* control, const QString& text) {
  const QStringList lines = text.split(QLatin1Char('\n'));
  for (qsizetype i = 0; i < lines.size(); ++i) {
    if (i > 0) QTest::keyClick(control, Qt::Key_Return);
    if (lines[i].isEmpty()) continue;
    QInputMethodEvent commit;
    commit.setCommitString(lines[i]);
    QApplication::sendEvent(control, &commit);
  }
}

template <typename Control>
Control* named(const frmMain& window, const QString& name) {
  return window.findChild<Control*>(name);
}

template <typename Control>
Control* arrayMember(const frmMain& window, const char* array, int index) {
  return named<Control>(window, QStringLiteral("%1(%2)").arg(QLatin1String(array)).arg(index));
}

inline QAction* toolbarButton(const frmMain& w, int i) {
  return arrayMember<QAction>(w, "Toolbar1Button", i);
}
inline QLabel* lblHcov(const frmMain& w, int i) {
  return arrayMember<QLabel>(w, "lblHcov", i);
}
inline QLineEdit* txtAppearance(const frmMain& w, int i) {
  return arrayMember<QLineEdit>(w, "txtAppearance", i);
}
inline UpDown* updnAppearance(const frmMain& w, int i) {
  return arrayMember<UpDown>(w, "updnAppearance", i);
}
inline QCheckBox* chkOpt(const frmMain& w, int i) {
  return arrayMember<QCheckBox>(w, "chkOpt", i);
}
inline QLineEdit* txtFont(const frmMain& w, int i) {
  return arrayMember<QLineEdit>(w, "txtFont", i);
}
inline QRadioButton* optOutput(const frmMain& w, int i) {
  return arrayMember<QRadioButton>(w, "optOutput", i);
}
inline QLineEdit* txtOutput(const frmMain& w, int i) {
  return arrayMember<QLineEdit>(w, "txtOutput", i);
}
inline QCheckBox* chkOutput(const frmMain& w, int i) {
  return arrayMember<QCheckBox>(w, "chkOutput", i);
}
inline QRadioButton* optEncoding(const frmMain& w, int i) {
  return arrayMember<QRadioButton>(w, "optEncoding", i);
}
inline QCheckBox* chkTypeset(const frmMain& w, int i) {
  return arrayMember<QCheckBox>(w, "chkTypeset", i);
}
inline QRadioButton* optRuby(const frmMain& w, int i) {
  return arrayMember<QRadioButton>(w, "optRuby", i);
}
inline QPushButton* cmdAllSelect(const frmMain& w, int i) {
  return arrayMember<QPushButton>(w, "cmdAllSelect", i);
}
inline QPushButton* button(const frmMain& w, const char* name) {
  return named<QPushButton>(w, QLatin1String(name));
}
inline QLineEdit* lineEdit(const frmMain& w, const char* name) {
  return named<QLineEdit>(w, QLatin1String(name));
}
inline QCheckBox* checkBox(const frmMain& w, const char* name) {
  return named<QCheckBox>(w, QLatin1String(name));
}

// The page SSTabMain shows.
inline Tab shownTab(const frmMain& w) {
  return static_cast<Tab>(w.SSTabMain()->currentIndex());
}

}  // namespace zelvato::ui
