#include "io/illustration_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "io/picture_header.h"
#include "text/html_text.h"
#include "text/unicode_text.h"

namespace zelvato {
namespace {

namespace fs = std::filesystem;

struct ImageKind {
  std::string_view extension;
  std::string_view mediaType;
  std::string_view stored;  // the extension the copy gets
};
constexpr ImageKind imageKinds[] = {
    {"png", "image/png", "png"},    {"jpg", "image/jpeg", "jpg"}, {"jpeg", "image/jpeg", "jpg"},
    {"jpe", "image/jpeg", "jpg"},   {"gif", "image/gif", "gif"},  {"svg", "image/svg+xml", "svg"},
    {"webp", "image/webp", "webp"},
};

std::string lowerAscii(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return text;
}

// A relative name of plain steps: no root, no "." or ".." step, no backslash
// (a folder separator elsewhere), no control character, no empty step.
bool plainRelativeName(std::u16string_view name) {
  if (name.empty() || name.front() == u'/') return false;
  std::size_t from = 0;
  while (from <= name.size()) {
    std::size_t slash = name.find(u'/', from);
    if (slash == std::u16string_view::npos) slash = name.size();
    const std::u16string_view step = name.substr(from, slash - from);
    if (step.empty() || step == u"." || step == u"..") return false;
    for (const char16_t c : step)
      if (c < 0x20 || c == 0x7F || c == u'\\' || c == u':') return false;
    from = slash + 1;
  }
  return true;
}

bool inside(const fs::path& path, const fs::path& folder) {
  auto p = path.begin();
  for (auto f = folder.begin(); f != folder.end(); ++f, ++p) {
    if (p == path.end() || *p != *f) return false;
  }
  return p != path.end();
}

}  // namespace

namespace {

// A picture file opened where its name leads inside the folder: the
// descriptor, what it is, and the kind its extension names.
struct OpenedPicture {
  int fd = -1;
  struct stat st {};
  fs::path path;
  const ImageKind* kind = nullptr;
  OpenedPicture() = default;
  OpenedPicture(const OpenedPicture&) = delete;
  OpenedPicture& operator=(const OpenedPicture&) = delete;
  ~OpenedPicture() {
    if (fd >= 0) ::close(fd);
  }
};

bool openPicture(std::u16string_view sourceFolder, std::u16string_view target, OpenedPicture& opened) {
  if (sourceFolder.empty() || !plainRelativeName(target)) return false;
  const std::string name = textToPath(target);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  const std::string extension = lowerAscii(name.substr(dot + 1));
  for (const ImageKind& k : imageKinds)
    if (k.extension == extension) opened.kind = &k;
  if (opened.kind == nullptr) return false;

  std::error_code error;
  const fs::path folder = fs::canonical(fs::path(textToPath(sourceFolder)), error);
  if (error) return false;
  // The real place of the file, links followed: it must still lie in the folder.
  opened.path = fs::canonical(folder / name, error);
  if (error || !inside(opened.path, folder)) return false;
  // The place has no link left in it; one put there since is refused, and a
  // pipe or device put there is neither waited for nor read.
  opened.fd = ::open(opened.path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (opened.fd < 0 || ::fstat(opened.fd, &opened.st) != 0 || !S_ISREG(opened.st.st_mode)) return false;
  return opened.st.st_size > 0 && static_cast<std::uint64_t>(opened.st.st_size) <= maxIllustrationBytes;
}

// The picture's bytes, read through its descriptor, when they are a whole picture of its kind.
std::optional<IllustrationFile> readOpened(OpenedPicture& opened) {
  IllustrationFile out;
  out.bytes.resize(static_cast<std::size_t>(opened.st.st_size));
  std::size_t done = 0;
  while (done < out.bytes.size()) {
    const ssize_t n = ::read(opened.fd, out.bytes.data() + done, out.bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return std::nullopt;  // shorter than it was: changed while read
    done += static_cast<std::size_t>(n);
  }
  if (!wholePicture(opened.kind->mediaType, out.bytes)) return std::nullopt;
  out.path = opened.path.string();
  out.mediaType = opened.kind->mediaType;
  out.extension = opened.kind->stored;
  out.device = opened.st.st_dev;
  out.inode = opened.st.st_ino;
  return out;
}

}  // namespace

std::optional<IllustrationFile> readIllustration(std::u16string_view sourceFolder,
                                                 std::u16string_view target) {
  OpenedPicture opened;
  if (!openPicture(sourceFolder, target, opened)) return std::nullopt;
  return readOpened(opened);
}

IllustrationFile* IllustrationFiles::find(std::u16string_view target) {
  if (const auto known = byTarget_.find(target); known != byTarget_.end()) return known->second;
  IllustrationFile* found = nullptr;
  OpenedPicture opened;
  if (openPicture(folder_, target, opened)) {
    const auto key = std::make_pair(opened.st.st_dev, opened.st.st_ino);
    if (const auto same = byFile_.find(key); same != byFile_.end()) {
      found = same->second.get();
    } else if (spent_ + static_cast<std::uint64_t>(opened.st.st_size) > budget_) {
      overBudget_ = true;
    } else if (auto picture = readOpened(opened)) {
      spent_ += picture->bytes.size();
      picture->number = byFile_.size() + 1;
      found =
          byFile_.emplace(key, std::make_unique<IllustrationFile>(std::move(*picture))).first->second.get();
    }
  }
  byTarget_.emplace(std::u16string(target), found);
  return found;
}

std::u16string illustrationLink(const std::string& file, const std::string& fromFolder) {
  std::error_code error;
  fs::path from = fs::weakly_canonical(fs::absolute(fs::path(fromFolder), error), error);
  fs::path relative = error ? fs::path() : fs::path(file).lexically_relative(from);
  if (relative.empty()) relative = fs::path(file);
  std::u16string link;
  for (const fs::path& step : relative.relative_path()) {
    if (step.empty()) continue;
    if (!link.empty() || relative.is_absolute()) link += u'/';
    link += linkPath(pathToText(step.string()));
  }
  return link;
}

}  // namespace zelvato
