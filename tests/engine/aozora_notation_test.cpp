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

TEST(AozoraNotation, readsTheHeaderGaijiAndAnnotationsOfAFile) {
  const AozoraText read = readAozoraNotation(rashomon, RubyMode::paren);
  EXPECT_EQ(read.title, u"羅生門");
  // The explanation between the hyphen lines is gone; gaiji with a code become
  // their character, the one without keeps its ※; the colophon stays.
  EXPECT_EQ(read.text,
            u"羅生門\r\n芥川龍之介\r\n\r\n\r\n"
            u"　或日の暮方の事である。一人の下人（げにん）が挘呭※\r\n"
            u"\r\n"
            u"底本：「芥川龍之介全集１」ちくま文庫\r\n");
  EXPECT_EQ(read.droppedAnnotations, 2u);
}

TEST(AozoraNotation, theTitleReplacesOnlyTheStartValue) {
  ConversionSettings settings;
  settings.aozoraNotation = true;
  EXPECT_EQ(withNotationTitle(settings, rashomon).htmlTitle, u"羅生門");
  settings.htmlTitle = u"私の本";
  EXPECT_EQ(withNotationTitle(settings, rashomon).htmlTitle, u"私の本");
  settings = ConversionSettings{};
  EXPECT_EQ(withNotationTitle(settings, rashomon).htmlTitle, ConversionSettings{}.htmlTitle);
  // A text without a short header has no title.
  settings.aozoraNotation = true;
  EXPECT_EQ(withNotationTitle(settings, u"一行だけの文章").htmlTitle, ConversionSettings{}.htmlTitle);
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
