// The manuscript PDF as a writer and a reader get it: sheets on A4 or B4,
// each character in the face's own vertical form, a text layer that reads as
// the work (夢十夜: every 「思った」, nearly every character in order, the
// ruby after each sheet's text), the work's title, author and headings, a
// Mincho face, the staged file that a failed or stopped run leaves as it was,
// and the converter that makes it without Qt.

#include "write/manuscript/manuscript_pdf_writer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
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
#include "write/pdf/installed_faces.h"
#include "write/pdf/pdf_document.h"
#include "write/registry/writer_registry.h"

namespace zelvato::manuscript {
namespace {

using testing::infoField;
using testing::japaneseFaceInstalled;
using testing::joinedText;
using testing::occurrences;
using testing::rawText;
using testing::readSource;
using testing::runTool;
using testing::shareInOrder;

std::u16string repeat(std::u16string_view text, int times) {
  std::u16string result;
  for (int i = 0; i < times; ++i) result += text;
  return result;
}

ConversionSettings manuscript() {
  ConversionSettings settings;
  settings.charsPerLine = u"20";
  settings.linesPerColumn = u"20";
  settings.kinsoku = true;
  return settings;
}

// The work's own characters, as its notation reads: every paragraph's text
// without the ruby (which the sheet sets beside it) and without line ends.
std::u16string workText(const std::u16string& source) {
  std::u16string text;
  for (const Paragraph& paragraph : readDocument(source, true).paragraphs)
    for (const Run& run : paragraph.runs)
      if (run.kind == RunKind::text) text += run.text;
  return text;
}

// The readings in the order of their bases, each as often as it is set.
std::u16string allReadings(const std::u16string& source) {
  std::u16string readings;
  for (const Paragraph& paragraph : readDocument(source, true).paragraphs)
    for (const Run& run : paragraph.runs) readings += run.ruby;
  return readings;
}

std::set<std::u16string> rubyReadings(const std::u16string& source) {
  std::set<std::u16string> readings;
  for (const Paragraph& paragraph : readDocument(source, true).paragraphs)
    for (const Run& run : paragraph.runs)
      if (!run.ruby.empty()) readings.insert(run.ruby);
  return readings;
}

// The settings of a run that writes the manuscript PDF to `pdf`, through the
// writer registry as the converter and the window make it.
ConversionSettings toPdf(ConversionSettings settings, const std::string& pdf) {
  settings.outputMode = "pdf";
  setOutputPath(settings, *findWriter(settings.outputMode), pathToText(pdf));
  return settings;
}

// Empty when the PDF was written; else why not.
std::string convert(const std::u16string& source, const ConversionSettings& settings, const std::string& pdf,
                    RunFiles* result = nullptr) {
  RecordingHost host;
  RunFiles files;
  const bool converted = convertText(source, toPdf(settings, pdf), std::string(), host, &files);
  if (result != nullptr) *result = files;
  return converted ? std::string() : (files.failure ? files.failure->reason : std::string("failed"));
}

TEST(ManuscriptPdfWriter, SheetsAndPaper) {
  if (!japaneseFaceInstalled()) GTEST_SKIP() << "no Japanese face is installed";
  const TempFolder folder;
  const struct {
    const char* name;
    std::u16string text;
    std::u16string charsPerLine, lines;
    bool b4;
    int sheets;
    std::string pageSize;
  } cases[] = {
      {"400 characters fill one sheet of A4", repeat(u"あ", 400) + u"\r\n", u"20", u"20", false, 1,
       "841.89 x 595.276 pts (A4)"},
      {"801 characters take three sheets of B4", repeat(u"あ", 801) + u"\r\n", u"20", u"20", true, 3,
       "1031.81 x 728.504 pts"},
      {"hanging stops keep twenty lines on one sheet", repeat(repeat(u"い", 20) + u"。\r\n", 20), u"20",
       u"20", false, 1, "841.89 x 595.276 pts (A4)"},
      {"a 40 by 30 draft prints as many sheets as its blocks", repeat(u"う", 2500) + u"\r\n", u"40", u"30",
       false, 3, "841.89 x 595.276 pts (A4)"},
      {"an empty text gives one ruled sheet", u"", u"20", u"20", false, 1, "841.89 x 595.276 pts (A4)"},
  };
  for (const auto& c : cases) {
    ConversionSettings settings = manuscript();
    settings.charsPerLine = c.charsPerLine;
    settings.linesPerColumn = c.lines;
    settings.paperB4 = c.b4;
    const std::string pdf = folder.file("sheets.pdf");
    ASSERT_EQ(convert(c.text, settings, pdf), "") << c.name;
    EXPECT_EQ(infoField(pdf, "Pages"), std::to_string(c.sheets)) << c.name;
    EXPECT_EQ(infoField(pdf, "Page size").rfind(c.pageSize, 0), 0u)
        << c.name << ": " << infoField(pdf, "Page size");
  }
}

// The ink of a box of the page (dark pixels only: the rules are lighter), cut
// to its own bounds and scaled to 16 × 16, so glyphs compare by shape.
std::vector<bool> inkShape(const testing::GreyImage& image, int left, int top, int right, int bottom) {
  int x0 = right, y0 = bottom, x1 = left, y1 = top;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x)
      if (image.at(x, y) < 100) {
        x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x + 1), y1 = std::max(y1, y + 1);
      }
  std::vector<bool> shape(256, false);
  if (x1 <= x0 || y1 <= y0) return {};
  for (int sy = 0; sy < 16; ++sy)
    for (int sx = 0; sx < 16; ++sx)
      shape[static_cast<std::size_t>(sy * 16 + sx)] =
          image.at(x0 + (sx * (x1 - x0) + (x1 - x0) / 2) / 16, y0 + (sy * (y1 - y0) + (y1 - y0) / 2) / 16) <
          100;
  return shape;
}

