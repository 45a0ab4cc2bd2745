#include "conversion_run.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QThread>
#include <memory>
#include <optional>
#include <string>

#include "app_texts.h"
#include "dialog_provider.h"
#include "frm_main.h"
#include "frm_progress.h"
#include "io/file_system.h"
#include "main_window_host.h"
#include "options/settings_check.h"
#include "print_commands.h"
#include "temp_folder.h"
#include "text/messages.h"
#include "window_conversion_host.h"
#include "write/registry/writer_registry.h"

namespace zelvato {

namespace {

// Everything one run needs on the worker thread, owned by the run and not by
// the window, so the worker never reads a widget.
struct RunState {
  ConversionKind kind = ConversionKind::full;
  ConversionSettings settings;
  std::u16string source;
  QString previewPath;
  std::string enginePreviewPath;
  RunFiles files;
  bool converted = false;
};

// What a window keeps between runs: its host, the worker of the run in
// progress, and a full run asked for while a preview was still running.
class ConversionContext final : public QObject {
  Q_OBJECT
 public:
  explicit ConversionContext(ui::frmMain& window)
      : QObject(&window), host(new WindowConversionHost(this)), window_(window) {
    setObjectName(QStringLiteral("conversionContext"));
    bindToMainWindow(*host, window);
  }
  ~ConversionContext() override {
    // A window closed by the program during a run: the worker ends first.
    if (worker) {
      host->requestStop();
      worker->wait();
      delete worker;
    }
  }

  void start(std::shared_ptr<RunState> state);
  void finish();

  WindowConversionHost* const host;
  QThread* worker = nullptr;
  std::shared_ptr<RunState> run;
  bool fullRunWaiting = false;

