#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "write/pdf/font_face.h"

namespace zelvato::pdf {

// The Mincho faces text is set in, the first installed one unless another is
// asked for: manuscripts and novels are set in Mincho.
std::span<const std::string_view> minchoFaces();
// The faces a character missing from the chosen face is looked for in, in
// order: the Mincho faces, then the Gothic ones.
std::span<const std::string_view> fallbackFaces();

// The regular style of the installed family of that name (any of its names,
// "IPAMincho" or "IPA明朝"), found through fontconfig; nullptr when no font of
// that family is installed (a missing family is never another's stand-in).
std::shared_ptr<const Face> findInstalledFace(std::string_view family);

// The face a document is set in.
struct FaceChoice {
  std::shared_ptr<const Face> face;  // nullptr: no installed face holds Japanese
  std::string family;                // the name it was chosen by
  bool fellBack = false;             // the face asked for is not installed or holds no Japanese
};

// The face asked for when it is installed and holds Japanese; else (or when
// none is asked for) the first such face of minchoFaces(), then of fallbackFaces().
FaceChoice chooseTextFace(std::string_view requested);

}  // namespace zelvato::pdf