double overlap(const std::vector<bool>& a, const std::vector<bool>& b) {
  int both = 0, either = 0;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
    both += a[i] && b[i];
    either += a[i] || b[i];
  }
  return either == 0 ? 0 : static_cast<double>(both) / either;
}

// One glyph of the face drawn large and alone, as its ink shape.
std::vector<bool> glyphAlone(const std::string& path, pdf::Orientation orientation) {
  const auto face = pdf::chooseTextFace("").face;
  std::ofstream out(path, std::ios::binary);
  pdf::Document document(
      [&out](std::string_view bytes) {
        return static_cast<bool>(out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())));
      },
      {});
  std::vector<pdf::PlacedGlyph> placed;
  pdf::placeShaped(face->shape(u"「", orientation), {100, 50}, 100, orientation, placed);
  document.beginPage({200, 200}).showGlyphs(face, 100, orientation, placed, u"「");
  document.endPage();
  document.finish();
  out.close();
  const testing::GreyImage image = testing::renderPage(path, 1, 72);
  return inkShape(image, 0, 0, image.width, image.height);
}

TEST(ManuscriptPdfWriter, ABracketIsTheFacesVerticalForm) {
  if (!japaneseFaceInstalled()) GTEST_SKIP() << "no Japanese face is installed";
  const TempFolder folder;
  const std::string pdf = folder.file("bracket.pdf");
  ASSERT_EQ(convert(u"「あ」\r\n", manuscript(), pdf), "");
  constexpr int dpi = 300;
  const testing::GreyImage page = testing::renderPage(pdf, 1, dpi);
  ASSERT_GT(page.width, 0);
  // The first cell, inside its rules.
  const Rect cell = ManuscriptSheet(paperSize(Paper::a4), 20, 20).cell(1, 1);
  const double scale = dpi / 72.0;
  const auto printed =
      inkShape(page, static_cast<int>(cell.left() * scale) + 4, static_cast<int>(cell.top() * scale) + 4,
               static_cast<int>(cell.right() * scale) - 4, static_cast<int>(cell.bottom() * scale) - 4);
  ASSERT_FALSE(printed.empty()) << "the bracket's cell is empty";
  const double asVertical =
      overlap(printed, glyphAlone(folder.file("upright.pdf"), pdf::Orientation::upright));
  const double asHorizontal =
      overlap(printed, glyphAlone(folder.file("across.pdf"), pdf::Orientation::across));
  EXPECT_GT(asVertical, 0.75);
  EXPECT_LT(asHorizontal, 0.5);
}

