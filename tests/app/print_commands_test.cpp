// The window's manuscript commands: the menu items, toolbar buttons and shortcut, the PDF export, Qt's
// print preview showing the manuscript's sheets, and the count at the right of
// the status bar after a conversion.

#include "print_commands.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <memory>

#include "commands.h"
#include "conversion_run.h"
#include "dialog_watch.h"
#include "frm_main.h"
#include "main_window_fixture.h"
#include "source_text_edit.h"

using namespace zelvato;
using namespace zelvato::testing;
using ui::frmMain;

class PrintCommandsTest : public QObject {
  Q_OBJECT

 public:
  static void initMain() { prepareMainWindowTest(); }

 private:
  std::unique_ptr<FakeDialogs> messages;
  std::unique_ptr<frmMain> window;

  void setSource(const QString& text) { window->txtMain()->setPlainText(text); }

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

  void pdfExportWritesTheChosenFileOrNothing_data() {
    QTest::addColumn<bool>("chosen");
    QTest::newRow("a file chosen") << true;
    QTest::newRow("cancelled") << false;
  }
  void pdfExportWritesTheChosenFileOrNothing() {
    QFETCH(bool, chosen);
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("manuscript.pdf"));
    if (chosen) messages->answerFile(target);
    setSource(QStringLiteral("縦書きの原稿"));
    window->command("mnuExportPdf")->trigger();
    const QList<Asked> asked = messages->of(Asked::Kind::saveFile);
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked[0].title, QStringLiteral("PDFに書き出す…"));
    QCOMPARE(asked[0].filters, QStringList{QStringLiteral("PDFﾌｧｲﾙ (*.pdf)")});
    QCOMPARE(asked[0].suffix, QStringLiteral("pdf"));
    QCOMPARE(fileBytes(target).startsWith("%PDF-"), chosen);
    QVERIFY(messages->shown.isEmpty());
    if (chosen) QVERIFY(window->statusText().startsWith(QStringLiteral("変換完了しました.")));
  }

  void printPreviewShowsOneSheetPerBlock_data() {
    QTest::addColumn<int>("characters");
    QTest::addColumn<int>("sheets");
    QTest::newRow("400 characters on 20 x 20") << 400 << 1;
    QTest::newRow("401 characters on 20 x 20") << 401 << 2;
  }

  void printPreviewShowsOneSheetPerBlock() {
    QFETCH(int, characters);
    QFETCH(int, sheets);
    // Characters per line and lines per block.
    for (const char* box : {"txtAppearance(0)", "txtAppearance(2)"})
      window->findChild<QLineEdit*>(QLatin1String(box))->setText(QStringLiteral("20"));
    setSource(QString(characters, QChar(u'あ')));
    int shown = -1;
    DialogWatch<QPrintPreviewDialog> watch([&](QPrintPreviewDialog* dialog) {
      auto* preview = dialog->findChild<QPrintPreviewWidget*>();
      preview->updatePreview();
      shown = preview->pageCount();
      // ZELVATO_KEEP_PNG=FILE keeps the dialog to look at.
      if (qEnvironmentVariableIsSet("ZELVATO_KEEP_PNG")) {
        dialog->resize(1000, 750);
        QTest::qWait(200);
        dialog->grab().save(qEnvironmentVariable("ZELVATO_KEEP_PNG"));
      }
      dialog->reject();
    });
    window->command("mnuPrint")->trigger();
    QVERIFY(watch.answered());
    QCOMPARE(shown, sheets);
  }

  void conversionEndsWithTheManuscriptCount() {
    setSource(QString(401, QChar(u'い')));
    runConversion(*window);
    auto* count = window->statusBar()->findChild<QLabel*>(QStringLiteral("lblManuscriptCount"));
    QVERIFY(count != nullptr);
    // The run ends on its worker thread: the count comes with its end.
    QTRY_COMPARE_WITH_TIMEOUT(count->text(), QStringLiteral("400字詰め原稿用紙換算 2 枚"), 20000);
  }
};

QTEST_MAIN(PrintCommandsTest)
#include "print_commands_test.moc"
