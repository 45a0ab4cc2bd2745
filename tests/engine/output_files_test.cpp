#include "output_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "page_writer.h"
#include "recording_host.h"
#include "temp_folder.h"
#include "unicode_text.h"
#include "unprivileged.h"

namespace zelvato {
namespace {

namespace fs = std::filesystem;

std::string bytesOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void put(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// Files the run left besides the ones it was asked for.
int strayFiles(const TempFolder& folder) {
  int count = 0;
  for (const auto& entry : fs::directory_iterator(folder.path()))
    if (entry.path().filename().string().rfind(".zelvato-", 0) == 0) ++count;
  return count;
}

// Five blocks of one character each in a 3 x 3 grid.
constexpr std::u16string_view fiveBlocks = u"あ\r\n\r\n\r\nい\r\n\r\n\r\nう\r\n\r\n\r\nえ\r\n\r\n\r\nお";

ConversionSettings outputTo(const TempFolder& folder, OutputMode mode) {
  ConversionSettings s;
  s.charsPerLine = s.linesPerColumn = u"3";
  s.outputMode = mode;
  s.singleFilePath = pathToText(folder.file("out.html"));
  s.outputFolder = pathToText(folder.folder());
  s.fileBaseName = u"vt";
  return s;
}

TEST(OutputFiles, anEarlierFileIsReplacedWholeOrNotAtAll) {
  struct Case {
    const char* accident;
    OutputMode mode;
    std::function<void(const TempFolder&)> plant;  // what is there before the run
    int stopAfter;                                 // positions before Stop; -1: none
    bool converted;
    std::function<void(const TempFolder&)> check;  // what must hold afterwards
  };
  const auto kept = [](const char* name, const char* bytes) {
    return [=](const TempFolder& f) { EXPECT_EQ(bytesOf(f.file(name)), bytes) << name; };
  };
  const auto victimKept = [](const TempFolder& f) {
    EXPECT_EQ(bytesOf(f.file("victim")), "another user's file");
    EXPECT_FALSE(fs::is_symlink(f.file("out.html")));
  };
  const Case cases[] = {
      {"run stopped after the first block", OutputMode::singleFile,
       [](const TempFolder& f) { put(f.file("out.html"), "earlier good file"); }, 1, false,
       kept("out.html", "earlier good file")},
      {"run of page files stopped after three blocks", OutputMode::pageFiles,
       [](const TempFolder& f) {
         put(f.file("vt001.html"), "page 1");
         put(f.file("vt002.html"), "page 2");
       },
       3, false,
       [&](const TempFolder& f) {
         kept("vt001.html", "page 1")(f);
         kept("vt002.html", "page 2")(f);
         EXPECT_FALSE(fs::exists(f.file("vt003.html")));
       }},
      {"link planted at the single file", OutputMode::singleFile,
       [](const TempFolder& f) {
         put(f.file("victim"), "another user's file");
         fs::create_symlink(f.file("victim"), f.file("out.html"));
       },
       -1, true, victimKept},
      {"link planted at a page file name", OutputMode::pageFiles,
       [](const TempFolder& f) {
         put(f.file("victim"), "another user's file");
         fs::create_symlink("victim", f.file("vt002.html"));
       },
       -1, true,
       [](const TempFolder& f) {
         EXPECT_EQ(bytesOf(f.file("victim")), "another user's file");
         EXPECT_FALSE(fs::is_symlink(f.file("vt002.html")));
         EXPECT_EQ(bytesOf(f.file("vt002.html")).rfind("<HTML>", 0), 0u);
       }},
      {"folder at the single file", OutputMode::singleFile,
       [](const TempFolder& f) { fs::create_directory(f.file("out.html")); }, -1, false,
       [](const TempFolder& f) { EXPECT_TRUE(fs::is_directory(f.file("out.html"))); }},
      {"pipe at the single file (nobody reads it)", OutputMode::singleFile,
       [](const TempFolder& f) { ::mkfifo(f.file("out.html").c_str(), 0600); }, -1, false,
       [](const TempFolder& f) { EXPECT_TRUE(fs::is_fifo(f.file("out.html"))); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.accident);
    TempFolder folder;
    c.plant(folder);
    RecordingHost host;
    host.positionsBeforeStop = c.stopAfter;
    RunFiles files;
    EXPECT_EQ(convertText(fiveBlocks, outputTo(folder, c.mode), "", host, &files), c.converted);
    c.check(folder);
    EXPECT_EQ(strayFiles(folder), 0);
    if (!c.converted && c.stopAfter < 0) EXPECT_TRUE(files.failure && !files.failure->reason.empty());
  }
}

TEST(OutputFiles, theSourceFileIsNeverReplacedUnderAnyName) {
  // The source is linked under the name the second page file will have.
  TempFolder folder;
  put(folder.file("source.txt"), "the only copy");
  fs::create_hard_link(folder.file("source.txt"), folder.file("vt002.html"));
  RecordingHost host;
  RunFiles files;
  files.keepIntact = folder.file("source.txt");
  EXPECT_FALSE(convertText(fiveBlocks, outputTo(folder, OutputMode::pageFiles), "", host, &files));
  EXPECT_EQ(bytesOf(folder.file("source.txt")), "the only copy");
  EXPECT_FALSE(fs::exists(folder.file("vt001.html")));  // nothing of the run is put in place
  ASSERT_TRUE(files.failure.has_value());
  EXPECT_EQ(files.failure->path, folder.file("vt002.html"));
  EXPECT_EQ(strayFiles(folder), 0);
}

TEST(OutputFiles, aNewFileTakesItsModeFromTheUmask) {
  TempFolder folder;
  const mode_t old = ::umask(027);
  RecordingHost host;
  const bool converted = convertText(u"あ", outputTo(folder, OutputMode::singleFile), "", host);
  ::umask(old);
  ASSERT_TRUE(converted);
  struct stat st {};
  ASSERT_EQ(::stat(folder.file("out.html").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(OutputFiles, aReadOnlyEarlierFileIsRefusedNotReplaced) {
  TempFolder folder;
  fs::permissions(folder.path(), fs::perms::all);  // the unprivileged child may write the folder
  put(folder.file("out.html"), "protected");
  fs::permissions(folder.file("out.html"),
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  bool ran = false;
  const int code = runUnprivileged(
      [&] {
        RecordingHost host;
        return convertText(u"あ", outputTo(folder, OutputMode::singleFile), "", host) ? 0 : 1;
      },
      ran);
  if (!ran) GTEST_SKIP() << "running as root without a user 'nobody' to drop to: permissions cannot be tried";
  EXPECT_EQ(code, 1);
  EXPECT_EQ(bytesOf(folder.file("out.html")), "protected");
  EXPECT_EQ(strayFiles(folder), 0);
}

}  // namespace
}  // namespace zelvato

namespace zelvato {
namespace {

// Several runs put in place together: a run whose staged file was swapped for
// another's keeps its earlier target, the others take their places, and
// inside a DeferredCommit a run's own commit puts nothing in place.
TEST(OutputFiles, runsCommittedTogetherFailOneByOne) {
  TempFolder folder;
  put(folder.file("b.html"), "earlier b");
  StagedFiles a, b, c;
  const std::pair<StagedFiles*, const char*> runs[] = {{&a, "a.html"}, {&b, "b.html"}, {&c, "c.html"}};
  for (const auto& [run, name] : runs) {
    StagedFiles own;
    const DeferredCommit deferred(*run);
    ASSERT_TRUE(own.begin(folder.file(name)));
    ASSERT_TRUE(own.append(folder.file(name), std::string("new ") + name));
    ASSERT_TRUE(own.commit());
    EXPECT_FALSE(fs::exists(folder.file(name)) && bytesOf(folder.file(name)).starts_with("new"));
  }
  // Someone replaces b's staged file between the run and the commit.
  for (const auto& entry : fs::directory_iterator(folder.path())) {
    if (entry.path().filename().string().rfind(".zelvato-", 0) == 0 &&
        bytesOf(entry.path()) == "new b.html") {
      put(folder.file("planted"), "planted");
      fs::rename(folder.file("planted"), entry.path());
    }
  }
  StagedFiles* const all[] = {&a, &b, &c};
  EXPECT_EQ(StagedFiles::commitTogether(all), (std::vector<bool>{true, false, true}));
  EXPECT_EQ(bytesOf(folder.file("a.html")), "new a.html");
  EXPECT_EQ(bytesOf(folder.file("b.html")), "earlier b");
  EXPECT_EQ(bytesOf(folder.file("c.html")), "new c.html");
  ASSERT_TRUE(b.failure().has_value());
  EXPECT_EQ(b.failure()->path, folder.file("b.html"));
  b.discard();
  EXPECT_EQ(strayFiles(folder), 1);  // only the planted file, which is not the run's to remove
}

}  // namespace
}  // namespace zelvato
