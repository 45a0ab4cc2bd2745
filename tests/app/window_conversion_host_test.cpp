#include "window_conversion_host.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTextDocument>
#include <QTimer>
#include <QtTest>

#include "pane_text.h"

using namespace zelvato;

namespace {

// Counts the passes of the event loop: its event is delivered once per pass
// and posts itself again for the next one.
class PassCounter : public QObject {
 public:
  PassCounter() { post(); }
  int passes = 0;

 protected:
  void customEvent(QEvent* event) override {
    if (event->type() != eventType) return;
    ++passes;
    post();
  }

 private:
  static constexpr QEvent::Type eventType = static_cast<QEvent::Type>(QEvent::User + 7);
  void post() { QCoreApplication::postEvent(this, new QEvent(eventType)); }
};

}  // namespace

class WindowConversionHostTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void eventsAreHandledOncePerInterval_data();
  void eventsAreHandledOncePerInterval();
  void stopIsSeenAtTheFirstPassAfterIt();
  void longConversionPassesTheEventLoopRarely();
  void stopFromTheEventLoopEndsABusyRun();
  void resetForgetsAnEarlierStop();
  void statusTextAndBlockMarkupReachTheWindow_data();
  void statusTextAndBlockMarkupReachTheWindow();
  void windowSeesTheRunAtMostEveryIntervalAndAtTheEnd();
  void blocksAreAppendedToTheHtmlPaneNeverReplacingIt_data();
  void blocksAreAppendedToTheHtmlPaneNeverReplacingIt();
};

void WindowConversionHostTest::eventsAreHandledOncePerInterval_data() {
  QTest::addColumn<int>("stepMs");
  QTest::addColumn<int>("yields");
  QTest::addColumn<int>("expectedPasses");
  // One pass at time 0, then one whenever 15 ms have gone by since the last.
  QTest::newRow("a yield every millisecond for 150 ms") << 1 << 151 << 11;
  QTest::newRow("a yield every 5 ms for 150 ms") << 5 << 31 << 11;
  QTest::newRow("a yield every 7 ms: passes at 0, 21, 42, ...") << 7 << 22 << 8;
  QTest::newRow("slow yields every 20 ms each pass") << 20 << 8 << 8;
  QTest::newRow("65,535 yields within one instant") << 0 << 65535 << 1;
}

void WindowConversionHostTest::eventsAreHandledOncePerInterval() {
  QFETCH(int, stepMs);
  QFETCH(int, yields);
  QFETCH(int, expectedPasses);
  qint64 fakeNow = 0;
  WindowConversionHost host;
  host.setClock([&fakeNow] { return fakeNow; });
  PassCounter counter;
  for (int i = 0; i < yields; ++i) {
    host.yieldToEvents();
    fakeNow += stepMs;
  }
  QCOMPARE(counter.passes, expectedPasses);
}

void WindowConversionHostTest::stopIsSeenAtTheFirstPassAfterIt() {
  qint64 fakeNow = 1000;
  WindowConversionHost host;
  host.setClock([&fakeNow] { return fakeNow; });
  host.yieldToEvents();
  // The user presses Stop; its event waits in the queue.
  QMetaObject::invokeMethod(&host, &WindowConversionHost::requestStop, Qt::QueuedConnection);
  qint64 seenAfter = -1;
  for (int ms = 1; ms <= 100 && seenAfter < 0; ++ms) {
    fakeNow = 1000 + ms;
    host.yieldToEvents();
    if (host.stopRequested()) seenAfter = ms;
  }
  QCOMPARE(seenAfter, WindowConversionHost::yieldInterval);
}

void WindowConversionHostTest::longConversionPassesTheEventLoopRarely() {
  WindowConversionHost host;
  PassCounter counter;
  QElapsedTimer elapsed;
  elapsed.start();
  volatile quint64 work = 0;
  for (int i = 0; i < 65535; ++i) {
    for (int j = 0; j < 5000; ++j) work = work + static_cast<quint64>(j);
    host.yieldToEvents();
  }
  const qint64 ms = elapsed.elapsed();
  qInfo("65,535 yields: %d event-loop passes in %lld ms", counter.passes, static_cast<long long>(ms));
  // At most one pass per interval of the run, plus the first.
  // And the window is not left waiting: at least a quarter of the intervals
  // that passed brought a pass.
  QVERIFY2(counter.passes >= 1 + ms / (4 * WindowConversionHost::yieldInterval),
           qPrintable(QStringLiteral("%1 passes in %2 ms").arg(counter.passes).arg(ms)));
  QVERIFY2(counter.passes <= ms / WindowConversionHost::yieldInterval + 2,
           qPrintable(QStringLiteral("%1 passes in %2 ms").arg(counter.passes).arg(ms)));
}

void WindowConversionHostTest::stopFromTheEventLoopEndsABusyRun() {
  WindowConversionHost host;
  QTimer::singleShot(0, &host, &WindowConversionHost::requestStop);
  QElapsedTimer elapsed;
  elapsed.start();
  while (!host.stopRequested() && elapsed.elapsed() < 10000) host.yieldToEvents();
  QVERIFY(host.stopRequested());
}

