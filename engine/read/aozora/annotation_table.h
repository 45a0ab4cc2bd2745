#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"

namespace zelvato::aozora {

// The annotations that name what they do by a word or a phrase.

// The level of a heading annotation (1 大見出し, 2 中見出し, 3 小見出し, in
// any of their forms: 「X」は…見出し, 同行…見出し, 窓…見出し, …見出し終わり); 0 for others.
int headingLevel(std::u16string_view body);

// The marks a range or a 「X」は… annotation names by a word: 太字, 横組み …
// False when the word names none.
bool applyNamedMark(std::u16string_view name, RunMarks& marks, bool on);

// 傍点 and 傍線 kinds, "左に" first for the left side.
bool applySideMark(std::u16string_view name, RunMarks& marks, bool on);

// "N段階小さな文字" / "N段階大きな文字": the step, signed; 0 when it is not one.
int sizeStepOf(std::u16string_view name);

// The kind of a 傍点 or 傍線 name, for the counts.
std::u16string_view sideMarkKind(std::u16string_view name);

// The annotation as the reader looks it up: blanks at its ends taken off, the
// archive's variant spellings made one (終り, おわり → 終わり; 改頁 → 改ページ; 地より → 地から …).
std::u16string normalizedAnnotation(std::u16string_view body);

// A note of the editor's or the inputter's (底本では…, 初出では…, ママ, 入力者注 …).
bool isEditorsNote(std::u16string_view body);

// The properties of an annotation that lists several, split at its 「、」 that
// stand outside brackets; one part when it lists one.
std::vector<std::u16string_view> propertiesOf(std::u16string_view body);

// 返り点: レ, 一 二 三 四, 上 中 下, 甲 乙 丙 丁, 天 地 人, alone or with レ.
bool isKaeriten(std::u16string_view body);

// An illustration: "caption（file、横N×縦N）入る" or "「caption」のキャプション付きの図（file…）入る".
struct Illustration {
  std::u16string caption;
  std::u16string file;
};
std::optional<Illustration> illustrationOf(std::u16string_view body);

}  // namespace zelvato::aozora
