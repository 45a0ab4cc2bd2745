#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include "frm_splash.h"
#include "title_picture.h"

using namespace zelvato;

class SplashTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void loadShowsVersionOnTheTitlePicture();
  void loadSetsGeometryTimerAndTopMost();
  void fourthTickClosesTheSplashNotBefore_data();
  void fourthTickClosesTheSplashNotBefore();
  void runningTimerClosesTheSplashAfterFourTicks();
  void clickOnThePictureClosesAtOnce_data();
  void clickOnThePictureClosesAtOnce();
  void titlePictureKeepsTheVersionCornerPlain();
};

void SplashTest::loadShowsVersionOnTheTitlePicture() {
  frmSplash splash;
  QLabel* label = splash.lblVersion();
  QCOMPARE(label->text(), QStringLiteral("Version 1.2.0"));
  QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
  QCOMPARE(label->font().family(), QStringLiteral("Arial"));
  QCOMPARE(label->font().pointSizeF(), 8.25);
  QVERIFY(!label->autoFillBackground());
  // On the picture, on the plain corner the picture keeps for it.
  QCOMPARE(label->parentWidget(), splash.picLogo());
  QVERIFY(splash.picLogo()->contentsRect().contains(label->geometry()));
  QCOMPARE(label->geometry().translated(-splash.picLogo()->contentsRect().topLeft()),
           titlePictureVersionArea);
}

void SplashTest::loadSetsGeometryTimerAndTopMost() {
  frmSplash splash;
  // The whole picture shows inside the box's frame, and the window shows the picture.
  QCOMPARE(splash.picLogo()->contentsRect().size(), titlePictureSize);
  QVERIFY(splash.picLogo()->geometry().contains(QRect(QPoint(0, 0), splash.size())));
  QVERIFY(QRect(QPoint(0, 0), splash.size()).contains(splash.picLogo()->contentsRect()));
  QVERIFY(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
  QVERIFY(splash.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  QCOMPARE(splash.LoadingTimer()->interval(), 250);
  QVERIFY(!splash.LoadingTimer()->isActive());
  QCOMPARE(splash.tickCount(), 0);
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  QVERIFY(qAbs(splash.geometry().center().x() - screen.center().x()) <= 1);
  QVERIFY(qAbs(splash.geometry().center().y() - screen.center().y()) <= 1);
}

void SplashTest::fourthTickClosesTheSplashNotBefore_data() {
  QTest::addColumn<int>("ticks");
  QTest::addColumn<bool>("stillShown");
  QTest::newRow("first tick") << 1 << true;
  QTest::newRow("third tick") << 3 << true;
  QTest::newRow("fourth tick closes") << 4 << false;
}

void SplashTest::fourthTickClosesTheSplashNotBefore() {
  QFETCH(int, ticks);
  QFETCH(bool, stillShown);
  frmSplash splash;
  splash.show();
  splash.LoadingTimer()->start();
  for (int i = 0; i < ticks; ++i) splash.LoadingTimer_Timer();
  QCOMPARE(splash.tickCount(), ticks);
  QCOMPARE(splash.isVisible(), stillShown);
  QCOMPARE(splash.LoadingTimer()->isActive(), stillShown);
}

void SplashTest::runningTimerClosesTheSplashAfterFourTicks() {
  frmSplash splash;
  splash.show();
  QVERIFY(QTest::qWaitForWindowExposed(&splash));
  QTest::qWait(400);
  QVERIFY2(splash.isVisible(), "the timer runs only once start-up enables it");
  splash.LoadingTimer()->start();
  QTRY_VERIFY_WITH_TIMEOUT(!splash.isVisible(), 10000);
  QCOMPARE(splash.tickCount(), 4);
  QVERIFY(!splash.LoadingTimer()->isActive());
}

void SplashTest::clickOnThePictureClosesAtOnce_data() {
  QTest::addColumn<QPoint>("where");
  QTest::newRow("on the picture") << QPoint(60, 60);
  QTest::newRow("on the version label") << titlePictureVersionArea.center() + QPoint(2, 2);
}

void SplashTest::clickOnThePictureClosesAtOnce() {
  QFETCH(QPoint, where);
  frmSplash splash;
  splash.show();
  QVERIFY(QTest::qWaitForWindowExposed(&splash));
  splash.LoadingTimer()->start();
  QWidget* target = splash.picLogo()->childAt(where);
  QTest::mouseClick(target ? target : splash.picLogo(), Qt::LeftButton, {},
                    target ? target->mapFrom(splash.picLogo(), where) : where);
  QVERIFY(!splash.isVisible());
  QVERIFY(!splash.LoadingTimer()->isActive());
}

void SplashTest::titlePictureKeepsTheVersionCornerPlain() {
  const QImage picture = titlePicture().toImage();
  QCOMPARE(picture.size(), QSize(370, 205));
  // Plain paper behind the label: every pixel close to the paper colour, so
  // the version stays readable.
  int darkest = 255;
  for (int y = titlePictureVersionArea.top(); y <= titlePictureVersionArea.bottom(); ++y) {
    for (int x = titlePictureVersionArea.left(); x <= titlePictureVersionArea.right(); ++x) {
      darkest = qMin(darkest, qGray(picture.pixel(x, y)));
    }
  }
  QVERIFY2(darkest > 190, qPrintable(QString::number(darkest)));
  // Elsewhere the picture has ink on it.
  int inkPixels = 0;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) inkPixels += qGray(picture.pixel(x, y)) < 80 ? 1 : 0;
  }
  QVERIFY(inkPixels > 1000);
  const QByteArray shots = qgetenv("ZELVATO_SCREENSHOT_DIR");
  if (!shots.isEmpty()) {
    frmSplash splash;
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    QVERIFY(splash.grab().save(QString::fromLocal8Bit(shots) + QStringLiteral("/splash.png")));
  }
}

QTEST_MAIN(SplashTest)
#include "splash_test.moc"
