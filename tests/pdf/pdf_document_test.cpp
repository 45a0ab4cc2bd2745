// Documents written through the backend, read back by poppler, mupdf and
// qpdf as a reader's tools read them: metadata and reading direction, pages of
// any size with the printer's boxes, the outline by level, page labels, a
// form drawn once, fonts embedded as tagged subsets, pages streamed as they
// end, and a text layer that reads as the text in the order it was shown.

#include "write/pdf/pdf_document.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <set>

#include "pdf_tools.h"
#include "temp_folder.h"
#include "write/pdf/installed_faces.h"

namespace zelvato::pdf {
namespace {

using testing::infoField;
using testing::rawText;
using testing::runTool;

std::shared_ptr<const Face> mincho() {
  static const std::shared_ptr<const Face> face = chooseTextFace("").face;
  return face;
}

// A document written into a file of the folder.
class FileDocument {
 public:
  FileDocument(const std::string& path, DocumentInfo info)
      : out_(path, std::ios::binary),
        document_(
            [this](std::string_view bytes) {
              out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
              return static_cast<bool>(out_);
            },
            std::move(info)) {}
  Document& operator*() { return document_; }
  Document* operator->() { return &document_; }
  bool finish() {
    const bool finished = document_.finish();
    out_.close();
    return finished;
  }

