// The progress window: its bar hosted from the control library by ProgID and
// restored from the window's stored design, showProgress / hideProgress, and
// the timer that copies progressCount into the bar.
#include "frm_progress.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "control_dispatch.h"
#include "control_host.h"
#include "run/conversion.h"

using namespace zelvato;

class FrmProgressTest : public QObject {
  Q_OBJECT

  QTemporaryDir registryDir_;

  static QVariant bar(qint32 memberId) {
    frmProgress* window = loadedProgressWindow();
    if (!window || !window->progressBar()) return {};
    return hosting::dispatchGet(window->progressBar(), memberId).value;
  }

 private Q_SLOTS:
  // The test program does not live beside the library, so the library is
  // registered in a registry of the test's own.
  void initTestCase() {
    qputenv("ZELVATO_CONTROL_REGISTRY", registryDir_.filePath(QStringLiteral("controls.ini")).toLocal8Bit());
    QCOMPARE(hosting::registerControlLibrary(QStringLiteral(ZORBAR32_PATH)), hosting::S_OK);
  }

  void cleanup() { hideProgress(); }

  void theBarIsRestoredFromTheStoredDesign() {
    frmProgress* window = loadProgressWindow();
    QVERIFY(window->progressBar());
    QVERIFY2(window->designRead().ok, qPrintable(window->designRead().message));
    QCOMPARE(window->progressBarWidget()->objectName(), QStringLiteral("ProgressBar"));
    QCOMPARE(bar(0x68030005).toUInt(), 0x800000u);  // BarColor
    QCOMPARE(bar(0x68030004).toUInt(), 0xFFFFFFu);  // BackColor
    QCOMPARE(bar(0x68030006).toInt(), 100);         // Max
    QCOMPARE(bar(0x68030003).toString(), QStringLiteral("%"));
    QCOMPARE(bar(0x68030002).toBool(), true);  // ValueShow
    QCOMPARE(bar(0x68030000).toInt(), 0);      // Style
    const QFont font = bar(0x68030007).value<QFont>();
    QCOMPARE(font.family(), QStringLiteral("ＭＳ Ｐゴシック"));
    QCOMPARE(font.pointSizeF(), 9.0);
    QCOMPARE(window->size(), QSize(330, 76));
    QCOMPARE(window->windowTitle(), QStringLiteral("Zelvato"));
    QVERIFY(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!window->isVisible());
    QVERIFY(!window->timerProgress()->isActive());
  }

  void showProgress_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<bool>("showBar");
    QTest::addColumn<QString>("barUnit");
    QTest::newRow("conversion") << QStringLiteral("縦書きに変換しています．しばらくお待ち下さい...") << 1000
                                << QStringLiteral("字") << true << QStringLiteral("字 ");
    QTest::newRow("preview") << QStringLiteral("ﾌﾟﾚﾋﾞｭｰを表示しています...") << 0 << QString() << true
                             << QStringLiteral(" ");
    QTest::newRow("loading") << QStringLiteral("ﾌｧｲﾙを読み込み中です...") << 0 << QString() << false
                             << QStringLiteral(" ");
  }

  void showProgress() {
    QFETCH(QString, message);
    QFETCH(int, maximum);
    QFETCH(QString, unit);
    QFETCH(bool, showBar);
    QFETCH(QString, barUnit);
    progressCount = 77;
    zelvato::showProgress(message, maximum, unit, showBar);
    frmProgress* window = loadedProgressWindow();
    QVERIFY(window && window->isVisible());
    QCOMPARE(progressCount.load(), 0);
    QCOMPARE(window->lblMessage()->text(), message);
    QCOMPARE(bar(barUnitId).toString(), barUnit);
    QCOMPARE(bar(barMaxId).toInt(), maximum);
    QCOMPARE(bar(barValueId).toInt(), 0);
    QCOMPARE(window->progressBarWidget()->isVisible(), showBar);
    // The message stands above the bar, both inside the window; alone, it stands in the middle.
    const QRect label = window->lblMessage()->geometry();
    const QRect bar = window->progressBarWidget()->geometry();
    QVERIFY(window->rect().contains(label));
    if (showBar) {
      QVERIFY(window->rect().contains(bar) && bar.top() > label.bottom());
    } else {
      QVERIFY(qAbs(label.center().y() - window->rect().center().y()) <= 2);
    }
    QVERIFY(window->timerProgress()->isActive());
    QCOMPARE(window->timerProgress()->interval(), 250);
  }

  void twoCallsInARowLeaveOneWindowWithTheSecondMessage() {
    zelvato::showProgress(QStringLiteral("一"), 10, QStringLiteral("字"), true);
    frmProgress* first = loadedProgressWindow();
    zelvato::showProgress(QStringLiteral("二"), 20, QString(), false);
    QCOMPARE(loadedProgressWindow(), first);
    QCOMPARE(first->lblMessage()->text(), QStringLiteral("二"));
    QCOMPARE(bar(barMaxId).toInt(), 20);
  }

  void theTimerCopiesTheCountIntoTheBar() {
    zelvato::showProgress(QStringLiteral("変換"), 1000, QStringLiteral("字"), true);
    progressCount = 400;
    QTRY_COMPARE_WITH_TIMEOUT(bar(barValueId).toInt(), 400, 2000);
    progressCount = 5000;  // the bar clamps what lies beyond its maximum
    QTRY_COMPARE_WITH_TIMEOUT(bar(barValueId).toInt(), 1000, 2000);
  }

  void hideProgressUnloadsTheWindowAndResetsTheCount() {
    zelvato::showProgress(QStringLiteral("変換"), 100, QStringLiteral("字"), true);
    QPointer<frmProgress> window = loadedProgressWindow();
    progressCount = 42;
    hideProgress();
    QCOMPARE(progressCount.load(), 0);
    QVERIFY(window.isNull());
    QVERIFY(!loadedProgressWindow());
    // Without a loaded window it loads and unloads one, never showing it.
    hideProgress();
    QVERIFY(!loadedProgressWindow());
  }

  void theUserCannotCloseTheWindow() {
    zelvato::showProgress(QStringLiteral("変換"), 100, QStringLiteral("字"), true);
    frmProgress* window = loadedProgressWindow();
    QVERIFY(!window->close());
    QTest::keyClick(window, Qt::Key_Escape);
    QVERIFY(window->isVisible());
  }
};

QTEST_MAIN(FrmProgressTest)
#include "frm_progress_test.moc"
