// The table of contents nested by heading level, as the navigation document
// and the NCX hold it.

#include "write/xhtml/book_contents.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/unicode_text.h"

namespace zelvato {
namespace {

// Entries by level, named by their order ("a", "b", ...).
std::vector<ContentsEntry> entries(const std::vector<int>& levels) {
  std::vector<ContentsEntry> made;
  for (std::size_t i = 0; i < levels.size(); ++i) {
    const std::u16string name(1, static_cast<char16_t>(u'a' + i));
    made.push_back({u"s.xhtml#" + name, name, levels[i]});
  }
  return made;
}

// The list's shape: each entry's name, its children in brackets.
std::string shape(const std::u16string& list) {
  std::string out;
  const std::string text = utf16ToUtf8(list);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 4, "<ol>") == 0 && i > 5) out += "[";
    if (text.compare(i, 5, "</ol>") == 0 && i + 6 < text.size()) out += "]";
    if (text.compare(i, 2, "\">") == 0 && text.compare(i + 3, 4, "</a>") == 0) out += text[i + 2];
  }
  return out;
}

TEST(BookContents, aHeadingBelongsUnderTheNearestHigherOneBeforeIt) {
  struct Case {
    std::vector<int> levels;
    std::string shape;
    std::string depth;
  };
  const Case cases[] = {
      {{1, 1, 1}, "abc", "1"},
      {{1, 2, 2, 1, 2}, "a[bc]d[e]", "2"},
      {{1, 2, 3, 3, 2, 1}, "a[b[cd]e]f", "3"},
      {{2, 3, 1, 3}, "a[b]c[d]", "2"},  // a level skipped or begun low
      {{3, 3, 2, 3}, "abc[d]", "2"},    // 小見出し before the first 中見出し stand at the top
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shape);
    EXPECT_EQ(shape(navigationList(entries(c.levels))), c.shape);
    const std::string ncx = ncxDocument("urn:uuid:x", u"題", u"", entries(c.levels));
    EXPECT_NE(ncx.find("<meta name=\"dtb:depth\" content=\"" + c.depth + "\"/>"), std::string::npos);
    // Every entry once, numbered in reading order, each navPoint closed.
    for (std::size_t i = 0; i < c.levels.size(); ++i)
      EXPECT_NE(ncx.find("playOrder=\"" + std::to_string(i + 1) + "\""), std::string::npos);
    std::size_t opened = 0, closed = 0;
    for (std::size_t at = ncx.find("<navPoint "); at != std::string::npos;
         at = ncx.find("<navPoint ", at + 1))
      ++opened;
    for (std::size_t at = ncx.find("</navPoint>"); at != std::string::npos;
         at = ncx.find("</navPoint>", at + 1))
      ++closed;
    EXPECT_EQ(opened, c.levels.size());
    EXPECT_EQ(closed, c.levels.size());
  }
}

TEST(BookContents, theNcxNamesTheBookAndEscapesItsLabels) {
  const std::string ncx =
      ncxDocument("urn:uuid:1234", u"<猫> & 犬", u"夏目漱石", {{u"a.xhtml#h1", u"一 & <二>", 1}});
  EXPECT_NE(ncx.find("<meta name=\"dtb:uid\" content=\"urn:uuid:1234\"/>"), std::string::npos);
  EXPECT_NE(ncx.find("<docTitle><text>&lt;猫&gt; &amp; 犬</text></docTitle>"), std::string::npos);
  EXPECT_NE(ncx.find("<docAuthor><text>夏目漱石</text></docAuthor>"), std::string::npos);
  EXPECT_NE(ncx.find("<text>一 &amp; &lt;二&gt;</text>"), std::string::npos);
  EXPECT_NE(ncx.find("<content src=\"a.xhtml#h1\"/>"), std::string::npos);
}

}  // namespace
}  // namespace zelvato
