#include "aozora_notation.h"

#include <algorithm>
#include <optional>

#include "jis_x0213.h"
#include "unicode_text.h"

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

// Reads the notation line by line into paragraphs of runs, in one pass: every
// search for a closing bracket is answered from positions found once per line.
class NotationReader {
 public:
  NotationReader(std::u16string_view source, Document& out) : source_(source), out_(out) {}

  void readLine(const SourceLine& line) {
    const std::u16string_view content = line.content;
    prepareLine(content);
    if (!carried_) startParagraph();
    bool removedAnnotation = false;
    std::size_t plainFrom = 0;  // the text since the last notation, appended in one go
    auto flush = [&](std::size_t to) {
      if (to > plainFrom) appendText(content.substr(plainFrom, to - plainFrom));
    };
    for (std::size_t i = 0; i < content.size();) {
      const char16_t c = content[i];
      if (c == annotationStart[0] && i + 1 < content.size() && content[i + 1] == annotationStart[1]) {
        const std::size_t end = closeOf(i);
        if (end != std::u16string_view::npos) {
          flush(i);
          const std::u16string_view body =
              content.substr(i + annotationStart.size(), end - i - annotationStart.size());
          annotation(body, i > 0 && content[i - 1] == gaijiMark, offsetOf(content, end + 1));
          removedAnnotation = true;
          i = plainFrom = end + 1;
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
          i = plainFrom = i + 1;
          continue;
        }
      }
      if (c == rubyStart && rubyAt(i)) {
        flush(i);
        const std::size_t end = content.find(rubyEnd, i + 1);
        ruby(content.substr(i + 1, end - i - 1));
        i = plainFrom = end + 1;
        continue;
      }
      ++i;
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

  // The matching ］ of every ［ of the line (brackets nest), and the last 》 in it.
  void prepareLine(std::u16string_view content) {
    brackets_.clear();
    open_.clear();
    nextBracket_ = 0;
    lastRubyEnd_ = std::u16string_view::npos;
    for (std::size_t at = 0; at < content.size(); ++at) {
      const char16_t c = content[at];
      if (c == u'［') {
        open_.push_back(brackets_.size());
        brackets_.push_back({at, std::u16string_view::npos});
      } else if (c == annotationEnd && !open_.empty()) {
        brackets_[open_.back()].close = at;
        open_.pop_back();
      } else if (c == rubyEnd) {
        lastRubyEnd_ = at;
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
    paragraph_.runs.reserve(4);
    paragraph_.style.firstIndent = paragraph_.style.restIndent = rangeIndent_;
    carried_ = false;
  }

  void emit() {
    out_.paragraphs.push_back(std::move(paragraph_));
    startParagraph();
  }

  void appendText(std::u16string_view text) {
    if (paragraph_.runs.empty() || !paragraph_.runs.back().ruby.empty() ||
        paragraph_.runs.back().marks.emphasis != emphasis_) {
      Run& run = paragraph_.runs.emplace_back();
      run.marks.emphasis = emphasis_;
    }
    paragraph_.runs.back().text += text;
  }

  // The run that carries a ruby: from the explicit base mark, else the run of
  // one character class at the end of the text.
  void ruby(std::u16string_view reading) {
    std::vector<Run>& runs = paragraph_.runs;
    Run base;
    base.marks.emphasis = emphasis_;
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
    } else if (!runs.empty() && runs.back().ruby.empty()) {
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

  void annotation(std::u16string_view body, bool afterGaijiMark, std::size_t sourceAfter) {
    if (body == u"改ページ" || body == u"改丁" || body == u"改見開き") {
      const PageBreak kind = body == u"改ページ" ? PageBreak::page
                             : body == u"改丁"   ? PageBreak::sheet
                                                 : PageBreak::spread;
      if (!paragraph_.runs.empty()) {
        // The text before the break ends its page without ending its line.
        paragraph_.endsLine = false;
        paragraph_.sourceEnd = sourceAfter;
        emit();
        carried_ = true;
      }
      paragraph_.style.breakBefore = kind;
      return;
    }
    if (body == u"ここで字下げ終わり") {
      rangeIndent_ = 0;
      setIndent(0);
      return;
    }
    constexpr std::u16string_view from = u"ここから", indent = u"字下げ";
    if (endsWith(body, indent)) {
      const bool range = startsWith(body, from);
      const std::u16string_view count =
          body.substr(range ? from.size() : 0, body.size() - indent.size() - (range ? from.size() : 0));
      if (const auto cells = readCount(count)) {
        if (range) rangeIndent_ = *cells;
        setIndent(*cells);
        return;
      }
    }
    if (const int level = headingLevel(body); level != 0) {
      // ［＃「X」は中見出し］ after its text, or ［＃中見出し］…［＃中見出し終わり］ around it.
      paragraph_.style.headingLevel = level;
      return;
    }
    if (body == u"地付き") {
      paragraph_.style.raiseFromFoot = 0;
      return;
    }
    constexpr std::u16string_view raiseStart = u"地から", raiseEnd = u"字上げ";
    if (startsWith(body, raiseStart) && endsWith(body, raiseEnd)) {
      if (const auto cells =
              readCount(body.substr(raiseStart.size(), body.size() - raiseStart.size() - raiseEnd.size()))) {
        paragraph_.style.raiseFromFoot = *cells;
        return;
      }
    }
    if (body == u"傍点" || body == u"傍点終わり") {
      emphasis_ = body == u"傍点" ? EmphasisKind::sesame : EmphasisKind::none;
      return;
    }
    // 「X」に傍点 follows the X it marks.
    constexpr std::u16string_view emphasisStart = u"「", emphasisEnd = u"」に傍点";
    if (startsWith(body, emphasisStart) && endsWith(body, emphasisEnd)) {
      const std::u16string_view marked =
          body.substr(emphasisStart.size(), body.size() - emphasisStart.size() - emphasisEnd.size());
      if (markEnd(marked, EmphasisKind::sesame)) return;
    }
    if (afterGaijiMark && !paragraph_.runs.empty() && paragraph_.runs.back().ruby.empty() &&
        !paragraph_.runs.back().text.empty() && paragraph_.runs.back().text.back() == gaijiMark) {
      const std::u16string character = gaijiCharacter(body);
      if (!character.empty()) {
        paragraph_.runs.back().text.pop_back();
        paragraph_.runs.back().text += character;
        return;
      }
    }
    ++out_.unreadAnnotations;
  }

  // A range's indent takes the paragraph not yet begun at once; later lines follow it.
  void setIndent(int cells) {
    if (paragraph_.runs.empty()) paragraph_.style.firstIndent = paragraph_.style.restIndent = cells;
  }

  // The emphasis of the text `marked` that ends the paragraph so far (its ruby aside).
  bool markEnd(std::u16string_view marked, EmphasisKind kind) {
    if (marked.empty() || paragraph_.runs.empty()) return false;
    std::vector<Run>& runs = paragraph_.runs;
    Run& last = runs.back();
    if (!endsWith(last.text, marked)) return false;
    if (!last.ruby.empty() || last.text.size() == marked.size()) {
      last.marks.emphasis = kind;
      return true;
    }
    Run tail;
    tail.marks = last.marks;
    tail.marks.emphasis = kind;
    tail.text = last.text.substr(last.text.size() - marked.size());
    last.text.resize(last.text.size() - marked.size());
    runs.push_back(std::move(tail));
    return true;
  }

  std::u16string_view source_;
  Document& out_;
  Paragraph paragraph_;
  bool carried_ = false;  // the paragraph was begun by a line of annotations alone
  int rangeIndent_ = 0;
  EmphasisKind emphasis_ = EmphasisKind::none;
  std::optional<Mark> explicitBase_;
  struct Bracket {
    std::size_t open;
    std::size_t close;
  };
  std::vector<Bracket> brackets_;
  std::vector<std::size_t> open_;
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

ConversionSettings withDocumentTitle(const ConversionSettings& settings, const Document& document) {
  ConversionSettings adjusted = settings;
  if (settings.aozoraNotation && settings.htmlTitle == ConversionSettings{}.htmlTitle &&
      !document.title.empty())
    adjusted.htmlTitle = document.title;
  return adjusted;
}

}  // namespace zelvato
