#include "conversion_run.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <memory>
#include <string>

#include "app_texts.h"
#include "codepage.h"
#include "column_layout.h"
#include "frm_main.h"
#include "frm_progress.h"
#include "main_window_host.h"
#include "message_box.h"
#include "number_text.h"
#include "page_writer.h"
#include "source_text_edit.h"
#include "temp_folder.h"
#include "window_conversion_host.h"

namespace zelvato {

namespace {

constexpr int sourceTab = 0;
constexpr int previewTab = 2;
constexpr int stopButton = 6;

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

// Steps whose failure must not keep the window from being released are each
// tried on their own.
template <typename Step>
void attempt(Step&& step) {
  try {
    step();
  } catch (...) {
  }
}

// The engine takes paths as UTF-8.
std::string enginePath(const QString& path) {
  return path.toStdString();
}

void setToolbarLocked(ui::frmMain& window, bool locked) {
  for (int index = 1; index <= 7; ++index) {
    if (QAction* button = window.toolbarButton(index)) button->setEnabled(!locked);
  }
  // Stop is usable only while a run is in progress.
  if (QAction* stop = window.toolbarButton(stopButton)) stop->setEnabled(locked);
}

// The lock: nothing but Stop can change the source, the settings or the
// output while the run yields to the event loop, and the window stays open.
void lockWindow(ui::frmMain& window) {
  window.txtHTML()->setVisible(false);
  window.setCloseAllowed(false);
  window.SSTabMain()->setEnabled(false);
  window.SSTabMain()->setCurrentIndex(sourceTab);
  window.cmdAllSelect(1)->setEnabled(false);
  window.lblHcov(20)->setText(texts::converting);
  window.txtMain()->setEnabled(false);
  setToolbarLocked(window, true);
}

// The end of every run, successful or not: the window is usable again and
// shows `tab`, with `status` in the status bar.
void releaseWindow(ui::frmMain& window, int tab, const QString& status) {
  attempt([&] { window.txtHTML()->setVisible(true); });
  window.setCloseAllowed(true);
  attempt([&] { window.setStatusText(status); });
  attempt([&] {
    window.SSTabMain()->setEnabled(true);
    window.cmdAllSelect(1)->setEnabled(true);
    window.SSTabMain()->setCurrentIndex(tab);
  });
  attempt([&] { setToolbarLocked(window, false); });
  // Puts the character count (or the hint) back in place of "変換処理中...".
  attempt([&] { window.txtMain_Change(); });
  attempt([&] { window.txtMain()->setEnabled(true); });
}

void deletePreviewFile(const std::string& previewPath) {
  if (fileExists(previewPath)) deleteFile(previewPath);
}

void endOnFailure(ui::frmMain& window, const std::string& previewPath) {
  attempt([] { hideProgress(); });
  attempt([&] { deletePreviewFile(previewPath); });
  attempt([&] { ui::showMessage(&window, texts::conversionInterrupted, ui::MessageIcon::stop); });
  releaseWindow(window, sourceTab, texts::conversionFailedStatus);
}

void endOnSuccess(ui::frmMain& window, const QString& previewPath) {
  attempt([] { hideProgress(); });
  attempt([] { showProgress(texts::showingPreview, 0, QString(), true); });
  // Returns at once; the preview loads in the background.
  attempt([&] { window.navigate(previewPath); });
  attempt([] { hideProgress(); });
  releaseWindow(window, previewTab, texts::conversionDone);
}

// The grid side from a layout field: the value rounded halves to even. A value
// that does not fit makes a size the grid refuses, so the run fails at once.
int gridSide(const QLineEdit* field) {
  return toWholeNumber(textToNumber(field->text().toStdU16String())).value_or(0);
}

bool isEmpty(const QLineEdit* field) {
  return field->text().isEmpty();
}

// Lays the source out and writes every destination; false on any failure.
bool convert(ui::frmMain& window, WindowConversionHost& host, ColumnGrid& grid, const QString& source,
             const std::string& previewPath) {
  const ConversionSettings settings = window.readSettings();
  showProgress(texts::convertingProgress, static_cast<qint32>(source.size()), texts::convertingUnit, true);
  window.setStatusText(texts::convertingStatus);
  deletePreviewFile(previewPath);
  if (!beginPreviewFile(previewPath)) return false;
  window.txtHTML()->clear();

  PageWriter writer(settings, previewPath, host);
  const bool laidOut = layoutText(source.toStdU16String(), settings, grid, host, writer.blockWriter());
  // Also after a failed layout: the files already begun are completed.
  const bool finished = writer.finishRun(laidOut);
  return laidOut && finished;
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

ConversionCheck checkConversionSettings(const ui::frmMain& window) {
  ConversionCheck check;
  for (int i = 0; i < 6; ++i) {
    if (isEmpty(window.txtAppearance(i))) return check;
  }
  const bool singleFile = window.optOutput(1)->isChecked();
  const bool pageFiles = window.optOutput(2)->isChecked();
  const bool showOnly = window.optOutput(0)->isChecked();
  if (singleFile && isEmpty(window.txtOutput(0))) {
    check.warning = texts::noOutputFileName;
  } else if (pageFiles && isEmpty(window.txtOutput(1))) {
    check.warning = texts::noOutputFolder;
  } else if (pageFiles && isEmpty(window.txtOutput(2))) {
    check.warning = texts::noOutputFileName;
  } else if (!showOnly && isEmpty(window.txtOutput(3))) {
    check.warning = texts::noHtmlTitle;
  } else if (!showOnly && isEmpty(window.txtOutput(4))) {
    check.warning = texts::noBodyTag;
  }
  if (!check.warning.isEmpty()) return check;
  if (window.txtMain()->sourceLength() == 0) return check;
  // Compared before rounding: 2.9 is too few, 3.4 runs with 3.
  if (textToNumber(window.txtAppearance(0)->text().toStdU16String()) < 3 ||
      textToNumber(window.txtAppearance(2)->text().toStdU16String()) < 3) {
    return check;
  }
  check.proceed = true;
  return check;
}

void runConversion(ui::frmMain& window) {
  ConversionContext& context = contextOf(window);
  if (context.running) return;

  std::unique_ptr<ColumnGrid> grid;
  QString previewPath;
  try {
    const ConversionCheck check = checkConversionSettings(window);
    if (!check.warning.isEmpty()) ui::showMessage(&window, check.warning, ui::MessageIcon::warning);
    if (!check.proceed) return;
    grid = std::make_unique<ColumnGrid>(gridSide(window.txtAppearance(0)), gridSide(window.txtAppearance(2)));
    previewPath = previewFilePath();
  } catch (...) {
    attempt([&] { ui::showMessage(&window, texts::unexpectedError, ui::MessageIcon::stop); });
    return;
  }

  context.running = true;
  try {
    context.host->reset();
    lockWindow(window);
  } catch (...) {
    // Nothing has been written yet: the window is released as it was.
    attempt([&] { ui::showMessage(&window, texts::unexpectedError, ui::MessageIcon::stop); });
    releaseWindow(window, window.SSTabMain()->currentIndex(), window.statusText());
    context.running = false;
    return;
  }

  const std::string enginePreviewPath = enginePath(previewPath);
  bool converted = false;
  try {
    // The source as it is at the lock; the pane cannot change until the release.
    converted = convert(window, *context.host, *grid, window.sourceText(), enginePreviewPath);
  } catch (...) {
    converted = false;
  }
  attempt([&] { context.host->showPending(); });
  if (converted) {
    endOnSuccess(window, previewPath);
  } else {
    endOnFailure(window, enginePreviewPath);
  }
  context.running = false;
}

}  // namespace zelvato

#include "conversion_run.moc"
