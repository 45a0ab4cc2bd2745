#include "test_sources.h"

#include "read/source_decoding.h"
#include "write/pdf/installed_faces.h"

namespace zelvato::testing {

bool japaneseFaceInstalled() {
  return pdf::chooseTextFace("").face != nullptr;
}

std::u16string readSource(const std::string& path) {
  const auto decoded = readSourceFile(path);
  std::u16string text;
  if (decoded)
    for (const std::u16string& line : decoded->lines) text += line + u"\r\n";
  return text;
}

}  // namespace zelvato::testing