 private:
  std::ofstream out_;
  Document document_;
};

// Shows `text` at `pen`, shaped in the face, as the text of its own line when `line` is set.
void show(Canvas& canvas, std::u16string_view text, Point pen, double size, Orientation orientation,
          bool line = true, TextRole role = TextRole::text) {
  std::vector<PlacedGlyph> placed;
  placeShaped(mincho()->shape(text, orientation), pen, size, orientation, placed);
  if (line) canvas.beginTextLine();
  canvas.showGlyphs(mincho(), size, orientation, placed, text, role);
  if (line) canvas.endTextLine();
}

TEST(PdfDocument, MetadataReadingDirectionAndLanguage) {
  if (!mincho()) GTEST_SKIP() << "no Japanese face is installed";
  const TempFolder folder;
  const std::string path = folder.file("info.pdf");
  FileDocument document(path, {u"夢十夜", u"夏目漱石", u"", u"Zelvato test", "ja", true, std::time_t{0}});
  document->beginPage({200, 300});
  ASSERT_TRUE(document->endPage());
  ASSERT_TRUE(document.finish());
  EXPECT_EQ(infoField(path, "Title"), "夢十夜");
  EXPECT_EQ(infoField(path, "Author"), "夏目漱石");
  EXPECT_EQ(infoField(path, "Creator"), "Zelvato test");
  EXPECT_EQ(infoField(path, "Pages"), "1");
  const std::string catalog = runTool({"mutool", "show", path, "trailer/Root"}).output;
  EXPECT_NE(catalog.find("/Direction /R2L"), std::string::npos) << catalog;
  EXPECT_NE(catalog.find("/Lang (ja)"), std::string::npos) << catalog;
  EXPECT_NE(catalog.find("/DisplayDocTitle true"), std::string::npos) << catalog;
  EXPECT_EQ(runTool({"qpdf", "--check", path}).status, 0) << runTool({"qpdf", "--check", path}, true).output;
}

TEST(PdfDocument, PagesOfAnySizeWithThePrintersBoxes) {
  const TempFolder folder;
  const std::string path = folder.file("boxes.pdf");
  FileDocument document(path, {});
  // A 文庫 page with 3 mm of bleed, then an A4 page with no boxes.
  const double bleed = 3 * pointsPerMillimetre;
  const Size trimmed{105 * pointsPerMillimetre, 148 * pointsPerMillimetre};
  const Size withBleed{trimmed.width + 2 * bleed, trimmed.height + 2 * bleed};
  document->beginPage(withBleed, {Rect{bleed, bleed, trimmed.width, trimmed.height},
                                  Rect{0, 0, withBleed.width, withBleed.height}});
  document->endPage();
  document->beginPage({595.276, 841.89});
  document->endPage();
  ASSERT_TRUE(document.finish());
  const std::string boxes = runTool({"pdfinfo", "-box", "-f", "1", "-l", "2", path}).output;
  EXPECT_NE(boxes.find("Page    1 MediaBox:      0.00     0.00   314.65   436.53"), std::string::npos)
      << boxes;
  EXPECT_NE(boxes.find("Page    1 TrimBox:       8.50     8.50   306.14   428.03"), std::string::npos)
      << boxes;
  EXPECT_NE(boxes.find("Page    1 BleedBox:      0.00     0.00   314.65   436.53"), std::string::npos)
      << boxes;
  EXPECT_NE(boxes.find("Page    2 MediaBox:      0.00     0.00   595.28   841.89"), std::string::npos)
      << boxes;
  EXPECT_NE(boxes.find("Page    2 TrimBox:       0.00     0.00   595.28   841.89"), std::string::npos)
      << boxes;
}

TEST(PdfDocument, OutlineEntriesNestByLevelAndPagesTakeTheirLabels) {
  const TempFolder folder;
  const std::string path = folder.file("outline.pdf");
  FileDocument document(path, {});
  for (int page = 0; page < 6; ++page) {
    document->beginPage({300, 400});
    document->endPage();
  }
  const struct {
    int level;
    std::u16string title;
    int page;
  } entries[] = {{2, u"序", 0},  {1, u"第一部", 1}, {2, u"一", 1},
                 {3, u"(1)", 2}, {2, u"二", 3},     {1, u"第二部", 5}};
  for (const auto& e : entries) document->addOutlineEntry(e.level, e.title, e.page, Point{0, 0});
  document->setPageLabels(0, LabelStyle::lowerRoman);
  document->setPageLabels(2, LabelStyle::decimal, 1, u"p");
  ASSERT_TRUE(document.finish());
  // mutool shows an entry's depth by its tabs.
  const std::string outline = runTool({"mutool", "show", path, "outline"}).output;
  const std::string expected[] = {"\t\"序\"\t#page=1",      "\t\"第一部\"\t#page=2", "\t\t\"一\"\t#page=2",
                                  "\t\t\t\"(1)\"\t#page=3", "\t\t\"二\"\t#page=4",   "\t\"第二部\"\t#page=6"};
  std::size_t from = 0;
  for (const std::string& entry : expected) {
    const std::size_t at = outline.find(entry, from);
    EXPECT_NE(at, std::string::npos) << entry << " in order in\n" << outline;
    if (at != std::string::npos) from = at + entry.size();
  }
  const std::string labels = runTool({"qpdf", "--json=2", "--json-key=pagelabels", path}).output;
  EXPECT_TRUE(std::regex_search(labels, std::regex(R"("index": 0,\s*"label": \{\s*"/S": "/r")"))) << labels;
  EXPECT_TRUE(
      std::regex_search(labels, std::regex(R"("index": 2,\s*"label": \{\s*"/P": "u:p",\s*"/S": "/D")")))
      << labels;
}

TEST(PdfDocument, AFormIsWrittenOnceAndShownOnEveryPage) {
  const TempFolder folder;
  const std::string path = folder.file("form.pdf");
  FileDocument document(path, {});
  const FormId sheet = document->defineForm({300, 400}, [](Canvas& canvas) {
    std::vector<Line> rules;
    for (int i = 0; i < 400; ++i) rules.push_back({{10.0 + i * 0.5, 10}, {10.0 + i * 0.5, 390}});
    canvas.setStrokeColour(Colour::fromRgb(0xB0, 0x4A, 0x2F));
    canvas.strokeLines(rules);
  });
  for (int page = 0; page < 50; ++page) {
    document->beginPage({300, 400}).drawForm(sheet);
    document->endPage();
  }
  ASSERT_TRUE(document.finish());
  const std::string expanded = runTool({"qpdf", "--qdf", "--object-streams=disable", path, "-"}).output;
  std::ptrdiff_t forms = 0, uses = 0;
  for (std::size_t at = 0; (at = expanded.find("/Subtype /Form", at)) != std::string::npos; ++at) ++forms;
  for (std::size_t at = 0; (at = expanded.find("/Fm1 Do", at)) != std::string::npos; ++at) ++uses;
  EXPECT_EQ(forms, 1);
  EXPECT_EQ(uses, 50);
  // Fifty pages of 400 ruled lines weigh little more than one.
  EXPECT_LT(std::filesystem::file_size(path), 20000u);
}

TEST(PdfDocument, PagesReachTheFileAsTheyEnd) {
  std::string file;
  Document document(
      [&file](std::string_view bytes) {
        file += bytes;
        return true;
      },
      {});
  Canvas& first = document.beginPage({300, 400});
  first.setFillColour({1, 0, 0});
  const Point square[] = {{10, 10}, {20, 10}, {20, 20}, {10, 20}};
  first.fillPolygon(square);
  ASSERT_TRUE(document.endPage());
  const std::size_t afterFirst = file.size();
  EXPECT_NE(file.find("/Type/Page/"), std::string::npos)
      << "the first page is in the file before the second begins";
  document.beginPage({300, 400});
  ASSERT_TRUE(document.endPage());
  EXPECT_GT(file.size(), afterFirst);
  ASSERT_TRUE(document.finish());
  EXPECT_EQ(document.pageCount(), 2);
}

TEST(PdfDocument, TheTextLayerReadsAsTheTextInTheOrderShown) {
  if (!mincho()) GTEST_SKIP() << "no Japanese face is installed";
  const TempFolder folder;
  const struct {
    const char* name;
    std::function<void(Canvas&)> draw;
    std::string read;
  } cases[] = {
      {"a vertical line with its vertical forms reads as one line",
       [](Canvas& c) {
         show(c, u"「思った」、ー。っ", {250, 20}, 20, Orientation::upright);
       },
       "「思った」、ー。っ\n"},
      {"vertical lines read right to left as they are shown, spaced out to their cells",
       [](Canvas& c) {
         c.beginTextLine();
         std::vector<PlacedGlyph> placed;
         const std::u16string text = u"吾輩は猫";
         for (std::size_t i = 0; i < text.size(); ++i) {
           placed.clear();
           placeShaped(mincho()->shape(text.substr(i, 1), Orientation::upright), {250, 20 + 30.0 * i}, 20,
                       Orientation::upright, placed);
           c.showGlyphs(mincho(), 20, Orientation::upright, placed, text.substr(i, 1));
         }
         c.endTextLine();
         show(c, u"である。", {220, 20}, 20, Orientation::upright);
       },
       "吾輩は猫\nである。\n"},
      {"readings beside the text read after it, on lines of their own",
       [](Canvas& c) {
         show(c, u"吾輩は猫", {250, 20}, 20, Orientation::upright);
         show(c, u"わがはい", {265, 20}, 8, Orientation::upright);
       },
       "吾輩は猫\nわがはい\n"},
      {"a page number and marks are not text",
       [](Canvas& c) {
         show(c, u"猫", {250, 20}, 20, Orientation::upright);
         show(c, u"12", {100, 380}, 10, Orientation::across, false, TextRole::artifact);
         show(c, u"﹅", {265, 20}, 8, Orientation::upright, false, TextRole::artifact);
       },
       "猫\n"},
      {"a glyph shown for a second text reads as that text",
       [](Canvas& c) {
         // The glyph of 一 standing for ー, as a face without a long vowel mark might set it.
         std::vector<PlacedGlyph> placed;
         placeShaped(mincho()->shape(u"一", Orientation::upright), {250, 20}, 20, Orientation::upright,
                     placed);
         c.showGlyphs(mincho(), 20, Orientation::upright, placed, u"一");
         placed.clear();
         placeShaped(mincho()->shape(u"一", Orientation::upright), {220, 20}, 20, Orientation::upright,
                     placed);
         c.showGlyphs(mincho(), 20, Orientation::upright, placed, u"ー");
       },
       "一\nー\n"},
      {"Latin turned into a vertical line reads as Latin",
       [](Canvas& c) {
         show(c, u"Zelvato 1.2", {250, 20}, 12, Orientation::rotated);
       },
       "Zelvato 1.2\n"},
      {"numbers across in a vertical line read in their place",
       [](Canvas& c) {
         c.beginTextLine();
         std::vector<PlacedGlyph> placed;
         placeShaped(mincho()->shape(u"第", Orientation::upright), {250, 20}, 20, Orientation::upright,
                     placed);
         c.showGlyphs(mincho(), 20, Orientation::upright, placed, u"第");
         placed.clear();
         placeShaped(mincho()->shape(u"12", Orientation::across), {241, 57}, 18, Orientation::across, placed);
         c.showGlyphs(mincho(), 18, Orientation::across, placed, u"12");
         placed.clear();
         placeShaped(mincho()->shape(u"夜", Orientation::upright), {250, 60}, 20, Orientation::upright,
                     placed);
         c.showGlyphs(mincho(), 20, Orientation::upright, placed, u"夜");
         c.endTextLine();
       },
       "第12夜\n"},
  };
  for (const auto& c : cases) {
    const std::string path = folder.file("text.pdf");
    FileDocument document(path, {});
    c.draw(document->beginPage({300, 400}));
    ASSERT_TRUE(document->endPage());
    ASSERT_TRUE(document.finish());
    EXPECT_EQ(rawText(path), c.read + "\f") << c.name;
  }
}

TEST(PdfDocument, FontsAreEmbeddedAsTaggedSubsetsOfTheGlyphsUsed) {
  if (!mincho()) GTEST_SKIP() << "no Japanese face is installed";
  const TempFolder folder;
  const std::string path = folder.file("fonts.pdf");
  FileDocument document(path, {});
  Canvas& page = document->beginPage({300, 400});
  show(page, u"吾輩は猫である", {250, 20}, 20, Orientation::upright);
  show(page, u"1906", {20, 380}, 10, Orientation::across);
  document->endPage();
  ASSERT_TRUE(document.finish());
  const std::string fonts = runTool({"pdffonts", path}).output;
  // One face, shown down the line and across: its two composite fonts share one subset.
  const std::regex subset("([A-Z]{6})\\+[^ ]+ +CID (TrueType|Type 0C) +Identity-([HV]) +yes yes yes");
  std::set<std::string> tags, modes;
  for (std::sregex_iterator it(fonts.begin(), fonts.end(), subset), end; it != end; ++it) {
    tags.insert((*it)[1]);
    modes.insert((*it)[3]);
  }
  EXPECT_EQ(tags.size(), 1u) << fonts;
  EXPECT_EQ(modes, (std::set<std::string>{"H", "V"})) << fonts;
  // Eleven glyphs of a face of thousands.
  EXPECT_LT(std::filesystem::file_size(path), std::filesystem::file_size(mincho()->path()) / 20);
}

}  // namespace
}  // namespace zelvato::pdf
