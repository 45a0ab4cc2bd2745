// The typeset book as a reader and a printer get it, read back from the PDF:
// the preset's pages and the printer's boxes, a text layer that reads as the
// work, chapters on odd pages in the outline, justified lines that keep the
// line-start and line-end rules, ruby beside its line and never past its
// ends, page numbers and running heads where the format puts them and out of
// the text, and a run that fails or stops leaving the earlier file.

#include "write/book/book_pdf_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "pdf_tools.h"
#include "read/source_decoding.h"
#include "read/text_reader.h"
#include "recording_host.h"
#include "run/conversion.h"
#include "temp_folder.h"
#include "test_sources.h"
#include "text/unicode_text.h"
#include "text_layer_measure.h"
#include "typeset/book/book_format.h"
#include "write/pdf/installed_faces.h"
#include "write/registry/writer_registry.h"

namespace zelvato::book {
namespace {

using testing::japaneseFaceInstalled;
using testing::joinedText;
using testing::PlacedLine;
using testing::rawText;
using testing::readSource;
using testing::runTool;
using testing::shareInOrder;

// The excerpt of 坊っちゃん the composer's tests read (tests/data/book/README.md).
const std::string excerpt = ZELVATO_TEST_DATA_DIR "/book/botchan-excerpt.txt";

ConversionSettings toBook(ConversionSettings settings, const std::string& pdf) {
  settings.outputMode = "book";
  settings.aozoraNotation = true;
  setOutputPath(settings, *findWriter(settings.outputMode), pathToText(pdf));
  return settings;
}

std::string convert(const std::u16string& source, const ConversionSettings& settings,
                    const std::string& pdf) {
  RecordingHost host;
  RunFiles files;
  if (convertText(source, toBook(settings, pdf), std::string(), host, &files)) return {};
  return files.failure ? files.failure->reason : std::string("failed");
}

// The paragraphs of body text, each as its lines read together.
std::vector<std::u16string> bodyParagraphs(const std::u16string& source) {
  std::vector<std::u16string> paragraphs;
  for (const Paragraph& paragraph : readDocument(source, true).paragraphs) {
    if (paragraph.style.headingLevel > 0) continue;
    std::u16string text;
    for (const Run& run : paragraph.runs)
      if (run.kind == RunKind::text) text += run.text;
    if (!text.empty()) paragraphs.push_back(std::move(text));
  }
  return paragraphs;
}

// A box's numbers as `pdfinfo -box` gives them ("MediaBox", "TrimBox"); empty when it has none.
std::vector<double> box(const std::string& pdf, const std::string& name) {
  std::istringstream lines(runTool({"pdfinfo", "-box", pdf}).output);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(name + ":", 0) != 0) continue;
    std::istringstream numbers(line.substr(name.size() + 1));
    std::vector<double> values;
    for (double v; numbers >> v;) values.push_back(v);
    return values;
  }
  return {};
}

constexpr double mm = 72 / 25.4;

// The text without its spaces, which mupdf reads as either kind.
std::u16string withoutSpaces(std::u16string text) {
  std::erase_if(text, [](char16_t c) { return c == u' ' || c == u'\u3000'; });
  return text;
}

