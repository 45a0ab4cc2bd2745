#pragma once

#include <string_view>

#include "document/conversion_settings.h"

namespace zelvato {

// A word a choice option takes and the value it stands for; a word with a
// refusal is known but not accepted, and the refusal says why.
struct OptionChoice {
  std::string_view word;
  int value;
  std::string_view refusal = {};
};

namespace option_choices {

// The words of the option table's choices and the values they stand for.

constexpr OptionChoice rubyChoices[] = {
    {"paren", static_cast<int>(RubyMode::paren)},
    {"drop", static_cast<int>(RubyMode::drop)},
    // A ruby beside its base has no room in a grid of monospaced rows.
    {"beside", -1, "the grid has no room for ruby beside its base"},
};
constexpr OptionChoice styleChoices[] = {
    {"grid", static_cast<int>(TextStyle::grid)},
    {"flow", static_cast<int>(TextStyle::flow)},
};
constexpr OptionChoice formChoices[] = {
    {"look-alike", 0},
    {"unicode", 1},
};
constexpr OptionChoice editorNoteChoices[] = {
    {"drop", 0},
    {"show", 1},
};
constexpr OptionChoice paperChoices[] = {
    {"a4", 0},
    {"b4", 1},
};
constexpr OptionChoice paperLineChoices[] = {
    {"red-brown", 0},
    {"grey", 1},
};
constexpr OptionChoice encodingChoices[] = {
    {"shift_jis", static_cast<int>(OutputEncoding::shiftJis)},
    {"utf-8", static_cast<int>(OutputEncoding::utf8)},
};

// Where the source's ruby and the like are marked: nowhere, in Aozora Bunko
// notation, or in the notation of the novel-posting sites.
constexpr int plainNotation = 0, aozoraNotation = 1, webNotation = 2;
constexpr OptionChoice notationChoices[] = {
    {"plain", plainNotation},
    {"aozora", aozoraNotation},
    {"web", webNotation},
};
constexpr OptionChoice writingModeChoices[] = {
    {"vertical", static_cast<int>(WritingMode::vertical)},
    {"horizontal", static_cast<int>(WritingMode::horizontal)},
};
constexpr OptionChoice typefaceChoices[] = {
    {"mincho", static_cast<int>(Typeface::mincho)},
    {"gothic", static_cast<int>(Typeface::gothic)},
};

}  // namespace option_choices
}  // namespace zelvato
