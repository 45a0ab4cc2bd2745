#include "io/illustration_files.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

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

// The contents begin as a file of the kind says.
bool looksLike(std::string_view kind, std::string_view bytes) {
  if (kind == "image/png") return bytes.starts_with("\x89PNG\r\n\x1a\n");
  if (kind == "image/jpeg") return bytes.starts_with("\xff\xd8\xff");
  if (kind == "image/gif") return bytes.starts_with("GIF87a") || bytes.starts_with("GIF89a");
  if (kind == "image/webp")
    return bytes.size() >= 12 && bytes.starts_with("RIFF") && bytes.substr(8, 4) == "WEBP";
  if (kind == "image/svg+xml") return bytes.substr(0, 4096).find("<svg") != std::string_view::npos;
  return false;
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

std::optional<IllustrationFile> readIllustration(std::u16string_view sourceFolder,
                                                 std::u16string_view target) {
  if (sourceFolder.empty() || !plainRelativeName(target)) return std::nullopt;
  const std::string name = textToPath(target);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos) return std::nullopt;
  const std::string extension = lowerAscii(name.substr(dot + 1));
  const ImageKind* kind = nullptr;
  for (const ImageKind& k : imageKinds)
    if (k.extension == extension) kind = &k;
  if (kind == nullptr) return std::nullopt;

  std::error_code error;
  const fs::path folder = fs::canonical(fs::path(textToPath(sourceFolder)), error);
  if (error) return std::nullopt;
  // The real place of the file, links followed: it must still lie in the folder.
  const fs::path file = fs::canonical(folder / name, error);
  if (error || !inside(file, folder)) return std::nullopt;
  const fs::file_status status = fs::status(file, error);
  if (error || !fs::is_regular_file(status)) return std::nullopt;
  const auto size = fs::file_size(file, error);
  if (error || size == 0 || size > maxIllustrationBytes) return std::nullopt;

  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  IllustrationFile out;
  out.bytes.assign(std::istreambuf_iterator<char>(in), {});
  if (in.bad() || out.bytes.size() != size || !looksLike(kind->mediaType, out.bytes)) return std::nullopt;
  out.path = file.string();
  out.mediaType = kind->mediaType;
  out.extension = kind->stored;
  return out;
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
