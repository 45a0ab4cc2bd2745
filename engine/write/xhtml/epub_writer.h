#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "document/conversion_host.h"
#include "document/conversion_settings.h"
#include "io/staged_files.h"
#include "write/document_sink.h"

namespace zelvato {

// The EPUB 3 writer: a reflowable book in vertical writing with right-to-left
// page progression (or, as asked, horizontal from left to right), always
// UTF-8, with what the Japanese production guides and the stores look for: a
// cover (the user's picture or one of our own), the title page, one XHTML
// content document per page-break section (a long text without breaks is cut
// at headings, and at about 100 KB), the colophon of an Aozora Bunko text at
// the end, the table of contents nested by heading level in the navigation
// document and the NCX, landmarks, epub:type on every part, the rendition and
// writing-mode metadata, and a UUID that stays the same for the same title
// and author. The book is zipped in memory and staged like every other output.
class EpubWriter : public DocumentSink {
 public:
  explicit EpubWriter(const WriterContext& context);

  bool wantsBlocks() const override { return false; }
  bool begin(const Document& document) override;
  bool block(const GridBlock&) override { return true; }
  bool finish(bool completed) override;
  std::optional<FileFailure> failure() const override;
  void keepIntact(const std::string& path) override { outputFiles_.keepIntact(path); }

 private:
  ConversionSettings settings_;
  StagedFiles outputFiles_;
  std::optional<FileFailure> failure_;
  bool finished_ = false;
};

// The EPUB of `document` handed to `write` a piece at a time, entry by entry
// as it is zipped, so that a book of large pictures is never held whole:
// whether it was made and, when not, the reason where one is known (a cover
// picture that cannot be read).
struct EpubOutcome {
  bool made = false;
  std::string failure;
};
EpubOutcome writeEpub(const ConversionSettings& settings, const Document& document, const std::string& modified,
                      const std::function<bool(std::string_view)>& write);

// "urn:uuid:…" made from the title and the author: the same book keeps its identifier.
std::string bookIdentifier(std::u16string_view title, std::u16string_view author);

}  // namespace zelvato
