#include "xhtml_content.h"

#include <algorithm>
#include <cmath>

#include "html_text.h"
#include "number_text.h"
#include "page_writer.h"
#include "tate_chu_yoko.h"

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
    for (const Paragraph& paragraph : document_.paragraphs) {
      const bool pageBreak =
          paragraph.style.breakBefore != PageBreak::none && paragraph.style.breakBefore != PageBreak::column;
      const bool cut =
          !first && (pageBreak || (options_.cutAtHeadings && paragraph.style.headingLevel > 0) ||
                     (options_.cutAtSize > 0 && sections_.back().body.size() >= options_.cutAtSize));
      if (cut && !sections_.back().body.empty()) sections_.emplace_back();
      write(paragraph);
      first = false;
    }
    return std::move(sections_);
  }

 private:
  void write(const Paragraph& paragraph) {
    XhtmlSection& section = sections_.back();
    std::u16string& out = section.body;
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
    }
    // A page break inside a single file is a page break of the printed page.
    const std::u16string classes =
        paragraphClasses(paragraph.style, paragraph.style.breakBefore != PageBreak::none &&
                                              paragraph.style.breakBefore != PageBreak::column);
    if (!classes.empty()) out += u" class=\"" + classes + u"\"";
    out += u'>';
    if (paragraph.runs.empty()) out += u"<br/>";
    for (const Run& run : paragraph.runs) writeRun(out, run);
    out += u"</" + tag + u">\n";
  }

  void writeRun(std::u16string& out, const Run& run) {
    const bool emphasis = run.marks.emphasis != EmphasisKind::none;
    if (emphasis) {
      out += u"<em class=\"" + className(run.marks.emphasis);
      if (run.marks.emphasisSide == Side::left) out += u" left";
      out += u"\">";
    }
    if (run.marks.bold) out += u"<b>";
    if (!run.ruby.empty()) {
      out += u"<ruby>";
      appendText(out, run.text, options_.tateChuYoko);
      out += u"<rt>";
      out += escapeText(run.ruby);
      out += u"</rt></ruby>";
    } else {
      appendText(out, run.text, options_.tateChuYoko);
    }
    if (run.marks.bold) out += u"</b>";
    if (emphasis) out += u"</em>";
  }

  const Document& document_;
  const XhtmlOptions& options_;
  std::vector<XhtmlSection> sections_;
  int headings_ = 0;
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
std::u16string cssNumber(std::u16string_view field, double fallback) {
  double value = textToNumber(field);
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
  css += u".break {\n  break-before: page;\n  page-break-before: always;\n}\n";
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
