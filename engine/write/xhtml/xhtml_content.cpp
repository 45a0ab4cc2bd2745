#include "write/xhtml/xhtml_content.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "document/number_text.h"
#include "text/html_text.h"
#include "text/tate_chu_yoko.h"
#include "write/xhtml/xhtml_classes.h"

namespace zelvato {
namespace {

using xhtml::maxClassCells;

bool isDigit(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'０' && c <= u'９');
}

char16_t asciiDigit(char16_t c) {
  return c >= u'０' && c <= u'９' ? static_cast<char16_t>(u'0' + (c - u'０')) : c;
}

// How the characters of a run are written besides their escaping.
enum class Numbers {
  asTyped,
  pairsAcross,    // two half-width digits (or !? pairs) across, as tate-chu-yoko takes them
  ascii,          // horizontal: full-width digits as ASCII
  acrossOrKanji,  // the colophon: up to two digits across, longer numbers in kanji
};

void appendAcross(std::u16string& out, std::u16string_view text) {
  out += u"<span class=\"tcy\">";
  out += escapeText(text);
  out += u"</span>";
}

// The colophon's numbers, "1998（平成10）年6月": a number of one or two digits
// across, a longer one digit by digit in kanji (一九九八).
void appendColophonText(std::u16string& out, std::u16string_view text) {
  static constexpr std::u16string_view kanjiDigits = u"〇一二三四五六七八九";
  std::size_t from = 0;
  for (std::size_t k = 0; k < text.size();) {
    if (!isDigit(text[k])) {
      ++k;
      continue;
    }
    std::size_t end = k;
    std::u16string digits;
    for (; end < text.size() && isDigit(text[end]); ++end) digits += asciiDigit(text[end]);
    out += escapeText(text.substr(from, k - from));
    if (digits.size() <= 2) {
      appendAcross(out, digits);
    } else {
      for (const char16_t d : digits) out += kanjiDigits[static_cast<std::size_t>(d - u'0')];
    }
    from = k = end;
  }
  out += escapeText(text.substr(from));
}

void appendText(std::u16string& out, std::u16string_view text, Numbers numbers) {
  switch (numbers) {
    case Numbers::asTyped:
      out += escapeText(text);
      return;
    case Numbers::ascii: {
      std::u16string narrow(text);
      std::transform(narrow.begin(), narrow.end(), narrow.begin(), asciiDigit);
      out += escapeText(narrow);
      return;
    }
    case Numbers::acrossOrKanji:
      appendColophonText(out, text);
      return;
    case Numbers::pairsAcross:
      break;
  }
  std::size_t from = 0;
  for (std::size_t k = 0; k + 1 < text.size(); ++k) {
    if (!mayStartTateChuYoko(text[k]) || !startsTateChuYoko(text, k)) continue;
    out += escapeText(text.substr(from, k - from));
    appendAcross(out, text.substr(k, 2));
    from = k + 2;
    ++k;
  }
  out += escapeText(text.substr(from));
}

std::u16string textOf(const Paragraph& paragraph) {
  std::u16string text;
  for (const Run& run : paragraph.runs) text += run.text;
  return text;
}

// The paragraphs of an Aozora Bunko header: the title first, the lines up to
// the first blank one; none when the text does not begin with its title.
std::size_t headerParagraphs(const Document& document) {
  constexpr std::size_t mostLines = 6;
  const std::vector<Paragraph>& paragraphs = document.paragraphs;
  if (document.title.empty() || paragraphs.empty() || textOf(paragraphs.front()) != document.title) return 0;
  std::size_t count = 0;
  while (count < paragraphs.size() && count < mostLines && !paragraphs[count].runs.empty() &&
         paragraphs[count].style.headingLevel == 0)
    ++count;
  return count;
}

// UTF-8 bytes of a text, as a section's size is counted.
std::size_t utf8Bytes(std::u16string_view text) {
  std::size_t bytes = 0;
  for (const char16_t c : text) bytes += c < 0x80 ? 1 : c < 0x800 || (c >= 0xD800 && c <= 0xDFFF) ? 2 : 3;
  return bytes;
}

std::u16string paragraphClasses(const ParagraphStyle& style, bool breakBefore) {
  std::u16string classes;
  const auto add = [&](std::u16string_view name) {
    if (!classes.empty()) classes += u' ';
    classes += name;
  };
  if (style.firstIndent > 0 || style.restIndent > 0) {
    add(u"i" + formatNumber(std::min(style.restIndent, maxClassCells), 1));
    if (style.firstIndent != style.restIndent)
      add(u"t" + std::u16string(style.firstIndent < style.restIndent ? u"m" : u"") +
          formatNumber(std::min(std::abs(style.firstIndent - style.restIndent), maxClassCells), 1));
  }
  if (style.raiseFromFoot >= 0) add(u"f" + formatNumber(std::min(style.raiseFromFoot, maxClassCells), 1));
  if (breakBefore) add(u"break");
  return classes;
}

class SectionBuilder {
 public:
  SectionBuilder(const Document& document, const XhtmlOptions& options)
      : document_(document), options_(options) {}

