#include "write/xhtml/xhtml_content.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "document/number_text.h"
#include "text/html_text.h"
#include "text/tate_chu_yoko.h"

namespace zelvato {
namespace {

// Indents and distances from the foot have classes up to this many cells.
constexpr int maxClassCells = 20;

// The CSS mark of each emphasis kind.
std::u16string_view emphasisStyle(EmphasisKind kind) {
  switch (kind) {
    case EmphasisKind::sesame:
      return u"sesame";
    case EmphasisKind::whiteSesame:
      return u"open sesame";
    case EmphasisKind::blackCircle:
      return u"filled circle";
    case EmphasisKind::whiteCircle:
      return u"open circle";
    case EmphasisKind::blackTriangle:
      return u"filled triangle";
    case EmphasisKind::whiteTriangle:
      return u"open triangle";
    case EmphasisKind::doubleCircle:
      return u"filled double-circle";
    case EmphasisKind::bullseye:
      return u"open double-circle";
    case EmphasisKind::cross:
      return u"'×'";
    case EmphasisKind::none:
      break;
  }
  return {};
}

constexpr EmphasisKind emphasisKinds[] = {
    EmphasisKind::sesame,       EmphasisKind::whiteSesame,   EmphasisKind::blackCircle,
    EmphasisKind::whiteCircle,  EmphasisKind::blackTriangle, EmphasisKind::whiteTriangle,
    EmphasisKind::doubleCircle, EmphasisKind::bullseye,      EmphasisKind::cross,
};

// The class of each kind of side line (傍線), a border beside the text.
std::u16string_view lineClass(LineKind kind) {
  switch (kind) {
    case LineKind::doubled:
      return u"line2";
    case LineKind::chain:
      return u"linec";
    case LineKind::dashed:
      return u"lined";
    case LineKind::wavy:
      return u"linew";
    default:
      return u"line1";
  }
}

struct LineStyle {
  std::u16string_view cls;
  std::u16string_view style;
};
constexpr LineStyle lineStyles[] = {
    {u"line1", u"solid"},  {u"line2", u"double"}, {u"linec", u"dotted"},
    {u"lined", u"dashed"}, {u"linew", u"wavy"},
};

// Size steps: s1..s9 larger, sm1..sm9 smaller.
std::u16string sizeClass(int step) {
  return (step < 0 ? u"sm" : u"s") + formatNumber(step < 0 ? -step : step, 1);
}

std::u16string className(EmphasisKind kind) {
  return u"em" + formatNumber(static_cast<int>(kind), 1);
}

// Text with every run of two digits (or !? pair) that tate-chu-yoko takes set across.
void appendText(std::u16string& out, std::u16string_view text, bool tateChuYoko) {
  if (!tateChuYoko) {
    out += escapeText(text);
    return;
  }
  std::size_t from = 0;
  for (std::size_t k = 0; k + 1 < text.size(); ++k) {
    if (!mayStartTateChuYoko(text[k]) || !startsTateChuYoko(text, k)) continue;
    out += escapeText(text.substr(from, k - from));
    out += u"<span class=\"tcy\">";
    out += escapeText(text.substr(k, 2));
    out += u"</span>";
    from = k + 2;
    ++k;
  }
  out += escapeText(text.substr(from));
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
    sections_.emplace_back();
    bool first = true;
    // A page centred left to right stands in a box of the page's width, its
    // lines in the middle, up to the next page break.
    bool centred = false;
    for (const Paragraph& paragraph : document_.paragraphs) {
      const bool pageBreak =
          paragraph.style.breakBefore != PageBreak::none && paragraph.style.breakBefore != PageBreak::column;
      const bool cut =
          !first &&
          (pageBreak || (!centred && options_.cutAtHeadings && paragraph.style.headingLevel > 0) ||
           (!centred && options_.cutAtSize > 0 && sections_.back().body.size() >= options_.cutAtSize));
      if (centred && pageBreak) {
        sections_.back().body += u"</div>\n";
        centred = false;
      }
      if (cut && !sections_.back().body.empty()) sections_.emplace_back();
      if (paragraph.style.centredOnPage && !centred) {
        if (options_.cutAtCentredPage && !sections_.back().body.empty()) sections_.emplace_back();
        sections_.back().body +=
            pageBreak ? u"<div class=\"centred break\">\n" : u"<div class=\"centred\">\n";
        centred = true;
      }
      write(paragraph);
      first = false;
    }
    if (centred) sections_.back().body += u"</div>\n";
    return std::move(sections_);
  }

 private:
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