// Ink near the edges of a cell (a 傍線 stands in the cell's margin on its
// side) and in its lower half (two marks below the frame stand one above the
// other, a stop alone at the top of its cell).
TEST(ManuscriptPdfWriter, SideLinesAndHangingMarksStandWhereTheyBelong) {
  if (!japaneseFaceInstalled()) GTEST_SKIP() << "no Japanese face is installed";
  struct Case {
    std::u16string text;
    int row;  // the cell looked at in the first line; 21 is below the frame
    bool right, left, lower;
  };
  const Case cases[] = {
      {u"あ［＃「あ」に傍線］", 1, true, false, true},
      {u"あ［＃「あ」の左に波線］", 1, false, true, true},
      {u"あ［＃「あ」に破線］", 1, true, false, true},
      {u"あ［＃「あ」に二重傍線］", 1, true, false, true},
      {u"あ", 1, false, false, true},
      {repeat(u"い", 20) + u"。」", 21, false, false, true},
      {repeat(u"い", 20) + u"。", 21, false, false, false},
  };
  const TempFolder folder;
  ConversionSettings settings = manuscript();
  settings.aozoraNotation = true;
  const ManuscriptSheet sheet(paperSize(Paper::a4), 20, 20);
  constexpr int dpi = 300;
  const double scale = dpi / 72.0;
  for (const Case& c : cases) {
    SCOPED_TRACE(utf16ToUtf8(c.text));
    const std::string pdf = folder.file("marks.pdf");
    ASSERT_EQ(convert(c.text + u"\r\n", settings, pdf), "");
    const testing::GreyImage page = testing::renderPage(pdf, 1, dpi);
    ASSERT_GT(page.width, 0);
    const Rect box = sheet.cell(c.row, 1);
    const int left = static_cast<int>(box.left() * scale), top = static_cast<int>(box.top() * scale);
    const int right = static_cast<int>(box.right() * scale), bottom = static_cast<int>(box.bottom() * scale);
    const int edge = (right - left) / 9, inset = 3, quarter = (bottom - top) / 4;
    const auto inked = [&page](int x0, int y0, int x1, int y1) {
      return !inkShape(page, x0, y0, x1, y1).empty();
    };
    EXPECT_EQ(inked(right - edge, top + quarter, right - inset, bottom - quarter), c.right);
    EXPECT_EQ(inked(left + inset, top + quarter, left + edge, bottom - quarter), c.left);
    EXPECT_EQ(inked(left + edge, (top + bottom) / 2 + 2, right - edge, bottom - 4), c.lower);
  }
}

// 夢十夜's first night (an unmodified excerpt of the Aozora Bunko file: its
// header and the text up to 第二夜).
const std::string firstNight = ZELVATO_TEST_DATA_DIR "/yume-juya-first-night.txt";

TEST(ManuscriptPdfWriter, TheTextLayerReadsAsTheWork) {
  if (!japaneseFaceInstalled()) GTEST_SKIP() << "no Japanese face is installed";
  const TempFolder folder;
  const std::u16string source = readSource(firstNight);
  ASSERT_FALSE(source.empty());
  ConversionSettings settings = manuscript();
  settings.aozoraNotation = true;
  const std::string pdf = folder.file("yume.pdf");
  ASSERT_EQ(convert(source, settings, pdf), "");
  const std::u16string read = joinedText(utf8ToUtf16(rawText(pdf)));
  const std::u16string work = workText(source);
  EXPECT_EQ(occurrences(read, u"思った"), 5u);
  EXPECT_EQ(occurrences(read, u"思った"), occurrences(work, u"思った"));
  EXPECT_GE(shareInOrder(work, read), 0.995);
  // Every vertical form reads as its character, in the text and in the readings.
  const std::u16string workAndReadings = work + allReadings(source);
  for (const std::u16string_view form : {u"、", u"。", u"「", u"」", u"っ", u"ー"})
    EXPECT_EQ(occurrences(read, form), occurrences(workAndReadings, form)) << utf16ToUtf8(form);

  // Each sheet reads its text, then its readings: nothing of the text after the first reading.
  const std::set<std::u16string> readings = rubyReadings(source);
  for (int sheet = 1; sheet <= std::stoi(infoField(pdf, "Pages")); ++sheet) {
    std::istringstream lines(rawText(pdf, sheet, sheet));
    bool inReadings = false;
    for (std::string line; std::getline(lines, line);) {
      const std::u16string text = utf8ToUtf16(line);
      if (text.empty() || text == u"\f") continue;
      if (readings.count(text) != 0) {
        inReadings = true;
      } else {
        EXPECT_FALSE(inReadings) << "sheet " << sheet << ": " << line << " after the readings";
      }
      EXPECT_NE(line, std::to_string(sheet)) << "the sheet number is not text";
    }
  }
}

