#include "io/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <map>
#include <mutex>

#include "io/commit_journal.h"

namespace zelvato {
namespace {

constexpr const char* lockName = ".zelvato.lock";

// The folder locks this process holds: the lock file's descriptor and name,
// and how many runs use it. The runs of one batch share them (their files go
// into one folder at once); any other run waits for the folder like another
// process's run would.
struct ProcessLock {
  int fd;
  std::string path;
  int users;
  bool shared;  // taken by a run of a batch: the batch's other runs may join it
};
std::mutex processLocksMutex;
std::map<std::pair<dev_t, ino_t>, ProcessLock> processLocks;

}  // namespace

// The folder a refusal names: in full, as "." says little.
std::string folderName(const std::string& folder) {
  char* resolved = ::realpath(folder.c_str(), nullptr);
  if (resolved == nullptr) return folder;
  std::string name(resolved);
  std::free(resolved);
  return name;
}

// False with errno set when the lock file cannot be had; false with EWOULDBLOCK
// when another process holds it past the wait.
bool FolderLocks::lock(const std::string& folder, bool batch, const std::function<bool()>& stopRequested,
                       StagingSeam& seam) {
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0) return false;
  for (const auto& held : held_)
    if (held.first == st.st_dev && held.second == st.st_ino) return true;
  const std::lock_guard guard(processLocksMutex);
  if (const auto held = processLocks.find({st.st_dev, st.st_ino});
      held != processLocks.end() && held->second.shared && batch) {
    ++held->second.users;
    held_.emplace_back(st.st_dev, st.st_ino);
    return true;
  }
  const std::string path = inFolder(folder, lockName);
  const auto deadline = std::chrono::steady_clock::now() + seam.lockWait();
  for (;;) {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    // Another user's lock file in a shared folder locks as well read-only.
    if (fd < 0 && errno == EACCES) {
      fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
      if (fd < 0 && errno == ENOENT) errno = EACCES;  // the folder may not be written
    }
    if (fd < 0) return false;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      if (errno == EINTR) continue;
      if (errno != EWOULDBLOCK) {
        // A file system without locks: the run goes on unlocked, and leaves the
        // folder's temporary files alone, as a live run may hold them.
        processLocks[{st.st_dev, st.st_ino}] = ProcessLock{fd, {}, 1, batch};
        held_.emplace_back(st.st_dev, st.st_ino);
        return true;
      }
      if (std::chrono::steady_clock::now() >= deadline || (stopRequested && stopRequested())) {
        ::close(fd);
        errno = EWOULDBLOCK;
        return false;
      }
      const timespec pause{0, 50'000'000};
      ::nanosleep(&pause, nullptr);
    }
    // The run that held the lock removes its file as it lets go: a lock on a
    // removed file locks nothing, so the file is opened afresh.
    struct stat locked {
    }, named{};
    if (::fstat(fd, &locked) == 0 && ::lstat(path.c_str(), &named) == 0 && locked.st_dev == named.st_dev &&
        locked.st_ino == named.st_ino) {
      processLocks[{st.st_dev, st.st_ino}] = ProcessLock{fd, path, 1, batch};
      held_.emplace_back(st.st_dev, st.st_ino);
      break;
    }
    ::close(fd);
  }
  recoverFolder(folder, seam);
  return true;
}

void FolderLocks::releaseAll() {
  const std::lock_guard guard(processLocksMutex);
  for (const auto& held : held_) {
    const auto shared = processLocks.find(held);
    if (shared == processLocks.end() || --shared->second.users > 0) continue;
    const ProcessLock& lock = shared->second;
    // Removed while still held, so that no run can lock the name in between.
    struct stat locked {
    }, named{};
    if (!lock.path.empty() && ::fstat(lock.fd, &locked) == 0 && ::lstat(lock.path.c_str(), &named) == 0 &&
        locked.st_dev == named.st_dev && locked.st_ino == named.st_ino)
      ::unlink(lock.path.c_str());
    ::close(lock.fd);
    processLocks.erase(shared);
  }
  held_.clear();
}

void FolderLocks::adopt(FolderLocks& other) {
  held_.insert(held_.end(), other.held_.begin(), other.held_.end());
  other.held_.clear();
}

}  // namespace zelvato
