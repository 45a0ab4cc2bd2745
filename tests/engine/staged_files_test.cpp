#include "io/staged_files.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>

#include "recording_host.h"
#include "run/conversion.h"
#include "temp_folder.h"
#include "text/unicode_text.h"
#include "unprivileged.h"
#include "write/registry/writer_registry.h"

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

// `count` blocks of one character each; with one block per page, as many pages.
std::u16string blocks(int count, char16_t character) {
  std::u16string text;
  for (int i = 0; i < count; ++i)
    text += i == 0 ? std::u16string(1, character) : u"\r\n\r\n\r\n" + std::u16string(1, character);
  return text;
}

// Every file in the folder but the lock file, by name, with its bytes.
std::map<std::string, std::string> filesIn(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name != ".zelvato.lock") files[name] = fs::is_regular_file(entry.path()) ? bytesOf(entry.path()) : "";
  }
  return files;
}

ConversionSettings outputTo(const TempFolder& folder, std::string_view mode) {
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
    std::string_view mode;
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
      {"run stopped after the first block", writerKeys::singleFile,
       [](const TempFolder& f) { put(f.file("out.html"), "earlier good file"); }, 1, false,
       kept("out.html", "earlier good file")},
      {"run of page files stopped after three blocks", writerKeys::pageFiles,
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
      {"link planted at the single file", writerKeys::singleFile,
       [](const TempFolder& f) {
         put(f.file("victim"), "another user's file");
         fs::create_symlink(f.file("victim"), f.file("out.html"));
       },
       -1, true, victimKept},
      {"link planted at a page file name", writerKeys::pageFiles,
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
      {"folder at the single file", writerKeys::singleFile,
       [](const TempFolder& f) { fs::create_directory(f.file("out.html")); }, -1, false,
       [](const TempFolder& f) { EXPECT_TRUE(fs::is_directory(f.file("out.html"))); }},
      {"pipe at the single file (nobody reads it)", writerKeys::singleFile,
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
    if (!c.converted && c.stopAfter < 0) {
      EXPECT_TRUE(files.failure && !files.failure->reason.empty());
    }
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
  EXPECT_FALSE(convertText(fiveBlocks, outputTo(folder, writerKeys::pageFiles), "", host, &files));
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
  const bool converted = convertText(u"あ", outputTo(folder, writerKeys::singleFile), "", host);
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
        return convertText(u"あ", outputTo(folder, writerKeys::singleFile), "", host) ? 0 : 1;
      },
      ran);
  if (!ran) GTEST_SKIP() << "running as root without a user 'nobody' to drop to: permissions cannot be tried";
  EXPECT_EQ(code, 1);
  EXPECT_EQ(bytesOf(folder.file("out.html")), "protected");
  EXPECT_EQ(strayFiles(folder), 0);
}

ConversionSettings pagesTo(const std::string& folder) {
  ConversionSettings s;
  s.charsPerLine = s.linesPerColumn = u"3";
  s.outputMode = writerKeys::pageFiles;
  s.columnsPerPage = u"1";
  s.outputFolder = pathToText(folder + "/");
  s.fileBaseName = u"d";
  return s;
}

bool convertPages(const std::string& folder, int pages, char16_t character, RunFiles* files = nullptr) {
  RecordingHost host;
  return convertText(blocks(pages, character), pagesTo(folder), "", host, files);
}

// In a folder where everyone may add files but only the owner of a file may
// replace it, another user's file stands at a page's name: the run is refused
// before any page is replaced, and the message names that file.
TEST(OutputFiles, anotherUsersFileInASharedFolderIsRefusedBeforeAnyPageIsReplaced) {
  if (::geteuid() != 0) GTEST_SKIP() << "planting another user's file needs root";
  struct Case {
    const char* accident;
    const char* planted;  // the name of the other user's file
    int pages;            // of the second run; the first wrote three
  };
  const Case cases[] = {
      {"another user's file at the second page", "d002.html", 3},
      {"another user's file at a page the earlier run did not write", "d004.html", 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.accident);
    TempFolder folder;
    fs::permissions(folder.path(), fs::perms::all);
    const std::string shared = folder.file("shared");
    fs::create_directory(shared);
    fs::permissions(shared, fs::perms::all | fs::perms::sticky_bit);
    const std::string report = folder.file("report");
    const auto run = [&](int pages, char16_t character) {
      bool ran = false;
      const int code = runUnprivileged(
          [&] {
            RunFiles files;
            const bool converted = convertPages(shared, pages, character, &files);
            if (files.failure) put(report, files.failure->path + ": " + files.failure->reason);
            return converted ? 0 : 1;
          },
          ran);
      return ran ? code : -1;
    };
    ASSERT_EQ(run(3, u'前'), 0);
    fs::remove(shared + "/" + c.planted);
    put(shared + "/" + c.planted, "another user's file");  // root's, writable by all
    fs::permissions(shared + "/" + c.planted, fs::perms::all);
    const auto before = filesIn(shared);

    EXPECT_EQ(run(c.pages, u'後'), 1);
    EXPECT_EQ(filesIn(shared), before);
    EXPECT_EQ(bytesOf(report), shared + "/" + c.planted + ": Operation not permitted");
  }
}

// Another process makes a folder at the name the next page is renamed to.
struct PlantsAFolder : StagingSeam {
  std::string folder;
  int raceAt = -1;
  void beforeRename(int n) override {
    if (n == raceAt) fs::create_directory(folder + "/d00" + std::to_string(n + 1) + ".html");
  }
};

// A rename that fails halfway through the pages puts back the pages renamed
// before it and names the page that failed, with the system's reason.
TEST(OutputFiles, aRenameFailingHalfwayPutsBackThePagesRenamedAndNamesTheFile) {
  for (const int raceAt : {3, 4}) {
    SCOPED_TRACE(raceAt);
    TempFolder folder;
    ASSERT_TRUE(convertPages(folder.path(), 3, u'前'));
    const auto earlier = filesIn(folder.path());
    PlantsAFolder race;
    race.folder = folder.path();
    race.raceAt = raceAt;
    RunFiles files;
    files.staging = &race;
    const bool converted = convertPages(folder.path(), 5, u'後', &files);
    EXPECT_FALSE(converted);
    const std::string failed = "d00" + std::to_string(raceAt + 1) + ".html";
    auto after = filesIn(folder.path());
    EXPECT_EQ(after.erase(failed), 1u);  // the other process's folder
    EXPECT_EQ(after, earlier);
    ASSERT_TRUE(files.failure.has_value());
    EXPECT_EQ(files.failure->path, folder.file(failed));
    EXPECT_EQ(files.failure->reason, "Is a directory");
  }
}

// The run is killed before the rename `killAt` (the number of renames: after the last).
struct KillsTheRun : StagingSeam {
  int killAt = -1;
  void beforeRename(int n) override {
    if (n == killAt) ::kill(::getpid(), SIGKILL);
  }
};

// A run killed between any two renames leaves a journal; the next run in the
// folder puts back every earlier page or, when all new pages were in place,
// finishes the new set, and removes every temporary file.
TEST(OutputFiles, theNextRunFinishesOrRollsBackARunKilledDuringItsRenames) {
  struct Case {
    const char* accident;
    int killAt;     // the rename before which the run is killed; 6: after the last
    bool newPages;  // the next run finds the new set, else the earlier one
  };
  const Case cases[] = {
      {"killed before the first rename", 0, false},
      {"killed after two of six pages", 2, false},
      {"killed before the last page", 5, false},
      {"killed after the last rename, before the journal went", 6, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.accident);
    TempFolder folder;
    ASSERT_TRUE(convertPages(folder.path(), 6, u'前'));
    const auto earlier = filesIn(folder.path());
    TempFolder expected;
    ASSERT_TRUE(convertPages(expected.path(), 6, u'後'));

    const pid_t child = ::fork();
    if (child == 0) {
      KillsTheRun kill;
      kill.killAt = c.killAt;
      RunFiles files;
      files.staging = &kill;
      convertPages(folder.path(), 6, u'後', &files);
      ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_TRUE(fs::exists(folder.file(".zelvato.journal")));

    // The next run writes another file into the folder.
    RecordingHost host;
    ConversionSettings single = outputTo(folder, writerKeys::singleFile);
    ASSERT_TRUE(convertText(u"次", single, "", host));
    auto after = filesIn(folder.path());
    after.erase("out.html");
    EXPECT_EQ(after, c.newPages ? filesIn(expected.path()) : earlier);
  }
}

// The user stops the run before the rename `stopAt`.
struct StopsTheRun : StagingSeam {
  RecordingHost* host = nullptr;
  int stopAt = -1;
  void beforeRename(int n) override {
    if (n == stopAt) host->stop = true;
  }
};

// A stop request (the converter's signals) that comes while the files are put
// in place stops before the next rename and puts back the ones renamed.
TEST(OutputFiles, aStopDuringTheRenamesPutsBackThePagesAlreadyRenamed) {
  for (const int stopAt : {0, 1, 3, 5}) {
    SCOPED_TRACE(stopAt);
    TempFolder folder;
    ASSERT_TRUE(convertPages(folder.path(), 6, u'前'));
    const auto earlier = filesIn(folder.path());
    RecordingHost host;
    StopsTheRun stop;
    stop.host = &host;
    stop.stopAt = stopAt;
    RunFiles files;
    files.staging = &stop;
    const bool converted = convertText(blocks(6, u'後'), pagesTo(folder.path()), "", host, &files);
    EXPECT_FALSE(converted);
    EXPECT_EQ(filesIn(folder.path()), earlier);
    ASSERT_TRUE(files.failure.has_value());
    EXPECT_EQ(files.failure->reason, stoppedReason);
  }
}

// Two runs into one folder: the second waits for the first, then is refused
// with the folder's name; a folder of its own is never kept waiting.
TEST(OutputFiles, aSecondRunIntoAFolderInUseIsRefusedWithTheFolderName) {
  // The second run waits a moment only, not the user's few seconds.
  struct WaitsAMoment : StagingSeam {
    std::chrono::milliseconds lockWait() const override { return std::chrono::milliseconds(200); }
  } waitsAMoment;
  struct Case {
    const char* accident;
    bool sameFolder;
    bool converted;
  };
  const Case cases[] = {
      {"a run already writing into the page folder", true, false},
      {"a run writing into another folder", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.accident);
    TempFolder folder, other;
    ASSERT_TRUE(convertPages(folder.path(), 3, u'前'));
    const auto earlier = filesIn(folder.path());
    StagedFiles first;
    ASSERT_TRUE(first.begin((c.sameFolder ? folder : other).file("first.html")));
    RunFiles files;
    files.staging = &waitsAMoment;
    EXPECT_EQ(convertPages(folder.path(), 2, u'後', &files), c.converted);
    if (!c.converted) {
      ASSERT_TRUE(files.failure.has_value());
      EXPECT_EQ(files.failure->path, folder.path());
      EXPECT_EQ(files.failure->reason, folderBusyReason);
      for (const auto& [name, bytes] : earlier) EXPECT_EQ(bytesOf(folder.file(name)), bytes) << name;
    }
    first.discard();
    if (!c.converted) {
      EXPECT_EQ(filesIn(folder.path()), earlier);
      EXPECT_TRUE(convertPages(folder.path(), 2, u'後'));  // once the first is done
    }
  }
}

// A page-files run after a longer one removes the longer run's later pages, and
// only names of exactly the pages' form.
TEST(OutputFiles, aShorterRunRemovesTheLaterPagesOfALongerOne) {
  struct Case {
    const char* accident;
    std::vector<std::string> planted;  // besides the six pages of the earlier run
    std::vector<std::string> kept;     // of those, still there
    std::size_t retired;               // files the run removed
  };
  const Case cases[] = {
      {"pages 3 to 6 of the earlier run", {}, {}, 4},
      {"names that only look like pages",
       {"d0007.html", "d7.html", "d07.html", "dd003.html", "d003.htm", "d003.html.bak", "e005.html",
        "d00x.html"},
       {"d0007.html", "d7.html", "d07.html", "dd003.html", "d003.htm", "d003.html.bak", "e005.html",
        "d00x.html"},
       4},
      {"page 1000 of a very long run", {"d1000.html"}, {}, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.accident);
    TempFolder folder;
    ASSERT_TRUE(convertPages(folder.path(), 6, u'前'));
    for (const std::string& name : c.planted) put(folder.file(name), "planted");
    RunFiles files;
    ASSERT_TRUE(convertPages(folder.path(), 2, u'後', &files));
    std::vector<std::string> left;
    for (const auto& [name, bytes] : filesIn(folder.path())) left.push_back(name);
    std::vector<std::string> expected = c.kept;
    expected.push_back("d001.html");
    expected.push_back("d002.html");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(left, expected);
    EXPECT_EQ(files.retiredFiles.size(), c.retired);
    // The new last page links to no page after it.
    EXPECT_EQ(bytesOf(folder.file("d002.html")).find("d003.html"), std::string::npos);
  }
  // A failed shorter run removes nothing.
  TempFolder folder;
  ASSERT_TRUE(convertPages(folder.path(), 6, u'前'));
  const auto earlier = filesIn(folder.path());
  RecordingHost host;
  host.positionsBeforeStop = 4;
  EXPECT_FALSE(convertText(blocks(2, u'後'), pagesTo(folder.path()), "", host));
  EXPECT_EQ(filesIn(folder.path()), earlier);
}

// A replaced file keeps its mode; a new one, or one behind a link, takes the umask's.
TEST(OutputFiles, theReplacedFileKeepsItsMode) {
  struct Case {
    const char* accident;
    std::function<void(const TempFolder&)> plant;
    mode_t expected;  // under umask 022
  };
  const Case cases[] = {
      {"a private file",
       [](const TempFolder& f) { put(f.file("out.html"), "x"), ::chmod(f.file("out.html").c_str(), 0600); },
       0600},
      {"a file for the group",
       [](const TempFolder& f) { put(f.file("out.html"), "x"), ::chmod(f.file("out.html").c_str(), 0660); },
       0660},
      {"no earlier file", [](const TempFolder&) {}, 0644},
      {"a link to a private file",
       [](const TempFolder& f) {
         put(f.file("victim"), "x");
         ::chmod(f.file("victim").c_str(), 0600);
         fs::create_symlink("victim", f.file("out.html"));
       },
       0644},
  };
  const mode_t old = ::umask(022);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.accident);
    TempFolder folder;
    c.plant(folder);
    RecordingHost host;
    ASSERT_TRUE(convertText(u"あ", outputTo(folder, writerKeys::singleFile), "", host));
    struct stat st {};
    ASSERT_EQ(::lstat(folder.file("out.html").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 07777, c.expected);
  }
  ::umask(old);
}

// The preview file is staged as the output files are: refused where it would
// block or write into a device, replaced by rename under a name with other
// links, and left as it was by a failed run.
TEST(OutputFiles, thePreviewFileIsReplacedWholeOrNotAtAll) {
  struct Case {
    const char* accident;
    std::function<std::string(const TempFolder&)> plant;  // gives the preview path
    bool readOnlyOutput;                                  // the single file's folder may not be written
    bool converted;
    std::function<void(const TempFolder&, const std::string& preview)> check;
  };
  const Case cases[] = {
      {"a pipe nobody reads at the preview path",
       [](const TempFolder& f) {
         ::mkfifo(f.file("prev.html").c_str(), 0666);
         return f.file("prev.html");
       },
       false, false, [](const TempFolder&, const std::string& p) { EXPECT_TRUE(fs::is_fifo(p)); }},
      {"a device as the preview", [](const TempFolder&) { return std::string("/dev/null"); }, false, false,
       [](const TempFolder&, const std::string& p) { EXPECT_TRUE(fs::is_character_file(p)); }},
      {"a hard link to another file at the preview path",
       [](const TempFolder& f) {
         put(f.file("other"), "another file");
         fs::create_hard_link(f.file("other"), f.file("prev.html"));
         return f.file("prev.html");
       },
       false, true,
       [](const TempFolder& f, const std::string& p) {
         EXPECT_EQ(bytesOf(f.file("other")), "another file");
         EXPECT_EQ(bytesOf(p).rfind("<!--GENERATOR", 0), 0u);
       }},
      {"the preview named as the single file", [](const TempFolder& f) { return f.file("ro/x.html"); }, false,
       false, [](const TempFolder&, const std::string& p) { EXPECT_FALSE(fs::exists(p)); }},
      {"the single file cannot be written: the earlier preview stays",
       [](const TempFolder& f) {
         put(f.file("prev.html"), "earlier preview");
         return f.file("prev.html");
       },
       true, false,
       [](const TempFolder&, const std::string& p) { EXPECT_EQ(bytesOf(p), "earlier preview"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.accident);
    TempFolder folder;
    fs::permissions(folder.path(), fs::perms::all);
    const std::string preview = c.plant(folder);
    // The planted files are the user's to replace; only the folder "ro" is not.
    for (const auto& entry : fs::directory_iterator(folder.path()))
      if (entry.is_regular_file()) fs::permissions(entry.path(), fs::perms::all);
    fs::create_directory(folder.file("ro"));
    fs::permissions(folder.file("ro"),
                    c.readOnlyOutput ? fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec
                                     : fs::perms::all);
    ConversionSettings s = outputTo(folder, writerKeys::singleFile);
    s.singleFilePath = pathToText(folder.file("ro/x.html"));
    bool ran = false;
    const int code = runUnprivileged(
        [&] {
          RecordingHost host;
          RunFiles files;
          const bool converted = convertText(fiveBlocks, s, preview, host, &files);
          return converted ? 0 : files.failure && !files.failure->reason.empty() ? 1 : 2;
        },
        ran);
    if (!ran) GTEST_SKIP() << "running as root without a user 'nobody' to drop to";
    EXPECT_EQ(code, c.converted ? 0 : 1);
    c.check(folder, preview);
    EXPECT_EQ(strayFiles(folder), 0);
  }
}

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

// What the staging asks of the system since it began.
struct CountsSystemCalls : StagingSeam {
  int fileOpens = 0, fileSyncs = 0, folderSyncs = 0, journals = 0;
  void fileOpened() override { ++fileOpens; }
  void fileSynced() override { ++fileSyncs; }
  void folderSynced() override { ++folderSyncs; }
  void journalWritten() override { ++journals; }
};

// What the staging asks of the system grows with the files of a run, never
// with its blocks: each file is made once and synced once, and a folder is
// synced once after its renames, plus once for its journal where it has one.
TEST(OutputFiles, aRunOpensAndSyncsEachFileOnceWhateverItsBlocks) {
  struct Case {
    const char* run;
    std::string_view mode;
    int blocks;
    bool preview;     // beside the output
    bool earlier;     // the outputs are there from an earlier run
    int files;        // the run's new files
    int journals;     // written
    int folderSyncs;  // waits for the folder
  };
  const Case cases[] = {
      {"single file of 40 blocks", writerKeys::singleFile, 40, false, false, 1, 0, 1},
      {"single file of 40 blocks over an earlier one", writerKeys::singleFile, 40, false, true, 1, 0, 1},
      {"single file and preview in one folder", writerKeys::singleFile, 40, true, false, 2, 1, 2},
      {"12 pages of one block", writerKeys::pageFiles, 12, false, false, 12, 1, 2},
      {"12 pages over earlier ones", writerKeys::pageFiles, 12, false, true, 12, 1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.run);
    TempFolder folder;
    ConversionSettings s = pagesTo(folder.path());
    s.outputMode = c.mode;
    s.singleFilePath = pathToText(folder.file("out.html"));
    const std::string preview = c.preview ? folder.file("preview.html") : std::string();
    RecordingHost host;
    if (c.earlier) {
      ASSERT_TRUE(convertText(blocks(c.blocks, u'前'), s, preview, host));
    }
    CountsSystemCalls calls;
    RunFiles files;
    files.staging = &calls;
    ASSERT_TRUE(convertText(blocks(c.blocks, u'後'), s, preview, host, &files));
    // A file closed early to keep few open may be opened once more for its sync.
    EXPECT_GE(calls.fileOpens, c.files);
    EXPECT_LE(calls.fileOpens, 2 * c.files);
    EXPECT_EQ(calls.fileSyncs, c.files);
    EXPECT_EQ(calls.journals, c.journals);
    EXPECT_EQ(calls.folderSyncs, c.folderSyncs);
    EXPECT_EQ(strayFiles(folder), 0);
  }
}

// Files written in turn, more of them than stay open and with more bytes than
// are gathered before a write, each get exactly their own bytes in order.
TEST(OutputFiles, bytesAppendedToManyFilesInTurnArriveWholeAndInOrder) {
  struct KeepsFourOpen : StagingSeam {
    int filesKeptOpen() const override { return 4; }
  } keepsFourOpen;
  TempFolder folder;
  StagedFiles staged(&keepsFourOpen);
  std::map<std::string, std::string> expected;
  for (int i = 0; i < 9; ++i) ASSERT_TRUE(staged.begin(folder.file("f" + std::to_string(i))));
  for (int round = 0; round < 6; ++round)
    for (int i = 0; i < 9; ++i) {
      const std::string name = "f" + std::to_string(i);
      // Sizes from a few bytes to more than is gathered at once.
      const std::string bytes(static_cast<std::size_t>(1 + (round * 9 + i) * 1500),
                              static_cast<char>('a' + i));
      ASSERT_TRUE(staged.append(folder.file(name), bytes + std::to_string(round)));
      expected[name] += bytes + std::to_string(round);
    }
  ASSERT_TRUE(staged.commit());
  EXPECT_EQ(filesIn(folder.path()), expected);
}

// A single file has no journal: a run killed before its rename leaves the
// earlier file, and the next run in the folder removes what the killed one left.
TEST(OutputFiles, aSingleFileKilledBeforeItsRenameKeepsTheEarlierOne) {
  TempFolder folder;
  RecordingHost host;
  const ConversionSettings s = outputTo(folder, writerKeys::singleFile);
  ASSERT_TRUE(convertText(u"前", s, "", host));
  const std::string earlier = bytesOf(folder.file("out.html"));
  const pid_t child = ::fork();
  if (child == 0) {
    KillsTheRun kill;
    kill.killAt = 0;
    RunFiles files;
    files.staging = &kill;
    RecordingHost own;
    convertText(u"後", s, "", own, &files);
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
  EXPECT_EQ(bytesOf(folder.file("out.html")), earlier);
  EXPECT_FALSE(fs::exists(folder.file(".zelvato.journal")));
  ConversionSettings other = s;
  other.singleFilePath = pathToText(folder.file("other.html"));
  ASSERT_TRUE(convertText(u"次", other, "", host));
  EXPECT_EQ(bytesOf(folder.file("out.html")), earlier);
  EXPECT_EQ(strayFiles(folder), 0);
}

}  // namespace
}  // namespace zelvato
