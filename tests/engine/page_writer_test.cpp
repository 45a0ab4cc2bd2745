#include "write/grid_html/page_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "preview_file.h"
#include "recording_host.h"
#include "run/conversion.h"
#include "temp_folder.h"
#include "text/codepage.h"
#include "text/unicode_text.h"
#include "write/page_output.h"
#include "write/registry/writer_registry.h"

// The golden files under tests/data were typed from the writing rules, not
// produced by this code: each expected line was written out by hand (header,
// opening, rows of four display positions per cell with the first vertical line
// at the right, closing, footer) and encoded in code page 932 with CR LF line
// ends. The test next to each file says which rules it follows.

namespace zelvato {
namespace {

std::string bytesOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string golden(const std::string& name) {
  const std::string path = std::string(ZELVATO_TEST_DATA_DIR) + "/" + name;
  EXPECT_TRUE(std::filesystem::exists(path)) << path;
  return bytesOf(path);
}

// The window's start values in a 3 x 3 grid, so a block is three short rows.
ConversionSettings smallSettings() {
  ConversionSettings s;
  s.charsPerLine = u"3";
  s.linesPerColumn = u"3";
  s.htmlTitle = u"縦書き";
  return s;
}

// The faces after the user's own in every font list, and the encoding line.
constexpr std::u16string_view fontListTail =
    u"Osaka－等幅, MS Gothic, BIZ UDGothic, IPAGothic, TakaoGothic, Osaka-Mono, monospace";
constexpr std::string_view shiftJisDeclaration =
    R"(<META http-equiv="Content-Type" content="text/html; charset=Shift_JIS">)";

// Five blocks of one character each: three carriage returns close a 3 x 3 block.
constexpr std::u16string_view fiveBlocks = u"あ\r\n\r\n\r\nい\r\n\r\n\r\nう\r\n\r\n\r\nえ\r\n\r\n\r\nお";

struct TestRun {
  TempFolder folder;
  RecordingHost host;
  std::string preview = folder.file("zelvato_temp.html");
  bool ok = false;

