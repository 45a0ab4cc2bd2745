#pragma once

#include <string>
#include <string_view>

namespace zelvato {

// Text put between the double quotes of an attribute (or into an element) with
// the characters that would end it or begin markup written as references, so a
// name the user typed can never become markup of its own.
std::u16string escapeAttribute(std::u16string_view text);

}  // namespace zelvato
