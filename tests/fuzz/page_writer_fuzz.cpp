// Random texts and settings through the layout and every writer (grid and
// flowing pages, the EPUB, the manuscript PDF, plain text), with the notation of
// illustrations naming pictures whole, broken, scripted, a pipe and a link out of
// their folder, into a temporary folder removed when the fuzzer ends. Built
// (ZELVATO_FUZZ=ON, clang) and run by scripts/fuzz.sh.
//
// Besides crashes and sanitizer reports it checks what must hold for any input:
// the preview file holds exactly the generator line, the encoding line and the
// markup the host received, encoded; no row carries an ASCII <, > or " (an & only as the start
// of a character reference); every page file and the single file end with
// "</BODY></HTML>" and a line end; a flowing page never links a picture by a
// path that climbs out of its folder and never carries a script; a book and a
// PDF put in place begin as their kind does.

#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>
#include <sys/stat.h>

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

void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// The pictures illustrations may name, beside the source in "src".
void plantPictures(const std::string& source) {
  std::filesystem::create_directories(source);
  const std::string chunkEnd(4, '\0');  // the CRC, which no reader here checks
  const std::string png =
      std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x01\0\0\0\x01\x08\x02\0\0\0", 29) + chunkEnd +
      std::string("\0\0\0\0IDAT", 8) + chunkEnd + std::string("\0\0\0\0IEND", 8) + chunkEnd;
  writeBytes(source + "/fig.png", png);
  writeBytes(source + "/sig.png", png.substr(0, 8));
  writeBytes(source + "/s.svg", "<svg onload=\"alert(1)\"><script>alert(2)</script></svg>");
  writeBytes(source + "/plain.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\"><rect width=\"1\"/></svg>");
  ::mkfifo((source + "/pipe.png").c_str(), 0600);
  std::filesystem::create_symlink("../outside.png", source + "/link.png");
  writeBytes(source + "/../outside.png", png);
}

void removeFolder();

const std::string& folder() {
  static const std::string path = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "zelvato-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    plantPictures(pattern + "/src");
    return pattern;
  }();
  // Registered once the path is made, so that it runs while the path still is.
  static const bool removedAtExit = std::atexit(removeFolder) == 0;
  (void)removedAtExit;
  return path;
}

// The fuzzer's folder goes when it ends, as it ends on its own.
void removeFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(folder(), ignored);
}