  void write(const Paragraph& paragraph) {
    XhtmlSection& section = sections_.back();
    std::u16string& out = section.body;
    const std::size_t sectionIndex = sections_.size() - 1;
    const bool textBefore = textSeenIn_ == sectionIndex;
    if (!paragraph.runs.empty()) textSeenIn_ = sectionIndex;
    // An illustration on a line of its own is a figure: the picture, its caption below.
    if (paragraph.runs.size() == 1 && paragraph.style.headingLevel == 0) {
      if (const auto link = pictureOf(paragraph.runs.front())) {
        const Run& run = paragraph.runs.front();
        const std::u16string classes =
            paragraphClasses(paragraph.style, paragraph.style.breakBefore != PageBreak::none &&
                                                  paragraph.style.breakBefore != PageBreak::column);
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
    // A page break inside a single file is a page break of the printed page.
    const std::u16string classes =
        paragraphClasses(paragraph.style, paragraph.style.breakBefore != PageBreak::none &&
                                              paragraph.style.breakBefore != PageBreak::column);
    if (!classes.empty()) out += u" class=\"" + classes + u"\"";
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
      emphasisTag = u"<em class=\"" + className(marks.emphasis);
      if (marks.emphasisSide == Side::left) emphasisTag += u" left";
      emphasisTag += u"\">";
      open(emphasisTag, u"</em>");
    }
    std::u16string lineTag;
    if (marks.line != LineKind::none) {
      lineTag = u"<span class=\"" + std::u16string(lineClass(marks.line)) +
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
      sizeTag = u"<span class=\"" + sizeClass(marks.sizeStep) + u"\">";
      open(sizeTag, u"</span>");
    }
    // Text set across already as a whole is not cut into pairs again.
    const bool pairs = options_.tateChuYoko && !marks.tateChuYoko && !marks.horizontal;
    if (!run.ruby.empty()) {
      out += u"<ruby";
      if (run.rubySide == Side::left) out += u" class=\"left\"";
      out += u">";
      appendText(out, run.text, pairs);
      out += u"<rt>";
      out += escapeText(run.ruby);
      out += u"</rt></ruby>";
    } else {
      appendText(out, run.text, pairs);
    }
    for (auto close = closes.rbegin(); close != closes.rend(); ++close) out += *close;
  }

  const Document& document_;
  const XhtmlOptions& options_;
  std::vector<XhtmlSection> sections_;
  int headings_ = 0;
  std::size_t textSeenIn_ = std::numeric_limits<std::size_t>::max();  // the last section with text so far
};

// A font family name as a CSS string.
std::u16string quotedFamily(std::u16string_view name) {
  std::u16string quoted = u"\"";
  for (const char16_t c : name) {
    if (c == u'"' || c == u'\\') quoted += u'\\';
    if (c == u'<' || c == u'>' || c < 0x20) continue;  // never closes the style element
    quoted += c;
  }
  return quoted + u"\"";
}

// A number field as CSS wants it: the lenient reading, finite, written plainly.
std::u16string cssNumber(const NumberField& field, double fallback) {
  double value = field.value();
  if (!std::isfinite(value) || value < 0 || value > 1000) value = fallback;
  const double rounded = std::round(value * 100) / 100;
  std::u16string text = formatNumber(static_cast<std::int64_t>(rounded), 1);
  const int hundredths = static_cast<int>(std::llround((rounded - std::floor(rounded)) * 100));
  if (hundredths != 0) text += u"." + formatNumber(hundredths, 2);
  return text;
}

}  // namespace

std::vector<XhtmlSection> xhtmlSections(const Document& document, const XhtmlOptions& options) {
  return SectionBuilder(document, options).build();
}

std::u16string xhtmlStyleSheet(const ConversionSettings& settings, int charsPerLine, bool epubPrefixes) {
  const auto both = [&](std::u16string_view property, std::u16string_view value) {
    std::u16string line = u"  " + std::u16string(property) + u": " + std::u16string(value) + u";\n";
    if (epubPrefixes) line += u"  -epub-" + std::u16string(property) + u": " + std::u16string(value) + u";\n";
    return line;
  };
  std::u16string families;
  if (!settings.fontFace.empty()) families = quotedFamily(settings.fontFace) + u", ";
  for (const std::u16string_view face : {u"BIZ UDMincho", u"IPAMincho", u"BIZ UDGothic", u"IPAGothic"})
    if (face != settings.fontFace) families += quotedFamily(face) + u", ";
  families += u"serif";
  std::u16string css =
      u"html {\n" + both(u"writing-mode", u"vertical-rl") + u"  -webkit-writing-mode: vertical-rl;\n";
  if (settings.kinsoku) css += both(u"line-break", u"strict");
  css += u"}\n";
  css += u"body {\n  margin: 1em;\n  font-family: " + families + u";\n  font-size: " +
         cssNumber(settings.fontSizePt, 9) + u"pt;\n  line-height: calc(1.75em + " +
         cssNumber(settings.lineSpacingPt, 0) + u"pt);\n";
  if (charsPerLine > 0)
    css += u"  max-inline-size: " + formatNumber(charsPerLine, 1) + u"em;\n  max-height: " +
           formatNumber(charsPerLine, 1) + u"em;\n";
  css += u"}\n";
  css += u"p, h1, h2, h3 {\n  margin: 0;\n}\n";
  css += u"h1 { font-size: 1.6em; margin-inline-start: 3em; margin-block: 1em; }\n";
  css += u"h2 { font-size: 1.3em; margin-inline-start: 3em; margin-block: 1em; }\n";
  css += u"h3 { font-size: 1.1em; margin-inline-start: 3em; margin-block: 1em; }\n";
  css += u"rt { font-size: 0.5em; }\n";
  css += u".tcy {\n" + both(u"text-combine-upright", u"all") + u"  -webkit-text-combine: horizontal;\n";
  if (epubPrefixes) css += u"  -epub-text-combine: horizontal;\n";
  css += u"}\n";
  css += u"em { font-style: normal; }\n";
  for (const EmphasisKind kind : emphasisKinds) {
    css += u"em." + className(kind) + u" {\n" + both(u"text-emphasis-style", emphasisStyle(kind)) +
           u"  -webkit-text-emphasis-style: " + std::u16string(emphasisStyle(kind)) + u";\n}\n";
  }
  css += u"em.left {\n" + both(u"text-emphasis-position", u"over left") +
         u"  -webkit-text-emphasis-position: over left;\n}\n";
  // 傍線: a line beside the text, on its right (or left) in vertical writing.
  for (const LineStyle& line : lineStyles)
    css += u"." + std::u16string(line.cls) + u" { text-decoration: underline " + std::u16string(line.style) +
           u"; text-underline-position: right; }\n";
  css += u".lineleft { text-underline-position: left; }\n";
  css += u"ruby.left { ruby-position: under; }\n";
  css += u".box { border: 1px solid; }\n";
  css += u".yoko { display: inline-block; writing-mode: horizontal-tb; }\n";
  css += u".kogaki { font-size: 0.7em; }\n";
  css += u".kaeriten, .okuri { font-size: 0.5em; }\n";
  css += u".okuri { vertical-align: super; }\n";
  css += u".gaiji, .note { font-size: 0.6em; }\n";
  css +=
      u".warichu {\n  display: inline-block;\n  font-size: 0.5em;\n  line-height: 1.1;\n  text-indent: "
      u"0;\n}\n";
  css += u".illustration { display: block; }\n";
  css += u"figure.figure { margin: 1em 0; text-align: center; }\n";
  css += u"figure.figure img, img.picture { max-width: 90vw; max-height: 90vh; }\n";
  css += u"figcaption, .caption { font-size: 0.8em; }\n";
  for (int step = 1; step <= 9; ++step) {
    const int percent = step * 20;
    css += u"." + sizeClass(step) + u" { font-size: " + formatNumber(100 + percent, 1) + u"%; }\n";
    css += u"." + sizeClass(-step) + u" { font-size: " + formatNumber(std::max(100 - step * 15, 30), 1) +
           u"%; }\n";
  }
  css += u".break {\n  break-before: page;\n  page-break-before: always;\n}\n";
  // ページの左右中央: a page of its own, its lines in the middle from left to right.
  css +=
      u".centred {\n  display: flex;\n  flex-direction: column;\n  justify-content: center;\n  block-size: "
      u"calc(100vw - 2em);\n  break-after: page;\n  page-break-after: always;\n}\n";
  // Indents in cells (em) down from the head of the line, and their hanging forms.
  for (int n = 1; n <= maxClassCells; ++n) {
    const std::u16string count = formatNumber(n, 1);
    css += u".i" + count + u" { margin-inline-start: " + count + u"em; }\n";
    css += u".t" + count + u" { text-indent: " + count + u"em; }\n";
    css += u".tm" + count + u" { text-indent: -" + count + u"em; }\n";
  }
  for (int n = 0; n <= maxClassCells; ++n) {
    const std::u16string count = formatNumber(n, 1);
    css += u".f" + count + u" { text-align: end; margin-inline-end: " + count + u"em; }\n";
  }
  return css;
}

}  // namespace zelvato