  void convert(std::u16string_view source, ConversionSettings settings) {
    if (settings.outputMode == writerKeys::pageFiles && settings.outputFolder.empty())
      settings.outputFolder = utf8ToUtf16(folder.folder());
    ASSERT_TRUE(beginPreviewFile(preview, settings));
    ok = convertText(source, settings, preview, host);
  }
  std::string file(const std::string& name) const { return bytesOf(folder.file(name)); }
};

TEST(PageWriter, initialSettingsOpenAndEndEveryBlockInStyleSheetForm) {
  // Style sheet on, ＭＳ ゴシック 9 pt, spacing 9 and 0, centring on: the opening
  // with "<CENTER>" after the FONT tag; the ending "</CENTER></FONT></PRE>" and
  // an empty line. あいうえおか fills line 1 with あいう and line 2 with えおか.
  TestRun run;
  run.convert(u"あいうえおか", smallSettings());
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(bytesOf(run.preview), golden("initial_settings_preview.html"));
}

TEST(PageWriter, fontFormNamesTheFontListWithoutStyle) {
  // Style sheet and centring off: FACE with ", Osaka－等幅, mono" (U+FF0D) and the
  // plain ending "</FONT></PRE>".
  ConversionSettings s = smallSettings();
  s.useStyleSheet = false;
  s.centerText = false;
  TestRun run;
  run.convert(u"あいうえおか", s);
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(bytesOf(run.preview), golden("font_form_preview.html"));
}

TEST(PageWriter, styleValuesAreCopiedAsTypedAndEmptyOnesWrittenAsZero) {
  struct Case {
    std::u16string size, charSpacing, lineSpacing;
    std::u16string style;
  };
  const Case cases[] = {
      {u"", u"9", u"0", u"font-size:0pt; line-height:9pt; letter-spacing:0pt"},
      {u"10.5", u"12", u"1.5", u"font-size:10.5pt; line-height:12pt; letter-spacing:1.5pt"},
      {u"9", u"", u"", u"font-size:9pt; line-height:0pt; letter-spacing:0pt"},
  };
  for (const Case& c : cases) {
    ConversionSettings s;
    s.fontSizePt = c.size;
    s.charSpacingPt = c.charSpacing;
    s.lineSpacingPt = c.lineSpacing;
    s.centerText = false;
    EXPECT_EQ(blockOpening(s), u"<PRE><FONT STYLE=\"" + c.style + u"\" FACE=\"ＭＳ ゴシック, " +
                                   std::u16string(fontListTail) + u"\" COLOR=\"#000000\">");
  }
}

TEST(PageWriter, blockEndsFollowCentringAndRuleWithHalfTheColumnGap) {
  // The rule's space is the gap halved and truncated toward zero: 15 -> 7,
  // 1 -> 0, -3 -> -1. Centring ends its line before the rule; without the rule
  // it leaves an empty line.
  struct Case {
    bool center;
    bool rule;
    std::u16string gap;
    const char* goldenFile;
  };
  const Case cases[] = {
      {false, false, u"6", "ending_plain.html"},
      {false, true, u"1", "ending_rule_gap1.html"},
      {false, true, u"-3", "ending_rule_gap_minus3.html"},
      {true, false, u"6", "ending_center.html"},
      {true, true, u"15", "ending_center_rule_gap15.html"},
  };
  for (const Case& c : cases) {
    ConversionSettings s = smallSettings();
    s.useStyleSheet = false;
    s.centerText = c.center;
    s.addRule = c.rule;
    s.columnGapPx = c.gap;
    TestRun run;
    run.convert(u"あ", s);
    ASSERT_TRUE(run.ok) << c.goldenFile;
    EXPECT_EQ(bytesOf(run.preview), golden(c.goldenFile)) << c.goldenFile;
  }
}

TEST(PageWriter, fiveBlocksOnPagesOfTwoLinkEveryPageAndFinishTheLastOne) {
  // Pages of two blocks: vt001 (blocks 1, 2; page 1; next link only), vt002
  // (blocks 3, 4; previous link, page 2, next link), vt003 (block 5; the last
  // page: previous link and page 3, no next link, then the closing tags).
  ConversionSettings s = smallSettings();
  s.outputMode = writerKeys::pageFiles;
  s.fileBaseName = u"vt";
  s.columnsPerPage = u"2";
  s.addPageLinks = true;
  s.addPageNumbers = true;
  TestRun run;
  run.convert(fiveBlocks, s);
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(run.file("vt001.html"), golden("pages_vt001.html"));
  EXPECT_EQ(run.file("vt002.html"), golden("pages_vt002.html"));
  EXPECT_EQ(run.file("vt003.html"), golden("pages_vt003.html"));
  EXPECT_FALSE(std::filesystem::exists(run.folder.file("vt004.html")));
  EXPECT_EQ(run.host.blocks, 5);
  EXPECT_EQ(run.host.statusText, u"縦書き変換中... 05 ｺﾗﾑ処理済...");
}

TEST(PageWriter, onePagePerBlockFinishesEveryPage) {
  // Links only: page 1 links forward, page 2 (the last) back; no page numbers.
  ConversionSettings s = smallSettings();
  s.outputMode = writerKeys::pageFiles;
  s.fileBaseName = u"p";
  s.columnsPerPage = u"1";
  s.addPageLinks = true;
  TestRun run;
  run.convert(u"あ\r\n\r\n\r\nい", s);
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(run.file("p001.html"), golden("one_per_page_p001.html"));
  EXPECT_EQ(run.file("p002.html"), golden("one_per_page_p002.html"));
}

TEST(PageWriter, pageOneThousandIsNamedWithFourDigits) {
  // 1000 one-block pages: page 999 links to vt998.html and vt1000.html; page
  // 1000 is the last page.
  ConversionSettings s = smallSettings();
  s.outputMode = writerKeys::pageFiles;
  s.fileBaseName = u"vt";
  s.columnsPerPage = u"1";
  s.addPageLinks = true;
  s.addPageNumbers = true;
  std::u16string source;
  for (int i = 0; i < 1000; ++i) source += u"あ\r\n\r\n\r\n";
  TestRun run;
  run.convert(source, s);
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(run.file("vt999.html"), golden("page_vt999.html"));
  EXPECT_EQ(run.file("vt1000.html"), golden("page_vt1000.html"));
  EXPECT_FALSE(std::filesystem::exists(run.folder.file("vt1001.html")));
  EXPECT_FALSE(std::filesystem::exists(run.folder.file("vt0999.html")));
}

TEST(PageWriter, singleFileIsOneWholeDocumentCreatedAnewEveryRun) {
  // Header (title, generator Ver1.2.0, BODY tag verbatim), both blocks, the
  // ending. A second run replaces the file; a run without any block still
  // leaves header and ending, never a stray ending after an old file.
  ConversionSettings s = smallSettings();
  s.outputMode = writerKeys::singleFile;
  TestRun run;
  s.singleFilePath = utf8ToUtf16(run.folder.file("out.html"));
  run.convert(u"あいうえおか\r\n\r\nき", s);
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(run.file("out.html"), golden("single_file.html"));

  run.convert(u"あいうえおか\r\n\r\nき", s);
  EXPECT_EQ(run.file("out.html"), golden("single_file.html"));

  run.convert(u"\r\n\r\n", s);
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(run.file("out.html"), golden("single_file_no_block.html"));
}

TEST(PageWriter, runWithoutCellsWritesNoBlockAnywhere) {
  ConversionSettings s = smallSettings();
  s.outputMode = writerKeys::pageFiles;
  s.fileBaseName = u"vt";
  TestRun run;
  run.convert(u"\r\n\r\n\n\r\n", s);
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(bytesOf(run.preview),
            "<!--GENERATOR:KORVENT LUMIKARA-->\r\n" + std::string(shiftJisDeclaration) + "\r\n");
  EXPECT_EQ(run.host.blocks, 0);
  EXPECT_EQ(run.host.statusText, u"");
  EXPECT_FALSE(std::filesystem::exists(run.folder.file("vt001.html")));
}

TEST(PageWriter, characterOutsideTheCodePageIsWrittenAsReference) {
  ConversionSettings s = smallSettings();
  s.useStyleSheet = false;
  s.centerText = false;
  TestRun run;
  run.convert(u"𠮷", s);
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(bytesOf(run.preview), golden("outside_code_page_preview.html"));
  EXPECT_NE(run.host.htmlPane.find(u"𠮷"), std::u16string::npos);  // the pane keeps the character
}

TEST(PageWriter, hostReceivesEachFinishedBlockAsThePreviewHoldsIt) {
  TestRun run;
  run.convert(u"あいうえおか\r\n\r\n\r\nき", smallSettings());
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(run.host.blocks, 2);
  const std::string preview = bytesOf(run.preview);
  EXPECT_EQ(encodeCp932(run.host.htmlPane), preview.substr(preview.find("<PRE>")));
  EXPECT_EQ(run.host.clipboard.substr(0, 5), u"<PRE>");
  EXPECT_NE(run.host.clipboard.find(u" き "), std::u16string::npos);
  EXPECT_EQ(run.host.clipboard.find(u" あ "), std::u16string::npos);  // only the last block
  // Once per row (3 per block) and once per block from the writer, once per source character from the layout.
  EXPECT_GE(run.host.yields, 2 * 3 + 2);
}

// The row lines of some markup: every row begins with the padding blank.
template <typename String>
String rowLines(const String& markup) {
  String rows;
  std::size_t start = 0;
  while (start < markup.size()) {
    std::size_t end = markup.find('\n', start);
    if (end == String::npos) end = markup.size();
    if (markup[start] == ' ') rows += markup.substr(start, end + 1 - start);
    start = end + 1;
  }
  return rows;
}

TEST(PageWriter, sourceTextNeverBecomesMarkup) {
  // Through the layout, and straight into a grid: every ASCII <, >, & and "
  // reaches the rows widened.
  struct Case {
    std::u16string cell;
    std::u16string written;
  };
  const Case cases[] = {{u"<", u"＜"}, {u">", u"＞"}, {u"&", u"＆"}, {u"\"", u"〝"}};
  for (const Case& c : cases) {
    ConversionSettings s = smallSettings();
    RecordingHost host;
    GridHtmlWriter writer({s, "", host}, PageDestination::previewOnly);
    GridBlock grid(3, 3, false);
    grid.cell(1, 1).text = c.cell;
    ASSERT_TRUE(writer.block(grid));
    const std::u16string rows = rowLines(host.htmlPane);
    ASSERT_EQ(rows.size(), 3u * (3 * 3 + 2));  // three rows of three padded cells
    EXPECT_NE(rows.find(u" " + c.written + u" "), std::u16string::npos) << utf16ToUtf8(c.cell);
    EXPECT_EQ(rows.find(c.cell), std::u16string::npos) << utf16ToUtf8(c.cell);
  }

  TestRun run;
  run.convert(u"<script>alert(\"x&y\")</script>", smallSettings());
  ASSERT_TRUE(run.ok);
  const std::string rows = rowLines(bytesOf(run.preview));
  EXPECT_FALSE(rows.empty());
  for (const char* markup : {"<", ">", "&", "\""}) EXPECT_EQ(rows.find(markup), rows.npos) << markup;
}

TEST(PageWriter, fontListKeepsTheUsersFaceFirstEscapedAndOnlyOnce) {
  struct Case {
    std::u16string face;
    std::u16string list;
  };
  const std::u16string tail(fontListTail);
  const Case cases[] = {
      {u"ＭＳ ゴシック", u"ＭＳ ゴシック, " + tail},
      {u"IPAGothic", u"IPAGothic, Osaka－等幅, MS Gothic, BIZ UDGothic, TakaoGothic, Osaka-Mono, monospace"},
      {u"ms gothic", u"ms gothic, Osaka－等幅, BIZ UDGothic, IPAGothic, TakaoGothic, Osaka-Mono, monospace"},
      {u"A\"><B & C", u"A&quot;&gt;&lt;B &amp; C, " + tail},
      {u"", tail},
  };
  for (const Case& c : cases) {
    ConversionSettings s;
    s.fontFace = c.face;
    EXPECT_EQ(fontList(s), c.list) << utf16ToUtf8(c.face);
    for (const bool styleSheet : {true, false}) {
      s.useStyleSheet = styleSheet;
      EXPECT_NE(blockOpening(s).find(u" FACE=\"" + c.list + u"\""), std::u16string::npos);
    }
  }
}

TEST(PageWriter, utf8PagesDeclareTheirEncodingAndNeedNoReferences) {
  for (const std::string_view mode : {writerKeys::singleFile, writerKeys::pageFiles}) {
    ConversionSettings s = smallSettings();
    s.outputEncoding = OutputEncoding::utf8;
    s.outputMode = mode;
    s.fileBaseName = u"vt";
    TestRun run;
    s.singleFilePath = utf8ToUtf16(run.folder.file("out.html"));
    run.convert(u"𠮷は「雪」\r\n\r\n\r\nです", s);
    ASSERT_TRUE(run.ok);
    const std::string declaration = R"(<META http-equiv="Content-Type" content="text/html; charset=UTF-8">)";
    const std::string file = run.file(mode == writerKeys::singleFile ? "out.html" : "vt001.html");
    const std::string preview = bytesOf(run.preview);
    EXPECT_EQ(file.substr(0, file.find("<TITLE>")), "<HTML><HEAD>" + declaration);
    EXPECT_EQ(preview.substr(0, preview.find("<PRE>")),
              "<!--GENERATOR:KORVENT LUMIKARA-->\r\n" + declaration + "\r\n");
    for (const std::string& bytes : {file, preview}) {
      EXPECT_EQ(utf16ToUtf8(utf8ToUtf16(bytes)), bytes);  // well-formed UTF-8, no byte-order mark
      EXPECT_NE(bytes.find(utf16ToUtf8(u" 𠮷 ")), bytes.npos);
      EXPECT_NE(bytes.find(utf16ToUtf8(u"  ┐\r\n")), bytes.npos);
      EXPECT_EQ(bytes.find("&#"), bytes.npos);
      EXPECT_EQ(bytes.find("Shift_JIS"), bytes.npos);
    }
    EXPECT_NE(file.find("</BODY></HTML>\r\n"), file.npos);
  }
}

TEST(PageWriter, accessibleTextHidesTheRowsAndGivesTheSourceInReadingOrder) {
  // 3 x 3: 「２人 fill the first vertical line, 」 the second, ｶﾞ< the third; the
  // carriage return there closes the block, so the next one begins with two
  // empty vertical lines.
  ConversionSettings s = smallSettings();
  s.accessibleText = true;
  s.outputMode = writerKeys::singleFile;
  TestRun run;
  s.singleFilePath = utf8ToUtf16(run.folder.file("out.html"));
  run.convert(u"「２人」\r\nｶﾞ<\r\n\r\n\r\n次", s);
  ASSERT_TRUE(run.ok);
  const std::u16string file = decodeCp932(run.file("out.html"));
  const std::u16string hidden =
      u"<DIV lang=\"ja\" style=\"position:absolute; width:1px; height:1px; margin:-1px; padding:0; "
      u"border:0; overflow:hidden; clip:rect(0 0 0 0); clip-path:inset(50%); white-space:nowrap\">";
  EXPECT_EQ(file.substr(0, 22), u"<HTML lang=\"ja\"><HEAD>");
  EXPECT_NE(file.find(u"\r\n<PRE aria-hidden=\"true\"><FONT STYLE="), std::u16string::npos);
  EXPECT_NE(file.find(u"</CENTER></FONT></PRE>" + hidden + u"「２人」<BR>ｶﾞ&lt;<BR></DIV>\r\n\r\n<PRE"),
            std::u16string::npos);
  EXPECT_NE(file.find(u"</CENTER></FONT></PRE>" + hidden + u"<BR><BR>次</DIV>\r\n\r\n</BODY>"),
            std::u16string::npos);
  EXPECT_NE(file.find(u"  ┐\r\n"), std::u16string::npos);  // the rows keep their vertical forms

  // Without centring the element follows the PRE on its line, before the rule.
  s.centerText = false;
  s.addRule = true;
  EXPECT_EQ(*blockClosing(s, u"あ\nい"),
            u"</FONT></PRE>" + hidden + u"あ<BR>い</DIV><HR SIZE=1 NOSHADE VSPACE=3>");
}

TEST(PageWriter, failedWritesReportFailureAndKeepWhatIsWritten) {
  // A missing folder, a full disk: the block write fails without an exception
  // and the lines written before stay.
  {
    ConversionSettings s = smallSettings();
    s.outputMode = writerKeys::pageFiles;
    s.fileBaseName = u"vt";
    TestRun run;
    s.outputFolder = utf8ToUtf16(run.folder.file("missing/"));
    run.convert(u"あ", s);
    EXPECT_FALSE(run.ok);
  }
  if (std::filesystem::exists("/dev/full")) {
    ConversionSettings s = smallSettings();
    s.outputMode = writerKeys::singleFile;
    s.singleFilePath = u"/dev/full";
    TestRun run;
    run.convert(u"あ", s);
    EXPECT_FALSE(run.ok);
  }
  {
    // A folder takes the preview file's place during the run: the preview is
    // written beside it, and the run's end cannot put it there.
    TestRun run;
    RecordingHost host;
    ConversionSettings s = smallSettings();
    GridHtmlWriter writer({s, run.preview, host}, PageDestination::previewOnly);
    GridBlock grid(3, 3, false);
    grid.cell(1, 1).text = u"あ";
    ASSERT_TRUE(writer.block(grid));
    ASSERT_TRUE(std::filesystem::create_directory(run.preview));
    grid.cell(1, 1).text = u"い";
    EXPECT_TRUE(writer.block(grid));
    EXPECT_FALSE(writer.finish(true));
    ASSERT_TRUE(writer.failure().has_value());
    EXPECT_EQ(writer.failure()->path, run.preview);
    EXPECT_TRUE(std::filesystem::is_directory(run.preview));
    EXPECT_EQ(host.blocks, 2);
  }
}

TEST(PageWriter, pageFileNamesAndFootersFollowThePageOptions) {
  struct Case {
    bool links;
    bool numbers;
    std::int32_t page;
    bool last;
    std::u16string footer;
  };
  const std::u16string t = u"<TABLE BORDER=0 WIDTH=100%><TR><TD ALIGN=\"center\">";
  const std::u16string te = u"</TD></TR></TABLE>\r\n</BODY></HTML>\r\n";
  const Case cases[] = {
      {false, false, 3, false, u"</BODY></HTML>\r\n"},
      {false, true, 3, false, t + u"- 3頁 -\r\n" + te},
      {true, false, 1, false, t + u"<A HREF=\"b002.html\">次頁へ</A>" + te},
      {true, false, 1, true, t + te},
      {true, true, 2, false,
       t + u"<A HREF=\"b001.html\">前頁へ</A>- 2頁 -\r\n<A HREF=\"b003.html\">次頁へ</A>" + te},
      {true, true, 1000, true, t + u"<A HREF=\"b999.html\">前頁へ</A>- 1000頁 -\r\n" + te},
  };
  for (const Case& c : cases) {
    ConversionSettings s;
    s.fileBaseName = u"b";
    s.addPageLinks = c.links;
    s.addPageNumbers = c.numbers;
    EXPECT_EQ(pageFooter(s, c.page, c.last), c.footer) << c.page;
  }
  ConversionSettings s;
  s.outputFolder = u"/out/";
  s.fileBaseName = u"vt";
  EXPECT_EQ(pageFileName(s, 1), u"/out/vt001.html");
  EXPECT_EQ(pageFileName(s, 1000), u"/out/vt1000.html");
  EXPECT_EQ(generatorName(), u"KORVENT Zelvato Ver1.2.0");
}

}  // namespace
}  // namespace zelvato

