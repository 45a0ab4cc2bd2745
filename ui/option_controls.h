#pragma once

#include <QString>
#include <string_view>
#include <vector>

#include "document/conversion_settings.h"

namespace zelvato {
struct OptionEntry;
}

// The window's reading of the option table: which options it shows, in what
// kind of control, under which object name.
namespace zelvato::ui {

// A name of the table's (a key, an object name) as Qt text.
QString latin(std::string_view name);

// The options the window shows: every one with a control.
std::vector<const OptionEntry*> windowOptions();

// The control's object name; a choice's option buttons add the value they stand for: "optRuby(1)".
QString controlName(const OptionEntry& option);
QString choiceButtonName(const OptionEntry& option, int value);
QString captionOf(const OptionEntry& option);

// Shown as one check box: an on/off option, or a choice of two whose control
// is named "chk...", checked for its second word.
bool shownAsCheckBox(const OptionEntry& option);
bool checkedFor(const OptionEntry& option, const ConversionSettings& settings);
void setChecked(const OptionEntry& option, ConversionSettings& settings, bool checked);

// The check boxes of the typesetting page: every option of the table's
// typesetting group shown as one check box, in the table's order.
std::vector<const OptionEntry*> typesettingCheckBoxes();

}  // namespace zelvato::ui
