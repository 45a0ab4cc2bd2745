// zelvato-convert, run as a user runs it, against the engine it drives.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>

#include "document/number_text.h"
#include "io/staged_files.h"
#include "read/source_decoding.h"
#include "recording_host.h"
#include "run/conversion.h"
#include "temp_folder.h"
#include "text/codepage.h"
#include "text/unicode_text.h"
#include "unprivileged.h"
#include "write/registry/writer_registry.h"

namespace zelvato {
namespace {

std::string bytesOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

const std::string sampleCp932 = std::string(ZELVATO_TEST_DATA_DIR) + "/convert/snow_morning_cp932.txt";
const std::string sampleUtf8 = std::string(ZELVATO_TEST_DATA_DIR) + "/convert/snow_morning_utf8_bom.txt";

std::string quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

struct Result {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs the converter in `folder` with the arguments, standard input from `input`.
Result runConvert(const TempFolder& folder, const std::vector<std::string>& args,
                  const std::string& input = "/dev/null") {
  std::string command = "cd " + quoted(folder.path()) + " && " + quoted(ZELVATO_CONVERT_PATH);
  for (const auto& arg : args) command += " " + quoted(arg);
  command +=
      " < " + quoted(input) + " > " + quoted(folder.file("stdout")) + " 2> " + quoted(folder.file("stderr"));
  const int status = std::system(command.c_str());
  Result r;
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = bytesOf(folder.file("stdout"));
  r.err = bytesOf(folder.file("stderr"));
  return r;
}

// The sample as the window's loader would put it into the source pane.
std::u16string sampleSource() {
  const auto lines = readSourceFile(sampleCp932);
  EXPECT_TRUE(lines.has_value());
  std::u16string text;
  for (const auto& line : lines.value_or(DecodedSource{}).lines) text += line + u"\r\n";
  return text;
}

TEST(ConvertCli, convertsAJapaneseTextFileIntoPagesAsTheEngineDoes) {
  TempFolder folder;
  const Result r =
      runConvert(folder, {"--pages", "out", "--base-name", "snow", "--columns-per-page=2", "--page-links",
                          "--page-numbers", "--title", "雪の朝", "--lines", "5", "--chars-per-line", "12",
                          "--no-center", "--preview", "preview.html", sampleCp932});
  // The folder is missing: nothing can be written, and the run says so.
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err,
            "変換中に予期しないｴﾗｰが発生し、中断されました.\n"
            "zelvato-convert: out/snow001.html: No such file or directory\n");
  EXPECT_FALSE(std::filesystem::exists(folder.file("preview.html")));

  std::filesystem::create_directory(folder.file("out"));
  const Result ok =
      runConvert(folder, {"--pages", "out", "--base-name", "snow", "--columns-per-page=2", "--page-links",
                          "--page-numbers", "--title", "雪の朝", "--lines", "5", "--chars-per-line", "12",
                          "--no-center", "--preview", "preview.html", sampleCp932});
  ASSERT_EQ(ok.exitCode, 0) << ok.err;
  EXPECT_EQ(ok.out, "");  // the markup went into the files

  // The same conversion in process, settings set by hand.
  TempFolder expected;
  ConversionSettings s;
  s.outputMode = writerKeys::pageFiles;
  s.outputFolder = utf8ToUtf16(expected.folder());
  s.fileBaseName = u"snow";
  s.columnsPerPage = u"2";
  s.addPageLinks = s.addPageNumbers = true;
  s.htmlTitle = u"雪の朝";
  s.linesPerColumn = u"5";
  s.charsPerLine = u"12";
  s.centerText = false;
  RecordingHost host;
  ASSERT_TRUE(convertText(sampleSource(), s, expected.file("preview.html"), host));

  EXPECT_EQ(bytesOf(folder.file("preview.html")), bytesOf(expected.file("preview.html")));
  int pages = 0;
  for (int page = 1;
       std::filesystem::exists(expected.file("snow" + utf16ToUtf8(formatNumber(page, 3)) + ".html"));
       ++page, ++pages) {
    const std::string name = "snow" + utf16ToUtf8(formatNumber(page, 3)) + ".html";
    EXPECT_EQ(bytesOf(folder.file("out/" + name)), bytesOf(expected.file(name))) << name;
  }
  EXPECT_GE(pages, 3);

