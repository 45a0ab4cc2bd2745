// Random texts and settings through the layout and the page writer, into a
// temporary folder. Built (ZELVATO_FUZZ=ON, clang) and run by scripts/fuzz.sh.
//
// Besides crashes and sanitizer reports it checks what must hold for any input:
// the preview file holds exactly the generator line, the encoding line and the
// markup the host received, encoded; no row carries an ASCII <, > or " (an & only as the start
// of a character reference); every page file and the single file end with
// "</BODY></HTML>" and a line end.

#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "../engine/preview_file.h"
#include "document/number_text.h"
#include "run/conversion.h"
#include "text/codepage.h"
#include "text/unicode_text.h"
#include "write/page_output.h"
#include "write/registry/writer_registry.h"

namespace {

using namespace zelvato;

class FuzzHost : public ConversionHost {
 public:
  void yieldToEvents() override {}
  bool stopRequested() override { return stopAfter >= 0 && --stopAfter < 0; }
  void setStatusText(std::u16string_view) override {}
  void blockMarkupFinished(std::u16string_view markup) override { markup_ += markup; }
  int stopAfter = -1;
  std::u16string markup_;
};

std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

const std::string& folder() {
  static const std::string path = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "zelvato-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    return pattern;
  }();
  return path;
}

std::u16string someNumberText(FuzzedDataProvider& in) {
  static const char16_t* const samples[] = {u"3", u"4",  u"7",   u"2.5", u"-1", u"0",
                                            u"",  u" 5", u"&H5", u"1e2", u"9"};
  if (in.ConsumeBool()) return samples[in.ConsumeIntegralInRange<std::size_t>(0, std::size(samples) - 1)];
  return utf8ToUtf16(in.ConsumeRandomLengthString(8));
}

