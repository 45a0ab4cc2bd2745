#include "controls.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace zelvato::ui::controls {

namespace {

// Tab into a group of option buttons lands on the chosen one, as the arrow
// keys then move the choice; Qt would land on whichever comes first.
class TabToChosenOption final : public QObject {
 public:
  explicit TabToChosenOption(QRadioButton* option) : QObject(option), option_(option) {
    option->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != option_ || event->type() != QEvent::FocusIn || option_->isChecked()) return false;
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason) return false;
    if (QAbstractButton* chosen = chosenBeside();
        chosen != nullptr && chosen->isEnabled() && chosen->isVisible())
      chosen->setFocus(reason);
    return false;
  }

 private:
  QAbstractButton* chosenBeside() const {
    if (const QButtonGroup* group = option_->group())
      return group->exclusive() ? group->checkedButton() : nullptr;
    if (!option_->autoExclusive() || option_->parentWidget() == nullptr) return nullptr;
    for (QRadioButton* other :
         option_->parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly))
      if (other->autoExclusive() && other->isChecked()) return other;
    return nullptr;
  }

  QRadioButton* option_;
};

}  // namespace

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
  new TabToChosenOption(made);
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
