#include "page_writer.h"

#include <cmath>
#include <cstdio>
#include <exception>
#include <limits>
#include <utility>

#include "aozora_notation.h"
#include "codepage.h"
#include "html_text.h"
#include "messages.h"
#include "number_text.h"
#include "unicode_text.h"
#include "vertical_forms.h"
#include "zelvato_version.h"

namespace zelvato {
namespace {

constexpr std::u16string_view crlf = u"\r\n";
// After the user's face come the fixed-pitch Japanese faces of today's desktops
// (Japanese and English names), then the generic family. A face belongs here
// only when every character a cell can hold is exactly twice as wide as a
// half-width letter: one narrower or wider glyph moves every bar after it.
// Noto Sans Mono CJK JP (narrow quotes, Greek, Cyrillic) and VL Gothic (wide
// katakana middle dot) fail it; IPAGothic and TakaoGothic fail it for one rare
// sign only (the NEC ∑, four positions wide), so they come after BIZ UDGothic.
constexpr std::u16string_view fixedPitchFaces[] = {
    u"Osaka－等幅", u"MS Gothic", u"BIZ UDGothic", u"IPAGothic", u"TakaoGothic", u"Osaka-Mono", u"monospace",
};
constexpr std::u16string_view bodyEnd = u"</BODY></HTML>";
// A heading's cells in bold. The fixed-pitch faces of the list keep every
// glyph's advance in bold (their own bold face, or the browser's emboldening
// of the regular one), so the cells stay where they are.
constexpr std::u16string_view headingStart = u"<B>";
constexpr std::u16string_view headingEnd = u"</B>";

// Source text can never become markup: the ASCII characters that HTML treats
// specially are widened to their full-width forms before a row is written.
void widenMarkupCharacters(std::u16string& row, std::size_t from) {
  for (std::size_t k = from; k < row.size(); ++k) {
    char16_t& c = row[k];
    switch (c) {
      case u'<':
        c = u'＜';
        break;
      case u'>':
        c = u'＞';
        break;
      case u'&':
        c = u'＆';
        break;
      case u'"':
        c = u'＂';
        break;
      default:
        break;
    }
  }
}

// Font family names match regardless of the case of ASCII letters.
bool sameFamily(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

// The visually hidden element: clipped to one pixel, out of the flow, but read
// by screen readers, copied with the page and found by search.
constexpr std::u16string_view readingTextStart =
    u"<DIV lang=\"ja\" style=\"position:absolute; width:1px; height:1px; margin:-1px; padding:0; "
    u"border:0; overflow:hidden; clip:rect(0 0 0 0); clip-path:inset(50%); white-space:nowrap\">";

std::u16string readingTextElement(std::u16string_view text) {
  std::u16string element(readingTextStart);
  for (const char16_t c : text) {
    if (c == u'\n')
      element += u"<BR>";
    else
      element += escapeAttribute(std::u16string_view(&c, 1));
  }
  return element + u"</DIV>";
}

std::u16string asciiToUtf16(const char* text) {
  std::u16string out;
  for (; *text != '\0'; ++text) out.push_back(static_cast<char16_t>(*text));
  return out;
}

// A link to a neighbouring page, named by base name and number only.
std::u16string pageLink(const ConversionSettings& settings, std::int32_t pageNumber,
                        std::u16string_view caption) {
  return u"<A HREF=\"" + linkPath(settings.fileBaseName + formatNumber(pageNumber, 3) + u".html") + u"\">" +
         std::u16string(caption) + u"</A>";
}

std::u16string pageNumberText(std::int32_t pageNumber) {
  return u"- " + formatNumber(pageNumber, 1) + u"頁 -" + std::u16string(crlf);
}

// Emphasis marks (傍点) and side lines (傍線) stand in the half-width padding
// beside the character, on the side the notation gives, so the cell keeps its
// four positions: each kind has its own half-width look-alike of code page 932.
char16_t emphasisMark(EmphasisKind kind) {
  switch (kind) {
    case EmphasisKind::sesame:
      return u'\uFF65';  // ･
    case EmphasisKind::whiteSesame:
      return u'\uFF64';  // ､
    case EmphasisKind::blackCircle:
      return u'*';
    case EmphasisKind::whiteCircle:
      return u'\uFF9F';  // ﾟ
    case EmphasisKind::blackTriangle:
      return u'^';
    case EmphasisKind::whiteTriangle:
      return u'v';
    case EmphasisKind::doubleCircle:
      return u'@';
    case EmphasisKind::bullseye:
      return u'o';
    case EmphasisKind::cross:
      return u'x';
    case EmphasisKind::none:
      break;
  }
  return u' ';
}

char16_t lineMark(LineKind kind) {
  switch (kind) {
    case LineKind::solid:
      return u'|';
    case LineKind::doubled:
      return u'"';
    case LineKind::chain:
      return u'!';
    case LineKind::dashed:
      return u':';
    case LineKind::wavy:
      return u'~';
    case LineKind::none:
      break;
  }
  return u' ';
}

// The padding on one side of a cell's character: its 訓点, else its emphasis mark, else its side line.
char16_t paddingMark(const GridCell& cell, Side side) {
  if (const char16_t note = side == Side::right ? cell.rightNote : cell.leftNote; note != 0) return note;
  if (cell.emphasis != EmphasisKind::none && cell.emphasisSide == side) return emphasisMark(cell.emphasis);
  if (cell.line != LineKind::none && cell.lineSide == side) return lineMark(cell.line);
  return u' ';
}

// How a cell sits in its four display positions: the marks that stand at one edge
// of their cell in vertical writing are pushed to that edge, the rest centred.
enum class CellPlace { centred, right, left };

CellPlace cellPlace(std::u16string_view cell) {
  if (cell.size() != 1) return CellPlace::centred;
  switch (cell.front()) {
    case u'゜':
    case u'｀':
    case u'┐':
    case u'┓':
      return CellPlace::right;
    case u'└':
    case u'┗':
      return CellPlace::left;
    default:
      return CellPlace::centred;
  }
}

// The cell's character in its vertical look-alike: one code unit is looked up,
// a pair across or a character beyond the basic plane stays as it is.
// Kana and kanji, nearly every cell, stand as they are, centred; only ー turns.
inline bool standsAsItIs(char16_t c) {
  return c >= u'\u3040' && c <= u'\u9FFF' && c != u'ー';
}

char16_t verticalGlyph(char16_t c, const GlyphOptions& glyphs) {
  if (standsAsItIs(c)) return c;
  if (glyphs.unicodeForms)
    if (const char16_t form = toVerticalPresentationForm(c); form != 0) return form;
  if (glyphs.doubleBrackets && (c == u'『' || c == u'』')) return c == u'『' ? u'┓' : u'┗';
  return toVerticalQuote(toVerticalForm(c, glyphs.kanjiNumerals));
}

}  // namespace

GlyphOptions glyphOptions(const ConversionSettings& settings) {
  return {settings.kanjiNumerals, settings.doubleBracketForms, settings.unicodeVerticalForms};
}

std::u16string cellGlyphs(const GridCell& cell, const GlyphOptions& glyphs) {
  if (cell.text.size() != 1) return cell.text;
  const char16_t glyph = verticalGlyph(cell.text.front(), glyphs);
  std::u16string text(1, glyph);
  if (glyph == u'\u3000' || cellPlace(std::u16string_view(&glyph, 1)) != CellPlace::centred) return text;
  if (const char16_t left = paddingMark(cell, Side::left); left != u' ') text.insert(text.begin(), left);
  if (const char16_t right = paddingMark(cell, Side::right); right != u' ') text += right;
  return text;
}

namespace {

// One cell in its four display positions, appended in one go.
void appendCell(std::u16string& text, const GridCell& cell, const GlyphOptions& glyphs) {
  // An empty cell shows a full-width space.
  static constexpr char16_t blank[] = {u' ', u'\u3000', u' '};
  if (cell.empty()) {
    text.append(blank, 3);
    return;
  }
  if (cell.text.size() != 1) {
    text.push_back(u' ');
    text.append(cell.text);
    text.push_back(u' ');
    return;
  }
  const bool unmarked = cell.rightNote == 0 && cell.leftNote == 0 && cell.emphasis == EmphasisKind::none &&
                        cell.line == LineKind::none;
  if (unmarked && standsAsItIs(cell.text.front())) {
    const char16_t placed[] = {u' ', cell.text.front(), u' '};
    text.append(placed, 3);
    return;
  }
  const char16_t glyph = verticalGlyph(cell.text.front(), glyphs);
  switch (cellPlace(std::u16string_view(&glyph, 1))) {
    case CellPlace::right: {
      const char16_t placed[] = {u' ', u' ', glyph};
      text.append(placed, 3);
      break;
    }
    case CellPlace::left: {
      const char16_t placed[] = {glyph, u' ', u' '};
      text.append(placed, 3);
      break;
    }
    case CellPlace::centred: {
      if (glyph == u'\u3000') {
        text.append(blank, 3);
        break;
      }
      const char16_t placed[] = {paddingMark(cell, Side::left), glyph, paddingMark(cell, Side::right)};
      text.append(placed, 3);
      break;
    }
  }
}

}  // namespace

std::u16string assembleRow(const GridBlock& block, int row, bool showGrid, const GlyphOptions& glyphs) {
  std::u16string text;
  const int linesPerColumn = block.linesPerColumn();
  if (row < 1 || row > block.rowCount()) return text;
  text.reserve(static_cast<std::size_t>(linesPerColumn) * 6);
  for (int line = linesPerColumn; line >= 1; --line) {
    if (showGrid && line != linesPerColumn) text.push_back(u'|');
    appendCell(text, block.cell(row, line), glyphs);
  }
  return text;
}

std::u16string rowMarkup(const GridBlock& block, int row, bool showGrid, const GlyphOptions& glyphs) {
  std::u16string text;
  const int linesPerColumn = block.linesPerColumn();
  if (row < 1 || row > block.rowCount()) return text;
  text.reserve(static_cast<std::size_t>(linesPerColumn) * 6);
  bool bold = false;
  for (int line = linesPerColumn; line >= 1; --line) {
    const GridCell& cell = block.cell(row, line);
    const bool heading = cell.heading && !cell.empty();
    // The bold of a heading closes before the bar that follows its last cell.
    if (bold && !heading) {
      text += headingEnd;
      bold = false;
    }
    if (showGrid && line != linesPerColumn) text += u'|';
    if (heading && !bold) {
      text += headingStart;
      bold = true;
    }
    const std::size_t from = text.size();
    appendCell(text, cell, glyphs);
    widenMarkupCharacters(text, from);
  }
  if (bold) text += headingEnd;
  return text;
}

bool blockOpensPage(PageCounters& counters, double columnsPerPage) {
  if (counters.blocksWritten != counters.nextPageStart) return false;
  // The next start saturates at the ends of the counter's range: a page that
  // would begin beyond them is never reached.
  const double next = roundHalfEven(counters.nextPageStart + columnsPerPage);
  constexpr auto lowest = std::numeric_limits<std::int32_t>::min();
  constexpr auto highest = std::numeric_limits<std::int32_t>::max();
  if (next >= highest)
    counters.nextPageStart = highest;
  else if (next <= lowest)
    counters.nextPageStart = lowest;
  else if (!std::isnan(next))
    counters.nextPageStart = static_cast<std::int32_t>(next);
  return true;
}

bool blockClosesPage(const PageCounters& counters) {
  return std::int64_t{counters.blocksWritten} + 1 == counters.nextPageStart;
}

std::u16string blockStatusText(std::int32_t blocksWritten) {
  return std::u16string(messages::converting) + u" " + formatNumber(blocksWritten, 2) + u" ｺﾗﾑ処理済...";
}

std::u16string fontList(const ConversionSettings& settings) {
  std::u16string list = escapeAttribute(settings.fontFace);
  for (const std::u16string_view face : fixedPitchFaces) {
    if (sameFamily(face, settings.fontFace)) continue;
    if (!list.empty()) list += u", ";
    list += face;
  }
  return list;
}

std::u16string charsetDeclaration(const ConversionSettings& settings) {
  const std::u16string_view charset =
      settings.outputEncoding == OutputEncoding::utf8 ? u"UTF-8" : u"Shift_JIS";
  return u"<META http-equiv=\"Content-Type\" content=\"text/html; charset=" + std::u16string(charset) +
         u"\">";
}

std::string encodePage(const ConversionSettings& settings, std::u16string_view text) {
  return settings.outputEncoding == OutputEncoding::utf8 ? utf16ToUtf8(text) : encodeCp932(text);
}

std::string previewStart(const ConversionSettings& settings) {
  std::u16string start = std::u16string(previewGeneratorLine) + u"\r\n";
  if (settings.textStyle == TextStyle::grid) start += charsetDeclaration(settings) + u"\r\n";
  return encodePage(settings, start);
}

bool beginPreviewFile(const std::string& path, const ConversionSettings& settings) {
  return createTextFile(path) && appendEncoded(path, previewStart(settings));
}

std::optional<FileFailure> beginPreviewFile(const std::string& path, const ConversionSettings& settings,
                                            bool& created) {
  created = false;
  if (!createTextFile(path)) return failureFromErrno(path);
  created = true;
  if (!appendEncoded(path, previewStart(settings))) return failureFromErrno(path);
  return std::nullopt;
}

std::u16string generatorName() {
  return u"KORVENT Zelvato Ver" + formatNumber(version::major, 1) + u"." + formatNumber(version::minor, 1) +
         u"." + formatNumber(version::revision, 1);
}

std::u16string fileHeader(const ConversionSettings& settings) {
  // The BODY tag is the user's own markup and goes in as typed.
  const std::u16string_view html = settings.accessibleText ? u"<HTML lang=\"ja\">" : u"<HTML>";
  return std::u16string(html) + u"<HEAD>" + charsetDeclaration(settings) + u"<TITLE>" +
         escapeText(settings.htmlTitle) + u"</TITLE>" + std::u16string(crlf) +
         u"<META NAME=\"GENERATOR\" CONTENT=\"" + generatorName() + u"\" ></HEAD>" + settings.bodyTag +
         std::u16string(crlf);
}

std::u16string blockOpening(const ConversionSettings& settings) {
  std::u16string line = settings.accessibleText ? u"<PRE aria-hidden=\"true\"><FONT " : u"<PRE><FONT ";
  if (settings.useStyleSheet) {
    line += u"STYLE=\"font-size:" + escapeAttribute(zeroPad(settings.fontSizePt.typed(), 1)) +
            u"pt; line-height:" + escapeAttribute(zeroPad(settings.charSpacingPt.typed(), 1)) +
            u"pt; letter-spacing:" + escapeAttribute(zeroPad(settings.lineSpacingPt.typed(), 1)) +
            u"pt\" FACE=\"" + fontList(settings) + u"\" COLOR=\"#000000\">";
  } else {
    line += u"FACE=\"" + fontList(settings) + u"\">";
  }
  if (settings.centerText) line += u"<CENTER>";
  return line;
}

std::optional<std::u16string> blockClosing(const ConversionSettings& settings,
                                           std::u16string_view readingText) {
  std::u16string closing = settings.centerText ? u"</CENTER></FONT></PRE>" : u"</FONT></PRE>";
  if (settings.accessibleText) closing += readingTextElement(readingText);
  if (settings.centerText) closing += crlf;
  if (settings.addRule) {
    // Half the column gap, truncated toward zero, as a plain decimal number.
    const double space = std::trunc(settings.columnGapPx.value() / 2) + 0.0;
    if (!std::isfinite(space)) return std::nullopt;
    char digits[400];
    std::snprintf(digits, sizeof digits, "%.0f", space);
    closing += u"<HR SIZE=1 NOSHADE VSPACE=" + zeroPad(asciiToUtf16(digits), 1) + u">";
  }
  return closing;
}

std::u16string pageFooter(const ConversionSettings& settings, std::int32_t pageNumber, bool lastPage) {
  const bool links = settings.addPageLinks;
  const bool numbers = settings.addPageNumbers;
  std::u16string footer;
  if (links || numbers) footer += u"<TABLE BORDER=0 WIDTH=100%><TR><TD ALIGN=\"center\">";
  if (links) {
    if (pageNumber > 1) footer += pageLink(settings, pageNumber - 1, u"前頁へ");
    if (numbers) footer += pageNumberText(pageNumber);
    if (!lastPage) footer += pageLink(settings, pageNumber + 1, u"次頁へ");
  } else if (numbers) {
    footer += pageNumberText(pageNumber);
  }
  if (links || numbers) footer += u"</TD></TR></TABLE>" + std::u16string(crlf);
  footer += std::u16string(bodyEnd) + std::u16string(crlf);
  return footer;
}

std::u16string pageFileName(const ConversionSettings& settings, std::int32_t pageNumber) {
  return settings.outputFolder + settings.fileBaseName + formatNumber(pageNumber, 3) + u".html";
}

GridHtmlWriter::GridHtmlWriter(const ConversionSettings& settings, std::string previewFilePath,
                               ConversionHost& host)
    : settings_(settings),
      previewFilePath_(std::move(previewFilePath)),
      host_(host),
      glyphs_(glyphOptions(settings)),
      singleFilePath_(textToPath(settings.singleFilePath)) {
  // Putting thousands of pages in place takes a while: the host stays responsive, and Stop works.
  outputFiles_.stopWhen([&host] {
    host.yieldToEvents();
    return host.stopRequested();
  });
}

bool GridHtmlWriter::begin(const Document& document) {
  settings_ = withDocumentTitle(settings_, document);
  return true;
}

bool GridHtmlWriter::block(const GridBlock& block) {
  try {
    return writeBlock(block);
  } catch (const std::exception&) {
    return false;
  }
}

std::optional<FileFailure> GridHtmlWriter::failure() const {
  return outputFiles_.failure();
}

// The preview file is staged like the output files, begun with its first lines.
bool GridHtmlWriter::beginPreview() {
  if (previewFilePath_.empty() || std::exchange(previewBegun_, true)) return true;
  return outputFiles_.begin(previewFilePath_) &&
         outputFiles_.append(previewFilePath_, previewStart(settings_));
}

// Output files are written beside their targets and replace them only when
// the run ends well (StagedFiles).
bool GridHtmlWriter::beginFile(const std::string& path, std::u16string_view title) {
  if (title.empty())
    return outputFiles_.begin(path) &&
           outputFiles_.append(path, encodePage(settings_, fileHeader(settings_)));
  ConversionSettings titled = settings_;
  titled.htmlTitle = title;
  return outputFiles_.begin(path) && outputFiles_.append(path, encodePage(settings_, fileHeader(titled)));
}

std::string GridHtmlWriter::pagePath(std::int32_t pageNumber) const {
  return textToPath(pageFileName(settings_, pageNumber));
}

bool GridHtmlWriter::writePageFooter(std::int32_t pageNumber, bool lastPage) {
  return outputFiles_.append(pagePath(pageNumber),
                             encodePage(settings_, pageFooter(settings_, pageNumber, lastPage)));
}

bool GridHtmlWriter::writeBlock(const GridBlock& grid) {
  const bool pageEnd = grid.endsPage();
  if (grid.isEmpty()) {
    // A page break where no block is pending still ends the page begun.
    if (pageEnd && settings_.outputMode == OutputMode::pageFiles && openPage_ != 0) {
      pageAwaitingFooter_ = std::exchange(openPage_, 0);
      ++counters_.pageNumber;
      counters_.nextPageStart = counters_.blocksWritten;
    }
    return true;
  }

  // The block is built in the writer's own buffer, encoded once and appended
  // to each file in one write.
  std::u16string block = blockOpening(settings_) + std::u16string(crlf);
  for (int row = 1; row <= grid.rowCount(); ++row) {
    block += rowMarkup(grid, row, settings_.showGrid, glyphs_);
    block += crlf;
    host_.yieldToEvents();
  }
  const std::optional<std::u16string> closing =
      blockClosing(settings_, settings_.accessibleText ? grid.readingText() : std::u16string());
  if (!closing) return false;
  block += *closing;
  block += crlf;
  const std::string bytes = encodePage(settings_, block);

  if (!previewFilePath_.empty() && !(beginPreview() && outputFiles_.append(previewFilePath_, bytes)))
    return false;

  if (settings_.outputMode == OutputMode::singleFile) {
    if (!singleFileBegun_) {
      if (!beginFile(singleFilePath_)) return false;
      singleFileBegun_ = true;
    }
    if (!outputFiles_.append(singleFilePath_, bytes)) return false;
  } else if (settings_.outputMode == OutputMode::pageFiles) {
    if (blockOpensPage(counters_, settings_.columnsPerPage.value())) {
      // A page is followed by another: its footer gets the next-page link.
      if (pageAwaitingFooter_ != 0) {
        const std::int32_t finished = pageAwaitingFooter_;
        pageAwaitingFooter_ = 0;
        if (!writePageFooter(finished, false)) return false;
      }
      openPage_ = counters_.pageNumber;
      // A page that begins with a heading is named after it.
      if (!beginFile(pagePath(counters_.pageNumber), grid.leadingHeading())) return false;
    }
    if (!outputFiles_.append(pagePath(counters_.pageNumber), bytes)) return false;
    if (blockClosesPage(counters_) || pageEnd) {
      pageAwaitingFooter_ = counters_.pageNumber;
      openPage_ = 0;
      ++counters_.pageNumber;
      counters_.nextPageStart = counters_.blocksWritten + 1;  // the next block opens a page
    }
  }

  host_.blockMarkupFinished(block);
  ++counters_.blocksWritten;
  host_.setStatusText(blockStatusText(counters_.blocksWritten));
  host_.yieldToEvents();
  return true;
}

bool GridHtmlWriter::finishSingleFile() {
  if (!singleFileBegun_) {
    if (!beginFile(singleFilePath_)) return false;
    singleFileBegun_ = true;
  }
  return outputFiles_.append(singleFilePath_,
                             encodePage(settings_, std::u16string(bodyEnd) + std::u16string(crlf)));
}

bool GridHtmlWriter::finish(bool completed) {
  if (finished_) return true;
  finished_ = true;
  try {
    // A failed or stopped run puts none of its files in place.
    if (!completed) {
      outputFiles_.discard();
      return true;
    }
    bool finished = beginPreview();
    if (finished && settings_.outputMode == OutputMode::singleFile) finished = finishSingleFile();
    if (settings_.outputMode == OutputMode::pageFiles) {
      const std::int32_t last = pageAwaitingFooter_ != 0 ? pageAwaitingFooter_ : openPage_;
      pageAwaitingFooter_ = openPage_ = 0;
      if (last != 0 && finished) {
        finished = writePageFooter(last, true);
        // Pages of an earlier, longer run would follow the new last page.
        outputFiles_.retireStalePages(folderOfPath(pagePath(last)), textToPath(settings_.fileBaseName), last);
      }
    }
    if (finished && outputFiles_.commit()) return true;
    outputFiles_.discard();
    return false;
  } catch (const std::exception&) {
    outputFiles_.discard();
    return false;
  }
}

}  // namespace zelvato
