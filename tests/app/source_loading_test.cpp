// Loading the source text from a file into the main window: the Load command
// with its dialog, the reader (encodings, line ends, the pane's limit), the
// busy state, the messages, the clipboard and a file dropped on the pane.
#include "source_loading.h"

#include <sys/stat.h>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
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

#include "../support/window_controls.h"
#include "frm_main.h"
#include "frm_progress.h"
#include "message_box.h"
#include "source_text_edit.h"

using zelvato::ui::frmMain;
using zelvato::ui::MessageAnswer;
using zelvato::ui::MessageButtons;
using zelvato::ui::MessageIcon;

namespace {

const QString notFound = QStringLiteral("ﾌｧｲﾙが見つかりません.");
const QString readError = QStringLiteral("ﾌｧｲﾙを読み込み中にｴﾗｰが発生しました.");
const QString tooLong = QStringLiteral("65,535文字を超える文章は一度に読み込めません");
const QString hint = QStringLiteral("縦書きにする文章を入力し、変換ﾎﾞﾀﾝをクリックします");

struct Message {
  QString text;
  MessageIcon icon;
};

// What the open dialog was set to when it was shown.
struct DialogSeen {
  bool shown = false;
  QString title;
  QStringList filters;
  QString selectedFilter;
  QString suffix;
  QFileDialog::AcceptMode mode = QFileDialog::AcceptSave;
  bool native = true;
};

// Runs `action` on the file dialog as soon as it is shown modal.
void whenDialogShown(std::function<void(QFileDialog*)> action) {
  auto* timer = new QTimer;
  timer->setInterval(0);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, action] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || !dialog->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    action(dialog);
  });
  timer->start();
}

