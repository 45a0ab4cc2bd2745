#include "io/file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "temp_folder.h"
#include "unprivileged.h"

namespace zelvato {
namespace {

void put(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST(FileSystem, deleteFileRemovesOnlyPlainFiles) {
  TempFolder folder;
  const std::string path = folder.file("out.html");
  put(path, "old contents\r\n");
  EXPECT_TRUE(deleteFile(path));
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_FALSE(deleteFile(path));
  // Never a folder or a special file.
  const std::string fifo = folder.file("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(deleteFile(fifo));
  EXPECT_TRUE(std::filesystem::exists(fifo));
  EXPECT_FALSE(deleteFile(folder.path()));
  EXPECT_TRUE(std::filesystem::exists(folder.path()));
}

TEST(FileSystem, fileExistsOnlyForFilesThatAreThere) {
  TempFolder folder;
  const std::string present = folder.file("present.txt");
  put(present, "");
  EXPECT_TRUE(fileExists(present));
  EXPECT_FALSE(fileExists(folder.file("absent.txt")));
  EXPECT_FALSE(fileExists(folder.file("missing folder/absent.txt")));
  EXPECT_FALSE(fileExists(""));
  EXPECT_FALSE(fileExists(folder.path()));  // a folder is not a file
  errno = 0;
  fileExists(folder.file("absent.txt"));
  EXPECT_EQ(errno, 0);
}

// A file the user may not read is still there: the loader then says it cannot
// be read rather than that it is missing. Run as root, where no permission
// bites, the check runs as an unprivileged user.
TEST(FileSystem, aFileThatMayNotBeReadStillExists) {
  TempFolder folder;
  const std::string present = folder.file("present.txt");
  put(present, "text");
  ASSERT_EQ(::chmod(present.c_str(), 0), 0);
  ASSERT_EQ(::chmod(folder.path().c_str(), 0755), 0);  // the other user may look into the folder
  bool ran = false;
  const int status = runUnprivileged(
      [&] {
        // Opening is refused, so the answer comes from the refusal alone.
        if (std::ifstream(present).is_open()) return 3;
        return fileExists(present) ? 0 : 1;
      },
      ran);
  if (!ran) GTEST_SKIP() << "no unprivileged user to run as";
  EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace zelvato
