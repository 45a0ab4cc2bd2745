// zelvato-convert writing books and flowing pages: a web novel in every
// medium, page files named after their source, and the settings of the
// reading type and the cover refused with their reasons.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "convert_run.h"
#include "text/codepage.h"
#include "text/unicode_text.h"

namespace zelvato {
namespace {

// A web novel with the sites' notation and a heading, in UTF-8.
constexpr std::string_view webNovel =
    "第一話　|天《てん》|蓋《がい》の下で\r\n"
    "\r\n"
    "　空は《《傍点》》のように青く、漢字《かんじ》と｜ひらがな《ルビ》が並ぶ。\r\n";

// The text of every file the run wrote into `folder`, or its standard output,
// as UTF-8: the grid's files are code page 932, the book is unzipped.
std::string written(const TempFolder& folder, const Result& r) {
  std::string text = r.out;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.path())) {
    const std::string name = entry.path().filename().string();
    if (!entry.is_regular_file() || name == "stdout" || name == "stderr" || name == "novel.txt") continue;
    if (name.ends_with(".epub")) {
      const std::string command =
          "unzip -p " + quoted(entry.path().string()) + " > " + quoted(folder.file("unzipped"));
      EXPECT_EQ(std::system(command.c_str()), 0);
      text += bytesOf(folder.file("unzipped"));
      std::filesystem::remove(folder.file("unzipped"));
    } else {
      const std::string bytes = bytesOf(entry.path().string());
      text += bytes.find("Shift_JIS") != std::string::npos ? utf16ToUtf8(decodeCp932(bytes)) : bytes;
    }
  }
  return text;
}

TEST(ConvertBooks, aWebNovelConvertsInEveryMediumWithRubyAndEmphasisAndNothingRaw) {
  struct Case {
    const char* medium;
    std::vector<std::string> args;
    std::vector<std::string> holds;  // the ruby and the emphasis as the medium shows them
  };
  // The grid sets the ruby in parentheses (its reading text shows them) and
  // the emphasis dot beside its cell.
  const Case cases[] = {
      {"grid on standard output", {"--accessible-text"}, {"天（てん）蓋（がい）", "傍･"}},
      {"grid page files named after the source",
       {"--pages=pages", "--accessible-text"},
       {"漢字（かんじ）", "傍･"}},
      {"flowing page",
       {"--style=flow", "--single=novel.html"},
       {"<ruby>天<rp>（</rp><rt>てん</rt><rp>）</rp></ruby>", "<em class=\"em1\">傍点</em>",
        "<h3 id=\"h1\">"}},
      {"flowing page files", {"--style=flow", "--pages=pages"}, {"<rt>がい</rt>", "<em class=\"em1\">"}},
      {"book",
       {"--epub=novel.epub"},
       {"<ruby>蓋<rp>（</rp><rt>がい</rt>", "<em class=\"em1\">傍点</em>",
        "<text>第一話　天蓋の下で</text>"}},
      {"horizontal book",
       {"--epub=novel.epub", "--writing-mode=horizontal"},
       {"<rt>かんじ</rt>", "horizontal-lr"}},
      {"plain text", {"--text=out.txt"}, {"天（てん）蓋（がい）", "漢字（かんじ）"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.medium);
    TempFolder folder;
    std::filesystem::create_directory(folder.file("pages"));
    { std::ofstream(folder.file("novel.txt"), std::ios::binary) << webNovel; }
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--notation=web", "novel.txt"});
    const Result r = runConvert(folder, args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string text = written(folder, r);
    for (const std::string& held : c.holds) EXPECT_NE(text.find(held), std::string::npos) << held;
    for (const char* raw : {"《", "》", "|", "｜"}) EXPECT_EQ(text.find(raw), std::string::npos) << raw;
    if (c.args.front() == "--pages=pages") {
      EXPECT_TRUE(std::filesystem::exists(folder.file("pages/novel001.html")));
    }
  }
}

TEST(ConvertBooks, readingSettingsAndTheCoverAreRefusedWithTheirReasons) {
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string err;  // its start
  };
  const Case cases[] = {
      {{"--style=flow", "--single=a.html", "--reading-font-size=0"},
       2,
       "本文の文字の大きさ(%)は50から400の間で指定して下さい.\n"},
      {{"--epub=b.epub", "--reading-font-size=1e9"},
       2,
       "本文の文字の大きさ(%)は50から400の間で指定して下さい.\n"},
      {{"--epub=b.epub", "--reading-line-height="},
       2,
       "本文の行の高さには数値を入力して下さい.\nzelvato-convert: the value of --reading-line-height is not "
       "a "
       "number"},
      // The grid reads neither.
      {{"--single=a.html", "--reading-font-size=0", "--reading-line-height=x"}, 0, ""},
      {{"--notation=wiki"}, 2, "zelvato-convert: --notation must be plain or aozora or web, not 'wiki'"},
      {{"--epub=b.epub", "--cover=none.png"},
       1,
       "変換中に予期しないｴﾗｰが発生し、中断されました.\nzelvato-convert: none.png: the cover cannot be read"},
      {{"--epub=b.epub", "--cover=novel.txt"},
       1,
       "変換中に予期しないｴﾗｰが発生し、中断されました.\nzelvato-convert: novel.txt"},
      // Page files from standard input have no source name to take.
      {{"--pages=pages", "-"}, 2, "出力先ﾌｧｲﾙ名を指定して下さい\n"},
  };
  for (const Case& c : cases) {
    std::string label;
    for (const auto& a : c.args) label += a + " ";
    SCOPED_TRACE(label);
    TempFolder folder;
    std::filesystem::create_directory(folder.file("pages"));
    { std::ofstream(folder.file("novel.txt"), std::ios::binary) << webNovel; }
    std::vector<std::string> args = c.args;
    if (args.back() != "-") args.push_back("novel.txt");
    const Result r = runConvert(folder, args, folder.file("novel.txt"));
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    EXPECT_EQ(r.err.substr(0, c.err.size()), c.err);
    EXPECT_FALSE(std::filesystem::exists(folder.file("b.epub")) && c.exitCode != 0);
  }
}

}  // namespace
}  // namespace zelvato
