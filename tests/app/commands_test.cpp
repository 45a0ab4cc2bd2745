// The toolbar and editing commands through the real main window, joined as
// the program joins them: New, Load, Save HTML, Convert, Stop and Help,
// select-all in both panes, and copy-all.
#include "commands.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <memory>

#include "conversion_run.h"
#include "frm_main.h"
#include "main_window_fixture.h"
#include "platform_routines.h"
#include "source_text_edit.h"
#include "text/codepage.h"
#include "window_controls.h"

using namespace zelvato;
using namespace zelvato::testing;
using zelvato::testing::Asked;
using zelvato::testing::FakeDialogs;
using zelvato::ui::frmMain;
using zelvato::ui::MessageAnswer;
using zelvato::ui::MessageButtons;
using zelvato::ui::MessageIcon;

Q_DECLARE_METATYPE(zelvato::ui::MessageAnswer)

namespace {

const QString hint = QStringLiteral("縦書きにする文章を入力し、変換ﾎﾞﾀﾝをクリックします");

}  // namespace

class CommandsTest : public QObject {
  Q_OBJECT

 public:
  static void initMain() { prepareMainWindowTest(); }

 private:
  std::unique_ptr<FakeDialogs> messages;
  std::unique_ptr<frmMain> window;

  void press(int button) { toolbarButton(*window, button)->trigger(); }
  QList<Asked::Kind> kinds() const {
    QList<Asked::Kind> asked;
    for (const Asked& a : messages->asked) asked << a.kind;
    return asked;
  }
  bool idle() {
    return QTest::qWaitFor([this] { return !conversionRunning(*window); }, 120000);
  }

 private Q_SLOTS:
  void initTestCase() { QVERIFY(registerProgressBar()); }

  void init() {
    messages = std::make_unique<FakeDialogs>();
    QFile::remove(testPreviewFilePath());
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

  void saveHtmlWithAnEmptySourceLoadsItThenAsks() {
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("source.txt"));
    QFile file(source);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\x8F\x63\x8F\x91\x82\xAB\r\n");
    file.close();
    // The open dialog takes the source, the save dialog the output file.
    messages->answerFile(source);
    messages->answerFile(dir.filePath(QStringLiteral("out.html")));
    messages->answers = {MessageAnswer::no};
    press(3);
    // The source is read on a worker; the output file and the question follow its end.
    QTRY_COMPARE_WITH_TIMEOUT(messages->shown.size(), 1, 10000);
    QCOMPARE(kinds(),
             (QList<Asked::Kind>{Asked::Kind::openFile, Asked::Kind::saveFile, Asked::Kind::message}));
    QCOMPARE(messages->shown[0].buttons, MessageButtons::yesNoCancel);
    QCOMPARE(window->sourceText(), QStringLiteral("縦書き\r\n"));
    QCOMPARE(txtOutput(*window, 0)->text(), dir.filePath(QStringLiteral("out.html")));
  }

  void newEmptiesTheSourceAndBringsBackTheHint() {
    window->txtMain()->setPlainText(QStringLiteral("縦書き"));
    window->showTab(ui::Tab::output);
    QVERIFY(lblHcov(*window, 20)->text() != hint);
    press(1);
    QVERIFY(window->txtMain()->toPlainText().isEmpty());
    QCOMPARE(shownTab(*window), ui::Tab::source);
    QCOMPARE(lblHcov(*window, 20)->text(), hint);
    QCOMPARE(messages->shown.size(), 0);
  }

  void loadWithTheDialogCancelledShowsTheSourceTab() {
    window->showTab(ui::Tab::output);
    press(2);
    QCOMPARE(kinds(), QList<Asked::Kind>{Asked::Kind::openFile});
    QCOMPARE(shownTab(*window), ui::Tab::source);
    QCOMPARE(messages->shown.size(), 0);
  }

