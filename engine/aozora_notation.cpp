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

// Reads the notation of one line at a time into the text the layout takes.
class NotationReader {
 public:
  NotationReader(RubyMode rubyMode, AozoraText& out) : rubyMode_(rubyMode), out_(out) {}

  bool marksUnordered() const { return marksUnordered_; }

  void readLine(const SourceLine& line) {
    const std::u16string_view content = line.content;
    const std::size_t lineStart = out_.text.size();
    bool removedAnnotation = false;
    lineIndent_ = false;
    for (std::size_t i = 0; i < content.size();) {
      const char16_t c = content[i];
      if (c == annotationStart[0] && startsWith(content.substr(i), annotationStart)) {
        const std::size_t end = annotationClose(content, i + annotationStart.size());
        if (end != std::u16string_view::npos) {
          const std::u16string_view body =
              content.substr(i + annotationStart.size(), end - i - annotationStart.size());
          annotation(body, i > 0 && content[i - 1] == gaijiMark);
          removedAnnotation = true;
          i = end + 1;
          continue;
        }
      }
      if (c == u'｜' || c == u'|') {
        // An explicit base begins here when a ruby follows on the same line.
        if (rubyAt(content, content.find(rubyStart, i + 1))) {
          ++i;
          continue;
        }
      }
      if (c == rubyStart && rubyAt(content, i)) {
        const std::size_t end = content.find(rubyEnd, i + 1);
        rubyBaseEnd_ = out_.text.size();
        if (rubyMode_ == RubyMode::paren) {
          out_.text += u'（';
          out_.text += content.substr(i + 1, end - i - 1);
          out_.text += u'）';
        }
        rubyEnd_ = out_.text.size();
        i = end + 1;
        continue;
      }
      out_.text += c;
      ++i;
    }
    // A line of annotations alone (a page break, the start of an indented
    // range) leaves no empty vertical line, nor does the end of a line that
    // ends with a page break.
    const bool endsWithPageBreak = !out_.marks.empty() && out_.marks.back().offset == out_.text.size() &&
                                   out_.marks.back().kind == NotationMark::Kind::pageBreak;
    if (!(removedAnnotation && (out_.text.size() == lineStart || endsWithPageBreak))) out_.text += line.end;
    if (lineIndent_) mark(NotationMark::Kind::indent, rangeIndent_);
  }

 private:
  static bool rubyAt(std::u16string_view content, std::size_t at) {
    return at != std::u16string_view::npos && content[at] == rubyStart &&
           content.find(rubyEnd, at + 1) != std::u16string_view::npos;
  }

  // The ］ that closes the annotation whose body starts at `from`; brackets
  // inside it nest.
  static std::size_t annotationClose(std::u16string_view content, std::size_t from) {
    int depth = 0;
    for (std::size_t at = from; at < content.size(); ++at) {
      if (content[at] == u'［') ++depth;
      if (content[at] == annotationEnd && depth-- == 0) return at;
    }
    return std::u16string_view::npos;
  }

  void mark(NotationMark::Kind kind, int cells = 0) { out_.marks.push_back({out_.text.size(), kind, cells}); }

  void annotation(std::u16string_view body, bool afterGaijiMark) {
    if (body == u"改ページ" || body == u"改丁" || body == u"改見開き") {
      mark(NotationMark::Kind::pageBreak);
      return;
    }
    if (body == u"ここで字下げ終わり") {
      rangeIndent_ = 0;
      mark(NotationMark::Kind::indent, 0);
      return;
    }
    constexpr std::u16string_view from = u"ここから", indent = u"字下げ";
    if (endsWith(body, indent)) {
      const bool range = startsWith(body, from);
      const std::u16string_view count =
          body.substr(range ? from.size() : 0, body.size() - indent.size() - (range ? from.size() : 0));
      if (const auto cells = readCount(count)) {
        if (range)
          rangeIndent_ = *cells;
        else
          lineIndent_ = true;
        mark(NotationMark::Kind::indent, *cells);
        return;
      }
    }
    if (body == u"傍点" || body == u"傍点終わり") {
      mark(NotationMark::Kind::emphasis, body == u"傍点" ? 1 : 0);
      return;
    }
    // 「X」に傍点 follows the X it marks.
    constexpr std::u16string_view emphasisStart = u"「", emphasisEnd = u"」に傍点";
    if (startsWith(body, emphasisStart) && endsWith(body, emphasisEnd)) {
      const std::u16string_view marked =
          body.substr(emphasisStart.size(), body.size() - emphasisStart.size() - emphasisEnd.size());
      // The X may carry its ruby: 下人（げにん）［＃「下人」に傍点］.
      const std::size_t end = out_.text.size() == rubyEnd_ ? rubyBaseEnd_ : out_.text.size();
      if (!marked.empty() && endsWith(std::u16string_view(out_.text).substr(0, end), marked)) {
        out_.marks.push_back({end - marked.size(), NotationMark::Kind::emphasis, 1});
        out_.marks.push_back({end, NotationMark::Kind::emphasis, 0});
        marksUnordered_ = true;
        return;
      }
    }
    if (afterGaijiMark && !out_.text.empty() && out_.text.back() == gaijiMark) {
      const std::u16string character = gaijiCharacter(body);
      if (!character.empty()) {
        out_.text.pop_back();
        out_.text += character;
        return;
      }
    }
    ++out_.droppedAnnotations;
  }

  RubyMode rubyMode_;
  AozoraText& out_;
  int rangeIndent_ = 0;
  bool lineIndent_ = false;      // the line holds a one-line indent, undone at its end
  bool marksUnordered_ = false;  // an emphasis mark went back before later marks
  // Where the last ruby's base ended and the ruby itself, in the read text.
  std::size_t rubyBaseEnd_ = std::u16string::npos;
  std::size_t rubyEnd_ = std::u16string::npos;
};

// The header is the first few lines, up to the first blank line: title,
// author and the like. The title is its first line, its notation read, ruby dropped.
std::u16string titleOf(const std::vector<SourceLine>& lines) {
  constexpr std::size_t longestHeader = 6;
  std::size_t blank = 1;
  while (blank < lines.size() && blank <= longestHeader && !trimmed(lines[blank].content).empty()) ++blank;
  if (blank >= lines.size() || blank > longestHeader) return {};
  AozoraText title;
  NotationReader(RubyMode::drop, title).readLine({lines.front().content, {}});
  return std::u16string(trimmed(title.text));
}

}  // namespace

AozoraText readAozoraNotation(std::u16string_view source, RubyMode rubyMode) {
  const std::vector<SourceLine> lines = splitLines(source);
  AozoraText out;
  out.text.reserve(source.size());
  out.title = titleOf(lines);
  NotationReader reader(rubyMode, out);
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
  if (reader.marksUnordered())
    std::stable_sort(out.marks.begin(), out.marks.end(),
                     [](const NotationMark& a, const NotationMark& b) { return a.offset < b.offset; });
  return out;
}

ConversionSettings withNotationTitle(const ConversionSettings& settings, std::u16string_view source) {
  ConversionSettings adjusted = settings;
  if (!settings.aozoraNotation || settings.htmlTitle != ConversionSettings{}.htmlTitle) return adjusted;
  const std::u16string title = titleOf(splitLines(source));
  if (!title.empty()) adjusted.htmlTitle = title;
  return adjusted;
}

}  // namespace zelvato
