#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "io/commit_journal.h"
#include "io/file_system.h"
#include "io/folder_lock.h"
#include "io/staging_seam.h"

namespace zelvato {

// The reasons the staging gives in its failures.
inline constexpr std::string_view folderBusyReason =
    "another conversion is writing into this folder; try again when it has finished";
inline constexpr std::string_view stoppedReason = "the run was stopped before this file was put in place";

// The output files of one run, each written into a new file beside its target
// and put in the target's place only when the whole run has succeeded, so a
// failed, stopped or killed run leaves every earlier file exactly as it was.
//
// - The new file is made with O_EXCL and written through the descriptor that
//   made it, its bytes gathered into large writes; only the few files written
//   last stay open, and one reopened later is checked to be the same file. It
//   gets the mode of the file it replaces, or the umask's mode when there is
//   none. A symbolic link or a name with other hard links at a target is
//   replaced by the rename, never written through; a folder, pipe or device
//   there is refused.
// - Every folder written into is locked (flock on ".zelvato.lock", removed
//   again when the staging ends) from the first file begun there until the
//   staging ends; another run waits a few seconds for it, then is refused with
//   the folder's name (FolderLocks). Taking the lock also finishes what a
//   killed run left: its journal is completed or rolled back, and temporary
//   files of the staging's naming are removed, as no live run can hold them.
// - commit() makes every new file durable (write-back started for all of them,
//   then each waited for), writes a journal (".zelvato.journal", see
//   commit_journal.h) in each folder
//   that gets more than one change, naming each target, its new file and the
//   link that keeps its earlier file, and only then renames. A failed rename
//   or a stop request (asked before every rename) rolls the renamed files
//   back; a kill leaves the journal for the next run in the folder. A folder
//   with one change needs none: its one rename is whole or not done.
//
// Nothing throws.
class StagedFiles {
 public:
  // `seam`, when given, watches and steers the staging (see StagingSeam).
  explicit StagedFiles(StagingSeam* seam = nullptr) : seam_(seam != nullptr ? seam : &StagingSeam::none()) {}
  ~StagedFiles();  // removes whatever was not committed
  StagedFiles(const StagedFiles&) = delete;
  StagedFiles& operator=(const StagedFiles&) = delete;

  // Starts the file that will replace `target`. Refused when the target is a
  // folder or a device (also behind a link), a file the user may not write, or
  // when another run holds its folder.
  bool begin(const std::string& target);
  // Appends to the file begun for `target`.
  bool append(const std::string& target, std::string_view bytes);
  // The commit also removes the files "BASE###.html" in `folder` numbered above
  // `highestPage` (pages an earlier, longer run left), with the same roll-back.
  // Only names of exactly that form go: the number as the pages are named.
  void retireStalePages(const std::string& folder, const std::string& baseName, std::int32_t highestPage);
  // Flushes every file to disk, then puts each in its target's place.
  bool commit();
  // Removes every file not yet committed.
  void discard();
  // The end of a run: a completed run's files are put in place (false when
  // that fails, and then none is); any other run's are removed (true).
  bool conclude(bool completed) {
    if (completed && commit()) return true;
    discard();
    return !completed;
  }
  // A file that begin() refuses to replace, under any name (the source file).
  void keepIntact(const std::string& path);
  // Asked before every flush and every rename of commit() (and while waiting
  // for a folder's lock): true stops the commit, which then rolls back the
  // files already renamed. A host may yield to its events here.
  void stopWhen(std::function<bool()> stopRequested) { stopRequested_ = std::move(stopRequested); }

  // Takes over every file `other` has staged and not committed, with its
  // folder locks; `other` is left empty. A file both name is a failure.
  void adopt(StagedFiles& other);
  // Puts the files of several runs in place: write-back is started for every
  // file of every run, then each run commits as commit() does. A run whose
  // file fails keeps its failure and its targets stay as they were; the other
  // runs go on. Tells for each run whether its files are in place.
  static std::vector<bool> commitTogether(std::span<StagedFiles* const> runs);

  // The first failure of the run.
  const std::optional<FileFailure>& failure() const { return failure_; }
  // The files of an earlier run that the commit removed (retireStalePages).
  const std::vector<std::string>& retiredFiles() const { return retired_; }

 private:
  struct Staged {
    std::string target;
    std::string temporary;
    dev_t device = 0;
    ino_t inode = 0;
    int fd = -1;             // open while it is among the files written last
    std::uint64_t used = 0;  // when it was last written, for choosing which to close
    std::string pending;     // bytes appended and not yet written
    bool writeBackStarted = false;
  };
  struct Retirement {
    std::string folder;
    std::string baseName;
    std::int32_t highestPage;
  };
  Staged* find(const std::string& target);
  int reopen(const Staged& file, int flags);
  bool writePending(Staged& file, std::string_view more = {});
  bool keepFewOpen(const Staged* writing);
  void startWriteBack(Staged& file);
  bool settle();
  bool makeDurable();
  void closeAll();
  bool lockFolder(const std::string& folder);
  bool planSteps(std::vector<CommitStep>& steps);
  bool fail(const std::string& path);
  bool fail(const std::string& path, std::string_view reason);

  std::vector<Staged> files_;
  std::map<std::pair<dev_t, ino_t>, std::string> targetFiles_;  // the earlier files the run replaces
  std::vector<Retirement> retirements_;
  FolderLocks locks_;
  std::vector<std::string> retired_;
  std::optional<FileFailure> failure_;
  std::optional<std::pair<dev_t, ino_t>> kept_;
  std::function<bool()> stopRequested_;
  std::uint64_t writes_ = 0;
  int openFiles_ = 0;
  StagingSeam* seam_;
};

// While one is open on a thread, a StagedFiles::commit() on that thread puts
// nothing in place: it hands its files over to `into` and reports success, so
// that the caller can commit the files of several runs (a batch) or of several
// writers of one run together; meanwhile their folders' locks are shared.
class DeferredCommit {
 public:
  explicit DeferredCommit(StagedFiles& into);
  ~DeferredCommit();
  DeferredCommit(const DeferredCommit&) = delete;
  DeferredCommit& operator=(const DeferredCommit&) = delete;

 private:
  StagedFiles* previous_;
};

}  // namespace zelvato
