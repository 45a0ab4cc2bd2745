#pragma once

#include <QBuffer>
#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "document/conversion_host.h"
#include "document/conversion_settings.h"
#include "io/staged_files.h"
#include "manuscript_sheet.h"
#include "write/document_sink.h"

class QGuiApplication;
class QPdfWriter;

namespace zelvato::print {

class ManuscriptPages;

// A writer of the pipeline that makes a PDF of manuscript paper, one sheet a
// column block, its faces embedded. The PDF is made in memory, written into a
// new file beside the target and put in the target's place only when the whole
// run succeeded; a folder, a device or the source file as target is refused.
class PdfManuscriptWriter : public DocumentSink {
 public:
  PdfManuscriptWriter(const ConversionSettings& settings, std::string target,
                      const ManuscriptOptions& options);
  ~PdfManuscriptWriter() override;

  bool begin(const Document& document) override;
  bool block(const GridBlock& block) override;
  bool finish(bool completed) override;
  std::optional<FileFailure> failure() const override;
  void keepIntact(const std::string& path) override { files_.keepIntact(path); }

  QString faceUsed() const;
  bool faceFellBack() const;
  int sheets() const;

 private:
  std::string target_;
  StagedFiles files_;
  QBuffer buffer_;
  std::unique_ptr<QPdfWriter> pdf_;
  std::unique_ptr<ManuscriptPages> pages_;
  std::optional<FileFailure> failure_;
};

// The settings a manuscript is typeset with: the user's, with ruby out of the
// cells (it is set beside its base).
ConversionSettings manuscriptSettings(ConversionSettings settings);

// What a PDF run tells the user besides success.
struct PdfRun {
  QString faceUsed;
  bool faceFellBack = false;
  int sheets = 0;
  std::optional<FileFailure> failure;  // the file whose write failed, and why
};

// The whole conversion into a PDF of manuscript paper, for the window and the
// command line alike; `keepIntact` is the source file, which the PDF may not
// replace. Needs a QGuiApplication (for the fonts).
bool convertToPdf(std::u16string_view source, const ConversionSettings& settings, const std::string& target,
                  const ManuscriptOptions& options, ConversionHost& host, const std::string& keepIntact,
                  PdfRun& run);

// The application the fonts need on the command line; the offscreen platform
// unless one is asked for, as a PDF needs no display.
std::unique_ptr<QGuiApplication> makeFontApplication(int& argc, char** argv);

}  // namespace zelvato::print