namespace zelvato {
namespace {

// The cells of a heading are set in bold, only where its cells are and only
// when the text is read as Aozora Bunko notation.
TEST(PageWriter, headingCellsAreBoldInTheirRows) {
  struct Case {
    const char* what;
    std::u16string source;
    bool aozora;
    std::u16string rows;  // empty: no bold anywhere
  };
  const Case cases[] = {
      {"a heading on the first line", u"［＃大見出し］序章［＃大見出し終わり］\r\n本文", true,
       u" 　  本 <B> 序 </B>\r\n 　  文 <B> 章 </B>\r\n 　  　  　 \r\n"},
      {"a heading after a line of text", u"本\r\n序［＃「序」は中見出し］\r\n", true,
       u" 　 <B> 序 </B> 本 \r\n 　  　  　 \r\n 　  　  　 \r\n"},
      {"a heading over two lines", u"［＃小見出し］あいうえ［＃小見出し終わり］", true,
       u" 　 <B> え  あ </B>\r\n 　  　 <B> い </B>\r\n 　  　 <B> う </B>\r\n"},
      {"the notation off", u"［＃大見出し］序章［＃大見出し終わり］", false, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ConversionSettings s = smallSettings();
    s.aozoraNotation = c.aozora;
    TestRun run;
    run.convert(c.source, s);
    ASSERT_TRUE(run.ok);
    const std::u16string pane = run.host.htmlPane;
    if (c.rows.empty()) {
      EXPECT_EQ(pane.find(u"<B>"), std::u16string::npos);
      continue;
    }
    const std::size_t first = pane.find(u"\r\n") + 2;
    EXPECT_EQ(pane.substr(first, c.rows.size()), c.rows);
  }
}

// In page files, a page that begins with a heading has the heading's text for its title.
TEST(PageWriter, aPageThatBeginsWithAHeadingIsNamedAfterIt) {
  // The grid's page files and the flowing page's alike.
  const struct {
    TextStyle style;
    std::string open, close;
  } styles[] = {{TextStyle::grid, "<TITLE>", "</TITLE>"}, {TextStyle::flow, "<title>", "</title>"}};
  for (const auto& style : styles) {
    SCOPED_TRACE(style.open);
    ConversionSettings s = smallSettings();
    s.aozoraNotation = true;
    s.textStyle = style.style;
    s.outputMode = writerKeys::pageFiles;
    s.fileBaseName = u"p";
    TestRun run;
    run.convert(
        u"［＃大見出し］序章［＃大見出し終わり］\r\n本文\r\n［＃改ページ］\r\n本文\r\n"
        u"［＃改ページ］\r\n\r\n終［＃「終」は小見出し］\r\n",
        s);
    ASSERT_TRUE(run.ok);
    const auto titleOf = [&](const std::string& name) {
      const std::string bytes = run.file(name);
      const std::size_t open = bytes.find(style.open) + style.open.size();
      return bytes.substr(open, bytes.find(style.close) - open);
    };
    EXPECT_EQ(titleOf("p001.html"), encodeCp932(u"序章"));
    EXPECT_EQ(titleOf("p002.html"), encodeCp932(u"縦書き"));
    // A blank line before the heading still leaves it the page's first text.
    EXPECT_EQ(titleOf("p003.html"), encodeCp932(u"終"));
  }
}

}  // namespace
}  // namespace zelvato
