#include "io/illustration_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "recording_host.h"
#include "run/conversion.h"
#include "temp_folder.h"
#include "text/unicode_text.h"
#include "write/registry/writer_registry.h"

namespace zelvato {
namespace {

namespace fs = std::filesystem;

std::string bytesOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

const std::string png = bytesOf(std::string(ZELVATO_TEST_DATA_DIR) + "/illustration.png");

// A source folder with pictures, one in a subfolder, one beside the folder
// (reachable only by leaving it), a link that leads out and a file whose
// contents are no picture.
struct PictureFolders {
  TempFolder root;
  std::string source = root.file("text");
  PictureFolders() {
    fs::create_directories(source + "/img");
    writeBytes(source + "/fig1.png", png);
    writeBytes(source + "/img/fig2.PNG", png);
    writeBytes(root.file("outside.png"), png);
    fs::create_symlink(root.file("outside.png"), source + "/link.png");
    writeBytes(source + "/text.png", "not a picture");
    writeBytes(source + "/fig.gif", std::string("GIF89a\x01\x00\x01\x00\x00\x00\x00,....;", 19));
    writeBytes(source + "/signature.png", png.substr(0, 8));
    writeBytes(source + "/cut.png", png.substr(0, png.size() - 12));
    ::mkfifo((source + "/pipe.png").c_str(), 0600);
  }
};

TEST(IllustrationFiles, onlyPicturesInsideTheSourceFolderAreRead) {
  PictureFolders folders;
  struct Case {
    std::u16string target;
    const char* mediaType;  // nullptr: not read
  };
  const Case cases[] = {
      {u"fig1.png", "image/png"},
      {u"img/fig2.PNG", "image/png"},
      {u"fig.gif", "image/gif"},
      {u"missing.png", nullptr},
      {u"../outside.png", nullptr},
      {u"img/../../outside.png", nullptr},
      {u"./fig1.png", nullptr},
      {utf8ToUtf16(folders.root.file("outside.png")), nullptr},
      {u"link.png", nullptr},       // a link that leads out of the folder
      {u"text.png", nullptr},       // no picture inside
      {u"signature.png", nullptr},  // a PNG's first bytes and nothing more
      {u"cut.png", nullptr},        // a PNG without its end
      {u"pipe.png", nullptr},       // a pipe: neither waited for nor read
      {u"img", nullptr},            // a folder
      {u"img\\fig2.PNG", nullptr},  // a backslash is no folder step here
      {u"fig1", nullptr},           // no kind of picture
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(utf16ToUtf8(c.target));
    const auto picture = readIllustration(utf8ToUtf16(folders.source), c.target);
    ASSERT_EQ(picture.has_value(), c.mediaType != nullptr);
    if (!picture) continue;
    EXPECT_EQ(picture->mediaType, c.mediaType);
    EXPECT_EQ(picture->bytes.substr(0, 4),
              c.mediaType == std::string("image/png") ? png.substr(0, 4) : "GIF8");
  }
  // Without a source file there is no folder to look in.
  EXPECT_FALSE(readIllustration(u"", u"fig1.png"));
}

// The flowing page shows a picture that lies beside the source as an image
// with its caption; any other one by its caption. A page in another folder
// gets a copy of the picture in its own images/ folder and never a link that
// climbs out of its folder (which would show the user's folders and break
// when the page is published).
TEST(IllustrationFiles, theFlowingPageShowsThePictureOrItsCaption) {
  PictureFolders folders;
  struct Case {
    const char* what;
    std::u16string source;
    std::u16string element;
    const char* copy;  // the picture copied beside the page, if any
  };
  const Case cases[] = {
      {"a captioned figure", u"［＃「雪の山」のキャプション付きの図（fig1.png、横320×縦240）入る］",
       u"<figure class=\"figure\"><img src=\"images/image0001.png\" "
       u"alt=\"雪の山\"/><figcaption>雪の山</figcaption>"
       u"</figure>",
       "out/images/image0001.png"},
      {"a plain 挿絵 in a subfolder", u"［＃挿絵（img/fig2.PNG）入る］",
       u"<figure class=\"figure\"><img src=\"images/image0001.png\" alt=\"挿絵\"/></figure>",
       "out/images/image0001.png"},
      {"a picture within a line", u"山［＃山の絵（fig1.png）入る］川",
       u"山<img class=\"picture\" src=\"images/image0001.png\" alt=\"山の絵\"/><span "
       u"class=\"caption\">山の絵</span>川",
       "out/images/image0001.png"},
      {"a missing picture", u"［＃「雪」のキャプション付きの図（nothing.png）入る］",
       u"<span class=\"illustration\">（挿絵：雪）</span>", nullptr},
      {"a path out of the folder", u"［＃「外」のキャプション付きの図（../outside.png）入る］",
       u"<span class=\"illustration\">（挿絵：外）</span>", nullptr},
      {"a link out of the folder", u"［＃「外」のキャプション付きの図（link.png）入る］",
       u"<span class=\"illustration\">（挿絵：外）</span>", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ConversionSettings s;
    s.aozoraNotation = true;
    s.textStyle = TextStyle::flow;
    s.outputEncoding = OutputEncoding::utf8;
    s.outputMode = writerKeys::singleFile;
    fs::create_directories(folders.root.file("out"));
    s.singleFilePath = utf8ToUtf16(folders.root.file("out/page.html"));
    s.sourceFolder = utf8ToUtf16(folders.source);
    RecordingHost host;
    fs::remove_all(folders.root.file("out/images"));
    ASSERT_TRUE(convertText(c.source, s, "", host));
    const std::string page = bytesOf(folders.root.file("out/page.html"));
    EXPECT_NE(page.find(utf16ToUtf8(c.element)), std::string::npos) << page.substr(page.find("<body>"));
    EXPECT_EQ(page.find("../"), std::string::npos);
    EXPECT_EQ(fs::exists(folders.root.file("out/images")), c.copy != nullptr);
    if (c.copy != nullptr) EXPECT_TRUE(bytesOf(folders.root.file(c.copy)) == png);
  }

  // A page beside the source links the picture where it lies, and copies nothing.
  ConversionSettings s;
  s.aozoraNotation = true;
  s.textStyle = TextStyle::flow;
  s.outputMode = writerKeys::singleFile;
  s.singleFilePath = utf8ToUtf16(folders.source + "/page.html");
  s.sourceFolder = utf8ToUtf16(folders.source);
  RecordingHost host;
  ASSERT_TRUE(convertText(u"［＃挿絵（img/fig2.PNG）入る］", s, "", host));
  EXPECT_NE(bytesOf(folders.source + "/page.html").find("<img src=\"img/fig2.PNG\""), std::string::npos);
  EXPECT_FALSE(fs::exists(folders.source + "/images"));
}

// Every name of one file is one picture, read at its first mention: a file
// changed after it was read is not read again under another of its names.
// The run's pictures together stay within the budget; beyond it a picture
// is not read and the budget says so.
TEST(IllustrationFiles, aRunReadsEachFileOnceAndWithinItsBudget) {
  PictureFolders folders;
  fs::create_hard_link(folders.source + "/fig1.png", folders.source + "/same.png");
  IllustrationFiles pictures(utf8ToUtf16(folders.source), png.size() * 3 / 2);
  const IllustrationFile* first = pictures.find(u"fig1.png");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->number, 1u);
  writeBytes(folders.source + "/fig1.png", "no longer a picture");  // through both names
  struct Case {
    std::u16string target;
    const IllustrationFile* expected;
  };
  const Case cases[] = {
      {u"fig1.png", first},
      {u"same.png", first},        // the same file by another name
      {u"img/fig2.PNG", nullptr},  // another file, beyond the budget
      {u"text.png", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(utf16ToUtf8(c.target));
    EXPECT_EQ(pictures.find(c.target), c.expected);
  }
  EXPECT_EQ(first->bytes, png);
  EXPECT_TRUE(pictures.overBudget());
  IllustrationFiles unbounded(utf8ToUtf16(folders.source));
  EXPECT_NE(unbounded.find(u"img/fig2.PNG"), nullptr);
  EXPECT_FALSE(unbounded.overBudget());
}

}  // namespace
}  // namespace zelvato
