// The plain-text medium (--text=FILE): the document as UTF-8 text with LF
// line ends, ruby in parentheses, headings on lines of their own.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "recording_host.h"
#include "run/conversion.h"
#include "temp_folder.h"
#include "text/unicode_text.h"
#include "write/registry/writer_registry.h"

namespace zelvato {
namespace {

std::string bytesOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct TextCase {
  const char* what;
  std::u16string source;
  std::string text;  // the file's bytes
  bool aozora = true;
  RubyMode ruby = RubyMode::paren;
  bool editorNotes = false;
};

TEST(TextWriter, theDocumentIsWrittenAsPlainTextForReadersWithoutRuby) {
  const TextCase cases[] = {
      {"line ends become LF, blank lines stay", u"一行目\r\n二行目\r\n\r\n四行目",
       "一行目\n二行目\n\n四行目\n", false},
      {"ruby in parentheses after its base", u"一人の下人《げにん》が", "一人の下人（げにん）が\n"},
      {"an explicit base", u"｜広い門《ひろいもん》の下", "広い門（ひろいもん）の下\n"},
      {"ruby left out", u"一人の下人《げにん》が", "一人の下人が\n", true, RubyMode::drop},
      {"a heading stands between blank lines, indented as annotated",
       u"前の文。\r\n［＃３字下げ］一［＃「一」は中見出し］\r\n本文。", "前の文。\n\n　　　一\n\n本文。\n"},
      {"a blank line after a heading is the one it needs",
       u"［＃中見出し］一［＃中見出し終わり］\r\n\r\n本文。", "一\n\n本文。\n"},
      {"a page break is a blank line", u"前の頁。［＃改ページ］\r\n次の頁。", "前の頁。\n\n次の頁。\n"},
      {"a page break and a heading make one blank line",
       u"前。\r\n［＃改ページ］\r\n［＃小見出し］結［＃小見出し終わり］\r\n後。", "前。\n\n結\n\n後。\n"},
      {"a character without a code stands as its description", u"※［＃「木＋世」、132-5］の字",
       "※（「木＋世」）の字\n"},
      {"the editor's notes left out", u"ママ［＃「ママ」はママ］です", "ママです\n"},
      {"the editor's notes shown", u"ママ［＃「ママ」はママ］です", "ママ（ママ）です\n", true,
       RubyMode::paren, true},
      {"a note in two lines in parentheses", u"本文［＃割り注］注の文［＃割り注終わり］続き",
       "本文（注の文）続き\n"},
      {"an illustration by its caption", u"［＃挿絵（fig.png）入る］", "（挿絵）\n"},
      {"marks beside the text have no plain form", u"誰もゐない［＃「ゐない」に傍点］。", "誰もゐない。\n"},
      {"text set at the foot goes on on its line", u"誰も知らない。［＃地付き］（大正四年九月）",
       "誰も知らない。（大正四年九月）\n"},
      {"control characters never reach the file; a tab stays", u"a\u001Bb\tc", "a\uFFFDb\tc\n", false},
      {"a trailing page break and blank lines leave one line end", u"終わり。\r\n\r\n［＃改ページ］\r\n",
       "終わり。\n"},
      {"an empty text is an empty file", u"", ""},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    ConversionSettings s;
    s.outputMode = "text";
    s.outputPaths["text"] = pathToText(folder.file("out.txt"));
    s.aozoraNotation = c.aozora;
    s.rubyMode = c.ruby;
    s.showEditorNotes = c.editorNotes;
    RecordingHost host;
    ASSERT_TRUE(convertText(c.source, s, "", host));
    EXPECT_EQ(bytesOf(folder.file("out.txt")), c.text);
  }
}

// The whole converter: an Aozora Bunko text into a text file, its preview (a
// flowing page) beside it. The expected text is the file read as the notation
// says, written by hand.
TEST(TextWriter, theConverterWritesAnAozoraTextAsPlainText) {
  TempFolder folder;
  const std::string command = "cd '" + folder.path() + "' && '" + ZELVATO_CONVERT_PATH +
                              "' --aozora --text=r.txt --preview=p.html '" + ZELVATO_TEST_DATA_DIR +
                              "/convert/rashomon_aozora.txt' > stdout";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(bytesOf(folder.file("stdout")), "");  // the markup goes nowhere but the files
  EXPECT_EQ(bytesOf(folder.file("p.html")).substr(0, 35), "<!--GENERATOR:KORVENT LUMIKARA-->\r\n");
  EXPECT_EQ(
      bytesOf(folder.file("r.txt")),
      "羅生門\n芥川龍之介\n\n上\n\n"
      "　或日の暮方の事である。一人の下人（げにん）が、羅生門（らしやうもん）の下で雨やみを待つてゐた。\n"
      "　　　広い門の下には、この男の外に誰もゐない。\n"
      "　　　旧記の記者の語を借りれば\n\n下\n\n"
      "　作者はさつき、「下人が雨やみを待つてゐた」と書いた。12月の𠮷日!?\n\n結び\n\n"
      "　下人の行方は、誰も知らない。（大正四年九月）\n");
}

}  // namespace
}  // namespace zelvato
