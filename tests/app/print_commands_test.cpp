// The window's manuscript commands: the menu items, toolbar buttons and
// shortcut; PDFに書き出す… and 印刷… writing the writer registry's manuscript
// PDF in the run's worker, with the progress window and Stop; the print
// preview showing the very pages PDFに書き出す… writes; the paper and line
// colour of the window reaching them; and the count at the right of the
// status bar after a conversion.

#include "print_commands.h"

#include <QAction>
#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPdfDocument>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <memory>

#include "commands.h"
#include "conversion_run.h"
#include "frm_main.h"
#include "frm_progress.h"
#include "main_window_fixture.h"
#include "source_text_edit.h"
#include "window_controls.h"

using namespace zelvato;
using namespace zelvato::testing;
using ui::frmMain;

namespace {

// The pages of a PDF as QtPdf reads it: how many, the first one's size in
// points, and the first one rendered at 72 dots per inch.
struct Pages {
  int count = 0;
  QSizeF size;
  QImage first;
};

Pages pagesOf(const QByteArray& bytes) {
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  QPdfDocument document;
  document.load(&buffer);
  Pages pages;
  pages.count = document.pageCount();
  if (pages.count > 0) {
    pages.size = document.pagePointSize(0);
    pages.first = document.render(0, pages.size.toSize());
  }
  return pages;
}

// Pixels of the red-brown rules: red well above green and blue.
int reddishPixels(const QImage& image) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.red() > c.green() + 40 && c.red() > c.blue() + 40) ++count;
    }
  return count;
}

}  // namespace

class PrintCommandsTest : public QObject {
  Q_OBJECT

 public:
  static void initMain() { prepareMainWindowTest(); }

 private:
  std::unique_ptr<FakeDialogs> messages;
  std::unique_ptr<frmMain> window;

  void setSource(const QString& text) { window->txtMain()->setPlainText(text); }
  // 20 characters by 20 lines: a sheet of manuscript paper.
  void twentyByTwenty() {
    for (const char* box : {"txtAppearance(0)", "txtAppearance(2)"})
      window->findChild<QLineEdit*>(QLatin1String(box))->setText(QStringLiteral("20"));
  }

 private Q_SLOTS:
  void initTestCase() { QVERIFY(registerProgressBar()); }

  void init() {
    messages = std::make_unique<FakeDialogs>();
    window = std::make_unique<frmMain>(messages.get());
    connectCommands(*window);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
  }

  void cleanup() {
    window->setCloseAllowed(true);
    window.reset();
    messages.reset();
  }

