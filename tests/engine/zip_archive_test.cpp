// The book's zip: read back by another zip library, with its consistency
// check, every entry is there in its order with its bytes, stored or deflated
// as asked, and the mimetype stands where reading systems look for it.
#include "write/xhtml/zip_archive.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <string>
#include <vector>

namespace zelvato {
namespace {

struct ReadEntry {
  std::string name;
  std::string bytes;
  zip_int32_t method;
  zip_uint32_t crc;
};

// The entries of a zip in memory, or nothing when it does not open as one.
std::vector<ReadEntry> readZip(const std::string& zipped, bool& opened) {
  std::vector<ReadEntry> entries;
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(zipped.data(), zipped.size(), 0, &error);
  zip_t* archive =
      source == nullptr ? nullptr : zip_open_from_source(source, ZIP_CHECKCONS | ZIP_RDONLY, &error);
  opened = archive != nullptr;
  if (archive == nullptr) {
    if (source != nullptr) zip_source_free(source);
    zip_error_fini(&error);
    return entries;
  }
  for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
    zip_stat_t st;
    zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &st);
    std::string bytes(st.size, '\0');
    if (zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0)) {
      if (zip_fread(file, bytes.data(), st.size) != static_cast<zip_int64_t>(st.size)) bytes = "(unreadable)";
      zip_fclose(file);
    }
    entries.push_back({st.name, bytes, st.comp_method, st.crc});
  }
  zip_close(archive);
  zip_error_fini(&error);
  return entries;
}

struct Added {
  std::string name;
  std::string bytes;
  bool compressed;
  zip_int32_t method;  // what the archive is to keep it as
};

std::string repeated(std::string_view piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

// Bytes that do not deflate: a picture's are of this kind.
std::string noise(std::size_t size) {
  std::string bytes(size, '\0');
  std::uint32_t state = 2463534242u;
  for (char& c : bytes) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    c = static_cast<char>(state & 0xff);
  }
  return bytes;
}

TEST(ZipArchive, everyEntryReadsBackInItsOrderStoredOrDeflatedAsAsked) {
  const std::vector<Added> added = {
      {"mimetype", "application/epub+zip", false, ZIP_CM_STORE},
      {"META-INF/container.xml", repeated("<rootfile full-path=\"OEBPS/content.opf\"/>\n", 20), true,
       ZIP_CM_DEFLATE},
      {"OEBPS/section0001.xhtml", repeated("<p>吾輩は猫である。名前はまだ無い。</p>\n", 3000), true,
       ZIP_CM_DEFLATE},
      // Deflating what does not shrink would only make it larger.
      {"OEBPS/images/cover.jpg", noise(5000), true, ZIP_CM_STORE},
      {"OEBPS/empty.css", "", true, ZIP_CM_STORE},
      {"OEBPS/表紙.xhtml", "<p>表紙</p>", true, ZIP_CM_STORE},
  };
  ZipArchive zip(6);
  for (const Added& a : added) ASSERT_TRUE(zip.add(a.name, a.bytes, a.compressed)) << a.name;
  const std::string zipped = zip.finish();
  bool opened = false;
  const std::vector<ReadEntry> read = readZip(zipped, opened);
  ASSERT_TRUE(opened);
  ASSERT_EQ(read.size(), added.size());
  for (std::size_t i = 0; i < added.size(); ++i) {
    SCOPED_TRACE(added[i].name);
    EXPECT_EQ(read[i].name, added[i].name);
    EXPECT_EQ(read[i].bytes, added[i].bytes);
    EXPECT_EQ(read[i].method, added[i].method);
  }
  // Reading systems find the book's type at a fixed place: the first entry's
  // name at byte 30, its stored bytes right after it, no extra field between.
  EXPECT_EQ(zipped.substr(30, 28), "mimetypeapplication/epub+zip");
  // The text deflates well below its size.
  EXPECT_LT(zipped.size(), added[2].bytes.size() / 10);
}

TEST(ZipArchive, anArchiveWithoutEntriesIsStillAZip) {
  ZipArchive zip(1);
  bool opened = false;
  EXPECT_TRUE(readZip(zip.finish(), opened).empty());
  EXPECT_TRUE(opened);
}

TEST(ZipArchive, everyLevelGivesTheSameEntries) {
  const std::string text = repeated("　親譲りの無鉄砲で小供の時から損ばかりしている。\n", 500);
  std::size_t previous = 0;
  for (const int level : {1, 4, 6, 9, 12}) {
    SCOPED_TRACE(level);
    ZipArchive zip(level);
    ASSERT_TRUE(zip.add("a.txt", text));
    const std::string zipped = zip.finish();
    bool opened = false;
    const std::vector<ReadEntry> read = readZip(zipped, opened);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].bytes, text);
    EXPECT_TRUE(previous == 0 || zipped.size() <= previous + 16);  // a higher level is never much larger
    previous = zipped.size();
  }
}

}  // namespace
}  // namespace zelvato
