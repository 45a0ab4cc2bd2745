#include "write/pdf/installed_faces.h"

#include <fontconfig/fontconfig.h>

#include <cstdlib>
#include <iterator>
#include <mutex>

namespace zelvato::pdf {
namespace {

constexpr std::string_view mincho[] = {"IPAexMincho", "IPAMincho", "Noto Serif CJK JP", "BIZ UDMincho"};
constexpr std::string_view fallbacks[] = {"IPAexMincho", "IPAMincho", "Noto Serif CJK JP", "BIZ UDMincho",
                                          "IPAexGothic", "IPAGothic", "Noto Sans CJK JP",  "BIZ UDGothic",
                                          "TakaoGothic", "VL Gothic"};

// fontconfig's configuration is read once, by the first caller.
FcConfig* configuration() {
  static FcConfig* config = [] {
    FcInit();
    return FcConfigGetCurrent();
  }();
  return config;
}

std::mutex& fontconfigLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

std::span<const std::string_view> minchoFaces() {
  return mincho;
}

std::span<const std::string_view> fallbackFaces() {
  return fallbacks;
}

std::shared_ptr<const Face> findInstalledFace(std::string_view family) {
  if (family.empty()) return nullptr;
  std::string path;
  int index = 0;
  {
    const std::lock_guard<std::mutex> guard(fontconfigLock());
    FcConfig* config = configuration();
    if (config == nullptr) return nullptr;
    const std::string name(family);
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
    FcObjectSet* objects = FcObjectSetBuild(FC_FILE, FC_INDEX, FC_WEIGHT, FC_SLANT, nullptr);
    FcFontSet* fonts = FcFontList(config, pattern, objects);
    // The style nearest the regular weight, upright.
    int bestDistance = 1 << 30;
    for (int i = 0; fonts != nullptr && i < fonts->nfont; ++i) {
      FcChar8* file = nullptr;
      int weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN, faceIndex = 0;
      if (FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &file) != FcResultMatch) continue;
      FcPatternGetInteger(fonts->fonts[i], FC_WEIGHT, 0, &weight);
      FcPatternGetInteger(fonts->fonts[i], FC_SLANT, 0, &slant);
      FcPatternGetInteger(fonts->fonts[i], FC_INDEX, 0, &faceIndex);
      const int distance = std::abs(weight - FC_WEIGHT_REGULAR) + (slant != FC_SLANT_ROMAN ? 1000 : 0);
      if (distance < bestDistance) {
        bestDistance = distance;
        path = reinterpret_cast<const char*>(file);
        index = faceIndex;
      }
    }
    if (fonts != nullptr) FcFontSetDestroy(fonts);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
  }
  if (path.empty()) return nullptr;
  return Face::load(path, static_cast<unsigned>(index));
}

FaceChoice chooseTextFace(std::string_view requested) {
  if (!requested.empty()) {
    if (auto face = findInstalledFace(requested); face && face->holdsJapanese())
      return {std::move(face), std::string(requested), false};
  }
  for (const auto list : {minchoFaces(), fallbackFaces()})
    for (const std::string_view family : list)
      if (auto face = findInstalledFace(family); face && face->holdsJapanese())
        return {std::move(face), std::string(family), !requested.empty()};
  return {nullptr, std::string(), true};
}

}  // namespace zelvato::pdf
