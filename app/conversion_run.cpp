#include "conversion_run.h"

#include <QFile>
#include <memory>
#include <optional>
#include <string>

#include "app_texts.h"
#include "codepage.h"
#include "frm_main.h"
#include "frm_progress.h"
#include "main_window_host.h"
#include "print_commands.h"
#include "message_box.h"
#include "messages.h"
#include "page_writer.h"
#include "settings_check.h"
#include "temp_folder.h"
#include "window_conversion_host.h"

namespace zelvato {

namespace {

// What a window keeps between runs: its host, and whether a run is in progress.
class ConversionContext final : public QObject {
  Q_OBJECT
 public:
  explicit ConversionContext(ui::frmMain& window) : QObject(&window), host(new WindowConversionHost(this)) {
    setObjectName(QStringLiteral("conversionContext"));
    bindToMainWindow(*host, window);
  }

  WindowConversionHost* const host;
  bool running = false;
};

ConversionContext* findContext(const ui::frmMain& window) {
  return window.findChild<ConversionContext*>(QString(), Qt::FindDirectChildrenOnly);
}

ConversionContext& contextOf(ui::frmMain& window) {
  if (ConversionContext* context = findContext(window)) return *context;
  return *new ConversionContext(window);
}

// The engine takes paths as the system's bytes.
std::string enginePath(const QString& path) {
  return QFile::encodeName(path).toStdString();  // file names are the system's bytes
}

// The end of every run, successful or not: the window is usable again and
// shows `tab`, with `status` in the status bar.
void releaseWindow(ui::frmMain& window, ui::Tab tab, const QString& status) {
  window.setBusy(false);
  window.setStatusText(status);
  window.showTab(tab);
}

void deletePreviewFile(const std::string& previewPath) {
  if (fileExists(previewPath)) deleteFile(previewPath);
}

// The status bar names the file that could not be written and why, after the
// failure's own words.
void endOnFailure(ui::frmMain& window, const std::string& previewPath,
                  const std::optional<FileFailure>& failure) {
  hideProgress();
  deletePreviewFile(previewPath);
  ui::showMessage(&window, texts::toQString(messages::conversionInterrupted), ui::MessageIcon::stop);
  QString status = texts::conversionFailedStatus;
  if (failure)
    status += QLatin1Char(' ') + QFile::decodeName(QByteArray::fromStdString(failure->path)) +
              QStringLiteral(": ") + QString::fromLocal8Bit(failure->reason);
  releaseWindow(window, ui::Tab::source, status);
}

void endOnSuccess(ui::frmMain& window, const QString& previewPath) {
  hideProgress();
  showProgress(texts::showingPreview, 0, QString(), true);
  // Returns at once; the preview loads in the background.
  window.navigate(previewPath);
  hideProgress();
  releaseWindow(window, ui::Tab::preview, texts::conversionDone);
  showManuscriptCount(window);
}

// Prepares the destinations the window adds to the engine's run, then runs the
// engine; false on any failure.
bool convert(ui::frmMain& window, WindowConversionHost& host, const ConversionSettings& settings,
             const QString& source, const std::string& previewPath, RunFiles& files) {
  showProgress(texts::convertingProgress, static_cast<qint32>(source.size()),
               texts::toQString(messages::characterUnit), true);
  window.setStatusText(texts::toQString(messages::converting));
  deletePreviewFile(previewPath);
  bool created = false;
  files.failure = beginPreviewFile(previewPath, settings, created);
  if (files.failure) return false;
  window.clearHtml();
  return convertText(source.toStdU16String(), settings, previewPath, host, &files);
}

}  // namespace

WindowConversionHost& conversionHost(ui::frmMain& window) {
  return *contextOf(window).host;
}

bool conversionRunning(const ui::frmMain& window) {
  const ConversionContext* context = findContext(window);
  return context != nullptr && context->running;
}

void stopConversion(ui::frmMain& window) {
  if (conversionRunning(window)) conversionHost(window).requestStop();
}

void runConversion(ui::frmMain& window) {
  ConversionContext& context = contextOf(window);
  if (context.running) return;

  // The one reading of the controls: nothing can change them before the lock.
  ConversionSettings settings;
  QString previewPath;
  try {
    settings = window.readSettings();
    if (const auto problem = checkSettings(settings, static_cast<std::size_t>(window.sourceLength()))) {
      // After a warning the window stays as it was.
      if (!problem->warning.empty())
        ui::showMessage(&window, texts::toQString(problem->warning), ui::MessageIcon::warning);
      return;
    }
    // Without a private folder nothing is written at all: tempFolder has said why.
    previewPath = previewFilePath();
    if (previewPath.isEmpty()) return;
  } catch (...) {
    ui::showMessage(&window, texts::unexpectedError, ui::MessageIcon::stop);
    return;
  }

  context.running = true;
  context.host->reset();
  window.setBusy(true);
  window.showTab(ui::Tab::source);

  const std::string enginePreviewPath = enginePath(previewPath);
  bool converted = false;
  RunFiles files;
  try {
    // The source as it is at the lock; the pane cannot change until the release.
    converted =
        convert(window, *context.host, settings, window.sourceText(), enginePreviewPath, files);
    // The last blocks and status text, which the host holds back between its showings.
    context.host->showPending();
  } catch (...) {
    converted = false;
  }
  if (converted) {
    endOnSuccess(window, previewPath);
  } else {
    endOnFailure(window, enginePreviewPath, files.failure);
  }
  context.running = false;
}

}  // namespace zelvato

#include "conversion_run.moc"
