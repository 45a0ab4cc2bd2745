// Holds the single-instance lock at argv[1] like a running copy of the program,
// says "held" (or "busy"/"unavailable") on standard output and waits until it
// is killed.
#include <unistd.h>

#include <QCoreApplication>
#include <cstdio>

#include "single_instance.h"

int main(int argc, char* argv[]) {
  QCoreApplication application(argc, argv);
  if (argc < 2) return 2;
  zelvato::SingleInstanceLock lock;
  switch (lock.acquire(QString::fromLocal8Bit(argv[1]))) {
    case zelvato::SingleInstanceLock::Result::acquired:
      std::fputs("held\n", stdout);
      break;
    case zelvato::SingleInstanceLock::Result::heldElsewhere:
      std::fputs("busy\n", stdout);
      std::fflush(stdout);
      return 1;
    case zelvato::SingleInstanceLock::Result::unavailable:
      std::fputs("unavailable\n", stdout);
      std::fflush(stdout);
      return 1;
  }
  std::fflush(stdout);
  for (;;) ::pause();
}
