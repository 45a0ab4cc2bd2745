// The source and its vertical page side by side, kept in step: the cursor's
// character is marked on the page, a click on the page puts the cursor at the
// character clicked, the 見出し jump in both, a new preview opens where the
// reader was, in every style the page is set in.
#include <QElapsedTimer>
#include <QImage>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSettings>
#include <QSignalSpy>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <algorithm>
#include <memory>

#include "commands.h"
#include "conversion_run.h"
#include "frm_main.h"
#include "main_window_fixture.h"
#include "options/option_table.h"
#include "page_sync.h"
#include "presets.h"
#include "settings_model.h"
#include "settings_store.h"
#include "source_loading.h"
#include "source_text_edit.h"

using namespace zelvato;
using namespace zelvato::testing;
using zelvato::ui::frmMain;
using zelvato::ui::PageSync;

namespace {

// A place in the source and the character the page shows for it.
struct Probe {
  int line;
  int column;
  QString shown;
};

const QString plainText = QStringLiteral(
    "吾輩は猫である。名前はまだ無い。\nどこで生れたかとんと見当がつかぬ。\n\n"
    "何でも薄暗いじめじめした所でニャーニャー泣いていた事だけは記憶している。");
// A line far longer than the pane shows in one paragraph (on the grid: the
// browser takes longer than the test waits to set one paragraph of 150,000
// characters as flowing text).
const QString longLine = QStringLiteral("吾輩\n") + QString(120000, QChar(u'あ')) + QStringLiteral("猫") +
                         QString(30000, QChar(u'い')) + QStringLiteral("\n名前");
const QList<Probe> longLineProbes = {
    {1, 5, QStringLiteral("あ")}, {1, 120000, QStringLiteral("猫")}, {2, 1, QStringLiteral("前")}};
const QList<Probe> plainProbes = {{0, 0, QStringLiteral("吾")},
                                  {0, 9, QStringLiteral("前")},
                                  {1, 3, QStringLiteral("生")},
                                  {3, 14, QStringLiteral("ニ")},
                                  {3, 29, QStringLiteral("記")}};

QString botchan() {
  QFile file(QStringLiteral(ZELVATO_TEST_DATA_DIR "/book/botchan-excerpt.txt"));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}
// The first paragraphs of the text, 　親譲《おやゆず》りの無鉄砲《むてっぽう》で小供の… and
// 　親類の…, and a place in the annotation before the heading 二.
const QList<Probe> botchanProbes = {{5, 1, QStringLiteral("親")},  {5, 9, QStringLiteral("り")},
                                    {5, 11, QStringLiteral("無")}, {5, 22, QStringLiteral("小")},
                                    {6, 1, QStringLiteral("親")},  {10, 1, QStringLiteral("二")}};

enum class Style { grid, gridBars, flowing, manuscript };

}  // namespace

Q_DECLARE_METATYPE(Style)
Q_DECLARE_METATYPE(Probe)

class SideBySideTest : public QObject {
  Q_OBJECT

 public:
  static void initMain() { prepareMainWindowTest(); }

 private:
  std::unique_ptr<FakeDialogs> messages;
  std::unique_ptr<frmMain> window;

  // The page's answer to a script, waited for.
  QVariant evaluate(const QString& script) {
    QVariant result;
    bool done = false;
    window->brwIE()->page()->runJavaScript(script, [&](const QVariant& v) {
      result = v;
      done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 10000)) qWarning("the page did not answer");
    return result;
  }

  void setStyle(Style style, bool aozora) {
    auto& model = window->settings();
    if (style == Style::manuscript)
      QVERIFY(ui::applyPreset(model, *ui::openUserSettings(), ui::manuscriptPreset));
    model.editChoice(*findOption("textStyle"), style == Style::flowing ? 1 : 0);
    model.editChecked(*findOption("showGrid"), style == Style::gridBars);
    model.editChecked(*findOption("aozoraNotation"), aozora);
  }