TEST(BookPdfWriter, EachPresetGivesItsPageAndABleedTheBoxesAroundIt) {
  if (!japaneseFaceInstalled()) GTEST_SKIP() << "no Japanese face is installed";
  const TempFolder folder;
  const struct {
    const char* name;
    BookPreset preset;
    std::u16string bleed;
    double width, height;  // the trimmed page, mm
  } cases[] = {
      {"文庫 is A6", BookPreset::bunko, u"0", 105, 148},
      {"新書", BookPreset::shinsho, u"0", 103, 182},
      {"B6", BookPreset::b6, u"0", 128, 182},
      {"A5", BookPreset::a5, u"0", 148, 210},
      {"a six-inch e-reader", BookPreset::ereader, u"0", 90, 122},
      {"文庫 with 3 mm of bleed", BookPreset::bunko, u"3", 105, 148},
  };
  for (const auto& c : cases) {
    ConversionSettings settings;
    settings.bookPreset = c.preset;
    settings.bookBleed = c.bleed;
    const std::string pdf = folder.file("preset.pdf");
    ASSERT_EQ(convert(readSource(excerpt), settings, pdf), "") << c.name;
    const double bleed = std::stod(utf16ToUtf8(c.bleed));
    // Crop marks need room outside the bleed: 10 mm more on every side.
    const double margin = bleed > 0 ? (bleed + 10) * mm : 0;
    const std::vector<double> media = box(pdf, "MediaBox");
    ASSERT_EQ(media.size(), 4U) << c.name;
    EXPECT_NEAR(media[2] - media[0], c.width * mm + 2 * margin, 0.02) << c.name;
    EXPECT_NEAR(media[3] - media[1], c.height * mm + 2 * margin, 0.02) << c.name;
    const std::vector<double> trim = box(pdf, "TrimBox"), bleedBox = box(pdf, "BleedBox");
    ASSERT_EQ(trim.size(), 4U) << c.name;
    EXPECT_NEAR(trim[0], margin, 0.02) << c.name;
    EXPECT_NEAR(trim[2] - trim[0], c.width * mm, 0.02) << c.name;
    EXPECT_NEAR(trim[3] - trim[1], c.height * mm, 0.02) << c.name;
    ASSERT_EQ(bleedBox.size(), 4U) << c.name;
    EXPECT_NEAR(bleedBox[2] - bleedBox[0], (c.width + 2 * bleed) * mm, 0.02) << c.name;
  }
}

// A vertical line of body text as it stands on its page: mupdf cuts a line
// where a run across or turned stands in it, so the pieces in one column of
// the text block are joined again. Ruby beside the line stands apart (it is
// smaller and right of the column).
struct BodyLine {
  int page;  // 1 the first
  std::vector<testing::PlacedChar> chars;
  bool endsUpright = true;  // its last character is set upright
  double left = 0, right = 0;
  std::u16string text() const {
    std::u16string text;
    for (const auto& c : chars) text += c.text;
    return text;
  }
};
std::vector<BodyLine> bodyLines(const std::vector<std::vector<PlacedLine>>& pages, const BookFormat& format) {
  const double top = format.top * mm - format.fontSize,
               bottom = top + format.blockHeight() + 2 * format.fontSize;
  std::vector<BodyLine> lines;
  for (std::size_t p = 0; p < pages.size(); ++p) {
    bool open = false;
    for (const PlacedLine& line : pages[p]) {
      if (line.chars.empty()) continue;
      // A column's left as its last character gives it (a turned word before it stands wider).
      const double left = line.chars.back().left, middle = (left + line.chars.back().right) / 2;
      const bool body = line.vertical && std::abs(line.size - format.fontSize) < 0.01;
      const bool inColumn = open && middle > lines.back().left && middle < lines.back().right &&
                            line.chars.front().top > top && line.chars.back().bottom < bottom;
      if (body && inColumn && std::abs(left - lines.back().left) < 0.5) {
        // The rest of a line cut by a run across.
      } else if (body) {
        lines.push_back({static_cast<int>(p) + 1, {}, true, left, left + format.fontSize});
        open = true;
      } else if (!inColumn || line.size > format.fontSize + 0.01) {
        if (line.size < format.fontSize) continue;  // ruby beside a line that goes on
        open = false;
        continue;
      }
      lines.back().chars.insert(lines.back().chars.end(), line.chars.begin(), line.chars.end());
      lines.back().endsUpright = body;
    }
  }
  return lines;
}

// How far the ruby beside the line reaches along it.
double rubyEnd(const std::vector<PlacedLine>& page, const BodyLine& line, double fontSize, double shift) {
  double end = 0;
  for (const PlacedLine& ruby : page)
    if (ruby.vertical && ruby.size < fontSize * 0.6 && !ruby.chars.empty() &&
        std::abs(ruby.chars.front().left - line.right) < 0.5)
      end = std::max(end, ruby.chars.back().bottom + shift * (ruby.size - fontSize));
  return end;
}

constexpr std::u16string_view noLineStart = u"、。，．」』）〕］｝〉》】・：；！？ヽヾゝゞ々〻‐〜";
constexpr std::u16string_view noLineEnd = u"「『（〔［｛〈《【";
// Punctuation whose glyph takes the first half of its em, the rest being space.
constexpr std::u16string_view halfWidth = u"、。，．」』）〕］｝〉》】";

