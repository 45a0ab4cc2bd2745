#include "write/xhtml/epub_writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zip.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "recording_host.h"
#include "run/conversion.h"
#include "temp_folder.h"
#include "text/unicode_text.h"
#include "write/registry/writer_registry.h"

namespace zelvato {
namespace {

// An Aozora Bunko text with ruby, headings, emphasis, an indented range and
// page breaks, typed in after 芥川龍之介「羅生門」 (public domain).
constexpr std::u16string_view story =
    u"羅生門\r\n芥川龍之介\r\n\r\n"
    u"上［＃「上」は大見出し］\r\n"
    u"　一人の下人《げにん》が、羅生門《らしやうもん》の下で雨やみを待つてゐた。\r\n"
    u"［＃ここから２字下げ］\r\n　誰もゐない［＃「ゐない」に傍点］。\r\n［＃ここで字下げ終わり］\r\n"
    u"［＃改ページ］\r\n"
    u"［＃中見出し］下［＃中見出し終わり］\r\n"
    u"　作者はさつき書いた。𠮷日。\r\n";

// The entries of a zip in their order, with their bytes and whether they are compressed.
struct Entry {
  std::string name;
  std::string bytes;
  bool stored;
};

std::vector<Entry> entriesOf(const std::string& path) {
  std::vector<Entry> entries;
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
  if (archive == nullptr) return entries;
  for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
    zip_stat_t st;
    zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &st);
    std::string bytes(st.size, '\0');
    zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
    if (file != nullptr) {
      zip_fread(file, bytes.data(), st.size);
      zip_fclose(file);
    }
    entries.push_back({st.name, bytes, st.comp_method == ZIP_CM_STORE});
  }
  zip_close(archive);
  return entries;
}

std::string entry(const std::vector<Entry>& entries, const std::string& name) {
  for (const Entry& e : entries)
    if (e.name == name) return e.bytes;
  return {};
}

ConversionSettings epubTo(const std::string& path) {
  ConversionSettings s;
  s.aozoraNotation = s.tateChuYoko = true;
  s.outputMode = writerKeys::epub;
  s.epubFilePath = pathToText(path);
  return s;
}

TEST(EpubWriter, aBookHoldsItsSectionsHeadingsAndMetadata) {
  TempFolder folder;
  RecordingHost host;
  ASSERT_TRUE(convertText(story, epubTo(folder.file("book.epub")), "", host));
  const std::vector<Entry> entries = entriesOf(folder.file("book.epub"));
  ASSERT_FALSE(entries.empty());
  // The mimetype comes first, stored as it is.
  EXPECT_EQ(entries.front().name, "mimetype");
  EXPECT_EQ(entries.front().bytes, "application/epub+zip");
  EXPECT_TRUE(entries.front().stored);

  const std::string opf = entry(entries, "OEBPS/content.opf");
  EXPECT_NE(opf.find("<dc:title id=\"title\">羅生門</dc:title>"), std::string::npos);
  EXPECT_NE(opf.find("<dc:creator id=\"creator\">芥川龍之介</dc:creator>"), std::string::npos);
  EXPECT_NE(opf.find("<dc:language>ja</dc:language>"), std::string::npos);
  EXPECT_NE(opf.find("page-progression-direction=\"rtl\""), std::string::npos);
  EXPECT_NE(opf.find(bookIdentifier(u"羅生門", u"芥川龍之介")), std::string::npos);

  // One content document per page-break section; the headings in the contents, in order.
  EXPECT_FALSE(entry(entries, "OEBPS/section0001.xhtml").empty());
  EXPECT_FALSE(entry(entries, "OEBPS/section0002.xhtml").empty());
  EXPECT_TRUE(entry(entries, "OEBPS/section0003.xhtml").empty());
  const std::string nav = entry(entries, "OEBPS/nav.xhtml");
  const std::size_t first = nav.find(">上</a>"), second = nav.find(">下</a>");
  EXPECT_NE(first, std::string::npos);
  EXPECT_NE(second, std::string::npos);
  EXPECT_LT(first, second);

  const std::string text = entry(entries, "OEBPS/section0001.xhtml");
  EXPECT_NE(text.find("<h1 id=\"h1\">上</h1>"), std::string::npos);
  EXPECT_NE(text.find("<ruby>下人<rp>（</rp><rt>げにん</rt><rp>）</rp></ruby>"), std::string::npos);
  EXPECT_NE(text.find("<em class=\"em1\">ゐない</em>"), std::string::npos);
  EXPECT_NE(text.find("<p class=\"i2\">"), std::string::npos);
  EXPECT_NE(entry(entries, "OEBPS/section0002.xhtml").find("𠮷"), std::string::npos);
  EXPECT_NE(entry(entries, "OEBPS/style.css").find("-epub-writing-mode: vertical-rl;"), std::string::npos);
}

