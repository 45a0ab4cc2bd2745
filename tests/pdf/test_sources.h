#pragma once

#include <string>

namespace zelvato::testing {

// Whether a face that sets Japanese is installed (PDF tests skip without one).
bool japaneseFaceInstalled();

// A source file as the converter reads it: its lines joined with CR LF.
std::u16string readSource(const std::string& path);

}  // namespace zelvato::testing
