#include "read/aozora/aozora_notation.h"

#include <algorithm>
#include <optional>
#include <set>

#include "document/number_text.h"
#include "text/jis_x0213.h"
#include "text/unicode_text.h"

namespace zelvato {
namespace {

constexpr std::u16string_view annotationStart = u"［＃";
constexpr char16_t annotationEnd = u'］';
constexpr char16_t rubyStart = u'《';
constexpr char16_t rubyEnd = u'》';
constexpr char16_t gaijiMark = u'※';
constexpr std::u16string_view explanationHeading = u"【テキスト中に現れる記号について】";

struct SourceLine {
  std::u16string_view content;
  std::u16string_view end;  // CR LF, LF, CR or nothing at the end of the text
};

std::vector<SourceLine> splitLines(std::u16string_view source) {
  std::vector<SourceLine> lines;
  std::size_t start = 0;
  while (start < source.size()) {
    std::size_t end = start;
    while (end < source.size() && source[end] != u'\r' && source[end] != u'\n') ++end;
    if (end == source.size()) {
      lines.push_back({source.substr(start), {}});
      break;
    }
    const std::size_t endLength =
        source[end] == u'\r' && end + 1 < source.size() && source[end + 1] == u'\n' ? 2 : 1;
    lines.push_back({source.substr(start, end - start), source.substr(end, endLength)});
    start = end + endLength;
  }
  return lines;
}

std::u16string_view trimmed(std::u16string_view text) {
  constexpr std::u16string_view blanks = u" \t\u3000";
  const std::size_t first = text.find_first_not_of(blanks);
  if (first == std::u16string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool isHyphenLine(std::u16string_view content) {
  const std::u16string_view text = trimmed(content);
  return text.size() >= 10 && text.find_first_not_of(u"-－") == std::u16string_view::npos;
}

bool startsWith(std::u16string_view text, std::u16string_view start) {
  return text.substr(0, start.size()) == start;
}
bool endsWith(std::u16string_view text, std::u16string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// Full-width digits, letters and hyphens as ASCII, so that codes read the same
// however they were typed.
std::u16string asAscii(std::u16string_view text) {
  std::u16string ascii(text);
  for (char16_t& c : ascii)
    if (c >= u'！' && c <= u'～') c = static_cast<char16_t>(c - u'！' + u'!');
  return ascii;
}

int kanjiDigit(char16_t c) {
  constexpr std::u16string_view digits = u"〇一二三四五六七八九";
  const std::size_t at = digits.find(c);
  return at == std::u16string_view::npos ? -1 : static_cast<int>(at);
}

// A count of cells: digits in either width, or kanji numerals (二, 十二, 二十).
std::optional<int> readCount(std::u16string_view text) {
  if (text.empty() || text.size() > 4) return std::nullopt;
  const std::u16string ascii = asAscii(text);
  int value = 0;
  if (ascii.find_first_not_of(u"0123456789") == std::u16string::npos) {
    for (char16_t c : ascii) value = value * 10 + (c - u'0');
    return value;
  }
  const std::size_t ten = text.find(u'十');
  if (ten == std::u16string_view::npos) {
    for (char16_t c : text) {
      const int digit = kanjiDigit(c);
      if (digit < 0) return std::nullopt;
      value = value * 10 + digit;
    }
    return value;
  }
  const std::u16string_view tens = text.substr(0, ten);
  const std::u16string_view ones = text.substr(ten + 1);
  if (tens.size() > 1 || ones.size() > 1) return std::nullopt;
  const int t = tens.empty() ? 1 : kanjiDigit(tens.front());
  const int o = ones.empty() ? 0 : kanjiDigit(ones.front());
  if (t < 0 || o < 0) return std::nullopt;
  return t * 10 + o;
}

bool isDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

// The digits at `at`, advancing it; -1 when there are none or too many.
int readNumber(std::u16string_view text, std::size_t& at, std::size_t maxDigits) {
  int value = 0;
  std::size_t count = 0;
  while (at < text.size() && isDigit(text[at])) {
    if (++count > maxDigits) return -1;
    value = value * 10 + (text[at++] - u'0');
  }
  return count == 0 ? -1 : value;
}

// The character a gaiji annotation names: "U+XXXX", or a plane-row-cell code of
// JIS X 0213 ("第3水準1-84-77", "第4水準2-12-34"). Empty when it names none.
std::u16string gaijiCharacter(std::u16string_view body) {
  const std::u16string text = asAscii(body);
  if (const std::size_t u = text.find(u"U+"); u != std::u16string::npos) {
    char32_t value = 0;
    std::size_t at = u + 2, count = 0;
    for (; at < text.size() && count < 6; ++at, ++count) {
      const char16_t c = text[at];
      const int digit = isDigit(c)                 ? c - u'0'
                        : (c >= u'A' && c <= u'F') ? c - u'A' + 10
                        : (c >= u'a' && c <= u'f') ? c - u'a' + 10
                                                   : -1;
      if (digit < 0) break;
      value = value * 16 + static_cast<char32_t>(digit);
    }
    if (count >= 4 && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF)) {
      std::u16string character;
      appendCodePoint(character, value);
      return character;
    }
  }
  for (std::size_t start = 0; start < text.size(); ++start) {
    if ((text[start] != u'1' && text[start] != u'2') || (start > 0 && isDigit(text[start - 1]))) continue;
    std::size_t at = start;
    const int plane = readNumber(text, at, 1);
    if (plane < 0 || at >= text.size() || text[at++] != u'-') continue;
    const int row = readNumber(text, at, 2);
    if (row < 0 || at >= text.size() || text[at++] != u'-') continue;
    const int cell = readNumber(text, at, 2);
    if (cell < 0 || (at < text.size() && isDigit(text[at]))) continue;
    return jisX0213Character(plane, row, cell);
  }
  return {};
}

// The class of a character for the base of a ruby without ｜: the run of
// characters of one class before 《 carries the ruby.
enum class BaseClass { none, kanji, hiragana, katakana, fullWidthLatin, latin };

BaseClass baseClass(char16_t c) {
  if ((c >= u'\u4E00' && c <= u'\u9FFF') || (c >= u'\u3400' && c <= u'\u4DBF') ||
      (c >= u'\uF900' && c <= u'\uFAFF') || c == u'々' || c == u'〆' || c == u'〇' || c == u'ヶ' ||
      c == u'仝' || isHighSurrogate(c) || isLowSurrogate(c))
    return BaseClass::kanji;
  if (c >= u'\u3041' && c <= u'\u309F') return BaseClass::hiragana;
  if (c >= u'\u30A1' && c <= u'\u30FA') return BaseClass::katakana;
  if (c == u'ー') return BaseClass::katakana;
  if ((c >= u'０' && c <= u'９') || (c >= u'Ａ' && c <= u'Ｚ') || (c >= u'ａ' && c <= u'ｚ'))
    return BaseClass::fullWidthLatin;
  if ((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'))
    return BaseClass::latin;
  return BaseClass::none;
}

// The level of a heading annotation (1 大見出し, 2 中見出し, 3 小見出し, in
// any of their forms: 「X」は…見出し, 同行…見出し, 窓…見出し, …見出し終わり); 0 for others.
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

struct NamedLine {
  std::u16string_view name;
  LineKind kind;
};
constexpr NamedLine lineNames[] = {
    {u"傍線", LineKind::solid},  {u"二重傍線", LineKind::doubled}, {u"鎖線", LineKind::chain},
    {u"破線", LineKind::dashed}, {u"波線", LineKind::wavy},
};

// The marks a range or a 「X」は… annotation names by a word: 太字, 横組み …
// False when the word names none.
bool applyNamedMark(std::u16string_view name, RunMarks& marks, bool on) {
  if (name == u"太字") {
    marks.bold = on;
  } else if (name == u"斜体") {
    marks.italic = on;
  } else if (name == u"縦中横") {
    marks.tateChuYoko = on;
  } else if (name == u"横組み") {
    marks.horizontal = on;
  } else if (name == u"罫囲み") {
    marks.boxed = on;
  } else if (name == u"上付き小文字" || name == u"行右小書き") {
    marks.script = on ? Script::superscript : Script::normal;
  } else if (name == u"下付き小文字" || name == u"行左小書き") {
    marks.script = on ? Script::subscript : Script::normal;
  } else if (name == u"小書き") {
    marks.script = on ? Script::small : Script::normal;
  } else {
    return false;
  }
  return true;
}

// 傍点 and 傍線 kinds, "左に" first for the left side.
bool applySideMark(std::u16string_view name, RunMarks& marks, bool on) {
  const bool left = startsWith(name, u"左に");
  if (left) name.remove_prefix(2);
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

// "N段階小さな文字" / "N段階大きな文字": the step, signed; 0 when it is not one.
int sizeStepOf(std::u16string_view name) {
  constexpr std::u16string_view steps = u"段階";
  const std::size_t at = name.find(steps);
  if (at == std::u16string_view::npos) return 0;
  const std::u16string_view what = name.substr(at + steps.size());
  const int sign = what == u"小さな文字" ? -1 : what == u"大きな文字" ? 1 : 0;
  const auto count = readCount(name.substr(0, at));
  if (sign == 0 || !count || *count == 0) return 0;
  return sign * std::min(*count, 9);
}

// The kind of a 傍点 or 傍線 name, for the counts.
std::u16string_view sideMarkKind(std::u16string_view name) {
  return name.find(u"傍点") != std::u16string_view::npos ? u"傍点" : u"傍線";
}

// 返り点: レ, 一 二 三 四, 上 中 下, 甲 乙 丙 丁, 天 地 人, alone or with レ.
bool isKaeriten(std::u16string_view body) {
  constexpr std::u16string_view marks = u"レ一二三四上中下甲乙丙丁天地人";
  if (body.empty() || body.size() > 2) return false;
  for (const char16_t c : body)
    if (marks.find(c) == std::u16string_view::npos) return false;
  return true;
}

// Latin letters written with the accent after them inside 〔〕, as the composed
// letters: ` ' ^ ~ : & , / _ and the ligatures AE& ae& OE& oe&. Empty when the
// text between the brackets is not accent notation (ordinary 〔〕 stay).
struct AccentTable {
  char16_t mark;
  std::u16string_view bases;
  std::u16string_view composed;
};
constexpr AccentTable accentTables[] = {
    {u'`', u"aeiouAEIOU", u"àèìòùÀÈÌÒÙ"},
    {u'\'', u"aeiouyAEIOUYcnszCNSZ", u"áéíóúýÁÉÍÓÚÝćńśźĆŃŚŹ"},
    {u'^', u"aeiouAEIOU", u"âêîôûÂÊÎÔÛ"},
    {u'~', u"anoANO", u"ãñõÃÑÕ"},
    {u':', u"aeiouyAEIOUY", u"äëïöüÿÄËÏÖÜŸ"},
    {u'&', u"aAuUs", u"åÅůŮß"},
    {u',', u"cCsS", u"çÇşŞ"},
    {u'/', u"oOlLdD", u"øØłŁđĐ"},
    {u'_', u"aeiouAEIOU", u"āēīōūĀĒĪŌŪ"},
};

std::u16string composedAccents(std::u16string_view inner) {
  std::u16string out;
  bool accent = false;
  for (std::size_t k = 0; k < inner.size(); ++k) {
    const char16_t c = inner[k];
    if (c >= 0x80) return {};
    if (k + 2 < inner.size() && inner[k + 2] == u'&' &&
        (inner.substr(k, 2) == u"AE" || inner.substr(k, 2) == u"ae" || inner.substr(k, 2) == u"OE" ||
         inner.substr(k, 2) == u"oe")) {
      out += inner[k] == u'A' ? u'Æ' : inner[k] == u'a' ? u'æ' : inner[k] == u'O' ? u'Œ' : u'œ';
      accent = true;
      k += 2;
      continue;
    }
    if (k + 1 < inner.size()) {
      bool composed = false;
      for (const AccentTable& table : accentTables) {
        if (inner[k + 1] != table.mark) continue;
        const std::size_t at = table.bases.find(c);
        if (at == std::u16string_view::npos) break;
        out += table.composed[at];
        composed = true;
      }
      if (composed) {
        accent = true;
        ++k;
        continue;
      }
    }
    out += c;
  }
  return accent ? out : std::u16string{};
}

// The text with every 〔〕 of accent notation composed; one pass.
std::u16string withAccents(std::u16string_view text, std::size_t& composedCount) {
  std::u16string out;
  std::size_t from = 0;
  for (std::size_t open = text.find(u'〔'); open != std::u16string_view::npos;) {
    const std::size_t close = text.find(u'〕', open + 1);
    if (close == std::u16string_view::npos) break;
    const std::u16string composed = composedAccents(text.substr(open + 1, close - open - 1));
    if (!composed.empty()) {
      out += text.substr(from, open - from);
      out += composed;
      from = close + 1;
      ++composedCount;
    }
    open = text.find(u'〔', close + 1);
  }
  if (from == 0) return std::u16string(text);
  out += text.substr(from);
  return out;
}

// An illustration: "caption（file、横N×縦N）入る" or "「caption」のキャプション付きの図（file…）入る".
struct Illustration {
  std::u16string caption;
  std::u16string file;
};
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

// The description of a gaiji without a code: the annotation up to its page
// and line reference ("「木＋世」、132-5" gives 「木＋世」).
std::u16string_view gaijiDescription(std::u16string_view body) {
  const std::size_t comma = body.rfind(u'、');
  if (comma == std::u16string_view::npos) return body;
  const std::u16string reference = asAscii(body.substr(comma + 1));
  if (!reference.empty() && reference.find_first_not_of(u"0123456789-") == std::u16string::npos)
    return body.substr(0, comma);
  return body;
}

// The X of a 「X」 annotation (or a caption) as the document holds it: ruby
// 《…》 and annotations inside left out, gaiji ※［＃…］ as their character (or
// the ※ that stands for a description), 〔〕 accents composed.
std::u16string resolvedTarget(std::u16string_view marked) {
  std::u16string out;
  for (std::size_t k = 0; k < marked.size();) {
    const char16_t c = marked[k];
    if (c == u'《') {
      const std::size_t close = marked.find(u'》', k + 1);
      if (close != std::u16string_view::npos) {
        k = close + 1;
        continue;
      }
    }
    const bool gaiji = c == u'※' && marked.substr(k + 1, annotationStart.size()) == annotationStart;
    if (gaiji || marked.substr(k, annotationStart.size()) == annotationStart) {
      std::size_t depth = 0, end = gaiji ? k + 1 : k;
      for (; end < marked.size(); ++end) {
        if (marked[end] == u'［') ++depth;
        if (marked[end] == annotationEnd && --depth == 0) break;
      }
      if (end < marked.size() && !gaiji) {
        // Another annotation inside (a 斜体 in a caption) leaves its text as it is.
        k = end + 1;
        continue;
      }
      if (end < marked.size()) {
        const std::u16string_view body = marked.substr(k + 3, end - k - 3);
        const std::u16string character = gaijiCharacter(body);
        out += character.empty() ? std::u16string(1, gaijiMark) : character;
        k = end + 1;
        continue;
      }
    }
    out += c;
    ++k;
  }
  if (out.find(u'〔') == std::u16string::npos) return out;
  std::size_t composed = 0;
  return withAccents(out, composed);
}

// Reads the notation line by line into paragraphs of runs, in one pass: every
// search for a closing bracket is answered from positions found once per line.
class NotationReader {
 public:
  NotationReader(std::u16string_view source, Document& out) : source_(source), out_(out) {}

  void readLine(const SourceLine& line) {
    const std::u16string_view content = line.content;
    prepareLine(content);
    if (!carried_) startParagraph();
    // Room at once for the runs the line may add: each closed annotation or
    // ruby splits off at most one run and begins another.
    const std::size_t runs = paragraph_.runs.size() + 1 + 2 * closedNotation_;
    if (closedNotation_ > 0 && paragraph_.runs.capacity() < runs) paragraph_.runs.reserve(runs);
    bool removedAnnotation = false;
    std::size_t plainFrom = 0;  // the text since the last notation, appended in one go
    auto flush = [&](std::size_t to) {
      if (to > plainFrom) appendText(content.substr(plainFrom, to - plainFrom));
    };
    // Only the characters that may begin notation are looked at; what lies
    // between them is plain text.
    for (const std::size_t i : notationStarts_) {
      if (i < plainFrom) continue;  // inside notation already read
      const char16_t c = content[i];
      if (c == annotationStart[0] && i + 1 < content.size() && content[i + 1] == annotationStart[1]) {
        const std::size_t end = closeOf(i);
        if (end != std::u16string_view::npos) {
          flush(i);
          const std::u16string_view body =
              content.substr(i + annotationStart.size(), end - i - annotationStart.size());
          annotation(body, i > 0 && content[i - 1] == gaijiMark, offsetOf(content, end + 1));
          removedAnnotation = true;
          plainFrom = end + 1;
          continue;
        }
      }
      if (c == u'｜' || c == u'|') {
        // An explicit base begins here when a ruby follows on the same line.
        if (rubyAt(nextRubyStart(content, i + 1))) {
          flush(i);
          explicitBase_ = paragraph_.runs.empty()
                              ? Mark{0, 0}
                              : Mark{paragraph_.runs.size() - 1, paragraph_.runs.back().text.size()};
          plainFrom = i + 1;
          continue;
        }
      }
      if (c == rubyStart && rubyAt(i)) {
        flush(i);
        const std::size_t end = content.find(rubyEnd, i + 1);
        ruby(content.substr(i + 1, end - i - 1));
        plainFrom = end + 1;
      }
    }
    flush(content.size());
    explicitBase_.reset();
    // A line of annotations alone (a page break, the start of an indented
    // range) leaves no empty vertical line, nor does the end of a line that
    // ends with a page break: what it set carries over to the next line.
    const std::size_t lineEnd = offsetOf(content, content.size()) + line.end.size();
    if (removedAnnotation && paragraph_.runs.empty()) {
      carried_ = true;
      paragraph_.sourceEnd = lineEnd;
      return;
    }
    paragraph_.endsLine = line.end.find(u'\r') != std::u16string_view::npos;
    paragraph_.sourceEnd = lineEnd;
    if (!paragraph_.endsLine && line.end.empty() && paragraph_.runs.empty() &&
        paragraph_.style.breakBefore == PageBreak::none) {
      carried_ = false;
      return;
    }
    emit();
  }

  // What is left when the text ends: a page break with nothing after it still ends its page.
  void finish() {
    if (carried_ && paragraph_.style.breakBefore != PageBreak::none) {
      paragraph_.endsLine = false;
      emit();
    }
  }

 private:
  struct Mark {
    std::size_t run;
    std::size_t offset;
  };

  std::size_t offsetOf(std::u16string_view content, std::size_t at) const {
    return static_cast<std::size_t>(content.data() - source_.data()) + at;
  }

  // The matching ］ of every ［ of the line (brackets nest), the last 》 in
  // it, and where notation may begin: every ［, ｜ and 《.
  void prepareLine(std::u16string_view content) {
    brackets_.clear();
    open_.clear();
    notationStarts_.clear();
    closedNotation_ = 0;
    nextBracket_ = 0;
    lastRubyEnd_ = std::u16string_view::npos;
    for (std::size_t at = 0; at < content.size(); ++at) {
      const char16_t c = content[at];
      if (c == u'［') {
        open_.push_back(brackets_.size());
        brackets_.push_back({at, std::u16string_view::npos});
        notationStarts_.push_back(at);
      } else if (c == annotationEnd && !open_.empty()) {
        brackets_[open_.back()].close = at;
        open_.pop_back();
        ++closedNotation_;
      } else if (c == rubyEnd) {
        lastRubyEnd_ = at;
        ++closedNotation_;
      } else if (c == rubyStart || c == u'｜' || c == u'|') {
        notationStarts_.push_back(at);
      }
    }
    nextRubyStart_ = 0;
    nextRubyStartFrom_ = 0;
    lineHasRubyStart_ = true;
  }

  std::size_t nextRubyStart(std::u16string_view content, std::size_t from) {
    if (from < nextRubyStartFrom_ || from > nextRubyStart_ || !lineHasRubyStart_) {
      if (!lineHasRubyStart_) return std::u16string_view::npos;
      nextRubyStart_ = content.find(rubyStart, from);
      if (nextRubyStart_ == std::u16string_view::npos) lineHasRubyStart_ = false;
    }
    nextRubyStartFrom_ = from;
    return lineHasRubyStart_ ? nextRubyStart_ : std::u16string_view::npos;
  }

  // The ］ that closes the ［ at `at`; asked in the order of the line.
  std::size_t closeOf(std::size_t at) {
    while (nextBracket_ < brackets_.size() && brackets_[nextBracket_].open < at) ++nextBracket_;
    if (nextBracket_ < brackets_.size() && brackets_[nextBracket_].open == at)
      return brackets_[nextBracket_].close;
    return std::u16string_view::npos;
  }

  bool rubyAt(std::size_t at) const {
    return at != std::u16string_view::npos && lastRubyEnd_ != std::u16string_view::npos && at < lastRubyEnd_;
  }

  void startParagraph() {
    paragraph_ = Paragraph{};
    paragraph_.style.firstIndent = rangeIndent_;
    paragraph_.style.restIndent = rangeRestIndent_;
    paragraph_.style.raiseFromFoot = rangeRaise_;
    paragraph_.style.lineLength = rangeLineLength_;
    carried_ = false;
  }

  void emit() {
    out_.paragraphs.push_back(std::move(paragraph_));
    startParagraph();
  }

  void appendText(std::u16string_view text) {
    if (paragraph_.runs.empty() || !paragraph_.runs.back().ruby.empty() ||
        paragraph_.runs.back().marks != marks_ || paragraph_.runs.back().kind != kind_) {
      Run& run = paragraph_.runs.emplace_back();
      run.marks = marks_;
      run.kind = kind_;
    }
    if (text.find(u'〔') != std::u16string_view::npos) {
      std::size_t composed = 0;
      paragraph_.runs.back().text += withAccents(text, composed);
      if (composed > 0) out_.notationCounts[u"アクセント分解"] += composed;
      return;
    }
    paragraph_.runs.back().text += text;
  }

  // The run that carries a ruby: from the explicit base mark, else the run of
  // one character class at the end of the text.
  void ruby(std::u16string_view reading) {
    std::vector<Run>& runs = paragraph_.runs;
    Run base;
    base.marks = marks_;
    base.kind = kind_;
    if (explicitBase_ && explicitBase_->run <= runs.size()) {
      const Mark from = *explicitBase_;
      explicitBase_.reset();
      if (from.run < runs.size()) {
        base.marks = runs[from.run].marks;
        base.text = runs[from.run].text.substr(from.offset);
        runs[from.run].text.resize(from.offset);
        for (std::size_t r = from.run + 1; r < runs.size(); ++r) base.text += runs[r].text;
        runs.resize(from.offset == 0 ? from.run : from.run + 1);
      }
    } else if (!runs.empty() && runs.back().ruby.empty() &&
               (runs.back().kind == RunKind::text || runs.back().kind == RunKind::warichu)) {
      std::u16string& text = runs.back().text;
      std::size_t start = text.size();
      const BaseClass kind = start > 0 ? baseClass(text[start - 1]) : BaseClass::none;
      if (kind != BaseClass::none)
        while (start > 0 && baseClass(text[start - 1]) == kind) --start;
      base.marks = runs.back().marks;
      base.text = text.substr(start);
      text.resize(start);
      if (text.empty()) runs.pop_back();
    }
    base.ruby = reading;
    runs.push_back(std::move(base));
  }

  void count(std::u16string_view kind) { ++out_.notationCounts[std::u16string(kind)]; }

  void annotation(std::u16string_view body, bool afterGaijiMark, std::size_t sourceAfter) {
    if (afterGaijiMark && !paragraph_.runs.empty() && paragraph_.runs.back().ruby.empty() &&
        (paragraph_.runs.back().kind == RunKind::text || paragraph_.runs.back().kind == RunKind::warichu) &&
        !paragraph_.runs.back().text.empty() && paragraph_.runs.back().text.back() == gaijiMark) {
      paragraph_.runs.back().text.pop_back();
      if (paragraph_.runs.back().text.empty()) paragraph_.runs.pop_back();
      const std::u16string character = gaijiCharacter(body);
      if (!character.empty()) {
        appendText(character);
        count(u"外字");
        return;
      }
      // No code: the description stands for the character, so nothing is lost.
      const std::u16string description(gaijiDescription(body));
      addRun(RunKind::gaijiDescription, description);
      if (describedSeen_.insert(description).second) out_.describedGaiji.push_back(description);
      count(u"外字（説明のみ）");
      return;
    }
    if (readAnnotation(body, sourceAfter)) return;
    ++out_.unreadAnnotations;
    ++out_.unreadByText[std::u16string(body)];
  }

  bool readAnnotation(std::u16string_view body, std::size_t sourceAfter) {
    if (body == u"改ページ" || body == u"改丁" || body == u"改見開き" || body == u"改段") {
      const PageBreak kind = body == u"改ページ" ? PageBreak::page
                             : body == u"改丁"   ? PageBreak::sheet
                             : body == u"改段"   ? PageBreak::column
                                                 : PageBreak::spread;
      breakParagraph(sourceAfter);
      paragraph_.style.breakBefore = kind;
      count(kind == PageBreak::column ? u"改段" : u"改ページ");
      return true;
    }
    if (body == u"ここで字下げ終わり") {
      rangeIndent_ = rangeRestIndent_ = 0;
      setIndent(0, 0);
      count(u"字下げ");
      return true;
    }
    constexpr std::u16string_view from = u"ここから", indent = u"字下げ";
    // ここから改行天付き、折り返してN字下げ / ここからN字下げ、折り返してM字下げ
    constexpr std::u16string_view wrapped = u"、折り返して";
    // 字詰め: ［＃ここからN字詰め］, or after the indents (、N字詰め); the lines of the range hold N cells.
    constexpr std::u16string_view lineLength = u"字詰め";
    if (body == u"ここで字詰め終わり") {
      rangeLineLength_ = 0;
      setLineLength(0);
      count(u"字詰め");
      return true;
    }
    if (startsWith(body, from) && endsWith(body, lineLength)) {
      const std::size_t comma = body.rfind(u"、");
      const std::size_t at = comma == std::u16string_view::npos ? from.size() : comma + 1;
      const auto cells = readCount(body.substr(at, body.size() - lineLength.size() - at));
      if (cells && *cells > 0 &&
          (comma == std::u16string_view::npos ||
           body.substr(0, comma).find(indent) != std::u16string_view::npos)) {
        rangeLineLength_ = *cells;
        setLineLength(*cells);
        count(u"字詰め");
        if (comma == std::u16string_view::npos) return true;
        body = body.substr(0, comma);
      }
    }
    if (startsWith(body, from) && endsWith(body, indent)) {
      if (const std::size_t comma = body.find(wrapped); comma != std::u16string_view::npos) {
        const std::u16string_view first = body.substr(from.size(), comma - from.size());
        const std::size_t restAt = comma + wrapped.size();
        const auto rest = readCount(body.substr(restAt, body.size() - indent.size() - restAt));
        std::optional<int> firstCells;
        if (first == u"改行天付き")
          firstCells = 0;
        else if (endsWith(first, indent))
          firstCells = readCount(first.substr(0, first.size() - indent.size()));
        if (rest && firstCells) {
          rangeIndent_ = *firstCells;
          rangeRestIndent_ = *rest;
          setIndent(*firstCells, *rest);
          count(u"字下げ");
          return true;
        }
      }
    }
    if (endsWith(body, indent)) {
      const bool range = startsWith(body, from);
      const std::u16string_view cellsText =
          body.substr(range ? from.size() : 0, body.size() - indent.size() - (range ? from.size() : 0));
      if (const auto cells = readCount(cellsText)) {
        if (range) rangeIndent_ = rangeRestIndent_ = *cells;
        setIndent(*cells, *cells);
        count(u"字下げ");
        return true;
      }
    }
    if (const int level = headingLevel(body); level != 0) {
      // ［＃「X」は中見出し］ after its text, or ［＃中見出し］…［＃中見出し終わり］ around it.
      paragraph_.style.headingLevel = level;
      count(u"見出し");
      return true;
    }
    if (body == u"地付き" || body == u"ここから地付き") {
      raise(0, body != u"地付き", sourceAfter);
      return true;
    }
    if (body == u"ここで地付き終わり" || body == u"ここで字上げ終わり") {
      rangeRaise_ = -1;
      count(u"地付き・字上げ");
      return true;
    }
    constexpr std::u16string_view raiseStart = u"地から", raiseEnd = u"字上げ";
    {
      std::u16string_view rest = body;
      const bool range = startsWith(rest, from);
      if (range) rest.remove_prefix(from.size());
      if (startsWith(rest, raiseStart) && endsWith(rest, raiseEnd)) {
        if (const auto cells = readCount(
                rest.substr(raiseStart.size(), rest.size() - raiseStart.size() - raiseEnd.size()))) {
          raise(*cells, range, sourceAfter);
          return true;
        }
      }
    }
    if (body == u"ページの左右中央") {
      paragraph_.style.centredOnPage = true;
      count(u"ページの左右中央");
      return true;
    }
    if (body == u"改行") {
      // The line break between the two lines of a 割り注: the note reads on.
      count(u"割り注");
      return true;
    }
    if (isKaeriten(body)) {
      addRun(RunKind::kaeriten, body);
      count(u"返り点");
      return true;
    }
    if (body.size() > 2 && body.front() == u'（' && body.back() == u'）') {
      addRun(RunKind::kuntenOkurigana, body.substr(1, body.size() - 2));
      count(u"訓点送り仮名");
      return true;
    }
    if (const auto picture = illustrationOf(body)) {
      addRun(RunKind::illustration, resolvedTarget(picture->caption));
      paragraph_.runs.back().target = picture->file;
      count(u"挿絵");
      return true;
    }
    if (startsWith(body, u"ルビの「") &&
        (body.find(u"底本では") != std::u16string_view::npos || endsWith(body, u"はママ")))
      return editorNote({}, body);
    // ［＃岩波文庫の注は「…」とする］: a note of the editor's on the text before.
    if (body.find(u"注は") != std::u16string_view::npos && endsWith(body, u"とする"))
      return editorNote({}, body);
    // ［＃左にルビ付き］X［＃左に「Y」のルビ付き終わり］, ［＃注記付き］X［＃「Y」の注記付き終わり］
    if (body == u"左にルビ付き" || body == u"ルビ付き" || body == u"注記付き" || body == u"左に注記付き") {
      rangeStart_ = paragraph_.runs.empty()
                        ? Mark{0, 0}
                        : Mark{paragraph_.runs.size() - 1, paragraph_.runs.back().text.size()};
      return true;
    }
    if (rangeStart_ && (endsWith(body, u"」のルビ付き終わり") || endsWith(body, u"」の注記付き終わり"))) {
      const std::size_t open = body.find(u'「');
      const std::size_t close = body.rfind(u'」');
      if (open != std::u16string_view::npos && close > open) {
        const std::u16string reading = resolvedTarget(body.substr(open + 1, close - open - 1));
        const bool left = startsWith(body, u"左に");
        const Mark from = *rangeStart_;
        rangeStart_.reset();
        std::u16string marked;
        std::vector<Run>& runs = paragraph_.runs;
        for (std::size_t r = from.run; r < runs.size(); ++r)
          if (runs[r].kind == RunKind::text || runs[r].kind == RunKind::warichu)
            marked += r == from.run && from.offset <= runs[r].text.size() ? runs[r].text.substr(from.offset)
                                                                          : runs[r].text;
        if (endsWith(body, u"のルビ付き終わり")) {
          std::u16string_view rest = u"」のルビ";
          return targeted(marked, (left ? u"の左に「" : u"に「") + reading + std::u16string(rest));
        }
        return editorNote(marked, reading);
      }
    }
    if (body.size() > 1 && body.front() == u'「') return targetedAnnotation(body);
    return rangeAnnotation(body);
  }

  // A range begun (［＃太字］, ［＃ここから２段階小さな文字］) or ended (…終わり).
  bool rangeAnnotation(std::u16string_view body) {
    bool on = true;
    std::u16string_view name = body;
    constexpr std::u16string_view ending = u"終わり", here = u"ここで";
    if (endsWith(name, ending)) {
      on = false;
      name.remove_suffix(ending.size());
      if (startsWith(name, here)) name.remove_prefix(here.size());
    } else if (startsWith(name, u"ここから")) {
      name.remove_prefix(4);
    }
    if (name == u"割り注") {
      kind_ = on ? RunKind::warichu : RunKind::text;
      count(u"割り注");
      return true;
    }
    if (name == u"キャプション") {
      count(u"キャプション");
      return true;
    }
    if (applyNamedMark(name, marks_, on)) {
      count(name);
      return true;
    }
    if (applySideMark(name, marks_, on)) {
      count(sideMarkKind(name));
      return true;
    }
    if (!on && (name == u"小さな文字" || name == u"大きな文字")) {
      marks_.sizeStep = 0;
      count(u"文字サイズ");
      return true;
    }
    if (on) {
      if (const int step = sizeStepOf(name); step != 0) {
        marks_.sizeStep = static_cast<std::int8_t>(step);
        count(u"文字サイズ");
        return true;
      }
    }
    return false;
  }

  // ［＃「X」に傍点］ and its kin follow the X they mark.
  bool targetedAnnotation(std::u16string_view body) {
    // The X ends at one of its first few 」 (X may hold brackets of its own);
    // a bound, so that an annotation full of 」 is not read again and again.
    constexpr int candidates = 8;
    int tried = 0;
    for (std::size_t close = body.find(u'」'); close != std::u16string_view::npos && tried++ < candidates;
         close = body.find(u'」', close + 1)) {
      const std::u16string_view rest = body.substr(close + 1);
      if (rest.empty()) continue;
      if (targeted(resolvedTarget(body.substr(1, close - 1)), rest)) return true;
    }
    return false;
  }

  bool targeted(std::u16string_view marked, std::u16string_view rest) {
    RunMarks added;
    if (startsWith(rest, u"に") && applySideMark(rest.substr(1), added, true)) {
      count(sideMarkKind(rest.substr(1)));
      return markTail(marked, [&](Run& run) { mergeSideMark(run.marks, added); });
    }
    if (startsWith(rest, u"の左に") && applySideMark(rest.substr(1), added, true)) {
      count(sideMarkKind(rest.substr(3)));
      return markTail(marked, [&](Run& run) { mergeSideMark(run.marks, added); });
    }
    if (startsWith(rest, u"は")) {
      const std::u16string_view name = rest.substr(1);
      if (applyNamedMark(name, added, true)) {
        count(name);
        return markTail(marked, [&](Run& run) { applyNamedMark(name, run.marks, true); });
      }
      if (const int step = sizeStepOf(name); step != 0) {
        count(u"文字サイズ");
        return markTail(marked, [&](Run& run) { run.marks.sizeStep = static_cast<std::int8_t>(step); });
      }
      if (name == u"キャプション") {
        count(u"キャプション");
        return true;
      }
      if (name == u"ママ" || startsWith(name, u"底本では")) return editorNote(marked, name);
    }
    // ［＃「X」の右上に小さな四角あり］: what the printed character bears beside it, the editor's note.
    if (startsWith(rest, u"の") && endsWith(rest, u"あり") && rest.find(u"に") != std::u16string_view::npos &&
        rest.find(u"に") < rest.size() - 2)
      return editorNote(marked, rest.substr(1));
    // ［＃「X」に「Y」の注記］, ［＃「X」の左に「Y」の注記］, ［＃「X」に（Y）の注記］
    constexpr std::u16string_view noteEnd = u"の注記";
    if (endsWith(rest, noteEnd) && (startsWith(rest, u"に") || startsWith(rest, u"の左に"))) {
      std::u16string_view note = rest.substr(startsWith(rest, u"に") ? 1 : 3);
      note.remove_suffix(noteEnd.size());
      if (note.size() > 2 && (note.front() == u'「' || note.front() == u'（'))
        note = note.substr(1, note.size() - 2);
      return editorNote(marked, note);
    }
    // ［＃「X」の左に「Y」のルビ］ / ［＃「X」に「Y」のルビ］
    constexpr std::u16string_view rubyEnd = u"」のルビ";
    if (endsWith(rest, rubyEnd)) {
      const bool left = startsWith(rest, u"の左に「");
      if (left || startsWith(rest, u"に「")) {
        const std::u16string_view reading =
            rest.substr(left ? 4 : 2, rest.size() - rubyEnd.size() - (left ? 4 : 2));
        if (Run* run = tailRun(marked); run != nullptr && run->ruby.empty()) {
          run->ruby = reading;
          run->rubySide = left ? Side::left : Side::right;
          count(u"ルビ");
          return true;
        }
        // A second ruby beside one already there is kept as the editor's note.
        return editorNote(
            marked, std::u16string(left ? u"左に" : u"") + u"「" + std::u16string(reading) + u"」のルビ");
      }
    }
    return false;
  }

  static void mergeSideMark(RunMarks& marks, const RunMarks& added) {
    if (added.emphasis != EmphasisKind::none) {
      marks.emphasis = added.emphasis;
      marks.emphasisSide = added.emphasisSide;
    }
    if (added.line != LineKind::none) {
      marks.line = added.line;
      marks.lineSide = added.lineSide;
    }
  }

  // The editor's note after the text it is about (dropped or shown by the writers).
  bool editorNote(std::u16string_view marked, std::u16string_view note) {
    // A note whose text does not end the paragraph (a misprint the note is
    // about) stays where it stands, with the text it names.
    if (!marked.empty() && tailRun(marked) == nullptr) {
      addRun(RunKind::editorNote, u"「" + std::u16string(marked) + u"」" + std::u16string(note));
      count(u"校訂注記");
      return true;
    }
    addRun(RunKind::editorNote, note);
    count(u"校訂注記");
    return true;
  }

  // The X of a 「X」 annotation as the run that ends the paragraph, split off
  // from the text before it; null when the paragraph does not end with X.
  Run* tailRun(std::u16string_view marked) {
    Run* found = nullptr;
    markTail(marked, [&](Run& run) { found = &run; });
    return found;
  }

  // Applies `mark` to the runs that hold the text `marked` at the end of the
  // paragraph so far (their ruby aside; 返り点 and notes between are passed).
  template <typename Mark>
  bool markTail(std::u16string_view marked, Mark&& mark) {
    std::vector<Run>& runs = paragraph_.runs;
    if (marked.empty()) return false;
    std::u16string_view remaining = marked;
    std::size_t i = runs.size();
    int passed = 0;
    while (!remaining.empty() && i > 0) {
      Run& run = runs[i - 1];
      if (run.kind != RunKind::text && run.kind != RunKind::warichu &&
          run.kind != RunKind::gaijiDescription) {
        // A few marks and notes may stand between; a long row of them ends the search.
        if (++passed > 8) return false;
        --i;
        continue;
      }
      if (run.kind == RunKind::gaijiDescription) {
        // The annotation names the character by its ※.
        if (!endsWith(remaining, u"※")) return false;
        remaining.remove_suffix(1);
        --i;
        continue;
      }
      if (!run.text.empty() && endsWith(remaining, run.text)) {
        remaining.remove_suffix(run.text.size());
        --i;
        continue;
      }
      if (!run.ruby.empty() || !endsWith(run.text, remaining)) return false;
      Run tail = run;
      tail.text = run.text.substr(run.text.size() - remaining.size());
      run.text.resize(run.text.size() - remaining.size());
      runs.insert(runs.begin() + static_cast<std::ptrdiff_t>(i), std::move(tail));
      remaining = {};
    }
    if (!remaining.empty()) return false;
    for (std::size_t r = i; r < runs.size(); ++r)
      if (runs[r].kind == RunKind::text || runs[r].kind == RunKind::warichu) mark(runs[r]);
    return true;
  }

  // 地付き and 地からN字上げ: the text after it ends at the foot, or N cells above.
  // After text on the same line, the text before keeps its place and the rest
  // goes on the same vertical line.
  void raise(int cells, bool range, std::size_t sourceAfter) {
    count(u"地付き・字上げ");
    if (range) rangeRaise_ = cells;
    if (!paragraph_.runs.empty() && paragraph_.style.raiseFromFoot < 0) {
      paragraph_.endsLine = false;
      paragraph_.sourceEnd = sourceAfter;
      emit();
      carried_ = true;
    }
    paragraph_.style.raiseFromFoot = cells;
  }

  // The text before a break ends its page without ending its line.
  void breakParagraph(std::size_t sourceAfter) {
    if (paragraph_.runs.empty()) return;
    paragraph_.endsLine = false;
    paragraph_.sourceEnd = sourceAfter;
    emit();
    carried_ = true;
  }

  void addRun(RunKind kind, std::u16string_view text) {
    Run& run = paragraph_.runs.emplace_back();
    run.kind = kind;
    run.text = text;
  }

  void setLineLength(int cells) {
    if (paragraph_.runs.empty()) paragraph_.style.lineLength = cells;
  }

  // A range's indent takes the paragraph not yet begun at once; later lines follow it.
  void setIndent(int first, int rest) {
    if (paragraph_.runs.empty()) {
      paragraph_.style.firstIndent = first;
      paragraph_.style.restIndent = rest;
    }
  }

  std::u16string_view source_;
  Document& out_;
  Paragraph paragraph_;
  bool carried_ = false;  // the paragraph was begun by a line of annotations alone
  int rangeIndent_ = 0;
  int rangeRestIndent_ = 0;
  int rangeRaise_ = -1;
  int rangeLineLength_ = 0;
  RunMarks marks_;
  RunKind kind_ = RunKind::text;
  std::optional<Mark> explicitBase_;
  std::set<std::u16string> describedSeen_;
  std::optional<Mark> rangeStart_;  // where a ［＃左にルビ付き］ or ［＃注記付き］ range began
  struct Bracket {
    std::size_t open;
    std::size_t close;
  };
  std::vector<Bracket> brackets_;
  std::vector<std::size_t> open_;
  std::vector<std::size_t> notationStarts_;
  std::size_t closedNotation_ = 0;  // ］ and 》 that close something on the line
  std::size_t nextBracket_ = 0;
  std::size_t lastRubyEnd_ = std::u16string_view::npos;
  std::size_t nextRubyStart_ = 0;
  std::size_t nextRubyStartFrom_ = 0;
  bool lineHasRubyStart_ = true;
};

// The first few lines, up to the first blank line, are the header: title,
// author and the like. Empty when the text has no short header.
std::vector<std::u16string> headerOf(std::u16string_view source, const std::vector<SourceLine>& lines) {
  constexpr std::size_t longestHeader = 6;
  std::size_t blank = 1;
  while (blank < lines.size() && blank <= longestHeader && !trimmed(lines[blank].content).empty()) ++blank;
  if (blank >= lines.size() || blank > longestHeader) return {};
  std::vector<std::u16string> header;
  for (std::size_t i = 0; i < blank; ++i) {
    // A header line with its notation read, ruby dropped.
    Document line;
    NotationReader reader(source, line);
    reader.readLine({lines[i].content, {}});
    std::u16string text;
    for (const Paragraph& p : line.paragraphs)
      for (const Run& run : p.runs) text += run.text;
    header.emplace_back(trimmed(text));
  }
  return header;
}

}  // namespace

Document readAozoraText(std::u16string_view source) {
  const std::vector<SourceLine> lines = splitLines(source);
  Document out;
  out.sourceLength = source.size();
  const std::vector<std::u16string> header = headerOf(source, lines);
  if (!header.empty()) out.title = header.front();
  // Title, author; a translator or editor may follow the author.
  if (header.size() >= 2) {
    out.author = header[1];
    if (header.size() >= 3 && !endsWith(header.back(), u"訳") && !endsWith(header.back(), u"編"))
      out.author = header.back();
  }
  out.paragraphs.reserve(lines.size());
  NotationReader reader(source, out);
  bool explanationDropped = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    // The explanation of the symbols is for the reader of the plain file.
    if (!explanationDropped && isHyphenLine(lines[i].content) && i + 1 < lines.size() &&
        startsWith(trimmed(lines[i + 1].content), explanationHeading)) {
      std::size_t closing = i + 2;
      while (closing < lines.size() && !isHyphenLine(lines[closing].content)) ++closing;
      if (closing < lines.size()) {
        explanationDropped = true;
        i = closing;
        continue;
      }
    }
    reader.readLine(lines[i]);
  }
  reader.finish();
  return out;
}

std::u16string notationReport(const Document& document) {
  std::u16string report = u"notation read:\n";
  const auto line = [&](std::u16string_view what, std::size_t count) {
    report += u"  ";
    report += what;
    report += u"\t";
    report += formatNumber(static_cast<std::int64_t>(count), 1);
    report += u"\n";
  };
  for (const auto& [kind, count] : document.notationCounts) line(kind, count);
  if (!document.describedGaiji.empty()) {
    report += u"characters without a code, by their description:\n";
    for (const std::u16string& description : document.describedGaiji)
      report += u"  ※（" + description + u"）\n";
  }
  if (!document.unreadByText.empty()) {
    report += u"annotations not read:\n";
    for (const auto& [text, count] : document.unreadByText) line(u"［＃" + text + u"］", count);
  }
  return report;
}

}  // namespace zelvato