void WindowConversionHostTest::resetForgetsAnEarlierStop() {
  WindowConversionHost host;
  QVERIFY(!host.stopRequested());
  host.requestStop();
  QVERIFY(host.stopRequested());
  host.reset();
  QVERIFY(!host.stopRequested());
}

void WindowConversionHostTest::statusTextAndBlockMarkupReachTheWindow_data() {
  QTest::addColumn<QString>("text");
  QTest::newRow("status text") << QStringLiteral("縦書き変換中... 03 ｺﾗﾑ処理済...");
  QTest::newRow("block with line ends and a character beyond the basic plane")
      << QStringLiteral("<PRE>\r\n𠮷　┐\r\n</PRE>\r\n");
  QTest::newRow("empty text") << QString();
}

void WindowConversionHostTest::statusTextAndBlockMarkupReachTheWindow() {
  QFETCH(QString, text);
  const std::u16string units(reinterpret_cast<const char16_t*>(text.utf16()),
                             static_cast<std::size_t>(text.size()));
  WindowConversionHost host;
  // Without a window attached nothing happens and nothing fails.
  host.setStatusText(units);
  host.blockMarkupFinished(units);

  host.reset();

  QStringList status;
  QStringList blocks;
  QStringList lastBlocks;
  host.onStatusText = [&status](const QString& t) { status << t; };
  host.onBlockMarkup = [&](const QString& b, const QString& last) {
    blocks << b;
    lastBlocks << last;
  };
  host.setStatusText(units);
  host.blockMarkupFinished(units);
  host.blockMarkupFinished(units);
  host.showPending();
  QCOMPARE(status, QStringList{text});
  QCOMPARE(blocks, QStringList{text + text});
  QCOMPARE(lastBlocks, QStringList{text});
}

void WindowConversionHostTest::windowSeesTheRunAtMostEveryIntervalAndAtTheEnd() {
  qint64 fakeNow = 0;
  WindowConversionHost host;
  host.setClock([&fakeNow] { return fakeNow; });
  QStringList status, blocks, lastBlocks;
  host.onStatusText = [&status](const QString& t) { status << t; };
  host.onBlockMarkup = [&](const QString& b, const QString& last) {
    blocks << b;
    lastBlocks << last;
  };
  // Blocks 1 to 5 finish 30 ms apart, each followed by its status text.
  for (int i = 1; i <= 5; ++i) {
    fakeNow = (i - 1) * 30;
    host.blockMarkupFinished(QStringLiteral("b%1").arg(i).toStdU16String());
    host.setStatusText(QStringLiteral("s%1").arg(i).toStdU16String());
  }
  host.showPending();
  // The first block at once, blocks 2 to 5 together 100 ms later, the last
  // status text at the end; no block is lost and none comes twice.
  QCOMPARE(blocks, (QStringList{QStringLiteral("b1"), QStringLiteral("b2b3b4b5")}));
  QCOMPARE(lastBlocks, (QStringList{QStringLiteral("b1"), QStringLiteral("b5")}));
  QCOMPARE(status, (QStringList{QStringLiteral("s4"), QStringLiteral("s5")}));
  host.showPending();
  QCOMPARE(blocks.size(), 2);
  QCOMPARE(status.size(), 2);
}

void WindowConversionHostTest::blocksAreAppendedToTheHtmlPaneNeverReplacingIt_data() {
  QTest::addColumn<QString>("before");
  QTest::addColumn<QStringList>("blocks");
  QTest::addColumn<QString>("after");
  QTest::newRow("two blocks into an empty pane")
      << QString()
      << QStringList{QStringLiteral("<PRE>\r\n┐縦\r\n</PRE>\r\n"),
                     QStringLiteral("<PRE>\r\n書└\r\n</PRE>\r\n")}
      << QStringLiteral("<PRE>\n┐縦\n</PRE>\n<PRE>\n書└\n</PRE>\n");
  QTest::newRow("a block after text already there")
      << QStringLiteral("<!-- earlier -->\n") << QStringList{QStringLiteral("<PRE>\r\n</PRE>\r\n")}
      << QStringLiteral("<!-- earlier -->\n<PRE>\n</PRE>\n");
  QTest::newRow("a lone carriage return is a line break too")
      << QString() << QStringList{QStringLiteral("a\rb\r\n")} << QStringLiteral("a\nb\n");
}

void WindowConversionHostTest::blocksAreAppendedToTheHtmlPaneNeverReplacingIt() {
  QFETCH(QString, before);
  QFETCH(QStringList, blocks);
  QFETCH(QString, after);
  QPlainTextEdit pane;
  pane.setPlainText(before);
  QSignalSpy changes(pane.document(), &QTextDocument::contentsChange);
  for (const QString& block : blocks) ui::appendMarkupToPane(pane, block);
  QCOMPARE(pane.toPlainText(), after);
  // Every change only added text at the end; nothing was taken away.
  QCOMPARE(changes.size(), blocks.size());
  for (const QList<QVariant>& change : changes) QCOMPARE(change.at(1).toInt(), 0);
}

QTEST_MAIN(WindowConversionHostTest)
#include "window_conversion_host_test.moc"
