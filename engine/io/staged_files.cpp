#include "io/staged_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>
#include <random>

namespace zelvato {
namespace {

constexpr const char* notRegularFile = "not a regular file";
constexpr const char* isTheSource = "it is the source file";
constexpr const char* namedTwice = "it is named for two outputs of the run";
constexpr const char* replacedUnderfoot = "the new file was replaced by another";
constexpr const char* lockName = ".zelvato.lock";
constexpr const char* journalName = ".zelvato.journal";
constexpr std::string_view journalHeader = "zelvato journal 1\n";
constexpr std::string_view temporaryPrefix = ".zelvato-";
constexpr std::size_t randomLength = 10;
constexpr char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
// Appended bytes are gathered up to this size before they are written.
constexpr std::size_t gatheredBytes = 64 * 1024;
// New files kept open at once, an eighth of the process's descriptors at most;
// the others are reopened when needed. A run of a batch closes its files when
// it hands them over, so runs on several threads stay within the limit.
int filesKeptOpen() {
  if (stagingTestHooks::filesKeptOpen > 0) return stagingTestHooks::filesKeptOpen;
  static const int kept = [] {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return 4;
    const rlim_t eighth = limit.rlim_cur == RLIM_INFINITY ? 1024 : limit.rlim_cur / 8;
    return static_cast<int>(std::clamp<rlim_t>(eighth, 4, 1024));
  }();
  return kept;
}

std::string inFolder(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

std::string nameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// ".zelvato-" + ten letters or digits + ".tmp" (a new file, a journal being
// written) or ".old" (an earlier file kept until its commit is complete).
bool isTemporaryName(std::string_view name) {
  if (name.size() != temporaryPrefix.size() + randomLength + 4) return false;
  if (name.substr(0, temporaryPrefix.size()) != temporaryPrefix) return false;
  for (std::size_t i = 0; i < randomLength; ++i) {
    const char c = name[temporaryPrefix.size() + i];
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
  }
  const std::string_view ending = name.substr(temporaryPrefix.size() + randomLength);
  return ending == ".tmp" || ending == ".old";
}

std::string temporaryName(const char* ending) {
  // One generator per thread: runs on several threads never share it.
  thread_local std::mt19937_64 random{std::random_device{}()};
  std::string name(temporaryPrefix);
  for (std::size_t i = 0; i < randomLength; ++i) name += letters[random() % (sizeof letters - 1)];
  return name + ending;
}

// A fresh name in the folder that no other file has; the file is created with
// it at once, so nobody can have planted anything under it.
int createIn(const std::string& folder, std::string& name) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = temporaryName(".tmp");
    const int fd =
        ::open(inFolder(folder, name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// A name for an earlier file's keeping link that nothing has yet.
std::string freeBackupName(const std::string& folder) {
  struct stat st {};
  std::string name;
  do name = temporaryName(".old");
  while (::lstat(inFolder(folder, name).c_str(), &st) == 0);
  return name;
}

void syncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ++stagingTestHooks::calls.folderSyncs;
  ::fsync(fd);
  ::close(fd);
}

bool exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

bool isFile(const std::string& path, dev_t device, ino_t inode) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && st.st_dev == device && st.st_ino == inode;
}

// Whether the step's change is in place: the new file at the target, or the
// target gone when it is only removed.
bool applied(const StagedFiles::Step& step) {
  const std::string target = inFolder(step.folder, step.target);
  if (step.temporary.empty()) return !exists(target);
  return isFile(target, step.device, step.inode);
}

// Puts every earlier file back and removes every new one, in the reverse order
// of the commit; each step looks at what is there, so rolling back twice (after
// a kill during a roll-back) does no harm. False when something could not be
// put back (the journal is then kept for the next try).
bool rollBack(const std::vector<StagedFiles::Step>& steps) {
  bool complete = true;
  for (auto step = steps.rbegin(); step != steps.rend(); ++step) {
    const std::string target = inFolder(step->folder, step->target);
    const std::string backup = step->backup.empty() ? std::string() : inFolder(step->folder, step->backup);
    const bool hasBackup = !backup.empty() && exists(backup);
    if (!step->temporary.empty()) {
      const std::string temporary = inFolder(step->folder, step->temporary);
      if (isFile(temporary, step->device, step->inode)) ::unlink(temporary.c_str());
      if (isFile(target, step->device, step->inode)) {
        if (hasBackup ? ::rename(backup.c_str(), target.c_str()) != 0 : ::unlink(target.c_str()) != 0)
          complete = false;
        continue;
      }
    }
    if (!hasBackup) continue;
    // The target still holds the earlier file (the backup is a second link to
    // it), or it was moved aside and must come back.
    if (exists(target) ? ::unlink(backup.c_str()) != 0 : ::rename(backup.c_str(), target.c_str()) != 0)
      complete = false;
  }
  return complete;
}

void removeBackups(const std::vector<StagedFiles::Step>& steps) {
  for (const auto& step : steps)
    if (!step.backup.empty()) ::unlink(inFolder(step.folder, step.backup).c_str());
}

// A name the journal may hold: one name in the folder, never a path.
bool isPlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

std::string journalText(const std::vector<StagedFiles::Step>& steps) {
  std::string text(journalHeader);
  for (const auto& step : steps) {
    for (const std::string* field : {&step.target, &step.temporary, &step.backup}) {
      text += *field;
      text += '\0';
    }
    text += std::to_string(step.device);
    text += '\0';
    text += std::to_string(step.inode);
    text += '\0';
  }
  return text;
}

std::optional<std::vector<StagedFiles::Step>> readJournal(const std::string& folder,
                                                          const std::string& text) {
  if (text.compare(0, journalHeader.size(), journalHeader) != 0) return std::nullopt;
  std::vector<std::string> fields;
  std::size_t at = journalHeader.size();
  while (at < text.size()) {
    const std::size_t end = text.find('\0', at);
    if (end == std::string::npos) return std::nullopt;
    fields.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  if (fields.size() % 5 != 0) return std::nullopt;
  std::vector<StagedFiles::Step> steps;
  for (std::size_t i = 0; i < fields.size(); i += 5) {
    StagedFiles::Step step;
    step.folder = folder;
    step.target = fields[i];
    step.temporary = fields[i + 1];
    step.backup = fields[i + 2];
    if (!isPlainName(step.target)) return std::nullopt;
    if (!step.temporary.empty() && !isTemporaryName(step.temporary)) return std::nullopt;
    if (!step.backup.empty() && !isTemporaryName(step.backup)) return std::nullopt;
    try {
      step.device = static_cast<dev_t>(std::stoull(fields[i + 3]));
      step.inode = static_cast<ino_t>(std::stoull(fields[i + 4]));
    } catch (const std::exception&) {
      return std::nullopt;
    }
    steps.push_back(std::move(step));
  }
  return steps;
}

// Writes the journal of one folder's steps, whole or not at all.
bool writeJournal(const std::string& folder, const std::vector<StagedFiles::Step>& steps) {
  std::string name;
  const int fd = createIn(folder, name);
  if (fd < 0) return false;
  ++stagingTestHooks::calls.journals;
  const bool written = writeAll(fd, journalText(steps)) && ::fdatasync(fd) == 0;
  int error = errno;
  ::close(fd);
  const std::string path = inFolder(folder, name);
  if (written && ::rename(path.c_str(), inFolder(folder, journalName).c_str()) == 0) {
    syncFolder(folder);
    return true;
  }
  if (written) error = errno;
  ::unlink(path.c_str());
  errno = error;
  return false;
}

// Its removal need not reach the disk at once: a journal found again after a
// crash describes steps all done (or all undone), which the next run only confirms.
void removeJournal(const std::string& folder) {
  ::unlink(inFolder(folder, journalName).c_str());
}

// What a run killed in this folder left: its journal is completed when every
// step was done, else rolled back; then its temporary files go. Only a journal
// of the user's own is followed.
void recoverFolder(const std::string& folder) {
  const std::string journal = inFolder(folder, journalName);
  struct stat st {};
  if (::lstat(journal.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
      st.st_size < (64 << 20)) {
    const int fd = ::open(journal.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    std::string text;
    if (fd >= 0) {
      char buffer[65536];
      ssize_t n;
      while ((n = ::read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0) text.append(buffer, static_cast<std::size_t>(n));
      ::close(fd);
    }
    const auto steps = readJournal(folder, text);
    bool done = true;
    if (steps) {
      if (std::all_of(steps->begin(), steps->end(), applied))
        removeBackups(*steps);
      else
        done = rollBack(*steps);
      syncFolder(folder);
    }
    if (done) removeJournal(folder);
  }
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = ::readdir(dir)) {
    if (!isTemporaryName(entry->d_name)) continue;
    const std::string path = inFolder(folder, entry->d_name);
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(path.c_str());
  }
  ::closedir(dir);
}

// The folder a refusal names: in full, as "." says little.
std::string folderName(const std::string& folder) {
  char* resolved = ::realpath(folder.c_str(), nullptr);
  if (resolved == nullptr) return folder;
  std::string name(resolved);
  std::free(resolved);
  return name;
}

// The page number of `name` when it is "BASE###.html" exactly as the pages are
// named: at least three digits, no leading zero beyond that width.
std::optional<std::int64_t> pageNumberOf(std::string_view name, std::string_view baseName) {
  constexpr std::string_view ending = ".html";
  if (name.size() < baseName.size() + 3 + ending.size()) return std::nullopt;
  if (name.substr(0, baseName.size()) != baseName) return std::nullopt;
  if (name.substr(name.size() - ending.size()) != ending) return std::nullopt;
  const std::string_view digits = name.substr(baseName.size(), name.size() - baseName.size() - ending.size());
  if (digits.size() > 10) return std::nullopt;
  std::int64_t number = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + (c - '0');
  }
  if (digits.size() > 3 && digits[0] == '0') return std::nullopt;
  return number;
}

}  // namespace

StagedFiles::~StagedFiles() {
  discard();
}

bool StagedFiles::fail(const std::string& path) {
  if (!failure_) failure_ = failureFromErrno(path);
  return false;
}

bool StagedFiles::fail(const std::string& path, std::string_view reason) {
  if (!failure_) failure_ = FileFailure{path, std::string(reason)};
  return false;
}

StagedFiles::Staged* StagedFiles::find(const std::string& target) {
  // The file asked for is nearly always one of the last begun.
  for (auto it = files_.rbegin(); it != files_.rend(); ++it)
    if (it->target == target) return &*it;
  return nullptr;
}

namespace {

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

// The run that commit() hands its files to on this thread (see DeferredCommit);
// set while a run of a batch writes.
thread_local StagedFiles* deferredInto = nullptr;

}  // namespace

// False with errno set when the lock file cannot be had; false with EWOULDBLOCK
// when another process holds it past the wait.
bool StagedFiles::lockFolder(const std::string& folder) {
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0) return false;
  for (const HeldLock& held : locks_)
    if (held.device == st.st_dev && held.inode == st.st_ino) return true;
  const std::lock_guard guard(processLocksMutex);
  const bool batch = deferredInto != nullptr;
  if (const auto held = processLocks.find({st.st_dev, st.st_ino});
      held != processLocks.end() && held->second.shared && batch) {
    ++held->second.users;
    locks_.push_back(HeldLock{st.st_dev, st.st_ino, -1, {}});
    return true;
  }
  const std::string path = inFolder(folder, lockName);
  const auto deadline = std::chrono::steady_clock::now() + stagingTestHooks::lockWait;
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
        locks_.push_back(HeldLock{st.st_dev, st.st_ino, -1, {}});
        return true;
      }
      if (std::chrono::steady_clock::now() >= deadline || (stopRequested_ && stopRequested_())) {
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
      locks_.push_back(HeldLock{st.st_dev, st.st_ino, -1, {}});
      break;
    }
    ::close(fd);
  }
  recoverFolder(folder);
  return true;
}

void StagedFiles::releaseLocks() {
  const std::lock_guard guard(processLocksMutex);
  for (const HeldLock& held : locks_) {
    const auto shared = processLocks.find({held.device, held.inode});
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
  locks_.clear();
}

void StagedFiles::adopt(StagedFiles& other) {
  // The files go over written and closed: a batch holds the files of many runs.
  other.settle();  // a failure goes over with the files
  for (Staged& file : other.files_) files_.push_back(std::move(file));
  targetFiles_.insert(other.targetFiles_.begin(), other.targetFiles_.end());
  for (Retirement& retirement : other.retirements_) retirements_.push_back(std::move(retirement));
  // The folder locks go with the files: the process's count of their users stays as it is.
  for (const HeldLock& held : other.locks_) locks_.push_back(held);
  if (!failure_) failure_ = other.failure_;
  other.files_.clear();
  other.targetFiles_.clear();
  other.retirements_.clear();
  other.locks_.clear();
}

std::vector<bool> StagedFiles::commitTogether(std::span<StagedFiles* const> runs) {
  // Write-back starts for every file of every run at once, so that each
  // run's own flush finds its data already on its way to the disk.
  for (StagedFiles* run : runs)
    for (Staged& file : run->files_) run->startWriteBack(file);
  std::vector<bool> committed;
  committed.reserve(runs.size());
  for (StagedFiles* run : runs) committed.push_back(run->commit());
  return committed;
}

DeferredCommit::DeferredCommit(StagedFiles& into) : previous_(std::exchange(deferredInto, &into)) {}

DeferredCommit::~DeferredCommit() {
  deferredInto = previous_;
}

bool StagedFiles::begin(const std::string& target) {
  if (target.empty()) {
    errno = ENOENT;
    return fail(target);
  }
  // Two outputs of one run in one file (the preview named as the single file)
  // would be written into each other.
  if (find(target) != nullptr) return fail(target, namedTwice);
  struct stat st {};
  mode_t mode = 0;  // the earlier file's, kept by the new one
  if (::stat(target.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) return fail(target, notRegularFile);
    if (kept_ && kept_->first == st.st_dev && kept_->second == st.st_ino) return fail(target, isTheSource);
    if (!targetFiles_.emplace(st.st_dev, st.st_ino).second) return fail(target, namedTwice);
    // A file the user protected is refused, as writing it in place would be.
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return fail(target);
  } else if (errno != ENOENT) {
    return fail(target);
  }
  const std::string folder = folderOfPath(target);
  struct stat own {
  }, place{};
  if (::lstat(target.c_str(), &own) == 0) {
    // In a folder where only a file's owner may replace it (the sticky bit),
    // another user's file is refused now rather than at the rename.
    if (own.st_uid != ::geteuid() && ::stat(folder.c_str(), &place) == 0 && (place.st_mode & S_ISVTX) != 0 &&
        place.st_uid != ::geteuid() && ::geteuid() != 0) {
      errno = EPERM;
      return fail(target);
    }
    // Behind a symbolic link is someone else's file: the new one takes the umask's mode.
    if (S_ISREG(own.st_mode)) mode = own.st_mode & 0777;
  }
  if (!lockFolder(folder)) {
    if (errno == EWOULDBLOCK) return fail(folderName(folder), folderBusyReason);
    return fail(target);
  }
  Staged file;
  file.target = target;
  std::string name;
  const int fd = createIn(folder, name);
  if (fd < 0) return fail(target);
  ++stagingTestHooks::calls.fileOpens;
  file.temporary = inFolder(folder, name);
  struct stat made {};
  const bool known = ::fstat(fd, &made) == 0 && (mode == 0 || ::fchmod(fd, mode) == 0);
  if (!known) {
    const int error = errno;
    ::close(fd);
    ::unlink(file.temporary.c_str());
    errno = error;
    return fail(target);
  }
  file.device = made.st_dev;
  file.inode = made.st_ino;
  file.fd = fd;
  ++openFiles_;
  file.used = ++writes_;
  files_.push_back(std::move(file));
  return keepFewOpen(&files_.back());
}

// The file's gathered bytes, then `more`, go to the disk's cache; the file is
// reopened when it was closed, and checked to be the run's own.
bool StagedFiles::writePending(Staged& file, std::string_view more) {
  if (file.pending.empty() && more.empty()) return true;
  if (file.fd < 0) {
    const int fd = reopen(file, O_WRONLY | O_APPEND);
    if (fd == -2) return fail(file.target, replacedUnderfoot);
    if (fd < 0) return fail(file.target);
    ++stagingTestHooks::calls.fileOpens;
    file.fd = fd;
    ++openFiles_;
  }
  if (!writeAll(file.fd, file.pending)) return fail(file.target);
  file.pending.clear();  // its room is used again for the file's next bytes
  if (!writeAll(file.fd, more)) return fail(file.target);
  file.writeBackStarted = false;
  return true;
}

// Closes the files written longest ago until only a few are open (never the
// one being written); each closed file's bytes are written and its write-back
// begins, so that the disk works on it while the run goes on.
bool StagedFiles::keepFewOpen(const Staged* writing) {
  while (openFiles_ > filesKeptOpen()) {
    Staged* oldest = nullptr;
    for (Staged& file : files_)
      if (file.fd >= 0 && &file != writing && (oldest == nullptr || file.used < oldest->used)) oldest = &file;
    if (oldest == nullptr) return true;
    if (!writePending(*oldest)) return false;
    startWriteBack(*oldest);
    ::close(oldest->fd);
    oldest->fd = -1;
    --openFiles_;
    oldest->pending = std::string();
  }
  return true;
}

// Asks the system to start writing the file to the disk, without waiting.
void StagedFiles::startWriteBack(Staged& file) {
  if (file.writeBackStarted) return;
  int fd = file.fd;
  if (fd < 0) {
    fd = reopen(file, O_RDONLY);
    if (fd < 0) return;  // the durability pass reports it
  }
  ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
  if (fd != file.fd) ::close(fd);
  file.writeBackStarted = true;
}

// Every file's bytes written and its write-back started, every descriptor
// closed: what a run hands over to a batch.
bool StagedFiles::settle() {
  for (Staged& file : files_)
    if (!writePending(file)) return false;
  for (Staged& file : files_) startWriteBack(file);
  closeAll();
  return true;
}

void StagedFiles::closeAll() {
  for (Staged& file : files_) {
    if (file.fd >= 0) ::close(file.fd);
    file.fd = -1;
  }
  openFiles_ = 0;
}

// One durability pass before any file takes its target's place: the disk is
// given every file first, then each is waited for, so that after a crash
// either the earlier file or the whole new one is there.
bool StagedFiles::makeDurable() {
  for (Staged& file : files_) {
    if (stopRequested_ && stopRequested_()) return fail(file.target, stoppedReason);
    if (!writePending(file)) return false;
    startWriteBack(file);
  }
  for (Staged& file : files_) {
    if (stopRequested_ && stopRequested_()) return fail(file.target, stoppedReason);
    int fd = std::exchange(file.fd, -1);
    if (fd >= 0) --openFiles_;
    if (fd >= 0 && !isFile(file.temporary, file.device, file.inode)) {
      ::close(fd);
      return fail(file.target, replacedUnderfoot);
    }
    if (fd < 0) {
      fd = reopen(file, O_RDONLY);
      if (fd == -2) return fail(file.target, replacedUnderfoot);
      if (fd < 0) return fail(file.target);
    }
    ++stagingTestHooks::calls.fileSyncs;
    const bool synced = ::fdatasync(fd) == 0;
    const int error = errno;
    ::close(fd);
    if (!synced) {
      errno = error;
      return fail(file.target);
    }
  }
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
  file->used = ++writes_;
  // Large bytes go out as they are, after what was gathered, never copied.
  if (file->pending.size() + bytes.size() < gatheredBytes)
    file->pending.append(bytes);
  else if (!writePending(*file, bytes))
    return false;
  return keepFewOpen(file);
}

void StagedFiles::retireStalePages(const std::string& folder, const std::string& baseName,
                                   std::int32_t highestPage) {
  if (!baseName.empty() && highestPage > 0) retirements_.push_back(Retirement{folder, baseName, highestPage});
}

// The steps of the commit, each folder named the one way, so that one folder
// has one journal however its files were named.
bool StagedFiles::planSteps(std::vector<Step>& steps) {
  std::vector<std::pair<std::pair<dev_t, ino_t>, std::string>> folders;
  const auto canonical = [&](const std::string& folder) -> std::optional<std::string> {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) return std::nullopt;
    const auto key = std::make_pair(st.st_dev, st.st_ino);
    for (const auto& known : folders)
      if (known.first == key) return known.second;
    folders.emplace_back(key, folder);
    return folder;
  };
  for (const Staged& file : files_) {
    if (stopRequested_ && stopRequested_()) return fail(file.target, stoppedReason);
    const auto folder = canonical(folderOfPath(file.target));
    if (!folder) return fail(file.target);
    Step step;
    step.folder = *folder;
    step.target = nameOf(file.target);
    step.temporary = nameOf(file.temporary);
    step.device = file.device;
    step.inode = file.inode;
    struct stat st {};
    if (::lstat(file.target.c_str(), &st) == 0) {
      // Something else may have taken the target's name since the run began.
      if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) return fail(file.target, notRegularFile);
      step.backup = freeBackupName(step.folder);
    }
    steps.push_back(std::move(step));
  }
  for (const Retirement& retirement : retirements_) {
    if (!lockFolder(retirement.folder)) {
      if (errno == EWOULDBLOCK) return fail(folderName(retirement.folder), folderBusyReason);
      return fail(retirement.folder);
    }
    const auto folder = canonical(retirement.folder);
    if (!folder) return fail(retirement.folder);
    DIR* dir = ::opendir(folder->c_str());
    if (dir == nullptr) return fail(*folder);
    std::vector<std::pair<std::int64_t, std::string>> stale;
    while (const dirent* entry = ::readdir(dir)) {
      const auto number = pageNumberOf(entry->d_name, retirement.baseName);
      if (number && *number > retirement.highestPage) stale.emplace_back(*number, entry->d_name);
    }
    ::closedir(dir);
    std::sort(stale.begin(), stale.end());
    for (const auto& [number, name] : stale) {
      struct stat st {};
      const std::string path = inFolder(*folder, name);
      if (::lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) continue;
      struct stat followed {};
      if (kept_ && ::stat(path.c_str(), &followed) == 0 && kept_->first == followed.st_dev &&
          kept_->second == followed.st_ino)
        continue;
      Step step;
      step.folder = *folder;
      step.target = name;
      step.backup = freeBackupName(step.folder);
      steps.push_back(std::move(step));
    }
  }
  return true;
}

