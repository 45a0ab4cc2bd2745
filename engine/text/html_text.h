#pragma once

#include <string>
#include <string_view>

namespace zelvato {

// True for the control characters that have no place in a page: C0 (except
// tab, carriage return and line feed), DEL and C1.
bool isStrayControl(char16_t c);

// A text put between tags: "&", "<" and ">" as character references, stray
// control characters as U+FFFD.
std::u16string escapeText(std::u16string_view text);

// A text put into a double-quoted attribute value: as escapeText, and the
// quotes too, so the value can never end early.
std::u16string escapeAttribute(std::u16string_view text);

// A file name as the path of a relative link: letters, digits, "-", ".", "_",
// "~" and every valid non-ASCII character stay as they are (a browser sends
// them as UTF-8, as the name is stored); every other byte of the name's native
// form is percent-encoded, so "#", "?", "%" and quotes name the file itself.
std::u16string linkPath(std::u16string_view fileName);

}  // namespace zelvato
