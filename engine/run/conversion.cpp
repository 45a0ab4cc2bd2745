#include "run/conversion.h"

#include <exception>
#include <memory>
#include <vector>

#include "read/aozora/aozora_notation.h"
#include "read/text_reader.h"
#include "typeset/grid_typesetter.h"
#include "write/registry/writer_registry.h"

namespace zelvato {

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
    const Document document = readDocument(source, settings.aozoraNotation);
    if (unreadAnnotations != nullptr) *unreadAnnotations = document.unreadAnnotations;
    if (notationReport != nullptr && settings.aozoraNotation)
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
    const std::unique_ptr<DocumentSink> writer =
        makeWriter(typeset, previewFilePath, host, files != nullptr ? files->staging : nullptr);
    if (!writer) return false;
    if (files != nullptr && !files->keepIntact.empty()) writer->keepIntact(files->keepIntact);
    const bool converted =
        convertText(source, typeset, *writer, host, files != nullptr ? &files->unreadAnnotations : nullptr,
                    files != nullptr ? &files->notationReport : nullptr);
    if (files != nullptr) {
      files->failure = writer->failure();
      files->retiredFiles = writer->retiredFiles();
      files->face = writer->faceUsed();
      files->pages = writer->pagesWritten();
    }
    return converted;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace zelvato