// A picture beside the source goes into the book, once however often it is
// shown, listed with its type; a missing one and a WebP leave their captions.
TEST(EpubWriter, picturesBesideTheSourceGoIntoTheBook) {
  TempFolder folder;
  const std::string png = std::string(ZELVATO_TEST_DATA_DIR) + "/illustration.png";
  std::filesystem::copy_file(png, folder.file("fig1.png"));
  std::ofstream(folder.file("fig2.webp"), std::ios::binary) << std::string("RIFF\x04\0\0\0WEBPVP8 ", 16);
  ConversionSettings s = epubTo(folder.file("book.epub"));
  s.sourceFolder = pathToText(folder.path());
  RecordingHost host;
  ASSERT_TRUE(
      convertText(u"［＃「山」のキャプション付きの図（fig1.png、横2×縦2）入る］\r\n"
                  u"［＃「川」のキャプション付きの図（fig9.png）入る］\r\n"
                  u"［＃改ページ］\r\n［＃挿絵（fig1.png）入る］\r\n［＃空の図（fig2.webp）入る］\r\n",
                  s, "", host));
  const std::vector<Entry> entries = entriesOf(folder.file("book.epub"));
  std::ifstream in(png, std::ios::binary);
  EXPECT_EQ(entry(entries, "OEBPS/images/image0001.png"),
            std::string(std::istreambuf_iterator<char>(in), {}));
  EXPECT_TRUE(entry(entries, "OEBPS/images/image0002.png").empty());
  const std::string opf = entry(entries, "OEBPS/content.opf");
  EXPECT_NE(opf.find("href=\"images/image0001.png\" media-type=\"image/png\""), std::string::npos);
  EXPECT_EQ(opf.find("webp"), std::string::npos);
  const std::string first = entry(entries, "OEBPS/section0001.xhtml");
  EXPECT_NE(first.find("<img src=\"images/image0001.png\" alt=\"山\"/><figcaption>山</figcaption>"),
            std::string::npos);
  EXPECT_NE(first.find("（挿絵：川）"), std::string::npos);
  const std::string second = entry(entries, "OEBPS/section0002.xhtml");
  EXPECT_NE(second.find("<img src=\"images/image0001.png\" alt=\"挿絵\"/>"), std::string::npos);
  EXPECT_NE(second.find("（挿絵：空の図）"), std::string::npos);
}

// One picture named by many links and mentioned a thousand times is one
// picture of the book, stored once: the book stays the size of its text and
// one copy of the picture.
TEST(EpubWriter, aPictureUnderManyNamesIsStoredOnce) {
  TempFolder folder;
  const std::string png = std::string(ZELVATO_TEST_DATA_DIR) + "/illustration.png";
  std::filesystem::copy_file(png, folder.file("fig0.png"));
  std::u16string text;
  for (int i = 0; i < 1000; ++i) {
    const std::string name = "fig" + std::to_string(i % 40) + ".png";
    if (i > 0 && i < 40) std::filesystem::create_hard_link(folder.file("fig0.png"), folder.file(name));
    text += u"［＃挿絵（" + pathToText(name) + u"）入る］\r\n";
  }
  ConversionSettings s = epubTo(folder.file("book.epub"));
  s.sourceFolder = pathToText(folder.path());
  RecordingHost host;
  ASSERT_TRUE(convertText(text, s, "", host));
  std::size_t pictures = 0;
  for (const Entry& e : entriesOf(folder.file("book.epub"))) pictures += e.name.starts_with("OEBPS/images/image");
  EXPECT_EQ(pictures, 1u);
  EXPECT_EQ(entry(entriesOf(folder.file("book.epub")), "OEBPS/content.opf").find("image0002"),
            std::string::npos);
}

TEST(EpubWriter, theIdentifierFollowsTitleAndAuthor) {
  const std::string id = bookIdentifier(u"羅生門", u"芥川龍之介");
  EXPECT_EQ(id, bookIdentifier(u"羅生門", u"芥川龍之介"));
  EXPECT_NE(id, bookIdentifier(u"羅生門", u""));
  EXPECT_NE(id, bookIdentifier(u"鼻", u"芥川龍之介"));
  ASSERT_EQ(id.size(), 45u);
  EXPECT_EQ(id.substr(0, 9), "urn:uuid:");
  EXPECT_EQ(id[9 + 14], '5');  // a name-based identifier
}

