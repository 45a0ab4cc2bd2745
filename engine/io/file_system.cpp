#include "io/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zelvato {

FileFailure failureFromErrno(const std::string& path) {
  return FileFailure{path, std::strerror(errno)};
}

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::string folderOfPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  std::size_t end = slash;
  while (end > 0 && path[end - 1] == '/') --end;
  if (end == 0) return "/";
  return path.substr(0, end);
}

bool sameFile(const std::string& a, const std::string& b) {
  struct stat sa {
  }, sb{};
  if (a.empty() || b.empty() || ::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// Only ever removes a plain file (or a link): never a device or a folder.
bool deleteFile(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::lstat(path.c_str(), &st) != 0) return false;
  if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) return false;
  return ::unlink(path.c_str()) == 0;
}

bool fileExists(const std::string& path) {
  if (path.empty()) return false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    const int error = errno;
    errno = 0;  // leave no error state behind
    return error == EACCES || error == EPERM;
  }
  struct stat st {};
  const bool isFile = ::fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
  ::close(fd);
  errno = 0;
  return isFile;
}

SourceFileKind sourceFileKind(const std::string& path) {
  struct stat st {};
  if (path.empty()) return SourceFileKind::missing;
  if (::stat(path.c_str(), &st) != 0)
    return errno == ENOENT || errno == ENOTDIR ? SourceFileKind::missing : SourceFileKind::text;
  return S_ISREG(st.st_mode) || S_ISFIFO(st.st_mode) ? SourceFileKind::text : SourceFileKind::notText;
}

std::optional<std::string> readTextFileBytes(const std::string& path) {
  if (path.empty()) return std::nullopt;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  // A folder or a device is no text: /dev/zero would be read for ever.
  if (::fstat(fd, &st) != 0 || !(S_ISREG(st.st_mode) || S_ISFIFO(st.st_mode))) {
    ::close(fd);
    return std::nullopt;
  }
  std::string bytes;
  if (S_ISREG(st.st_mode) && st.st_size > 0) bytes.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return std::nullopt;
    }
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return bytes;
}

}  // namespace zelvato
