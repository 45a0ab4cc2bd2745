#include "read/web/web_novel_notation.h"

#include <algorithm>
#include <optional>

namespace zelvato {
namespace {

// The longest base and reading the sites set as ruby, and the most kana the
// parentheses after kanji may hold.
constexpr std::size_t maxBase = 20;
constexpr std::size_t maxReading = 50;
constexpr std::size_t maxParenKana = 10;

bool isBar(char16_t c) {
  return c == u'|' || c == u'｜';
}

// Kanji as the sites count them for a base without a bar, with the marks that
// stand for kanji (々, 〆, 〇, ヶ).
bool isKanji(char16_t c) {
  return (c >= u'\u4E00' && c <= u'\u9FFF') || (c >= u'\u3400' && c <= u'\u4DBF') ||
         (c >= u'\uF900' && c <= u'\uFAFF') || c == u'々' || c == u'〆' || c == u'〇' || c == u'ヶ';
}

// The second and third planes hold the rarer kanji (𠮷): their high surrogates.
bool isKanjiPlaneHigh(char16_t c) {
  return c >= 0xD840 && c <= 0xD8BF;
}

bool isKana(char16_t c) {
  return (c >= u'\u3041' && c <= u'\u309F') || (c >= u'\u30A0' && c <= u'\u30FF') ||
         (c >= u'\uFF66' && c <= u'\uFF9F') || c == u'…';
}

std::size_t characters(std::u16string_view text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char16_t c) { return c < 0xDC00 || c > 0xDFFF; }));
}

// The code units of the run of kanji that ends `text`, when it holds 1 to
// `most` characters; 0 otherwise.
std::size_t kanjiTail(std::u16string_view text, std::size_t most) {
  std::size_t units = 0, count = 0;
  while (units < text.size()) {
    const std::size_t end = text.size() - units;
    if (end >= 2 && text[end - 1] >= 0xDC00 && text[end - 1] <= 0xDFFF && isKanjiPlaneHigh(text[end - 2])) {
      units += 2;
    } else if (isKanji(text[end - 1])) {
      units += 1;
    } else {
      break;
    }
    ++count;
  }
  return count <= most ? units : 0;
}

// A reading the sites accept: not empty, not too long, no notation inside.
bool acceptedReading(std::u16string_view reading) {
  return !reading.empty() && characters(reading) <= maxReading && reading.find(u'《') == reading.npos;
}

// The runs of one line.
class LineReader {
 public:
  LineReader(std::u16string_view line, const WebNotationOptions& options, Document& document)
      : line_(line), options_(options), document_(document) {}

  std::vector<Run> read() {
    for (std::size_t i = 0; i < line_.size();) i = step(i);
    flush();
    return std::move(runs_);
  }

 private:
  // Reads what begins at `i`; the position after it.
  std::size_t step(std::size_t i) {
    const char16_t c = line_[i];
    const char16_t next = i + 1 < line_.size() ? line_[i + 1] : u'\0';
    if (isBar(c)) {
      // The bar before a bracket keeps the bracket as it is typed.
      if (next == u'《' || (options_.furiganaParens && (next == u'（' || next == u'('))) {
        text_ += next;
        return i + 2;
      }
      if (const auto end = barRuby(i)) return *end;
    } else if (c == u'《' && next == u'《') {
      if (const auto end = emphasis(i)) return *end;
    } else if (c == u'《') {
      const std::size_t close = line_.find(u'》', i + 1);
      const std::size_t tail = kanjiTail(text_, maxBase);
      if (close != line_.npos && tail > 0 && acceptedReading(line_.substr(i + 1, close - i - 1))) {
        rubyOnTail(tail, line_.substr(i + 1, close - i - 1));
        return close + 1;
      }
    } else if (options_.furiganaParens && (c == u'（' || c == u'(')) {
      if (const auto end = parenRuby(i)) return *end;
    }
    text_ += c;
    return i + 1;
  }

  // |base《reading》: the base is what lies between the bar and 《.
  std::optional<std::size_t> barRuby(std::size_t bar) {
    const std::size_t open = line_.find(u'《', bar + 1);
    if (open == line_.npos || open + 1 >= line_.size() || line_[open + 1] == u'《') return std::nullopt;
    const std::u16string_view base = line_.substr(bar + 1, open - bar - 1);
    if (base.empty() || characters(base) > maxBase || std::any_of(base.begin(), base.end(), isBar))
      return std::nullopt;
    const std::size_t close = line_.find(u'》', open + 1);
    if (close == line_.npos || !acceptedReading(line_.substr(open + 1, close - open - 1)))
      return std::nullopt;
    flush();
    addRun(std::u16string(base), line_.substr(open + 1, close - open - 1));
    return close + 1;
  }