 private:
  ui::frmMain& window_;
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
  return QFile::encodeName(path).toStdString();
}

// The end of every full run: the window is usable again and shows `tab`, with
// `status` in the status bar.
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
void endOnFailure(ui::frmMain& window, const RunState& run) {
  hideProgress();
  deletePreviewFile(run.enginePreviewPath);
  window.dialogs().inform(&window, texts::toQString(messages::conversionInterrupted), ui::MessageIcon::stop);
  QString status = texts::conversionFailedStatus;
  if (const auto& failure = run.files.failure)
    status += QLatin1Char(' ') + QFile::decodeName(QByteArray::fromStdString(failure->path)) +
              QStringLiteral(": ") + QString::fromLocal8Bit(failure->reason);
  releaseWindow(window, ui::Tab::source, status);
}

// Stopping is the user's choice, not an error: the files of earlier runs are
// as they were, and the message says so with the information icon.
void endOnStop(ui::frmMain& window, const RunState& run) {
  hideProgress();
  deletePreviewFile(run.enginePreviewPath);
  window.dialogs().inform(&window, texts::conversionStopped, ui::MessageIcon::information);
  releaseWindow(window, ui::Tab::source, texts::conversionStopped);
}

void endOnSuccess(ui::frmMain& window, const RunState& run) {
  hideProgress();
  showProgress(texts::showingPreview, 0, QString(), true);
  // Returns at once; the preview loads in the background.
  window.navigate(run.previewPath);
  hideProgress();
  releaseWindow(window, ui::Tab::preview, texts::conversionDone);
  showManuscriptCount(window);
}

// A run the checks decline: the warning of a missing output setting, or one
// that names the empty or too small layout field. Only an empty source ends
// without a word.
QString declinedRunWarning(const SettingsProblem& problem) {
  if (!problem.warning.empty()) return texts::toQString(problem.warning);
  if (problem.check == SettingsCheck::layoutFieldEmpty)
    return texts::layoutFieldEmpty.arg(texts::layoutFieldCaption(problem.field));
  if (problem.check == SettingsCheck::gridTooSmall)
    return texts::gridTooSmall.arg(texts::layoutFieldCaption(problem.field));
  return {};
}

void ConversionContext::start(std::shared_ptr<RunState> state) {
  run = std::move(state);
  host->reset();
  worker = QThread::create([run = run, host = host] {
    run->converted = convertOnWorker(run->source, run->settings, run->enginePreviewPath, *host, run->files);
    // The last blocks and status text go out before the thread's end is reported.
    host->showPending();
  });
  worker->setObjectName(QStringLiteral("conversionWorker"));
  connect(worker, &QThread::finished, this, &ConversionContext::finish);
  worker->start();
}

void ConversionContext::finish() {
  worker->wait();
  delete worker;
  worker = nullptr;
  const std::shared_ptr<RunState> ended = std::exchange(run, nullptr);
  const bool stopped = host->stopRequested();
  if (ended->kind == ConversionKind::preview) {
    // The preview shows only a complete result; a stopped or failed one leaves the pane as it was.
    if (ended->converted && !stopped) window_.navigate(ended->previewPath);
    if (std::exchange(fullRunWaiting, false)) runConversion(window_, ConversionKind::full);
    return;
  }
  if (ended->converted) {
    endOnSuccess(window_, *ended);
  } else if (stopped) {
    endOnStop(window_, *ended);
  } else {
    endOnFailure(window_, *ended);
  }
}

}  // namespace

bool convertOnWorker(std::u16string_view source, const ConversionSettings& settings,
                     const std::string& previewPath, ConversionHost& host, RunFiles& files) {
  try {
    return convertText(source, settings, previewPath, host, &files);
  } catch (...) {
    return false;
  }
}

WindowConversionHost& conversionHost(ui::frmMain& window) {
  return *contextOf(window).host;
}

bool conversionRunning(const ui::frmMain& window) {
  const ConversionContext* context = findContext(window);
  return context != nullptr && context->run != nullptr;
}

void stopConversion(ui::frmMain& window) {
  if (conversionRunning(window)) conversionHost(window).requestStop();
}

void runConversion(ui::frmMain& window, ConversionKind kind) {
  ConversionContext& context = contextOf(window);
  if (context.run) {
    // A full run asked for during a preview follows it; anything else waits for nothing.
    if (kind == ConversionKind::full && context.run->kind == ConversionKind::preview) {
      context.fullRunWaiting = true;
      context.host->requestStop();
    }
    return;
  }

  // The one reading of the controls: nothing can change them before the lock.
  auto run = std::make_shared<RunState>();
  run->kind = kind;
  try {
    run->settings = window.readSettings();
    // The pictures of illustrations lie beside the loaded file.
    if (!window.sourceFilePath().isEmpty())
      run->settings.sourceFolder = QFileInfo(window.sourceFilePath()).absolutePath().toStdU16String();
    if (kind == ConversionKind::preview) {
      // The preview alone: no output file is touched.
      run->settings.outputMode = writerKeys::showOnly;
      run->settings.accessibleText = false;
    }
    if (const auto problem = checkSettings(run->settings, static_cast<std::size_t>(window.sourceLength()))) {
      if (kind == ConversionKind::preview) return;
      // After a warning the window stays as it was; the status bar says it too,
      // so it never goes on showing the success of an earlier run.
      const QString warning = declinedRunWarning(*problem);
      if (!warning.isEmpty()) {
        window.setStatusText(warning);
        window.dialogs().inform(&window, warning, ui::MessageIcon::warning);
      }
      return;
    }
    // An output far larger than the source is written only when the user says so.
    if (kind == ConversionKind::full)
      if (const OutputEstimate estimate = estimateOutput(run->settings, window.sourceText().toStdU16String());
          estimate.excessive &&
          window.dialogs().askYesNoCancel(&window, texts::outputTooLarge.arg(estimate.outputBytes >> 20),
                                          ui::MessageIcon::question) != ui::MessageAnswer::yes)
        return;
    // Without a private folder nothing is written at all: tempFolder has said why.
    run->previewPath = previewFilePath(window.dialogs());
    if (run->previewPath.isEmpty()) return;
  } catch (...) {
    if (kind == ConversionKind::full)
      window.dialogs().inform(&window, texts::unexpectedError, ui::MessageIcon::stop);
    return;
  }
  run->enginePreviewPath = enginePath(run->previewPath);
  run->source = window.sourceText().toStdU16String();
  run->files.keepIntact = enginePath(window.sourceFilePath());

  if (kind == ConversionKind::full) {
    window.setBusy(true);
    window.showTab(ui::Tab::source);
    showProgress(texts::convertingProgress, static_cast<qint32>(run->source.size()),
                 texts::toQString(messages::characterUnit), true);
    window.setStatusText(texts::toQString(messages::converting));
  }
  // The engine stages the preview with the outputs, begun with its generator line.
  deletePreviewFile(run->enginePreviewPath);
  if (kind == ConversionKind::full) window.clearHtml();
  context.start(std::move(run));
}

}  // namespace zelvato

#include "conversion_run.moc"
