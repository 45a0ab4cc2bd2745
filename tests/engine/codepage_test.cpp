#include "codepage.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "temp_folder.h"

namespace zelvato {
namespace {

std::string bytesOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Codepage, encodesWithTheWindowsMappingBothWays) {
  struct Case {
    std::u16string text;
    std::string bytes;
  };
  const Case cases[] = {
      {u"abc", "abc"},
      {u"\\~", "\\~"},
      {u"\uFF5E", "\x81\x60"},  // full-width tilde, the wave dash Windows writes
      {u"\u2015", "\x81\x5C"},  // horizontal bar
      {u"\uFF0D", "\x81\x7C"},  // full-width hyphen-minus
      {u"\u2225", "\x81\x61"},  // parallel to
      {u"〝〟", "\x87\x80\x87\x81"},
      {u"縦書き", "\x8f\x63\x8f\x91\x82\xab"},
      {u"ｱｲｳ", "\xb1\xb2\xb3"},
      {u"①Ⅰ㈱ⅰ", "\x87\x40\x87\x54\x87\x8a\xfa\x40"},
      {u"\u3000", "\x81\x40"},
      {u"\r\n", "\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(encodeCp932(c.text), c.bytes);
    EXPECT_EQ(decodeCp932(c.bytes), c.text);
  }
}

TEST(Codepage, unrepresentableCharactersBecomeNumericCharacterReferences) {
  struct Case {
    std::u16string text;
    std::string bytes;
  };
  const Case cases[] = {
      {u"𠮷野家", "&#x20BB7;\x96\xec\x89\xc6"},
      {u"寿司🍣です", "\x8e\xf5\x8e\x69&#x1F363;\x82\xc5\x82\xb7"},
      {std::u16string(1, u'\xD800') + u"a", "&#xD800;a"},  // lone high surrogate
      {u"a" + std::u16string(1, u'\xDC00'), "a&#xDC00;"},  // lone low surrogate
      {u"한", "&#xD55C;"},
      // One-way "best fit" mappings would turn these into other characters.
      {u"\u00A5", "&#xA5;"},
      {u"\u301C", "&#x301C;"},
      {u"\u2212", "&#x2212;"},
  };
  for (const Case& c : cases) EXPECT_EQ(encodeCp932(c.text), c.bytes);
}

TEST(Codepage, invalidBytesDecodeToReplacementCharacters) {
  struct Case {
    std::string bytes;
    std::u16string text;
  };
  const Case cases[] = {
      {"a\x80"
       "b",
       u"a\uFFFDb"},
      {"\x82", u"\uFFFD"},      // lead byte cut short at the end
      {"\x82\n", u"\uFFFD\n"},  // lead byte without a proper trail byte
      {"\x85\x40"
       "x",
       u"\uFFFDx"},  // unassigned double-byte code
      {"\xFF\xFE", u"\uFFFD\uFFFD"},
      {"", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(decodeCp932(c.bytes), c.text);
}

TEST(Codepage, byteLengthCountsOneForHalfWidthAndTwoForFullWidth) {
  struct Case {
    std::u16string text;
    std::int32_t length;
  };
  const Case cases[] = {
      {u"", 0},       {u"abc", 3}, {u"縦書き変換ｶ", 11},
      {u"𠮷", 1},     {u"a🍣b", 3}, {std::u16string(1, u'\xDC00'), 1},
      {u"\u00A5", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(cp932ByteLength(c.text), c.length) << c.length;
}

TEST(Codepage, encodingALongTextIsFast) {
  std::u16string text;
  for (int i = 0; i < 20000; ++i) text += (i % 50 == 0) ? u"𠮷" : u"縦書き";
  const auto start = std::chrono::steady_clock::now();
  const std::string bytes = encodeCp932(text);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(bytes.size(), 19600u * 6 + 400u * 9);
  EXPECT_LT(elapsed, std::chrono::milliseconds(200));
}

TEST(Codepage, createAppendAndDeleteWriteExactBytes) {
  TempFolder folder;
  const std::string path = folder.file("out.html");
  ASSERT_TRUE(appendText(path, u"old contents\r\n"));
  ASSERT_TRUE(createTextFile(path));
  EXPECT_EQ(bytesOf(path), "");
  ASSERT_TRUE(appendText(path, u"<PRE>縦\r\n"));
  ASSERT_TRUE(appendText(path, u"𠮷\r\n"));
  EXPECT_EQ(bytesOf(path), "<PRE>\x8f\x63\r\n&#x20BB7;\r\n");
  EXPECT_TRUE(deleteFile(path));
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_FALSE(deleteFile(path));
  // Only plain files are ever removed: never a folder or a special file.
  const std::string fifo = folder.file("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(deleteFile(fifo));
  EXPECT_TRUE(std::filesystem::exists(fifo));
  EXPECT_FALSE(deleteFile(folder.path()));
  EXPECT_TRUE(std::filesystem::exists(folder.path()));
}

TEST(Codepage, writesFailWithoutThrowingWhenTheFileCannotBeWritten) {
  TempFolder folder;
  const std::string missing = folder.file("no such folder/out.html");
  EXPECT_FALSE(createTextFile(missing));
  EXPECT_FALSE(appendText(missing, u"x"));
  EXPECT_FALSE(createTextFile(""));
  if (std::filesystem::exists("/dev/full")) {
    EXPECT_FALSE(appendText("/dev/full", u"disk is full\r\n"));
  }
  if (::geteuid() != 0) {
    const std::string readOnly = folder.file("read-only.html");
    ASSERT_TRUE(createTextFile(readOnly));
    ::chmod(readOnly.c_str(), 0444);
    EXPECT_FALSE(appendText(readOnly, u"x"));
  }
}

TEST(Codepage, fileExistsOnlyForFilesThatAreThere) {
  TempFolder folder;
  const std::string present = folder.file("present.txt");
  ASSERT_TRUE(createTextFile(present));
  EXPECT_TRUE(fileExists(present));
  EXPECT_FALSE(fileExists(folder.file("absent.txt")));
  EXPECT_FALSE(fileExists(folder.file("missing folder/absent.txt")));
  EXPECT_FALSE(fileExists(""));
  EXPECT_FALSE(fileExists(folder.path()));  // a folder is not a file
  if (::geteuid() != 0) {
    ::chmod(present.c_str(), 0);  // there, but access is denied
    EXPECT_TRUE(fileExists(present));
  }
  errno = 0;
  fileExists(folder.file("absent.txt"));
  EXPECT_EQ(errno, 0);
}

TEST(Codepage, sourceIsDecodedInTheEncodingItWasWrittenIn) {
  // Each case is a file a user may load; none may come out as mojibake or
  // with NULs, and a few bad bytes cost only those bytes.
  using E = SourceEncoding;
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<std::u16string> lines;
    SourceEncoding encoding;
  };
  const std::string prose = "雪が降る。窓の外は白く、道も屋根も見えない。朝になれば晴れるだろう。";
  const std::u16string prose16 = u"雪が降る。窓の外は白く、道も屋根も見えない。朝になれば晴れるだろう。";
  const Case cases[] = {
      {"empty file", "", {}, E::utf8},
      {"final line without end", "a\r\nb", {u"a", u"b"}, E::utf8},
      {"all three line ends", "a\r\nb\nc\rd\r\n", {u"a", u"b", u"c", u"d"}, E::utf8},
      {"empty lines kept", "\r\n\r\nx\n\n", {u"", u"", u"x", u""}, E::utf8},
      {"CR then LF is one end", "a\r\r\n", {u"a", u""}, E::utf8},
      {"UTF-8", "縦書き\n𠮷", {u"縦書き", u"𠮷"}, E::utf8},
      {"UTF-8 with mark", "\xEF\xBB\xBF縦\r\n", {u"縦"}, E::utf8Bom},
      {"code page 932", "\x8f\x63\x8f\x91\x82\xab\r\n\xb1", {u"縦書き", u"ｱ"}, E::cp932},
      {"code page 932 with a bad byte", "\x8f\x63\xFF", {u"縦\uFFFD"}, E::cp932},
      {"UTF-8 prose with one bad byte", prose + "\xFF" + prose, {prose16 + u"\uFFFD" + prose16}, E::utf8},
      {"UTF-8 line cut mid-character",
       prose + "\xE9\x9B\r\n" + prose,
       {prose16 + u"\uFFFD", prose16},
       E::utf8},
      {"UTF-16LE with mark",
       std::string("\xFF\xFE\x26\x7E\x0D\x00\x0A\x00\x42\x30", 10),
       {u"縦", u"あ"},
       E::utf16le},
      {"UTF-16BE with mark, pair and lone surrogate",
       std::string("\xFE\xFF\xD8\x42\xDF\xB7\xD8\x00\x00\x41", 10),
       {u"𠮷\uFFFDA"},
       E::utf16be},
      {"UTF-32LE with mark",
       std::string("\xFF\xFE\0\0\x26\x7E\0\0\xB7\x0B\x02\0", 12),
       {u"縦𠮷"},
       E::utf32le},
      {"UTF-32BE with mark, value out of range",
       std::string("\0\0\xFE\xFF\0\x11\0\0\0\0\0\x41", 12),
       {u"\uFFFDA"},
       E::utf32be},
  };
  for (const Case& c : cases) {
    const DecodedSource decoded = decodeSource(c.bytes);
    EXPECT_EQ(decoded.lines, c.lines) << c.name;
    EXPECT_EQ(decoded.encoding, c.encoding) << c.name;
  }
  EXPECT_EQ(encodingName(E::cp932), u"Shift_JIS (CP932)");
}

TEST(Codepage, readSourceFileReadsFilesAndRefusesWhatIsNoText) {
  TempFolder folder;
  const std::string path = folder.file("source.txt");
  {
    std::ofstream out(path, std::ios::binary);
    out << "\x8f\x63\x8f\x91\x82\xab\r\n\x82\xa0";
  }
  const auto read = readSourceFile(path);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->lines, (std::vector<std::u16string>{u"縦書き", u"あ"}));
  EXPECT_EQ(sourceFileKind(path), SourceFileKind::text);
  // A folder or a device (which would be read for ever) is no text file.
  for (const std::string& notText : {folder.path(), std::string("/dev/zero")}) {
    EXPECT_EQ(sourceFileKind(notText), SourceFileKind::notText) << notText;
    EXPECT_FALSE(readSourceFile(notText).has_value()) << notText;
  }
  EXPECT_EQ(sourceFileKind(folder.file("absent.txt")), SourceFileKind::missing);
  EXPECT_FALSE(readSourceFile(folder.file("absent.txt")).has_value());
}

}  // namespace
}  // namespace zelvato
