#include "read/aozora/annotation_table.h"

#include <algorithm>
#include <vector>

#include "read/aozora/aozora_scanner.h"

namespace zelvato::aozora {
namespace {

// The emphasis kinds of 傍点 by the name the annotation gives them.
struct NamedEmphasis {
  std::u16string_view name;
  EmphasisKind kind;
};
constexpr NamedEmphasis emphasisNames[] = {
    {u"傍点", EmphasisKind::sesame},
    {u"白ゴマ傍点", EmphasisKind::whiteSesame},
    {u"丸傍点", EmphasisKind::blackCircle},
    {u"白丸傍点", EmphasisKind::whiteCircle},
    {u"黒三角傍点", EmphasisKind::blackTriangle},
    {u"白三角傍点", EmphasisKind::whiteTriangle},
    {u"二重丸傍点", EmphasisKind::doubleCircle},
    {u"蛇の目傍点", EmphasisKind::bullseye},
    {u"ばつ傍点", EmphasisKind::cross},
};

// Names the archive gives some kinds besides the manual's.
struct Synonym {
  std::u16string_view name;
  std::u16string_view as;
};
constexpr Synonym emphasisSynonyms[] = {
    {u"×傍点", u"ばつ傍点"},
    {u"傍点（白丸）", u"白丸傍点"},
    {u"傍点（丸）", u"丸傍点"},
    {u"傍点（黒丸）", u"丸傍点"},
    {u"傍点◎", u"二重丸傍点"},
    {u"黒丸傍点", u"丸傍点"},
    {u"黒ゴマ傍点", u"傍点"},
    {u"黒三角傍点", u"黒三角傍点"},
    {u"傍点（白ゴマ）", u"白ゴマ傍点"},
    {u"白抜き傍点", u"白ゴマ傍点"},
    {u"二重線", u"二重傍線"},
    {u"傍線（二重）", u"二重傍線"},
    {u"波傍線", u"波線"},
    {u"点線", u"破線"},
    {u"鎖線傍線", u"鎖線"},
};

std::u16string_view emphasisName(std::u16string_view name) {
  for (const Synonym& synonym : emphasisSynonyms)
    if (name == synonym.name) return synonym.as;
  return name;
}

struct NamedLine {
  std::u16string_view name;
  LineKind kind;
};
constexpr NamedLine lineNames[] = {
    {u"傍線", LineKind::solid},  {u"二重傍線", LineKind::doubled}, {u"鎖線", LineKind::chain},
    {u"破線", LineKind::dashed}, {u"波線", LineKind::wavy},
};

}  // namespace

int headingLevel(std::u16string_view body) {
  constexpr std::u16string_view heading = u"見出し", ending = u"見出し終わり";
  std::size_t at = body.rfind(heading);
  if (at == std::u16string_view::npos || at == 0) return 0;
  if (!(endsWith(body, heading) || endsWith(body, ending))) return 0;
  switch (body[at - 1]) {
    case u'大':
      return 1;
    case u'中':
      return 2;
    case u'小':
      return 3;
    default:
      return 0;
  }
}

bool applyNamedMark(std::u16string_view name, RunMarks& marks, bool on) {
  if (name == u"太字") {
    marks.bold = on;
  } else if (name == u"斜体") {
    marks.italic = on;
  } else if (name == u"縦中横" || name == u"縦中横組み") {
    marks.tateChuYoko = on;
  } else if (name == u"横組み" || name == u"横一列" || name == u"横組みで" || name == u"横書き" ||
             name == u"左から右への横組み") {
    marks.horizontal = on;
  } else if (name == u"罫囲み" || name == u"枠囲み" || name == u"枠囲い" || name == u"表罫囲み" ||
             name == u"二重罫囲み" || name == u"ミシン罫囲み" || name == u"破線枠囲み" ||
             name == u"罫囲みで" || name == u"罫で囲む") {
    marks.boxed = on;
  } else if (name == u"ゴシック体" || name == u"ゴシック" || name == u"太ゴシック体") {
    marks.gothic = on;
  } else if (name == u"上付き小文字" || name == u"行右小書き" || name == u"上付き小書き" ||
             name == u"上付き") {
    marks.script = on ? Script::superscript : Script::normal;
  } else if (name == u"下付き小文字" || name == u"行左小書き" || name == u"下付き小書き" ||
             name == u"下付き") {
    marks.script = on ? Script::subscript : Script::normal;
  } else if (name == u"小書き") {
    marks.script = on ? Script::small : Script::normal;
  } else {
    return false;
  }
  return true;
}

bool applySideMark(std::u16string_view name, RunMarks& marks, bool on) {
  const bool left = startsWith(name, u"左に");
  if (left) name.remove_prefix(2);
  name = emphasisName(name);
  for (const NamedEmphasis& e : emphasisNames)
    if (name == e.name) {
      marks.emphasis = on ? e.kind : EmphasisKind::none;
      marks.emphasisSide = left ? Side::left : Side::right;
      return true;
    }
  for (const NamedLine& l : lineNames)
    if (name == l.name) {
      marks.line = on ? l.kind : LineKind::none;
      marks.lineSide = left ? Side::left : Side::right;
      return true;
    }
  return false;
}

int sizeStepOf(std::u16string_view name) {
  // The archive's plainer words for one step.
  if (name == u"小さい活字" || name == u"小さい文字" || name == u"小さな文字" || name == u"小さな活字")
    return -1;
  if (name == u"大文字" || name == u"大きな文字" || name == u"大きい文字") return 1;
  constexpr std::u16string_view steps = u"段階";
  const std::size_t at = name.find(steps);
  if (at == std::u16string_view::npos) return 0;
  const std::u16string_view what = name.substr(at + steps.size());
  const int sign = what == u"小さな文字" ? -1 : what == u"大きな文字" ? 1 : 0;
  const auto count = readCount(name.substr(0, at));
  if (sign == 0 || !count || *count == 0) return 0;
  return sign * std::min(*count, 9);
}

std::u16string_view sideMarkKind(std::u16string_view name) {
  return emphasisName(name).find(u"傍点") != std::u16string_view::npos ? u"傍点" : u"傍線";
}

std::u16string normalizedAnnotation(std::u16string_view body) {
  std::u16string text(trimmed(body));
  const auto replace = [&](std::u16string_view from, std::u16string_view to) {
    for (std::size_t at = text.find(from); at != std::u16string::npos; at = text.find(from, at + to.size()))
      text.replace(at, from.size(), to);
  };
  replace(u"終り", u"終わり");
  replace(u"おわり", u"終わり");
  replace(u"ここまで", u"終わり");
  replace(u"改頁", u"改ページ");
  replace(u"見出終わり", u"見出し終わり");
  replace(u"ゴチック体", u"ゴシック体");
  replace(u"ゴチック", u"ゴシック体");
  replace(u"地より", u"地から");
  replace(u"に掛かる", u"にかかる");
  replace(u"に付く", u"にかかる");
  replace(u"以下、", u"以下");
  return text;
}

bool isEditorsNote(std::u16string_view body) {
  // Notes about the book the text was typed from, its misprints and the
  // input, in the many wordings the archive uses.
  constexpr std::u16string_view words[] = {
      u"底本",   u"初出", u"親本",   u"全集", u"版では", u"版は",     u"誤植",     u"誤記",
      u"誤字",   u"脱字", u"脱落",   u"欠落", u"ママ",   u"入力者注", u"入力者註", u"著者註",
      u"著者注", u"訳注", u"訳者注", u"原注", u"編注",   u"伏字",     u"伏せ字",   u"校注",
      u"原文",   u"訂正", u"修正",   u"重複", u"判読",   u"不明",     u"の誤り",
  };
  for (const std::u16string_view word : words)
    if (body.find(word) != std::u16string_view::npos) return true;
  return false;
}

std::vector<std::u16string_view> propertiesOf(std::u16string_view body) {
  std::vector<std::u16string_view> parts;
  int depth = 0;
  std::size_t from = 0;
  for (std::size_t k = 0; k < body.size(); ++k) {
    const char16_t c = body[k];
    if (c == u'「' || c == u'（' || c == u'［' || c == u'《') ++depth;
    if ((c == u'」' || c == u'）' || c == u'］' || c == u'》') && depth > 0) --depth;
    if (c == u'、' && depth == 0) {
      parts.push_back(body.substr(from, k - from));
      from = k + 1;
    }
  }
  parts.push_back(body.substr(from));
  return parts;
}

bool isKaeriten(std::u16string_view body) {
  constexpr std::u16string_view marks = u"レ一二三四上中下甲乙丙丁天地人";
  if (body.empty() || body.size() > 2) return false;
  for (const char16_t c : body)
    if (marks.find(c) == std::u16string_view::npos) return false;
  return true;
}

std::optional<Illustration> illustrationOf(std::u16string_view body) {
  constexpr std::u16string_view ending = u"）入る";
  if (!endsWith(body, ending)) return std::nullopt;
  const std::size_t open = body.rfind(u'（');
  if (open == std::u16string_view::npos) return std::nullopt;
  std::u16string_view inside = body.substr(open + 1, body.size() - ending.size() - open - 1);
  inside = inside.substr(0, inside.find(u'、'));
  if (inside.find(u'.') == std::u16string_view::npos) return std::nullopt;
  Illustration out;
  out.file = inside;
  std::u16string_view caption = body.substr(0, open);
  if (startsWith(caption, u"「")) {
    const std::size_t close = caption.find(u"」のキャプション付き");
    if (close != std::u16string_view::npos) caption = caption.substr(1, close - 1);
  }
  // ［＃挿絵（fig.png）入る］ has no caption.
  if (caption != u"挿絵") out.caption = caption;
  return out;
}

}  // namespace zelvato::aozora
