#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelvato {

// The picture file of an illustration (挿絵), read from beside the source text.
struct IllustrationFile {
  std::string path;       // the file as found, inside the source folder
  std::string mediaType;  // image/png, image/jpeg, image/gif, image/svg+xml or image/webp
  std::string extension;  // "png", "jpg", "gif", "svg" or "webp"
  std::string bytes;
  dev_t device = 0;  // the file read: every name of it is one picture
  ino_t inode = 0;
  std::size_t number = 0;  // of the run's pictures, from 1 in the order of first mention
};

// Pictures larger than this are not read: the caption stands for them.
inline constexpr std::size_t maxIllustrationBytes = std::size_t{32} << 20;
// The pictures of one run together, unless the run is told to go beyond.
inline constexpr std::uint64_t maxRunPictureBytes = std::uint64_t{256} << 20;

// The picture `target` names (a file name, or a relative path of plain folder
// names) inside `sourceFolder`: read when it is a regular file of at most
// maxIllustrationBytes whose contents are a whole picture of the kind its
// extension says (picture_header.h). Nothing for an empty folder, an absolute
// path, a ".." step, a backslash or a link that leads out of the folder: such
// a name is never opened. The file is opened without following a link and
// without waiting (a pipe put in its place is refused, never read), and
// checked on the descriptor it is read from.
std::optional<IllustrationFile> readIllustration(std::u16string_view sourceFolder,
                                                 std::u16string_view target);

// The pictures of one run's illustrations: each file read once at its first
// mention however often and under however many names (links) it is named,
// and the pictures together kept within a budget; a picture beyond it is not
// read, and its caption stands for it.
class IllustrationFiles {
 public:
  explicit IllustrationFiles(std::u16string sourceFolder, std::uint64_t budget = maxRunPictureBytes)
      : folder_(std::move(sourceFolder)), budget_(budget) {}
  // The picture `target` names; nullptr when it cannot be shown.
  IllustrationFile* find(std::u16string_view target);
  // Lets go of a picture's bytes once they have been written; it stays known.
  void dropBytes(IllustrationFile& picture) { picture.bytes = std::string(); }
  // Whether a picture was left out because the run's budget was spent.
  bool overBudget() const { return overBudget_; }

 private:
  std::u16string folder_;
  std::uint64_t budget_;
  std::uint64_t spent_ = 0;
  bool overBudget_ = false;
  std::map<std::u16string, IllustrationFile*, std::less<>> byTarget_;
  std::map<std::pair<dev_t, ino_t>, std::unique_ptr<IllustrationFile>> byFile_;
};

// The path of `file` as a relative link from `fromFolder` (every step
// percent-encoded as a link path); the file's absolute form when the two have
// no common root.
std::u16string illustrationLink(const std::string& file, const std::string& fromFolder);

}  // namespace zelvato