  // The text reads top to bottom, first vertical line at the right: the title
  // line, an empty line, then the first paragraph from its indent.
  const std::u16string page1 = decodeCp932(bytesOf(folder.file("out/snow001.html")));
  std::vector<std::u16string> rows;
  for (std::size_t at = page1.find(u"\r\n", page1.find(u"<PRE>")) + 2; page1[at] == u' ';
       at = page1.find(u"\r\n", at) + 2)
    rows.push_back(page1.substr(at, page1.find(u"\r\n", at) - at));
  ASSERT_EQ(rows.size(), 12u);
  const auto verticalLine = [&](int fromRight) {
    std::u16string line;
    for (const auto& row : rows) line += row[row.size() - 2 - 3 * (fromRight - 1)];
    return line;
  };
  EXPECT_EQ(verticalLine(1), u"雪の朝　　　　　　　　　");
  EXPECT_EQ(verticalLine(2), u"　　　　　　　　　　　　");
  EXPECT_EQ(verticalLine(3).substr(0, 7), u"　目を覚ますと");
}

TEST(ConvertCli, readsUtf8FilesAndStandardInputLikeCodePageFiles) {
  TempFolder folder;
  const Result fromCp932 = runConvert(folder, {sampleCp932});
  const Result fromUtf8 = runConvert(folder, {sampleUtf8});
  const Result fromStdin = runConvert(folder, {}, sampleCp932);
  const Result fromDash = runConvert(folder, {"-"}, sampleUtf8);
  ASSERT_EQ(fromCp932.exitCode, 0) << fromCp932.err;
  EXPECT_FALSE(fromCp932.out.empty());
  EXPECT_EQ(fromUtf8.out, fromCp932.out);
  EXPECT_EQ(fromStdin.out, fromCp932.out);
  EXPECT_EQ(fromDash.out, fromCp932.out);

  // Show-only: the blocks' markup in UTF-8, as the window's HTML pane gets it.
  RecordingHost host;
  ASSERT_TRUE(convertText(sampleSource(), ConversionSettings{}, "", host));
  EXPECT_EQ(fromCp932.out, utf16ToUtf8(host.htmlPane));
}

TEST(ConvertCli, checksSettingsInTheWindowsOrderWithItsMessages) {
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string err;  // what standard error holds (its start)
  };
  const std::string sample = sampleCp932;
  const Case cases[] = {
      {{"--chars-per-line=", "--single="}, 2, "zelvato-convert: the value of --chars-per-line is empty"},
      {{"--tab-width", "", sample}, 2, "zelvato-convert: the value of --tab-width is empty"},
      {{"--single=", "--title="}, 2, "出力先ﾌｧｲﾙ名を指定して下さい\n"},
      {{"--pages=", "--base-name="}, 2, "出力先ﾌｫﾙﾀﾞを指定して下さい\n"},
      {{"--pages=out"}, 2, "出力先ﾌｧｲﾙ名を指定して下さい\n"},
      {{"--single=a.html", "--title=", "--body="}, 2, "HTMLのﾀｲﾄﾙを指定して下さい\n"},
      {{"--single=a.html", "--body="}, 2, "HTMLのBODYﾀｸﾞを指定して下さい\n"},
      {{"--title=", "--body=", sample}, 0, ""},  // show-only needs neither
      // The book and the flowing page write no BODY tag, so they need none.
      {{"--epub=b.epub", "--body=", sample}, 0, ""},
      {{"--style=flow", "--single=a.html", "--body=", sample}, 0, ""},
      {{"--epub=b.epub", "--title=", sample}, 2, "HTMLのﾀｲﾄﾙを指定して下さい\n"},
      // The book and its preview in one folder are one run's files, put in place together.
      {{"--epub=b.epub", "--preview=p.html", sample}, 0, ""},
      // Two outputs that name one new file, however written, would overwrite each other.
      {{"--single=a.html", "--preview=./a.html", sample},
       1,
       "変換中に予期しないｴﾗｰが発生し、中断されました.\nzelvato-convert: a.html: it is named for two outputs "
       "of the run"},
      {{"--epub=b.epub", "--preview=b.epub", sample},
       1,
       "変換中に予期しないｴﾗｰが発生し、中断されました.\nzelvato-convert: b.epub: it is named for two outputs "
       "of the run"},
      {{"--epub=b.epub", "--preview=./b.epub", sample},
       1,
       "変換中に予期しないｴﾗｰが発生し、中断されました.\nzelvato-convert: b.epub: it is named for two outputs "
       "of the run"},
      // A PDF asked for without a file name is refused, not written to standard output as HTML.
      {{"--pdf=", sample}, 2, "出力先ﾌｧｲﾙ名を指定して下さい\n"},
      {{}, 2, "zelvato-convert: the source text is empty"},
      {{"--chars-per-line=2.9", sample}, 2, "zelvato-convert: at least 3 characters per line"},
      {{"--lines= 2", sample}, 2, "zelvato-convert: at least 3 characters per line"},
      {{"--chars-per-line=3.4", sample}, 0, ""},
      {{"no-such-file.txt"}, 2, "ﾌｧｲﾙが見つかりません.\n"},
      {{"--frobnicate"}, 2, "zelvato-convert: unknown option '--frobnicate'"},
      {{"--title"}, 2, "zelvato-convert: option '--title' needs a value"},
      {{"--single=a", "--pages=b"},
       2,
       "zelvato-convert: only one of --single, --pages, --epub, --pdf, --text, --book and --out-dir can be "
       "given"},
      {{"--encoding=latin1", sample},
       2,
       "zelvato-convert: --encoding must be shift_jis or utf-8, not 'latin1'"},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    const Result r = runConvert(folder, c.args);
    std::string label;
    for (const auto& a : c.args) label += a + " ";
    EXPECT_EQ(r.exitCode, c.exitCode) << label << r.err;
    EXPECT_EQ(r.err.substr(0, c.err.size()), c.err) << label;
    if (c.exitCode != 0) {
      EXPECT_EQ(r.out, "") << label;
    } else {
      EXPECT_EQ(r.err, "") << label;  // no progress line when standard error is a file
    }
  }
}

TEST(ConvertCli, singleFileAndFolderWithoutSeparatorAreAccepted) {
  TempFolder folder;
  std::filesystem::create_directory(folder.file("pages"));
  const Result single = runConvert(folder, {"--single", "out.html", "--grid", "--rule", sampleUtf8});
  ASSERT_EQ(single.exitCode, 0) << single.err;
  const std::string html = bytesOf(folder.file("out.html"));
  EXPECT_EQ(html.substr(0, 12), "<HTML><HEAD>");
  EXPECT_EQ(html.substr(html.size() - 16), "</BODY></HTML>\r\n");
  EXPECT_NE(html.find("<HR SIZE=1 NOSHADE VSPACE=3>"), html.npos);

  const Result utf8 =
      runConvert(folder, {"--single", "utf8.html", "--encoding=utf-8", "--accessible-text", sampleCp932});
  ASSERT_EQ(utf8.exitCode, 0) << utf8.err;
  const std::string page = bytesOf(folder.file("utf8.html"));
  EXPECT_EQ(page.substr(0, page.find("<TITLE>")),
            R"(<HTML lang="ja"><HEAD><META http-equiv="Content-Type" content="text/html; charset=UTF-8">)");
  EXPECT_NE(page.find(R"(<PRE aria-hidden="true">)"), page.npos);
  EXPECT_NE(page.find(utf16ToUtf8(u"雪の朝<BR><BR>")), page.npos);  // the title line, then an empty line

  const Result withSlash =
      runConvert(folder, {"--pages", folder.file("pages") + "/", "--base-name", "a", sampleUtf8});
  const Result without =
      runConvert(folder, {"--pages", folder.file("pages"), "--base-name", "b", sampleUtf8});
  ASSERT_EQ(withSlash.exitCode, 0) << withSlash.err;
  ASSERT_EQ(without.exitCode, 0) << without.err;
  EXPECT_EQ(bytesOf(folder.file("pages/a001.html")), bytesOf(folder.file("pages/b001.html")));

  const Result version = runConvert(folder, {"--version"});
  EXPECT_EQ(version.out, "zelvato-convert KORVENT Zelvato Ver1.2.0\n");
  const Result help = runConvert(folder, {"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("--columns-per-page"), help.out.npos);
}

// Each case is a careless or hostile command line; the user's files stay as
// they were and the message says what went wrong.
TEST(ConvertCli, refusesWhatWouldLoseOrLeakAFileAndSaysWhy) {
  struct Case {
    const char* accident;
    std::function<void(const TempFolder&)> plant;
    std::vector<std::string> args;
    int exitCode;
    std::string err;  // a part of standard error
    std::function<void(const TempFolder&)> check;
  };
  const auto put = [](const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  };
  const auto source = [&](const TempFolder& f) { put(f.file("in.txt"), bytesOf(sampleUtf8)); };
  const auto sourceKept = [](const TempFolder& f) {
    EXPECT_EQ(bytesOf(f.file("in.txt")), bytesOf(sampleUtf8));
  };
  const Case cases[] = {
      {"--single names the source file",
       source,
       {"--single=in.txt", "in.txt"},
       2,
       "変換元ﾌｧｲﾙと同じﾌｧｲﾙには出力できません.\nzelvato-convert: in.txt: it is the source file",
       sourceKept},
      {"--preview names the source through a link",
       [&](const TempFolder& f) {
         source(f);
         std::filesystem::create_symlink("in.txt", f.file("link.txt"));
       },
       {"--preview=link.txt", "in.txt"},
       2,
       "変換元ﾌｧｲﾙと同じﾌｧｲﾙには出力できません.",
       sourceKept},
      {"a page file name is the source",
       [&](const TempFolder& f) { put(f.file("in001.html"), "the source text\r\n"); },
       {"--pages=.", "--base-name=in", "in001.html"},
       1,
       "in001.html: it is the source file",
       [](const TempFolder& f) { EXPECT_EQ(bytesOf(f.file("in001.html")), "the source text\r\n"); }},
      {"base name climbs out of the page folder",
       source,
       {"--pages=.", "--base-name=../../x", "in.txt"},
       2,
       "ﾌｧｲﾙ名に / や \\ は使えません",
       [](const TempFolder& f) { EXPECT_FALSE(std::filesystem::exists(f.file("../../x001.html"))); }},
      {"a grid too large",
       source,
       {"--chars-per-line=5000", "--lines=5000", "in.txt"},
       2,
       "1ｺﾗﾑの升目が多すぎます.",
       nullptr},
      {"a folder as input", nullptr, {"."}, 2, "ﾃｷｽﾄﾌｧｲﾙではありません.", nullptr},
      {"a device as input", nullptr, {"/dev/zero"}, 2, "ﾃｷｽﾄﾌｧｲﾙではありません.", nullptr},
      {"output name that is not UTF-8",
       source,
       {"--single=\xff\xfe.html", "in.txt"},
       0,
       "",
       [](const TempFolder& f) { EXPECT_TRUE(std::filesystem::exists(f.file("\xff\xfe.html"))); }},
      {"--verbose names the encoding",
       source,
       {"--verbose", "in.txt"},
       0,
       "zelvato-convert: in.txt: read as UTF-8 (BOM)\n",
       nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.accident);
    TempFolder folder;
    if (c.plant) c.plant(folder);
    const Result r = runConvert(folder, c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    if (c.check) c.check(folder);
  }
}

TEST(ConvertCli, aRunCutShortLeavesTheEarlierFilesAsTheyWereAndNamesTheFileAndReason) {
  // The shell's file-size limit (setrlimit RLIMIT_FSIZE) stands for a full disk.
  TempFolder folder;
  std::string longText;
  while (longText.size() < 200000) longText += bytesOf(sampleUtf8);
  std::ofstream(folder.file("long.txt"), std::ios::binary) << longText;
  std::ofstream(folder.file("out.html"), std::ios::binary) << "earlier good file";
  const std::string command = "cd " + quoted(folder.path()) + " && ulimit -f 100 && " +
                              quoted(ZELVATO_CONVERT_PATH) + " --single=out.html long.txt 2> stderr";
  const int status = std::system(command.c_str());
  EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1);
  const std::string err = bytesOf(folder.file("stderr"));
  EXPECT_NE(err.find("中断されました.\nzelvato-convert: out.html: File too large"), err.npos) << err;
  EXPECT_EQ(bytesOf(folder.file("out.html")), "earlier good file");
  for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
    EXPECT_NE(entry.path().filename().string().rfind(".zelvato-", 0), 0u) << entry.path();
}

TEST(ConvertCli, aPreviewFileThatCannotBeWrittenIsNeverDeleted) {
  TempFolder folder;
  std::filesystem::permissions(folder.path(), std::filesystem::perms::all);
  std::ofstream(folder.file("preview.html"), std::ios::binary) << "read-only";
  std::ofstream(folder.file("in.txt"), std::ios::binary) << bytesOf(sampleUtf8);
  ::chmod(folder.file("preview.html").c_str(), 0444);
  bool ran = false;
  const int code = runUnprivileged(
      [&] {
        const std::string command = "cd " + quoted(folder.path()) + " && " + quoted(ZELVATO_CONVERT_PATH) +
                                    " --preview=preview.html in.txt > /dev/null 2> stderr";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      },
      ran);
  if (!ran) GTEST_SKIP() << "running as root without a user 'nobody' to drop to: permissions cannot be tried";
  EXPECT_EQ(code, 1);
  EXPECT_EQ(bytesOf(folder.file("preview.html")), "read-only");
  EXPECT_NE(bytesOf(folder.file("stderr")).find("preview.html: Permission denied"), std::string::npos);
}

TEST(ConvertCli, typesettingOptionsReadAnAozoraTextAndReportWhatWasDropped) {
  TempFolder folder;
  {
    std::ofstream(folder.file("in.txt"), std::ios::binary)
        << "羅生門\n芥川龍之介\n\n下人《げにん》は12時［＃「下人」は太字］に待つた。［＃謎の注記］\n";
  }
  const Result r = runConvert(folder, {"--kinsoku", "--tate-chu-yoko", "--aozora", "--verbose",
                                       "--chars-per-line=5", "--single=out.html", "in.txt"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("1 annotations not read, each kept in its place as the editor's note"), r.err.npos);
  const std::u16string html = decodeCp932(bytesOf(folder.file("out.html")));
  EXPECT_NE(html.find(u"<TITLE>羅生門</TITLE>"), html.npos);
  EXPECT_EQ(html.find(u"［＃"), html.npos);
  EXPECT_NE(html.find(u" 一 "), html.npos);  // with kanji numerals, two digits too
  EXPECT_NE(html.find(u"∧"), html.npos);     // the ruby's opening parenthesis

  EXPECT_NE(r.err.find("annotations not read:\n  ［＃謎の注記］\t1\tline 4\n"), r.err.npos);  // count, line

  // The editor's notes: dropped at start, shown in parentheses when asked.
  { std::ofstream(folder.file("note.txt"), std::ios::binary) << "儘［＃「儘」はママ］\n"; }
  ASSERT_EQ(runConvert(folder, {"--aozora", "--single=drop.html", "note.txt"}).exitCode, 0);
  ASSERT_EQ(
      runConvert(folder, {"--aozora", "--editor-notes=show", "--single=show.html", "note.txt"}).exitCode, 0);
  EXPECT_EQ(decodeCp932(bytesOf(folder.file("drop.html"))).find(u"マ"), std::u16string::npos);
  EXPECT_NE(decodeCp932(bytesOf(folder.file("show.html"))).find(u" マ "), std::u16string::npos);
  const Result badNotes = runConvert(folder, {"--aozora", "--editor-notes=maybe", "note.txt"});
  EXPECT_EQ(badNotes.exitCode, 2);
  EXPECT_NE(badNotes.err.find("--editor-notes must be drop or show"), badNotes.err.npos);

  const Result beside = runConvert(folder, {"--aozora", "--ruby=beside", "in.txt"});
  EXPECT_EQ(beside.exitCode, 2);
  EXPECT_NE(beside.err.find("--ruby=beside is not available"), beside.err.npos);
}

// Bad input in the fields written into the page, numbers that overflow and a
// grid too large with its hanging row are settings errors (exit 2, naming the
// option), never a page; the numbers the fields take today keep their output.
TEST(ConvertCli, fieldsThatAreNoNumberOrOverflowAreRefusedNamingTheOption) {
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string err;    // all of standard error
    std::string style;  // with exit 0: the start of the block's STYLE attribute
  };
  const Case cases[] = {
      {{"--char-spacing=abc"},
       2,
       "字間隔には数値を入力して下さい.\nzelvato-convert: the value of --char-spacing is not a number\n",
       ""},
      {{"--line-spacing=1pt"},
       2,
       "行間隔には数値を入力して下さい.\nzelvato-convert: the value of --line-spacing is not a number\n",
       ""},
      {{"--font-size=9pt; background:url(x)"},
       2,
       "ﾌｫﾝﾄｻｲｽﾞには数値を入力して下さい.\nzelvato-convert: the value of --font-size is not a number\n",
       ""},
      {{"--font-size=1e"},
       2,
       "ﾌｫﾝﾄｻｲｽﾞには数値を入力して下さい.\nzelvato-convert: the value of --font-size is not a number\n",
       ""},
      {{"--char-spacing=1e400"},
       2,
       "字間隔の値が大きすぎます.\nzelvato-convert: the value of --char-spacing is too large\n",
       ""},
      // Beyond what a page can show: written into the page, it would make the page unreadable.
      {{"--font-size=1e308"},
       2,
       "ﾌｫﾝﾄｻｲｽﾞの値が大きすぎます.\nzelvato-convert: the value of --font-size is too large\n",
       ""},
      {{"--line-spacing=-1001"},
       2,
       "行間隔の値が大きすぎます.\nzelvato-convert: the value of --line-spacing is too large\n",
       ""},
      {{"--column-gap=20000"},
       2,
       "コラム間隔の値が大きすぎます.\nzelvato-convert: the value of --column-gap is too large\n",
       ""},
      {{"--font-size=1000", "--char-spacing=-1000"},
       0,
       "",
       "font-size:1000pt; line-height:-1000pt; letter-spacing:0pt"},
      {{"--column-gap=1e400", "--rule"},
       2,
       "コラム間隔の値が大きすぎます.\nzelvato-convert: the value of --column-gap is too large\n",
       ""},
      {{"--tab-width=-1e400"},
       2,
       "タブカラムの値が大きすぎます.\nzelvato-convert: the value of --tab-width is too large\n",
       ""},
      {{"--columns-per-page=1E999"},
       2,
       "１ﾍﾟｰｼﾞ当りｺﾗﾑ数の値が大きすぎます.\nzelvato-convert: the value of --columns-per-page is too "
       "large\n",
       ""},
      {{"--chars-per-line=1e400"},
       2,
       "1ｺﾗﾑの升目が多すぎます. 1行の文字数か行数を減らして下さい.\n"
       "zelvato-convert: the grid of characters per line by lines is too large\n",
       ""},
      // 1023 x 1023 is the largest grid; the hanging row makes it one row too many.
      {{"--chars-per-line=1023", "--lines=1023", "--kinsoku"},
       2,
       "1ｺﾗﾑの升目が多すぎます. 1行の文字数か行数を減らして下さい.\n"
       "zelvato-convert: the grid of characters per line by lines is too large\n",
       ""},
      {{"--char-spacing= 4 ", "--line-spacing=&H0C", "--font-size=10.5"},
       0,
       "",
       "font-size:10.5pt; line-height: 4 pt; letter-spacing:&amp;H0Cpt"},
      {{"--font-size="}, 0, "", "font-size:0pt; line-height:9pt; letter-spacing:0pt"},
  };
  TempFolder folder;
  std::ofstream(folder.file("in.txt"), std::ios::binary) << "雪\n";
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    args.push_back("in.txt");
    SCOPED_TRACE(args.front());
    const Result r = runConvert(folder, args);
    EXPECT_EQ(r.exitCode, c.exitCode);
    EXPECT_EQ(r.err, c.err);
    if (c.exitCode != 0) {
      EXPECT_EQ(r.out, "");
    } else {
      EXPECT_NE(r.out.find("STYLE=\"" + c.style + "\""), std::string::npos) << r.out;
    }
  }
}

// Three files into one folder in one run, one of them missing: the other two
// are written, each byte for byte what its single run writes, and the missing
// one is named with its reason; the exit status says a file failed.
TEST(ConvertCli, manyFilesInOneRunGiveTheSingleRunsBytesAndNameTheFileThatFailed) {
  TempFolder folder;
  std::filesystem::create_directory(folder.file("out"));
  std::filesystem::create_directory(folder.file("single"));
  std::filesystem::create_directory(folder.file("notes"));
  std::ofstream(folder.file("snow.txt"), std::ios::binary) << bytesOf(sampleCp932);
  std::ofstream(folder.file("notes/rashomon.text"), std::ios::binary)
      << "羅生門\n芥川龍之介\n\n下人《げにん》は12時［＃「下人」に傍点］に待つた。\n";
  const std::vector<std::string> options = {"--kinsoku", "--aozora", "--tate-chu-yoko", "--chars-per-line=7",
                                            "--rule"};
  std::vector<std::string> batch = options;
  for (const char* a : {"--out-dir=out", "snow.txt", "missing.txt", "notes/rashomon.text"})
    batch.push_back(a);
  const Result r = runConvert(folder, batch);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err,
            "zelvato-convert: missing.txt: No such file or directory\n"
            "zelvato-convert: 1 of 3 files were not converted\n");
  EXPECT_EQ(r.out, "");

  for (const std::string name : {"snow", "rashomon"}) {
    SCOPED_TRACE(name);
    std::vector<std::string> single = options;
    single.push_back("--single=single/" + name + ".html");
    single.push_back(name == "snow" ? "snow.txt" : "notes/rashomon.text");
    ASSERT_EQ(runConvert(folder, single).exitCode, 0);
    const std::string written = bytesOf(folder.file("out/" + name + ".html"));
    EXPECT_GT(written.size(), 1000u);
    EXPECT_EQ(written, bytesOf(folder.file("single/" + name + ".html")));
  }
  EXPECT_FALSE(std::filesystem::exists(folder.file("out/missing.html")));
  std::size_t inOut = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder.file("out"))) {
    EXPECT_NE(entry.path().filename().string().rfind(".zelvato-", 0), 0u) << entry.path();
    ++inOut;
  }
  EXPECT_EQ(inOut, 2u);
}