  std::vector<XhtmlSection> build() {
    const std::vector<Paragraph>& paragraphs = document_.paragraphs;
    const std::size_t header = options_.titlePage ? headerParagraphs(document_) : 0;
    const std::size_t colophon = options_.colophon ? colophonStart(document_) : paragraphs.size();
    std::size_t p = 0;
    if (header > 0) {
      writeTitlePage(header);
      // The blank line that ends the header belongs to neither page.
      for (p = header; p < colophon && paragraphs[p].runs.empty(); ++p) {
      }
    }
    sections_.emplace_back();
    // A page centred left to right stands in a box of its own, its lines in
    // the middle, up to the next page break.
    bool centred = false;
    for (bool first = true; p < colophon; ++p, first = false) {
      const Paragraph& paragraph = paragraphs[p];
      const bool pageBreak =
          paragraph.style.breakBefore != PageBreak::none && paragraph.style.breakBefore != PageBreak::column;
      // A heading cuts only after text, so that a chapter's heading and its
      // section's heading stay on one page.
      const bool cut =
          !first &&
          (pageBreak ||
           (!centred && options_.cutAtHeadings && paragraph.style.headingLevel > 0 && textInSection_) ||
           (!centred && options_.cutAtBytes > 0 && bytes_ >= options_.cutAtBytes));
      if (centred && pageBreak) {
        sections_.back().body += u"</div>\n";
        centred = false;
      }
      if (cut && !sections_.back().body.empty()) newSection();
      // A section of a book begins on a page of its own anyway: only a page
      // break within it is marked.
      bool breakBefore = pageBreak && (!options_.bookSections || !sections_.back().body.empty());
      if (paragraph.style.centredOnPage && !centred) {
        if (options_.cutAtCentredPage && !sections_.back().body.empty()) newSection();
        sections_.back().body +=
            breakBefore ? u"<div class=\"centred break\">\n" : u"<div class=\"centred\">\n";
        breakBefore = false;
        centred = true;
      }
      const std::size_t before = sections_.back().body.size();
      write(paragraph, breakBefore);
      bytes_ += utf8Bytes(std::u16string_view(sections_.back().body).substr(before));
      if (paragraph.style.headingLevel == 0 && !paragraph.runs.empty()) textInSection_ = true;
    }
    if (centred) sections_.back().body += u"</div>\n";
    endSection();
    if (sections_.back().body.empty() && sections_.size() > 1) sections_.pop_back();
    if (colophon < paragraphs.size()) writeColophon(colophon);
    return std::move(sections_);
  }

 private:
  void newSection(XhtmlSection::Kind kind = XhtmlSection::Kind::text) {
    endSection();
    sections_.emplace_back().kind = kind;
    bytes_ = 0;
    textInSection_ = false;
  }

