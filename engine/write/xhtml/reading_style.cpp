#include "write/xhtml/reading_style.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>

#include "document/number_text.h"
#include "write/xhtml/xhtml_classes.h"

namespace zelvato {
namespace {

using xhtml::maxClassCells;

// The faces readers most often have, by family: the reading systems' own
// Japanese generic families first (the -v ones are for vertical text), never
// a Gothic before a Mincho.
constexpr std::u16string_view minchoFaces[] = {
    u"Hiragino Mincho ProN", u"Yu Mincho", u"YuMincho",          u"BIZ UDMincho",
    u"IPAexMincho",          u"IPAMincho", u"Noto Serif CJK JP", u"Source Han Serif JP",
};
constexpr std::u16string_view gothicFaces[] = {
    u"Hiragino Sans", u"Hiragino Kaku Gothic ProN",
    u"Yu Gothic",     u"YuGothic",
    u"BIZ UDGothic",  u"IPAexGothic",
    u"IPAGothic",     u"Noto Sans CJK JP",
};

// A font family name as a CSS string.
std::u16string quotedFamily(std::u16string_view name) {
  std::u16string quoted = u"\"";
  for (const char16_t c : name) {
    if (c == u'<' || c == u'>' || c < 0x20) continue;  // never closes the style element
    if (c == u'"' || c == u'\\') quoted += u'\\';
    quoted += c;
  }
  return quoted + u"\"";
}

// A number as CSS wants it: at most two decimals, written plainly.
std::u16string cssNumber(double value) {
  const std::int64_t hundredths = std::llround(value * 100);
  std::u16string text = formatNumber(hundredths / 100, 1);
  if (hundredths % 100 != 0) {
    text += u"." + formatNumber(hundredths % 100, 2);
    while (text.back() == u'0') text.pop_back();
  }
  return text;
}

std::u16string inRange(const NumberField& field, double least, double most, double fallback) {
  const double value = field.value();
  return cssNumber(field.wholeText() && value >= least && value <= most ? value : fallback);
}

// Vertical writing, with the prefixed forms that older engines and reading systems read.
std::u16string writingMode(std::u16string_view mode, bool epub) {
  std::u16string css = u"  writing-mode: " + std::u16string(mode) + u";\n  -webkit-writing-mode: " +
                       std::u16string(mode) + u";\n";
  if (epub) css += u"  -epub-writing-mode: " + std::u16string(mode) + u";\n";
  return css;
}

// A property with its -webkit- form and, in a book, its -epub- form.
std::u16string prefixed(std::u16string_view property, std::u16string_view value, bool epub) {
  const std::u16string tail = std::u16string(property) + u": " + std::u16string(value) + u";\n";
  std::u16string css = u"  " + tail + u"  -webkit-" + tail;
  if (epub) css += u"  -epub-" + tail;
  return css;
}

// The marks, the notes and the indents: what the content's classes mean.
std::u16string markStyles(bool epub) {
  std::u16string css;
  css += u"rt { font-size: 0.5em; }\n";
  css += u".tcy {\n" + prefixed(u"text-combine-upright", u"all", epub) +
         u"  -webkit-text-combine: horizontal;\n";
  if (epub) css += u"  -epub-text-combine: horizontal;\n";
  css += u"}\n";
  // Emphasis dots; where a reader cannot set them, the emphasised text is bold.
  css += u"em { font-style: normal; font-weight: bold; }\n";
  css +=
      u"@supports (text-emphasis-style: sesame) or (-webkit-text-emphasis-style: sesame) {\n"
      u"  em { font-weight: inherit; }\n}\n";
  for (const EmphasisKind kind : xhtml::emphasisKinds)
    css += u"em." + xhtml::emphasisClass(kind) + u" {\n" +
           prefixed(u"text-emphasis-style", xhtml::emphasisStyle(kind), epub) + u"}\n";
  css += u"em.left {\n" + prefixed(u"text-emphasis-position", u"under left", epub) + u"}\n";
  // 傍線: a line beside the text, on its right (or left) in vertical writing.
  for (const xhtml::LineStyle& line : xhtml::lineStyles)
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
  css += u"figure.figure img, img.picture { max-inline-size: 100%; max-block-size: 100%; }\n";
  css += u"figcaption, .caption { font-size: 0.8em; }\n";
  for (int step = 1; step <= 9; ++step) {
    css += u"." + xhtml::sizeClass(step) + u" { font-size: " + formatNumber(100 + step * 20, 1) + u"%; }\n";
    css += u"." + xhtml::sizeClass(-step) + u" { font-size: " +
           formatNumber(std::max(100 - step * 15, 30), 1) + u"%; }\n";
  }
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

// A page of its own with its lines in the middle, from right to left (from
// top to bottom in horizontal writing): ページの左右中央 and 扉.
constexpr std::u16string_view centredPage =
    u"  display: flex;\n  flex-direction: column;\n  justify-content: center;\n  block-size: 100%;\n";

// 扉: the title large, high on the page, the author lower and to its left;
// the colophon small.
std::u16string frontAndBack() {
  return u".titlepage {\n" + std::u16string(centredPage) +
         u"}\n"
         u".titlepage .title { font-size: 2.6em; font-weight: bold; line-height: 1.4; margin-inline-start: "
         u"1.5em; }\n"
         u".titlepage .subtitle { font-size: 1.3em; margin-inline-start: 3em; }\n"
         u".titlepage .author { font-size: 1.4em; margin-block-start: 3em; text-align: end; "
         u"margin-inline-end: "
         u"2em; }\n"
         u".colophon { font-size: 0.8em; line-height: 1.6; }\n";
}

}  // namespace

std::u16string readingFontFamilies(const ConversionSettings& settings) {
  std::u16string families;
  if (!settings.readingFontFace.empty()) families = quotedFamily(settings.readingFontFace) + u", ";
  const bool gothic = settings.readingTypeface == Typeface::gothic;
  const std::u16string_view generic = gothic ? u"sans-serif-ja" : u"serif-ja";
  if (settings.writingMode == WritingMode::vertical) families += std::u16string(generic) + u"-v, ";
  families += std::u16string(generic) + u", ";
  for (const std::u16string_view face : gothic ? std::span(gothicFaces) : std::span(minchoFaces))
    if (face != settings.readingFontFace) families += quotedFamily(face) + u", ";
  return families + (gothic ? u"sans-serif" : u"serif");
}

std::u16string readingFontSize(const ConversionSettings& settings) {
  return inRange(settings.readingFontSize, 50, 400, 100);
}

std::u16string readingLineHeight(const ConversionSettings& settings) {
  return inRange(settings.readingLineHeight, 1, 3, 1.75);
}

std::u16string readingStyleSheet(const ConversionSettings& settings, ReadingMedium medium) {
  const bool epub = medium == ReadingMedium::book;
  const bool vertical = settings.writingMode == WritingMode::vertical;
  const std::u16string_view mode = vertical ? u"vertical-rl" : u"horizontal-tb";
  std::u16string css = epub ? u"@charset \"UTF-8\";\n" : u"";
  // The page: the book's root is set in the writing mode; the flowing page's
  // text stands in a box of its own (below).
  css += u"html {\n";
  if (epub) css += writingMode(mode, true);
  if (settings.kinsoku) css += prefixed(u"line-break", u"strict", epub);
  css += u"}\n";
  css += u"body {\n  margin: 0;\n  padding: 0;\n  font-family: " + readingFontFamilies(settings) +
         u";\n  font-size: " + readingFontSize(settings) + u"%;\n  line-height: " +
         readingLineHeight(settings) + u";\n}\n";
  css += u"p, h1, h2, h3 {\n  margin: 0;\n}\n";
  for (int level = 1; level <= 3; ++level)
    css += u"h" + formatNumber(level, 1) + u" { font-size: " +
           std::u16string(level == 1   ? u"1.5"
                          : level == 2 ? u"1.3"
                                       : u"1.1") +
           u"em; line-height: 1.5; margin-inline-start: 2em; margin-block: 1em; }\n";
  css += markStyles(epub) + frontAndBack();
  if (epub) {
    // A page break inside a content document; ページの左右中央 is a document of
    // its own, its lines in the middle of the page.
    css += u".break {\n  break-before: page;\n  page-break-before: always;\n}\n";
    css += u".centred {\n" + std::u16string(centredPage) + u"}\n";
    css += u"html, body, .titlepage-part { block-size: 100%; }\n";
    return css;
  }
  // The flowing page: the parentheses of the ruby are kept, too small to be
  // seen, so that a copy of the text reads 親譲（おやゆず）り.
  css += u"rp { display: inline; font-size: 0; }\n";
  css += u"main {\n" + writingMode(mode, false) + u"  box-sizing: border-box;\n";
  if (!vertical) {
    css += u"  max-inline-size: 40em;\n  margin: 0 auto;\n  padding: 1em;\n}\n";
    css += u".break { break-before: page; page-break-before: always; }\n";
    css +=
        u".titlepage { block-size: auto; margin-block: 2em 4em; }\n.colophon { margin-block-start: 4em; }\n";
    return css + u"nav.pages { text-align: center; margin: 1em; }\n";
  }
  // A screen high and as wide as the window, vertical lines read from the
  // right; once it is full the text goes on in the next column below: a phone
  // pages down through the text, one screen a page.
  css +=
      u"  inline-size: 100vh;\n  block-size: 100%;\n  padding: 1.5em 1em;\n"
      u"  column-width: calc(100vh - 3em);\n  column-gap: 3em;\n  column-fill: auto;\n}\n";
  css += u".break { break-before: column; }\n";
  css += u".titlepage { break-after: column; }\n.colophon { break-before: column; }\n";
  css +=
      u".centred {\n" + std::u16string(centredPage) + u"  break-before: column;\n  break-after: column;\n}\n";
  css += u"nav.pages { margin-block-start: 2em; text-align: center; }\n";
  // Where columns cannot be had, and on paper: the text as one vertical flow.
  css += u"@supports not (column-width: 1em) {\n  html {\n" + writingMode(mode, false) +
         u"  }\n  main { inline-size: auto; block-size: auto; }\n}\n";
  css +=
      u"@media print {\n  main { inline-size: auto; block-size: auto; column-width: auto; }\n"
      u"  .break, .colophon { break-before: page; }\n  .titlepage { break-after: page; }\n}\n";
  return css;
}

}  // namespace zelvato
