#include "settings_binding.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <functional>
#include <utility>

#include "document/number_text.h"
#include "option_controls.h"
#include "options/option_table.h"
#include "settings_model.h"
#include "up_down.h"
#include "write/registry/writer_registry.h"

namespace zelvato::ui {

namespace {

// A text box bound to one text of the model: an option's text or number, or a
// medium's path.
class FieldBinding final : public QObject {
 public:
  struct Field {
    QString key;  // the model's key of the field's changes
    std::function<QString()> value;
    std::function<void(const QString&)> edit;
  };

  FieldBinding(QLineEdit* box, UpDown* spinner, Field field, SettingsModel& model)
      : QObject(box), box_(box), spinner_(spinner), field_(std::move(field)) {
    show();
    connect(box, &QLineEdit::textChanged, this, &FieldBinding::edited);
    connect(&model, &SettingsModel::changed, this, [this](const QString& key) {
      if (key == field_.key) show();
    });
  }

 private:
  void edited(const QString& text) {
    const bool outer = std::exchange(editing_, true);
    field_.edit(text);
    // The model may keep a value of its own (an empty size is 6), unchanged by this edit.
    show();
    editing_ = outer;
  }

  void show() {
    const QString value = field_.value();
    if (box_->text() == value) return;
    // A whole number inside the spinner's range is set through the spinner,
    // which then steps on from it.
    const auto whole = toWholeNumber(textToNumber(value.toStdU16String()));
    if (spinner_ != nullptr && whole && *whole >= spinner_->minimum() && *whole <= spinner_->maximum() &&
        QString::number(*whole) == value) {
      spinner_->setValue(*whole);
    } else {
      box_->setText(value);
    }
    // An answer to the user's typing is selected; a value put in otherwise shows from its beginning.
    if (editing_) {
      box_->selectAll();
    } else {
      box_->setCursorPosition(0);
    }
  }

  QLineEdit* box_;
  UpDown* spinner_;
  const Field field_;
  bool editing_ = false;
};

class CheckBinding final : public QObject {
 public:
  CheckBinding(QCheckBox* box, const OptionEntry& option, SettingsModel& model)
      : QObject(box), box_(box), option_(option), model_(model), key_(keyOf(option)) {
    show();
    // Only the checked state counts as on; the grey third state is off.
    connect(box, &QCheckBox::stateChanged, this,
            [this](int state) { model_.editChecked(option_, state == Qt::Checked); });
    connect(&model, &SettingsModel::changed, this, [this](const QString& key) {
      if (key == key_) show();
    });
  }

 private:
  void show() {
    const Qt::CheckState state = model_.isChecked(option_) ? Qt::Checked : Qt::Unchecked;
    if (box_->checkState() != state) box_->setCheckState(state);
  }

  QCheckBox* box_;
  const OptionEntry& option_;
  SettingsModel& model_;
  const QString key_;
};

class ChoiceBinding final : public QObject {
 public:
  ChoiceBinding(QWidget& root, const OptionEntry& option, SettingsModel& model)
      : QObject(&root), option_(option), model_(model), key_(keyOf(option)) {
    for (const OptionChoice& c : option.choices) {
      auto* button = root.findChild<QRadioButton*>(choiceButtonName(option, c.value));
      if (button == nullptr) continue;
      buttons_.push_back({button, c.value});
      connect(button, &QRadioButton::toggled, this, [this, value = c.value](bool on) {
        if (on) model_.editChoice(option_, value);
      });
    }
    show();
    connect(&model, &SettingsModel::changed, this, [this](const QString& key) {
      if (key == key_) show();
    });
  }

 private:
  void show() {
    for (const auto& [button, value] : buttons_)
      if (value == model_.choice(option_) && !button->isChecked()) button->setChecked(true);
  }

  const OptionEntry& option_;
  SettingsModel& model_;
  const QString key_;
  std::vector<std::pair<QRadioButton*, int>> buttons_;
};

}  // namespace

void bindSettings(QWidget& root, SettingsModel& model) {
  const QList<UpDown*> spinners = root.findChildren<UpDown*>();
  for (const OptionEntry* o : windowOptions()) {
    const QString name = controlName(*o);
    if (o->text != nullptr || o->number != nullptr) {
      if (auto* box = root.findChild<QLineEdit*>(name)) {
        UpDown* spinner = nullptr;
        for (UpDown* s : spinners)
          if (s->buddy() == box) spinner = s;
        new FieldBinding(box, spinner,
                         {keyOf(*o), [&model, o] { return model.text(*o); },
                          [&model, o](const QString& text) { model.editText(*o, text); }},
                         model);
      }
    } else if (auto* box = root.findChild<QCheckBox*>(name); box != nullptr && shownAsCheckBox(*o)) {
      new CheckBinding(box, *o, model);
    } else if (o->setChoice != nullptr) {
      new ChoiceBinding(root, *o, model);
    }
  }
  // The media's files and folders, by the path controls the writer registry names.
  for (const WriterEntry& w : writerRegistry()) {
    if (w.pathControl.empty()) continue;
    if (auto* box = root.findChild<QLineEdit*>(latin(w.pathControl)))
      new FieldBinding(box, nullptr,
                       {SettingsModel::outputPathKey(w), [&model, &w] { return model.outputPath(w); },
                        [&model, &w](const QString& path) { model.editOutputPath(w, path); }},
                       model);
  }
}

}  // namespace zelvato::ui
