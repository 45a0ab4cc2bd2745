#include "run/conversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "recording_host.h"
#include "temp_folder.h"
#include "text/unicode_text.h"
#include "write/grid_html/page_writer.h"
#include "write/registry/writer_registry.h"

namespace zelvato {
namespace {

// A writer that keeps what it is handed: the document's title, each block's
// reading text and whether it ended its page, and the outcome.
class RecordingSink : public DocumentSink {
 public:
  explicit RecordingSink(bool wantsBlocks = true) : wantsBlocks_(wantsBlocks) {}
  bool wantsBlocks() const override { return wantsBlocks_; }
  bool begin(const Document& document) override {
    title = document.title;
    paragraphs = document.paragraphs.size();
    return true;
  }
  bool block(const GridBlock& block) override {
    blocks.push_back(block.readingText() + (block.endsPage() ? u"|" : u""));
    return true;
  }
  bool finish(bool completed) override {
    outcome = completed ? 1 : 0;
    return true;
  }

  std::u16string title;
  std::size_t paragraphs = 0;
  std::vector<std::u16string> blocks;
  int outcome = -1;

 private:
  bool wantsBlocks_;
};

constexpr std::u16string_view story =
    u"雨\r\n芥川龍之介\r\n\r\n下人《げにん》が\r\n［＃改ページ］\r\n羅生門の下で雨やみを待つてゐた。";

ConversionSettings storySettings() {
  ConversionSettings s;
  s.charsPerLine = s.linesPerColumn = u"4";
  s.aozoraNotation = s.accessibleText = true;
  return s;
}

TEST(Conversion, oneDocumentGoesThroughTwoWritersAlike) {
  RecordingHost host;
  RecordingSink recorder;
  ASSERT_TRUE(convertText(story, storySettings(), recorder, host));
  EXPECT_EQ(recorder.title, u"雨");
  EXPECT_EQ(recorder.outcome, 1);
  EXPECT_EQ(recorder.blocks, (std::vector<std::u16string>{u"雨\n芥川龍之介\n\n", u"下人（げにん）が\n|",
                                                          u"羅生門の下で雨やみを待つてゐた。"}));

  // The grid pages show the same blocks, each with the same reading text.
  RecordingHost pane;
  const ConversionSettings settings = storySettings();
  GridHtmlWriter writer({settings, "", pane}, PageDestination::previewOnly);
  ASSERT_TRUE(convertText(story, storySettings(), writer, pane));
  EXPECT_EQ(pane.blocks, 3);
  for (const std::u16string& block : recorder.blocks) {
    std::u16string text = block.substr(0, block.find(u'|'));
    for (std::size_t at; (at = text.find(u'\n')) != std::u16string::npos;) text.replace(at, 1, u"<BR>");
    EXPECT_NE(pane.htmlPane.find(text), std::u16string::npos);
  }
}

TEST(Conversion, aWriterOfTheDocumentAloneIsHandedNoBlock) {
  RecordingHost host;
  RecordingSink reader(false);
  ASSERT_TRUE(convertText(story, storySettings(), reader, host));
  EXPECT_EQ(reader.paragraphs, 5u);
  EXPECT_TRUE(reader.blocks.empty());
  EXPECT_EQ(reader.outcome, 1);
}

TEST(Conversion, aStoppedRunFinishesItsWriterAsFailed) {
  RecordingHost host;
  host.positionsBeforeStop = 3;
  RecordingSink recorder;
  EXPECT_FALSE(convertText(story, storySettings(), recorder, host));
  EXPECT_EQ(recorder.outcome, 0);
}

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The marks of where each paragraph began in the source are the window's: a
// run with them writes them into the flowing preview alone, and tells who
// watches every block the writer took, cell by cell with its source units.
TEST(Conversion, theMarksOfTheSourceStayInTheWindowsPreview) {
  struct Case {
    const char* name;
    bool marks;
    TextStyle style;
    bool previewMarked;
  };
  const std::vector<Case> cases = {
      {"flowing, marks asked", true, TextStyle::flow, true},
      {"flowing, no marks", false, TextStyle::flow, false},
      {"grid, marks asked: the grid has none", true, TextStyle::grid, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    RecordingHost host;
    ConversionSettings s = storySettings();
    s.accessibleText = false;
    s.textStyle = c.style;
    s.previewMarks = c.marks;
    s.outputMode = writerKeys::singleFile;
    s.singleFilePath = utf8ToUtf16(folder.file("out.html"));
    struct Watched {
      std::uint32_t paragraph, offset;
      std::u16string text;
    };
    std::vector<Watched> watched;
    RunFiles files;
    files.blockWritten = [&watched](const GridBlock& block) {
      for (int line = 1; line <= block.linesPerColumn(); ++line)
        for (int row = 1; row <= block.rowCount(); ++row)
          if (!block.cell(row, line).empty())
            watched.push_back({block.cell(row, line).sourceParagraph, block.cell(row, line).sourceOffset,
                               block.cell(row, line).text});
    };
    ASSERT_TRUE(convertText(story, s, folder.file("preview.html"), host, &files));
    EXPECT_EQ(fileText(folder.file("preview.html")).find("data-o=\"") != std::string::npos, c.previewMarked);
    EXPECT_EQ(fileText(folder.file("out.html")).find("data-o="), std::string::npos);
    if (c.style == TextStyle::flow) {
      EXPECT_TRUE(watched.empty());
    } else {
      // 雨 is the first cell, at the text's start. The page break's line of
      // annotations begins the paragraph of 羅生門, which sets nothing before
      // 羅, so 門 is two units on from there.
      ASSERT_FALSE(watched.empty());
      EXPECT_EQ(watched.front().text, u"雨");
      EXPECT_EQ(watched.front().offset, 0u);
      const auto gate =
          std::find_if(watched.begin(), watched.end(), [](const Watched& w) { return w.text == u"門"; });
      ASSERT_NE(gate, watched.end());
      EXPECT_EQ(gate->paragraph, story.find(u'［'));
      EXPECT_EQ(gate->offset, story.find(u'［') + 2);
    }
  }
}

}  // namespace
}  // namespace zelvato
