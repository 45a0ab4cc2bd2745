#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/conversion_host.h"
#include "document/conversion_settings.h"
#include "io/file_system.h"
#include "io/staging_seam.h"
#include "write/document_sink.h"

namespace zelvato {

// One whole conversion after the run's checks, the same for the window and the
// command line, as a pipeline: the source is read into a document (plain text
// or Aozora Bunko notation), handed to the writer, set into grid blocks when
// the writer reads them, and the writer is finished with the outcome. The run
// owns stop and progress: the host is asked for a stop before every character.
// False when the grid holds no cell, the run was stopped or the writer failed.
// `notationReport`, when given, receives what the reading of the notation found.
bool convertText(std::u16string_view source, const ConversionSettings& settings, DocumentSink& sink,
                 ConversionHost& host, std::size_t* unreadAnnotations = nullptr,
                 std::u16string* notationReport = nullptr);

// What a caller may add to a run's files.
struct RunFiles {
  std::string keepIntact;                 // a file no output may replace: the source file
  StagingSeam* staging = nullptr;         // watches and steers the staging of the files (tests)
  std::optional<FileFailure> failure;     // after the run: the file whose write failed, and why
  std::size_t unreadAnnotations = 0;      // after the run: the annotations nothing could show
  std::vector<std::string> retiredFiles;  // after the run: the pages of an earlier run it removed
  std::u16string notationReport;          // after the run: the notation read, by kind (Aozora notation only)
  std::optional<WriterFace> face;         // after the run: the face a medium that embeds one set the text in
  std::optional<int> pages;               // after the run: the pages of a medium of its own pages (the book)
  // Sees every block the writer was handed that holds a cell, in order, once the writer took it
  // (the window keeps where each cell of its page came from).
  std::function<void(const GridBlock& block)> blockWritten;
};

// The conversion to the medium the settings choose (see the writer registry):
// the preview file (when its path is not empty), the host's HTML pane and the
// output files of the settings. The output files take their targets' places
// only when the whole run succeeded. `files`, when given, then names the file
// whose write failed. False, writing nothing, for a medium this build has no
// writer for.
bool convertText(std::u16string_view source, const ConversionSettings& settings,
                 const std::string& previewFilePath, ConversionHost& host, RunFiles* files = nullptr);

}  // namespace zelvato
