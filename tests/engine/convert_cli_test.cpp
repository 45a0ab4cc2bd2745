// zelvato-convert, run as a user runs it, against the engine it drives.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "codepage.h"
#include "number_text.h"
#include "page_writer.h"
#include "recording_host.h"
#include "temp_folder.h"
#include "unicode_text.h"

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
  const auto lines = readSourceLines(sampleCp932);
  EXPECT_TRUE(lines.has_value());
  std::u16string text;
  for (const auto& line : lines.value_or(std::vector<std::u16string>{})) text += line + u"\r\n";
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
  EXPECT_EQ(r.err, "変換中に予期しないｴﾗｰが発生し、中断されました.\n");
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
  s.outputMode = OutputMode::pageFiles;
  s.outputFolder = utf8ToUtf16(expected.folder());
  s.fileBaseName = u"snow";
  s.columnsPerPage = u"2";
  s.addPageLinks = s.addPageNumbers = true;
  s.htmlTitle = u"雪の朝";
  s.linesPerColumn = u"5";
  s.charsPerLine = u"12";
  s.centerText = false;
  RecordingHost host;
  ASSERT_TRUE(beginPreviewFile(expected.file("preview.html")));
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
      {{}, 2, "zelvato-convert: the source text is empty"},
      {{"--chars-per-line=2.9", sample}, 2, "zelvato-convert: at least 3 characters per line"},
      {{"--lines= 2", sample}, 2, "zelvato-convert: at least 3 characters per line"},
      {{"--chars-per-line=3.4", sample}, 0, ""},
      {{"no-such-file.txt"}, 2, "ﾌｧｲﾙが見つかりません.\n"},
      {{"--frobnicate"}, 2, "zelvato-convert: unknown option '--frobnicate'"},
      {{"--title"}, 2, "zelvato-convert: option '--title' needs a value"},
      {{"--single=a", "--pages=b"}, 2, "zelvato-convert: --single and --pages cannot be used together"},
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
  EXPECT_EQ(html.substr(0, 19), "<HTML><HEAD><TITLE>");
  EXPECT_EQ(html.substr(html.size() - 16), "</BODY></HTML>\r\n");
  EXPECT_NE(html.find("<HR SIZE=1 NOSHADE VSPACE=3>"), html.npos);

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

}  // namespace
}  // namespace zelvato
