#include "conversion_run.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTabWidget>
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
#include "manuscript_count_label.h"
#include "options/settings_check.h"
#include "page_sync.h"
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
  QString previewPath;  // empty: the run writes no preview file (the manuscript PDF)
  std::string enginePreviewPath;
  RunFiles files;
  bool converted = false;
  ui::Tab endTab = ui::Tab::preview;  // the tab a run ends on, after success
  std::function<void()> written;      // after a successful manuscript PDF
  // Where the preview's characters came from, for the source shown beside it.
  std::shared_ptr<ui::PageSource> page;
};

// The run notes where each character of its preview came from: a grid page
// cell by cell as its blocks are written, a flowing page by the marks it
// writes on its paragraphs.
void notePageSource(RunState& run) {
  const WriterEntry* writer = chosenWriter(run.settings);
  if (run.previewPath.isEmpty() || writer == nullptr) return;
  run.settings.previewMarks = true;
  auto page = std::make_shared<ui::PageSource>();
  page->flowing = !needsOf(*writer, run.settings).blocks;
  page->bars = run.settings.showGrid;
  page->counting.notation = run.settings.aozoraNotation || run.settings.webNotation;
  page->counting.rubyInText = !page->flowing && run.settings.rubyMode == RubyMode::paren;
  if (!page->flowing)
    run.files.blockWritten = [grid = &page->grid](const GridBlock& block) { grid->addBlock(block); };
  run.page = std::move(page);
}

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
  // A run asked for while a preview was running: it starts once the preview has stopped.
  std::function<void()> waiting;

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
  if (!previewPath.empty() && fileExists(previewPath)) deleteFile(previewPath);
}

// The tab a failed or stopped run leaves shown: the source, or for the
// manuscript PDF the tab it started on.
ui::Tab tabAfterFailure(const RunState& run) {
  return run.kind == ConversionKind::manuscriptPdf ? run.endTab : ui::Tab::source;
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
  releaseWindow(window, tabAfterFailure(run), status);
}

// Stopping is the user's choice, not an error: the files of earlier runs are
// as they were, and the message says so with the information icon.
void endOnStop(ui::frmMain& window, const RunState& run) {
  hideProgress();
  deletePreviewFile(run.enginePreviewPath);
  window.dialogs().inform(&window, texts::conversionStopped, ui::MessageIcon::information);
  releaseWindow(window, tabAfterFailure(run), texts::conversionStopped);
}

void endOnSuccess(ui::frmMain& window, const RunState& run) {
  hideProgress();
  if (run.kind == ConversionKind::manuscriptPdf) {
    // The face the manuscript was set in, named when it is not the one the settings ask for.
    QString status = texts::conversionDone;
    if (run.files.face && run.files.face->fellBack)
      status += QStringLiteral(" 書体: ") + QString::fromStdString(run.files.face->family);
    releaseWindow(window, run.endTab, status);
    // What follows (the print preview) runs once the run has wholly ended.
    if (run.written) QMetaObject::invokeMethod(&window, run.written, Qt::QueuedConnection);
    return;
  }
  showProgress(texts::showingPreview, 0, QString(), true);
  // Returns at once; the preview loads in the background.
  window.setPageSource(run.page);
  window.navigate(run.previewPath);
  hideProgress();
  releaseWindow(window, run.endTab, texts::conversionDone);
  // The book's pages stand beside the live manuscript count.
  showBookPages(window, run.files.pages);
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
    if (run->converted && run->page) {
      run->page->source = run->source;
      run->page->grid.resolve(run->page->source, run->page->counting);
    }
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
    if (ended->converted && !stopped) {
      window_.setPageSource(ended->page);
      window_.navigate(ended->previewPath);
    }
    if (const std::function<void()> next = std::exchange(waiting, nullptr)) next();
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

namespace {

// Starts a run of `kind`; for the manuscript PDF, to `target`, then `written`.
void startRun(ui::frmMain& window, ConversionKind kind, const QString& target,
              std::function<void()> written) {
  ConversionContext& context = contextOf(window);
  if (context.run) {
    // A run asked for during a preview follows it; anything else waits for nothing.
    if (kind != ConversionKind::preview && context.run->kind == ConversionKind::preview) {
      context.waiting = [&window, kind, target, written] { startRun(window, kind, target, written); };
      context.host->requestStop();
    }
    return;
  }

  // The one reading of the controls: nothing can change them before the lock.
  auto run = std::make_shared<RunState>();
  run->kind = kind;
  const bool shown = kind != ConversionKind::preview;  // the run locks the window and shows its progress
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
    if (kind == ConversionKind::manuscriptPdf) {
      // The manuscript PDF alone, as the converter's --pdf writes it.
      run->settings.outputMode = writerKeys::manuscriptPdf;
      setOutputPath(run->settings, *findWriter(writerKeys::manuscriptPdf), target.toStdU16String());
      run->endTab = static_cast<ui::Tab>(window.SSTabMain()->currentIndex());
      run->written = std::move(written);
    }
    if (const auto problem = checkSettings(run->settings, static_cast<std::size_t>(window.sourceLength()))) {
      if (!shown) return;
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
    if (kind != ConversionKind::manuscriptPdf) {
      // Without a private folder nothing is written at all: tempFolder has said why.
      run->previewPath = previewFilePath(window.dialogs());
      if (run->previewPath.isEmpty()) return;
    }
  } catch (...) {
    if (shown) window.dialogs().inform(&window, texts::unexpectedError, ui::MessageIcon::stop);
    return;
  }
  if (!run->previewPath.isEmpty()) run->enginePreviewPath = enginePath(run->previewPath);
  run->source = window.sourceText().toStdU16String();
  notePageSource(*run);
  run->files.keepIntact = enginePath(window.sourceFilePath());

  if (shown) {
    window.setBusy(true);
    // The HTML pane is hidden while it fills; the manuscript PDF leaves it alone.
    if (kind == ConversionKind::full) window.showTab(ui::Tab::source);
    showProgress(texts::convertingProgress, static_cast<qint32>(run->source.size()),
                 texts::toQString(messages::characterUnit), true);
    window.setStatusText(texts::toQString(messages::converting));
  }
  // The engine stages the preview with the outputs, begun with its generator line.
  deletePreviewFile(run->enginePreviewPath);
  if (kind == ConversionKind::full) window.clearHtml();
  context.start(std::move(run));
}

}  // namespace

void runConversion(ui::frmMain& window, ConversionKind kind) {
  startRun(window, kind, QString(), nullptr);
}

void runManuscriptPdf(ui::frmMain& window, const QString& target, std::function<void()> written) {
  startRun(window, ConversionKind::manuscriptPdf, target, std::move(written));
}

}  // namespace zelvato

#include "conversion_run.moc"