bool StagedFiles::commit() {
  if (failure_) return false;
  if (deferredInto != nullptr && deferredInto != this) {
    if (!settle()) return false;
    deferredInto->adopt(*this);
    return true;
  }
  if (!makeDurable()) return false;
  std::vector<Step> steps;
  if (!planSteps(steps)) return false;
  if (stopRequested_ && stopRequested_())
    return fail(steps.empty() ? std::string() : inFolder(steps[0].folder, steps[0].target), stoppedReason);

  std::vector<std::string> folders;
  for (const Step& step : steps)
    if (std::find(folders.begin(), folders.end(), step.folder) == folders.end())
      folders.push_back(step.folder);
  std::vector<bool> hasJournal(folders.size(), false);
  const auto removeJournals = [&] {
    for (std::size_t i = 0; i < folders.size(); ++i)
      if (hasJournal[i]) removeJournal(folders[i]);
  };

  // Undoes the steps taken, then reports `path`'s failure.
  const auto undo = [&](const std::string& path, std::optional<std::string_view> reason) {
    const int error = errno;
    if (rollBack(steps)) removeJournals();
    for (const std::string& folder : folders) syncFolder(folder);
    errno = error;
    return reason ? fail(path, *reason) : fail(path);
  };

  // First every earlier file gets a second name, so that it is never missing
  // while the new one takes its place. Where no link can be made (another
  // user's file, a file system without them), it is moved aside just before.
  std::vector<bool> moveAside(steps.size(), false);
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const Step& step = steps[i];
    if (step.temporary.empty() || step.backup.empty()) continue;
    const std::string target = inFolder(step.folder, step.target);
    if (stopRequested_ && stopRequested_()) return undo(target, stoppedReason);
    // A second name of another user's file might not be removable again.
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0 || st.st_uid != ::geteuid()) {
      moveAside[i] = true;
      continue;
    }
    if (::link(target.c_str(), inFolder(step.folder, step.backup).c_str()) != 0) {
      if (errno == EEXIST) return undo(target, std::nullopt);
      moveAside[i] = true;
    }
  }

  // A folder with one change needs no journal: its rename is whole or not
  // done, and a later run removes the second name left behind. An earlier
  // file moved aside or a page removed leaves the target missing for a
  // while, so those are journalled even alone.
  for (std::size_t i = 0; i < folders.size(); ++i) {
    std::vector<Step> own;
    bool missingForAWhile = false;
    for (std::size_t j = 0; j < steps.size(); ++j) {
      if (steps[j].folder != folders[i]) continue;
      own.push_back(steps[j]);
      if (steps[j].temporary.empty() || moveAside[j]) missingForAWhile = true;
    }
    if (own.size() < 2 && !missingForAWhile) continue;
    if (!writeJournal(folders[i], own)) return undo(inFolder(folders[i], journalName), std::nullopt);
    hasJournal[i] = true;
  }

  for (std::size_t i = 0; i < steps.size(); ++i) {
    const Step& step = steps[i];
    const std::string target = inFolder(step.folder, step.target);
    if (stagingTestHooks::beforeRename != nullptr) stagingTestHooks::beforeRename(static_cast<int>(i));
    if (stopRequested_ && stopRequested_()) return undo(target, stoppedReason);
    const std::string backup = step.backup.empty() ? std::string() : inFolder(step.folder, step.backup);
    if ((step.temporary.empty() || moveAside[i]) && ::rename(target.c_str(), backup.c_str()) != 0)
      return undo(target, std::nullopt);
    if (!step.temporary.empty() &&
        ::rename(inFolder(step.folder, step.temporary).c_str(), target.c_str()) != 0)
      return undo(target, std::nullopt);
  }
  if (stagingTestHooks::beforeRename != nullptr)
    stagingTestHooks::beforeRename(static_cast<int>(steps.size()));
  // The renames reach the disk with their folders before the journal goes.
  for (const std::string& folder : folders) syncFolder(folder);
  removeJournals();
  for (const Step& step : steps) {
    if (step.backup.empty()) continue;
    ::unlink(inFolder(step.folder, step.backup).c_str());
    if (stopRequested_) stopRequested_();  // only a yield: the new files are in place
  }
  for (const Step& step : steps)
    if (step.temporary.empty()) retired_.push_back(inFolder(step.folder, step.target));
  files_.clear();
  targetFiles_.clear();
  retirements_.clear();
  releaseLocks();
  return true;
}

void StagedFiles::discard() {
  closeAll();
  for (const Staged& file : files_) {
    // Only the file made here, never one put in its place by someone else.
    struct stat st {};
    if (::lstat(file.temporary.c_str(), &st) == 0 && st.st_dev == file.device && st.st_ino == file.inode)
      ::unlink(file.temporary.c_str());
  }
  files_.clear();
  targetFiles_.clear();
  retirements_.clear();
  releaseLocks();
}

void StagedFiles::keepIntact(const std::string& path) {
  struct stat st {};
  if (!path.empty() && ::stat(path.c_str(), &st) == 0) kept_ = std::make_pair(st.st_dev, st.st_ino);
}

}  // namespace zelvato
