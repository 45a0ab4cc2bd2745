#pragma once

#include <optional>
#include <string>
#include <vector>

#include "document/conversion_host.h"
#include "document/conversion_settings.h"
#include "document/document.h"
#include "document/grid_block.h"
#include "io/file_system.h"
#include "io/staging_seam.h"

namespace zelvato {

// The face a medium that embeds its font set the text in, and whether it
// replaced the face the settings ask for (which is not installed, or holds
// no Japanese characters).
struct WriterFace {
  std::string family;
  bool fellBack = false;
};

// A writer of one conversion: it is handed the document once it has been read,
// then, when it asks for them, the grid typesetter's blocks in order, and
// finally whether the run completed. A writer that sets the text itself (from
// the document alone) never asks for blocks. Nothing of a writer is called
// back by an earlier stage; a false return ends the run on its failure path.
class DocumentSink {
 public:
  virtual ~DocumentSink() = default;

  // Whether the writer reads the grid typesetter's blocks.
  virtual bool wantsBlocks() const { return true; }
  virtual bool begin(const Document& document) = 0;
  // One column block in order; a block that holds no cell comes only when it
  // ends its page (a page break where no block is pending).
  virtual bool block(const GridBlock& block) = 0;
  // The end of the run: a completed run puts its files in place, any other
  // leaves the earlier files as they were.
  virtual bool finish(bool completed) = 0;

  // The file whose write failed first, and why.
  virtual std::optional<FileFailure> failure() const { return std::nullopt; }
  // No output of the run may replace this file (the source file).
  virtual void keepIntact(const std::string& /*path*/) {}
  // The pages of an earlier, longer run that the run removed.
  virtual std::vector<std::string> retiredFiles() const { return {}; }
  // The face the text was set in, by a writer that embeds one.
  virtual std::optional<WriterFace> faceUsed() const { return std::nullopt; }
  // The pages written, by a writer of pages of its own (the typeset book).
  virtual std::optional<int> pagesWritten() const { return std::nullopt; }
};

// What every writer of a run is made with: the run's settings (a writer keeps
// its own copy), the preview file (none when empty), the host that shows the
// markup and asks for a stop, the seam of the staging of its files (none when
// null), and the file or folder of the medium as the settings name it.
struct WriterContext {
  const ConversionSettings& settings;
  std::string previewFilePath;
  ConversionHost& host;
  StagingSeam* staging = nullptr;
  std::u16string outputPath = {};
};

}  // namespace zelvato
