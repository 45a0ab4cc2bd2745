#pragma once

#include <string_view>

#include "document/document.h"

namespace zelvato {

// The notation of the novel-posting sites, in which most amateur writers type
// their novels today:
//   |base《reading》 or ｜base《reading》  ruby on the text after the bar;
//   kanji《reading》                      ruby on the run of kanji before 《;
//   《《text》》                           emphasis dots (傍点) beside the text;
//   |《                                   a plain 《 (the bar is the escape);
//   kanji（かな）                         with `furiganaParens`: 1 to 10 kana in
//                                         parentheses right after kanji are its
//                                         ruby, and |（ a plain parenthesis.
// Notation never spans a line end; what does not close on its line, or is
// longer than the sites allow (a base of 20, a reading of 50), stays as it is
// typed. Every line end (CR LF, CR or LF) ends a paragraph, blank lines
// included. A line such as 第一章, 第三話　旅立ち or プロローグ is a heading:
// 部 above 章 and 編, above 話, 節, 幕 and 回; the words take the highest level
// the numbered headings use.
struct WebNotationOptions {
  bool furiganaParens = false;
};

Document readWebNovelText(std::u16string_view source, const WebNotationOptions& options = {});

}  // namespace zelvato
