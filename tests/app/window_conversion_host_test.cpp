#include "window_conversion_host.h"

#include <QCoreApplication>
#include <QEvent>
#include <QSignalSpy>
#include <QThread>
#include <QTimer>
#include <QtTest>
#include <atomic>

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
  void yieldsNeverRunTheEventLoop();
  void stopFromTheWindowsThreadReachesTheWorker();
  void resetForgetsAnEarlierStop();
  void statusTextAndBlockMarkupReachTheWindow_data();
  void statusTextAndBlockMarkupReachTheWindow();
  void windowSeesTheRunAtMostEveryIntervalAndAtTheEnd();
  void signalsFromTheWorkerArriveQueuedInOrder();
};

void WindowConversionHostTest::yieldsNeverRunTheEventLoop() {
  // The engine's yields run on the worker: none of them may handle the window's events.
  WindowConversionHost host;
  PassCounter counter;
  for (int i = 0; i < 100000; ++i) host.yieldToEvents();
  QCOMPARE(counter.passes, 0);
  QCoreApplication::processEvents();
  QCOMPARE(counter.passes, 1);
}

void WindowConversionHostTest::stopFromTheWindowsThreadReachesTheWorker() {
  WindowConversionHost host;
  std::atomic<int> yields{0};
  QThread* worker = QThread::create([&] {
    while (!host.stopRequested()) {
      host.yieldToEvents();
      ++yields;
    }
  });
  worker->start();
  QTRY_VERIFY(yields.load() > 0);
  host.requestStop();
  QVERIFY(worker->wait(10000));
  delete worker;
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
  QSignalSpy status(&host, &WindowConversionHost::statusTextChanged);
  QSignalSpy blocks(&host, &WindowConversionHost::blocksFinished);
  host.setStatusText(units);
  host.blockMarkupFinished(units);
  host.blockMarkupFinished(units);
  host.showPending();
  // The first of each at once, the rest at the end, in order and whole.
  QStringList statusSeen, blocksSeen;
  for (const auto& args : status) statusSeen << args.at(0).toString();
  for (const auto& args : blocks) blocksSeen << args.at(0).toString();
  QCOMPARE(statusSeen, QStringList{text});
  QCOMPARE(blocksSeen.join(QString()), text + text);
}

void WindowConversionHostTest::windowSeesTheRunAtMostEveryIntervalAndAtTheEnd() {
  qint64 fakeNow = 0;
  WindowConversionHost host;
  host.setClock([&fakeNow] { return fakeNow; });
  QSignalSpy status(&host, &WindowConversionHost::statusTextChanged);
  QSignalSpy blocks(&host, &WindowConversionHost::blocksFinished);
  // Blocks 1 to 5 finish 30 ms apart, each followed by its status text.
  for (int i = 1; i <= 5; ++i) {
    fakeNow = (i - 1) * 30;
    host.blockMarkupFinished(QStringLiteral("b%1").arg(i).toStdU16String());
    host.setStatusText(QStringLiteral("s%1").arg(i).toStdU16String());
    // No block reaches the window's thread while the run goes on.
    QCOMPARE(blocks.size(), 0);
  }
  host.showPending();
  // The first status text at once, the fifth 100 ms later; the blocks all
  // together at the end, none lost and none twice.
  QCOMPARE(status.size(), 2);
  QCOMPARE(status[0].at(0).toString(), QStringLiteral("s1"));
  QCOMPARE(status[1].at(0).toString(), QStringLiteral("s5"));
  QCOMPARE(blocks.size(), 1);
  QCOMPARE(blocks[0].at(0).toString(), QStringLiteral("b1b2b3b4b5"));
  host.showPending();
  QCOMPARE(blocks.size(), 1);
  QCOMPARE(status.size(), 2);
  // The next run starts empty.
  host.reset();
  host.blockMarkupFinished(u"c1");
  host.showPending();
  QCOMPARE(blocks.size(), 2);
  QCOMPARE(blocks[1].at(0).toString(), QStringLiteral("c1"));
}

void WindowConversionHostTest::signalsFromTheWorkerArriveQueuedInOrder() {
  WindowConversionHost host;
  QStringList received;
  QThread* receiverThread = QThread::currentThread();
  bool onWindowThread = true;
  QObject window;
  connect(&host, &WindowConversionHost::blocksFinished, &window, [&](const QString& b) {
    onWindowThread = onWindowThread && QThread::currentThread() == receiverThread;
    received << b;
  });
  QThread* worker = QThread::create([&host] {
    for (int i = 0; i < 1000; ++i) host.blockMarkupFinished(QStringLiteral("<%1>").arg(i).toStdU16String());
    host.showPending();
  });
  worker->start();
  QVERIFY(worker->wait(10000));
  delete worker;
  QTRY_VERIFY(!received.isEmpty() && received.join(QString()).endsWith(QStringLiteral("<999>")));
  QString expected;
  for (int i = 0; i < 1000; ++i) expected += QStringLiteral("<%1>").arg(i);
  QCOMPARE(received.join(QString()), expected);
  QVERIFY(onWindowThread);
}

QTEST_MAIN(WindowConversionHostTest)
#include "window_conversion_host_test.moc"
