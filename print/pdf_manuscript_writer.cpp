#include "pdf_manuscript_writer.h"

#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

#include "manuscript_pages.h"
#include "run/conversion.h"

namespace zelvato::print {

PdfManuscriptWriter::PdfManuscriptWriter(const ConversionSettings& settings, std::string target,
                                         const ManuscriptOptions& options)
    : target_(std::move(target)), pdf_(std::make_unique<QPdfWriter>(&buffer_)) {
  buffer_.open(QIODevice::WriteOnly);
  pdf_->setPageLayout(QPageLayout(QPageSize(options.paper == Paper::b4 ? QPageSize::JisB4 : QPageSize::A4),
                                  QPageLayout::Landscape, QMarginsF(0, 0, 0, 0)));
  pdf_->setCreator(QStringLiteral("Zelvato"));
  pdf_->setTitle(QString::fromStdU16String(settings.htmlTitle));
  pages_ = std::make_unique<ManuscriptPages>(*pdf_, settings, options);
}

PdfManuscriptWriter::~PdfManuscriptWriter() = default;

bool PdfManuscriptWriter::begin(const Document& document) {
  if (!files_.begin(target_)) return false;
  if (!pages_->begin(document)) {
    failure_ = FileFailure{target_, "no installed face holds Japanese characters"};
    return false;
  }
  return true;
}

bool PdfManuscriptWriter::block(const GridBlock& block) {
  return pages_->block(block);
}

bool PdfManuscriptWriter::finish(bool completed) {
  const bool painted = pages_->finish(completed);
  if (!completed || !painted) {
    if (completed) failure_ = FileFailure{target_, "the PDF could not be made"};
    files_.discard();
    return false;
  }
  const QByteArray& bytes = buffer_.data();
  return files_.append(target_,
                       std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))) &&
         files_.commit();
}

std::optional<FileFailure> PdfManuscriptWriter::failure() const {
  if (files_.failure()) return files_.failure();
  return failure_;
}

QString PdfManuscriptWriter::faceUsed() const {
  return pages_->faceUsed();
}

bool PdfManuscriptWriter::faceFellBack() const {
  return pages_->faceFellBack();
}

int PdfManuscriptWriter::sheets() const {
  return pages_->sheets();
}

ConversionSettings manuscriptSettings(ConversionSettings settings) {
  settings.rubyMode = RubyMode::drop;
  settings.manuscriptPaper = true;
  return settings;
}

bool convertToPdf(std::u16string_view source, const ConversionSettings& settings, const std::string& target,
                  const ManuscriptOptions& options, ConversionHost& host, const std::string& keepIntact,
                  PdfRun& run) {
  const ConversionSettings manuscript = manuscriptSettings(settings);
  PdfManuscriptWriter writer(manuscript, target, options);
  if (!keepIntact.empty()) writer.keepIntact(keepIntact);
  const bool converted = convertText(source, manuscript, writer, host);
  run.faceUsed = writer.faceUsed();
  run.faceFellBack = writer.faceFellBack();
  run.sheets = writer.sheets();
  run.failure = writer.failure();
  return converted;
}

namespace {

// On the command line Qt's notes about its platform are noise beside the
// converter's own messages; only its errors are kept.
void keepErrorsOnly(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) qt_message_output(type, context, message);
}

}  // namespace

std::unique_ptr<QGuiApplication> makeFontApplication(int& argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(keepErrorsOnly);
  return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace zelvato::print
