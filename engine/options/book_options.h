#pragma once

#include <span>

#include "options/option_table.h"

namespace zelvato {

// The options of the typeset book (group "Book"), which the option table lists
// after the output options.
std::span<const OptionEntry> bookOptions();

}  // namespace zelvato