  void convertButtonRunsAndStopButtonEndsTheRunKeepingTheSource() {
    window->txtMain()->setPlainText(QStringLiteral("春はあけぼの。やうやう白くなりゆく山ぎは"));
    press(5);
    QVERIFY(idle());
    QCOMPARE(window->statusText(), QStringLiteral("変換完了しました."));
    QCOMPARE(shownTab(*window), ui::Tab::preview);

    // A long run (blocks of 3 x 3, seconds of work), stopped from the toolbar
    // at the first pass of the event loop.
    QString text;
    while (text.size() < 300000) text += QStringLiteral("いろはにほへとちりぬるを\n");
    window->txtMain()->setPlainText(text);
    txtAppearance(*window, 0)->setText(QStringLiteral("3"));
    txtAppearance(*window, 2)->setText(QStringLiteral("3"));
    const QString source = window->sourceText();
    bool stopped = false;
    QTimer stopper;
    stopper.setInterval(0);
    connect(&stopper, &QTimer::timeout, this, [&] {
      if (!stopped && conversionRunning(*window)) {
        stopped = true;
        press(6);
      }
    });
    stopper.start();
    press(5);
    QVERIFY(idle());
    stopper.stop();
    QVERIFY(stopped);
    // Stopping is no error: the information icon, and the status bar says the same.
    QCOMPARE(messages->shown.size(), 1);
    QCOMPARE(messages->shown[0].text, QStringLiteral("変換を中止しました."));
    QCOMPARE(messages->shown[0].icon, MessageIcon::information);
    QCOMPARE(window->statusText(), QStringLiteral("変換を中止しました."));
    QCOMPARE(shownTab(*window), ui::Tab::source);
    QCOMPARE(window->sourceText(), source);
    QVERIFY(!QFile::exists(testPreviewFilePath()));
  }

  void commandsOtherThanStopDoNothingDuringARun_data() {
    QTest::addColumn<int>("button");
    for (int button : {1, 2, 3, 5, 7}) QTest::addRow("button %d", button) << button;
  }

  void commandsOtherThanStopDoNothingDuringARun() {
    QFETCH(int, button);
    QString text;
    while (text.size() < 60000) text += QStringLiteral("いろはにほへとちりぬるを\n");
    window->txtMain()->setPlainText(text);
    const QString source = window->sourceText();
    bool pressed = false;
    int tabDuringRun = -1;
    QTimer presser;
    presser.setInterval(0);
    connect(&presser, &QTimer::timeout, this, [&] {
      if (pressed || !conversionRunning(*window)) return;
      pressed = true;
      // Disabled buttons cannot be pressed; the window refuses the command as well.
      QAction* action = toolbarButton(*window, button);
      QVERIFY(!action->isEnabled());
      action->setEnabled(true);
      press(button);
      action->setEnabled(false);
      tabDuringRun = window->SSTabMain()->currentIndex();
    });
    presser.start();
    press(5);
    QVERIFY(idle());
    presser.stop();
    QVERIFY(pressed);
    QCOMPARE(tabDuringRun, 0);
    QCOMPARE(messages->asked.size(), 0);
    QCOMPARE(window->sourceText(), source);
    QCOMPARE(window->statusText(), QStringLiteral("変換完了しました."));
  }

  void saveHtmlWithAnEmptySourceAndTheOpenDialogCancelledAsksNothing() {
    press(3);
    // The open dialog, then still the output file chooser; no question.
    QCOMPARE(kinds(), (QList<Asked::Kind>{Asked::Kind::openFile, Asked::Kind::saveFile}));
    QVERIFY(optOutput(*window, 1)->isChecked());
    QVERIFY(!QFile::exists(testPreviewFilePath()));
  }

  void saveHtmlAsksBeforeConverting_data() {
    QTest::addColumn<MessageAnswer>("answer");
    QTest::addColumn<bool>("wasChecked");  // optOutput(1) selected before
    QTest::newRow("yes converts into the chosen file") << MessageAnswer::yes << false;
    QTest::newRow("no leaves the output page shown") << MessageAnswer::no << false;
    QTest::newRow("cancel leaves the output page shown") << MessageAnswer::cancel << false;
    QTest::newRow("no, with a single file already chosen") << MessageAnswer::no << true;
  }

  void saveHtmlAsksBeforeConverting() {
    QFETCH(MessageAnswer, answer);
    QFETCH(bool, wasChecked);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("out.html"));
    if (wasChecked) optOutput(*window, 1)->setChecked(true);
    button(*window, "cmdFileSelect")->setEnabled(false);  // the option's rule enables it again
    window->txtMain()->setPlainText(QStringLiteral("縦書きの文章"));
    messages->answers = {answer};
    messages->answerFile(file);