TEST(EpubWriter, markupInTheTitleIsEscapedEverywhere) {
  TempFolder folder;
  RecordingHost host;
  ConversionSettings s = epubTo(folder.file("book.epub"));
  s.htmlTitle = u"<猫> & \"犬\"";
  ASSERT_TRUE(convertText(u"吾輩は猫である。", s, "", host));
  const std::vector<Entry> entries = entriesOf(folder.file("book.epub"));
  EXPECT_NE(
      entry(entries, "OEBPS/content.opf").find("<dc:title id=\"title\">&lt;猫&gt; &amp; \"犬\"</dc:title>"),
      std::string::npos);
  for (const Entry& e : entries) EXPECT_EQ(e.bytes.find("<猫>"), std::string::npos) << e.name;
}

TEST(EpubWriter, aRefusedTargetLeavesEverythingAsItWas) {
  struct Case {
    const char* what;
    std::function<std::string(const TempFolder&)> target;
  };
  const Case cases[] = {
      {"a folder",
       [](const TempFolder& f) {
         std::filesystem::create_directory(f.file("book.epub"));
         return f.file("book.epub");
       }},
      {"a device", [](const TempFolder&) { return std::string("/dev/null"); }},
      {"a missing folder", [](const TempFolder& f) { return f.file("missing/book.epub"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    const std::string target = c.target(folder);
    RecordingHost host;
    RunFiles files;
    EXPECT_FALSE(convertText(story, epubTo(target), "", host, &files));
    EXPECT_TRUE(files.failure.has_value());
    std::size_t left = 0;
    for (const auto& e : std::filesystem::directory_iterator(folder.folder()))
      left += e.path().filename().string().find(".tmp") != std::string::npos;
    EXPECT_EQ(left, 0u);
  }
  // The source file itself is never replaced by the book.
  TempFolder folder;
  { std::ofstream(folder.file("story.txt")) << "the only copy"; }
  RecordingHost host;
  RunFiles files;
  files.keepIntact = folder.file("story.txt");
  EXPECT_FALSE(convertText(story, epubTo(folder.file("story.txt")), "", host, &files));
  std::ifstream in(folder.file("story.txt"));
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "the only copy");
}

}  // namespace
}  // namespace zelvato