// Five one-character blocks, one page each, into out/ with the base name d.
const std::vector<std::string> fivePages = {"--pages=out",        "--base-name=d", "--columns-per-page=1",
                                            "--chars-per-line=3", "--lines=3",     "in.txt"};

std::map<std::string, std::string> filesIn(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.path().filename() != ".zelvato.lock") files[entry.path().filename()] = bytesOf(entry.path());
  return files;
}

// A signal while the pages are put in place (strace delivers it right after the
// n-th rename): the converter stops before the next rename, puts back the pages
// renamed and exits 128 + the signal; a kill leaves the journal, from which the
// next run puts them back. Every earlier page is as it was.
TEST(ConvertCli, aSignalDuringTheRenamesLeavesEveryEarlierPage) {
  if (std::system("strace -o /dev/null true > /dev/null 2>&1") != 0) GTEST_SKIP() << "strace cannot run here";
  struct Case {
    const char* signal;
    int rename;  // the first renames the journal into place
    int exitCode;
    std::string err;
  };
  // (A leak check, in a sanitizer build, cannot run under a tracer.)
  const Case cases[] = {
      {"SIGTERM", 3, 143, "zelvato-convert: stopped by SIGTERM; every earlier file is as it was\n"},
      {"SIGINT", 2, 130, "zelvato-convert: stopped by SIGINT; every earlier file is as it was\n"},
      {"SIGHUP", 5, 129, "zelvato-convert: stopped by SIGHUP; every earlier file is as it was\n"},
      {"SIGKILL", 4, -1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.signal);
    TempFolder folder;
    std::filesystem::create_directory(folder.file("out"));
    std::ofstream(folder.file("in.txt"), std::ios::binary) << "あ\n\n\nい\n\n\nう\n\n\nえ\n\n\nお\n";
    ASSERT_EQ(runConvert(folder, fivePages).exitCode, 0);
    const auto earlier = filesIn(folder.file("out"));
    std::string command =
        "cd " + quoted(folder.path()) +
        " && ASAN_OPTIONS=detect_leaks=0 exec strace -o /dev/null -e trace=rename,renameat,renameat2 -e "
        "inject=rename,renameat,renameat2:signal=" +
        c.signal + ":when=" + std::to_string(c.rename) + " " + quoted(ZELVATO_CONVERT_PATH) +
        " --title=later";
    for (const auto& arg : fivePages) command += " " + arg;
    const int status = std::system((command + " 2> stderr").c_str());
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, c.exitCode);
    const std::string err = bytesOf(folder.file("stderr"));
    EXPECT_EQ(err.substr(err.find('\n') + 1), c.err);
    if (c.exitCode < 0) {
      EXPECT_NE(filesIn(folder.file("out")), earlier);  // the journal and some new pages
      ASSERT_EQ(runConvert(folder, {"--single=out/other.html", "in.txt"}).exitCode, 0);
      std::filesystem::remove(folder.file("out/other.html"));
    }
    EXPECT_EQ(filesIn(folder.file("out")), earlier);
  }
}

