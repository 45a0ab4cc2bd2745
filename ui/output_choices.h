#pragma once

#include <QString>
#include <string_view>
#include <vector>

namespace zelvato {
struct WriterEntry;
enum class Destination;
}  // namespace zelvato

namespace zelvato::ui {

// The choices of the output page: every medium of the writer registry that
// the window offers (one with a remembered value), in the registry's order;
// optOutput(i) is the i-th. The page makes each choice's option button, path
// field and chooser from its entry; a medium registered with them appears
// there without a line of the window's.
std::vector<const WriterEntry*> outputChoices();
// The place of a medium's choice in the list; 0 (show only) for a medium without one.
int outputChoiceIndex(std::string_view key);

// The texts of a medium's chooser: the button's caption and the title of the
// dialog it opens, by what the medium writes (a file or a folder).
QString chooserCaption(Destination destination);
QString chooserDialogTitle(Destination destination);

// A text of the registry as Qt text.
QString qtText(std::u16string_view text);

}  // namespace zelvato::ui
