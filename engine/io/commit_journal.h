#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "io/staging_seam.h"

namespace zelvato {

// How a commit changes a folder, and how a folder is put right after a run
// that was killed during its commit: the names of the staging's own files
// (".zelvato-" + ten letters or digits + ".tmp" or ".old"), the journal
// (".zelvato.journal") that lists a folder's changes before the first rename,
// and the roll-back that undoes them.

inline constexpr const char* journalName = ".zelvato.journal";

// One step of a commit, in the journal and in memory.
struct CommitStep {
  std::string folder;     // with no trailing separator
  std::string target;     // the name in the folder
  std::string temporary;  // the new file's name; empty when the target is only removed
  std::string backup;     // the name that keeps the earlier file; empty when there was none
  dev_t device = 0;       // of the new file
  ino_t inode = 0;
};

// `name` in `folder`.
std::string inFolder(const std::string& folder, const std::string& name);
// The last part of a path.
std::string nameOf(const std::string& path);

// Creates a new file with a fresh temporary name in the folder (written to
// `name`) and returns its descriptor, or -1 with errno set.
int createIn(const std::string& folder, std::string& name);
// A free name for the link that keeps an earlier file until its commit is complete.
std::string freeBackupName(const std::string& folder);

// Waits until the folder's changes are on the disk.
void syncFolder(const std::string& folder, StagingSeam& seam);
// True when `path` is the file with this device and inode (not following a link).
bool isFile(const std::string& path, dev_t device, ino_t inode);

// Writes the journal of one folder's steps, whole or not at all; false with errno set.
bool writeJournal(const std::string& folder, const std::vector<CommitStep>& steps, StagingSeam& seam);
void removeJournal(const std::string& folder);
// Puts every earlier file back and removes every new one; false when something
// could not be put back.
bool rollBack(const std::vector<CommitStep>& steps);

// Finishes what a killed run left in the folder: its journal completed or
// rolled back, its temporary files removed. Called with the folder's lock held.
void recoverFolder(const std::string& folder, StagingSeam& seam);

}  // namespace zelvato