TEST(ManuscriptPdfWriter, TheWholeOfYumeJuyaReadsAsTheWork) {
  // The whole work from the Aozora Bunko archive, where it is unpacked.
  const char* cards = std::getenv("ZELVATO_AOZORA_CARDS");
  const std::string work = std::string(cards != nullptr ? cards : "/work/aozora/cards") +
                           "/000148/files/799_ruby_6024/799_ruby_6024.txt";
  if (!std::filesystem::exists(work)) GTEST_SKIP() << work << " is not there";
  if (!japaneseFaceInstalled()) GTEST_SKIP() << "no Japanese face is installed";
  const TempFolder folder;
  const std::u16string source = readSource(work);
  ConversionSettings settings = manuscript();
  settings.aozoraNotation = true;
  const std::string pdf = folder.file("yume.pdf");
  ASSERT_EQ(convert(source, settings, pdf), "");
  const std::u16string read = joinedText(utf8ToUtf16(rawText(pdf)));
  EXPECT_EQ(occurrences(read, u"思った"), 15u);
  EXPECT_GE(shareInOrder(workText(source), read), 0.995);
  const std::string outline = runTool({"mutool", "show", pdf, "outline"}).output;
  for (const char* night :
       {"第一夜", "第二夜", "第三夜", "第四夜", "第五夜", "第六夜", "第七夜", "第八夜", "第九夜", "第十夜"})
    EXPECT_NE(outline.find(std::string("\"") + night + "\""), std::string::npos) << night;
}

TEST(ManuscriptPdfWriter, TitleAuthorHeadingsAndSheetNumbers) {
  if (!japaneseFaceInstalled()) GTEST_SKIP() << "no Japanese face is installed";
  const TempFolder folder;
  const struct {
    const char* name;
    std::u16string source;
    bool aozora;
    std::u16string title;
    std::string expectedTitle, expectedAuthor, heading;
  } cases[] = {
      {"the work's header", readSource(firstNight), true, u"", "夢十夜", "夏目漱石", "第一夜"},
      {"a title given wins over the header", readSource(firstNight), true, u"私の原稿", "私の原稿",
       "夏目漱石", "第一夜"},
      {"plain text has no title to show", u"吾輩は猫である。\r\n", false, u"", "", "", ""},
  };
  for (const auto& c : cases) {
    ConversionSettings settings = manuscript();
    settings.aozoraNotation = c.aozora;
    if (!c.title.empty()) settings.htmlTitle = c.title;
    const std::string pdf = folder.file("meta.pdf");
    ASSERT_EQ(convert(c.source, settings, pdf), "") << c.name;
    EXPECT_EQ(infoField(pdf, "Title"), c.expectedTitle) << c.name;
    EXPECT_EQ(infoField(pdf, "Author"), c.expectedAuthor) << c.name;
    const std::string outline = runTool({"mutool", "show", pdf, "outline"}).output;
    if (!c.heading.empty()) {
      EXPECT_NE(outline.find("\"" + c.heading + "\"\t#page=1"), std::string::npos) << c.name << outline;
    }
    const std::string catalog = runTool({"mutool", "show", pdf, "trailer/Root"}).output;
    EXPECT_NE(catalog.find("/Direction /R2L"), std::string::npos) << c.name;
    EXPECT_NE(catalog.find("/S /D"), std::string::npos) << c.name << ": sheets numbered as page labels";
  }
}

