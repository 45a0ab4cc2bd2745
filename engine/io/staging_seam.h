#pragma once

#include <chrono>

namespace zelvato {

// Where a caller can watch and steer the staging of a run's files: before
// each rename of a commit (to stop or kill it there), what the staging asks
// of the system, how long it waits for a folder another run holds, and how
// many new files it keeps open. A staging made without one uses these
// defaults; a test passes its own to stage accidents and count the calls.
class StagingSeam {
 public:
  virtual ~StagingSeam() = default;

  // Before the n-th rename or removal of a commit (counting from 0), and once
  // more after the last.
  virtual void beforeRename(int /*n*/) {}
  // A new file opened (its making included) or reopened.
  virtual void fileOpened() {}
  // A wait for a file's data to be durable, for a folder's, a journal written.
  virtual void fileSynced() {}
  virtual void folderSynced() {}
  virtual void journalWritten() {}

  // How long a run waits for a folder another run is writing into.
  virtual std::chrono::milliseconds lockWait() const { return std::chrono::milliseconds(3000); }
  // How many new files stay open at once; 0: as many as the descriptor limit allows.
  virtual int filesKeptOpen() const { return 0; }

  // The seam of a staging made without one: it watches nothing.
  static StagingSeam& none();
};

}  // namespace zelvato
