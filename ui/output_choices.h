#pragma once

#include <QString>
#include <span>
#include <string_view>
#include <vector>

#include "document/conversion_settings.h"

namespace zelvato::ui {

// Where a medium puts what it writes, besides the preview.
enum class OutputTarget { none, file, folder };

// One choice of the output page, declared once: the page makes its option
// button, its path field and its chooser from it, the rule of the page enables
// what it names, and the settings remember it by its place in the list.
struct OutputChoice {
  std::string_view key;  // the medium's key in the writer registry: "single"
  QString caption;       // the option button's text
  OutputTarget target = OutputTarget::none;
  QString fieldCaption = {};      // above the path field
  std::string_view chooser = {};  // the chooser button's object name
  QString chooserCaption = {};
  QString dialogTitle = {};
  QString filter = {};     // of the save dialog: "HTMLﾌｧｲﾙ (*.html)"
  QString extension = {};  // given to a file name typed without one
  // The other options whose controls this choice enables. A control that some
  // choice names is usable only while a choice naming it is chosen.
  std::vector<std::string_view> enables = {};
};

// The choices in the order the page shows them; optOutput(i) is the i-th.
std::span<const OutputChoice> outputChoices();
// The place of a medium's choice in the list; 0 (show only) for a medium without one.
int outputChoiceIndex(std::string_view key);

}  // namespace zelvato::ui