  // A content document of a book does not end in blank lines: a reader
  // could give them a page of their own.
  void endSection() {
    if (!options_.bookSections || sections_.empty()) return;
    static constexpr std::u16string_view blankLine = u"<p><br/></p>\n";
    std::u16string& body = sections_.back().body;
    while (body.ends_with(blankLine)) body.resize(body.size() - blankLine.size());
  }

  // 扉: the title, what stands between it and the author, the author and
  // whoever follows (the translator), each in its own size. They are not
  // paragraphs: readers that force their own size on every paragraph would
  // set the title at body size.
  void writeTitlePage(std::size_t count) {
    newSection(XhtmlSection::Kind::titlePage);
    std::u16string& out = sections_.back().body;
    out += u"<div class=\"titlepage\">\n";
    bool authorSeen = false;
    for (std::size_t p = 0; p < count; ++p) {
      const Paragraph& paragraph = document_.paragraphs[p];
      const bool author = !document_.author.empty() && textOf(paragraph) == document_.author;
      authorSeen = authorSeen || author;
      out += p == 0       ? u"<div class=\"title\">"
             : authorSeen ? u"<div class=\"author\">"
                          : u"<div class=\"subtitle\">";
      for (const Run& run : paragraph.runs) writeRun(out, run);
      out += u"</div>\n";
    }
    out += u"</div>\n";
  }

  // The notes on the source at the end, in a box of their own.
  void writeColophon(std::size_t from) {
    newSection(XhtmlSection::Kind::colophon);
    colophon_ = true;
    sections_.back().body += u"<div class=\"colophon\">\n";
    bool begun = false;
    for (std::size_t p = from; p < document_.paragraphs.size(); ++p) {
      const Paragraph& paragraph = document_.paragraphs[p];
      begun = begun || !paragraph.runs.empty();
      if (begun) write(paragraph, false);
    }
    sections_.back().body += u"</div>\n";
  }

  // The link of the run's picture when it can be shown.
  std::optional<std::u16string> pictureOf(const Run& run) const {
    if (run.kind != RunKind::illustration || run.target.empty() || !options_.illustrationLink)
      return std::nullopt;
    return options_.illustrationLink(run.target);
  }

  static std::u16string imageElement(const Run& run, std::u16string_view link, std::u16string_view cls) {
    std::u16string img = u"<img";
    if (!cls.empty()) img += u" class=\"" + std::u16string(cls) + u"\"";
    return img + u" src=\"" + escapeAttribute(link) + u"\" alt=\"" +
           escapeAttribute(run.text.empty() ? u"挿絵" : run.text) + u"\"/>";
  }

