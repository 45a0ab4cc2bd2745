#include "page_writer.h"

#include <cmath>
#include <cstdio>
#include <exception>

#include "codepage.h"
#include "number_text.h"
#include "unicode_text.h"
#include "zelvato_version.h"

namespace zelvato {
namespace {

constexpr std::u16string_view crlf = u"\r\n";
constexpr std::u16string_view fontListSuffix = u", Osaka－等幅, mono";
constexpr std::u16string_view bodyEnd = u"</BODY></HTML>";

// Source text can never become markup: the ASCII characters that HTML treats
// specially are widened to their full-width forms before a row is written.
void widenMarkupCharacters(std::u16string& row) {
  for (char16_t& c : row) {
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

std::u16string asciiToUtf16(const char* text) {
  std::u16string out;
  for (; *text != '\0'; ++text) out.push_back(static_cast<char16_t>(*text));
  return out;
}

// A link to a neighbouring page, named by base name and number only.
std::u16string pageLink(const ConversionSettings& settings, std::int32_t pageNumber,
                        std::u16string_view caption) {
  return u"<A HREF=\"" + settings.fileBaseName + formatNumber(pageNumber, 3) + u".html\">" +
         std::u16string(caption) + u"</A>";
}

std::u16string pageNumberText(std::int32_t pageNumber) {
  return u"- " + formatNumber(pageNumber, 1) + u"頁 -" + std::u16string(crlf);
}

}  // namespace

bool beginPreviewFile(const std::string& path) {
  return createTextFile(path) && appendText(path, std::u16string(previewGeneratorLine) + u"\r\n");
}

std::u16string generatorName() {
  return u"KORVENT Zelvato Ver" + formatNumber(version::major, 1) + u"." + formatNumber(version::minor, 1) +
         u"." + formatNumber(version::revision, 1);
}

std::u16string fileHeader(const ConversionSettings& settings) {
  return u"<HTML><HEAD><TITLE>" + settings.htmlTitle + u"</TITLE>" + std::u16string(crlf) +
         u"<META NAME=\"GENERATOR\" CONTENT=\"" + generatorName() + u"\" ></HEAD>" + settings.bodyTag +
         std::u16string(crlf);
}

std::u16string blockOpening(const ConversionSettings& settings) {
  std::u16string line = u"<PRE><FONT ";
  if (settings.useStyleSheet) {
    line += u"STYLE=\"font-size:" + zeroPad(settings.fontSizePt, 1) + u"pt; line-height:" +
            zeroPad(settings.charSpacingPt, 1) + u"pt; letter-spacing:" + zeroPad(settings.lineSpacingPt, 1) +
            u"pt\" FACE=\"" + settings.fontFace + std::u16string(fontListSuffix) + u"\" COLOR=\"#000000\">";
  } else {
    line += u"FACE=\"" + settings.fontFace + std::u16string(fontListSuffix) + u"\">";
  }
  if (settings.centerText) line += u"<CENTER>";
  return line;
}

std::optional<std::u16string> blockClosing(const ConversionSettings& settings) {
  std::u16string closing = settings.centerText ? u"</CENTER></FONT></PRE>\r\n" : u"</FONT></PRE>";
  if (settings.addRule) {
    // Half the column gap, truncated toward zero, as a plain decimal number.
    const double space = std::trunc(textToNumber(settings.columnGapPx) / 2) + 0.0;
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

PageWriter::PageWriter(const ConversionSettings& settings, std::string previewFilePath, ConversionHost& host)
    : settings_(settings),
      previewFilePath_(std::move(previewFilePath)),
      host_(host),
      singleFilePath_(utf16ToUtf8(settings.singleFilePath)) {}

BlockWriter PageWriter::blockWriter() {
  return [this](ColumnGrid& grid) { return writeColumnBlock(grid); };
}

bool PageWriter::writeColumnBlock(ColumnGrid& grid) {
  try {
    return writeBlock(grid);
  } catch (const std::exception&) {
    return false;
  }
}

// A file is begun anew by emptying it rather than deleting it first, so a
// read-only file the user protected is refused instead of silently replaced.
bool PageWriter::beginFile(const std::string& path) {
  return createTextFile(path) && appendText(path, fileHeader(settings_));
}

bool PageWriter::writePageFooter(std::int32_t pageNumber, bool lastPage) {
  const std::string path = utf16ToUtf8(pageFileName(settings_, pageNumber));
  return appendText(path, pageFooter(settings_, pageNumber, lastPage));
}

bool PageWriter::writeBlock(ColumnGrid& grid) {
  if (grid.isEmpty()) return true;

  // The block is built in the engine's own buffer, encoded once and appended
  // to each file in one write.
  std::u16string block = blockOpening(settings_) + std::u16string(crlf);
  for (int row = 1; row <= grid.charsPerLine(); ++row) {
    std::u16string text = assembleRow(grid, row, settings_.showGrid);
    widenMarkupCharacters(text);
    block += text;
    block += crlf;
    host_.yieldToEvents();
  }
  const std::optional<std::u16string> closing = blockClosing(settings_);
  if (!closing) return false;
  block += *closing;
  block += crlf;
  const std::string bytes = encodeCp932(block);

  if (!previewFilePath_.empty() && !appendEncoded(previewFilePath_, bytes)) return false;

  if (settings_.outputMode == OutputMode::singleFile) {
    if (!singleFileBegun_) {
      if (!beginFile(singleFilePath_)) return false;
      singleFileBegun_ = true;
    }
    if (!appendEncoded(singleFilePath_, bytes)) return false;
  } else if (settings_.outputMode == OutputMode::pageFiles) {
    if (blockOpensPage(counters_, settings_.columnsPerPage)) {
      // A page is followed by another: its footer gets the next-page link.
      if (pageAwaitingFooter_ != 0) {
        const std::int32_t finished = pageAwaitingFooter_;
        pageAwaitingFooter_ = 0;
        if (!writePageFooter(finished, false)) return false;
      }
      openPage_ = counters_.pageNumber;
      if (!beginFile(utf16ToUtf8(pageFileName(settings_, counters_.pageNumber)))) return false;
    }
    if (!appendEncoded(utf16ToUtf8(pageFileName(settings_, counters_.pageNumber)), bytes)) return false;
    if (blockClosesPage(counters_)) {
      pageAwaitingFooter_ = counters_.pageNumber;
      openPage_ = 0;
      ++counters_.pageNumber;
    }
  }

  host_.blockMarkupFinished(block);
  ++counters_.blocksWritten;
  host_.setStatusText(blockStatusText(counters_.blocksWritten));
  host_.yieldToEvents();
  return true;
}

bool PageWriter::finishSingleFile() {
  if (!singleFileBegun_) {
    if (!beginFile(singleFilePath_)) return false;
    singleFileBegun_ = true;
  }
  return appendText(singleFilePath_, std::u16string(bodyEnd) + std::u16string(crlf));
}

bool PageWriter::finishRun(bool runCompleted) {
  if (finished_) return true;
  finished_ = true;
  try {
    if (settings_.outputMode == OutputMode::singleFile) {
      // A failed run completes the file it began but creates none.
      if (runCompleted) return finishSingleFile();
      return !singleFileBegun_ || appendText(singleFilePath_, std::u16string(bodyEnd) + std::u16string(crlf));
    }
    if (settings_.outputMode == OutputMode::pageFiles) {
      const std::int32_t last = pageAwaitingFooter_ != 0 ? pageAwaitingFooter_ : openPage_;
      pageAwaitingFooter_ = openPage_ = 0;
      if (last != 0) return writePageFooter(last, true);
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

ColumnGrid runGrid(const ConversionSettings& settings) {
  const auto side = [](const std::u16string& text) { return toWholeNumber(textToNumber(text)).value_or(0); };
  return ColumnGrid(side(settings.charsPerLine), side(settings.linesPerColumn));
}

bool convertText(std::u16string_view source, const ConversionSettings& settings, ColumnGrid& grid,
                 const std::string& previewFilePath, ConversionHost& host) {
  try {
    PageWriter writer(settings, previewFilePath, host);
    const bool laidOut = layoutText(source, settings, grid, host, writer.blockWriter());
    // Also after a failed layout: the files already begun are completed.
    const bool finished = writer.finishRun(laidOut);
    return laidOut && finished;
  } catch (const std::exception&) {
    return false;
  }
}

bool convertText(std::u16string_view source, const ConversionSettings& settings,
                 const std::string& previewFilePath, ConversionHost& host) {
  try {
    ColumnGrid grid = runGrid(settings);
    return convertText(source, settings, grid, previewFilePath, host);
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace zelvato
