#include "typeset_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
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
  frames->addWidget(bookFrame());
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

QGroupBox* TypesetPage::bookFrame() {
  const OptionEntry& preset = *findOption("bookPreset");
  QGroupBox* frame = controls::frame(this, QStringLiteral("fraBook"), captionOf(preset));
  auto* grid = new QGridLayout(frame);
  controls::tighten(grid);
  grid->setHorizontalSpacing(4);
  // The presets in the first row, then the numbers three to a row, each after
  // its caption (empty: the preset's value).
  auto* presets = new QHBoxLayout;
  for (std::size_t k = 0; k < preset.choices.size() && k < std::size(texts::bookPresets); ++k) {
    QRadioButton* button =
        controls::option(frame, choiceButtonName(preset, preset.choices[k].value), texts::bookPresets[k]);
    presets->addWidget(button);
    order_.append(button);
  }
  grid->addLayout(presets, 0, 0, 1, 6);
  int placed = 0;
  for (const OptionEntry* o : windowOptions()) {
    if (o->group != OptionGroup::book || o->number == nullptr) continue;
    QLineEdit* box = controls::box(frame, controlName(*o), 36);
    grid->addWidget(new QLabel(captionOf(*o), frame), 1 + placed / 3, placed % 3 * 2);
    grid->addWidget(box, 1 + placed / 3, placed % 3 * 2 + 1);
    order_.append(box);
    ++placed;
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
