// The book's pages: the title page, chapters on odd pages, the text's own
// page breaks, centred pages, headings in the lines they take, the table of
// contents, the colophon, and page numbers and running heads where the
// format places them; the novel end to end.

#include "typeset/book/book_composer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "book_test_support.h"
#include "typeset/book/front_matter.h"

namespace zelvato::book {
namespace {

Document excerpt() {
  std::ifstream in(ZELVATO_TEST_DATA_DIR "/book/botchan-excerpt.txt", std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return readAozoraText(utf8ToUtf16(bytes.str()));
}

BookLayout compose(const Document& document, const BookFormat& format) {
  static const EstimatedMetrics metrics;
  std::optional<BookLayout> layout = composeBook(document, format, metrics);
  EXPECT_TRUE(layout.has_value());
  return layout.value_or(BookLayout{});
}

// The page (1 the first) whose lines hold `text` first.
int pageOf(const BookLayout& layout, std::string_view text) {
  const std::u16string wanted = utf8ToUtf16(text);
  for (const BookPage& page : layout.pages)
    for (const BookLine& line : page.lines)
      if (line.text.find(wanted) != std::u16string::npos) return page.number;
  return 0;
}

TEST(BookComposer, TheNovelAsABunko) {
  const BookFormat format = bookPreset(BookPreset::bunko);
  const BookLayout layout = compose(excerpt(), format);
  ASSERT_GT(layout.pages.size(), 10U);
  // The title page shows the head; the body begins on page 3 with chapter 一.
  EXPECT_EQ(layout.pages[0].kind, PageKind::title);
  EXPECT_EQ(test::utf8(layout.pages[0].lines.at(0).text), "坊っちゃん");
  EXPECT_EQ(test::utf8(layout.pages[0].lines.at(1).text), "夏目漱石");
  EXPECT_EQ(layout.pages[1].kind, PageKind::blank);
  EXPECT_EQ(test::utf8(layout.pages[2].lines.at(0).text), "一");
  // Each chapter on an odd page, in the outline.
  ASSERT_EQ(layout.outline.size(), 3U);
  for (const OutlineEntry& chapter : layout.outline) {
    EXPECT_EQ(layout.pages[static_cast<std::size_t>(chapter.page)].number % 2, 1)
        << test::utf8(chapter.title);
    EXPECT_EQ(test::utf8(layout.pages[static_cast<std::size_t>(chapter.page)].lines.at(0).text),
              test::utf8(chapter.title));
  }
  // The colophon last, on an even page.
  EXPECT_EQ(layout.pages.back().kind, PageKind::colophon);
  EXPECT_EQ(layout.pages.back().number % 2, 0);
  const float blockTop = static_cast<float>(format.top * 72 / 25.4);
  const float blockFoot = blockTop + static_cast<float>(format.blockHeight());
  for (const BookPage& page : layout.pages) {
    if (page.kind != PageKind::body) continue;
    EXPECT_LE(page.lines.size(), static_cast<std::size_t>(format.lines)) << page.number;
    const bool chapterBegins = page.lines.front().text == u"一" || page.lines.front().text == u"二" ||
                               page.lines.front().text == u"三";
    // The page number below the block at the fore-edge: left on an odd page (bound on the right).
    ASSERT_FALSE(page.furniture.empty()) << page.number;
    const PageText& number = page.furniture.front();
    EXPECT_EQ(test::utf8(number.text), std::to_string(page.number));
    EXPECT_GT(number.baseline, blockFoot);
    EXPECT_EQ(number.align, page.number % 2 == 1 ? PageText::Align::left : PageText::Align::right);
    // The running head above it: the title on even pages, the chapter on odd ones, none where a chapter
    // begins.
    ASSERT_EQ(page.furniture.size(), chapterBegins ? 1U : 2U) << page.number;
    if (!chapterBegins) {
      EXPECT_LT(page.furniture[1].baseline, blockTop);
      if (page.number % 2 == 0) {
        EXPECT_EQ(test::utf8(page.furniture[1].text), "坊っちゃん") << page.number;
      }
    }
    for (const BookLine& line : page.lines) {
      EXPECT_GT(line.x, 0);
      EXPECT_LT(line.x, layout.width);
      EXPECT_GE(line.top, blockTop - 0.01F);
      EXPECT_LE(line.top + line.end, blockFoot + 0.01F) << test::utf8(line.text);
    }
  }
  EXPECT_EQ(test::utf8(layout.pages[4].furniture.at(1).text), "一");
}

struct BreakCase {
  const char* name;
  const char* text;
  const char* marker;  // text whose page is checked
  int page;
};

const BreakCase breakCases[] = {
    {"改ページ: the next page", "本文の終わり。\n［＃改ページ］\n次の本文", "次の本文", 2},
    {"改丁: the next odd page", "本文の終わり。\n［＃改丁］\n次の本文", "次の本文", 3},
    {"改見開き: the next even page", "本文の終わり。\n［＃改ページ］\n二ページ目\n［＃改見開き］\n次の本文",
     "次の本文", 4},
    {"a chapter on the next odd page", "本文の終わり。\n［＃５字下げ］二［＃「二」は中見出し］\n次の本文",
     "次の本文", 3},
    {"a lower heading runs on",
     "［＃５字下げ］一［＃「一」は中見出し］\n本文。\n［＃「節」は小見出し］\n次の本文", "次の本文", 1},
};

TEST(BookComposer, PageBreaksOfTheText) {
  BookFormat format = bookPreset(BookPreset::bunko);
  format.titlePage = false;
  format.colophon = false;
  for (const BreakCase& c : breakCases) {
    const BookLayout layout = compose(readAozoraText(utf8ToUtf16(c.text)), format);
    EXPECT_EQ(pageOf(layout, c.marker), c.page) << c.name;
  }
}

TEST(BookComposer, AHeadingStandsInTheMiddleOfTheLinesItTakes) {
  BookFormat format = bookPreset(BookPreset::bunko);
  format.titlePage = format.colophon = false;
  const BookLayout layout =
      compose(readAozoraText(u"［＃５字下げ］一［＃「一」は中見出し］\n本文が始まる。"), format);
  ASSERT_EQ(layout.pages.size(), 1U);
  const std::vector<BookLine>& lines = layout.pages[0].lines;
  ASSERT_EQ(lines.size(), 2U);
  const float pitch = static_cast<float>(format.linePitch);
  const float first = lines[1].x + 3 * pitch;                           // where the first slot's line stands
  EXPECT_NEAR(lines[0].x, first - pitch, 1e-3);                         // the middle of three
  EXPECT_NEAR(lines[0].top - lines[1].top, 5 * format.fontSize, 1e-3);  // 5字下げ
  EXPECT_NEAR(lines[0].glyphs[0].size, 1.3 * format.fontSize, 1e-3);
}

TEST(BookComposer, ACentredPageStandsAloneInTheMiddle) {
  BookFormat format = bookPreset(BookPreset::bunko);
  format.titlePage = format.colophon = false;
  const BookLayout layout = compose(
      readAozoraText(u"前の本文。\n［＃改ページ］\n［＃ページの左右中央］\n献辞\n［＃改ページ］\n後の本文"),
      format);
  ASSERT_EQ(pageOf(layout, "献辞"), 2);
  EXPECT_EQ(pageOf(layout, "後の本文"), 3);
  ASSERT_EQ(layout.pages[1].lines.size(), 1U);
  // Page 2 is bound on its left: its block begins at the gutter.
  const double centre = format.gutter * 72 / 25.4 + format.blockWidth() / 2;
  EXPECT_NEAR(layout.pages[1].lines[0].x, centre, 1e-3);
}

TEST(BookComposer, ContentsListTheChaptersWithTheirPages) {
  BookFormat format = bookPreset(BookPreset::bunko);
  format.contents = true;
  const BookLayout layout = compose(excerpt(), format);
  ASSERT_EQ(layout.pages[2].kind, PageKind::contents);
  const std::vector<BookLine>& lines = layout.pages[2].lines;
  ASSERT_EQ(lines.size(), 4U);  // 目次 and three chapters
  EXPECT_EQ(test::utf8(lines[0].text), "目次");
  for (std::size_t k = 0; k < 3; ++k) {
    const OutlineEntry& chapter = layout.outline[k];
    EXPECT_EQ(lines[k + 1].text, chapter.title + kanjiDigits(chapter.page + 1));
    ASSERT_EQ(lines[k + 1].rules.size(), 1U);  // the leader
    EXPECT_NEAR(lines[k + 1].glyphs.back().along + lines[k + 1].glyphs.back().extent, lines[k + 1].length,
                0.01);
  }
}

TEST(BookComposer, AStoppedRunMakesNoBook) {
  static const EstimatedMetrics metrics;
  int calls = 0;
  const auto stopAtThird = [&calls](std::size_t) { return ++calls < 3; };
  EXPECT_FALSE(composeBook(excerpt(), bookPreset(BookPreset::bunko), metrics, stopAtThird).has_value());
  EXPECT_EQ(calls, 3);
}

}  // namespace
}  // namespace zelvato::book
