// Converts Japanese texts through the real main window in page-file mode, one
// block per page, and prints the window's time beside the command-line
// converter's (the program zelvato-convert, and the engine's convertText
// alone) for the same text and settings, measured in one run:
//   - a novel's length, 375,000 code units, at the start layout of 25 x 20;
//   - 59,985 characters without a line break at 3 x 3: 6,665 small pages.
// The window may take at most 1.3 times the converter's time. Also measured:
// loading the novel from a file into the window, the longest wait of the
// window's event loop while the worker converts, Stop to idle, typing into
// the novel, and a keystroke to its character on screen with the live
// preview and counts on.
//
//   window_bench [--runs N] [--screenshots FOLDER]
//
// With --screenshots, the screen during the first run (main window with the
// progress window on top), the progress window alone, the preview tab at once
// after the first run of the second text (blank until its preview has loaded,
// never the first text's) and once loaded, and the maximised window with the
// novel converted (source and preview) are saved as PNG files in FOLDER.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineView>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include "../support/window_controls.h"
#include "commands.h"
#include "control_dispatch.h"
#include "control_host.h"
#include "conversion_run.h"
#include "fake_dialogs.h"
#include "frm_main.h"
#include "frm_progress.h"
#include "program_identity.h"
#include "run/conversion.h"
#include "run/null_host.h"
#include "source_loading.h"
#include "source_text_edit.h"
#include "text/codepage.h"

