#include "controls.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace zelvato::ui::controls {

QString indexed(const char* name, int index) {
  return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

QGroupBox* frame(QWidget* parent, const QString& name, const QString& caption) {
  auto* made = new QGroupBox(caption, parent);
  made->setObjectName(name);
  return made;
}

QLabel* label(QWidget* parent, int index, const QString& text) {
  auto* made = new QLabel(text, parent);
  made->setObjectName(indexed("lblHcov", index));
  return made;
}

QLineEdit* box(QWidget* parent, const QString& name, int width) {
  auto* made = new QLineEdit(parent);
  made->setObjectName(name);
  made->setTextMargins(1, 0, 1, 0);
  made->setFixedHeight(rowHeight);
  if (width > 0) made->setFixedWidth(width);
  return made;
}

QCheckBox* check(QWidget* parent, const QString& name, const QString& text) {
  auto* made = new QCheckBox(text, parent);
  made->setObjectName(name);
  made->setFixedHeight(optionHeight);
  return made;
}

QRadioButton* option(QWidget* parent, const QString& name, const QString& text) {
  auto* made = new QRadioButton(text, parent);
  made->setObjectName(name);
  made->setFixedHeight(optionHeight);
  return made;
}

QPushButton* button(QWidget* parent, const QString& name, const QString& text) {
  auto* made = new QPushButton(text, parent);
  made->setObjectName(name);
  made->setAutoDefault(false);
  return made;
}

void tighten(QLayout* layout) {
  layout->setContentsMargins(6, 2, 6, 4);
  layout->setSpacing(2);
}

}  // namespace zelvato::ui::controls