  void write(const Paragraph& paragraph, bool breakBefore) {
    XhtmlSection& section = sections_.back();
    std::u16string& out = section.body;
    const std::size_t sectionIndex = sections_.size() - 1;
    const bool textBefore = textSeenIn_ == sectionIndex;
    if (!paragraph.runs.empty()) textSeenIn_ = sectionIndex;
    // An illustration on a line of its own is a figure: the picture, its caption below.
    if (paragraph.runs.size() == 1 && paragraph.style.headingLevel == 0) {
      if (const auto link = pictureOf(paragraph.runs.front())) {
        const Run& run = paragraph.runs.front();
        const std::u16string classes = paragraphClasses(paragraph.style, breakBefore);
        out += u"<figure class=\"figure" + (classes.empty() ? u"" : u" " + classes) + u"\">" +
               imageElement(run, *link, {});
        if (!run.text.empty()) out += u"<figcaption>" + escapeText(run.text) + u"</figcaption>";
        out += u"</figure>\n";
        return;
      }
    }
    const int level = paragraph.style.headingLevel;
    const std::u16string tag = level >= 1 && level <= 3 ? u"h" + formatNumber(level, 1) : u"p";
    out += u'<';
    out += tag;
    std::u16string headingText;
    if (level >= 1 && level <= 3) {
      const std::u16string id = u"h" + formatNumber(++headings_, 1);
      out += u" id=\"" + id + u"\"";
      for (const Run& run : paragraph.runs) headingText += run.text;
      section.headings.push_back({id, headingText, level});
      if (!textBefore) section.openingHeading = headingText;
    }
    // A page break inside a section is a page break of the printed page.
    const std::u16string classes = paragraphClasses(paragraph.style, breakBefore);
    if (!classes.empty()) out += u" class=\"" + classes + u"\"";
    if (options_.sourceMarks) {
      const auto index = static_cast<std::size_t>(&paragraph - document_.paragraphs.data());
      const std::size_t start = index == 0 ? 0 : document_.paragraphs[index - 1].sourceEnd;
      out += u" data-o=\"" + formatNumber(static_cast<std::int64_t>(start), 1) + u"\"";
    }
    // 字詰め: the line, its indent included, is at most so many characters long.
    if (const int length = paragraph.style.lineLength; length > 0)
      out += u" style=\"max-inline-size: " +
             formatNumber(std::max(length - std::min(paragraph.style.restIndent, maxClassCells), 1), 1) +
             u"em\"";
    out += u'>';
    if (paragraph.runs.empty()) out += u"<br/>";
    const std::vector<Run>& runs = paragraph.runs;
    for (std::size_t r = 0; r < runs.size(); ++r) {
      // A 割り注 is set small in two lines: half its length, in its own box.
      if (runs[r].kind == RunKind::warichu && (r == 0 || runs[r - 1].kind != RunKind::warichu)) {
        std::size_t length = 2;
        for (std::size_t n = r; n < runs.size() && runs[n].kind == RunKind::warichu; ++n)
          length += runs[n].text.size();
        out += u"<span class=\"warichu\" style=\"inline-size: " +
               formatNumber(static_cast<int>((length + 1) / 2), 1) + u"em\">（";
      }
      writeRun(out, runs[r]);
      if (runs[r].kind == RunKind::warichu && (r + 1 == runs.size() || runs[r + 1].kind != RunKind::warichu))
        out += u"）</span>";
    }
    out += u"</" + tag + u">\n";
  }

  // A run of a kind that is no text of the author's, in its own span.
  bool writeSpecialRun(std::u16string& out, const Run& run) {
    std::u16string_view cls;
    std::u16string text;
    switch (run.kind) {
      case RunKind::text:
      case RunKind::warichu:
        return false;
      case RunKind::gaijiDescription:
        out += u"※<span class=\"gaiji\">（" + escapeText(run.text) + u"）</span>";
        return true;
      case RunKind::kaeriten:
        cls = u"kaeriten";
        text = run.text;
        break;
      case RunKind::kuntenOkurigana:
        cls = u"okuri";
        text = run.text;
        break;
      case RunKind::editorNote:
        if (!options_.editorNotes) return true;
        cls = u"note";
        text = u"（" + run.text + u"）";
        break;
      case RunKind::illustration:
        // Within a line of text, the picture and its caption after it.
        if (const auto link = pictureOf(run)) {
          out += imageElement(run, *link, u"picture");
          if (!run.text.empty()) out += u"<span class=\"caption\">" + escapeText(run.text) + u"</span>";
          return true;
        }
        cls = u"illustration";
        text = run.text.empty() ? u"（挿絵）" : u"（挿絵：" + run.text + u"）";
        break;
    }
    out += u"<span class=\"" + std::u16string(cls) + u"\">" + escapeText(text) + u"</span>";
    return true;
  }