namespace {

const QString sentence = QStringLiteral(
    "吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。何でも薄暗いじめじめした所で"
    "ニャーニャー泣いていた事だけは記憶している。吾輩はここで始めて人間というものを見た。");

// `length` code units of the sentence, with a line break after each one when `lineBreaks`.
QString benchText(int length, bool lineBreaks) {
  QString text;
  while (text.size() < length) text += lineBreaks ? sentence + u'\n' : sentence;
  text.truncate(length);
  return text;
}

struct Case {
  const char* name;
  QString text;
  const char* charsPerLine;
  const char* lines;
};

qint64 median(std::vector<qint64> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Runs the window's event loop until `done`, at most a minute. The loop
// sleeps between events, as the program's own does; a loop that returned
// at once would spin and take a core from the worker it measures. A timer
// wakes it every few milliseconds to look at `done`.
template <typename Done>
void runUntil(Done done, qint64 limit = 60000) {
  QElapsedTimer t;
  t.start();
  QTimer wake;
  wake.start(2);
  while (!done() && t.elapsed() < limit) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void waitFor(int ms) {
  runUntil([] { return false; }, ms);
}

// The CPU time the calling thread has used.
qint64 threadCpuMicroseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return qint64(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

// The time the calling thread has spent ready to run but waiting for a core
// (the scheduler's run delay); 0 where the system does not say.
qint64 threadQueuedMicroseconds() {
  QFile stats(QStringLiteral("/proc/thread-self/schedstat"));
  if (!stats.open(QIODevice::ReadOnly)) return 0;
  const QList<QByteArray> fields = stats.readAll().split(' ');
  return fields.size() > 1 ? fields[1].toLongLong() / 1000 : 0;
}

int fileCount(const QString& folder) {
  return static_cast<int>(QDir(folder).entryList(QDir::Files).size());
}

// The converter program on the same settings; -1 when it failed.
qint64 timeConverter(const zelvato::ConversionSettings& s, const QString& input, const QString& folder) {
  const auto text = [](const std::u16string& value) { return QString::fromStdU16String(value); };
  const auto number = [&](const zelvato::NumberField& value) { return text(value.typed()); };
  const QStringList arguments{QStringLiteral("--chars-per-line=") + number(s.charsPerLine),
                              QStringLiteral("--lines=") + number(s.linesPerColumn),
                              QStringLiteral("--char-spacing=") + number(s.charSpacingPt),
                              QStringLiteral("--line-spacing=") + number(s.lineSpacingPt),
                              QStringLiteral("--pages=") + folder,
                              QStringLiteral("--base-name=") + text(s.fileBaseName),
                              QStringLiteral("--columns-per-page=") + number(s.columnsPerPage),
                              QStringLiteral("--preview=") + folder + QStringLiteral("/preview.html"),
                              input};
  QProcess converter;
  converter.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  QElapsedTimer t;
  t.start();
  converter.start(QStringLiteral(ZELVATO_CONVERT_PATH), arguments);
  if (!converter.waitForFinished(120000) || converter.exitStatus() != QProcess::NormalExit ||
      converter.exitCode() != 0)
    return -1;
  return t.elapsed();
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
  if (!shots.isEmpty()) QDir().mkpath(shots);
  if (zelvato::hosting::registerControlLibrary(QStringLiteral(ZORBAR32_PATH)) != zelvato::hosting::S_OK) {
    std::fprintf(stderr, "the progress bar control could not be registered\n");
  }
  // Every question would stop the measurement; the messages are printed instead.
  zelvato::testing::FakeDialogs dialogs;
  dialogs.onAsked = [](const zelvato::testing::Asked& asked) {
    std::fprintf(stderr, "message: %s\n", qPrintable(asked.text));
  };

  zelvato::ui::frmMain window(&dialogs);
  zelvato::connectCommands(window);
  window.show();
  waitFor(500);

  // The longest wait of the event loop during the window's runs: how late a
  // repaint or Stop can be.
  qint64 longestGap = 0;
  // How much of the longest wait the window's thread spent working (its CPU
  // time): the rest it waited for a core the machine gave to others.
  qint64 longestGapWork = 0;
  qint64 longestGapQueued = 0;
  qint64 cpuAtPass = 0;
  qint64 queuedAtPass = 0;
  QElapsedTimer sincePass;
  bool shotTaken = false;
  qsizetype sourceSize = 0;
  // A timer of 1 ms rather than 0: a zero timer would keep the window's thread
  // busy and take a core from the worker it measures.
  QTimer passes;
  passes.setTimerType(Qt::PreciseTimer);
  passes.setInterval(1);
  QObject::connect(&passes, &QTimer::timeout, &window, [&] {
    if (!zelvato::conversionRunning(window)) {
      sincePass.invalidate();
      return;
    }
    const qint64 cpu = threadCpuMicroseconds();
    const qint64 queued = threadQueuedMicroseconds();
    if (sincePass.isValid() && sincePass.elapsed() > longestGap) {
      longestGap = sincePass.elapsed();
      longestGapWork = (cpu - cpuAtPass) / 1000;
      longestGapQueued = (queued - queuedAtPass) / 1000;
    }
    cpuAtPass = cpu;
    queuedAtPass = queued;
    sincePass.start();
    zelvato::frmProgress* progress = zelvato::loadedProgressWindow();
    if (!shots.isEmpty() && !shotTaken && progress && zelvato::progressCount > sourceSize / 3) {
      shotTaken = true;
      // The bar's value is copied from the count four times a second; for the
      // picture it is copied now.
      progress->setBarProperty(zelvato::barValueId, zelvato::progressCount.load());
      QApplication::processEvents();
      progress->grab().save(QDir(shots).filePath(QStringLiteral("progress_window.png")));
      if (QScreen* screen = QGuiApplication::primaryScreen())
        screen->grabWindow(0).save(QDir(shots).filePath(QStringLiteral("screen_during_run.png")));
    }
  });
  passes.start();

  const Case cases[] = {
      {"375,000 code units at 25 x 20", benchText(375000, true), "25", "20"},
      {"59,985 characters at 3 x 3", benchText(59985, false), "3", "3"},
  };
  // Every timed run writes into a new, empty folder, as a first conversion
  // does; the folders are removed only at the end, so no removal slows a run.
  QTemporaryDir out;
  int folders = 0;
  const auto newFolder = [&] {
    const QString folder = out.filePath(QString::number(++folders));
    QDir().mkpath(folder);
    return folder;
  };
  bool within = true;
  std::printf("%-30s %7s %12s %16s %12s %7s\n", "case (one block per page)", "pages", "window ms",
              "zelvato-convert", "convertText", "ratio");
  {
    // The novel from a file into the window, read on the worker and shown.
    const QString file = out.filePath(QStringLiteral("novel.txt"));
    QFile novel(file);
    const std::string bytes = zelvato::encodeCp932(cases[0].text.toStdU16String());
    if (!novel.open(QIODevice::WriteOnly) || novel.write(bytes.data(), qint64(bytes.size())) < 0) return 1;
    novel.close();
    QElapsedTimer t;
    t.start();
    zelvato::openNamedFile(window, file);
    runUntil([] { return !zelvato::sourceLoading(); });
    std::printf("load 375,000 code units (%lld bytes, Shift_JIS) into the window: %lld ms\n",
                static_cast<long long>(bytes.size()), static_cast<long long>(t.elapsed()));
  }
  {
    // Typing at the end of the novel, the counts above it live: from a
    // character committed to the pane having taken it and recounted.
    std::vector<qint64> keys;
    window.txtMain()->moveCursor(QTextCursor::End);
    QElapsedTimer t;
    for (int i = 0; i < 200; ++i) {
      t.start();
      QInputMethodEvent commit;
      commit.setCommitString(QStringLiteral("あ"));
      QApplication::sendEvent(window.txtMain(), &commit);
      QApplication::processEvents();
      keys.push_back(t.nsecsElapsed() / 1000);
    }
    std::sort(keys.begin(), keys.end());
    std::printf("typing into the novel, counts live: median %.1f ms, slowest %.1f ms a character\n",
                keys[keys.size() / 2] / 1000.0, keys.back() / 1000.0);
  }
  {
    // A keystroke to its character on screen, with 自動ﾌﾟﾚﾋﾞｭｰ and the counts
    // live: from the character committed to the source pane having painted
    // it. Keys come 150 ms apart with a pause after every eight, so the
    // preview of the novel runs on the worker while the next ones are typed.
    struct PaintSeen : QObject {
      bool painted = false;
      bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted = true;
        return false;
      }
    } seen;
    window.txtMain()->viewport()->installEventFilter(&seen);
    window.chkAutoPreview()->setChecked(true);
    QSignalSpy previews(window.brwIE(), &QWebEngineView::loadFinished);
    window.txtMain()->moveCursor(QTextCursor::End);
    std::vector<qint64> keys;
    QElapsedTimer t;
    for (int i = 0; i < 48; ++i) {
      waitFor(i % 8 == 0 && i > 0 ? 900 : 150);
      seen.painted = false;
      t.start();
      QInputMethodEvent commit;
      commit.setCommitString(QStringLiteral("い"));
      QApplication::sendEvent(window.txtMain(), &commit);
      runUntil([&] { return seen.painted; }, 2000);
      keys.push_back(t.nsecsElapsed() / 1000);
    }
    waitFor(1500);
    window.chkAutoPreview()->setChecked(false);
    window.txtMain()->viewport()->removeEventFilter(&seen);
    std::sort(keys.begin(), keys.end());
    std::printf(
        "keystroke to screen in the novel, live preview (%lld previews shown) and counts: median %.1f ms, "
        "slowest %.1f ms\n",
        static_cast<long long>(previews.size()), keys[keys.size() / 2] / 1000.0, keys.back() / 1000.0);
  }
  for (const Case& c : cases) {
    window.txtMain()->setPlainText(c.text);
    const QString source = window.sourceText();
    sourceSize = source.size();
    optOutput(window, 2)->setChecked(true);
    txtOutput(window, 2)->setText(QStringLiteral("p"));
    window.findChild<QLineEdit*>(QStringLiteral("txtPageColum"))->setText(QStringLiteral("1"));
    txtAppearance(window, 0)->setText(QString::fromLatin1(c.charsPerLine));
    txtAppearance(window, 2)->setText(QString::fromLatin1(c.lines));

    // The converter reads the source as the loader would give it back: one
    // line per line of the pane, in code page 932.
    const QString input = newFolder() + QStringLiteral("/source.txt");
    {
      QFile file(input);
      QString lines = source;
      if (!lines.isEmpty() && !lines.endsWith(QStringLiteral("\r\n"))) lines += QStringLiteral("\r\n");
      const std::string bytes = zelvato::encodeCp932(lines.toStdU16String());
      if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), qint64(bytes.size())) < 0) return 1;
    }

    // The three take turns, so a load on the machine falls on all of them alike.
    std::vector<qint64> windowTimes, converterTimes, engineTimes, paneTimes;
    int pages = 0;
    for (int i = 0; i < runs; ++i) {
      const QString windowFolder = newFolder();
      txtOutput(window, 1)->setText(windowFolder + QLatin1Char('/'));
      QElapsedTimer t;
      t.start();
      window.command("Toolbar1Button(5)")->trigger();
      runUntil([&] { return !zelvato::conversionRunning(window); });
      windowTimes.push_back(t.elapsed());
      if (window.statusText() != QStringLiteral("変換完了しました.")) {
        std::fprintf(stderr, "the window's run failed: %s\n", qPrintable(window.statusText()));
        return 1;
      }
      pages = fileCount(windowFolder);
      // The HTML pane takes the result beside the window's thread once the window is idle again;
      // the converter starts only when it has, so the two never share the machine.
      t.start();
      runUntil([&] { return !window.txtHTML()->document()->isEmpty(); });
      paneTimes.push_back(t.elapsed());
      if (!shots.isEmpty() && i == 0 && &c == &cases[1]) {
        // The preview tab as it shows at once after the run.
        QApplication::processEvents();
        window.grab().save(QDir(shots).filePath(QStringLiteral("preview_tab_at_once.png")));
      }
      waitFor(200);

      zelvato::ConversionSettings settings = window.readSettings();
      const qint64 ms = timeConverter(settings, input, newFolder());
      if (ms < 0) {
        std::fprintf(stderr, "zelvato-convert failed\n");
        return 1;
      }
      converterTimes.push_back(ms);

      const QString engineFolder = newFolder();
      settings.outputFolder = (engineFolder + QLatin1Char('/')).toStdU16String();
      const std::string preview = (engineFolder + QStringLiteral("/preview.html")).toStdString();
      zelvato::NullHost host;
      t.start();
      const bool ok = zelvato::convertText(source.toStdU16String(), settings, preview, host);
      engineTimes.push_back(t.elapsed());
      if (!ok) {
        std::fprintf(stderr, "the engine's run failed\n");
        return 1;
      }
    }

    const qint64 windowMs = median(windowTimes);
    const qint64 converterMs = median(converterTimes);
    const double ratio = converterMs > 0 ? double(windowMs) / double(converterMs) : 0;
    within = within && ratio <= 1.3;
    std::printf("%-30s %7d %12lld %16lld %12lld %6.2fx\n", c.name, pages, static_cast<long long>(windowMs),
                static_cast<long long>(converterMs), static_cast<long long>(median(engineTimes)), ratio);
    std::printf("%-30s the HTML pane filled %lld ms after the window was idle again\n", "",
                static_cast<long long>(median(paneTimes)));
  }
  passes.stop();
  std::printf("medians of %d runs; ratio = window / zelvato-convert, limit 1.3x -> %s\n", runs,
              within ? "within" : "OVER");
  std::printf(
      "longest wait of the event loop during the window's runs: %lld ms (%lld ms of it working, %lld ms "
      "ready but waiting for a core)\n",
      static_cast<long long>(longestGap), static_cast<long long>(longestGapWork),
      static_cast<long long>(longestGapQueued));