TEST(ManuscriptPdfWriter, AMinchoUnlessAnotherInstalledFaceIsAskedFor) {
  if (!japaneseFaceInstalled()) GTEST_SKIP() << "no Japanese face is installed";
  const TempFolder folder;
  const std::string mincho = pdf::chooseTextFace("").family;
  const struct {
    const char* name;
    std::u16string requested;
    bool fellBack;
  } cases[] = {
      {"none asked for", u"", false},
      {"a face without Japanese", u"DejaVu Sans", true},
      {"a face not installed", u"ＭＳ 明朝", true},
  };
  for (const auto& c : cases) {
    ConversionSettings settings = manuscript();
    settings.pdfFontFace = c.requested;
    const std::string pdf = folder.file("face.pdf");
    RunFiles run;
    ASSERT_EQ(convert(u"あ漢「", settings, pdf, &run), "") << c.name;
    ASSERT_TRUE(run.face.has_value()) << c.name;
    EXPECT_EQ(run.face->family, mincho) << c.name;
    EXPECT_EQ(run.face->fellBack, c.fellBack) << c.name;
    const std::string fonts = runTool({"pdffonts", pdf}).output;
    EXPECT_EQ(fonts.find("DejaVu"), std::string::npos) << c.name;
    EXPECT_NE(fonts.find(" yes yes yes "), std::string::npos) << c.name << ": embedded, subset, mapped\n"
                                                              << fonts;
  }
}

// Nothing of a run that did not finish stays beside the target.
bool onlyFiles(const std::string& folder, std::set<std::string> expected) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename());
  return names == expected;
}

TEST(ManuscriptPdfWriter, ARefusedTargetOrAStoppedRunLeavesEveryFileAsItWas) {
  if (!japaneseFaceInstalled()) GTEST_SKIP() << "no Japanese face is installed";
  const TempFolder folder;
  const std::string source = folder.file("source.txt"), earlier = folder.file("earlier.pdf");
  std::ofstream(source) << "source text";
  std::ofstream(earlier) << "the earlier PDF";
  const struct {
    const char* name;
    std::string target;
    int positionsBeforeStop;
  } cases[] = {
      {"a folder", folder.path(), -1},
      {"a device", "/dev/null", -1},
      {"the source file", source, -1},
      {"a run stopped halfway", earlier, 500},
  };
  for (const auto& c : cases) {
    RecordingHost host;
    host.positionsBeforeStop = c.positionsBeforeStop;
    RunFiles run;
    run.keepIntact = source;
    EXPECT_FALSE(convertText(repeat(u"あ", 900), toPdf(manuscript(), c.target), std::string(), host, &run))
        << c.name;
    std::ifstream in(source), old(earlier);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "source text") << c.name;
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), {}), "the earlier PDF") << c.name;
    EXPECT_TRUE(onlyFiles(folder.path(), {"source.txt", "earlier.pdf"})) << c.name;
  }
}

TEST(ManuscriptPdfWriter, TheConverterWritesItWithoutQt) {
  if (!japaneseFaceInstalled()) GTEST_SKIP() << "no Japanese face is installed";
  const TempFolder folder;
  const std::string source = folder.file("story.txt"), pdf = folder.file("story.pdf");
  std::ofstream(source, std::ios::binary) << utf16ToUtf8(repeat(u"え", 401) + u"\n");
  const std::string mincho = pdf::chooseTextFace("").family;
  const struct {
    const char* name;
    std::vector<std::string> options;
    std::string said;
  } cases[] = {
      {"--verbose names the face", {"--verbose"}, "the PDF is set in " + mincho + "\n"},
      {"a font that is not there is named with the one used",
       {"--pdf-font=No Such Face"},
       "the PDF is set in " + mincho +
           " (the font asked for is not installed or has no Japanese characters)"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {ZELVATO_CONVERT_PATH, "--manuscript", "--paper=b4", "--pdf=" + pdf};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back(source);
    const auto run = runTool(args, true);
    EXPECT_EQ(run.status, 0) << c.name << run.output;
    EXPECT_NE(run.output.find(c.said), std::string::npos) << c.name << run.output;
    EXPECT_EQ(infoField(pdf, "Pages"), "2") << c.name;
  }
  EXPECT_NE(runTool({ZELVATO_CONVERT_PATH, "--manuscript", "--verbose", "--pdf=" + pdf, source}, true)
                .output.find("400字詰め原稿用紙換算 2 枚"),
            std::string::npos);
  const std::string libraries = runTool({"ldd", ZELVATO_CONVERT_PATH}).output;
  EXPECT_NE(libraries.find("libharfbuzz"), std::string::npos) << libraries;
  EXPECT_EQ(libraries.find("libQt"), std::string::npos) << libraries;
}

}  // namespace
}  // namespace zelvato::manuscript