// Answers the open dialog: chooses `path`, or cancels when it is empty.
void answerDialog(const QString& path, DialogSeen* seen = nullptr) {
  whenDialogShown([path, seen](QFileDialog* dialog) {
    if (seen) {
      seen->shown = true;
      seen->title = dialog->windowTitle();
      seen->filters = dialog->nameFilters();
      seen->selectedFilter = dialog->selectedNameFilter();
      seen->suffix = dialog->defaultSuffix();
      seen->mode = dialog->acceptMode();
      seen->native = !dialog->testOption(QFileDialog::DontUseNativeDialog);
    }
    if (path.isEmpty()) {
      dialog->reject();
      return;
    }
    dialog->selectFile(path);
    static_cast<QDialog*>(dialog)->accept();
  });
}

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
  QList<Message> messages_;

  QString writeFile(const QString& name, const QByteArray& bytes) {
    const QString path = dir_.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return {};
    file.write(bytes);
    return path;
  }

  zelvato::ui::SourceTextEdit* pane() const { return window_->txtMain(); }
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
    zelvato::ui::setMessageBoxHandler(
        [this](QWidget*, const QString& text, MessageIcon icon, MessageButtons) {
          messages_.append({text, icon});
          return MessageAnswer::ok;
        });
    window_ = std::make_unique<frmMain>();
    zelvato::installSourceFileDrop(*window_);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }

  void cleanupTestCase() {
    window_.reset();
    zelvato::ui::setMessageBoxHandler({});
  }

  void init() {
    messages_.clear();
    window_->SSTabMain()->setEnabled(true);
    window_->showTab(zelvato::ui::Tab::output);
    pane()->setPlainText(QStringLiteral("text typed before"));
    window_->setStatusText(QString());
  }

  // ---- the Load command ------------------------------------------------------

  void loadCommandReadsTheFileWithCrLfAfterEveryLine_data() {
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
    QTest::newRow("last line without line end gets CR LF") << QByteArray("abc") << "abc\r\n"
                                                           << "UTF-8";
    QTest::newRow("LF only") << QByteArray("a\nb\n") << "a\r\nb\r\n"
                             << "UTF-8";
    QTest::newRow("CR only") << QByteArray("a\rb\r") << "a\r\nb\r\n"
                             << "UTF-8";
    QTest::newRow("mixed line ends") << QByteArray("a\r\nb\rc\nd") << "a\r\nb\r\nc\r\nd\r\n"
                                     << "UTF-8";
    QTest::newRow("blank lines kept") << QByteArray("\r\n\r\nx\n\n") << "\r\n\r\nx\r\n\r\n"
                                      << "UTF-8";
    QTest::newRow("tab and full-width tilde") << QByteArray("a\tb\x81\x60") << "a\tb～\r\n"
                                              << "Shift_JIS (CP932)";
  }
  void loadCommandReadsTheFileWithCrLfAfterEveryLine() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QFETCH(QString, encoding);
    const QString path = writeFile(QStringLiteral("source.txt"), bytes);
    answerDialog(path);
    zelvato::openSourceFile(*window_);
    QCOMPARE(paneText(), expected);
    QCOMPARE(messages_.size(), 0);
    QCOMPARE(shownTab(*window_), zelvato::ui::Tab::source);
    QCOMPARE(window_->statusText(), QStringLiteral("ﾌｧｲﾙを読み込みました. 文字ｺｰﾄﾞ: ") + encoding);
    verifyIdle(true);
  }

  void openDialogIsSetUpForTextFilesAfterTheSaveChooserUsedIt() {
    // The output file chooser shares the dialog and leaves it in save mode.
    whenDialogShown([](QFileDialog* dialog) { dialog->reject(); });
    window_->cmdFileSelect_Click();

    DialogSeen seen;
    answerDialog(QString(), &seen);
    zelvato::openSourceFile(*window_);
    QVERIFY(seen.shown);
    QCOMPARE(seen.title, QStringLiteral("変換元ﾌｧｲﾙの選択"));
    QCOMPARE(seen.filters,
             (QStringList{QStringLiteral("ﾃｷｽﾄﾌｧｲﾙ (*.txt)"), QStringLiteral("全てのﾌｧｲﾙ (*)")}));
    QCOMPARE(seen.selectedFilter, QStringLiteral("ﾃｷｽﾄﾌｧｲﾙ (*.txt)"));
    QCOMPARE(seen.suffix, QStringLiteral("txt"));
    QCOMPARE(seen.mode, QFileDialog::AcceptOpen);
    QVERIFY(!seen.native);
  }

  void cancelledDialogSelectsTheSourceTabAndChangesNothing() {
    QVERIFY(QApplication::clipboard());
    DialogSeen seen;
    answerDialog(QString(), &seen);
    zelvato::openSourceFile(*window_);
    QVERIFY(seen.shown);
    QCOMPARE(shownTab(*window_), zelvato::ui::Tab::source);
    QCOMPARE(paneText(), QStringLiteral("text typed before"));
    QCOMPARE(messages_.size(), 0);
    verifyIdle();
  }

  void nameTypedWithoutSuffixOpensTheTextFile() {
    writeFile(QStringLiteral("story.txt"), QByteArray("typed without suffix"));
    answerDialog(dir_.filePath(QStringLiteral("story")));
    zelvato::openSourceFile(*window_);
    QCOMPARE(paneText(), QStringLiteral("typed without suffix\r\n"));
  }

  // ---- the pane's limit ------------------------------------------------------

  void textBeyondThePaneLimitIsCutWithAWarning_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("warned");
    // 700 lines of 98 "字" (0x8E 0x9A) and CR LF: 70,000 code units.
    const QByteArray cp932Line = QByteArray("\x8E\x9A").repeated(98) + "\r\n";
    QTest::newRow("70,000 code units in lines, code page 932")
        << cp932Line.repeated(700) << repeatedLines(u'字', 98, 700).left(65535) << true;
    const QString oneLine(70000, u'x');
    QTest::newRow("one line of 70,000") << oneLine.toLatin1() << oneLine.left(65535) << true;
    const QString exact = QString(65533, u'y') + QStringLiteral("\r\n");
    QTest::newRow("exactly 65,535 with its line end") << exact.toLatin1() << exact << true;
    const QString below = QString(65532, u'y') + QStringLiteral("\r\n");
    QTest::newRow("65,534 fits without a warning") << below.toLatin1() << below << false;
    // The pane takes a line break whole, as CR LF: here it no longer fits.
    const QString breakCut = QString(65534, u'v');
    QTest::newRow("line break cut off at 65,534 still warns")
        << (breakCut + QStringLiteral("\r\nmore")).toLatin1() << breakCut << true;
    // A paragraph separator in a line becomes a line break of the pane, two code units.
    const QString separators = QString(65533, QChar::ParagraphSeparator);
    QTest::newRow("paragraph separators count as line breaks")
        << separators.toUtf8() << QStringLiteral("\r\n").repeated(32767) << true;
    const QString exactNoEnd(65533, u'z');
    QTest::newRow("65,533 without line end reach 65,535 with the added CR LF")
        << exactNoEnd.toLatin1() << exactNoEnd + QStringLiteral("\r\n") << true;
    // 1,000 lines of 98 "あ" and LF: 295,000 UTF-8 bytes, more than the reader takes from
    // the head of a file, which ends inside a character.
    const QByteArray utf8Line = QString(98, u'あ').toUtf8() + "\n";
    QTest::newRow("UTF-8 longer than the head read")
        << utf8Line.repeated(1000) << repeatedLines(u'あ', 98, 1000).left(65535) << true;
  }
  void textBeyondThePaneLimitIsCutWithAWarning() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QFETCH(bool, warned);
    const QString path = writeFile(QStringLiteral("long.txt"), bytes);
    answerDialog(path);
    QElapsedTimer clock;
    clock.start();
    zelvato::openSourceFile(*window_);
    qInfo("%s: %lld ms including the dialog", QTest::currentDataTag(),
          static_cast<long long>(clock.elapsed()));
    QCOMPARE(paneText().size(), expected.size());
    QCOMPARE(paneText(), expected);
    if (warned) {
      QCOMPARE(messages_.size(), 1);
      QCOMPARE(messages_.first().text, tooLong);
      QCOMPARE(messages_.first().icon, MessageIcon::warning);
    } else {
      QCOMPARE(messages_.size(), 0);
    }
    verifyIdle(true);
  }

  void multiMegabyteFileLoadsWellUnderASecond() {
    // 8 MB of code page 932 lines; only the head that fits the pane is read.
    QByteArray line;
    for (int i = 0; i < 40; ++i) line += "\x8F\x63\x8F\x91\x82\xAB";
    line += "\r\n";
    const QString path = writeFile(QStringLiteral("huge.txt"), line.repeated(8 * 1024 * 1024 / line.size()));
    QElapsedTimer clock;
    clock.start();
    QVERIFY(zelvato::loadSourceFile(*window_, path));
    const qint64 ms = clock.elapsed();
    qInfo("8 MB file loaded in %lld ms", static_cast<long long>(ms));
    QCOMPARE(pane()->sourceLength(), 65535);
    QVERIFY(paneText().startsWith(QStringLiteral("縦書き縦書き")));
    QVERIFY2(ms < 500, qPrintable(QStringLiteral("%1 ms").arg(ms)));
  }

  void longTextKeepsTheWindowResponsive_data() {
    QTest::addColumn<QByteArray>("bytes");
    // A line without break is laid out again as a whole at every chunk.
    QTest::newRow("one line of 70,000") << QString(70000, u'あ').toUtf8();
    QTest::newRow("35,000 lines of one character") << QByteArray("\x82\xA0\r\n").repeated(35000);
  }
  void longTextKeepsTheWindowResponsive() {
    QFETCH(QByteArray, bytes);
    const QString path = writeFile(QStringLiteral("responsive.txt"), bytes);
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longestGap = 0;
    QTimer ticker;
    ticker.setInterval(1);
    connect(&ticker, &QTimer::timeout, this, [&] {
      longestGap = std::max(longestGap, clock.elapsed() - last);
      last = clock.elapsed();
    });
    ticker.start();
    clock.start();
    QVERIFY(zelvato::loadSourceFile(*window_, path));
    const qint64 total = clock.elapsed();
    longestGap = std::max(longestGap, total - last);
    qInfo("%s: %lld ms, longest time without events %lld ms", QTest::currentDataTag(),
          static_cast<long long>(total), static_cast<long long>(longestGap));
    QCOMPARE(pane()->sourceLength(), 65535);
    QVERIFY2(longestGap < 100, qPrintable(QStringLiteral("%1 ms").arg(longestGap)));
    QVERIFY2(total < 1000, qPrintable(QStringLiteral("%1 ms").arg(total)));
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
      answerDialog(path);
      zelvato::openSourceFile(*window_);
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
    answerDialog(writeFile(QStringLiteral("clip.txt"), QByteArray("new text\r\n")));
    zelvato::openSourceFile(*window_);
    QCOMPARE(paneText(), QStringLiteral("new text\r\n"));
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("copied by the user"));
  }

  void windowIsBusyWhileLoadingAndIdleAfterwards() {
    // 10,000 code units: several chunks, each appended at the end of the pane.
    const QString text = repeatedLines(u'a', 98, 100);
    const QString path = writeFile(QStringLiteral("busy.txt"), text.toLatin1());

    struct Seen {
      bool toolbar, tabs, progressShown;
      QString status, progressMessage, count;
    };
    QList<Seen> seen;
    auto look = [&] {
      zelvato::frmProgress* progress = zelvato::loadedProgressWindow();
      seen.append({window_->Toolbar1()->isEnabled(), window_->SSTabMain()->isEnabled(),
                   progress && progress->isVisible(), window_->statusText(),
                   progress ? progress->lblMessage()->text() : QString(), lblHcov(*window_, 20)->text()});
    };
    QList<int> removed;
    auto changes = connect(pane()->document(), &QTextDocument::contentsChange, this,
                           [&](int, int charsRemoved, int) { removed.append(charsRemoved); });
    auto edits = connect(pane(), &QPlainTextEdit::textChanged, this, look);
    bool yielded = false;
    whenDialogShown([&](QFileDialog* dialog) {
      // Runs once the loader yields to the event loop.
      QTimer::singleShot(0, this, [&] {
        if (zelvato::loadedProgressWindow()) {
          yielded = true;
          look();
        }
      });
      dialog->selectFile(path);
      static_cast<QDialog*>(dialog)->accept();
    });
    zelvato::openSourceFile(*window_);
    disconnect(edits);
    disconnect(changes);

    QVERIFY(yielded);
    QCOMPARE(paneText(), text);
    QVERIFY(seen.size() >= 4);  // the clearing, then 3,000-unit chunks
    for (const Seen& s : seen) {
      QVERIFY(!s.toolbar);
      QVERIFY(!s.tabs);
      QVERIFY(s.progressShown);
      QCOMPARE(s.status, QStringLiteral("ﾌｧｲﾙを読み込み中..."));
      QCOMPARE(s.progressMessage, QStringLiteral("ﾌｧｲﾙを読み込み中です..."));
    }
    // The count follows every chunk.
    QCOMPARE(seen.last().count, QStringLiteral("( 10,000 字)"));
    QVERIFY(seen.at(seen.size() - 2).count != seen.last().count);
    // The old text is removed once; after that text only goes in: nothing is set again.
    const auto cleared = std::find_if(removed.cbegin(), removed.cend(), [](int n) { return n > 0; });
    QVERIFY(cleared != removed.cend());
    QVERIFY(std::all_of(cleared + 1, removed.cend(), [](int n) { return n == 0; }));
    QVERIFY(removed.cend() - cleared > 3);  // the clearing and at least three chunks
    verifyIdle(true);
  }

  void loadedTextIsShownFromItsBeginningWithTheKeyboardBack() {
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    pane()->setFocus();
    QVERIFY(pane()->hasFocus());
    answerDialog(writeFile(QStringLiteral("top.txt"), repeatedLines(u't', 40, 300).toLatin1()));
    zelvato::openSourceFile(*window_);
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
    QTest::newRow("three characters and CR LF") << QByteArray("あいう") << "( 5 字)";
    QTest::newRow("1,234 code units") << QByteArray(repeatedLines(u'b', 1232, 1).toLatin1()) << "( 1,234 字)";
    QTest::newRow("empty file brings back the hint") << QByteArray() << hint;
  }
  void characterCountFollowsTheLoadedText() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, label);
    answerDialog(writeFile(QStringLiteral("count.txt"), bytes));
    zelvato::openSourceFile(*window_);
    QCOMPARE(lblHcov(*window_, 20)->text(), label);
  }

  void loadedTextCannotBeUndoneIntoTheOldText() {
    answerDialog(writeFile(QStringLiteral("undo.txt"), QByteArray("loaded")));
    zelvato::openSourceFile(*window_);
    QVERIFY(!pane()->document()->isUndoAvailable());
    QVERIFY(pane()->document()->isUndoRedoEnabled());
    // Typing after the load can be undone as usual.
    pane()->setFocus();
    pane()->moveCursor(QTextCursor::End);
    QTest::keyClicks(pane(), QStringLiteral("z"));
    QVERIFY(pane()->document()->isUndoAvailable());
    pane()->undo();
    QCOMPARE(paneText(), QStringLiteral("loaded\r\n"));
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
    QTest::newRow("long file warns") << QByteArray(70000, 'q') << false << QString(65535, u'q') << tooLong;
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
      QCOMPARE(messages_.first().icon, message == notFound ? MessageIcon::stop : MessageIcon::warning);
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