  // 《《text》》: emphasis dots beside the text.
  std::optional<std::size_t> emphasis(std::size_t open) {
    const std::size_t close = line_.find(u"》》", open + 2);
    if (close == line_.npos || close == open + 2) return std::nullopt;
    flush();
    Run& run = runs_.emplace_back();
    run.text = line_.substr(open + 2, close - open - 2);
    run.marks.emphasis = EmphasisKind::sesame;
    ++document_.notationCounts[u"傍点"];
    return close + 2;
  }

  // 漢字（かんじ）: kana alone in parentheses right after kanji.
  std::optional<std::size_t> parenRuby(std::size_t open) {
    const std::size_t close = line_.find_first_of(u"）)", open + 1);
    if (close == line_.npos) return std::nullopt;
    const std::u16string_view reading = line_.substr(open + 1, close - open - 1);
    const std::size_t tail = kanjiTail(text_, maxParenKana);
    if (tail == 0 || reading.empty() || characters(reading) > maxParenKana ||
        !std::all_of(reading.begin(), reading.end(), isKana))
      return std::nullopt;
    rubyOnTail(tail, reading);
    return close + 1;
  }

  // The last `units` of the pending text become the base of the reading.
  void rubyOnTail(std::size_t units, std::u16string_view reading) {
    std::u16string base = text_.substr(text_.size() - units);
    text_.resize(text_.size() - units);
    flush();
    addRun(std::move(base), reading);
  }

  void addRun(std::u16string base, std::u16string_view reading) {
    Run& run = runs_.emplace_back();
    run.text = std::move(base);
    run.ruby = reading;
    ++document_.notationCounts[u"ルビ"];
  }

  void flush() {
    if (text_.empty()) return;
    runs_.emplace_back().text = std::move(text_);
    text_.clear();
  }

  std::u16string_view line_;
  const WebNotationOptions& options_;
  Document& document_;
  std::u16string text_;
  std::vector<Run> runs_;
};

bool isBlank(char16_t c) {
  return c == u' ' || c == u'\u3000' || c == u'\t';
}

// The level of a heading line (1 部, 2 章 and 編, 3 話 and the like, -1 a word
// such as プロローグ), or 0 for a line of text.
int headingLevel(std::u16string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  if (text.empty() || characters(text) > 40 || text.back() == u'。' || text.back() == u'、') return 0;
  // What follows the heading's name: nothing, or a blank or mark and its title.
  const auto endsName = [&](std::size_t at) {
    return at == text.size() || isBlank(text[at]) ||
           std::u16string_view(u"：:・「『（(―－-").find(text[at]) != std::u16string_view::npos;
  };
  if (text.front() == u'第') {
    std::size_t at = 1;
    const std::u16string_view numerals = u"0123456789０１２３４５６７８９〇一二三四五六七八九十百千零壱弐参";
    while (at < text.size() && numerals.find(text[at]) != numerals.npos) ++at;
    if (at == 1 || at >= text.size() || !endsName(at + 1)) return 0;
    switch (text[at]) {
      case u'部':
        return 1;
      case u'章':
      case u'編':
        return 2;
      case u'話':
      case u'節':
      case u'幕':
      case u'回':
        return 3;
      default:
        return 0;
    }
  }
  for (const std::u16string_view word :
       {u"プロローグ", u"エピローグ", u"序章", u"終章", u"間章", u"幕間", u"閑話", u"番外編", u"あとがき"})
    if (text.starts_with(word) && endsName(word.size())) return -1;
  return 0;
}

}  // namespace

Document readWebNovelText(std::u16string_view source, const WebNotationOptions& options) {
  Document document;
  document.sourceLength = source.size();
  std::vector<std::size_t> wordHeadings;
  int topLevel = 0;  // the highest level of the numbered headings
  for (std::size_t start = 0; start <= source.size();) {
    const std::size_t end = std::min(source.find_first_of(u"\r\n", start), source.size());
    const bool endsLine = end < source.size();
    const std::size_t next =
        end + (endsLine ? 1 : 0) +
        (endsLine && source[end] == u'\r' && end + 1 < source.size() && source[end + 1] == u'\n');
    Paragraph paragraph;
    paragraph.runs = LineReader(source.substr(start, end - start), options, document).read();
    paragraph.endsLine = endsLine;
    paragraph.sourceEnd = next;
    std::u16string text;
    for (const Run& run : paragraph.runs) text += run.text;
    if (const int level = headingLevel(text); level != 0) {
      ++document.notationCounts[u"見出し"];
      if (level < 0) {
        wordHeadings.push_back(document.paragraphs.size());
      } else {
        paragraph.style.headingLevel = level;
        topLevel = topLevel == 0 ? level : std::min(topLevel, level);
      }
    }
    if (endsLine || !paragraph.runs.empty()) document.paragraphs.push_back(std::move(paragraph));
    if (!endsLine) break;
    start = next;
  }
  for (const std::size_t p : wordHeadings)
    document.paragraphs[p].style.headingLevel = topLevel == 0 ? 2 : topLevel;
  return document;
}

}  // namespace zelvato
