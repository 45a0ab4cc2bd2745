#include "aozora_notation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "codepage.h"
#include "page_writer.h"
#include "recording_host.h"
#include "temp_folder.h"
#include "unicode_text.h"

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
  // bold of a text that does not end the line is not read; the colophon stays.
  std::vector<std::u16string> paragraphs;
  for (const Paragraph& p : read.paragraphs) paragraphs.push_back(textOf(p));
  EXPECT_EQ(paragraphs,
            (std::vector<std::u16string>{u"羅生門", u"芥川龍之介", u"", u"",
                                         u"　或日の暮方の事である。一人の下人《げにん》が挘呭※（「虫＋慈」）",
                                         u"", u"底本：「芥川龍之介全集１」ちくま文庫"}));
  EXPECT_EQ(read.unreadAnnotations, 1u);
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
  for (const std::u16string_view mark : {u"｜", u"《", u"［＃", u"［"}) {
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
  settings.outputMode = OutputMode::pageFiles;
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
