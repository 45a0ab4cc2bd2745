#include "single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

#include "temp_folder.h"

namespace zelvato {

SingleInstanceLock::~SingleInstanceLock() {
  release();
}

SingleInstanceLock::Result SingleInstanceLock::acquire(const QString& lockFilePath) {
  if (isHeld()) return Result::acquired;
  if (lockFilePath.isEmpty()) return Result::unavailable;
  // O_CLOEXEC: a program started from here (the browser's helper processes)
  // must not inherit the lock and keep it after this copy has ended.
  const int fd =
      ::open(QFile::encodeName(lockFilePath).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return Result::unavailable;
  int rc = 0;
  do {
    rc = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    const bool busy = errno == EWOULDBLOCK;
    ::close(fd);
    return busy ? Result::heldElsewhere : Result::unavailable;
  }
  fd_ = fd;
  // The running copy's process id, for whoever looks at the file.
  const QByteArray pid = QByteArray::number(static_cast<qint64>(::getpid())) + '\n';
  if (::ftruncate(fd_, 0) == 0) {
    [[maybe_unused]] const ssize_t written = ::write(fd_, pid.constData(), static_cast<size_t>(pid.size()));
  }
  return Result::acquired;
}

void SingleInstanceLock::release() {
  if (fd_ < 0) return;
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
}

QString singleInstanceLockPath() {
  const QString folder = privateFolder(defaultPrivateFolderPlaces());
  if (folder.isEmpty()) return {};
  return folder + QStringLiteral("zelvato.lock");
}

}  // namespace zelvato
