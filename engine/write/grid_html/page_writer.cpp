#include "write/grid_html/page_writer.h"

#include <cmath>
#include <cstdio>
#include <exception>
#include <limits>
#include <utility>

#include "document/document_title.h"
#include "document/number_text.h"
#include "text/html_text.h"
#include "text/messages.h"
#include "text/unicode_text.h"
#include "write/page_output.h"

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

}  // namespace

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

GridHtmlWriter::GridHtmlWriter(const WriterContext& context, PageDestination destination)
    : settings_(context.settings),
      destination_(destination),
      glyphs_(glyphOptions(context.settings)),
      previewFilePath_(context.previewFilePath),
      host_(context.host),
      singleFilePath_(textToPath(context.settings.singleFilePath)),
      outputFiles_(context.staging) {
  // Putting thousands of pages in place takes a while: the host stays responsive, and Stop works.
  outputFiles_.stopWhen([&host = host_] {
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
    if (pageEnd && destination_ == PageDestination::pageFiles && openPage_ != 0) {
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

  if (destination_ == PageDestination::singleFile) {
    if (!singleFileBegun_) {
      if (!beginFile(singleFilePath_)) return false;
      singleFileBegun_ = true;
    }
    if (!outputFiles_.append(singleFilePath_, bytes)) return false;
  } else if (destination_ == PageDestination::pageFiles) {
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
    if (finished && destination_ == PageDestination::singleFile) finished = finishSingleFile();
    if (destination_ == PageDestination::pageFiles) {
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
