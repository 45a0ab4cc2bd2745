#include "run/conversion.h"

#include <exception>
#include <memory>
#include <optional>
#include <vector>

#include "io/staged_files.h"
#include "read/aozora/aozora_notation.h"
#include "read/text_reader.h"
#include "typeset/grid_typesetter.h"
#include "write/registry/writer_registry.h"

namespace zelvato {

namespace {

// The run's writer, and someone who watches the blocks it was handed.
class WatchedSink final : public DocumentSink {
 public:
  WatchedSink(DocumentSink& writer, const std::function<void(const GridBlock&)>& watch)
      : writer_(writer), watch_(watch) {}
  bool wantsBlocks() const override { return writer_.wantsBlocks(); }
  bool begin(const Document& document) override { return writer_.begin(document); }
  bool block(const GridBlock& block) override {
    if (!writer_.block(block)) return false;
    if (!block.isEmpty()) watch_(block);
    return true;
  }
  bool finish(bool completed) override { return writer_.finish(completed); }

 private:
  DocumentSink& writer_;
  const std::function<void(const GridBlock&)>& watch_;
};

}  // namespace

bool convertText(std::u16string_view source, const ConversionSettings& settings, DocumentSink& sink,
                 ConversionHost& host, std::size_t* unreadAnnotations, std::u16string* notationReport) {
  bool completed = false;
  try {
    const GridLayoutOptions options = gridLayoutOptions(settings);
    GridBlock grid = makeGrid(options);
    if (grid.holdsNoCell()) {
      sink.finish(false);
      return false;
    }
    const Document document = readDocument(source, settings);
    if (unreadAnnotations != nullptr) *unreadAnnotations = document.unreadAnnotations;
    if (notationReport != nullptr && (settings.aozoraNotation || settings.webNotation))
      *notationReport = zelvato::notationReport(document);
    completed = sink.begin(document);
    if (completed && sink.wantsBlocks())
      completed = typesetGrid(document, options, grid, host,
                              [&sink](const GridBlock& block) { return sink.block(block); });
  } catch (const std::exception&) {
    completed = false;
  }
  // After a failed run no file is put in place.
  const bool finished = sink.finish(completed);
  return completed && finished;
}

bool convertText(std::u16string_view source, const ConversionSettings& settings,
                 const std::string& previewFilePath, ConversionHost& host, RunFiles* files) {
  try {
    const ConversionSettings typeset = typesetSettings(settings);
    StagingSeam* const seam = files != nullptr ? files->staging : nullptr;
    // Every file of every writer of the run is put in place by this one
    // commit, together or not at all; it asks for a stop before each rename,
    // so a stop either leaves every earlier file or comes after all are new.
    StagedFiles runFiles(seam);
    runFiles.stopWhen([&host] {
      host.yieldToEvents();
      return host.stopRequested();
    });
    if (files != nullptr && !files->keepIntact.empty()) runFiles.keepIntact(files->keepIntact);
    const std::unique_ptr<DocumentSink> writer = makeWriter(typeset, previewFilePath, host, seam);
    if (!writer) return false;
    if (files != nullptr && !files->keepIntact.empty()) writer->keepIntact(files->keepIntact);
    bool converted = false;
    {
      const DeferredCommit together(runFiles);
      std::optional<WatchedSink> watched;
      if (files != nullptr && files->blockWritten) watched.emplace(*writer, files->blockWritten);
      DocumentSink& sink = watched ? static_cast<DocumentSink&>(*watched) : *writer;
      converted =
          convertText(source, typeset, sink, host, files != nullptr ? &files->unreadAnnotations : nullptr,
                      files != nullptr ? &files->notationReport : nullptr);
    }
    // Handed on as a whole when a batch collects its runs' files (DeferredCommit).
    converted = runFiles.conclude(converted) && converted;
    if (files != nullptr) {
      files->failure = writer->failure();
      if (!files->failure) files->failure = runFiles.failure();
      files->retiredFiles = runFiles.retiredFiles();
      files->face = writer->faceUsed();
      files->pages = writer->pagesWritten();
    }
    return converted;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace zelvato
