// Faces as the PDF writers find them: a Mincho first, the face asked for when
// it is installed and sets Japanese, never another family in its place.

#include "write/pdf/installed_faces.h"

#include <gtest/gtest.h>

namespace zelvato::pdf {
namespace {

// The first installed Mincho of the list; empty when none is.
std::string firstInstalledMincho() {
  for (const std::string_view family : minchoFaces())
    if (auto face = findInstalledFace(family); face && face->holdsJapanese()) return std::string(family);
  return {};
}

TEST(InstalledFaces, TheFaceAskedForOrTheFirstMincho) {
  const std::string mincho = firstInstalledMincho();
  if (mincho.empty()) GTEST_SKIP() << "no Mincho face is installed";
  const bool ipaGothic = findInstalledFace("IPAGothic") != nullptr;
  const struct {
    const char* name;
    std::string requested;
    std::string family;
    bool fellBack;
  } cases[] = {
      {"nothing asked for: the first installed Mincho", "", mincho, false},
      {"an installed Mincho by name", mincho, mincho, false},
      {"a family that is not installed", "No Such Family 12345", mincho, true},
      {"a face without Japanese characters", "DejaVu Sans", mincho, true},
      {"an installed Gothic when it is asked for", ipaGothic ? "IPAGothic" : mincho,
       ipaGothic ? "IPAGothic" : mincho, false},
  };
  for (const auto& c : cases) {
    const FaceChoice choice = chooseTextFace(c.requested);
    ASSERT_NE(choice.face, nullptr) << c.name;
    EXPECT_EQ(choice.family, c.family) << c.name;
    EXPECT_EQ(choice.fellBack, c.fellBack) << c.name;
    EXPECT_TRUE(choice.face->holdsJapanese()) << c.name;
  }
}

TEST(InstalledFaces, AFamilyIsFoundByAnyOfItsNamesAndNeverByAnother) {
  if (findInstalledFace("IPAMincho") == nullptr) GTEST_SKIP() << "IPAMincho is not installed";
  const struct {
    const char* name;
    std::string family;
    bool found;
  } cases[] = {
      {"its own name", "IPAMincho", true},
      {"its Japanese name", "IPA明朝", true},
      {"another letter case", "ipamincho", true},
      {"a name that is not there", "IPAMinchoo", false},
      {"no name", "", false},
  };
  for (const auto& c : cases) {
    const auto face = findInstalledFace(c.family);
    EXPECT_EQ(face != nullptr, c.found) << c.name;
    if (face) EXPECT_EQ(face->postScriptName(), "IPAMincho") << c.name;
  }
}

}  // namespace
}  // namespace zelvato::pdf