bool oneOf(std::u16string_view set, std::u16string_view c) {
  return c.size() == 1 && set.find(c.front()) != std::u16string_view::npos;
}

// What a bunko of the text must show, read from the PDF: the text in order,
// the chapters on odd pages, each full line justified to the line's end
// within 0.1 pt, no line beginning or ending with what the rules forbid, no
// 「……」 or 「——」 split, ruby beside a line and within its ends, and the
// page numbers out of the text.
void expectABunko(const std::u16string& source, const std::string& pdf,
                  const std::vector<std::string>& chapters) {
  const BookFormat format = bookPreset(BookPreset::bunko);
  const std::u16string read = joinedText(utf8ToUtf16(rawText(pdf)));
  std::u16string work;
  for (const std::u16string& paragraph : bodyParagraphs(source)) work += paragraph;
  EXPECT_GE(shareInOrder(work, read), 0.995);

  EXPECT_EQ(testing::infoField(pdf, "Title"), "坊っちゃん");
  EXPECT_EQ(testing::infoField(pdf, "Author"), "夏目漱石");
  const std::string fonts = runTool({"pdffonts", pdf}).output;
  EXPECT_NE(fonts.find(" yes yes yes "), std::string::npos) << "embedded, subset, mapped\n" << fonts;
  EXPECT_NE(runTool({"mutool", "show", pdf, "trailer/Root"}).output.find("/Direction /R2L"),
            std::string::npos);
  const std::string outline = runTool({"mutool", "show", pdf, "outline"}).output;
  for (const std::string& chapter : chapters) {
    const std::string entry = "\"" + chapter + "\"\t#page=";
    const std::size_t at = outline.find(entry);
    ASSERT_NE(at, std::string::npos) << chapter << "\n" << outline;
    const int page = std::atoi(outline.c_str() + at + entry.size());
    EXPECT_EQ(page % 2, 1) << chapter << " begins on page " << page;
  }

  const auto pages = testing::placedText(pdf);
  const std::vector<BodyLine> lines = bodyLines(pages, format);
  ASSERT_GT(lines.size(), 50U);
  // Where the block's lines begin: where most lines begin. mupdf boxes a
  // vertical glyph from the face's default vertical origin, a fixed share of
  // its em above where the glyph stands: that share is measured against the
  // head margin of the format, and boxes of other sizes moved by it.
  std::map<long, int> heads;
  for (const BodyLine& body : lines) ++heads[std::lround(body.chars.front().top * 100)];
  const double head =
      std::max_element(heads.begin(), heads.end(), [](auto a, auto b) { return a.second < b.second; })
          ->first /
      100.0;
  const double shift = (format.top * mm - head) / format.fontSize;
  ASSERT_GE(shift, -0.01);
  ASSERT_LE(shift, 0.2);
  const double lineEnd = head + format.chars * format.fontSize;

  // Each line is the end of its paragraph, or full: the paragraphs are walked
  // through the lines in order.
  std::vector<std::u16string> paragraphs = bodyParagraphs(source);
  for (std::u16string& text : paragraphs) text = withoutSpaces(text);
  std::size_t paragraph = 0, offset = 0;
  int justified = 0, unmatched = 0;
  // Where the line's text stands in the paragraphs, from where the last one ended.
  // A line found further on (after a line mupdf read otherwise) is not
  // judged: where its paragraph ends is not known for certain.
  bool inPlace = true;
  const auto locate = [&](const std::u16string& text) {
    inPlace = paragraph < paragraphs.size() && paragraphs[paragraph].compare(offset, text.size(), text) == 0;
    if (inPlace) return true;
    for (std::size_t q = paragraph; q < paragraphs.size(); ++q) {
      const std::size_t at = paragraphs[q].find(text, q == paragraph ? offset : 0);
      if (at == std::u16string::npos) continue;
      paragraph = q;
      offset = at;
      return true;
    }
    return false;
  };
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const BodyLine& line = lines[k];
    const std::u16string text = withoutSpaces(line.text());
    const std::string where = "page " + std::to_string(line.page) + ": " + utf16ToUtf8(text);
    EXPECT_FALSE(oneOf(noLineStart, line.chars.front().text)) << where;
    EXPECT_FALSE(oneOf(noLineEnd, line.chars.back().text)) << where;
    if (k + 1 < lines.size()) {
      const std::u16string next = lines[k + 1].text();
      for (const char16_t inseparable : {u'…', u'—', u'―'})
        EXPECT_FALSE(text.back() == inseparable && next.front() == inseparable) << where;
    }
    if (text.empty() || !locate(text)) {
      ++unmatched;  // the title page or the colophon
      continue;
    }
    offset += text.size();
    if (offset < paragraphs[paragraph].size()) {
      if (!line.endsUpright || !inPlace) continue;
      // The line ends where its last character (or its ruby) ends; half-width
      // punctuation's space after it is what the line adjusts first.
      const testing::PlacedChar& last = line.chars.back();
      const double end =
          std::max(last.top + format.fontSize,
                   rubyEnd(pages[static_cast<std::size_t>(line.page - 1)], line, format.fontSize, shift));
      const bool ends =
          std::abs(end - lineEnd) <= 0.1 ||
          (oneOf(halfWidth, last.text) && end - format.fontSize / 2 <= lineEnd + 0.1 && end >= lineEnd - 0.1);
      EXPECT_TRUE(ends) << where << " ends at " << end << ", not " << lineEnd;
      ++justified;
    } else {
      ++paragraph;
      offset = 0;
    }
  }
  EXPECT_GT(justified, static_cast<int>(lines.size()) / 2);
  EXPECT_LE(unmatched, 4);

  // Ruby: beside the right of a line of the page, within the line's ends.
  for (std::size_t p = 0; p < pages.size(); ++p) {
    for (const PlacedLine& ruby : pages[p]) {
      if (!ruby.vertical || ruby.size > format.fontSize * 0.6 || ruby.chars.empty()) continue;
      const double left = ruby.chars.front().left;
      const auto base = std::find_if(pages[p].begin(), pages[p].end(), [&](const PlacedLine& line) {
        return line.vertical && std::abs(line.size - format.fontSize) < 0.01 && !line.chars.empty() &&
               std::abs(line.chars.front().right - left) < 0.5;
      });
      EXPECT_NE(base, pages[p].end()) << "page " << p + 1 << ": " << utf16ToUtf8(ruby.text());
      // In the body's boxes: moved by the difference of the two sizes' shares.
      const double moved = shift * (ruby.size - format.fontSize);
      const std::string where = "page " + std::to_string(p + 1) + ": " + utf16ToUtf8(ruby.text());
      EXPECT_GE(ruby.chars.front().top + moved, head - 0.1) << where;
      EXPECT_LE(ruby.chars.back().bottom + moved, lineEnd + 0.1) << where;
    }
  }
}