  // Runs the preview of the text and waits for the page beside it.
  void showPage(const QString& text) {
    window->txtMain()->setPlainText(text);
    QSignalSpy loaded(window->brwIE(), &QWebEngineView::loadFinished);
    QVERIFY(runAndWait(*window, ConversionKind::preview));
    QVERIFY(loaded.count() > 0 || loaded.wait(20000));
    QTRY_VERIFY_WITH_TIMEOUT(window->pageSync().hasPage(), 20000);
    // What the page marked as it opened is through before the test asks for more.
    QSignalSpy marked(&window->pageSync(), &PageSync::marked);
    window->pageSync().followCursor();
    QVERIFY(marked.count() > 0 || marked.wait(10000));
  }

  // The cursor at a line of the text and a column in it; a long line is
  // shown in pieces, each a paragraph of the pane.
  void moveCursor(int line, int column) {
    const ui::SourceTextEdit& pane = *window->txtMain();
    QTextBlock block = pane.blockOfLine(line);
    while (column > block.length() - 1 && block.next().isValid() && pane.lineOfBlock(block.next()) == line) {
      column -= block.length() - 1;
      block = block.next();
    }
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + column);
    window->txtMain()->setTextCursor(cursor);
  }
  QPair<int, int> cursorPlace() const {
    const ui::SourceTextEdit& pane = *window->txtMain();
    const QTextCursor cursor = pane.textCursor();
    const int line = pane.lineOfBlock(cursor.block());
    int column = cursor.positionInBlock();
    for (QTextBlock b = cursor.block().previous(); b.isValid() && pane.lineOfBlock(b) == line;
         b = b.previous())
      column += b.length() - 1;
    return {line, column};
  }

  // Moves the cursor and waits for the page to mark it: what the page marked.
  QString markAt(int line, int column) {
    QSignalSpy marked(&window->pageSync(), &PageSync::marked);
    const QTextCursor before = window->txtMain()->textCursor();
    moveCursor(line, column);
    // A cursor that stays where it was is marked again when asked.
    if (window->txtMain()->textCursor() == before) window->pageSync().followCursor();
    if (!marked.wait(10000)) return QStringLiteral("(nothing marked)");
    if (!marked.last().at(0).toBool()) return QStringLiteral("(not found)");
    return marked.last().at(1).toString().trimmed();
  }

 private Q_SLOTS:
  void initTestCase() { QVERIFY(registerProgressBar()); }

  void init() {
    QFile::remove(testPreviewFilePath());
    messages = std::make_unique<FakeDialogs>();
    window = std::make_unique<frmMain>(messages.get());
    connectCommands(*window);
    window->resize(1200, 800);
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
  }

  void cleanup() {
    window->setCloseAllowed(true);
    window.reset();
    messages.reset();
  }

  void theSourceAndThePageStandSideBySide() {
    auto* splitter = window->findChild<QSplitter*>(QStringLiteral("pageSplitter"));
    QVERIFY(splitter != nullptr);
    // The text at the left, the browser in the pane at the right, while the source is shown.
    QCOMPARE(window->brwIE()->parentWidget()->objectName(), QStringLiteral("pagePane"));
    QVERIFY(window->txtMain()->mapTo(window.get(), QPoint()).x() <
            window->brwIE()->mapTo(window.get(), QPoint()).x());
    // The preview tab shows the same browser alone, and gives it back.
    window->showTab(ui::Tab::preview);
    QCOMPARE(window->brwIE()->parentWidget()->objectName(), QStringLiteral("Picture1"));
    window->showTab(ui::Tab::source);
    QCOMPARE(window->brwIE()->parentWidget()->objectName(), QStringLiteral("pagePane"));
  }

  void theShareOfTextAndPageIsRemembered() {
    auto* splitter = window->findChild<QSplitter*>(QStringLiteral("pageSplitter"));
    const int whole = splitter->sizes().value(0) + splitter->sizes().value(1);
    splitter->setSizes({whole / 4, whole - whole / 4});
    const QList<int> chosen = splitter->sizes();
    QTemporaryDir folder;
    QSettings store(folder.filePath(QStringLiteral("zelvato.ini")), QSettings::IniFormat);
    ui::storeGeometry(*window, store);
    // The next window opens with the text and the page as they were.
    cleanup();
    init();
    ui::restoreGeometry(*window, store);
    window->resize(1200, 800);
    QTRY_COMPARE(window->findChild<QSplitter*>(QStringLiteral("pageSplitter"))->sizes(), chosen);
  }

  void theCursorMarksItsCharacterOnThePage_data() {
    QTest::addColumn<Style>("style");
    QTest::addColumn<bool>("aozora");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<Probe>>("probes");
    QTest::newRow("grid") << Style::grid << false << plainText << plainProbes;
    QTest::newRow("grid with bars between the cells") << Style::gridBars << false << plainText << plainProbes;
    QTest::newRow("flowing") << Style::flowing << false << plainText << plainProbes;
    QTest::newRow("manuscript") << Style::manuscript << false << plainText << plainProbes;
    QTest::newRow("grid, a line the pane shows in pieces")
        << Style::grid << false << longLine << longLineProbes;
    QTest::newRow("grid, Aozora notation") << Style::grid << true << botchan() << botchanProbes;
    QTest::newRow("flowing, Aozora notation") << Style::flowing << true << botchan() << botchanProbes;
    QTest::newRow("manuscript, Aozora notation") << Style::manuscript << true << botchan() << botchanProbes;
  }
  void theCursorMarksItsCharacterOnThePage() {
    QFETCH(Style, style);
    QFETCH(bool, aozora);
    QFETCH(QString, text);
    QFETCH(QList<Probe>, probes);
    QVERIFY(!text.isEmpty());
    setStyle(style, aozora);
    showPage(text);
    // From the last back to the first, so that the page scrolls back as well.
    for (auto probe = probes.crbegin(); probe != probes.crend(); ++probe)
      QCOMPARE(markAt(probe->line, probe->column), probe->shown);
    // The marked character is in sight.
    const QVariantList box =
        evaluate(QStringLiteral("(function(){const r=document.getElementById('zelvato-mark')"
                                ".getBoundingClientRect();return [r.left,r.top,r.right,r.bottom,"
                                "innerWidth,innerHeight];})()"))
            .toList();
    QCOMPARE(box.size(), 6);
    QVERIFY(box[0].toDouble() >= 0 && box[1].toDouble() >= 0);
    QVERIFY(box[2].toDouble() <= box[4].toDouble() && box[3].toDouble() <= box[5].toDouble());
  }

  void aClickOnTheCellPutsTheCursorThere_data() { theCursorMarksItsCharacterOnThePage_data(); }
  void aClickOnTheCellPutsTheCursorThere() {
    QFETCH(Style, style);
    QFETCH(bool, aozora);
    QFETCH(QString, text);
    QFETCH(QList<Probe>, probes);
    setStyle(style, aozora);
    showPage(text);
    for (const Probe& probe : probes) {
      // A place that shows the character after it (in an annotation) is not where a click on it goes.
      const QString line = window->txtMain()->toPlainText().split(u'\n').value(probe.line);
      if (line.mid(probe.column, probe.shown.size()) != probe.shown) continue;
      // Where the page shows the character: the middle of its mark.
      QCOMPARE(markAt(probe.line, probe.column), probe.shown);
      const QVariantList centre =
          evaluate(QStringLiteral("(function(){const r=document.getElementById('zelvato-mark')"
                                  ".getBoundingClientRect();return [r.left+r.width/2,r.top+r.height/2];})()"))
              .toList();
      QCOMPARE(centre.size(), 2);
      const QPoint point(qRound(centre[0].toDouble()), qRound(centre[1].toDouble()));
      {
        // The cursor goes elsewhere without the page following it.
        const QSignalBlocker quiet(window->txtMain());
        window->txtMain()->moveCursor(QTextCursor::End);
      }
      QSignalSpy placed(&window->pageSync(), &PageSync::cursorPlaced);
      QWidget* target = window->brwIE()->focusProxy() ? window->brwIE()->focusProxy() : window->brwIE();
      QTest::mouseClick(target, Qt::LeftButton, {}, point);
      QVERIFY2(placed.wait(10000), qPrintable(probe.shown));
      QCOMPARE(cursorPlace(), qMakePair(probe.line, probe.column));
      // And the keys go on into the text.
      QVERIFY(window->txtMain()->hasFocus());
    }
  }

  // 見出し of 坊っちゃん: listed, and each chosen puts the cursor at its line and the page at the heading.
  void theOutlineJumpsInBothViews_data() {
    QTest::addColumn<Style>("style");
    QTest::newRow("grid") << Style::grid;
    QTest::newRow("flowing") << Style::flowing;
    QTest::newRow("manuscript") << Style::manuscript;
  }
  void theOutlineJumpsInBothViews() {
    QFETCH(Style, style);
    setStyle(style, true);
    showPage(botchan());
    auto* list = window->findChild<QListWidget*>(QStringLiteral("lstHeadings"));
    QVERIFY(list != nullptr);
    QTRY_COMPARE_WITH_TIMEOUT(list->count(), 3, 20000);
    const QStringList headings{QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三")};
    const QList<int> lines{3, 10, 15};
    for (int row = list->count() - 1; row >= 0; --row) {
      QCOMPARE(list->item(row)->text().trimmed(), headings[row]);
      QSignalSpy marked(&window->pageSync(), &PageSync::marked);
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
      QCOMPARE(window->txtMain()->textCursor().blockNumber(), lines[row]);
      QVERIFY(marked.wait(10000));
      QVERIFY(marked.last().at(0).toBool());
      QCOMPARE(marked.last().at(1).toString().trimmed(), headings[row]);
    }
  }

  // A new page of the live preview opens where the reader had scrolled to.
  void theLivePreviewKeepsTheReadersPlace_data() {
    QTest::addColumn<Style>("style");
    QTest::newRow("grid") << Style::grid;
    QTest::newRow("flowing") << Style::flowing;
  }
  void theLivePreviewKeepsTheReadersPlace() {
    QFETCH(Style, style);
    setStyle(style, false);
    QString text;
    for (int i = 0; i < 200; ++i) text += plainText + QLatin1Char('\n');
    showPage(text);
    // The reader scrolls the page part of the way through the text.
    const QVariantList end =
        evaluate(QStringLiteral("(function(){const e=document.scrollingElement;"
                                "return [e.scrollWidth-innerWidth,e.scrollHeight-innerHeight];})()"))
            .toList();
    const int x = -end[0].toInt() / 2;  // right to left: the text goes on at negative x
    const int y = end[1].toInt() / 2;
    QVERIFY(x != 0 || y != 0);
    QSignalSpy told(window->brwIE()->page(), &QWebEnginePage::scrollPositionChanged);
    evaluate(QStringLiteral("window.scrollTo(%1, %2)").arg(x).arg(y));
    QVERIFY(told.count() > 0 || told.wait(5000));
    const QPointF before = window->brwIE()->page()->scrollPosition();
    QTest::qWait(300);  // the page tells its place a moment after the scroll
    // An edit: the next preview shows the page where it was.
    QTextCursor edit(window->txtMain()->document());
    edit.movePosition(QTextCursor::End);
    edit.insertText(QStringLiteral("続き"));
    QSignalSpy loaded(window->brwIE(), &QWebEngineView::loadFinished);
    QVERIFY(runAndWait(*window, ConversionKind::preview));
    QVERIFY(loaded.count() > 0 || loaded.wait(20000));
    QTRY_COMPARE_WITH_TIMEOUT(window->brwIE()->page()->scrollPosition(), before, 10000);
  }

  // Not a check: the time from a move of the cursor to its character marked,
  // on the novel given in ZELVATO_NOVEL; screenshots into ZELVATO_SHOTS.
  void theNovelBesideItsPage_data() {
    QTest::addColumn<Style>("style");
    QTest::newRow("grid") << Style::grid;
    QTest::newRow("flowing") << Style::flowing;
    QTest::newRow("manuscript") << Style::manuscript;
  }
  void theNovelBesideItsPage() {
    QFETCH(Style, style);
    const QString novel = qEnvironmentVariable("ZELVATO_NOVEL");
    if (novel.isEmpty()) QSKIP("ZELVATO_NOVEL names no novel to measure");
    window->resize(1600, 1000);
    setStyle(style, true);
    QVERIFY(loadSourceFile(*window, novel));
    QTRY_VERIFY_WITH_TIMEOUT(!window->txtMain()->document()->isEmpty(), 60000);
    QSignalSpy loaded(window->brwIE(), &QWebEngineView::loadFinished);
    QVERIFY(runAndWait(*window, ConversionKind::preview));
    QTRY_VERIFY_WITH_TIMEOUT(window->pageSync().hasPage(), 120000);
    QTest::qWait(500);
    const int lines = window->txtMain()->document()->blockCount();
    // Far jumps (the page scrolls to each), then steps of one character (the page stays).
    const auto measure = [&](const char* what, const QList<QPair<int, int>>& places) {
      QList<qint64> times;
      int found = 0;
      for (const auto& [line, column] : places) {
        QSignalSpy marked(&window->pageSync(), &PageSync::marked);
        QElapsedTimer timer;
        timer.start();
        moveCursor(line, column);
        if (!marked.wait(10000)) continue;
        times << timer.elapsed();
        found += marked.last().at(0).toBool() ? 1 : 0;
      }
      std::sort(times.begin(), times.end());
      QVERIFY(!times.isEmpty());
      qInfo("%s: %d moves, %d marked, median %lld ms, max %lld ms", what, static_cast<int>(times.size()),
            found, times[times.size() / 2], times.last());
    };
    QList<QPair<int, int>> jumps, steps;
    for (int i = 1; i <= 40; ++i) {
      const int line = static_cast<int>(static_cast<qint64>(lines) * i / 41);
      jumps.append({line, window->txtMain()->document()->findBlockByNumber(line).length() / 2});
    }
    const int middle = lines / 2;
    for (int c = 1; c <= 40 && c < window->txtMain()->document()->findBlockByNumber(middle).length() - 1; ++c)
      steps.append({middle, c});
    measure("cursor to its character marked, far jumps", jumps);
    measure("cursor to its character marked, one-character steps", steps);
    const QString shots = qEnvironmentVariable("ZELVATO_SHOTS");
    if (!shots.isEmpty()) {
      markAt(lines / 2, 3);
      QTest::qWait(500);
      const QString style = QString::fromLatin1(QTest::currentDataTag());
      window->grab().save(shots + QStringLiteral("/side-by-side-%1.png").arg(style));
      // The same page alone on the preview tab, from its beginning.
      window->showTab(ui::Tab::preview);
      evaluate(QStringLiteral("window.scrollTo(0, 0)"));
      // Moved from the pane beside the text, the browser shows the page again.
      QElapsedTimer shown;
      shown.start();
      const auto inked = [&] {
        const QImage image = window->brwIE()->grab().toImage();
        int dark = 0;
        for (int y = 0; y < image.height(); y += 4)
          for (int x = 0; x < image.width(); x += 4) dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
        return dark >= 20;
      };
      QTRY_VERIFY_WITH_TIMEOUT(inked(), 30000);
      qInfo("the preview tab shows the page %lld ms after the browser moved there", shown.elapsed());
      QTest::qWait(2000);
      window->grab().save(shots + QStringLiteral("/preview-tab-%1.png").arg(style));
    }
  }
};

QTEST_MAIN(SideBySideTest)
#include "side_by_side_test.moc"
