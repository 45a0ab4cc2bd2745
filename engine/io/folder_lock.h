#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "io/staging_seam.h"

namespace zelvato {

// The folders one staging writes into, each locked (flock on ".zelvato.lock",
// removed again when the lock is let go) from the first file begun there until
// the staging ends. Another run waits a while for a locked folder, then is
// refused; the stagings that commit together (the runs of a batch, the
// writers of one run: see DeferredCommit) share their folders' locks. Taking a lock
// also finishes what a killed run left in the folder (recoverFolder).
class FolderLocks {
 public:
  FolderLocks() = default;
  ~FolderLocks() { releaseAll(); }
  FolderLocks(const FolderLocks&) = delete;
  FolderLocks& operator=(const FolderLocks&) = delete;

  // Locks `folder` unless this staging holds it already. A staging that
  // commits with others (`batch`) joins a lock another such staging holds. Waits the seam's
  // lockWait for another run's lock, asking `stopRequested` as it waits. False
  // with errno set when the lock file cannot be had; with EWOULDBLOCK when
  // another run holds the folder past the wait.
  bool lock(const std::string& folder, bool batch, const std::function<bool()>& stopRequested,
            StagingSeam& seam);
  // Lets go of every folder; the last user of a lock removes its file.
  void releaseAll();
  // Takes over `other`'s locks; the process's count of their users stays as it is.
  void adopt(FolderLocks& other);

 private:
  std::vector<std::pair<dev_t, ino_t>> held_;
};

// The folder a refusal names: in full, as "." says little.
std::string folderName(const std::string& folder);

}  // namespace zelvato
