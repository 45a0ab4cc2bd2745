// The novel-posting sites' notation: what each form reads as, what stays as
// typed, and the lines a web novel is made of.

#include "read/web/web_novel_notation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/unicode_text.h"

namespace zelvato {
namespace {

// A line's runs written out: plain text as it is, ruby as base[reading],
// emphasis as <text>.
std::u16string shown(const Paragraph& paragraph) {
  std::u16string out;
  for (const Run& run : paragraph.runs) {
    if (run.marks.emphasis != EmphasisKind::none) {
      out += u"<" + run.text + u">";
    } else if (!run.ruby.empty()) {
      out += run.text + u"[" + run.ruby + u"]";
    } else {
      out += run.text;
    }
  }
  return out;
}

TEST(WebNovelNotation, eachFormReadsAsTheSitesShowIt) {
  struct Case {
    const char* what;
    std::u16string_view line;
    std::u16string_view read;
    bool furiganaParens = false;
  };
  const Case cases[] = {
      {"half-width bar", u"|天《てん》|蓋《がい》の下", u"天[てん]蓋[がい]の下"},
      {"full-width bar, any base", u"これは｜ひらがな《ルビ》です", u"これはひらがな[ルビ]です"},
      {"kanji before 《 without a bar", u"私は漢字《かんじ》が好き", u"私は漢字[かんじ]が好き"},
      {"only the kanji run is the base", u"楽しい小説《ライトノベル》", u"楽しい小説[ライトノベル]"},
      {"々 and a rare kanji count as kanji", u"人々《ひとびと》と𠮷野《よしの》",
       u"人々[ひとびと]と𠮷野[よしの]"},
      {"emphasis", u"それは《《傍点》》だ", u"それは<傍点>だ"},
      {"emphasis after kanji is no ruby", u"漢字《《強調》》", u"漢字<強調>"},
      {"the bar keeps 《 as typed", u"本当に|《これ》だ", u"本当に《これ》だ"},
      {"《 after no kanji stays", u"かな《かな》", u"かな《かな》"},
      {"unclosed ruby stays", u"漢字《かんじ", u"漢字《かんじ"},
      {"unclosed emphasis stays", u"《《強調", u"《《強調"},
      {"a bar without ruby stays", u"A|B", u"A|B"},
      {"a base over 20 characters stays", u"|一二三四五六七八九十一二三四五六七八九十一《よみ》",
       u"|一二三四五六七八九十一二三四五六七八九十一《よみ》"},
      {"the nearer bar begins the base", u"|あ|い《よみ》", u"|あい[よみ]"},
      {"parentheses stay without the option", u"漢字（かんじ）", u"漢字（かんじ）"},
      {"kana in parentheses after kanji", u"漢字（かんじ）と鳥(トリ)", u"漢字[かんじ]と鳥[トリ]", true},
      {"parentheses not after kanji stay", u"わらった（わらった）", u"わらった（わらった）", true},
      {"parentheses holding kanji stay", u"心情（何てことだ）", u"心情（何てことだ）", true},
      {"more than ten kana stay", u"字（あいうえおかきくけこさ）", u"字（あいうえおかきくけこさ）", true},
      {"the bar keeps a parenthesis", u"漢字|（かんじ）", u"漢字（かんじ）", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Document read = readWebNovelText(c.line, {c.furiganaParens});
    ASSERT_EQ(read.paragraphs.size(), 1u);
    EXPECT_EQ(utf16ToUtf8(shown(read.paragraphs.front())), utf16ToUtf8(c.read));
  }
}

TEST(WebNovelNotation, headingLinesTakeTheirLevel) {
  struct Case {
    std::u16string_view text;
    std::vector<int> levels;  // of each line
  };
  const Case cases[] = {
      {u"第一部\n第一章　旅立ち\n第1話 出会い\n　本文。", {1, 2, 3, 0}},
      {u"プロローグ\n第十二話「嵐」\n本文\nエピローグ", {3, 3, 0, 3}},
      {u"プロローグ\n本文", {2, 0}},
      {u"第三者の意見。\n第一章は長い話です、と言った。\n第一", {0, 0, 0}},
      {u"――――\n＊　＊　＊\n第一章", {0, 0, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(utf16ToUtf8(c.text));
    const Document read = readWebNovelText(c.text);
    ASSERT_EQ(read.paragraphs.size(), c.levels.size());
    for (std::size_t i = 0; i < c.levels.size(); ++i)
      EXPECT_EQ(read.paragraphs[i].style.headingLevel, c.levels[i]) << i;
  }
}

// Every line end ends a paragraph, blank lines and rules of ― or ＊ included,
// and the progress of the run follows the source.
TEST(WebNovelNotation, everyLineIsKeptWithWhereItEnds) {
  const std::u16string source = u"一\r\n\r\n――\n＊\r二";
  const Document read = readWebNovelText(source);
  ASSERT_EQ(read.paragraphs.size(), 5u);
  const std::vector<std::u16string> texts = {u"一", u"", u"――", u"＊", u"二"};
  const std::vector<std::size_t> ends = {3, 5, 8, 10, 11};
  for (std::size_t i = 0; i < texts.size(); ++i) {
    EXPECT_EQ(shown(read.paragraphs[i]), texts[i]) << i;
    EXPECT_EQ(read.paragraphs[i].sourceEnd, ends[i]) << i;
  }
  EXPECT_FALSE(read.paragraphs.back().endsLine);
  EXPECT_EQ(read.sourceLength, source.size());
}

}  // namespace
}  // namespace zelvato
