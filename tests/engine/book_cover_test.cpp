// The book's cover: the user's picture, read and measured, or one of our own
// with the title and author set vertically.

#include "write/xhtml/book_cover.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "temp_folder.h"
#include "text/unicode_text.h"

namespace zelvato {
namespace {

using namespace std::string_literals;

// A JPEG's start: SOI, a JFIF APP0 segment, then `segments`.
std::string jpeg(const std::string& segments) {
  return "\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00"s + segments;
}
// A frame header of the given marker: 800 high, 600 wide.
std::string frame(char marker) {
  return "\xFF"s + marker + "\x00\x11\x08\x03\x20\x02\x58\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01"s;
}
// A scan and the end marker that close a JPEG.
const std::string scanToEnd = "\xFF\xDA\x00\x08\x01\x01\x00\x00\x3f\x00scan\xFF\xD9"s;
// A whole PNG, as a user's cover is.
std::string wholePng() {
  std::ifstream in(std::string(ZELVATO_TEST_DATA_DIR) + "/illustration.png", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
// A PNG's signature and the start of its header: enough for its size, not a picture.
const std::string png = "\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR\x00\x00\x04\xb0\x00\x00\x06\x40\x08\x02"s;

TEST(BookCover, aPicturesSizeIsReadFromItsHeader) {
  struct Case {
    const char* what;
    std::string bytes;
    std::string mediaType;
    std::optional<std::pair<int, int>> size;
  };
  const Case cases[] = {
      {"PNG", png, "image/png", std::pair(1200, 1600)},
      {"baseline JPEG", jpeg(frame('\xC0')), "image/jpeg", std::pair(600, 800)},
      {"progressive JPEG after its tables", jpeg("\xFF\xC4\x00\x04\x00\x00"s + frame('\xC2')), "image/jpeg",
       std::pair(600, 800)},
      {"JPEG cut before its frame", jpeg("\xFF\xDB\x00\x43"), "image/jpeg", std::nullopt},
      {"JPEG of no size", jpeg("\xFF\xC0\x00\x11\x08\x00\x00\x00\x00"s), "image/jpeg", std::nullopt},
      {"PNG cut short", png.substr(0, 20), "image/png", std::nullopt},
      {"a GIF", "GIF89a\x02\x00\x02\x00", "image/gif", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(pictureSize(c.bytes, c.mediaType), c.size);
  }
}

TEST(BookCover, theUsersCoverIsAJpegOrPngReadAsIllustrationsAre) {
  TempFolder folder;
  const auto write = [&](const std::string& name, const std::string& bytes) {
    std::ofstream(folder.file(name), std::ios::binary) << bytes;
    return folder.file(name);
  };
  struct Case {
    const char* what;
    std::string path;
    std::string extension;  // empty: refused
    std::string failure;
  };
  const Case cases[] = {
      {"PNG", write("c.png", wholePng()), "png", ""},
      {"JPEG", write("c.jpeg", jpeg(frame('\xC0') + scanToEnd)), "jpg", ""},
      {"GIF", write("c.gif", "GIF89a\x02\x00\x02\x00\x00\x00\x00,....;"s), "",
       "the cover must be a JPEG or PNG picture"},
      {"a PNG named .jpg", write("p.jpg", wholePng()), "", "the cover cannot be read as a picture"},
      {"missing", folder.file("none.png"), "", "the cover cannot be read as a picture"},
      {"a folder", folder.path(), "", "the cover cannot be read as a picture"},
      {"a PNG's signature alone", write("s.png", png), "", "the cover cannot be read as a picture"},
      {"a JPEG without a size", write("n.jpg", jpeg(scanToEnd)), "", "the cover cannot be read as a picture"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const CoverRead read = readCoverPicture(c.path);
    ASSERT_EQ(read.picture.has_value(), !c.extension.empty()) << read.failure;
    if (read.picture) {
      EXPECT_EQ(read.picture->extension, c.extension);
      EXPECT_GT(read.picture->width, 0);
    } else {
      EXPECT_TRUE(read.failure.starts_with(c.failure)) << read.failure;
    }
  }
}

// Each character of the title and author stands in its own cell, below the
// one before it; long marks and Latin letters are turned, brackets take
// their vertical forms.
TEST(BookCover, ourCoverSetsTitleAndAuthorVertically) {
  const CoverPicture cover = generatedCover(u"「ルーム」A B", u"夏目漱石");
  EXPECT_EQ(cover.mediaType, "image/svg+xml");
  EXPECT_EQ(cover.width * 4, cover.height * 3);
  const std::string svg = cover.bytes;
  std::vector<std::string> shown;
  std::vector<int> tops;
  for (std::size_t at = svg.find("<text "); at != std::string::npos; at = svg.find("<text ", at + 1)) {
    const std::size_t close = svg.find('>', at), end = svg.find("</text>", at);
    shown.push_back(svg.substr(close + 1, end - close - 1));
    tops.push_back(std::stoi(svg.substr(svg.find("y=\"", at) + 3)));
  }
  // The blank keeps its cell and shows nothing.
  const std::vector<std::string> expected = {"﹁", "ル", "ー", "ム", "﹂", "A", "B", "夏", "目", "漱", "石"};
  EXPECT_EQ(shown, expected);
  for (std::size_t i = 1; i < tops.size(); ++i)
    if (i != 7) EXPECT_GT(tops[i], tops[i - 1]) << i;
  ASSERT_EQ(tops.size(), expected.size());
  EXPECT_GT(tops[6] - tops[5], tops[5] - tops[4]);
  std::size_t turned = 0;
  for (std::size_t at = svg.find("rotate(90"); at != std::string::npos; at = svg.find("rotate(90", at + 1))
    ++turned;
  EXPECT_EQ(turned, 3u);  // ー, A, B

  const std::string page = coverPage(cover, "images/cover.svg");
  EXPECT_NE(page.find("viewBox=\"0 0 1200 1600\""), std::string::npos);
  EXPECT_NE(page.find("xlink:href=\"images/cover.svg\""), std::string::npos);
  EXPECT_NE(page.find("<body epub:type=\"cover\">"), std::string::npos);
}

}  // namespace
}  // namespace zelvato