// Refusals before anything is replaced, and what a run says it did.
TEST(ConvertCli, refusesAFolderInUseAndAnOutputFarLargerThanTheSourceAndReportsRemovedPages) {
  struct Case {
    const char* accident;
    std::function<void(const TempFolder&)> plant;
    std::vector<std::string> args;
    int exitCode;
    std::string err;  // a part of standard error
  };
  const auto tabs = [](const TempFolder& f) {
    std::ofstream(f.file("tabs.txt"), std::ios::binary) << std::string(100000, '\t');
  };
  const auto sixPages = [](const TempFolder& f) {
    std::ofstream(f.file("six.txt"), std::ios::binary) << "あ\n\n\nい\n\n\nう\n\n\nえ\n\n\nお\n\n\nか\n";
    std::ofstream(f.file("two.txt"), std::ios::binary) << "き\n\n\nく\n";
    std::filesystem::create_directory(f.file("out"));
    std::system(("cd " + quoted(f.path()) + " && " + quoted(ZELVATO_CONVERT_PATH) +
                 " --pages=out --base-name=d --columns-per-page=1 --chars-per-line=3 --lines=3 six.txt")
                    .c_str());
  };
  const Case cases[] = {
      {"100 KB of tabs 1000 spaces wide",
       tabs,
       {"--tab-width=1000", "--single=out.html", "tabs.txt"},
       2,
       "zelvato-convert: the output would be about "},
      {"200 KB of one-letter lines in a grid of 1023 by 1023",
       [](const TempFolder& f) {
         std::ofstream out(f.file("lf.txt"), std::ios::binary);
         for (int i = 0; i < 100000; ++i) out << "a\n";
       },
       {"--chars-per-line=1023", "--lines=1023", "lf.txt"},
       2,
       "use --force to write it anyway"},
      {"--force writes it (here up to the file-size limit)",
       tabs,
       {"--force", "--tab-width=1000", "--single=out.html", "tabs.txt"},
       1,
       "out.html: File too large"},
      {"a shorter run after a longer one",
       sixPages,
       {"--pages=out", "--base-name=d", "--columns-per-page=1", "--chars-per-line=3", "--lines=3", "two.txt"},
       0,
       "zelvato-convert: removed 4 page files of an earlier, longer run: out/d003.html to out/d006.html\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.accident);
    TempFolder folder;
    c.plant(folder);
    std::string command =
        "cd " + quoted(folder.path()) + " && ulimit -f 1000 && " + quoted(ZELVATO_CONVERT_PATH);
    for (const auto& arg : c.args) command += " " + quoted(arg);
    const int status = std::system((command + " > /dev/null 2> stderr").c_str());
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, c.exitCode);
    const std::string err = bytesOf(folder.file("stderr"));
    EXPECT_NE(err.find(c.err), std::string::npos) << err;
    if (c.exitCode == 2) {
      EXPECT_FALSE(std::filesystem::exists(folder.file("out.html")));
    }
  }

  // Another run holds the folder: the converter waits a few seconds, then
  // names the folder and leaves the earlier file.
  TempFolder folder;
  std::ofstream(folder.file("in.txt"), std::ios::binary) << "あ";
  std::ofstream(folder.file("out.html"), std::ios::binary) << "earlier";
  StagedFiles other;
  ASSERT_TRUE(other.begin(folder.file("other.html")));
  const Result r = runConvert(folder, {"--single=out.html", "in.txt"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(
      r.err.find("zelvato-convert: " + folder.path() + ": another conversion is writing into this folder"),
      std::string::npos)
      << r.err;
  EXPECT_EQ(bytesOf(folder.file("out.html")), "earlier");
}

}  // namespace
}  // namespace zelvato

