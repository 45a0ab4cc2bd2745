#include "typeset_page.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

#include "controls.h"
#include "frm_main_texts.h"
#include "option_controls.h"
#include "options/option_table.h"
#include "settings_model.h"

namespace zelvato::ui {

TypesetPage::TypesetPage(SettingsModel& model, QWidget* parent) : QWidget(parent), model_(model) {
  // One column in the table's order: a new option of the group appears here
  // with its caption and object name.
  auto* checks = new QVBoxLayout;
  checks->setSpacing(4);
  for (const OptionEntry* o : typesettingCheckBoxes()) {
    QCheckBox* box = controls::check(this, controlName(*o), captionOf(*o));
    checks->addWidget(box);
    order_.append(box);
  }
  checks->addStretch(1);

  const QString styles[2] = {texts::styleGrid, texts::styleFlow};
  const QString rubies[2] = {texts::rubyParen, texts::rubyDrop};
  auto* frames = new QVBoxLayout;
  frames->setSpacing(6);
  frames->addWidget(choiceFrame("textStyle", styles));
  QGroupBox* ruby = choiceFrame("rubyMode", rubies);
  frames->addWidget(ruby);
  frames->addStretch(1);
  aozoraOnly_ = ruby->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
  if (auto* notes = findChild<QWidget*>(controlName(*findOption("showEditorNotes"))))
    aozoraOnly_.append(notes);

  auto* page = new QHBoxLayout(this);
  page->setContentsMargins(16, 12, 8, 8);
  page->setSpacing(16);
  page->addLayout(checks, 1);
  page->addLayout(frames, 1);

  connect(&model_, &SettingsModel::changed, this, [this](const QString& key) {
    if (key == QLatin1String("aozoraNotation")) chkTypeset_Click();
  });
  chkTypeset_Click();
}

QGroupBox* TypesetPage::choiceFrame(const char* key, const QString (&captions)[2]) {
  const OptionEntry& option = *findOption(key);
  QGroupBox* frame =
      controls::frame(this, QStringLiteral("fra") + controlName(option).mid(3), captionOf(option));
  auto* column = new QVBoxLayout(frame);
  controls::tighten(column);
  for (int value : {0, 1}) {
    QRadioButton* button = controls::option(frame, choiceButtonName(option, value), captions[value]);
    column->addWidget(button);
    order_.append(button);
  }
  return frame;
}

void TypesetPage::chkTypeset_Click() {
  for (QWidget* w : aozoraOnly_) w->setEnabled(model_.conversion().aozoraNotation);
}

QList<QWidget*> TypesetPage::keyboardOrder() const {
  return order_;
}

}  // namespace zelvato::ui
