// Pixels of the bar as svProgressBar draws it: white base, the text in BarColor, then the
// bar and back boxes in NOT-XOR mode, which inverts the text under the bar.

#include <QApplication>
#include <QGridLayout>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

#include "hosted_bar.h"

namespace {

constexpr QRgb kBar = qRgb(0, 0, 128);  // OLE &H800000
constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kGreen = qRgb(0, 255, 0);  // OLE &H00FF00

// NOT (pen XOR pixel) on the 24-bit colour.
QRgb notXor(QRgb pen, QRgb pixel) {
  return (~(pen ^ pixel) & 0xFFFFFF) | 0xFF000000;
}

// Bounding box of the pixels different from what lies outside the text in each half.
QRect textBox(const QImage& image, QRgb left, QRgb right, int middle) {
  QRect box;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QRgb expected = x < middle ? left : right;
      if ((image.pixel(x, y) | 0xFF000000) != expected) box |= QRect(x, y, 1, 1);
    }
  return box;
}

// Every pixel of the area is one of the allowed colours; returns how many are `main`.
bool onlyColours(const QImage& image, const QRect& area, QList<QRgb> allowed, QRgb main, int* mainCount) {
  *mainCount = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) {
      const QRgb pixel = image.pixel(x, y) | 0xFF000000;
      if (!allowed.contains(pixel)) {
        qWarning("pixel (%d, %d) is %08x", x, y, pixel);
        return false;
      }
      if (pixel == main) ++*mainCount;
    }
  return true;
}

}  // namespace

class BarRenderingTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir registryDir_;
  TestSite site_;

  // The progress window's bar: 4455 x 375 twips.
  HostedBar windowBar() {
    HostedBar bar = createBar(site_);
    bar.widget->resize(297, 25);
    bar.widget->show();
    if (!QTest::qWaitForWindowExposed(bar.widget.get())) qFatal("bar not shown");
    return bar;
  }

 private Q_SLOTS:
  void initTestCase() {
    qputenv("ZELVATO_CONTROL_REGISTRY", registryDir_.filePath("controls.ini").toLocal8Bit());
  }

  void horizontalHalfBarInvertsTheTextAcrossTheMiddle() {
    HostedBar bar = windowBar();
    bar.set("Value", 50);
    const QImage image = bar.picture();
    QCOMPARE(image.size(), QSize(297, 25));
    int count = 0;
    // Left of the middle: bar, with the text white; right of it: white, with the text dark blue.
    QVERIFY(onlyColours(image, QRect(0, 0, 148, 25), {kBar, kWhite}, kBar, &count));
    QVERIFY(count > 148 * 25 * 3 / 4);
    const int leftText = 148 * 25 - count;
    QVERIFY(onlyColours(image, QRect(149, 0, 148, 25), {kBar, kWhite}, kWhite, &count));
    const int rightText = 148 * 25 - count;
    QVERIFY(leftText > 10);
    QVERIFY(rightText > 10);
    // The text "50%" is centred on the box.
    const QRect text = textBox(image, kBar, kWhite, 148);
    QVERIFY2(qAbs(text.center().x() - 148) <= 3, qPrintable(QString::number(text.center().x())));
    QVERIFY(qAbs(text.center().y() - 12) <= 3);
  }

  void horizontalBarOverAColouredBackShowsTheRuleOfNotXor() {
    HostedBar bar = windowBar();
    bar.set("BackColor", 0x00FF00u);
    bar.set("Value", 50);
    const QImage image = bar.picture();
    int count = 0;
    QVERIFY(onlyColours(image, QRect(0, 0, 148, 25), {kBar, kWhite}, kBar, &count));
    // Under the back box: BackColor outside the text, NOT (K XOR B) on the text.
    QVERIFY(onlyColours(image, QRect(149, 0, 148, 25), {kGreen, notXor(kGreen, kBar)}, kGreen, &count));
    QVERIFY(count < 148 * 25);
  }

  void barFillsItsShareOfTheBox_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("value");
    QTest::addColumn<QRect>("barArea");   // must be bar outside the text
    QTest::addColumn<QRect>("backArea");  // must be white outside the text
    QTest::newRow("vertical 30: bottom 30 % bar") << 1 << 30 << QRect(0, 18, 297, 7) << QRect(0, 0, 297, 17);
    QTest::newRow("vertical 0: all back") << 1 << 0 << QRect() << QRect(0, 0, 297, 25);
    QTest::newRow("vertical full") << 1 << 100 << QRect(0, 0, 297, 25) << QRect();
    QTest::newRow("horizontal 0: all back") << 0 << 0 << QRect() << QRect(0, 0, 297, 25);
    QTest::newRow("horizontal full") << 0 << 100 << QRect(0, 0, 297, 25) << QRect();
    QTest::newRow("horizontal 20") << 0 << 20 << QRect(0, 0, 59, 25) << QRect(60, 0, 237, 25);
  }
  void barFillsItsShareOfTheBox() {
    QFETCH(int, style);
    QFETCH(int, value);
    QFETCH(QRect, barArea);
    QFETCH(QRect, backArea);
    HostedBar bar = windowBar();
    bar.set("Style", style);
    bar.set("Value", value);
    const QImage image = bar.picture();
    int count = 0;
    // Text pixels are the other colour; the text is small against each area.
    if (barArea.isValid()) {
      QVERIFY(onlyColours(image, barArea, {kBar, kWhite}, kBar, &count));
      QVERIFY(count > barArea.width() * barArea.height() / 2);
    }
    if (backArea.isValid()) {
      QVERIFY(onlyColours(image, backArea, {kBar, kWhite}, kWhite, &count));
      QVERIFY(count > backArea.width() * backArea.height() / 2);
    }
    // Away from the centred text, the areas are pure.
    for (const QRect& area : {barArea, backArea}) {
      if (!area.isValid()) continue;
      const QRect edge = area.intersected(QRect(0, 0, 40, 25));
      if (edge.isEmpty()) continue;
      QVERIFY(onlyColours(image, edge, {area == barArea ? kBar : kWhite}, 0, &count));
    }
  }

  void textIsValueAndUnitOrUnitAlone_data() {
    QTest::addColumn<bool>("valueShow");
    QTest::addColumn<QString>("unit");
    QTest::newRow("unit alone") << false << "%";
    QTest::newRow("nothing at all") << false << "";
    QTest::newRow("value and unit") << true << "%";
  }
  void textIsValueAndUnitOrUnitAlone() {
    QFETCH(bool, valueShow);
    QFETCH(QString, unit);
    HostedBar bar = windowBar();
    bar.set("Value", 0);
    bar.set("Unit", unit);
    bar.set("ValueShow", valueShow);
    HostedBar reference = windowBar();
    reference.set("ValueShow", false);
    reference.set("Unit", valueShow ? "0" + unit : unit);
    QCOMPARE(bar.picture(), reference.picture());
    const QImage image = bar.picture();
    const bool blank = std::all_of(image.constBits(), image.constBits() + image.sizeInBytes(),
                                   [](uchar byte) { return byte == 0xFF; });
    QCOMPARE(blank, !valueShow && unit.isEmpty());
  }

  void otherStylesDrawOnlyBaseAndText() {
    HostedBar bar = windowBar();
    bar.set("Style", 2);
    bar.set("Value", 50);
    const QImage image = bar.picture();
    int count = 0;
    QVERIFY(onlyColours(image, QRect(0, 0, 297, 25), {kBar, kWhite}, kWhite, &count));
    // The whole text stays dark blue: nothing inverts it.
    const QRect text = textBox(image, kWhite, kWhite, 0);
    QVERIFY(text.width() > 10);
    QVERIFY(text.left() < 148 && text.right() > 148);
    QVERIFY(qAbs(text.center().x() - 148) <= 3);
  }

  void zeroOrNegativeMaxDrawsAnEmptyBarWithCentredText_data() {
    QTest::addColumn<int>("max");
    QTest::addColumn<int>("style");
    QTest::newRow("Max 0 horizontal") << 0 << 0;
    QTest::newRow("Max 0 vertical") << 0 << 1;
    QTest::newRow("Max -10 horizontal") << -10 << 0;
    QTest::newRow("Max -10 vertical") << -10 << 1;
  }
  void zeroOrNegativeMaxDrawsAnEmptyBarWithCentredText() {
    QFETCH(int, max);
    QFETCH(int, style);
    HostedBar bar = windowBar();
    bar.set("BackColor", 0x00FF00u);
    bar.set("Style", style);
    bar.set("Unit", " ");
    const quint64 before = bar.drawCount();
    bar.set("Max", max);
    bar.set("Value", 5);
    QCOMPARE(bar.drawCount() - before, 2u);
    const QImage image = bar.picture();
    int count = 0;
    // The back box covers the whole box; the text is NOT (K XOR B).
    QVERIFY(onlyColours(image, QRect(0, 0, 297, 25), {kGreen, notXor(kGreen, kBar)}, kGreen, &count));
    QVERIFY(count < 297 * 25);
    const QRect text = textBox(image, kGreen, kGreen, 0);
    QVERIFY2(qAbs(text.center().x() - 148) <= 3, qPrintable(QString::number(text.center().x())));
    QVERIFY(qAbs(text.center().y() - 12) <= 3);
  }

  // A window hosting the control as the progress window does, in both styles at 0, 50 and
  // 100 %. The picture is kept beside the test for a look.
  void hostWindowShowsBothStylesAtThreeValues() {
    QWidget window;
    window.setWindowTitle("svProgressBar");
    auto* grid = new QGridLayout(&window);
    std::vector<HostedBar> bars;
    const int values[] = {0, 50, 100};
    for (int style = 0; style < 2; ++style)
      for (int i = 0; i < 3; ++i) {
        HostedBar bar = createBar(site_);
        bar.widget->setParent(&window);
        bar.widget->setFixedSize(style == 0 ? QSize(297, 25) : QSize(60, 120));
        bar.set("Style", style);
        bar.set("Value", values[i]);
        grid->addWidget(bar.widget.get(), style, i, Qt::AlignCenter);
        bars.push_back(std::move(bar));
      }
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QImage shot = window.grab().toImage();
    QVERIFY(shot.save(QDir::current().filePath("progressbar_showcase.png")));
    // The grab shows what each control drew.
    for (const HostedBar& bar : bars) {
      const QImage part = shot.copy(bar.widget->geometry());
      QCOMPARE(part.convertToFormat(QImage::Format_RGB32), bar.picture());
    }
    for (HostedBar& bar : bars) bar.widget.release();  // owned by the window now
  }
};

QTEST_MAIN(BarRenderingTest)
#include "bar_rendering_test.moc"
