#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "column_layout.h"
#include "conversion_host.h"
#include "conversion_settings.h"
#include "output_files.h"

namespace zelvato {

// The line the run puts at the top of the temporary preview file.
inline constexpr std::u16string_view previewGeneratorLine = u"<!--GENERATOR:KORVENT LUMIKARA-->";

// Re-creates the preview file holding only the generator line and the
// declaration of its encoding; false when it cannot be written.
bool beginPreviewFile(const std::string& path, const ConversionSettings& settings);

// The FONT element's list of faces: the user's face (escaped), then the
// fixed-pitch Japanese faces that are not the user's, then the generic family.
std::u16string fontList(const ConversionSettings& settings);

// The META element that declares the files' encoding.
std::u16string charsetDeclaration(const ConversionSettings& settings);

// The text in the files' encoding: code page 932 (characters outside it as
// numeric character references) or UTF-8 without byte-order mark.
std::string encodePage(const ConversionSettings& settings, std::u16string_view text);
// The same, saying which file failed and why; `created` tells whether the file
// was made (or emptied) by this call, so a failed run removes only a file it made.
std::optional<FileFailure> beginPreviewFile(const std::string& path, const ConversionSettings& settings,
                                            bool& created);

// "KORVENT Zelvato Ver1.2.0", from the program's version.
std::u16string generatorName();

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

// The file of one page: folder + base name + page number (at least three digits) + ".html".
std::u16string pageFileName(const ConversionSettings& settings, std::int32_t pageNumber);

// Writes the blocks of one run to every destination: the preview file (when its
// path is not empty), the host (which shows the block's markup and puts it on
// the clipboard), and the single output file or the page files. Every file is
// opened and closed within one block. The output files and the preview file
// (begun with its generator line) are written beside their targets and take
// their places only when finishRun ends a completed run, so a failed run leaves
// the earlier files as they were; a page-files run also removes the pages of an
// earlier, longer run under the same base name. Nothing throws: a
// failed write makes the block write return false.
class PageWriter {
 public:
  PageWriter(const ConversionSettings& settings, std::string previewFilePath, ConversionHost& host);

  // Writes the grid as one block and empties it; an empty grid writes nothing.
  bool writeColumnBlock(ColumnGrid& grid);
  // writeColumnBlock in the form layoutText takes.
  BlockWriter blockWriter();

  // Ends the run's files: the single file gets its ending (and, when no block
  // was written, is created with its header first, so it is always one whole
  // document); the last page gets its footer without a next-page link; then
  // all of them take their targets' places. Call it once after the layout,
  // also after a failed one (runCompleted false): then no file is put in place.
  bool finishRun(bool runCompleted = true);
  // The single file's ending alone (part of finishRun).
  bool finishSingleFile();

  const PageCounters& counters() const { return counters_; }
  // The file whose write failed first, and why.
  const std::optional<FileFailure>& failure() const;
  // The pages of an earlier run that the run removed.
  const std::vector<std::string>& retiredFiles() const { return outputFiles_.retiredFiles(); }
  // No output of the run may replace this file (the source file).
  void keepIntact(const std::string& path) { outputFiles_.keepIntact(path); }

 private:
  bool writeBlock(ColumnGrid& grid);
  bool beginPreview();
  bool beginFile(const std::string& path);
  bool writePageFooter(std::int32_t pageNumber, bool lastPage);
  std::string pagePath(std::int32_t pageNumber) const;

  const ConversionSettings settings_;  // a copy: the run's record cannot change under the writer
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

// What a caller may add to a run's files.
struct RunFiles {
  std::string keepIntact;                 // a file no output may replace: the source file
  std::optional<FileFailure> failure;     // after the run: the file whose write failed, and why
  std::vector<std::string> retiredFiles;  // after the run: the pages of an earlier run it removed
};

// The run's grid: characters per line and lines per block read from the
// settings and rounded halves to even. A side that is no 32-bit whole number
// makes a grid that holds no cell, so a run on it fails at once.
ColumnGrid runGrid(const ConversionSettings& settings);

// One whole conversion after the run's checks, the same for the window and the
// command line: lays the source out into `grid`, writes every block and
// finishes the files; the output files take their targets' places only when
// the whole run succeeded, and so does the preview file when its path is not
// empty. False when the layout or a write failed; `files`, when given, then
// names the file whose write failed.
bool convertText(std::u16string_view source, const ConversionSettings& settings, ColumnGrid& grid,
                 const std::string& previewFilePath, ConversionHost& host, RunFiles* files = nullptr);
// The same on the grid runGrid makes.
bool convertText(std::u16string_view source, const ConversionSettings& settings,
                 const std::string& previewFilePath, ConversionHost& host, RunFiles* files = nullptr);

}  // namespace zelvato
