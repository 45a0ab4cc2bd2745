// The writing of a PDF's objects: numbers and strings as readers parse them,
// the cross-reference table pointing at every object, streams that inflate
// to their data, and a failed write that stops the file.

#include "write/pdf/pdf_objects.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <regex>
#include <string>

namespace zelvato::pdf {
namespace {

TEST(PdfObjects, NumbersAreWrittenAsReadersParseThem) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {0, "0"},         {-0.0001, "0"},        {3, "3"},           {12.5, "12.5"},
      {-0.25, "-0.25"}, {595.2756, "595.276"}, {841.89, "841.89"}, {1e6, "1000000"},
      {-4.49, "-4.49"}, {0.0005, "0.001"},
  };
  for (const auto& c : cases) {
    std::string out;
    appendNumber(out, c.value);
    EXPECT_EQ(out, c.text) << c.value;
  }
}

TEST(PdfObjects, StringsAndNamesKeepTheirBytesPastTheDelimiters) {
  const struct {
    const char* name;
    std::u16string text;
    std::string written;
  } strings[] = {
      {"kana", u"あ", std::string("(\xFE\xFF\x30\x42)", 6)},
      {"parentheses and backslash escaped", u"(\\)", std::string("(\xFE\xFF\x00\\(\x00\\\\\x00\\))", 13)},
      {"a carriage return byte escaped, never a line end", u"\r", std::string("(\xFE\xFF\x00\\r)", 7)},
      {"a character whose byte is a parenthesis", u"\u2829", std::string("(\xFE\xFF\\(\\))", 8)},
      {"nothing", u"", std::string("(\xFE\xFF)", 4)},
  };
  for (const auto& c : strings) {
    std::string out;
    appendTextString(out, c.text);
    EXPECT_EQ(out, c.written) << c.name;
  }
  std::string name;
  appendName(name, "Noto Serif/JP#1");
  EXPECT_EQ(name, "/Noto#20Serif#2FJP#231");
}

std::string inflate(std::string_view data) {
  std::string out(1 << 16, '\0');
  uLongf length = static_cast<uLongf>(out.size());
  if (uncompress(reinterpret_cast<Bytef*>(out.data()), &length, reinterpret_cast<const Bytef*>(data.data()),
                 static_cast<uLong>(data.size())) != Z_OK)
    return "(not deflate)";
  out.resize(length);
  return out;
}

TEST(PdfObjects, CrossReferencePointsAtEveryObjectAndStreamsInflate) {
  std::string file;
  ObjectWriter objects([&file](std::string_view bytes) {
    file += bytes;
    return true;
  });
  ASSERT_TRUE(objects.begin());
  const int first = objects.reserve(), second = objects.reserve(), third = objects.reserve();
  const std::string content = "BT /F1 12 Tf (Hello) Tj ET\n" + std::string(500, ' ');
  // Written out of their numbers' order, as a page names its contents before they exist.
  ASSERT_TRUE(objects.writeStream(third, "", content));
  ASSERT_TRUE(objects.write(second, "<</Type/Pages/Kids[]/Count 0>>"));
  ASSERT_TRUE(objects.write(first, "<</Type/Catalog/Pages " + std::to_string(second) + " 0 R>>"));
  ASSERT_TRUE(objects.finish(first, second));
  EXPECT_EQ(objects.bytesWritten(), file.size());

  std::smatch match;
  ASSERT_TRUE(std::regex_search(file, match, std::regex("startxref\n(\\d+)\n%%EOF\n$")));
  const std::size_t table = std::stoul(match[1]);
  ASSERT_EQ(file.compare(table, 5, "xref\n"), 0);
  for (int number = 1; number <= 3; ++number) {
    const std::size_t entry = file.find('\n', file.find('\n', table + 5) + 1) + 1 + 20 * (number - 1);
    const std::size_t offset = std::stoul(file.substr(entry, 10));
    EXPECT_EQ(file.compare(offset, std::to_string(number).size() + 6, std::to_string(number) + " 0 obj"), 0)
        << "object " << number;
  }
  ASSERT_TRUE(std::regex_search(file, match, std::regex("/Length (\\d+)/Filter/FlateDecode>>\nstream\n")));
  const std::size_t start = static_cast<std::size_t>(match.position(0) + match.length(0));
  const std::size_t length = std::stoul(match[1]);
  EXPECT_EQ(file.compare(start + length, 11, "\nendstream\n"), 0);
  EXPECT_EQ(inflate(std::string_view(file).substr(start, length)), content);
  EXPECT_TRUE(std::regex_search(file, std::regex("/ID\\[<[0-9A-F]{32}><[0-9A-F]{32}>\\]")));
}

TEST(PdfObjects, AnUnwrittenObjectOrAFailedWriteFailsTheFile) {
  {
    std::string file;
    ObjectWriter objects([&file](std::string_view bytes) {
      file += bytes;
      return true;
    });
    objects.begin();
    const int catalog = objects.reserve();
    objects.reserve();  // never written
    objects.write(catalog, "<<>>");
    EXPECT_FALSE(objects.finish(catalog, catalog)) << "an object named but never written";
  }
  {
    int writes = 0;
    ObjectWriter objects([&writes](std::string_view) { return ++writes < 3; });
    EXPECT_TRUE(objects.begin());
    const int a = objects.reserve(), b = objects.reserve();
    EXPECT_FALSE(objects.write(a, "<<>>")) << "the sink refused the third write";
    EXPECT_TRUE(objects.failed());
    EXPECT_FALSE(objects.write(b, "<<>>")) << "nothing is written after a failure";
    EXPECT_EQ(writes, 3);
  }
}

}  // namespace
}  // namespace zelvato::pdf
