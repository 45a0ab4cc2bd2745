// The window's manuscript commands: the menu items and their shortcut, Qt's
// print preview showing the manuscript's sheets, and the count at the right of
// the status bar after a conversion.

#include "print_commands.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QStatusBar>
#include <QTimer>
#include <memory>

#include "conversion_run.h"
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
  std::unique_ptr<frmMain> window;
  std::unique_ptr<MessageRecorder> messages;

  void setSource(const QString& text) { window->txtMain()->setPlainText(text); }

 private Q_SLOTS:
  void initTestCase() { QVERIFY(registerProgressBar()); }

  void init() {
    messages = std::make_unique<MessageRecorder>();
    window = std::make_unique<frmMain>();
    addPrintCommands(*window);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
  }

  void cleanup() {
    window->setCloseAllowed(true);
    window.reset();
    messages.reset();
  }

  void bothCommandsStandInTheMenuBarAndCtrlPPrints() {
    auto* print = window->findChild<QAction*>(QStringLiteral("mnuPrint"));
    auto* pdf = window->findChild<QAction*>(QStringLiteral("mnuExportPdf"));
    QVERIFY(print != nullptr && pdf != nullptr);
    QCOMPARE(print->text(), QStringLiteral("印刷…"));
    QCOMPARE(pdf->text(), QStringLiteral("PDFに書き出す…"));
    QCOMPARE(print->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    QVERIFY(window->menuBar()->actions().contains(print) && window->menuBar()->actions().contains(pdf));
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
    QTimer::singleShot(0, window.get(), [&] {
      auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
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
    printManuscript(*window);
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
