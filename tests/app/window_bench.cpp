// Converts the longest text the source pane holds (65,535 code units of
// Japanese) through the real main window in page-file mode, one block per page,
// and prints the window's time beside the engine's time for the same text and
// settings. The window may take at most twice the engine's time plus 300 ms.
//
//   window_bench [--runs N] [--screenshots FOLDER]
//
// With --screenshots, the screen during the first run (main window with the
// progress window on top), the progress window alone, and the preview page
// after the run are saved as PNG files in FOLDER.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineView>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "../support/window_controls.h"
#include "column_layout.h"
#include "commands.h"
#include "control_dispatch.h"
#include "control_host.h"
#include "conversion_run.h"
#include "frm_main.h"
#include "frm_progress.h"
#include "message_box.h"
#include "page_writer.h"
#include "program_identity.h"
#include "source_text_edit.h"

namespace {

QString benchText() {
  const QString sentence = QStringLiteral(
      "吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。何でも薄暗いじめじめした所で"
      "ニャーニャー泣いていた事だけは記憶している。吾輩はここで始めて人間というものを見た。\n");
  QString text;
  while (text.size() < zelvato::ui::SourceTextEdit::maximumLength) text += sentence;
  return text;
}

class QuietHost : public zelvato::ConversionHost {
 public:
  void yieldToEvents() override {}
  bool stopRequested() override { return false; }
  void setStatusText(std::u16string_view) override {}
  void blockMarkupFinished(std::u16string_view) override {}
};

qint64 median(std::vector<qint64> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void waitFor(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

}  // namespace

int main(int argc, char** argv) {
  QTemporaryDir work;
  qputenv("ZELVATO_CONTROL_REGISTRY", work.filePath(QStringLiteral("controls.ini")).toLocal8Bit());
  zelvato::ui::prepareApplication();
  QApplication app(argc, argv);

  int runs = 3;
  QString shots;
  const QStringList args = QApplication::arguments();
  for (int i = 1; i + 1 < args.size(); ++i) {
    if (args[i] == QLatin1String("--runs")) runs = std::max(1, args[i + 1].toInt());
    if (args[i] == QLatin1String("--screenshots")) shots = args[i + 1];
  }
  if (zelvato::hosting::registerControlLibrary(QStringLiteral(ZORBAR32_PATH)) != zelvato::hosting::S_OK) {
    std::fprintf(stderr, "the progress bar control could not be registered\n");
  }
  // Every message would stop the measurement; it is printed instead.
  zelvato::ui::setMessageBoxHandler(
      [](QWidget*, const QString& text, zelvato::ui::MessageIcon, zelvato::ui::MessageButtons) {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return zelvato::ui::MessageAnswer::ok;
      });

  zelvato::ui::frmMain window;
  zelvato::connectCommands(window);
  window.show();
  waitFor(500);

  const QString text = benchText();
  window.txtMain()->setPlainText(text);
  const QString source = window.sourceText();
  QTemporaryDir windowOut, engineOut;
  optOutput(window, 2)->setChecked(true);
  txtOutput(window, 1)->setText(windowOut.path() + QLatin1Char('/'));
  txtOutput(window, 2)->setText(QStringLiteral("p"));
  window.txtPageColum()->setText(QStringLiteral("1"));

  // The longest wait of the event loop during the window's runs: how late a
  // repaint or Stop can be.
  qint64 longestGap = 0;
  QElapsedTimer sincePass;
  bool shotTaken = false;
  QTimer passes;
  passes.setInterval(0);
  QObject::connect(&passes, &QTimer::timeout, &window, [&] {
    if (!zelvato::conversionRunning(window)) {
      sincePass.invalidate();
      return;
    }
    if (sincePass.isValid()) longestGap = std::max(longestGap, sincePass.elapsed());
    sincePass.start();
    zelvato::frmProgress* progress = zelvato::loadedProgressWindow();
    if (!shots.isEmpty() && !shotTaken && progress && zelvato::progressCount > source.size() / 3) {
      shotTaken = true;
      // The bar's value is copied from the count four times a second; for the
      // picture it is copied now.
      progress->setBarProperty(zelvato::barValueId, zelvato::progressCount);
      QApplication::processEvents();
      progress->grab().save(QDir(shots).filePath(QStringLiteral("progress_window.png")));
      if (QScreen* screen = QGuiApplication::primaryScreen())
        screen->grabWindow(0).save(QDir(shots).filePath(QStringLiteral("screen_during_run.png")));
    }
  });
  passes.start();

  std::vector<qint64> windowTimes;
  for (int i = 0; i < runs; ++i) {
    QElapsedTimer t;
    t.start();
    zelvato::Toolbar1_ButtonClick(window, zelvato::ui::Command::convert);
    windowTimes.push_back(t.elapsed());
    if (window.statusText() != QStringLiteral("変換完了しました.")) {
      std::fprintf(stderr, "the window's run failed: %s\n", qPrintable(window.statusText()));
      return 1;
    }
    waitFor(200);
  }
  passes.stop();
  const int pages = static_cast<int>(QDir(windowOut.path()).entryList(QDir::Files).size());

  std::vector<qint64> engineTimes;
  for (int i = 0; i < runs; ++i) {
    zelvato::ConversionSettings settings = window.readSettings();
    settings.outputFolder = (engineOut.path() + QLatin1Char('/')).toStdU16String();
    const std::string preview = engineOut.filePath(QStringLiteral("preview.html")).toStdString();
    QuietHost host;
    QElapsedTimer t;
    t.start();
    const bool ok = zelvato::beginPreviewFile(preview) &&
                    zelvato::convertText(source.toStdU16String(), settings, preview, host);
    engineTimes.push_back(t.elapsed());
    if (!ok) {
      std::fprintf(stderr, "the engine's run failed\n");
      return 1;
    }
  }

  const qint64 windowMs = median(windowTimes);
  const qint64 engineMs = median(engineTimes);
  const qint64 limit = 2 * engineMs + 300;
  std::printf("text: %lld code units, %d page files of one block\n", static_cast<long long>(source.size()),
              pages);
  std::printf("window (runConversion, median of %d): %lld ms\n", runs, static_cast<long long>(windowMs));
  std::printf("engine (convertText, median of %d):   %lld ms\n", runs, static_cast<long long>(engineMs));
  std::printf("limit 2 x engine + 300 ms:            %lld ms  -> %s\n", static_cast<long long>(limit),
              windowMs <= limit ? "within" : "OVER");
  std::printf("longest wait of the event loop during the window's runs: %lld ms\n",
              static_cast<long long>(longestGap));

  if (!shots.isEmpty()) {
    // The preview page as the user sees it after the run.
    window.showTab(zelvato::ui::Tab::preview);
    waitFor(2500);
    window.grab().save(QDir(shots).filePath(QStringLiteral("preview_tab.png")));
    std::printf("screenshots in %s\n", qPrintable(shots));
  }
  window.setCloseAllowed(true);
  return windowMs <= limit ? 0 : 2;
}
