#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "document/conversion_host.h"
#include "document/conversion_settings.h"
#include "document/grid_block.h"
#include "io/staged_files.h"
#include "write/document_sink.h"
#include "write/grid_html/grid_rows.h"
#include "write/page_output.h"

namespace zelvato {

// The run's page counters, reset to 0, 0, 1 before the first block.
struct PageCounters {
  std::int32_t blocksWritten = 0;
  std::int32_t nextPageStart = 0;
  std::int32_t pageNumber = 1;
};

// Page decisions when writing page files. Before a non-empty block is written: true
// when it opens a new page; nextPageStart then advances by columnsPerPage (the
// sum rounded halves to even).
bool blockOpensPage(PageCounters& counters, double columnsPerPage);
// After the block is written, before blocksWritten advances: true when it closes its page.
bool blockClosesPage(const PageCounters& counters);

// "縦書き変換中... 03 ｺﾗﾑ処理済..." after the third block.
std::u16string blockStatusText(std::int32_t blocksWritten);

// The FONT element's list of faces: the user's face (escaped), then the
// fixed-pitch Japanese faces that are not the user's, then the generic family.
std::u16string fontList(const ConversionSettings& settings);

// The two header lines that begin every output file, CR LF included; the
// encoding is declared before the title.
std::u16string fileHeader(const ConversionSettings& settings);

// The line that opens a block (without its CR LF): the font form, or the
// style-sheet form with size and spacing, with "<CENTER>" when centring is on.
std::u16string blockOpening(const ConversionSettings& settings);

// What ends a block (without the final CR LF): "</FONT></PRE>", after
// "</CENTER>" and a CR LF when centring is on, with the horizontal rule when it
// is on. With the accessible text, the block's reading text (lines separated by
// "\n") follows the PRE in a visually hidden element. Nothing when the column
// gap is too large to write as a number.
std::optional<std::u16string> blockClosing(const ConversionSettings& settings,
                                           std::u16string_view readingText = {});

// The foot of a page file, CR LF included: links and page number as the page
// options ask, then "</BODY></HTML>". The last page of a run has no next-page link.
std::u16string pageFooter(const ConversionSettings& settings, std::int32_t pageNumber, bool lastPage);

// The grid HTML writer: every column block as monospaced rows of a PRE
// element, the characters in look-alike forms of their vertical glyphs, to
// every destination of the run: the preview file (when its path is not empty),
// the host (which shows the block's markup), and the single output file or the
// page files as `destination` says. The output files are written beside their targets and take their
// places only when a completed run finishes, so a failed run leaves the earlier
// files as they were. Nothing throws: a failed write makes the call return false.
class GridHtmlWriter : public DocumentSink {
 public:
  GridHtmlWriter(const WriterContext& context, PageDestination destination);

  // Takes the document's title for the page title when the settings ask for it.
  bool begin(const Document& document) override;
  // Writes the block to every destination; a block without cells only ends its page.
  bool block(const GridBlock& block) override;
  // Ends the run's files: the single file gets its ending (and, when no block
  // was written, is created with its header first, so it is always one whole
  // document); the last page gets its footer without a next-page link; then
  // all of them take their targets' places. After a failed run (completed
  // false) no file is put in place.
  bool finish(bool completed) override;

  const PageCounters& counters() const { return counters_; }
  std::optional<FileFailure> failure() const override;
  void keepIntact(const std::string& path) override { outputFiles_.keepIntact(path); }
  std::vector<std::string> retiredFiles() const override { return outputFiles_.retiredFiles(); }

 private:
  bool writeBlock(const GridBlock& block);
  bool beginPreview();
  bool finishSingleFile();
  bool beginFile(const std::string& path, std::u16string_view title = {});
  bool writePageFooter(std::int32_t pageNumber, bool lastPage);
  std::string pagePath(std::int32_t pageNumber) const;

  ConversionSettings settings_;  // a copy: the run's record cannot change under the writer
  PageDestination destination_;
  GlyphOptions glyphs_;
  std::string previewFilePath_;
  ConversionHost& host_;
  PageCounters counters_;
  std::string singleFilePath_;
  bool singleFileBegun_ = false;  // created with its header in this run
  bool finished_ = false;
  // The page whose blocks are complete but whose footer waits until it is known
  // whether another page follows; 0 when there is none.
  std::int32_t pageAwaitingFooter_ = 0;
  // The page begun but not yet filled; 0 when there is none.
  std::int32_t openPage_ = 0;
  bool previewBegun_ = false;
  StagedFiles outputFiles_;
};

}  // namespace zelvato
