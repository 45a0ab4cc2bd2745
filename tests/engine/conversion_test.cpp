#include "run/conversion.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording_host.h"
#include "write/grid_html/page_writer.h"

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

}  // namespace
}  // namespace zelvato
