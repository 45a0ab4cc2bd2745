#include "option_controls.h"

#include "options/option_table.h"

namespace zelvato::ui {

QString latin(std::string_view name) {
  return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

std::vector<const OptionEntry*> windowOptions() {
  std::vector<const OptionEntry*> shown;
  for (const OptionEntry& o : optionTable())
    if (!o.control.empty()) shown.push_back(&o);
  return shown;
}

QString controlName(const OptionEntry& option) {
  return latin(option.control);
}

QString choiceButtonName(const OptionEntry& option, int value) {
  return QStringLiteral("%1(%2)").arg(controlName(option)).arg(value);
}

QString captionOf(const OptionEntry& option) {
  return QString::fromStdU16String(std::u16string(option.caption));
}

bool shownAsCheckBox(const OptionEntry& option) {
  if (option.onOff != nullptr) return true;
  return option.type == OptionType::choice && option.choices.size() == 2 && option.control.starts_with("chk");
}

bool checkedFor(const OptionEntry& option, const ConversionSettings& settings) {
  if (option.onOff != nullptr) return settings.*option.onOff;
  return option.choiceOf != nullptr && option.choices.size() == 2 &&
         option.choiceOf(settings) == option.choices[1].value;
}

void setChecked(const OptionEntry& option, ConversionSettings& settings, bool checked) {
  if (option.onOff != nullptr) {
    settings.*option.onOff = checked;
  } else if (option.setChoice != nullptr && option.choices.size() == 2) {
    option.setChoice(settings, option.choices[checked ? 1 : 0].value);
  }
}

std::vector<const OptionEntry*> typesettingCheckBoxes() {
  std::vector<const OptionEntry*> boxes;
  for (const OptionEntry* o : windowOptions())
    if (o->group == OptionGroup::typesetting && !o->caption.empty() && shownAsCheckBox(*o))
      boxes.push_back(o);
  return boxes;
}

}  // namespace zelvato::ui
