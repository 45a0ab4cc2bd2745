#include "io/staged_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "io/commit_journal.h"

namespace zelvato {
namespace {

constexpr const char* notRegularFile = "not a regular file";
constexpr const char* isTheSource = "it is the source file";
constexpr const char* namedTwice = "it is named for two outputs of the run";
constexpr const char* replacedUnderfoot = "the new file was replaced by another";
// Appended bytes are gathered up to this size before they are written.
constexpr std::size_t gatheredBytes = 64 * 1024;
// New files kept open at once, an eighth of the process's descriptors at most;
// the others are reopened when needed. A run of a batch closes its files when
// it hands them over, so runs on several threads stay within the limit.
int filesKeptOpen(const StagingSeam& seam) {
  if (seam.filesKeptOpen() > 0) return seam.filesKeptOpen();
  static const int kept = [] {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return 4;
    const rlim_t eighth = limit.rlim_cur == RLIM_INFINITY ? 1024 : limit.rlim_cur / 8;
    return static_cast<int>(std::clamp<rlim_t>(eighth, 4, 1024));
  }();
  return kept;
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

StagingSeam& StagingSeam::none() {
  static StagingSeam seam;
  return seam;
}

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

// The run that commit() hands its files to on this thread (see DeferredCommit);
// set while a run of a batch writes.
thread_local StagedFiles* deferredInto = nullptr;

}  // namespace

// Locks the folder for this run: a run of a batch shares the batch's locks.
bool StagedFiles::lockFolder(const std::string& folder) {
  return locks_.lock(folder, deferredInto != nullptr, stopRequested_, *seam_);
}

void StagedFiles::adopt(StagedFiles& other) {
  // The files go over written and closed: a batch holds the files of many runs.
  other.settle();  // a failure goes over with the files
  // Two writers of one run that name one file would write it over each other.
  for (Staged& file : other.files_) {
    if (find(file.target) != nullptr) fail(file.target, namedTwice);
    files_.push_back(std::move(file));
  }
  for (const auto& [earlier, target] : other.targetFiles_)
    if (!targetFiles_.emplace(earlier, target).second) fail(target, namedTwice);
  for (Retirement& retirement : other.retirements_) retirements_.push_back(std::move(retirement));
  // The folder locks go with the files.
  locks_.adopt(other.locks_);
  if (!failure_) failure_ = other.failure_;
  other.files_.clear();
  other.targetFiles_.clear();
  other.retirements_.clear();
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
    if (!targetFiles_.emplace(std::make_pair(st.st_dev, st.st_ino), target).second)
      return fail(target, namedTwice);
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
  seam_->fileOpened();
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
    seam_->fileOpened();
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
  while (openFiles_ > filesKeptOpen(*seam_)) {
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
  for (Staged& file : files_) {
    if (!writePending(file)) return false;
    file.pending = std::string();  // no more bytes come: its room goes back
  }
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
    seam_->fileSynced();
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
bool StagedFiles::planSteps(std::vector<CommitStep>& steps) {
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
    CommitStep step;
    step.folder = *folder;
    step.target = nameOf(file.target);
    step.temporary = nameOf(file.temporary);
    step.device = file.device;
    step.inode = file.inode;
    // Two outputs named by different paths of one new file ("a.html", "./a.html").
    for (const CommitStep& earlier : steps)
      if (earlier.folder == step.folder && earlier.target == step.target)
        return fail(file.target, namedTwice);
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
      CommitStep step;
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
  std::vector<CommitStep> steps;
  if (!planSteps(steps)) return false;
  if (stopRequested_ && stopRequested_())
    return fail(steps.empty() ? std::string() : inFolder(steps[0].folder, steps[0].target), stoppedReason);

  std::vector<std::string> folders;
  for (const CommitStep& step : steps)
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
    for (const std::string& folder : folders) syncFolder(folder, *seam_);
    errno = error;
    return reason ? fail(path, *reason) : fail(path);
  };

  // First every earlier file gets a second name, so that it is never missing
  // while the new one takes its place. Where no link can be made (another
  // user's file, a file system without them), it is moved aside just before.
  std::vector<bool> moveAside(steps.size(), false);
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const CommitStep& step = steps[i];
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
    std::vector<CommitStep> own;
    bool missingForAWhile = false;
    for (std::size_t j = 0; j < steps.size(); ++j) {
      if (steps[j].folder != folders[i]) continue;
      own.push_back(steps[j]);
      if (steps[j].temporary.empty() || moveAside[j]) missingForAWhile = true;
    }
    if (own.size() < 2 && !missingForAWhile) continue;
    if (!writeJournal(folders[i], own, *seam_)) return undo(inFolder(folders[i], journalName), std::nullopt);
    hasJournal[i] = true;
  }

  for (std::size_t i = 0; i < steps.size(); ++i) {
    const CommitStep& step = steps[i];
    const std::string target = inFolder(step.folder, step.target);
    seam_->beforeRename(static_cast<int>(i));
    if (stopRequested_ && stopRequested_()) return undo(target, stoppedReason);
    const std::string backup = step.backup.empty() ? std::string() : inFolder(step.folder, step.backup);
    if ((step.temporary.empty() || moveAside[i]) && ::rename(target.c_str(), backup.c_str()) != 0)
      return undo(target, std::nullopt);
    if (!step.temporary.empty() &&
        ::rename(inFolder(step.folder, step.temporary).c_str(), target.c_str()) != 0)
      return undo(target, std::nullopt);
  }
  seam_->beforeRename(static_cast<int>(steps.size()));
  // The renames reach the disk with their folders before the journal goes.
  for (const std::string& folder : folders) syncFolder(folder, *seam_);
  removeJournals();
  for (const CommitStep& step : steps) {
    if (step.backup.empty()) continue;
    ::unlink(inFolder(step.folder, step.backup).c_str());
    if (stopRequested_) stopRequested_();  // only a yield: the new files are in place
  }
  for (const CommitStep& step : steps)
    if (step.temporary.empty()) retired_.push_back(inFolder(step.folder, step.target));
  files_.clear();
  targetFiles_.clear();
  retirements_.clear();
  locks_.releaseAll();
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
  locks_.releaseAll();
}

void StagedFiles::keepIntact(const std::string& path) {
  struct stat st {};
  if (!path.empty() && ::stat(path.c_str(), &st) == 0) kept_ = std::make_pair(st.st_dev, st.st_ino);
}

}  // namespace zelvato
