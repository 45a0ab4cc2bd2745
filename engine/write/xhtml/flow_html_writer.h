#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "document/conversion_host.h"
#include "document/conversion_settings.h"
#include "io/illustration_files.h"
#include "io/staged_files.h"
#include "write/document_sink.h"
#include "write/page_output.h"
#include "write/xhtml/xhtml_content.h"

namespace zelvato {

// The flowing vertical HTML writer: the document as real text in an HTML5
// page that the browser sets vertically (writing-mode: vertical-rl), with a
// viewport, so that it reads on a phone and copies and searches as text. One
// file for a single file (page breaks as printed page breaks), one file per
// page-break section for page files, named and linked as the grid's pages.
// The preview file and the host's HTML pane get the whole text as one page.
class FlowHtmlWriter : public DocumentSink {
 public:
  FlowHtmlWriter(const WriterContext& context, PageDestination destination);

  bool wantsBlocks() const override { return false; }
  bool begin(const Document& document) override;
  bool block(const GridBlock&) override { return true; }
  bool finish(bool completed) override;
  std::optional<FileFailure> failure() const override;
  void keepIntact(const std::string& path) override { outputFiles_.keepIntact(path); }
  std::vector<std::string> retiredFiles() const override { return outputFiles_.retiredFiles(); }

 private:
  bool writeFile(const std::string& path, const std::u16string& page);
  std::optional<std::u16string> pictureLink(IllustrationFiles& pictures, std::u16string_view target,
                                            const std::string& pageFolder);

  ConversionSettings settings_;
  PageDestination destination_;
  std::string previewFilePath_;
  ConversionHost& host_;
  StagedFiles outputFiles_;
  bool finished_ = false;
  std::set<std::string> copied_;  // the pictures staged beside a page
  bool pictureFailed_ = false;
};

// A whole HTML5 page of flowing vertical text around `body`.
std::u16string flowHtmlPage(const ConversionSettings& settings, const Document& document,
                            std::u16string_view body, std::u16string_view footer = {});

}  // namespace zelvato