namespace zelvato {
namespace {

// The converter under strace, which delivers `signal` right after the `when`-th
// of the traced calls (`calls`, on `path` alone when one is given); standard
// error to the folder's "stderr". The exit status, -1 when killed.
int convertTraced(const TempFolder& folder, const std::string& calls, const char* signal, int when,
                  const std::vector<std::string>& args, const std::string& path = {}) {
  std::string command = "cd " + quoted(folder.path()) +
                        " && ASAN_OPTIONS=detect_leaks=0 exec strace -f -o /dev/null " +
                        (path.empty() ? std::string() : "-P " + quoted(path) + " ") + "-e trace=" + calls +
                        " -e inject=" + calls + ":signal=" + signal + ":when=" + std::to_string(when) + " " +
                        quoted(ZELVATO_CONVERT_PATH);
  for (const auto& arg : args) command += " " + quoted(arg);
  const int status = std::system((command + " > /dev/null 2> stderr").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool straceRuns() {
  return std::system("strace -o /dev/null true > /dev/null 2>&1") == 0;
}

// A stop of any medium's run, wherever it comes: before the last rename every
// earlier file is as it was and the exit status is 128 + the signal; after it,
// every file is new and the run says the stop came too late, exiting 0. The
// one commit of the run asks for the stop before each of its renames.
TEST(ConvertCliStop, aStopOfAnyMediumLeavesEveryEarlierFileOrComesAfterAllAreNew) {
  if (!straceRuns()) GTEST_SKIP() << "strace cannot run here";
  struct Case {
    const char* run;
    std::vector<std::string> args;
    std::vector<std::string> outputs;  // each holds "old" before the run
    const char* signal;
    const char* call;  // the earlier files are linked first, then a journal and the new files renamed
    int when;          // counted for this call alone
    int exitCode;
  };
  const std::vector<std::string> epubAndPreview = {"--epub=book.epub", "--preview=preview.html", "in.txt"};
  const Case cases[] = {
      {"EPUB, before its rename", {"--epub=book.epub", "in.txt"}, {"book.epub"}, "SIGTERM", "link", 1, 143},
      {"EPUB, after its rename", {"--epub=book.epub", "in.txt"}, {"book.epub"}, "SIGTERM", "rename", 1, 0},
      {"EPUB and preview, between the renames",
       epubAndPreview,
       {"book.epub", "preview.html"},
       "SIGINT",
       "rename",
       2,
       130},
      {"EPUB and preview, after the last rename",
       epubAndPreview,
       {"book.epub", "preview.html"},
       "SIGTERM",
       "rename",
       3,
       0},
      {"PDF, before its rename", {"--pdf=book.pdf", "in.txt"}, {"book.pdf"}, "SIGHUP", "link", 1, 129},
      {"flowing page and preview, between the renames",
       {"--style=flow", "--single=page.html", "--preview=preview.html", "in.txt"},
       {"page.html", "preview.html"},
       "SIGTERM",
       "rename",
       2,
       143},
      {"text, before its rename", {"--text=plain.txt", "in.txt"}, {"plain.txt"}, "SIGTERM", "link", 1, 143},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.run);
    TempFolder folder;
    std::ofstream(folder.file("in.txt"), std::ios::binary) << "雪の朝\n\n［＃改頁］\n二の字《にのじ》の跡\n";
    for (const std::string& output : c.outputs) std::ofstream(folder.file(output)) << "old";
    const int exitCode = convertTraced(folder, c.call, c.signal, c.when, c.args);
    EXPECT_EQ(exitCode, c.exitCode);
    const std::string err = bytesOf(folder.file("stderr"));
    for (const std::string& output : c.outputs) {
      SCOPED_TRACE(output);
      if (c.exitCode == 0) {
        EXPECT_TRUE(bytesOf(folder.file(output)) != "old");
        EXPECT_NE(err.find(std::string(c.signal) + " came after every new file was in place"),
                  std::string::npos)
            << err;
      } else {
        EXPECT_TRUE(bytesOf(folder.file(output)) == "old");
        EXPECT_NE(err.find(std::string("zelvato-convert: stopped by ") + c.signal +
                           "; every earlier file is as it was\n"),
                  std::string::npos)
            << err;
      }
    }
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
      EXPECT_NE(entry.path().filename().string().rfind(".zelvato-", 0), 0u) << entry.path();
  }
}

// Inputs of one name in different folders do not stop the batch: each later
// one gets the next free NAME-N.html, and standard error names the mapping.
TEST(ConvertCliBatch, inputsOfOneNameAreNumberedAndTheMappingIsSaid) {
  TempFolder folder;
  for (const char* sub : {"out", "a", "b", "c"}) std::filesystem::create_directory(folder.file(sub));
  const std::pair<const char*, const char*> inputs[] = {
      {"a/x.txt", "一"}, {"b/x.txt", "二"}, {"c/x.text", "三"}, {"a/x-2.txt", "四"}};
  std::vector<std::string> args = {"--out-dir=out"};
  for (const auto& [path, text] : inputs) {
    std::ofstream(folder.file(path)) << text;
    args.push_back(path);
  }
  const Result r = runConvert(folder, args);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err,
            "zelvato-convert: b/x.txt is written to out/x-2.html (a/x.txt has out/x.html)\n"
            "zelvato-convert: c/x.text is written to out/x-3.html (a/x.txt has out/x.html)\n"
            "zelvato-convert: a/x-2.txt is written to out/x-2-2.html (b/x.txt has out/x-2.html)\n");
  const std::pair<const char*, const char*> outputs[] = {
      {"x.html", "一"}, {"x-2.html", "二"}, {"x-3.html", "三"}, {"x-2-2.html", "四"}};
  for (const auto& [name, text] : outputs)
    EXPECT_NE(bytesOf(folder.file(std::string("out/") + name)).find(encodeCp932(utf8ToUtf16(text))),
              std::string::npos)
        << name;
  EXPECT_EQ(filesIn(folder.file("out")).size(), 4u);
}

// --out-dir with each medium given without its file: one output of that
// medium per input, named after it, the bytes its single run writes (an EPUB
// and a PDF tell the time they were made, so only their kind is compared);
// --verbose reports each file's notation.
TEST(ConvertCliBatch, everyMediumWritesOneOutputPerInputAndVerboseReportsEachFile) {
  struct Case {
    const char* flag;
    const char* extension;
    const char* begins;  // the bytes an EPUB or PDF begins with; nullptr: the single run's bytes
  };
  const Case cases[] = {
      {"", ".html", nullptr},      {"--style=flow", ".html", nullptr},
      {"--text", ".txt", nullptr}, {"--epub", ".epub", "PK\x03\x04"},
      {"--pdf", ".pdf", "%PDF-"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flag);
    TempFolder folder;
    std::filesystem::create_directory(folder.file("out"));
    std::filesystem::create_directory(folder.file("single"));
    std::ofstream(folder.file("a.txt")) << "下人《げにん》が待つ朝［＃「朝」に傍点］。\n";
    std::ofstream(folder.file("b.txt")) << "雪［＃読めない注記］の朝\n";
    std::vector<std::string> args = {"--aozora", "--verbose", "--out-dir=out", "a.txt", "b.txt"};
    if (*c.flag != '\0') args.insert(args.begin(), c.flag);
    const Result r = runConvert(folder, args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("zelvato-convert: a.txt: 0 annotations dropped\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("zelvato-convert: b.txt: 1 annotations dropped\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("［＃読めない注記］"), std::string::npos) << r.err;
    EXPECT_EQ(filesIn(folder.file("out")).size(), 2u);
    for (const std::string name : {"a", "b"}) {
      const std::string written = bytesOf(folder.file("out/" + name + c.extension));
      if (c.begins != nullptr) {
        EXPECT_TRUE(written.starts_with(c.begins)) << name;
        continue;
      }
      std::string flag = std::string(c.flag) == "--text" ? "--text" : "--single";
      std::vector<std::string> single = {"--aozora", flag + "=single/" + name + c.extension, name + ".txt"};
      if (std::string(c.flag) == "--style=flow") single.insert(single.begin(), c.flag);
      ASSERT_EQ(runConvert(folder, single).exitCode, 0);
      EXPECT_TRUE(written == bytesOf(folder.file("single/" + name + c.extension))) << name;
    }
  }
}

// A batch stopped or killed anywhere: a signal while converting or putting a
// group in place exits 128 + the signal and leaves that group's earlier files;
// groups put in place before stay new and are counted; a kill during a
// group's renames is undone by the next run into the folder.
TEST(ConvertCliStop, aBatchStoppedOrKilledLeavesEachGroupOldOrNewAndSaysWhich) {
  if (!straceRuns()) GTEST_SKIP() << "strace cannot run here";
  struct Case {
    const char* accident;
    int inputs;
    std::string calls;
    std::string path;  // the calls on this path alone
    const char* signal;
    int when;
    int exitCode;
    int newOutputs;
    std::string err;  // the last line
  };
  const Case cases[] = {
      {"SIGTERM while the third input is read", 5, "openat", "t3.txt", "SIGTERM", 1, 143, 0,
       "zelvato-convert: stopped by SIGTERM; every earlier file is as it was\n"},
      // The first rename puts the group's journal in place.
      {"SIGTERM between the renames", 5, "rename", "", "SIGTERM", 3, 143, 0,
       "zelvato-convert: stopped by SIGTERM; every earlier file is as it was\n"},
      {"SIGINT in the second group", 70, "rename", "", "SIGINT", 67, 130, 64,
       "zelvato-convert: stopped by SIGINT; the outputs of 64 files are new, every other earlier file is as "
       "it was\n"},
      {"SIGKILL between the renames", 5, "rename", "", "SIGKILL", 3, -1, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.accident);
    TempFolder folder;
    std::filesystem::create_directory(folder.file("out"));
    std::vector<std::string> args = {"--out-dir=out"};
    for (int i = 1; i <= c.inputs; ++i) {
      const std::string name = "t" + std::to_string(i);
      std::ofstream(folder.file(name + ".txt"), std::ios::binary) << "本文" << i << "\n";
      std::ofstream(folder.file("out/" + name + ".html")) << "old";
      args.push_back(name + ".txt");
    }
    EXPECT_EQ(convertTraced(folder, c.calls, c.signal, c.when, args, c.path), c.exitCode);
    const std::string err = bytesOf(folder.file("stderr"));
    EXPECT_EQ(err.substr(err.rfind('\n', err.size() - 2) + 1), c.err);
    if (c.exitCode < 0) {
      // The next run into the folder finishes what the kill left.
      std::ofstream(folder.file("x.txt")) << "x";
      ASSERT_EQ(runConvert(folder, {"--single=out/x.html", "x.txt"}).exitCode, 0);
      std::filesystem::remove(folder.file("out/x.html"));
    }
    int fresh = 0;
    for (const auto& [name, bytes] : filesIn(folder.file("out"))) {
      EXPECT_NE(name.rfind(".zelvato", 0), 0u) << name;
      if (bytes != "old") ++fresh;
    }
    EXPECT_EQ(fresh, c.newOutputs);
  }
}

}  // namespace
}  // namespace zelvato
