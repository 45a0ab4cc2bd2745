// Types into the real main window's source pane holding one line of 1 million
// and of 10 million characters (no line break), as a loaded file puts it
// there, and prints the time of a keystroke: the key handled (with the
// window's own work on a change: the count) and the pane painted. Beside it,
// the same window with the line put in as one paragraph, as the pane held it
// before long lines were shown in pieces. A measurement, not a test.
//
//   long_line_bench [--keys N] [--lengths 1000000,10000000]
#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "commands.h"
#include "fake_dialogs.h"
#include "frm_main.h"
#include "program_identity.h"
#include "source_text_edit.h"

namespace {

QString oneLine(qsizetype length) {
  const QString sentence = QStringLiteral(
      "吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。何でも薄暗いじめじめした所で"
      "ニャーニャー泣いていた事だけは記憶している。");
  QString text;
  text.reserve(length + sentence.size());
  while (text.size() < length) text += sentence;
  text.truncate(length);
  return text;
}

// The median time of `keys` keystrokes in the middle of the text, each one
// handled and painted before the next.
double keystrokeMs(QPlainTextEdit& pane, int keys) {
  pane.setFocus();
  QTextCursor middle = pane.textCursor();
  middle.setPosition(pane.document()->characterCount() / 2);
  pane.setTextCursor(middle);
  pane.ensureCursorVisible();
  QApplication::processEvents();
  std::vector<double> times;
  for (int i = 0; i < keys; ++i) {
    QElapsedTimer timer;
    timer.start();
    QTest::keyClick(&pane, Qt::Key_A, Qt::NoModifier);
    pane.viewport()->repaint();
    QApplication::processEvents();
    times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  QTemporaryDir work;
  qputenv("XDG_CONFIG_HOME", work.filePath(QStringLiteral("config")).toLocal8Bit());
  zelvato::ui::prepareApplication();
  QApplication app(argc, argv);
  int keys = 5;
  std::vector<qsizetype> lengths{1000000, 10000000};
  const QStringList args = QApplication::arguments();
  for (int i = 1; i + 1 < args.size(); ++i) {
    if (args[i] == QLatin1String("--keys")) keys = std::max(1, args[i + 1].toInt());
    if (args[i] == QLatin1String("--lengths")) {
      lengths.clear();
      for (const QString& n : args[i + 1].split(u',')) lengths.push_back(n.toLongLong());
    }
  }
  zelvato::testing::FakeDialogs dialogs;
  zelvato::ui::frmMain window(&dialogs);
  zelvato::connectCommands(window);
  window.show();
  QTest::qWait(300);
  std::printf("%12s %14s %14s %16s %16s\n", "characters", "pieces load ms", "pieces key ms",
              "one para load ms", "one para key ms");
  for (const qsizetype length : lengths) {
    const QString text = oneLine(length);
    QElapsedTimer timer;
    timer.start();
    window.txtMain()->setPlainText(text);
    QApplication::processEvents();
    const double windowLoad = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    const double windowKey = keystrokeMs(*window.txtMain(), keys);
    window.txtMain()->setPlainText(QString());  // the pane forgets its pieces
    timer.restart();
    window.txtMain()->QPlainTextEdit::setPlainText(text);
    QApplication::processEvents();
    const double wholeLoad = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    const double wholeKey = keystrokeMs(*window.txtMain(), keys);
    std::printf("%12lld %14.1f %14.1f %16.1f %16.1f\n", static_cast<long long>(length), windowLoad, windowKey,
                wholeLoad, wholeKey);
    std::fflush(stdout);
    window.txtMain()->clear();
  }
  return 0;
}