namespace zelvato {
namespace {

// The package's items in spine order, by id.
std::vector<std::string> spineOf(const std::string& opf) {
  std::vector<std::string> ids;
  for (std::size_t at = opf.find("<itemref idref=\""); at != std::string::npos;
       at = opf.find("<itemref idref=\"", at + 1))
    ids.push_back(opf.substr(at + 16, opf.find('"', at + 16) - at - 16));
  return ids;
}

// What the Japanese production guides and the stores look for, in either writing mode.
TEST(EpubWriter, theBookCarriesWhatTheGuidesAndStoresLookFor) {
  struct Case {
    WritingMode mode;
    std::string progression, primary, cssMode;
  };
  const Case cases[] = {
      {WritingMode::vertical, "rtl", "vertical-rl", "-epub-writing-mode: vertical-rl;"},
      {WritingMode::horizontal, "ltr", "horizontal-lr", "-epub-writing-mode: horizontal-tb;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.primary);
    TempFolder folder;
    RecordingHost host;
    ConversionSettings s = epubTo(folder.file("book.epub"));
    s.writingMode = c.mode;
    ASSERT_TRUE(convertText(std::u16string(story) + u"　12月。\r\n", s, "", host));
    const std::vector<Entry> entries = entriesOf(folder.file("book.epub"));
    const std::string opf = entry(entries, "OEBPS/content.opf");
    for (const std::string& held :
         {"page-progression-direction=\"" + c.progression + "\"",
          "<meta name=\"primary-writing-mode\" content=\"" + c.primary + "\"/>",
          std::string("<meta property=\"rendition:layout\">reflowable</meta>"),
          std::string("<meta property=\"rendition:spread\">landscape</meta>"),
          std::string("<meta name=\"cover\" content=\"cover-image\"/>"),
          std::string("href=\"images/cover.svg\" media-type=\"image/svg+xml\" properties=\"cover-image\""),
          std::string("href=\"nav.xhtml\" media-type=\"application/xhtml+xml\" properties=\"nav\""),
          std::string("<spine toc=\"ncx\""),
          std::string("href=\"toc.ncx\" media-type=\"application/x-dtbncx+xml\"")})
      EXPECT_NE(opf.find(held), std::string::npos) << held;
    // Cover, title page, contents, the text: each part says what it is.
    EXPECT_EQ(spineOf(opf), (std::vector<std::string>{"cover", "titlepage", "toc", "s1", "s2"}));
    EXPECT_NE(entry(entries, "OEBPS/titlepage.xhtml").find("<section epub:type=\"titlepage\""),
              std::string::npos);
    EXPECT_NE(entry(entries, "OEBPS/section0001.xhtml").find("<body epub:type=\"bodymatter\">"),
              std::string::npos);
    const std::string nav = entry(entries, "OEBPS/nav.xhtml");
    for (const char* landmark :
         {"epub:type=\"cover\" href=\"cover.xhtml\"", "epub:type=\"titlepage\"",
          "epub:type=\"toc\" href=\"nav.xhtml#toc\"", "epub:type=\"bodymatter\" href=\"section0001.xhtml\""})
      EXPECT_NE(nav.find(landmark), std::string::npos) << landmark;
    EXPECT_NE(entry(entries, "OEBPS/toc.ncx").find("<text>下</text>"), std::string::npos);
    EXPECT_NE(entry(entries, "OEBPS/style.css").find(c.cssMode), std::string::npos);
    // Numbers across only in vertical writing.
    const std::string text =
        entry(entries, "OEBPS/section0001.xhtml") + entry(entries, "OEBPS/section0002.xhtml");
    EXPECT_EQ(text.find("class=\"tcy\"") != std::string::npos, c.mode == WritingMode::vertical);
  }
}

TEST(EpubWriter, theCoverIsTheUsersPictureOrTheRunFails) {
  TempFolder folder;
  std::filesystem::copy_file(std::string(ZELVATO_TEST_DATA_DIR) + "/illustration.png",
                             folder.file("cover.png"));
  { std::ofstream(folder.file("cover.gif")) << "GIF89a\x02\x00\x02\x00"; }
  RecordingHost host;
  ConversionSettings s = epubTo(folder.file("book.epub"));
  s.coverFile = pathToText(folder.file("cover.png"));
  ASSERT_TRUE(convertText(story, s, "", host));
  const std::vector<Entry> entries = entriesOf(folder.file("book.epub"));
  EXPECT_NE(entry(entries, "OEBPS/content.opf")
                .find("href=\"images/cover.png\" media-type=\"image/png\" properties=\"cover-image\""),
            std::string::npos);
  EXPECT_NE(entry(entries, "OEBPS/cover.xhtml").find("viewBox=\"0 0 2 2\""), std::string::npos);

  s.coverFile = pathToText(folder.file("cover.gif"));
  s.epubFilePath = pathToText(folder.file("other.epub"));
  RunFiles files;
  EXPECT_FALSE(convertText(story, s, "", host, &files));
  ASSERT_TRUE(files.failure.has_value());
  EXPECT_EQ(files.failure->path, folder.file("cover.gif"));
  EXPECT_FALSE(std::filesystem::exists(folder.file("other.epub")));
}

// The book and the plain text build a flowing page only for a host that
// shows it or for the preview file.
TEST(EpubWriter, theBookAloneIsBuiltWhereNothingShowsTheText) {
  struct Case {
    std::string_view medium;
    bool showing;
    bool preview;
    int pages;
  };
  const Case cases[] = {
      {writerKeys::epub, true, false, 1}, {writerKeys::epub, false, false, 0},
      {writerKeys::epub, false, true, 1}, {"text", false, false, 0},
      {"text", true, false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.medium) + (c.showing ? " shown" : "") + (c.preview ? " previewed" : ""));
    TempFolder folder;
    RecordingHost host;
    host.showing = c.showing;
    ConversionSettings s = epubTo(folder.file("book.epub"));
    s.outputMode = c.medium;
    s.outputPaths["text"] = pathToText(folder.file("book.txt"));
    ASSERT_TRUE(convertText(story, s, c.preview ? folder.file("preview.html") : "", host));
    EXPECT_EQ(host.blocks, c.pages);
    EXPECT_EQ(std::filesystem::exists(folder.file("preview.html")), c.preview);
  }
}

}  // namespace
}  // namespace zelvato
