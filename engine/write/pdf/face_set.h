#pragma once

#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "write/pdf/font_face.h"

namespace zelvato::pdf {

// The faces a document's text is set in: the chosen face first, then the
// installed fallbacks, each loaded only when a character needs it. Every text
// is shaped once per orientation, in the first face that has all its
// characters; a text no face sets stands as the geta mark 〓.
class FaceSet {
 public:
  struct SetText {
    int face = 0;  // 0: the chosen face; then the fallbacks in order
    ShapedText shaped;
  };

  explicit FaceSet(std::shared_ptr<const Face> chosen);

  // The text shaped; it stays where it is for the life of the set.
  const SetText& set(std::u16string_view text, Orientation orientation);
  const std::shared_ptr<const Face>& face(int index) const { return faces_[static_cast<std::size_t>(index)]; }

 private:
  // Texts set so far in one orientation; a text of one code unit is found by
  // that unit (most texts are one character).
  struct Known {
    std::deque<SetText> texts;  // a deque: what it hands out stays where it is
    std::vector<int> byUnit = std::vector<int>(0x10000, -1);
    std::unordered_map<std::u16string, int> byText;
  };

  SetText setWith(std::u16string_view text, Orientation orientation);
  bool loadNextFallback();

  std::vector<std::shared_ptr<const Face>> faces_;
  std::size_t fallbacksTried_ = 0;  // of fallbackFaces(), in order
  Known known_[3];                  // by orientation
};

}  // namespace zelvato::pdf
