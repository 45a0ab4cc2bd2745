#include "read/aozora/aozora_notation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "document/document_title.h"
#include "recording_host.h"
#include "run/conversion.h"
#include "temp_folder.h"
#include "text/codepage.h"
#include "text/unicode_text.h"
#include "write/registry/writer_registry.h"
#include "write/xhtml/xhtml_content.h"

namespace zelvato {
namespace {

// The head and the foot of an Aozora Bunko file, typed in after 芥川龍之介「羅生門」.
constexpr std::u16string_view rashomon =
    u"羅生門\r\n"
    u"芥川龍之介\r\n"
    u"\r\n"
    u"-------------------------------------------------------\r\n"
    u"【テキスト中に現れる記号について】\r\n"
    u"《》：ルビ\r\n"
    u"-------------------------------------------------------\r\n"
    u"\r\n"
    u"　或日の暮方の事である。一人の下人《げにん》が※［＃「てへん＋劣」、第3水準1-84-77］"
    u"※［＃「口＋世」、U+546D、12-3］※［＃「虫＋慈」、62-6］［＃「下人」は太字］\r\n"
    u"\r\n"
    u"底本：「芥川龍之介全集１」ちくま文庫\r\n";

// A paragraph as text, its ruby in 《》 after the base and emphasis in ［］.
std::u16string textOf(const Paragraph& paragraph) {
  std::u16string text;
  for (const Run& run : paragraph.runs) {
    if (run.kind == RunKind::gaijiDescription) {
      text += u"※（" + run.text + u"）";
      continue;
    }
    const bool marked = run.marks.emphasis != EmphasisKind::none;
    text += (marked ? u"［" : u"") + run.text + (marked ? u"］" : u"");
    if (!run.ruby.empty()) text += u"《" + run.ruby + u"》";
  }
  return text;
}

TEST(AozoraNotation, readsTheHeaderGaijiAndAnnotationsOfAFile) {
  const Document read = readAozoraText(rashomon);
  EXPECT_EQ(read.title, u"羅生門");
  EXPECT_EQ(read.author, u"芥川龍之介");
  // The explanation between the hyphen lines is gone; gaiji with a code become
  // their character, the one without keeps its ※ and its description; the
  // bold of a text earlier on the line is read; the colophon stays.
  std::vector<std::u16string> paragraphs;
  for (const Paragraph& p : read.paragraphs) paragraphs.push_back(textOf(p));
  EXPECT_EQ(paragraphs,
            (std::vector<std::u16string>{u"羅生門", u"芥川龍之介", u"", u"",
                                         u"　或日の暮方の事である。一人の下人《げにん》が挘呭※（「虫＋慈」）",
                                         u"", u"底本：「芥川龍之介全集１」ちくま文庫"}));
  EXPECT_EQ(read.unreadAnnotations, 0u);
  EXPECT_TRUE(read.paragraphs[4].runs[1].marks.bold);
  EXPECT_EQ(read.paragraphs.back().sourceEnd, rashomon.size());
}

TEST(AozoraNotation, readsRubyEmphasisIndentsAndBreaksIntoTheDocument) {
  struct Case {
    const char* what;
    std::u16string source;
    std::vector<std::u16string> paragraphs;
    std::vector<int> indents;
    std::vector<PageBreak> breaks;
  };
  const Case cases[] = {
      {"the base is the run of one class before the ruby",
       u"一人の下人《げにん》が",
       {u"一人の下人《げにん》が"},
       {0},
       {PageBreak::none}},
      {"kana end a kanji base",
       u"あの羅生門《らしやうもん》",
       {u"あの羅生門《らしやうもん》"},
       {0},
       {PageBreak::none}},
      {"an explicit base", u"一人の｜下人《げにん》が", {u"一人の下人《げにん》が"}, {0}, {PageBreak::none}},
      {"emphasis on the text before",
       u"雨やみを待つ［＃「待つ」に傍点］",
       {u"雨やみを［待つ］"},
       {0},
       {PageBreak::none}},
      {"emphasis on a base with its ruby",
       u"下人《げにん》［＃「下人」に傍点］",
       {u"［下人］《げにん》"},
       {0},
       {PageBreak::none}},
      {"an emphasised range",
       u"あ［＃傍点］いう［＃傍点終わり］え",
       {u"あ［いう］え"},
       {0},
       {PageBreak::none}},
      {"an indented range, a one-line indent",
       u"［＃ここから２字下げ］\r\nあ\r\n［＃３字下げ］い\r\nう\r\n［＃ここで字下げ終わり］\r\nえ",
       {u"あ", u"い", u"う", u"え"},
       {2, 3, 2, 0},
       {PageBreak::none, PageBreak::none, PageBreak::none, PageBreak::none}},
      {"breaks begin the paragraph after them",
       u"あ\r\n［＃改ページ］\r\nい［＃改丁］う",
       {u"あ", u"い", u"う"},
       {0, 0, 0},
       {PageBreak::none, PageBreak::page, PageBreak::sheet}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Document read = readAozoraText(c.source);
    std::vector<std::u16string> paragraphs;
    std::vector<int> indents;
    std::vector<PageBreak> breaks;
    for (const Paragraph& p : read.paragraphs) {
      paragraphs.push_back(textOf(p));
      indents.push_back(p.style.firstIndent);
      breaks.push_back(p.style.breakBefore);
    }
    EXPECT_EQ(paragraphs, c.paragraphs);
    EXPECT_EQ(indents, c.indents);
    EXPECT_EQ(breaks, c.breaks);
  }
}

TEST(AozoraNotation, readingTakesLinearTime) {
  // Notation that never closes must not be searched for again at every mark:
  // these lines would take many seconds if it were.
  for (const std::u16string_view mark : {u"｜", u"《", u"［＃", u"［", u"漢［＃レ］［＃「字」に傍点］",
                                         u"※［＃「」」」」」」」」」」」」、1-1］"}) {
    std::u16string line;
    for (int i = 0; i < 200000; ++i) line += mark;
    const Document read = readAozoraText(line + u"》");
    ASSERT_EQ(read.paragraphs.size(), 1u);
  }
}

TEST(AozoraNotation, theTitleReplacesOnlyTheStartValue) {
  const Document read = readAozoraText(rashomon);
  ConversionSettings settings;
  settings.aozoraNotation = true;
  EXPECT_EQ(withDocumentTitle(settings, read).htmlTitle, u"羅生門");
  settings.htmlTitle = u"私の本";
  EXPECT_EQ(withDocumentTitle(settings, read).htmlTitle, u"私の本");
  settings = ConversionSettings{};
  EXPECT_EQ(withDocumentTitle(settings, read).htmlTitle, ConversionSettings{}.htmlTitle);
  // A text without a short header has no title.
  settings.aozoraNotation = true;
  EXPECT_EQ(withDocumentTitle(settings, readAozoraText(u"一行だけの文章")).htmlTitle,
            ConversionSettings{}.htmlTitle);
}

TEST(AozoraNotation, aPageBreakEndsThePageFileEarly) {
  TempFolder folder;
  ConversionSettings settings;
  settings.aozoraNotation = true;
  settings.outputMode = writerKeys::pageFiles;
  settings.outputFolder = utf8ToUtf16(folder.folder());
  settings.fileBaseName = u"p";
  settings.charsPerLine = u"3";
  settings.linesPerColumn = u"3";
  settings.columnsPerPage = u"4";
  RecordingHost host;
  ASSERT_TRUE(
      convertText(u"雨\r\n［＃改ページ］\r\n下人\r\n［＃改ページ］\r\n［＃改丁］\r\n門", settings, "", host));
  const auto blocksIn = [&](const char* name) {
    std::ifstream in(folder.file(name), std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    std::size_t count = 0;
    for (std::size_t at = bytes.find("<PRE>"); at != std::string::npos; at = bytes.find("<PRE>", at + 1))
      ++count;
    return bytes.find("</BODY></HTML>") != std::string::npos ? count : 100 + count;
  };
  // One block on each page, every page finished; two breaks in a row make no empty page.
  EXPECT_EQ(blocksIn("p001.html"), 1u);
  EXPECT_EQ(blocksIn("p002.html"), 1u);
  EXPECT_EQ(blocksIn("p003.html"), 1u);
  EXPECT_FALSE(std::filesystem::exists(folder.file("p004.html")));
  EXPECT_EQ(host.blocks, 3);
}

}  // namespace
}  // namespace zelvato

namespace zelvato {
namespace {

// Every kind of notation as flowing HTML and EPUB show it: the element it must give.
TEST(AozoraNotation, everyKindOfNotationGivesItsElementInTheFlowingText) {
  struct Case {
    const char* what;
    std::u16string source;
    std::u16string element;
    bool editorNotes = false;
  };
  const Case cases[] = {
      {"地付き", u"［＃地付き］山田", u"<p class=\"f0\">山田</p>"},
      {"地付き after text goes on as its own paragraph", u"本文［＃地付き］山田",
       u"<p>本文</p>\n<p class=\"f0\">山田</p>"},
      {"見出し", u"序［＃「序」は大見出し］", u"<h1 id=\"h1\">序</h1>"},
      {"hanging indent", u"［＃ここから改行天付き、折り返して３字下げ］\r\n一",
       u"<p class=\"i3 tm3\">一</p>"},
      {"gaiji by description", u"※［＃「木＋世」、140-1］", u"※<span class=\"gaiji\">（「木＋世」）</span>"},
      {"返り点", u"不［＃レ］知", u"不<span class=\"kaeriten\">レ</span>知"},
      {"訓点送り仮名", u"学［＃（ブ）］", u"学<span class=\"okuri\">ブ</span>"},
      {"傍点 kind and side", u"雨［＃「雨」の左に白丸傍点］", u"<em class=\"em4 left\">雨</em>"},
      {"傍線 kind", u"雨［＃「雨」に波線］", u"<span class=\"linew\">雨</span>"},
      {"accents", u"〔Gene`ve〕", u"<p>Genève</p>"},
      {"挿絵", u"［＃「山」のキャプション付きの図（fig1.png、横1×縦1）入る］",
       u"<span class=\"illustration\">（挿絵：山）</span>"},
      {"割り注 small in two lines", u"本［＃割り注］注記です［＃割り注終わり］",
       u"本<span class=\"warichu\" style=\"inline-size: 3em\">（注記です）</span>"},
      {"縦中横", u"ab［＃「ab」は縦中横］", u"<span class=\"tcy\">ab</span>"},
      {"size step", u"［＃２段階小さな文字］小［＃小さな文字終わり］", u"<span class=\"sm2\">小</span>"},
      {"太字", u"太［＃「太」は太字］", u"<b>太</b>"},
      {"罫囲み", u"囲［＃「囲」は罫囲み］", u"<span class=\"box\">囲</span>"},
      {"横組み", u"［＃横組み］AB［＃横組み終わり］", u"<span class=\"yoko\">AB</span>"},
      {"上付き", u"x［＃「x」は上付き小文字］", u"<sup>x</sup>"},
      {"下付き", u"x［＃「x」は下付き小文字］", u"<sub>x</sub>"},
      {"左ルビ", u"山［＃「山」の左に「やま」のルビ］", u"<ruby class=\"left\">山<rt>やま</rt></ruby>"},
      {"an editor's note dropped", u"儘［＃「儘」はママ］", u"<p>儘</p>"},
      {"an editor's note shown", u"儘［＃「儘」はママ］", u"儘<span class=\"note\">（ママ）</span>", true},
      {"what the printed character bears, as the editor's note", u"シ［＃「シ」の右上に小さな四角あり］",
       u"シ<span class=\"note\">（右上に小さな四角あり）</span>", true},
      {"字詰め", u"［＃ここから５字詰め］\r\n山川\r\n［＃ここで字詰め終わり］\r\n海",
       u"<p style=\"max-inline-size: 5em\">山川</p>\n<p>海</p>"},
      {"字詰め after indents, the indent within it",
       u"［＃ここから２字下げ、折り返して３字下げ、１０字詰め］\r\n一",
       u"<p class=\"i3 tm1\" style=\"max-inline-size: 7em\">一</p>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    XhtmlOptions options;
    options.editorNotes = c.editorNotes;
    const std::vector<XhtmlSection> sections = xhtmlSections(readAozoraText(c.source), options);
    ASSERT_EQ(sections.size(), 1u);
    EXPECT_NE(sections.front().body.find(c.element), std::u16string::npos)
        << utf16ToUtf8(sections.front().body);
  }
}

// ページの左右中央: the page's text in a box of its own up to the next page
// break; a book gives it a content document of its own, not cut at its headings.
TEST(AozoraNotation, aCentredPageStandsInItsOwnBox) {
  const Document read = readAozoraText(
      u"前\r\n［＃ページの左右中央］\r\n序［＃「序」は中見出し］\r\n文\r\n［＃改ページ］\r\n本\r\n");
  struct Case {
    const char* what;
    bool book;
    std::vector<std::u16string> sections;
  };
  const Case cases[] = {
      {"one page",
       false,
       {u"<p>前</p>\n<div class=\"centred\">\n<h2 id=\"h1\">序</h2>\n<p>文</p>\n</div>\n",
        u"<p class=\"break\">本</p>\n"}},
      {"a book",
       true,
       {u"<p>前</p>\n", u"<div class=\"centred\">\n<h2 id=\"h1\">序</h2>\n<p>文</p>\n</div>\n",
        u"<p class=\"break\">本</p>\n"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    XhtmlOptions options;
    options.cutAtCentredPage = options.cutAtHeadings = c.book;
    std::vector<std::u16string> bodies;
    for (const XhtmlSection& section : xhtmlSections(read, options)) bodies.push_back(section.body);
    EXPECT_EQ(bodies, c.sections);
  }
}

// What --verbose reports: the kinds read with their counts, the gaiji by their
// description, and every annotation nothing reads by its text.
TEST(AozoraNotation, theReportCountsEveryKindAndNamesWhatWasNotRead) {
  const Document read = readAozoraText(
      u"雨［＃「雨」に傍点］と風［＃「風」に傍線］※［＃「木＋世」、140-1］［＃レ］［＃謎の注記］\r\n"
      u"［＃地付き］山田［＃謎の注記］\r\n");
  EXPECT_EQ(notationReport(read),
            u"notation read:\n  傍点\t1\n  傍線\t1\n  地付き・字上げ\t1\n  外字（説明のみ）\t1\n  返り点\t1\n"
            u"characters without a code, by their description:\n  ※（「木＋世」）\n"
            u"annotations not read:\n  ［＃謎の注記］\t2\tline 1\n");
  EXPECT_EQ(read.unreadAnnotations, 2u);
}

}  // namespace
}  // namespace zelvato