  {
    // Stop to idle: the novel at 3 x 3 is stopped a moment after it began.
    window.txtMain()->setPlainText(cases[0].text);
    txtAppearance(window, 0)->setText(QStringLiteral("3"));
    txtAppearance(window, 2)->setText(QStringLiteral("3"));
    txtOutput(window, 1)->setText(newFolder() + QLatin1Char('/'));
    window.command("Toolbar1Button(5)")->trigger();
    waitFor(300);
    QElapsedTimer t;
    t.start();
    window.command("Toolbar1Button(6)")->trigger();
    runUntil([&] { return !zelvato::conversionRunning(window); });
    std::printf("Stop to idle: %lld ms (%s)\n", static_cast<long long>(t.elapsed()),
                qPrintable(window.statusText()));
  }

  if (!shots.isEmpty()) {
    // The preview page as the user sees it after the run.
    window.showTab(zelvato::ui::Tab::preview);
    waitFor(2500);
    window.grab().save(QDir(shots).filePath(QStringLiteral("preview_tab.png")));
    // The maximised window with the novel converted at the start layout.
    window.showMaximized();
    waitFor(500);
    // Without a window manager nothing maximises: the window then takes the screen itself.
    if (QScreen* screen = window.screen(); screen && window.width() < screen->availableGeometry().width() / 2)
      window.setGeometry(screen->availableGeometry());
    waitFor(500);
    window.txtMain()->setPlainText(cases[0].text);
    txtAppearance(window, 0)->setText(QStringLiteral("25"));
    txtAppearance(window, 2)->setText(QStringLiteral("20"));
    optOutput(window, 0)->setChecked(true);
    QSignalSpy loaded(window.brwIE(), &QWebEngineView::loadFinished);
    window.command("Toolbar1Button(5)")->trigger();
    runUntil([&] { return !zelvato::conversionRunning(window); });
    runUntil([&] { return !loaded.isEmpty(); });
    waitFor(1000);
    window.grab().save(QDir(shots).filePath(QStringLiteral("maximised_preview.png")));
    window.showTab(zelvato::ui::Tab::source);
    waitFor(300);
    window.grab().save(QDir(shots).filePath(QStringLiteral("maximised_source.png")));
    std::printf("screenshots in %s\n", qPrintable(shots));
  }
  window.setCloseAllowed(true);
  return within ? 0 : 2;
}
