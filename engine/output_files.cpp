#include "output_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>

namespace zelvato {
namespace {

constexpr const char* notRegularFile = "not a regular file";
constexpr const char* isTheSource = "it is the source file";
constexpr const char* replacedUnderfoot = "the new file was replaced by another";

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// A fresh name in the target's folder that no other file has; the file is
// created with it at once, so nobody can have planted anything under it.
int createBeside(const std::string& target, std::string& name) {
  static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  // One generator per thread: runs on several threads never share it.
  thread_local std::mt19937_64 random{std::random_device{}()};
  const std::string folder = folderOf(target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string suffix;
    for (int i = 0; i < 10; ++i) suffix += letters[random() % (sizeof letters - 1)];
    name = (folder == "/" ? std::string() : folder) + "/.zelvato-" + suffix + ".tmp";
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// The run that commit() hands its files to on this thread (see DeferredCommit).
thread_local StagedFiles* deferredInto = nullptr;

void syncFolders(const std::vector<std::string>& folders) {
  for (const std::string& folder : folders) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) continue;
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace

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

FileFailure failureFromErrno(const std::string& path) {
  return FileFailure{path, std::strerror(errno)};
}

StagedFiles::~StagedFiles() {
  discard();
}

bool StagedFiles::fail(const std::string& path) {
  if (!failure_) failure_ = failureFromErrno(path);
  return false;
}

bool StagedFiles::fail(const std::string& path, const std::string& reason) {
  if (!failure_) failure_ = FileFailure{path, reason};
  return false;
}

StagedFiles::Staged* StagedFiles::find(const std::string& target) {
  // The file asked for is nearly always one of the last begun.
  for (auto it = files_.rbegin(); it != files_.rend(); ++it)
    if (it->target == target) return &*it;
  return nullptr;
}

bool StagedFiles::begin(const std::string& target) {
  if (target.empty()) {
    errno = ENOENT;
    return fail(target);
  }
  if (find(target) != nullptr) return true;
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) return fail(target, notRegularFile);
    if (kept_ && kept_->first == st.st_dev && kept_->second == st.st_ino) return fail(target, isTheSource);
    // A file the user protected is refused, as writing it in place would be.
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return fail(target);
  } else if (errno != ENOENT) {
    return fail(target);
  }
  Staged file;
  file.target = target;
  const int fd = createBeside(target, file.temporary);
  if (fd < 0) return fail(target);
  struct stat made {};
  const bool known = ::fstat(fd, &made) == 0;
  const int error = errno;
  ::close(fd);
  if (!known) {
    ::unlink(file.temporary.c_str());
    errno = error;
    return fail(target);
  }
  file.device = made.st_dev;
  file.inode = made.st_ino;
  files_.push_back(std::move(file));
  return true;
}

int StagedFiles::reopen(const Staged& file, int flags) {
  const int fd = ::open(file.temporary.c_str(), flags | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || st.st_dev != file.device || st.st_ino != file.inode) {
    ::close(fd);
    errno = 0;
    return -2;
  }
  return fd;
}

bool StagedFiles::append(const std::string& target, std::string_view bytes) {
  Staged* file = find(target);
  if (file == nullptr) {
    errno = ENOENT;
    return fail(target);
  }
  const int fd = reopen(*file, O_WRONLY | O_APPEND);
  if (fd == -2) return fail(target, replacedUnderfoot);
  if (fd < 0) return fail(target);
  const bool written = writeAll(fd, bytes);
  const int error = errno;
  const bool closed = ::close(fd) == 0;
  if (!written) errno = error;
  return (written && closed) || fail(target);
}

bool StagedFiles::commit() {
  if (failure_) return false;
  if (deferredInto != nullptr && deferredInto != this) {
    deferredInto->adopt(*this);
    return true;
  }
  // One flush pass over all files before any of them takes its target's place:
  // after a crash either the earlier file or the whole new one is there.
  for (const Staged& file : files_) {
    const int fd = reopen(file, O_RDONLY);
    if (fd == -2) return fail(file.target, replacedUnderfoot);
    if (fd < 0) return fail(file.target);
    const bool synced = ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    if (!synced) {
      errno = error;
      return fail(file.target);
    }
  }
  std::vector<std::string> folders;
  for (std::size_t i = 0; i < files_.size(); ++i) {
    const Staged& file = files_[i];
    if (::rename(file.temporary.c_str(), file.target.c_str()) != 0) {
      // The files already in place stay; the rest are removed.
      files_.erase(files_.begin(), files_.begin() + static_cast<std::ptrdiff_t>(i));
      return fail(file.target);
    }
    const std::string folder = folderOf(file.target);
    if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
  }
  files_.clear();
  // The renames themselves reach the disk with their folders.
  for (const std::string& folder : folders) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) continue;
    ::fsync(fd);
    ::close(fd);
  }
  return true;
}

