#include "read/source_decoding.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "io/file_system.h"
#include "temp_folder.h"

namespace zelvato {
namespace {

TEST(SourceDecoding, sourceIsDecodedInTheEncodingItWasWrittenIn) {
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

TEST(SourceDecoding, theFileKeepsItsLineBreakAndFinalBreakForTheWayBack) {
  struct Case {
    const char* name;
    std::string bytes;
    LineEnd lineEnd;
    bool finalLineBreak;
  };
  const Case cases[] = {
      {"empty file", "", LineEnd::crlf, false},
      {"one line, no break", "a", LineEnd::crlf, false},
      {"CR LF", "a\r\nb\r\n", LineEnd::crlf, true},
      {"LF without final break", "a\nb", LineEnd::lf, false},
      {"CR only", "a\rb\r", LineEnd::cr, true},
      {"only an empty line", "\n", LineEnd::lf, true},
      {"mixed: LF in most lines", "a\r\nb\nc\nd\r\ne\n", LineEnd::lf, true},
      {"mixed: CR in most lines", "a\rb\rc\nd", LineEnd::cr, false},
      {"tie of CR LF and LF", "a\r\nb\n", LineEnd::crlf, true},
      {"tie of LF and CR", "a\nb\r", LineEnd::lf, true},
      {"CR then LF is one break", "a\r\r\n", LineEnd::crlf, true},
      {"UTF-16 LF",
       std::string("\xFF\xFE"
                   "a\0\n\0",
                   6),
       LineEnd::lf, true},
  };
  for (const Case& c : cases) {
    const DecodedSource decoded = decodeSource(c.bytes);
    EXPECT_EQ(decoded.lineEnd, c.lineEnd) << c.name;
    EXPECT_EQ(decoded.finalLineBreak, c.finalLineBreak) << c.name;
  }
}

TEST(SourceDecoding, codePageFilesRememberTheSecondFormsTheyUse) {
  struct Case {
    const char* name;
    std::string bytes;
    Cp932Forms forms;
    std::string savedAs;  // empty: the bytes themselves
  };
  const Case cases[] = {
      {"the encoder's own forms", "\xFA\x5C\x81\xE0\x81\xCA", {}, {}},
      {"NEC's kanji and symbols", "\xED\x40\x87\x90", {{0xFA5C, 0xED40}, {0x81E0, 0x8790}}, {}},
      {"the two other forms of ￢", "\xEE\xF9", {{0x81CA, 0xEEF9}}, {}},
      {"IBM's form of ￢", "\xFA\x54", {{0x81CA, 0xFA54}}, {}},
      {"NEC's form of a roman numeral", "\xEE\xEF", {{0xFA40, 0xEEEF}}, {}},
      // One form per character: the one the file used first.
      {"both forms: the first wins", "\xED\x40\xFA\x5C", {{0xFA5C, 0xED40}}, "\xED\x40\xED\x40"},
      {"a trail byte that looks like a lead", "\x82\xED\x40", {}, {}},
  };
  for (const Case& c : cases) {
    const DecodedSource decoded = decodeSource(c.bytes);
    ASSERT_EQ(decoded.encoding, SourceEncoding::cp932) << c.name;
    EXPECT_EQ(decoded.cp932Forms, c.forms) << c.name;
    // The bytes come back as they were.
    std::u16string text;
    for (const std::u16string& line : decoded.lines) text += line;
    EXPECT_EQ(encodeCp932(text, decoded.cp932Forms), c.savedAs.empty() ? c.bytes : c.savedAs) << c.name;
  }
}

TEST(SourceDecoding, readSourceFileReadsFilesAndRefusesWhatIsNoText) {
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
