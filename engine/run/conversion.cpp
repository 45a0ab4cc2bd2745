#include "run/conversion.h"

#include <exception>
#include <memory>
#include <vector>

#include "read/aozora/aozora_notation.h"
#include "read/text_reader.h"
#include "typeset/grid_typesetter.h"
#include "write/grid_html/page_writer.h"
#include "write/xhtml/epub_writer.h"
#include "write/xhtml/flow_html_writer.h"

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

namespace {

// Several writers of one run, each handed everything in turn.
class WriterList : public DocumentSink {
 public:
  void add(std::unique_ptr<DocumentSink> writer) { writers_.push_back(std::move(writer)); }
  bool wantsBlocks() const override {
    for (const auto& writer : writers_)
      if (writer->wantsBlocks()) return true;
    return false;
  }
  bool begin(const Document& document) override {
    for (const auto& writer : writers_)
      if (!writer->begin(document)) return false;
    return true;
  }
  bool block(const GridBlock& block) override {
    for (const auto& writer : writers_)
      if (writer->wantsBlocks() && !writer->block(block)) return false;
    return true;
  }
  bool finish(bool completed) override {
    bool finished = true;
    for (const auto& writer : writers_) finished = writer->finish(completed) && finished;
    return finished;
  }
  std::optional<FileFailure> failure() const override {
    for (const auto& writer : writers_)
      if (auto failed = writer->failure()) return failed;
    return std::nullopt;
  }
  void keepIntact(const std::string& path) override {
    for (const auto& writer : writers_) writer->keepIntact(path);
  }
  std::vector<std::string> retiredFiles() const override {
    std::vector<std::string> files;
    for (const auto& writer : writers_)
      for (std::string& file : writer->retiredFiles()) files.push_back(std::move(file));
    return files;
  }

 private:
  std::vector<std::unique_ptr<DocumentSink>> writers_;
};

}  // namespace

std::unique_ptr<DocumentSink> makeWriter(const ConversionSettings& settings,
                                         const std::string& previewFilePath, ConversionHost& host) {
  if (settings.outputMode == OutputMode::epub) {
    // The book, and its text as a flowing page in the preview and the HTML pane.
    auto writers = std::make_unique<WriterList>();
    ConversionSettings preview = settings;
    preview.outputMode = OutputMode::showOnly;
    writers->add(std::make_unique<FlowHtmlWriter>(preview, previewFilePath, host));
    writers->add(std::make_unique<EpubWriter>(settings));
    return writers;
  }
  if (settings.textStyle == TextStyle::flow)
    return std::make_unique<FlowHtmlWriter>(settings, previewFilePath, host);
  return std::make_unique<GridHtmlWriter>(settings, previewFilePath, host);
}

bool convertText(std::u16string_view source, const ConversionSettings& settings,
                 const std::string& previewFilePath, ConversionHost& host, RunFiles* files) {
  try {
    const std::unique_ptr<DocumentSink> writer = makeWriter(settings, previewFilePath, host);
    if (files != nullptr && !files->keepIntact.empty()) writer->keepIntact(files->keepIntact);
    const bool converted =
        convertText(source, settings, *writer, host, files != nullptr ? &files->unreadAnnotations : nullptr,
                    files != nullptr ? &files->notationReport : nullptr);
    if (files != nullptr) {
      files->failure = writer->failure();
      files->retiredFiles = writer->retiredFiles();
    }
    return converted;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace zelvato
