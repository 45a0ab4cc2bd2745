#include "write/pdf/face_set.h"

#include <algorithm>

#include "write/pdf/installed_faces.h"

namespace zelvato::pdf {
namespace {

constexpr std::u16string_view missingCharacter = u"〓";

}  // namespace

FaceSet::FaceSet(std::shared_ptr<const Face> chosen) {
  faces_.push_back(std::move(chosen));
}

// The next installed face of the fallback list that sets Japanese and is not
// yet among the faces.
bool FaceSet::loadNextFallback() {
  const auto families = fallbackFaces();
  while (fallbacksTried_ < families.size()) {
    auto face = findInstalledFace(families[fallbacksTried_++]);
    if (!face || !face->holdsJapanese()) continue;
    const bool known = std::any_of(faces_.begin(), faces_.end(), [&face](const auto& other) {
      return other->path() == face->path() && other->index() == face->index();
    });
    if (known) continue;
    faces_.push_back(std::move(face));
    return true;
  }
  return false;
}

FaceSet::SetText FaceSet::setWith(std::u16string_view text, Orientation orientation) {
  for (std::size_t face = 0; face < faces_.size() || loadNextFallback(); ++face) {
    ShapedText shaped = faces_[face]->shape(text, orientation);
    if (shaped.complete) return {static_cast<int>(face), std::move(shaped)};
  }
  if (text == missingCharacter) return {0, faces_.front()->shape(text, Orientation::upright)};
  return setWith(missingCharacter, Orientation::upright);
}

const FaceSet::SetText& FaceSet::set(std::u16string_view text, Orientation orientation) {
  Known& known = known_[static_cast<int>(orientation)];
  int* index = nullptr;
  if (text.size() == 1) {
    index = &known.byUnit[text.front()];
  } else {
    const auto [entry, added] = known.byText.try_emplace(std::u16string(text), -1);
    index = &entry->second;
  }
  if (*index < 0) {
    *index = static_cast<int>(known.texts.size());
    known.texts.push_back(setWith(text, orientation));
  }
  return known.texts[static_cast<std::size_t>(*index)];
}

}  // namespace zelvato::pdf