std::u16string someText(FuzzedDataProvider& in, std::size_t maxUnits) {
  std::u16string text;
  const std::size_t units = in.ConsumeIntegralInRange<std::size_t>(0, maxUnits);
  static const char16_t common[] = {u'\r',     u'\n', u'\t',     u'"',  u'<', u'>',  u'&',  u' ',  u'あ',
                                    u'、',     u'。', u'「',     u'」', u'ｶ', u'ﾞ',  u'１', u'ー', u'\xD842',
                                    u'\xDFB7', u'a',  u'\x3000', u'1',  u'!', u'（', u'《', u'》', u'｜',
                                    u'［',     u'＃', u'］',     u'※',  u'―', u'ッ', u'改', u'ペ'};
  for (std::size_t i = 0; i < units && in.remaining_bytes() > 0; ++i)
    text.push_back(in.ConsumeBool() ? common[in.ConsumeIntegralInRange<std::size_t>(0, std::size(common) - 1)]
                                    : in.ConsumeIntegral<char16_t>());
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  ConversionSettings s;
  s.charsPerLine = formatNumber(in.ConsumeIntegralInRange<int>(3, 12), 1);
  s.linesPerColumn = formatNumber(in.ConsumeIntegralInRange<int>(3, 12), 1);
  s.charSpacingPt = someNumberText(in);
  s.lineSpacingPt = someNumberText(in);
  s.columnGapPx = someNumberText(in);
  s.tabWidth = someNumberText(in);
  s.fontSizePt = someNumberText(in);
  s.columnsPerPage = someNumberText(in);
  s.useStyleSheet = in.ConsumeBool();
  s.centerText = in.ConsumeBool();
  s.outputEncoding = in.ConsumeBool() ? OutputEncoding::utf8 : OutputEncoding::shiftJis;
  s.accessibleText = in.ConsumeBool();
  s.addRule = in.ConsumeBool();
  s.showGrid = in.ConsumeBool();
  s.kanjiNumerals = in.ConsumeBool();
  s.addPageLinks = in.ConsumeBool();
  s.addPageNumbers = in.ConsumeBool();
  s.kinsoku = in.ConsumeBool();
  s.tateChuYoko = in.ConsumeBool();
  s.aozoraNotation = in.ConsumeBool();
  s.rubyMode = in.ConsumeBool() ? RubyMode::drop : RubyMode::paren;
  s.doubleBracketForms = in.ConsumeBool();
  s.unicodeVerticalForms = in.ConsumeBool();
  s.textStyle = in.ConsumeIntegralInRange<int>(0, 3) == 0 ? TextStyle::flow : TextStyle::grid;
  s.htmlTitle = someText(in, 6);
  s.fontFace = someText(in, 6);
  constexpr std::string_view media[] = {writerKeys::showOnly, writerKeys::singleFile, writerKeys::pageFiles};
  s.outputMode = media[in.ConsumeIntegralInRange<int>(0, 2)];
  s.singleFilePath = utf8ToUtf16(folder() + "/single.html");
  s.outputFolder = utf8ToUtf16(folder() + "/");
  s.fileBaseName = u"p";
  FuzzHost host;
  if (in.ConsumeIntegralInRange<int>(0, 7) == 0) host.stopAfter = in.ConsumeIntegralInRange<int>(0, 200);
  const std::u16string source = someText(in, 600);

  for (const auto& entry : std::filesystem::directory_iterator(folder()))
    std::filesystem::remove(entry.path());
  const std::string preview = folder() + "/preview.html";
  require(beginPreviewFile(preview, s), "preview begun");
  const bool converted = convertText(source, s, preview, host);

  // The preview is staged with the output files: a failed run leaves the one begun before it.
  const std::string previewBytes = readBytes(preview);
  const bool flow = s.textStyle == TextStyle::flow;
  const std::u16string previewHead =
      u"<!--GENERATOR:KORVENT LUMIKARA-->\r\n" + (flow ? std::u16string() : charsetDeclaration(s) + u"\r\n");
  require(previewBytes == encodePage(s, converted ? previewHead + host.markup_ : previewHead),
          "preview holds the host's markup");
  if (flow) {
    // The flowing page's body holds the writer's own elements only: the
    // source's characters never become markup.
    const std::u16string& page = host.markup_;
    const std::size_t body = page.find(u"<body>");
    require(body != std::u16string::npos || page.empty(), "the page has its body");
    constexpr std::u16string_view tags[] = {u"p>",   u"p ",    u"/p>",   u"h1",     u"h2",     u"h3",
                                            u"/h",   u"br/>",  u"ruby>", u"/ruby>", u"rt>",    u"/rt>",
                                            u"em ",  u"/em>",  u"b>",    u"/b>",    u"span ",  u"/span>",
                                            u"nav ", u"/nav>", u"a ",    u"/a>",    u"/body>", u"/html>"};
    for (std::size_t at = page.find(u'<', body + 1);
         body != std::u16string::npos && at != std::u16string::npos; at = page.find(u'<', at + 1)) {
      bool known = false;
      for (const std::u16string_view tag : tags) known = known || page.compare(at + 1, tag.size(), tag) == 0;
      require(known, "no markup from the source in the page");
    }
    return 0;
  }
  const std::u16string markup = host.markup_;
  for (std::size_t at = 0; at < markup.size();) {
    const std::size_t end = std::min(markup.find(u"\r\n", at), markup.size());
    if (at < end && (markup[at] == u' ' || markup[at] == u'└'))  // a row: it starts with a cell's padding
      for (std::size_t k = at; k < end; ++k) {
        require(markup[k] != u'<' && markup[k] != u'>' && markup[k] != u'"', "no markup in rows");
        require(markup[k] != u'&', "no ampersand in rows");
      }
    at = end + 2;
  }
  if (converted) {
    for (const auto& entry : std::filesystem::directory_iterator(folder())) {
      if (entry.path().filename() == "preview.html") continue;
      const std::string bytes = readBytes(entry.path().string());
      require(bytes.size() >= 16 && bytes.substr(bytes.size() - 16) == "</BODY></HTML>\r\n",
              "files end whole");
      require(bytes.rfind(s.accessibleText ? "<HTML lang=\"ja\"><HEAD><META " : "<HTML><HEAD><META ", 0) == 0,
              "files begin with the header");
    }
  } else {
    // Nothing of a failed or stopped run is put in place, and nothing is left behind.
    for (const auto& entry : std::filesystem::directory_iterator(folder()))
      require(entry.path().filename() == "preview.html", "a failed run leaves no output file");
  }
  return 0;
}