  // Both are commands of the ファイル menu and buttons of the toolbar; Ctrl+P prints.
  void bothCommandsStandInTheFileMenuAndOnTheToolbar() {
    auto* print = window->findChild<QAction*>(QStringLiteral("mnuPrint"));
    auto* pdf = window->findChild<QAction*>(QStringLiteral("mnuExportPdf"));
    QVERIFY(print != nullptr && pdf != nullptr);
    QCOMPARE(print->text(), QStringLiteral("印刷…"));
    QCOMPARE(pdf->text(), QStringLiteral("PDFに書き出す…"));
    QCOMPARE(print->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    auto* file = window->menuBar()->findChild<QMenu*>(QStringLiteral("mnuFile"));
    QCOMPARE(file->title(), QStringLiteral("ﾌｧｲﾙ(&F)"));
    for (QAction* command : {print, pdf}) {
      QVERIFY(file->actions().contains(command));
      QVERIFY(!window->menuBar()->actions().contains(command));
      QVERIFY(window->Toolbar1()->actions().contains(command));
    }
    QCOMPARE(window->Toolbar1()->widgetForAction(pdf)->property("text").toString(),
             QStringLiteral("PDFに書き出す"));
  }

  // PDFに書き出す… asks for the file as the registry's PDF medium says, and the
  // run writes it: as many pages as sheets, or nothing when cancelled.
  void pdfExportWritesTheChosenFileOrNothing_data() {
    QTest::addColumn<bool>("chosen");
    QTest::addColumn<int>("characters");
    QTest::addColumn<int>("sheets");
    QTest::newRow("400 characters on one sheet") << true << 400 << 1;
    QTest::newRow("401 characters on two sheets") << true << 401 << 2;
    QTest::newRow("cancelled") << false << 401 << 0;
  }
  void pdfExportWritesTheChosenFileOrNothing() {
    QFETCH(bool, chosen);
    QFETCH(int, characters);
    QFETCH(int, sheets);
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("manuscript.pdf"));
    if (chosen) messages->answerFile(target);
    twentyByTwenty();
    setSource(QString(characters, QChar(u'あ')));
    window->command("mnuExportPdf")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!conversionRunning(*window), 30000);
    const QList<Asked> asked = messages->of(Asked::Kind::saveFile);
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked[0].title, QStringLiteral("PDFに書き出す…"));
    QCOMPARE(asked[0].filters, QStringList{QStringLiteral("PDFﾌｧｲﾙ (*.pdf)")});
    QCOMPARE(asked[0].suffix, QStringLiteral("pdf"));
    QVERIFY(messages->shown.isEmpty());
    QCOMPARE(pagesOf(fileBytes(target)).count, sheets);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), chosen ? 1 : 0);
    if (chosen) QVERIFY(window->statusText().startsWith(QStringLiteral("変換完了しました.")));
  }

  // 印刷… shows the pages of the very PDF PDFに書き出す… writes with the same
  // settings (the window's paper and line colour included), and leaves no file behind.
  void printShowsThePagesPdfExportWrites_data() {
    QTest::addColumn<int>("characters");
    QTest::addColumn<bool>("b4");
    QTest::addColumn<bool>("grey");
    QTest::addColumn<int>("sheets");
    QTest::addColumn<QSizeF>("paper");
    const QSizeF a4(841.89, 595.28), b4(1031.81, 728.5);
    QTest::newRow("one sheet of A4, red-brown") << 400 << false << false << 1 << a4;
    QTest::newRow("two sheets of A4, grey") << 401 << false << true << 2 << a4;
    QTest::newRow("two sheets of B4") << 401 << true << false << 2 << b4;
  }
  void printShowsThePagesPdfExportWrites() {
    QFETCH(int, characters);
    QFETCH(bool, b4);
    QFETCH(bool, grey);
    QFETCH(int, sheets);
    QFETCH(QSizeF, paper);
    // One date for both runs, so that the two files can be the same bytes.
    qputenv("SOURCE_DATE_EPOCH", "1700000000");
    twentyByTwenty();
    window->findChild<QRadioButton*>(QStringLiteral("optPaper(%1)").arg(b4 ? 1 : 0))->click();
    window->findChild<QRadioButton*>(QStringLiteral("optPaperLines(%1)").arg(grey ? 1 : 0))->click();
    setSource(QString(characters, QChar(u'あ')));
    window->showTab(ui::Tab::layout);

    window->command("mnuPrint")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(messages->previewed.size(), 1, 30000);
    const QString shownFile = messages->of(Asked::Kind::printPreview).first().start;
    QTRY_VERIFY(!QFile::exists(shownFile));
    QCOMPARE(shownTab(*window), ui::Tab::layout);
    const Pages shown = pagesOf(messages->previewed.first());
    QCOMPARE(shown.count, sheets);
    QVERIFY2(qAbs(shown.size.width() - paper.width()) < 1 && qAbs(shown.size.height() - paper.height()) < 1,
             qPrintable(QStringLiteral("%1 x %2").arg(shown.size.width()).arg(shown.size.height())));
    QCOMPARE(reddishPixels(shown.first) > 0, !grey);

    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("manuscript.pdf"));
    messages->answerFile(target);
    window->command("mnuExportPdf")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!conversionRunning(*window), 30000);
    QCOMPARE(fileBytes(target), messages->previewed.first());
    qunsetenv("SOURCE_DATE_EPOCH");
  }

  // The PDF is written by the run's worker: the window is locked but for Stop,
  // the progress window shows, and Stop ends the run with nothing written.
  void aPdfRunShowsItsProgressAndStops() {
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("manuscript.pdf"));
    messages->answerFile(target);
    twentyByTwenty();
    setSource(QString(200000, QChar(u'あ')));
    window->showTab(ui::Tab::output);
    bool stopped = false, lockedWhileRunning = false;
    QTimer watcher;
    watcher.setInterval(0);
    connect(&watcher, &QTimer::timeout, this, [&] {
      // Stop once the pages are being written beside the target.
      if (stopped || QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty()) return;
      stopped = true;
      frmProgress* progress = loadedProgressWindow();
      lockedWhileRunning = window->isBusy() && progress != nullptr && progress->isVisible() &&
                           !window->command("mnuExportPdf")->isEnabled() &&
                           window->command("Toolbar1Button(6)")->isEnabled();
      window->command("Toolbar1Button(6)")->trigger();
    });
    watcher.start();
    window->command("mnuExportPdf")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!conversionRunning(*window), 60000);
    watcher.stop();
    QVERIFY(stopped);
    QVERIFY(lockedWhileRunning);
    QCOMPARE(messages->shown.size(), 1);
    QCOMPARE(messages->shown[0].text, QStringLiteral("変換を中止しました."));
    QCOMPARE(messages->shown[0].icon, ui::MessageIcon::information);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    QVERIFY(!window->isBusy());
    QCOMPARE(shownTab(*window), ui::Tab::output);
  }

  // The count of the text's manuscript sheets after every run, and after a
  // run that wrote the typeset book its pages beside it.
  void conversionEndsWithTheManuscriptCount_data() {
    QTest::addColumn<bool>("book");
    QTest::newRow("the grid") << false;
    QTest::newRow("the typeset book") << true;
  }
  void conversionEndsWithTheManuscriptCount() {
    QFETCH(bool, book);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("book.pdf"));
    if (book) {
      optOutput(*window, 5)->click();
      txtOutput(*window, 7)->setText(pdf);
    }
    setSource(QString(401, QChar(u'い')));
    runConversion(*window);
    auto* count = window->statusBar()->findChild<QLabel*>(QStringLiteral("lblManuscriptCount"));
    QVERIFY(count != nullptr);
    // The run ends on its worker thread: the count comes with its end.
    QTRY_VERIFY_WITH_TIMEOUT(count->text().startsWith(QStringLiteral("400字詰め原稿用紙換算 2 枚")), 20000);
    QString expected = QStringLiteral("400字詰め原稿用紙換算 2 枚");
    if (book) {
      QPdfDocument written;
      QCOMPARE(written.load(pdf), QPdfDocument::Error::None);
      QVERIFY(written.pageCount() > 0);
      expected += QStringLiteral("　書籍 %1 ページ").arg(written.pageCount());
      optOutput(*window, 0)->click();
    }
    QTRY_COMPARE_WITH_TIMEOUT(count->text(), expected, 20000);
  }
};

QTEST_MAIN(PrintCommandsTest)
#include "print_commands_test.moc"
