// Loading the source text from a file into the main window: the Load command
// with its dialog, the reader (encodings, line ends, the pane's limit), the
// busy state, the messages, the clipboard and a file dropped on the pane.
#include "source_loading.h"

#include <sys/stat.h>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <algorithm>
#include <functional>
#include <memory>

#include "fake_dialogs.h"
#include "frm_main.h"
#include "frm_progress.h"
#include "options/option_table.h"
#include "settings_model.h"
#include "source_text_edit.h"
#include "window_controls.h"

using zelvato::testing::Asked;
using zelvato::testing::FakeDialogs;
using zelvato::ui::frmMain;
using zelvato::ui::MessageAnswer;
using zelvato::ui::MessageButtons;
using zelvato::ui::MessageIcon;

namespace {

const QString notFound = QStringLiteral("ﾌｧｲﾙが見つかりません.");
const QString readError = QStringLiteral("ﾌｧｲﾙを読み込み中にｴﾗｰが発生しました.");
const QString hint = QStringLiteral("縦書きにする文章を入力し、変換ﾎﾞﾀﾝをクリックします");

// Lines of `width` characters `c`, each ended by CR LF, `count` of them.
QString repeatedLines(QChar c, int width, int count) {
  QString text;
  const QString line = QString(width, c) + QStringLiteral("\r\n");
  for (int i = 0; i < count; ++i) text += line;
  return text;
}

}  // namespace

class SourceLoadingTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  std::unique_ptr<frmMain> window_;
  FakeDialogs dialogs_;
  QList<Asked>& messages_ = dialogs_.shown;

  QString writeFile(const QString& name, const QByteArray& bytes) {
    const QString path = dir_.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return {};
    file.write(bytes);
    return path;
  }

  zelvato::ui::SourceTextEdit* pane() const { return window_->txtMain(); }
  // The Load command; the file is read on a worker, so this waits for its end.
  bool open() {
    zelvato::openSourceFile(*window_);
    return QTest::qWaitFor([] { return !zelvato::sourceLoading(); }, 60000);
  }
  QString paneText() const { return window_->sourceText(); }

  // The window is idle again: commands and tabs usable, no progress window;
  // after a file was loaded the status bar names its encoding, otherwise it is empty.
  void verifyIdle(bool loaded = false) {
    QVERIFY(window_->Toolbar1()->isEnabled());
    QVERIFY(window_->SSTabMain()->isEnabled());
    QVERIFY(zelvato::loadedProgressWindow() == nullptr);
    if (loaded)
      QVERIFY2(window_->statusText().startsWith(QStringLiteral("ﾌｧｲﾙを読み込みました. 文字ｺｰﾄﾞ: ")),
               qPrintable(window_->statusText()));
    else
      QCOMPARE(window_->statusText(), QString());
  }

  void dragAndDrop(QMimeData* data, bool* entered = nullptr, bool* dropped = nullptr) {
    QWidget* target = pane()->viewport();
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (entered) *entered = enter.isAccepted();
    QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    if (dropped) *dropped = drop.isAccepted();
  }

 private Q_SLOTS:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    // The progress window looks its bar control up in a registry of the test's own.
    qputenv("ZELVATO_CONTROL_REGISTRY", dir_.filePath(QStringLiteral("controls.ini")).toLocal8Bit());
    // The recent files go to the test's own settings file.
    qputenv("XDG_CONFIG_HOME", dir_.filePath(QStringLiteral("config")).toLocal8Bit());
    window_ = std::make_unique<frmMain>(&dialogs_);
    zelvato::installSourceFileDrop(*window_);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }

  void cleanupTestCase() { window_.reset(); }

  void init() {
    dialogs_.asked.clear();
    messages_.clear();
    window_->SSTabMain()->setEnabled(true);
    window_->showTab(zelvato::ui::Tab::output);
    pane()->setPlainText(QStringLiteral("text typed before"));
    window_->setSourceModified(false);
    window_->setStatusText(QString());
  }

  // ---- the Load command ------------------------------------------------------

  void loadCommandReadsTheFileLineByLine_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("encoding");  // named in the status bar afterwards
    // Code page 932 bytes as written by `iconv -t CP932`.
    QTest::newRow("code page 932") << QByteArray("\x8F\x63\x8F\x91\x82\xAB\r\nabc\r\n") << "縦書き\r\nabc\r\n"
                                   << "Shift_JIS (CP932)";
    // ﾃｷ reads as the valid UTF-8 "÷" alone, but the whole file is no UTF-8.
    QTest::newRow("code page 932 half-width katakana") << QByteArray("\xC3\xB7\xBD\xC4\r\n") << "ﾃｷｽﾄ\r\n"
                                                       << "Shift_JIS (CP932)";
    QTest::newRow("UTF-8 without byte-order mark") << QByteArray("縦書き\r\nabc\r\n") << "縦書き\r\nabc\r\n"
                                                   << "UTF-8";
    QTest::newRow("UTF-8 with byte-order mark") << QByteArray("\xEF\xBB\xBF縦書き\r\n") << "縦書き\r\n"
                                                << "UTF-8 (BOM)";
    // The loader decodes as the command line does (one shared decoder).
    QTest::newRow("UTF-16LE with byte-order mark")
        << QByteArray("\xFF\xFE\x26\x7E\x0D\x00\x0A\x00", 8) << "縦\r\n"
        << "UTF-16LE";
    QTest::newRow("empty file leaves the pane empty") << QByteArray() << ""
                                                      << "UTF-8";
    // The pane holds the file's lines as they are: no line break is added.
    QTest::newRow("last line without line end stays so") << QByteArray("abc") << "abc"
                                                         << "UTF-8";
    QTest::newRow("LF only") << QByteArray("a\nb\n") << "a\r\nb\r\n"
                             << "UTF-8";
    QTest::newRow("CR only") << QByteArray("a\rb\r") << "a\r\nb\r\n"
                             << "UTF-8";
    QTest::newRow("mixed line ends") << QByteArray("a\r\nb\rc\nd") << "a\r\nb\r\nc\r\nd"
                                     << "UTF-8";
    QTest::newRow("blank lines kept") << QByteArray("\r\n\r\nx\n\n") << "\r\n\r\nx\r\n\r\n"
                                      << "UTF-8";
    QTest::newRow("tab and full-width tilde") << QByteArray("a\tb\x81\x60") << "a\tb～"
                                              << "Shift_JIS (CP932)";
  }
  void loadCommandReadsTheFileLineByLine() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QFETCH(QString, encoding);
    const QString path = writeFile(QStringLiteral("source.txt"), bytes);
    dialogs_.answerFile(path);
    QVERIFY(open());
    QCOMPARE(paneText(), expected);
    QCOMPARE(messages_.size(), 0);
    QCOMPARE(shownTab(*window_), zelvato::ui::Tab::source);
    QCOMPARE(window_->statusText(), QStringLiteral("ﾌｧｲﾙを読み込みました. 文字ｺｰﾄﾞ: ") + encoding);
    verifyIdle(true);
  }

  void theOpenDialogAsksForATextFile() {
    QVERIFY(open());
    const QList<Asked> asked = dialogs_.of(Asked::Kind::openFile);
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked[0].title, QStringLiteral("変換元ﾌｧｲﾙの選択"));
    QCOMPARE(asked[0].filters,
             (QStringList{QStringLiteral("ﾃｷｽﾄﾌｧｲﾙ (*.txt)"), QStringLiteral("全てのﾌｧｲﾙ (*)")}));
    QCOMPARE(asked[0].selectedFilter, QStringLiteral("ﾃｷｽﾄﾌｧｲﾙ (*.txt)"));
    QCOMPARE(asked[0].suffix, QStringLiteral("txt"));
  }

  void cancelledDialogSelectsTheSourceTabAndChangesNothing() {
    QVERIFY(QApplication::clipboard());
    QVERIFY(open());
    QCOMPARE(dialogs_.of(Asked::Kind::openFile).size(), 1);
    QCOMPARE(shownTab(*window_), zelvato::ui::Tab::source);
    QCOMPARE(paneText(), QStringLiteral("text typed before"));
    QCOMPARE(messages_.size(), 0);
    verifyIdle();
  }

  void aLongTextLoadsWhole_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    // 700 lines of 98 "字" (0x8E 0x9A) and CR LF: 70,000 code units.
    const QByteArray cp932Line = QByteArray("\x8E\x9A").repeated(98) + "\r\n";
    QTest::newRow("70,000 code units in lines, code page 932")
        << cp932Line.repeated(700) << repeatedLines(u'字', 98, 700);
    const QString oneLine(70000, u'x');
    QTest::newRow("one line of 70,000") << oneLine.toLatin1() << oneLine;
    // A novel's length: 3,750 lines of 98 "あ" and LF, 375,000 code units, 1.1 MB of UTF-8.
    const QByteArray utf8Line = QString(98, u'あ').toUtf8() + "\n";
    QTest::newRow("a novel in UTF-8") << utf8Line.repeated(3750) << repeatedLines(u'あ', 98, 3750);
  }
  void aLongTextLoadsWhole() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    const QString path = writeFile(QStringLiteral("long.txt"), bytes);
    dialogs_.answerFile(path);
    QVERIFY(open());
    QCOMPARE(paneText().size(), expected.size());
    QCOMPARE(paneText(), expected);
    QCOMPARE(lblHcov(*window_, 20)->text(), frmMain::characterCountText(pane()->toPlainText()));
    QCOMPARE(messages_.size(), 0);
    verifyIdle(true);
  }

  void theFileIsReadWhileTheWindowRuns() {
    const QString path = writeFile(QStringLiteral("worker.txt"), QByteArray("\x82\xA0\r\n").repeated(200000));
    zelvato::openNamedFile(*window_, path);
    // The command returned before the text arrived; the window is busy meanwhile.
    QVERIFY(zelvato::sourceLoading());
    QCOMPARE(paneText(), QStringLiteral("text typed before"));
    QVERIFY(!window_->Toolbar1()->isEnabled());
    QVERIFY(!window_->SSTabMain()->isEnabled());
    QVERIFY(zelvato::loadedProgressWindow() && zelvato::loadedProgressWindow()->isVisible());
    QCOMPARE(zelvato::loadedProgressWindow()->lblMessage()->text(),
             QStringLiteral("ﾌｧｲﾙを読み込み中です..."));
    QCOMPARE(window_->statusText(), QStringLiteral("ﾌｧｲﾙを読み込み中..."));
    QVERIFY(QTest::qWaitFor([] { return !zelvato::sourceLoading(); }, 60000));
    QCOMPARE(pane()->sourceLength(), 200000 * 3);
    QCOMPARE(lblHcov(*window_, 20)->text(), QStringLiteral("( 200,000 字 / 200,000 行)"));
    verifyIdle(true);
  }

  // ---- edited text is kept ------------------------------------------------------

  void editedTextIsAskedAboutBeforeALoad_data() {
    QTest::addColumn<MessageAnswer>("answer");
    QTest::addColumn<bool>("loaded");
    QTest::newRow("破棄 loads the file") << MessageAnswer::discard << true;
    QTest::newRow("キャンセル keeps the text") << MessageAnswer::cancel << false;
  }
  void editedTextIsAskedAboutBeforeALoad() {
    QFETCH(MessageAnswer, answer);
    QFETCH(bool, loaded);
    const QString path = writeFile(QStringLiteral("asked.txt"), QByteArray("from the file"));
    pane()->setFocus();
    pane()->moveCursor(QTextCursor::End);
    QTest::keyClicks(pane(), QStringLiteral(" and typed"));
    QVERIFY(window_->sourceModified());
    QVERIFY(window_->isWindowModified());
    dialogs_.answers = {answer};
    zelvato::openNamedFile(*window_, path);
    QVERIFY(QTest::qWaitFor([] { return !zelvato::sourceLoading(); }, 60000));
    QCOMPARE(messages_.size(), 1);
    QCOMPARE(messages_.first().text, QStringLiteral("変換元文章が変更されています. 保存しますか?"));
    QCOMPARE(paneText(),
             loaded ? QStringLiteral("from the file") : QStringLiteral("text typed before and typed"));
    QCOMPARE(window_->sourceModified(), !loaded);
    if (loaded) QCOMPARE(window_->windowTitle(), QStringLiteral("asked.txt[*] - Zelvato"));
  }

  // ---- failures --------------------------------------------------------------

  void missingOrUnreadableFileIsReportedAndTheTextStays_data() {
    QTest::addColumn<bool>("viaDialog");
    QTest::addColumn<bool>("pipe");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing file chosen in the dialog") << true << false << notFound;
    QTest::newRow("missing file given to loadSourceFile") << false << false << notFound;
    // A pipe is there but is no plain file: reading it could wait for ever.
    QTest::newRow("pipe chosen in the dialog") << true << true << readError;
    QTest::newRow("pipe given to loadSourceFile leaves the message to its caller")
        << false << true << QString();
  }
  void missingOrUnreadableFileIsReportedAndTheTextStays() {
    QFETCH(bool, viaDialog);
    QFETCH(bool, pipe);
    QFETCH(QString, message);
    const QString path = dir_.filePath(pipe ? QStringLiteral("pipe.txt") : QStringLiteral("not-there.txt"));
    QFile::remove(path);
    if (pipe) QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    if (viaDialog) {
      dialogs_.answerFile(path);
      QVERIFY(open());
      QCOMPARE(shownTab(*window_), zelvato::ui::Tab::source);
      verifyIdle();
    } else {
      QVERIFY(!zelvato::loadSourceFile(*window_, path));
    }
    QCOMPARE(messages_.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty()) {
      QCOMPARE(messages_.first().text, message);
      QCOMPARE(messages_.first().icon, MessageIcon::stop);
    }
    QCOMPARE(paneText(), QStringLiteral("text typed before"));
  }

  // ---- the window around the loading -----------------------------------------

  void loadingLeavesTheClipboardAlone() {
    QApplication::clipboard()->setText(QStringLiteral("copied by the user"));
    dialogs_.answerFile(writeFile(QStringLiteral("clip.txt"), QByteArray("new text\r\n")));
    QVERIFY(open());
    QCOMPARE(paneText(), QStringLiteral("new text\r\n"));
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("copied by the user"));
  }

  void loadedTextIsShownFromItsBeginningWithTheKeyboardBack() {
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    pane()->setFocus();
    QVERIFY(pane()->hasFocus());
    dialogs_.answerFile(writeFile(QStringLiteral("top.txt"), repeatedLines(u't', 40, 300).toLatin1()));
    QVERIFY(open());
    QCOMPARE(pane()->sourceLength(), 300 * 42);
    QCOMPARE(pane()->textCursor().position(), 0);
    QCOMPARE(pane()->verticalScrollBar()->value(), 0);
    // Back in the window after the dialog, the keyboard is in the pane again.
    QTRY_VERIFY(window_->isActiveWindow());
    QVERIFY(pane()->hasFocus());
  }

  void characterCountFollowsTheLoadedText_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("label");
    QTest::newRow("three characters") << QByteArray("あいう") << "( 3 字 / 1 行)";
    QTest::newRow("a line of 1,232 and CR LF")
        << QByteArray(repeatedLines(u'b', 1232, 1).toLatin1()) << "( 1,232 字 / 1 行)";
    // The file's bytes are not what is counted: a character outside the plane is one.
    QTest::newRow("400 あ and 𠮷 in UTF-8")
        << (QString(400, QChar(u'あ')) + QStringLiteral("\n𠮷\n")).toUtf8() << "( 401 字 / 2 行)";
    QTest::newRow("empty file brings back the hint") << QByteArray() << hint;
  }
  void characterCountFollowsTheLoadedText() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, label);
    dialogs_.answerFile(writeFile(QStringLiteral("count.txt"), bytes));
    QVERIFY(open());
    QCOMPARE(lblHcov(*window_, 20)->text(), label);
  }

  // A text in Aozora Bunko's notation switches 青空文庫注記 on, and the status bar says so.
  void aozoraNotationIsDetectedOnLoad_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("onBefore");
    QTest::addColumn<bool>("onAfter");
    QTest::newRow("ruby") << QByteArray("吾輩《わがはい》は猫である\n") << false << true;
    QTest::newRow("an annotation") << QByteArray("一\n［＃改ページ］\n二\n") << false << true;
    QTest::newRow("the header's table of symbols")
        << QByteArray("坊っちゃん\n夏目漱石\n\n【テキスト中に現れる記号について】\n") << false << true;
    QTest::newRow("plain text") << QByteArray("雪が降る。\n") << false << false;
    QTest::newRow("a closing bracket alone") << QByteArray("》と《\n") << false << false;
    QTest::newRow("already on: nothing said") << QByteArray("吾輩《わがはい》\n") << true << true;
  }
  void aozoraNotationIsDetectedOnLoad() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, onBefore);
    QFETCH(bool, onAfter);
    const zelvato::OptionEntry* aozora = zelvato::findOption("aozoraNotation");
    window_->settings().editChecked(*aozora, onBefore);
    dialogs_.answerFile(writeFile(QStringLiteral("aozora.txt"), bytes));
    QVERIFY(open());
    QCOMPARE(window_->readSettings().aozoraNotation, onAfter);
    QCOMPARE(window_->statusText().contains(QStringLiteral("青空文庫注記をｵﾝにしました")),
             onAfter && !onBefore);
    window_->settings().editChecked(*aozora, false);
  }

  void loadedTextCannotBeUndoneIntoTheOldText() {
    dialogs_.answerFile(writeFile(QStringLiteral("undo.txt"), QByteArray("loaded")));
    QVERIFY(open());
    QVERIFY(!pane()->document()->isUndoAvailable());
    QVERIFY(pane()->document()->isUndoRedoEnabled());
    // Typing after the load can be undone as usual.
    pane()->setFocus();
    pane()->moveCursor(QTextCursor::End);
    QTest::keyClicks(pane(), QStringLiteral("z"));
    QVERIFY(pane()->document()->isUndoAvailable());
    pane()->undo();
    QCOMPARE(paneText(), QStringLiteral("loaded"));
  }

  // ---- dropping a file on the pane -------------------------------------------

  void droppedFileIsLoadedAsByTheLoadCommand_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("withPathAsText");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("message");
    const QByteArray cp932("\x8F\x63\x8F\x91\x82\xAB\r\n");
    QTest::newRow("file URL only") << cp932 << false << "縦書き\r\n" << QString();
    // File managers also offer the path as text; the file is loaded, the path not typed.
    QTest::newRow("file URL with its path as text") << cp932 << true << "縦書き\r\n" << QString();
    QTest::newRow("long file loads whole")
        << QByteArray(70000, 'q') << false << QString(70000, u'q') << QString();
    QTest::newRow("file gone before the drop") << QByteArray() << false << "text typed before" << notFound;
  }
  void droppedFileIsLoadedAsByTheLoadCommand() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, withPathAsText);
    QFETCH(QString, expected);
    QFETCH(QString, message);
    QString path = writeFile(QStringLiteral("dropped.txt"), bytes);
    if (message == notFound) QVERIFY(QFile::remove(path));
    window_->showTab(zelvato::ui::Tab::source);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    if (withPathAsText) data.setText(path);
    bool entered = false;
    bool dropped = false;
    dragAndDrop(&data, &entered, &dropped);
    QVERIFY(entered);
    QVERIFY(dropped);
    if (message.isEmpty()) {
      QTRY_COMPARE(paneText(), expected);
      QCOMPARE(messages_.size(), 0);
    } else {
      QTRY_COMPARE(messages_.size(), 1);
      QCOMPARE(messages_.first().text, message);
      QCOMPARE(messages_.first().icon, MessageIcon::stop);
      QCOMPARE(paneText(), expected);
    }
    verifyIdle(message != notFound);
  }

  void dropsThatAreNoSingleFileLoadNothing_data() {
    QTest::addColumn<int>("kind");
    QTest::newRow("two files") << 0;
    QTest::newRow("a folder") << 1;
    QTest::newRow("a file while a conversion disables the pane") << 2;
  }
  void dropsThatAreNoSingleFileLoadNothing() {
    QFETCH(int, kind);
    const QString a = writeFile(QStringLiteral("a.txt"), QByteArray("a"));
    const QString b = writeFile(QStringLiteral("b.txt"), QByteArray("b"));
    window_->showTab(zelvato::ui::Tab::source);
    QMimeData data;
    if (kind == 0) data.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)});
    if (kind == 1) data.setUrls({QUrl::fromLocalFile(dir_.path())});
    if (kind == 2) {
      data.setUrls({QUrl::fromLocalFile(a)});
      window_->SSTabMain()->setEnabled(false);
    }
    // A drag the pane does not take on entering is never dropped.
    bool entered = true;
    dragAndDrop(&data, &entered);
    QTest::qWait(50);
    QVERIFY(!entered);
    QCOMPARE(paneText(), QStringLiteral("text typed before"));
    QCOMPARE(messages_.size(), 0);
    window_->SSTabMain()->setEnabled(true);
  }

  void droppedTextIsStillTypedIntoThePane() {
    window_->showTab(zelvato::ui::Tab::source);
    pane()->clear();
    QMimeData data;
    data.setText(QStringLiteral("dragged words"));
    bool dropped = false;
    dragAndDrop(&data, nullptr, &dropped);
    QVERIFY(dropped);
    QCOMPARE(paneText(), QStringLiteral("dragged words"));
    QCOMPARE(messages_.size(), 0);
  }
};

QTEST_MAIN(SourceLoadingTest)
#include "source_loading_test.moc"
