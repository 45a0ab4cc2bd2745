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
  // The manuscript's paper and ruled lines, side by side under the check boxes.
  const QString papers[2] = {texts::paperA4, texts::paperB4};
  const QString lines[2] = {texts::linesRedBrown, texts::linesGrey};
  auto* manuscript = new QHBoxLayout;
  manuscript->setSpacing(6);
  manuscript->addWidget(choiceFrame("paperB4", papers, Qt::Horizontal));
  manuscript->addWidget(choiceFrame("greyPaperLines", lines, Qt::Horizontal));
  manuscript->addStretch(1);
  checks->addSpacing(12);
  checks->addLayout(manuscript);
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

QGroupBox* TypesetPage::choiceFrame(const char* key, const QString (&captions)[2],
                                    Qt::Orientation orientation) {
  const OptionEntry& option = *findOption(key);
  QGroupBox* frame =
      controls::frame(this, QStringLiteral("fra") + controlName(option).mid(3), captionOf(option));
  QBoxLayout* column =
      orientation == Qt::Vertical ? static_cast<QBoxLayout*>(new QVBoxLayout(frame)) : new QHBoxLayout(frame);
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
