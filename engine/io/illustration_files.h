#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zelvato {

// The picture file of an illustration (挿絵), read from beside the source text.
struct IllustrationFile {
  std::string path;       // the file as found, inside the source folder
  std::string mediaType;  // image/png, image/jpeg, image/gif, image/svg+xml or image/webp
  std::string extension;  // "png", "jpg", "gif", "svg" or "webp"
  std::string bytes;
};

// Pictures larger than this are not read: the caption stands for them.
inline constexpr std::size_t maxIllustrationBytes = std::size_t{32} << 20;

// The picture `target` names (a file name, or a relative path of plain folder
// names) inside `sourceFolder`: read when it is a regular file of at most
// maxIllustrationBytes whose contents are of the kind its extension says.
// Nothing for an empty folder, an absolute path, a ".." step, a backslash or a
// link that leads out of the folder: such a name is never opened.
std::optional<IllustrationFile> readIllustration(std::u16string_view sourceFolder,
                                                 std::u16string_view target);

// The path of `file` as a relative link from `fromFolder` (every step
// percent-encoded as a link path); the file's absolute form when the two have
// no common root.
std::u16string illustrationLink(const std::string& file, const std::string& fromFolder);

}  // namespace zelvato
