#pragma once

#include <QString>

namespace zelvato {

// One running copy of the program per user. The lock is an flock() on a file
// in the user's private folder: the kernel drops it when the process ends in
// any way, so a copy that crashed or was killed never blocks the next start.
class SingleInstanceLock {
 public:
  enum class Result {
    acquired,       // this process is now the running copy
    heldElsewhere,  // another process holds the lock: a copy is running
    unavailable,    // the lock file cannot be opened; nothing is known
  };

  SingleInstanceLock() = default;
  SingleInstanceLock(const SingleInstanceLock&) = delete;
  SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;
  ~SingleInstanceLock();

  // Tries once, without waiting. Holding the lock already gives `acquired`.
  Result acquire(const QString& lockFilePath);
  bool isHeld() const { return fd_ >= 0; }
  void release();

 private:
  int fd_ = -1;
};

// The lock file of the running user: "zelvato.lock" in the private per-user
// folder; empty when there is no such folder.
QString singleInstanceLockPath();

}  // namespace zelvato
