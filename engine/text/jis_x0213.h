#pragma once

#include <string>

namespace zelvato {

// The character at plane-row-cell of JIS X 0213 (plane 1 or 2, row and cell 1
// to 94), through the system's EUC-JISX0213 converter. Some cells stand for a
// base character with a combining mark, so the result may be two characters.
// Empty when the position holds no character or the converter is missing.
std::u16string jisX0213Character(int plane, int row, int cell);

}  // namespace zelvato