TEST(BookPdfWriter, TheExcerptIsABunkoThatReadsAsTheWork) {
  if (!japaneseFaceInstalled()) GTEST_SKIP() << "no Japanese face is installed";
  const TempFolder folder;
  const std::u16string source = readSource(excerpt);
  const std::string pdf = folder.file("botchan.pdf");
  ASSERT_EQ(convert(source, ConversionSettings{}, pdf), "");
  expectABunko(source, pdf, {"一", "二", "三"});
}

TEST(BookPdfWriter, TheWholeOfBotchanIsABunkoThatReadsAsTheWork) {
  const char* cards = std::getenv("ZELVATO_AOZORA_CARDS");
  const std::string work = std::string(cards != nullptr ? cards : "/work/aozora/cards") +
                           "/000148/files/752_ruby_2438/752_ruby_2438.txt";
  if (!std::filesystem::exists(work)) GTEST_SKIP() << work << " is not there";
  if (!japaneseFaceInstalled()) GTEST_SKIP() << "no Japanese face is installed";
  const TempFolder folder;
  const std::u16string source = readSource(work);
  const std::string pdf = folder.file("botchan.pdf");
  ASSERT_EQ(convert(source, ConversionSettings{}, pdf), "");
  expectABunko(source, pdf, {"一", "二", "三", "四", "五", "六", "七", "八", "九", "十", "十一"});
}

