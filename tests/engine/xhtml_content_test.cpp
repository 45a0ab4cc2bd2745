// The document as XHTML sections: where the text is cut, the title page and
// the colophon of an Aozora Bunko text, numbers in each writing mode, and the
// parentheses around every reading.

#include "write/xhtml/xhtml_content.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "read/aozora/aozora_notation.h"
#include "read/text_reader.h"
#include "text/unicode_text.h"

namespace zelvato {
namespace {

std::vector<std::string> bodiesOf(const std::vector<XhtmlSection>& sections) {
  std::vector<std::string> bodies;
  for (const XhtmlSection& section : sections) bodies.push_back(utf16ToUtf8(section.body));
  return bodies;
}

// The header becomes a title page of its own, in the sizes of its lines; the
// colophon a part of its own at the end, its numbers across or in kanji.
TEST(XhtmlContent, aBookBeginsWithItsTitlePageAndEndsWithItsColophon) {
  const Document read = readAozoraText(
      u"思ひ出\r\n抒情小曲集\r\n北原白秋\r\n\r\n\r\n本文［＃「本文」は大見出し］\r\n　一九〇九年の春。\r\n\r"
      u"\n\r\n"
      u"底本：「白秋全集2」岩波書店\r\n　　　1985（昭和60）年5月7日発行\r\n");
  XhtmlOptions options;
  options.titlePage = options.colophon = true;
  const std::vector<XhtmlSection> sections = xhtmlSections(read, options);
  ASSERT_EQ(sections.size(), 3u);
  EXPECT_EQ(sections[0].kind, XhtmlSection::Kind::titlePage);
  EXPECT_EQ(utf16ToUtf8(sections[0].body),
            "<div class=\"titlepage\">\n<div class=\"title\">思ひ出</div>\n<div "
            "class=\"subtitle\">抒情小曲集</div>\n"
            "<div class=\"author\">北原白秋</div>\n</div>\n");
  // The blank lines that part the text from the pages before and after it go with them.
  EXPECT_EQ(sections[1].kind, XhtmlSection::Kind::text);
  EXPECT_EQ(utf16ToUtf8(sections[1].body), "<h1 id=\"h1\">本文</h1>\n<p>　一九〇九年の春。</p>\n");
  EXPECT_EQ(sections[2].kind, XhtmlSection::Kind::colophon);
  EXPECT_EQ(utf16ToUtf8(sections[2].body),
            "<div class=\"colophon\">\n<p>底本：「白秋全集<span class=\"tcy\">2</span>」岩波書店</p>\n"
            "<p>　　　一九八五（昭和<span class=\"tcy\">60</span>）年<span class=\"tcy\">5</span>月<span "
            "class=\"tcy\">7</span>日発行</p>\n</div>\n");
  // A text that does not begin with its title has no title page; one
  // without 底本 notes no colophon.
  const Document plain = readAozoraText(u"本文だけ。\r\n底本の話をする。\r\n");
  for (const XhtmlSection& section : xhtmlSections(plain, options))
    EXPECT_EQ(section.kind, XhtmlSection::Kind::text);
}

// Asked for, each paragraph and heading names the source unit its line begins
// at (the end of the paragraph before), so a page beside the source finds it.
TEST(XhtmlContent, eachParagraphNamesWhereItsLineBeginsWhenAsked) {
  struct Case {
    const char* name;
    std::u16string source;
    bool aozora;
    bool marks;
    std::string body;
  };
  const std::vector<Case> cases = {
      {"no marks unless asked", u"あ\r\nい\r\n", false, false, "<p>あ</p>\n<p>い</p>\n"},
      // A plain line ends on its line feed: the next begins there.
      {"plain lines", u"あ\r\n\r\nいう", false, true,
       "<p data-o=\"0\">あ</p>\n<p data-o=\"2\"><br/></p>\n<p data-o=\"4\">いう</p>\n"},
      {"a heading and the line of annotations before a paragraph",
       u"［＃５字下げ］一［＃「一」は中見出し］\r\n［＃ここから２字下げ］\r\n本文\r\n", true, true,
       "<h2 id=\"h1\" class=\"i5\" data-o=\"0\">一</h2>\n<p class=\"i2\" data-o=\"21\">本文</p>\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    XhtmlOptions options;
    options.sourceMarks = c.marks;
    const Document document = c.aozora ? readAozoraText(c.source) : readPlainText(c.source);
    std::string body;
    for (const std::string& part : bodiesOf(xhtmlSections(document, options))) body += part;
    EXPECT_EQ(body, c.body);
  }
}

TEST(XhtmlContent, numbersAreSetAsTheWritingModeWants) {
  struct Case {
    const char* what;
    bool horizontal;
    bool tateChuYoko;
    std::string paragraph;
  };
  const Case cases[] = {
      {"vertical, as typed", false, false, "<p>１２月25日、2024年</p>"},
      {"vertical, two digits across", false, true, "<p>１２月<span class=\"tcy\">25</span>日、2024年</p>"},
      {"horizontal: ASCII, nothing across", true, true, "<p>12月25日、2024年</p>"},
  };
  const Document read = readAozoraText(u"１２月25日、2024年");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    XhtmlOptions options;
    options.horizontal = c.horizontal;
    options.tateChuYoko = c.tateChuYoko;
    EXPECT_EQ(bodiesOf(xhtmlSections(read, options)), std::vector<std::string>{c.paragraph + "\n"});
  }
}

TEST(XhtmlContent, sectionsAreCutWhereABookTurnsItsPage) {
  struct Case {
    const char* what;
    std::u16string source;
    bool book;
    std::size_t bytes;
    std::vector<std::string> sections;
  };
  const Case cases[] = {
      {"a heading cuts after text, not after a heading",
       u"序\r\n一［＃「一」は大見出し］\r\n甲［＃「甲」は中見出し］\r\n文\r\n乙［＃「乙」は中見出し］\r\n",
       true,
       0,
       {"<p>序</p>\n", "<h1 id=\"h1\">一</h1>\n<h2 id=\"h2\">甲</h2>\n<p>文</p>\n",
        "<h2 id=\"h3\">乙</h2>\n"}},
      {"a book's part neither begins with a page break nor ends in blank lines",
       u"前\r\n\r\n\r\n［＃改ページ］\r\n後\r\n",
       true,
       0,
       {"<p>前</p>\n", "<p>後</p>\n"}},
      {"a page of one file keeps its page break and blank lines",
       u"前\r\n\r\n［＃改ページ］\r\n後\r\n",
       false,
       0,
       {"<p>前</p>\n<p><br/></p>\n", "<p class=\"break\">後</p>\n"}},
      {"a long text is cut at a size",
       u"一二三\r\n四五六\r\n七八九\r\n",
       true,
       20,
       {"<p>一二三</p>\n<p>四五六</p>\n", "<p>七八九</p>\n"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    XhtmlOptions options;
    options.cutAtHeadings = true;
    options.bookSections = c.book;
    options.cutAtBytes = c.bytes;
    EXPECT_EQ(bodiesOf(xhtmlSections(readAozoraText(c.source), options)), c.sections);
  }
}

// Whatever cannot set ruby beside its base shows the reading in parentheses;
// the base is never left bare before its reading.
TEST(XhtmlContent, everyReadingStandsInParentheses) {
  const Document read = readAozoraText(
      u"親譲《おやゆず》りの無鉄砲《むてっぽう》で｜小供《こども》の時から山［＃「山」の左に「やま」のルビ"
      u"］");
  const std::u16string body = xhtmlSections(read, {}).front().body;
  std::size_t readings = 0;
  for (std::size_t at = body.find(u"<rt>"); at != std::u16string::npos; at = body.find(u"<rt>", at + 1)) {
    ++readings;
    EXPECT_EQ(body.substr(at - 10, 10), u"<rp>（</rp>");
    EXPECT_NE(body.find(u"</rt><rp>）</rp></ruby>", at), std::u16string::npos);
  }
  EXPECT_EQ(readings, 4u);
}

}  // namespace
}  // namespace zelvato
