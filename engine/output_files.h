#pragma once

#include <sys/types.h>

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelvato {

// A file that could not be written, and why (the system's reason).
struct FileFailure {
  std::string path;
  std::string reason;
};

// Writes every byte to `fd`, going on after interrupted writes; false (errno
// set) on the first error.
bool writeAll(int fd, std::string_view bytes);

// The failure of `path` with the reason of the current errno.
FileFailure failureFromErrno(const std::string& path);

// The output files of one run, each written into a new file beside its target
// and put in the target's place only when the whole run has succeeded, so a
// failed or stopped run leaves every earlier file exactly as it was.
//
// The new file is made with O_EXCL (its mode from the umask) and reopened for
// every step, checked to be the same file each time; commit() flushes all of
// them to disk in one pass and only then renames each over its target. A
// symbolic link at a target is replaced, never written through. Nothing throws.
class StagedFiles {
 public:
  StagedFiles() = default;
  ~StagedFiles();  // removes whatever was not committed
  StagedFiles(const StagedFiles&) = delete;
  StagedFiles& operator=(const StagedFiles&) = delete;

  // Starts the file that will replace `target`. Refused when the target is a
  // folder or a device (also behind a link), or a file the user may not write.
  bool begin(const std::string& target);
  // Appends to the file begun for `target`.
  bool append(const std::string& target, std::string_view bytes);
  // Flushes every file to disk, then puts each in its target's place.
  bool commit();
  // Removes every file not yet committed.
  void discard();
  // A file that begin() refuses to replace, under any name (the source file).
  void keepIntact(const std::string& path);

  // Takes over every file `other` has staged and not committed; `other` is left empty.
  void adopt(StagedFiles& other);
  // Puts the files of several runs in place with one durability pass for all:
  // write-back is started for every file of every run, then each filesystem
  // is flushed once (each file on its own where that fails), and only then
  // are the runs' files renamed over their targets. A run
  // whose file fails keeps its failure and its targets stay as they were; the
  // other runs go on. Tells for each run whether its files are in place.
  static std::vector<bool> commitTogether(std::span<StagedFiles* const> runs);

  // The first failure of the run.
  const std::optional<FileFailure>& failure() const { return failure_; }

 private:
  struct Staged {
    std::string target;
    std::string temporary;
    dev_t device = 0;
    ino_t inode = 0;
  };
  Staged* find(const std::string& target);
  int reopen(const Staged& file, int flags);
  bool fail(const std::string& path);
  bool fail(const std::string& path, const std::string& reason);

  std::vector<Staged> files_;
  std::optional<FileFailure> failure_;
  std::optional<std::pair<dev_t, ino_t>> kept_;
};

// While one is open on a thread, a StagedFiles::commit() on that thread puts
// nothing in place: it hands its files over to `into` and reports success, so
// that the caller can commit the files of several runs together.
class DeferredCommit {
 public:
  explicit DeferredCommit(StagedFiles& into);
  ~DeferredCommit();
  DeferredCommit(const DeferredCommit&) = delete;
  DeferredCommit& operator=(const DeferredCommit&) = delete;

 private:
  StagedFiles* previous_;
};

// True when both paths name one file (the same device and inode, links
// followed); false when either is not there.
bool sameFile(const std::string& a, const std::string& b);

}  // namespace zelvato