  void writeRun(std::u16string& out, const Run& run) {
    if (writeSpecialRun(out, run)) return;
    // The marks as nested elements, opened in this order and closed in reverse.
    std::vector<std::u16string_view> closes;
    const auto open = [&](std::u16string_view start, std::u16string_view end) {
      out += start;
      closes.push_back(end);
    };
    const RunMarks& marks = run.marks;
    std::u16string emphasisTag;
    if (marks.emphasis != EmphasisKind::none) {
      emphasisTag = u"<em class=\"" + xhtml::emphasisClass(marks.emphasis);
      if (marks.emphasisSide == Side::left) emphasisTag += u" left";
      emphasisTag += u"\">";
      open(emphasisTag, u"</em>");
    }
    std::u16string lineTag;
    if (marks.line != LineKind::none) {
      lineTag = u"<span class=\"" + std::u16string(xhtml::lineClass(marks.line)) +
                (marks.lineSide == Side::left ? u" lineleft" : u"") + u"\">";
      open(lineTag, u"</span>");
    }
    if (marks.bold) open(u"<b>", u"</b>");
    if (marks.italic) open(u"<i>", u"</i>");
    if (marks.gothic) open(u"<span style=\"font-family: sans-serif\">", u"</span>");
    if (marks.boxed) open(u"<span class=\"box\">", u"</span>");
    if (marks.horizontal) open(u"<span class=\"yoko\">", u"</span>");
    if (marks.tateChuYoko) open(u"<span class=\"tcy\">", u"</span>");
    switch (marks.script) {
      case Script::superscript:
        open(u"<sup>", u"</sup>");
        break;
      case Script::subscript:
        open(u"<sub>", u"</sub>");
        break;
      case Script::small:
        open(u"<span class=\"kogaki\">", u"</span>");
        break;
      case Script::normal:
        break;
    }
    std::u16string sizeTag;
    if (marks.sizeStep != 0) {
      sizeTag = u"<span class=\"" + xhtml::sizeClass(marks.sizeStep) + u"\">";
      open(sizeTag, u"</span>");
    }
    // Text set across already as a whole is not cut into pairs again.
    Numbers numbers = Numbers::asTyped;
    if (options_.horizontal)
      numbers = Numbers::ascii;
    else if (colophon_ && !marks.tateChuYoko && !marks.horizontal)
      numbers = Numbers::acrossOrKanji;
    else if (options_.tateChuYoko && !marks.tateChuYoko && !marks.horizontal)
      numbers = Numbers::pairsAcross;
    if (!run.ruby.empty()) {
      // The parentheses stand for the ruby where it cannot be set beside its base.
      out += u"<ruby";
      if (run.rubySide == Side::left) out += u" class=\"left\"";
      out += u">";
      appendText(out, run.text, numbers);
      out += u"<rp>（</rp><rt>";
      out += escapeText(run.ruby);
      out += u"</rt><rp>）</rp></ruby>";
    } else {
      appendText(out, run.text, numbers);
    }
    for (auto close = closes.rbegin(); close != closes.rend(); ++close) out += *close;
  }

  const Document& document_;
  const XhtmlOptions& options_;
  std::vector<XhtmlSection> sections_;
  int headings_ = 0;
  std::size_t bytes_ = 0;       // of the section being written
  bool textInSection_ = false;  // a paragraph of text (not a heading) in it
  bool colophon_ = false;       // the colophon is being written
  std::size_t textSeenIn_ = std::numeric_limits<std::size_t>::max();  // the last section with text so far
};

}  // namespace

std::vector<XhtmlSection> xhtmlSections(const Document& document, const XhtmlOptions& options) {
  return SectionBuilder(document, options).build();
}

std::size_t colophonStart(const Document& document) {
  const std::vector<Paragraph>& paragraphs = document.paragraphs;
  std::size_t start = paragraphs.size();
  for (std::size_t p = paragraphs.size(); p-- > 0;) {
    if (paragraphs[p].style.headingLevel > 0) break;
    const std::u16string text = textOf(paragraphs[p]);
    if (text.starts_with(u"底本：") || text.starts_with(u"底本:")) start = p;
  }
  if (start == paragraphs.size()) return start;
  while (start > 0 && paragraphs[start - 1].runs.empty()) --start;
  return start;
}

}  // namespace zelvato
