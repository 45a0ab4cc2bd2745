// Properties, clamping, persistence, events and the About window of svProgressBar, driven
// through the real ZORBAR32 library.

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "control_dispatch.h"
#include "dialog_watch.h"
#include "hosted_bar.h"

using zelvato::hosting::MemoryPropertyBag;

namespace {

const QStringList kSevenEntries = {"BarColor", "BackColor", "Max", "Style", "Unit", "Value", "ValueShow"};

// The saved set of the progress window's design, with its names as stored.
MemoryPropertyBag storedDesign() {
  MemoryPropertyBag bag;
  bag.writeProperty("_extentx", 7858);
  bag.writeProperty("_extenty", 661);
  bag.writeProperty("barcolor", 0x800000);
  bag.writeProperty("backcolor", 0xFFFFFF);
  bag.writeProperty("font", QFont(QString::fromUtf8("ＭＳ Ｐゴシック"), 9));
  bag.writeProperty("max", 100);
  bag.writeProperty("style", 0);
  bag.writeProperty("unit", "%");
  bag.writeProperty("value", 0);
  bag.writeProperty("valueshow", true);
  return bag;
}

MemoryPropertyBag changedSet() {
  MemoryPropertyBag bag;
  bag.writeProperty("BarColor", 0x0000FF);
  bag.writeProperty("BackColor", 0x00FF00);
  bag.writeProperty("Font", QFont("DejaVu Serif", 14));
  bag.writeProperty("Max", 40);
  bag.writeProperty("Style", 1);
  bag.writeProperty("Unit", " pages");
  bag.writeProperty("Value", 25);
  bag.writeProperty("ValueShow", false);
  return bag;
}

}  // namespace

class SvProgressBarTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir registryDir_;
  TestSite site_;

 private Q_SLOTS:
  void initTestCase() {
    qputenv("ZELVATO_CONTROL_REGISTRY", registryDir_.filePath("controls.ini").toLocal8Bit());
  }

  void freshControlHoldsDefaultsAfterTwoDrawsAndTheFontSet() {
    HostedBar bar = createBar(site_);
    QCOMPARE(bar.get("Value").toInt(), 0);
    QCOMPARE(bar.get("Max").toInt(), 100);
    QCOMPARE(bar.get("BarColor").toUInt(), 0x800000u);
    QCOMPARE(bar.get("BackColor").toUInt(), 0xFFFFFFu);
    QCOMPARE(bar.get("Unit").toString(), QString("%"));
    QCOMPARE(bar.get("ValueShow").toBool(), true);
    QCOMPARE(bar.get("Style").toInt(), 0);
    QCOMPARE(bar.get("Enabled").toBool(), true);
    QCOMPARE(bar.get("Font").value<QFont>(), site_.font);
    // Initialize draws twice (Max := 100, Value := 0); InitProperties sets the ambient font.
    QCOMPARE(bar.drawCount(), 3u);
    QCOMPARE(bar.widget->size(), QSize(292, 70));
  }

  void valueIsClampedIntoZeroToMax_data() {
    QTest::addColumn<int>("max");
    QTest::addColumn<int>("requested");
    QTest::addColumn<int>("expected");
    QTest::newRow("negative becomes 0") << 100 << -5 << 0;
    QTest::newRow("above Max becomes Max") << 100 << 150 << 100;
    QTest::newRow("Max itself stays") << 100 << 100 << 100;
    QTest::newRow("inside stays") << 100 << 42 << 42;
    QTest::newRow("negative Max, 0 gives Max") << -10 << 0 << -10;
    QTest::newRow("negative Max, 7 gives Max") << -10 << 7 << -10;
    QTest::newRow("negative Max, -3 gives 0") << -10 << -3 << 0;
    QTest::newRow("Max 0 turns every value into 0") << 0 << 5 << 0;
  }
  void valueIsClampedIntoZeroToMax() {
    QFETCH(int, max);
    QFETCH(int, requested);
    QFETCH(int, expected);
    HostedBar bar = createBar(site_);
    bar.set("Max", max);
    bar.set("Value", requested);
    QCOMPARE(bar.get("Value").toInt(), expected);
  }

  void loweringMaxLowersValueForGood() {
    HostedBar bar = createBar(site_);
    bar.set("Value", 80);
    bar.set("Max", 50);
    QCOMPARE(bar.get("Value").toInt(), 50);
    bar.set("Max", 100);
    QCOMPARE(bar.get("Value").toInt(), 50);
  }

  void eachSetterRedrawsOnceButEnabledNever_data() {
    QTest::addColumn<QString>("property");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("draws");
    QTest::newRow("Value") << "Value" << QVariant(30) << 1;
    QTest::newRow("Max") << "Max" << QVariant(200) << 1;
    QTest::newRow("BarColor") << "BarColor" << QVariant(0xFFu) << 1;
    QTest::newRow("BackColor") << "BackColor" << QVariant(0xFF00u) << 1;
    QTest::newRow("Unit") << "Unit" << QVariant("字 ") << 1;
    QTest::newRow("ValueShow") << "ValueShow" << QVariant(false) << 1;
    QTest::newRow("Style") << "Style" << QVariant(1) << 1;
    QTest::newRow("Font") << "Font" << QVariant(QFont("DejaVu Serif", 12)) << 1;
    QTest::newRow("Enabled") << "Enabled" << QVariant(false) << 0;
  }
  void eachSetterRedrawsOnceButEnabledNever() {
    QFETCH(QString, property);
    QFETCH(QVariant, value);
    QFETCH(int, draws);
    HostedBar bar = createBar(site_);
    const quint64 before = bar.drawCount();
    QVERIFY(bar.widget->setProperty(property.toLatin1().constData(), value));
    QCOMPARE(bar.drawCount() - before, quint64(draws));
  }

  void oneResizeRedrawsTwice() {
    HostedBar bar = createBar(site_);
    bar.widget->show();
    QVERIFY(QTest::qWaitForWindowExposed(bar.widget.get()));
    const quint64 before = bar.drawCount();
    bar.widget->resize(297, 25);
    QCOMPARE(bar.drawCount() - before, 2u);
    QCOMPARE(bar.picture().size(), QSize(297, 25));
  }

  void onlyTheFontSetterNotifiesTheContainer() {
    HostedBar bar = createBar(site_);
    site_.changed.clear();
    for (const char* name : {"Value", "Max", "BarColor", "BackColor", "Style"}) bar.set(name, 1);
    bar.set("Unit", "x");
    bar.set("ValueShow", false);
    QVERIFY(site_.changed.isEmpty());
    bar.set("Font", QFont("DejaVu Serif", 11));
    QCOMPARE(site_.changed, QStringList{"Font"});
  }

  void savingDefaultsWritesSevenEntriesAndFontOnlyWhenNotAmbient() {
    HostedBar bar = createBar(site_);
    MemoryPropertyBag bag;
    bar.control->writeProperties(bag);
    QCOMPARE(bag.names(), kSevenEntries);
    QCOMPARE(bag.readProperty("barcolor").toInt(), 0x800000);
    QCOMPARE(bag.readProperty("VALUESHOW").toBool(), true);

    bar.set("Font", QFont("DejaVu Serif", 12));
    MemoryPropertyBag withFont;
    bar.control->writeProperties(withFont);
    QStringList eight = kSevenEntries;
    eight.insert(2, "Font");
    QCOMPARE(withFont.names(), eight);
    QCOMPARE(withFont.readProperty("Font").value<QFont>(), QFont("DejaVu Serif", 12));
  }

  void enabledIsNeitherSavedNorRestored() {
    HostedBar bar = createBar(site_);
    bar.set("Enabled", false);
    MemoryPropertyBag bag;
    bar.control->writeProperties(bag);
    QVERIFY(!bag.readProperty("Enabled").isValid());
    HostedBar restored = createBar(site_, &bag);
    QCOMPARE(restored.get("Enabled").toBool(), true);
  }

  void restoringASavedSetGivesBackEveryProperty() {
    const MemoryPropertyBag saved = changedSet();
    HostedBar bar = createBar(site_, &saved);
    QVERIFY(bar.readResult.ok);
    // Initialize draws twice, then each of the eight entries once through its setter.
    QCOMPARE(bar.drawCount(), 10u);
    MemoryPropertyBag again;
    bar.control->writeProperties(again);
    QCOMPARE(again.entries(), saved.entries());
  }

  void restoringTheStoredDesignMatchesNamesWithoutCase() {
    const MemoryPropertyBag saved = storedDesign();
    HostedBar bar = createBar(site_, &saved);
    QVERIFY(bar.readResult.ok);
    QCOMPARE(bar.get("Font").value<QFont>().family(), QString::fromUtf8("ＭＳ Ｐゴシック"));
    QCOMPARE(bar.get("Font").value<QFont>().pointSize(), 9);
    QCOMPARE(bar.get("Unit").toString(), QString("%"));
    QCOMPARE(bar.get("BarColor").toUInt(), 0x800000u);
    QCOMPARE(bar.get("Max").toInt(), 100);
  }

  void savedValueAboveMaxComesBackAsMax() {
    MemoryPropertyBag saved = changedSet();
    saved.writeProperty("Max", 50);
    saved.writeProperty("Value", 80);
    HostedBar bar = createBar(site_, &saved);
    QCOMPARE(bar.get("Value").toInt(), 50);
  }

  void anEntryThatDoesNotConvertStopsTheRestore_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QVariant>("badValue");
    QTest::newRow("Max") << "Max" << QVariant("many");
    QTest::newRow("BarColor") << "BarColor" << QVariant("blue");
    QTest::newRow("Style") << "Style" << QVariant(QFont("DejaVu Sans"));
    QTest::newRow("ValueShow") << "ValueShow" << QVariant("perhaps");
    QTest::newRow("Value") << "Value" << QVariant(1e12);
  }
  void anEntryThatDoesNotConvertStopsTheRestore() {
    QFETCH(QString, entry);
    QFETCH(QVariant, badValue);
    const QStringList order = {"BarColor", "BackColor", "Font", "Max", "Style", "Unit", "Value", "ValueShow"};
    MemoryPropertyBag saved = changedSet();
    saved.writeProperty(entry, badValue);
    HostedBar bar = createBar(site_, &saved);
    QVERIFY(!bar.readResult.ok);
    QCOMPARE(bar.readResult.failedEntry, entry);

    // A control restored from an empty set keeps what Initialize gave it.
    const MemoryPropertyBag nothing;
    HostedBar fresh = createBar(site_, &nothing);
    const QFont savedFont = changedSet().readProperty("Font").value<QFont>();
    const qsizetype stop = order.indexOf(entry);
    for (qsizetype i = 0; i < order.size(); ++i) {
      const QByteArray name = order[i].toLatin1();
      // Entries before the bad one are applied; it and those after it keep the defaults.
      const QVariant expected = i < stop ? changedSet().readProperty(order[i]) : fresh.get(name);
      const QVariant actual = bar.get(name);
      if (name == "Font" && i >= stop) {
        QVERIFY(actual.value<QFont>() != savedFont);
        continue;
      }
      const bool same = expected.typeId() == QMetaType::QFont
                            ? actual.value<QFont>() == expected.value<QFont>()
                        : expected.typeId() == QMetaType::QString || expected.typeId() == QMetaType::Bool
                            ? actual == expected
                            : actual.toLongLong() == expected.toLongLong();
      QVERIFY2(same, name);
    }
  }

  void inputRaisesTheEventsWithoutArgumentsOnlyWhileEnabled_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("click") << "click" << true << QList<int>{3, 5, 1};
    QTest::newRow("double click") << "dblclick" << true << QList<int>{2};
    QTest::newRow("move") << "move" << true << QList<int>{4};
    QTest::newRow("character key") << "key a" << true << QList<int>{6, 7, 8};
    QTest::newRow("key without character") << "key shift" << true << QList<int>{6, 8};
    QTest::newRow("click while disabled") << "click" << false << QList<int>{};
    QTest::newRow("move while disabled") << "move" << false << QList<int>{};
    QTest::newRow("key while disabled") << "key a" << false << QList<int>{};
  }
  void inputRaisesTheEventsWithoutArgumentsOnlyWhileEnabled() {
    QFETCH(QString, input);
    QFETCH(bool, enabled);
    QFETCH(QList<int>, expected);
    HostedBar bar = createBar(site_);
    bar.widget->show();
    QVERIFY(QTest::qWaitForWindowExposed(bar.widget.get()));
    bar.set("Enabled", enabled);
    auto* box = bar.widget->findChild<QWidget*>("picPrBar");
    QVERIFY(box);
    box->setFocus();

    QList<int> raised;
    QObject context;
    zelvato::hosting::connectControlEvents(bar.object(), &context,
                                           [&raised](qint32 id) { raised.append(id); });
    // The same events as parameterless Qt signals.
    QSignalSpy clickSpy(bar.object(), SIGNAL(Click()));
    QSignalSpy keyPressSpy(bar.object(), SIGNAL(KeyPress()));

    const QPoint middle(100, 30);
    if (input == "click") {
      QTest::mouseClick(box, Qt::LeftButton, {}, middle);
    } else if (input == "dblclick") {
      QMouseEvent event(QEvent::MouseButtonDblClick, middle, box->mapToGlobal(middle), Qt::LeftButton,
                        Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(box, &event);
    } else if (input == "move") {
      QMouseEvent event(QEvent::MouseMove, middle, box->mapToGlobal(middle), Qt::NoButton, Qt::NoButton,
                        Qt::NoModifier);
      QApplication::sendEvent(box, &event);
    } else if (input == "key a") {
      QTest::keyClick(box, Qt::Key_A);
    } else if (input == "key shift") {
      QTest::keyClick(box, Qt::Key_Shift);
    }
    QCOMPARE(raised, expected);
    QCOMPARE(clickSpy.count(), int(expected.count(1)));
    QCOMPARE(keyPressSpy.count(), int(expected.count(7)));
    for (const QList<QVariant>& arguments : std::as_const(clickSpy)) QVERIFY(arguments.isEmpty());
  }

  void aboutShowsAFreshModalWindowEachCall_data() {
    QTest::addColumn<QString>("closeWith");
    QTest::newRow("Esc") << "esc";
    QTest::newRow("OK button") << "ok";
    QTest::newRow("Enter on the focused OK button") << "enter";
  }
  void aboutShowsAFreshModalWindowEachCall() {
    QFETCH(QString, closeWith);
    HostedBar bar = createBar(site_);
    QList<QPointer<QDialog>> seen;
    bool layoutRight = false;
    bool otherKeyIgnored = false;
    const auto closeWhenShown = [&](QDialog* about) {
      seen.append(about);
      auto* ok = about->findChild<QPushButton*>("cmdOK");
      layoutRight = about->windowTitle() == QString::fromUtf8("ﾊﾞｰｼﾞｮﾝ情報") &&
                    about->size() == QSize(415, 118) && ok && ok->geometry() == QRect(312, 16, 97, 25) &&
                    about->focusWidget() == ok &&
                    about->findChild<QLabel*>("Label3")->text() == "svProgressBar Control" &&
                    about->findChild<QLabel*>("imgLogo")->pixmap().size() == QSize(201, 37);
      about->grab().save(QDir::current().filePath("about_window.png"));  // kept for a look
      QTest::keyClick(about, Qt::Key_A);
      otherKeyIgnored = about->isVisible();
      if (closeWith == "esc")
        QTest::keyClick(about, Qt::Key_Escape);
      else if (closeWith == "enter")
        QTest::keyClick(ok, Qt::Key_Return);
      else
        QTest::mouseClick(ok, Qt::LeftButton);
    };
    for (int call = 0; call < 2; ++call) {
      // Armed before About opens: the window is seen as it is shown.
      zelvato::testing::DialogWatch<QDialog> watch(closeWhenShown);
      QVERIFY(zelvato::hosting::dispatchInvoke(bar.object(), -552).ok());
      QVERIFY(watch.answered());
      QVERIFY(layoutRight);
      QVERIFY(otherKeyIgnored);
      QCOMPARE(seen.size(), call + 1);
      // The window is released when About returns; the next call makes a new one.
      QVERIFY(seen.last().isNull());
    }
  }
};

QTEST_MAIN(SvProgressBarTest)
#include "sv_progress_bar_test.moc"
