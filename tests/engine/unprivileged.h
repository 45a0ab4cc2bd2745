#pragma once

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace zelvato {

// Runs `work` in a child process and returns its exit code (-1 when it did not
// exit). Run as root, where file permissions do not bite, the child first
// becomes the user nobody, so a read-only file is as protected as it is for a
// user. False in `ran` when that user does not exist.
inline int runUnprivileged(const std::function<int()>& work, bool& ran) {
  ran = false;
  const passwd* nobody = ::getpwnam("nobody");
  if (::geteuid() == 0 && nobody == nullptr) return -1;
  ran = true;
  const uid_t uid = nobody != nullptr ? nobody->pw_uid : 0;
  const gid_t gid = nobody != nullptr ? nobody->pw_gid : 0;
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setresgid(gid, gid, gid) != 0 || ::setresuid(uid, uid, uid) != 0))
      ::_exit(99);
    ::_exit(work());
  }
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace zelvato