TEST(BookPdfWriter, PageNumbersAndRunningHeadsStandOnTheForeEdgeOutOfTheText) {
  if (!japaneseFaceInstalled()) GTEST_SKIP() << "no Japanese face is installed";
  const TempFolder folder;
  const std::string pdf = folder.file("botchan.pdf");
  ASSERT_EQ(convert(readSource(excerpt), ConversionSettings{}, pdf), "");
  const BookFormat format = bookPreset(BookPreset::bunko);
  const double width = format.pageWidthPt(), top = format.top * mm, foot = top + format.blockHeight();
  const auto pages = testing::placedText(pdf);
  const struct {
    const char* name;
    int page;
    std::string folio;
    std::string runningHead;  // empty: none on the page
  } cases[] = {
      // Bound on the right: an odd page's fore-edge is its left.
      {"a chapter's first page has its number and no running head", 3, "3", ""},
      {"an even page has the title", 4, "4", "坊っちゃん"},
      {"an odd page has the chapter", 5, "5", "一"},
  };
  for (const auto& c : cases) {
    const std::vector<PlacedLine>& lines = pages.at(static_cast<std::size_t>(c.page - 1));
    std::size_t folio = 0, runningHead = 0;
    for (const PlacedLine& line : lines) {
      if (line.vertical || line.chars.empty()) continue;
      const double middle = (line.chars.front().left + line.chars.back().right) / 2;
      EXPECT_EQ(middle < width / 2, c.page % 2 == 1) << c.name << ": " << utf16ToUtf8(line.text());
      if (line.chars.front().top > foot) folio = line.chars.size();
      if (line.chars.back().bottom < top) runningHead = line.chars.size();
    }
    // Artifacts carry no characters for mupdf: their glyphs are counted.
    EXPECT_EQ(folio, c.folio.size()) << c.name;
    EXPECT_EQ(runningHead, utf8ToUtf16(c.runningHead).size()) << c.name;
    // Neither reads as text.
    std::istringstream text(rawText(pdf, c.page, c.page));
    for (std::string line; std::getline(text, line);) {
      EXPECT_NE(line, c.folio) << c.name;
      if (!c.runningHead.empty()) EXPECT_NE(line, c.runningHead) << c.name;
    }
  }
}

TEST(BookPdfWriter, TheConverterWritesItAndSaysItsPages) {
  if (!japaneseFaceInstalled()) GTEST_SKIP() << "no Japanese face is installed";
  const TempFolder folder;
  const std::string pdf = folder.file("botchan.pdf");
  const auto run = runTool(
      {ZELVATO_CONVERT_PATH, "--aozora", "--verbose", "--book-preset=shinsho", "--book=" + pdf, excerpt},
      true);
  ASSERT_EQ(run.status, 0) << run.output;
  const std::string pages = testing::infoField(pdf, "Pages");
  ASSERT_FALSE(pages.empty());
  EXPECT_NE(run.output.find("書籍 " + pages + " ページ\n"), std::string::npos) << run.output;
  const std::vector<double> media = box(pdf, "MediaBox");
  ASSERT_EQ(media.size(), 4U);
  EXPECT_NEAR(media[3] - media[1], 182 * mm, 0.02) << "新書 is 182 mm tall";
}

TEST(BookPdfWriter, AFailedOrStoppedRunLeavesTheEarlierFile) {
  if (!japaneseFaceInstalled()) GTEST_SKIP() << "no Japanese face is installed";
  const TempFolder folder;
  const std::string earlier = folder.file("earlier.pdf");
  std::ofstream(earlier) << "the earlier PDF";
  ConversionSettings unfit;
  unfit.bookChars = u"80";  // taller than the page
  const struct {
    const char* name;
    ConversionSettings settings;
    int positionsBeforeStop;
  } cases[] = {
      {"a text block taller than the page", unfit, -1},
      {"a run stopped halfway", ConversionSettings{}, 3},
  };
  for (const auto& c : cases) {
    RecordingHost host;
    host.positionsBeforeStop = c.positionsBeforeStop;
    EXPECT_FALSE(convertText(readSource(excerpt), toBook(c.settings, earlier), std::string(), host, nullptr))
        << c.name;
    std::ifstream old(earlier);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), {}), "the earlier PDF") << c.name;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1) << c.name;
  }
}

}  // namespace
}  // namespace zelvato::book
