#include "page_writer.h"

#include <cmath>
#include <cstdio>
#include <exception>
#include <utility>

#include "aozora_notation.h"
#include "codepage.h"
#include "html_text.h"
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
  return u"<A HREF=\"" + linkPath(settings.fileBaseName + formatNumber(pageNumber, 3) + u".html") + u"\">" +
         std::u16string(caption) + u"</A>";
}

std::u16string pageNumberText(std::int32_t pageNumber) {
  return u"- " + formatNumber(pageNumber, 1) + u"頁 -" + std::u16string(crlf);
}

}  // namespace

bool beginPreviewFile(const std::string& path) {
  return createTextFile(path) && appendText(path, std::u16string(previewGeneratorLine) + u"\r\n");
}

std::optional<FileFailure> beginPreviewFile(const std::string& path, bool& created) {
  created = false;
  if (!createTextFile(path)) return failureFromErrno(path);
  created = true;
  if (!appendText(path, std::u16string(previewGeneratorLine) + u"\r\n")) return failureFromErrno(path);
  return std::nullopt;
}

std::u16string generatorName() {
  return u"KORVENT Zelvato Ver" + formatNumber(version::major, 1) + u"." + formatNumber(version::minor, 1) +
         u"." + formatNumber(version::revision, 1);
}

std::u16string fileHeader(const ConversionSettings& settings) {
  // The BODY tag is the user's own markup and goes in as typed.
  return u"<HTML><HEAD><TITLE>" + escapeText(settings.htmlTitle) + u"</TITLE>" + std::u16string(crlf) +
         u"<META NAME=\"GENERATOR\" CONTENT=\"" + generatorName() + u"\" ></HEAD>" + settings.bodyTag +
         std::u16string(crlf);
}

std::u16string blockOpening(const ConversionSettings& settings) {
  std::u16string line = u"<PRE><FONT ";
  if (settings.useStyleSheet) {
    line += u"STYLE=\"font-size:" + escapeAttribute(zeroPad(settings.fontSizePt, 1)) + u"pt; line-height:" +
            escapeAttribute(zeroPad(settings.charSpacingPt, 1)) + u"pt; letter-spacing:" +
            escapeAttribute(zeroPad(settings.lineSpacingPt, 1)) + u"pt\" FACE=\"" +
            escapeAttribute(settings.fontFace) + std::u16string(fontListSuffix) + u"\" COLOR=\"#000000\">";
  } else {
    line += u"FACE=\"" + escapeAttribute(settings.fontFace) + std::u16string(fontListSuffix) + u"\">";
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
      singleFilePath_(textToPath(settings.singleFilePath)) {}

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

const std::optional<FileFailure>& PageWriter::failure() const {
  return failure_ ? failure_ : outputFiles_.failure();
}

// Output files are written beside their targets and replace them only when
// the run ends well (StagedFiles).
bool PageWriter::beginFile(const std::string& path) {
  return outputFiles_.begin(path) && outputFiles_.append(path, encodeCp932(fileHeader(settings_)));
}

std::string PageWriter::pagePath(std::int32_t pageNumber) const {
  return textToPath(pageFileName(settings_, pageNumber));
}

bool PageWriter::writePageFooter(std::int32_t pageNumber, bool lastPage) {
  return outputFiles_.append(pagePath(pageNumber), encodeCp932(pageFooter(settings_, pageNumber, lastPage)));
}

bool PageWriter::writeBlock(ColumnGrid& grid) {
  const bool pageEnd = grid.takePageEnd();
  if (grid.isEmpty()) {
    // A page break where no block is pending still ends the page begun.
    if (pageEnd && settings_.outputMode == OutputMode::pageFiles && openPage_ != 0) {
      pageAwaitingFooter_ = std::exchange(openPage_, 0);
      ++counters_.pageNumber;
      counters_.nextPageStart = counters_.blocksWritten;
    }
    return true;
  }

  // The block is built in the engine's own buffer, encoded once and appended
  // to each file in one write.
  std::u16string block = blockOpening(settings_) + std::u16string(crlf);
  for (int row = 1; row <= grid.rowCount(); ++row) {
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

  if (!previewFilePath_.empty() && !appendEncoded(previewFilePath_, bytes)) {
    failure_ = failureFromErrno(previewFilePath_);
    return false;
  }

  if (settings_.outputMode == OutputMode::singleFile) {
    if (!singleFileBegun_) {
      if (!beginFile(singleFilePath_)) return false;
      singleFileBegun_ = true;
    }
    if (!outputFiles_.append(singleFilePath_, bytes)) return false;
  } else if (settings_.outputMode == OutputMode::pageFiles) {
    if (blockOpensPage(counters_, settings_.columnsPerPage)) {
      // A page is followed by another: its footer gets the next-page link.
      if (pageAwaitingFooter_ != 0) {
        const std::int32_t finished = pageAwaitingFooter_;
        pageAwaitingFooter_ = 0;
        if (!writePageFooter(finished, false)) return false;
      }
      openPage_ = counters_.pageNumber;
      if (!beginFile(pagePath(counters_.pageNumber))) return false;
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

bool PageWriter::finishSingleFile() {
  if (!singleFileBegun_) {
    if (!beginFile(singleFilePath_)) return false;
    singleFileBegun_ = true;
  }
  return outputFiles_.append(singleFilePath_, encodeCp932(std::u16string(bodyEnd) + std::u16string(crlf)));
}

bool PageWriter::finishRun(bool runCompleted) {
  if (finished_) return true;
  finished_ = true;
  try {
    // A failed or stopped run puts none of its files in place.
    if (!runCompleted) {
      outputFiles_.discard();
      return true;
    }
    bool finished = true;
    if (settings_.outputMode == OutputMode::singleFile) finished = finishSingleFile();
    if (settings_.outputMode == OutputMode::pageFiles) {
      const std::int32_t last = pageAwaitingFooter_ != 0 ? pageAwaitingFooter_ : openPage_;
      pageAwaitingFooter_ = openPage_ = 0;
      if (last != 0) finished = writePageFooter(last, true);
    }
    if (finished && outputFiles_.commit()) return true;
    outputFiles_.discard();
    return false;
  } catch (const std::exception&) {
    outputFiles_.discard();
    return false;
  }
}

ColumnGrid runGrid(const ConversionSettings& settings) {
  const auto side = [](const std::u16string& text) { return toWholeNumber(textToNumber(text)).value_or(0); };
  return ColumnGrid(side(settings.charsPerLine), side(settings.linesPerColumn), settings.kinsoku);
}

bool convertText(std::u16string_view source, const ConversionSettings& settings, ColumnGrid& grid,
                 const std::string& previewFilePath, ConversionHost& host, RunFiles* files) {
  try {
    PageWriter writer(withNotationTitle(settings, source), previewFilePath, host);
    if (files != nullptr && !files->keepIntact.empty()) writer.keepIntact(files->keepIntact);
    const bool laidOut = layoutText(source, settings, grid, host, writer.blockWriter());
    // After a failed layout no file is put in place.
    const bool finished = writer.finishRun(laidOut);
    if (files != nullptr) files->failure = writer.failure();
    return laidOut && finished;
  } catch (const std::exception&) {
    return false;
  }
}

bool convertText(std::u16string_view source, const ConversionSettings& settings,
                 const std::string& previewFilePath, ConversionHost& host, RunFiles* files) {
  try {
    ColumnGrid grid = runGrid(settings);
    return convertText(source, settings, grid, previewFilePath, host, files);
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace zelvato