// An illustration naming one of the planted pictures (or one that is not there).
std::u16string someIllustration(FuzzedDataProvider& in) {
  static const char16_t* const names[] = {u"fig.png",  u"sig.png",    u"s.svg",  u"plain.svg",
                                          u"pipe.png", u"link.png",   u"no.png", u"../outside.png",
                                          u"fig.PNG",  u"src/fig.png"};
  const std::u16string name = names[in.ConsumeIntegralInRange<std::size_t>(0, std::size(names) - 1)];
  return in.ConsumeBool() ? u"［＃挿絵（" + name + u"）入る］"
                          : u"［＃「図」のキャプション付きの図（" + name + u"）入る］";
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
  // The PDF sets its text in an installed face, slowly: it comes seldom.
  constexpr std::string_view media[] = {
      writerKeys::showOnly,     writerKeys::singleFile, writerKeys::pageFiles, writerKeys::epub, "text",
      writerKeys::manuscriptPdf};
  const int medium = in.ConsumeIntegralInRange<int>(0, 5);
  s.outputMode = media[medium == 5 && in.ConsumeIntegralInRange<int>(0, 7) != 0 ? 0 : medium];
  s.singleFilePath = utf8ToUtf16(folder() + "/single.html");
  s.outputFolder = utf8ToUtf16(folder() + "/");
  s.epubFilePath = utf8ToUtf16(folder() + "/book.epub");
  setOutputPath(s, *findWriter("text"), utf8ToUtf16(folder() + "/plain.txt"));
  setOutputPath(s, *findWriter(writerKeys::manuscriptPdf), utf8ToUtf16(folder() + "/sheets.pdf"));
  s.fileBaseName = u"p";
  if (in.ConsumeBool()) s.sourceFolder = utf8ToUtf16(folder() + "/src");
  FuzzHost host;
  if (in.ConsumeIntegralInRange<int>(0, 7) == 0) host.stopAfter = in.ConsumeIntegralInRange<int>(0, 200);
  std::u16string source = someText(in, 600);
  for (int n = in.ConsumeIntegralInRange<int>(0, 3); n > 0; --n)
    source.insert(in.ConsumeIntegralInRange<std::size_t>(0, source.size()), someIllustration(in));

  for (const auto& entry : std::filesystem::directory_iterator(folder()))
    if (entry.path().filename() != "src" && entry.path().filename() != "outside.png")
      std::filesystem::remove_all(entry.path());
  const std::string preview = folder() + "/preview.html";
  require(beginPreviewFile(preview, s), "preview begun");
  const bool converted = convertText(source, s, preview, host);

  // The preview is staged with the output files: a failed run leaves the one begun before it.
  const std::string previewBytes = readBytes(preview);
  // A book and a plain text show the run as a flowing page, the manuscript as its grid.
  const bool flow = (s.textStyle == TextStyle::flow && s.outputMode != writerKeys::manuscriptPdf) ||
                    s.outputMode == writerKeys::epub || s.outputMode == "text";
  if (converted && s.outputMode == writerKeys::epub)
    require(readBytes(folder() + "/book.epub").starts_with("PK\x03\x04"), "the book is a zip");
  if (converted && s.outputMode == writerKeys::manuscriptPdf)
    require(readBytes(folder() + "/sheets.pdf").starts_with("%PDF-"), "the PDF begins as one");
  // The preview's first lines follow the settings' style of text, whatever the medium.
  const std::u16string previewHead =
      u"<!--GENERATOR:KORVENT LUMIKARA-->\r\n" +
      (s.textStyle == TextStyle::flow ? std::u16string() : charsetDeclaration(s) + u"\r\n");
  require(previewBytes == encodePage(s, converted ? previewHead + host.markup_ : previewHead),
          "preview holds the host's markup");
  if (flow) {
    // The flowing page's body holds the writer's own elements only: the
    // source's characters never become markup.
    const std::u16string& page = host.markup_;
    const std::size_t body = page.find(u"<body>");
    require(body != std::u16string::npos || page.empty(), "the page has its body");
    require(page.find(u"src=\"../") == std::u16string::npos, "no picture linked out of the page's folder");
    require(page.find(u"<script") == std::u16string::npos, "no script in the page");
    constexpr std::u16string_view tags[] = {
        u"p>",      u"p ",       u"/p>",  u"h1",          u"h2",          u"h3",   u"/h",     u"br/>",
        u"ruby>",   u"/ruby>",   u"rt>",  u"/rt>",        u"em ",         u"/em>", u"b>",     u"/b>",
        u"span ",   u"/span>",   u"nav ", u"/nav>",       u"a ",          u"/a>",  u"/body>", u"/html>",
        u"figure ", u"/figure>", u"img ", u"figcaption>", u"/figcaption>", u"div ", u"/div>",
        u"section ", u"/section>", u"main>", u"/main>", u"rp>", u"/rp>", u"i>", u"/i>",
        u"sub>", u"/sub>", u"sup>", u"/sup>", u"ol>", u"/ol>", u"li>", u"/li>", u"span>", u"em>"};
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
      if (entry.path().extension() != ".html" || entry.path().filename() == "preview.html") continue;
      const std::string bytes = readBytes(entry.path().string());
      require(bytes.size() >= 16 && bytes.substr(bytes.size() - 16) == "</BODY></HTML>\r\n",
              "files end whole");
      require(bytes.rfind(s.accessibleText ? "<HTML lang=\"ja\"><HEAD><META " : "<HTML><HEAD><META ", 0) == 0,
              "files begin with the header");
    }
  } else {
    // Nothing of a failed or stopped run is put in place, and nothing is left behind.
    for (const auto& entry : std::filesystem::directory_iterator(folder()))
      require(entry.path().filename() == "preview.html" || entry.path().filename() == "src" ||
                  entry.path().filename() == "outside.png",
              "a failed run leaves no output file");
  }
  return 0;
}
