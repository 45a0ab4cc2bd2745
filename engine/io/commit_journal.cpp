#include "io/commit_journal.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <random>

#include "io/file_system.h"

namespace zelvato {
namespace {

constexpr std::string_view journalHeader = "zelvato journal 1\n";
constexpr std::string_view temporaryPrefix = ".zelvato-";
constexpr std::size_t randomLength = 10;
constexpr char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";

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

bool exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

// Whether the step's change is in place: the new file at the target, or the
// target gone when it is only removed.
bool applied(const CommitStep& step) {
  const std::string target = inFolder(step.folder, step.target);
  if (step.temporary.empty()) return !exists(target);
  return isFile(target, step.device, step.inode);
}

void removeBackups(const std::vector<CommitStep>& steps) {
  for (const auto& step : steps)
    if (!step.backup.empty()) ::unlink(inFolder(step.folder, step.backup).c_str());
}

// A name the journal may hold: one name in the folder, never a path.
bool isPlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

std::string journalText(const std::vector<CommitStep>& steps) {
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

std::optional<std::vector<CommitStep>> readJournal(const std::string& folder, const std::string& text) {
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
  std::vector<CommitStep> steps;
  for (std::size_t i = 0; i < fields.size(); i += 5) {
    CommitStep step;
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

}  // namespace

std::string inFolder(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

std::string nameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
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

void syncFolder(const std::string& folder, StagingSeam& seam) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  seam.folderSynced();
  ::fsync(fd);
  ::close(fd);
}

bool isFile(const std::string& path, dev_t device, ino_t inode) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && st.st_dev == device && st.st_ino == inode;
}

// Puts every earlier file back and removes every new one, in the reverse order
// of the commit; each step looks at what is there, so rolling back twice (after
// a kill during a roll-back) does no harm. False when something could not be
// put back (the journal is then kept for the next try).
bool rollBack(const std::vector<CommitStep>& steps) {
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

// Writes the journal of one folder's steps, whole or not at all.
bool writeJournal(const std::string& folder, const std::vector<CommitStep>& steps, StagingSeam& seam) {
  std::string name;
  const int fd = createIn(folder, name);
  if (fd < 0) return false;
  seam.journalWritten();
  const bool written = writeAll(fd, journalText(steps)) && ::fdatasync(fd) == 0;
  int error = errno;
  ::close(fd);
  const std::string path = inFolder(folder, name);
  if (written && ::rename(path.c_str(), inFolder(folder, journalName).c_str()) == 0) {
    syncFolder(folder, seam);
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
void recoverFolder(const std::string& folder, StagingSeam& seam) {
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
      syncFolder(folder, seam);
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

}  // namespace zelvato