    press(3);
    QVERIFY(idle());

    QCOMPARE(kinds(), (QList<Asked::Kind>{Asked::Kind::saveFile, Asked::Kind::message}));
    QCOMPARE(txtOutput(*window, 0)->text(), file);
    QVERIFY(optOutput(*window, 1)->isChecked());
    QVERIFY(button(*window, "cmdFileSelect")->isEnabled());
    QVERIFY(txtOutput(*window, 0)->isEnabled());
    QCOMPARE(messages->shown.size(), 1);
    QCOMPARE(messages->shown[0].text,
             QStringLiteral("すぐに変換しますか？\r\n\r\n変換しないと保存されません."));
    QCOMPARE(messages->shown[0].icon, MessageIcon::question);
    QCOMPARE(messages->shown[0].buttons, MessageButtons::yesNoCancel);
    if (answer == MessageAnswer::yes) {
      QCOMPARE(window->statusText(), QStringLiteral("変換完了しました."));
      QCOMPARE(shownTab(*window), ui::Tab::preview);
      QVERIFY(fileBytes(file).startsWith("<HTML><HEAD><META http-equiv="));
    } else {
      QCOMPARE(shownTab(*window), ui::Tab::output);
      QVERIFY(!QFile::exists(file));
      QVERIFY(!QFile::exists(testPreviewFilePath()));
    }
  }

  void ctrlASelectsTheWholePane_data() {
    QTest::addColumn<QString>("pane");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("selectsAll");
    for (const char* pane : {"txtMain", "txtHTML"}) {
      QTest::addRow("%s: Ctrl+A selects all", pane)
          << QString::fromLatin1(pane) << Qt::KeyboardModifiers(Qt::ControlModifier) << true;
      QTest::addRow("%s: Ctrl+Shift+A does not", pane)
          << QString::fromLatin1(pane) << (Qt::ControlModifier | Qt::ShiftModifier) << false;
      QTest::addRow("%s: Ctrl+Alt+A does not", pane)
          << QString::fromLatin1(pane) << (Qt::ControlModifier | Qt::AltModifier) << false;
    }
  }

  void ctrlASelectsTheWholePane() {
    QFETCH(QString, pane);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, selectsAll);
    QPlainTextEdit* edit = pane == QLatin1String("txtMain") ? window->txtMain() : window->txtHTML();
    window->SSTabMain()->setCurrentIndex(pane == QLatin1String("txtMain") ? 0 : 4);
    edit->setPlainText(QStringLiteral("一行目\n二行目"));
    QTextCursor cursor = edit->textCursor();
    cursor.setPosition(2);
    edit->setTextCursor(cursor);
    edit->setFocus();

    QTest::keyClick(edit, Qt::Key_A, modifiers);

    const QTextCursor after = edit->textCursor();
    const bool all = after.selectionStart() == 0 && after.selectionEnd() == edit->toPlainText().size();
    QCOMPARE(all, selectsAll);
  }

  void keysGoOnToThePane() {
    window->txtMain()->setPlainText(QString());
    window->txtMain()->setFocus();
    QTest::keyClicks(window->txtMain(), QStringLiteral("aA"));
    QTest::keyClick(window->txtMain(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(window->txtMain(), Qt::Key_B);
    // Ctrl+A selected "aA", which the typed b then replaced.
    QCOMPARE(window->txtMain()->toPlainText(), QStringLiteral("b"));
  }

  void copyAllPutsThePaneOnTheClipboardWithCrLf_data() {
    QTest::addColumn<QString>("pane");
    QTest::addColumn<QString>("clipboard");
    QTest::newRow("markup") << QStringLiteral("<PRE>\n行\n</PRE>\n")
                            << QStringLiteral("<PRE>\r\n行\r\n</PRE>\r\n");
    QTest::newRow("empty pane") << QString() << QString();
  }

  void copyAllPutsThePaneOnTheClipboardWithCrLf() {
    QFETCH(QString, pane);
    QFETCH(QString, clipboard);
    QApplication::clipboard()->setText(QStringLiteral("before"));
    window->txtHTML()->setPlainText(pane);
    window->showTab(ui::Tab::html);

    cmdAllSelect(*window, 1)->click();

    QTRY_COMPARE(QApplication::clipboard()->text(), clipboard);
    QCOMPARE(messages->shown.size(), 1);
    QCOMPARE(messages->shown[0].text, QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰしました."));
    QCOMPARE(messages->shown[0].icon, MessageIcon::information);
    const QTextCursor selection = window->txtHTML()->textCursor();
    QCOMPARE(selection.selectionStart(), 0);
    QCOMPARE(selection.selectionEnd(), pane.size());
  }

  void copyAllAfterARunCopiesEveryBlock() {
    window->txtMain()->setPlainText(QStringLiteral("あいうえお\nかきくけこ"));
    txtAppearance(*window, 0)->setText(QStringLiteral("3"));
    txtAppearance(*window, 2)->setText(QStringLiteral("3"));
    press(5);
    QVERIFY(idle());
    cmdAllSelect(*window, 1)->click();
    const QByteArray preview = fileBytes(testPreviewFilePath());
    const QString blocks =
        QString::fromStdU16String(decodeCp932(std::string_view(preview.constData(), preview.size())))
            .section(QStringLiteral("\r\n"), 2);  // after the generator and encoding lines
    QCOMPARE(blocks.count(QStringLiteral("<PRE>")), 2);
    QCOMPARE(QApplication::clipboard()->text(), blocks);
  }

  void helpOpensItsOwnWindowAndThePreviewKeepsTheResult() {
    appFolder = QStringLiteral(PROGRAM_DIR "/");
    const QString page = QStringLiteral(PROGRAM_DIR "/help/index.html");
    QVERIFY(QFile::exists(page));
    window->txtMain()->setPlainText(QStringLiteral("縦書き"));
    press(5);
    QVERIFY(idle());
    QTRY_COMPARE_WITH_TIMEOUT(window->brwIE()->url(), QUrl::fromLocalFile(testPreviewFilePath()), 10000);

    press(7);
    QWidget* help = window->helpWindow();
    QVERIFY(help && help->isVisible() && help->isWindow());
    auto* view = help->findChild<QWebEngineView*>();
    QSignalSpy loaded(view, &QWebEngineView::loadFinished);
    QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty() && loaded.last().at(0).toBool(), 10000);
    QCOMPARE(view->url(), QUrl::fromLocalFile(page));
    QVERIFY(!view->title().isEmpty());
    // The preview still shows the result; RELOAD reloads the result, not the help.
    QCOMPARE(window->brwIE()->url(), QUrl::fromLocalFile(testPreviewFilePath()));
    window->refresh();
    QTRY_COMPARE_WITH_TIMEOUT(window->brwIE()->url(), QUrl::fromLocalFile(testPreviewFilePath()), 10000);
    QCOMPARE(messages->shown.size(), 0);
  }

  void helpWindowOpensWhollyOnTheScreen_data() {
    // Where the main window stands on its screen's available area, as a fraction of the free room.
    QTest::addColumn<QPointF>("place");
    QTest::newRow("centred") << QPointF(0.5, 0.5);
    QTest::newRow("in the bottom right corner") << QPointF(1, 1);
    QTest::newRow("in the top left corner") << QPointF(0, 0);
    QTest::newRow("at the right edge, halfway down") << QPointF(1, 0.5);
  }
  void helpWindowOpensWhollyOnTheScreen() {
    QFETCH(QPointF, place);
    appFolder = QStringLiteral(PROGRAM_DIR "/");
    QScreen* screen = window->screen();
    QVERIFY(screen != nullptr);
    const QRect available = screen->availableGeometry();
    const QSize free = available.size() - window->frameGeometry().size();
    window->move(available.topLeft() + QPoint(int(free.width() * place.x()), int(free.height() * place.y())));
    press(7);  // ﾍﾙﾌﾟ, F1
    QWidget* help = window->helpWindow();
    QVERIFY(help && help->isVisible());
    QVERIFY2(available.contains(help->frameGeometry()), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                       .arg(help->frameGeometry().x())
                                                                       .arg(help->frameGeometry().y())
                                                                       .arg(help->frameGeometry().width())
                                                                       .arg(help->frameGeometry().height())));
    // Beside the main window: the two overlap.
    QVERIFY(help->frameGeometry().intersects(window->frameGeometry()));
  }
};

QTEST_MAIN(CommandsTest)
#include "commands_test.moc"
