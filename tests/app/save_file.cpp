// Saves the bytes of argv[2] to the file argv[1] as the window's 保存 does, so
// that a test running as root can save as another user; says why not on
// standard error and exits 1 when the save failed.
#include <cstdio>

#include "source_saving.h"

int main(int argc, char* argv[]) {
  if (argc < 3) return 2;
  const std::optional<QString> failure =
      zelvato::writeFileAtomically(QString::fromLocal8Bit(argv[1]), QByteArray(argv[2]));
  if (!failure) return 0;
  std::fprintf(stderr, "%s\n", failure->toLocal8Bit().constData());
  return 1;
}
