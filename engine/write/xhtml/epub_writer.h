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
// page progression, always UTF-8. One XHTML content document per page-break
// section (a long text without breaks is cut at headings, or at about 100 KB),
// a navigation document that lists the headings (or the title alone), the
// package document with a UUID that stays the same for the same title and
// author. The book is zipped in memory and staged like every other output.
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

// The bytes of the EPUB of `document` (empty when it could not be made).
std::string epubBytes(const ConversionSettings& settings, const Document& document,
                      const std::string& modified);
// The same bytes handed to `write` a piece at a time, so that a book of large
// pictures is never held twice; false when the book could not be made or a
// write failed.
bool writeEpub(const ConversionSettings& settings, const Document& document, const std::string& modified,
               const std::function<bool(std::string_view)>& write);

// "urn:uuid:…" made from the title and the author: the same book keeps its identifier.
std::string bookIdentifier(std::u16string_view title, std::u16string_view author);

}  // namespace zelvato
