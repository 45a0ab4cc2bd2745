// The headings a writer jumps by: Aozora Bunko's 見出し and web novels' "#" lines.
#include "run/outline.h"

#include <gtest/gtest.h>

#include "read/text_reader.h"

namespace zelvato {
namespace {

struct OutlineCase {
  const char* name;
  std::u16string source;  // with CR LF, as the window hands it over
  bool aozora;
  std::vector<OutlineEntry> outline;
};

TEST(TextOutline, listsTheHeadingsWithTheLinesTheyBeginOn) {
  const OutlineCase cases[] = {
      {"no headings", u"雪が降る。\r\n窓の外は白い。\r\n", true, {}},
      // As 「こころ」 writes them: after the heading's text, indented.
      {"headings named after their text",
       u"［＃２字下げ］上　先生と私［＃「上　先生と私」は大見出し］\r\n\r\n［＃５字下げ］一［＃「一」は中見出"
       u"し］\r\n本文。\r\n",
       true,
       {{1, u"上　先生と私", 0}, {2, u"一", 2}}},
      {"a heading around its text",
       u"前文\r\n［＃小見出し］猫の事［＃小見出し終わり］\r\n本文\r\n",
       true,
       {{3, u"猫の事", 1}}},
      {"a heading with ruby lists its base text",
       u"序\r\n吾輩《わがはい》［＃「吾輩」は中見出し］\r\n",
       true,
       {{2, u"吾輩", 1}}},
      {"notation not read: the annotations make no heading", u"一［＃「一」は中見出し］\r\n", false, {}},
      {"web novel headings by their marks",
       u"# 第一章\r\n本文\r\n## 第一話　出会い\r\n本文\r\n＃＃＃ 余話\r\n",
       false,
       {{1, u"第一章", 0}, {2, u"第一話　出会い", 2}, {3, u"余話", 4}}},
      {"no space, too many marks or nothing after them: no heading",
       u"#hashtag\r\n#### 深すぎ\r\n# \r\n［＃改ページ］\r\n",
       false,
       {}},
      {"LF and lone CR count lines too", u"a\nb\r# 三行目\r\n", false, {{1, u"三行目", 2}}},
      {"both kinds together, in the text's order",
       u"# 始まり\r\n一［＃「一」は大見出し］\r\n",
       true,
       {{1, u"始まり", 0}, {1, u"一", 1}}},
  };
  for (const OutlineCase& c : cases) {
    const Document document = readDocument(c.source, c.aozora);
    EXPECT_EQ(textOutline(document, c.source), c.outline) << c.name;
  }
}

}  // namespace
}  // namespace zelvato