void StagedFiles::discard() {
  for (const Staged& file : files_) {
    // Only the file made here, never one put in its place by someone else.
    struct stat st {};
    if (::lstat(file.temporary.c_str(), &st) == 0 && st.st_dev == file.device && st.st_ino == file.inode)
      ::unlink(file.temporary.c_str());
  }
  files_.clear();
}

void StagedFiles::keepIntact(const std::string& path) {
  struct stat st {};
  if (!path.empty() && ::stat(path.c_str(), &st) == 0) kept_ = std::make_pair(st.st_dev, st.st_ino);
}

void StagedFiles::adopt(StagedFiles& other) {
  files_.insert(files_.end(), std::make_move_iterator(other.files_.begin()),
                std::make_move_iterator(other.files_.end()));
  other.files_.clear();
}

std::vector<bool> StagedFiles::commitTogether(std::span<StagedFiles* const> runs) {
  std::vector<bool> ok(runs.size());
  for (std::size_t r = 0; r < runs.size(); ++r) ok[r] = !runs[r]->failure_;
  // Write-back of every file starts before any is waited for, so the disk
  // gets all of them at once; a file is closed between the passes, as a
  // thousand files would not all stay open.
  for (std::size_t r = 0; r < runs.size(); ++r) {
    for (const Staged& file : runs[r]->files_) {
      if (!ok[r]) break;
      const int fd = runs[r]->reopen(file, O_RDONLY);
      if (fd == -2) ok[r] = runs[r]->fail(file.target, replacedUnderfoot);
      if (fd < 0) {
        if (fd == -1) ok[r] = runs[r]->fail(file.target);
        break;
      }
      ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
      ::close(fd);
    }
  }
  // One flush of each filesystem makes all of its files durable at once,
  // where a flush per file would commit the filesystem's journal once for
  // each. Where a filesystem reports a failure (or cannot be flushed), its
  // files are flushed one by one to find the ones that failed.
  std::vector<std::pair<dev_t, bool>> filesystems;  // and whether its flush succeeded
  for (std::size_t r = 0; r < runs.size(); ++r) {
    for (const Staged& file : runs[r]->files_) {
      if (!ok[r]) break;
      const auto seen = std::find_if(filesystems.begin(), filesystems.end(),
                                     [&](const auto& f) { return f.first == file.device; });
      if (seen != filesystems.end()) continue;
      const int fd = runs[r]->reopen(file, O_RDONLY);
      filesystems.emplace_back(file.device, fd >= 0 && ::syncfs(fd) == 0);
      if (fd >= 0) ::close(fd);
    }
  }
  const auto flushedWhole = [&](dev_t device) {
    for (const auto& [filesystem, flushed] : filesystems)
      if (filesystem == device) return flushed;
    return false;
  };
  for (std::size_t r = 0; r < runs.size(); ++r) {
    for (const Staged& file : runs[r]->files_) {
      if (!ok[r]) break;
      if (flushedWhole(file.device)) continue;
      const int fd = runs[r]->reopen(file, O_RDONLY);
      if (fd == -2) ok[r] = runs[r]->fail(file.target, replacedUnderfoot);
      if (fd < 0) {
        if (fd == -1) ok[r] = runs[r]->fail(file.target);
        break;
      }
      const bool synced = ::fdatasync(fd) == 0;
      const int error = errno;
      ::close(fd);
      if (!synced) {
        errno = error;
        ok[r] = runs[r]->fail(file.target);
      }
    }
  }
  // Only now, with every file durable, does any take its target's place.
  std::vector<std::string> folders;
  for (std::size_t r = 0; r < runs.size(); ++r) {
    if (!ok[r]) continue;
    std::vector<Staged>& files = runs[r]->files_;
    for (std::size_t i = 0; i < files.size(); ++i) {
      if (::rename(files[i].temporary.c_str(), files[i].target.c_str()) != 0) {
        // The files already in place stay; the rest are removed with the run.
        const std::string target = files[i].target;
        files.erase(files.begin(), files.begin() + static_cast<std::ptrdiff_t>(i));
        ok[r] = runs[r]->fail(target);
        break;
      }
      const std::string folder = folderOf(files[i].target);
      if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
    }
    if (ok[r]) files.clear();
  }
  // The renames themselves reach the disk with their folders.
  syncFolders(folders);
  return ok;
}

DeferredCommit::DeferredCommit(StagedFiles& into) : previous_(deferredInto) {
  deferredInto = &into;
}

DeferredCommit::~DeferredCommit() {
  deferredInto = previous_;
}

bool sameFile(const std::string& a, const std::string& b) {
  struct stat sa {
  }, sb{};
  if (a.empty() || b.empty() || ::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace zelvato
