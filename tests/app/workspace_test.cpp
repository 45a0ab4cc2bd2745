// The window as a writer's workspace: the source text is never lost (save,
// the question before it is replaced, the atomic write), the settings are
// remembered and survive a damaged file, a second launch hands over its file,
// and the keys reach the commands.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QAction>
#include <QDeadlineTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocalSocket>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QWheelEvent>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <tuple>
#include <vector>

#include "commands.h"
#include "conversion_run.h"
#include "frm_main.h"
#include "hand_over_queue.h"
#include "instance_channel.h"
#include "main_window_fixture.h"
#include "manuscript_count_label.h"
#include "option_controls.h"
#include "options/option_table.h"
#include "presets.h"
#include "settings_model.h"
#include "settings_store.h"
#include "source_loading.h"
#include "source_saving.h"
#include "source_text_edit.h"
#include "window_controls.h"
#include "write/registry/writer_registry.h"

using namespace zelvato;
using namespace zelvato::testing;
using zelvato::testing::Asked;
using zelvato::testing::FakeDialogs;
using zelvato::ui::frmMain;
using zelvato::ui::MessageAnswer;
using zelvato::ui::MessageButtons;

namespace {

void writeBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(bytes);
}

// Every extended attribute of a file (a POSIX ACL is one), name to value.
QMap<QByteArray, QByteArray> attributes(const QString& file) {
  QMap<QByteArray, QByteArray> found;
  const QByteArray name = QFile::encodeName(file);
  QByteArray names(4096, '\0');
  const ssize_t size = ::listxattr(name.constData(), names.data(), static_cast<size_t>(names.size()));
  for (const QByteArray& key : names.left(size > 0 ? size : 0).split('\0')) {
    if (key.isEmpty()) continue;
    QByteArray value(4096, '\0');
    const ssize_t n =
        ::getxattr(name.constData(), key.constData(), value.data(), static_cast<size_t>(value.size()));
    found.insert(key, value.left(n > 0 ? n : 0));
  }
  return found;
}

// What a file to be saved by another user is made before the save.
enum class SaveCase {
  readOnlyFolder,
  readOnlyFolderNoCache,
  otherGroup,
  otherOwner,
  hardLink,
  mode,
  acl,
  attribute
};

QString settingsFile() {
  return runtimeFolder().filePath(QStringLiteral("config/zelvato/zelvato.ini"));
}

// Every field of the record, for comparing two of them.
auto fields(const ConversionSettings& s) {
  return std::tuple(
      s.charsPerLine, s.charSpacingPt, s.linesPerColumn, s.lineSpacingPt, s.columnGapPx, s.tabWidth,
      s.fontFace, s.fontSizePt, s.useStyleSheet, s.centerText, s.addRule, s.showGrid, s.kanjiNumerals,
      s.outputMode, s.singleFilePath, s.outputFolder, s.fileBaseName, s.htmlTitle, s.bodyTag,
      s.columnsPerPage, s.addPageLinks, s.addPageNumbers, s.outputEncoding, s.accessibleText, s.kinsoku,
      s.tateChuYoko, s.aozoraNotation, s.rubyMode, s.showEditorNotes, s.textStyle, s.doubleBracketForms,
      s.unicodeVerticalForms, s.epubFilePath, s.outputPaths, s.paperB4, s.greyPaperLines, s.pdfFontFace);
}
bool same(const ConversionSettings& a, const ConversionSettings& b) {
  return fields(a) == fields(b);
}

const QString keepEdits = QStringLiteral("変換元文章が変更されています. 保存しますか?");

}  // namespace

class WorkspaceTest : public QObject {
  Q_OBJECT

 public:
  static void initMain() { prepareMainWindowTest(); }

 private:
  std::unique_ptr<FakeDialogs> messages;
  std::unique_ptr<frmMain> window;
  std::unique_ptr<QTemporaryDir> dir;

  std::unique_ptr<frmMain> makeWindow() {
    auto w = std::make_unique<frmMain>(messages.get());
    connectCommands(*w);
    installSourceFileDrop(*w);
    restoreUserSettings(*w);
    return w;
  }

  // Types into the source pane as the user does, so the text counts as edited.
  void type(const QString& text) {
    window->txtMain()->setFocus();
    window->txtMain()->moveCursor(QTextCursor::End);
    window->txtMain()->insertPlainText(text);
  }

  QString path(const QString& name) const { return dir->filePath(name); }

  // A second launch hands `file` over from a thread of its own, blocking on
  // its side of the socket as a process would, while this thread's events run.
  static bool handOverFromAnotherLaunch(const QString& socket, const QString& file, int timeoutMs = 3000) {
    std::atomic<int> taken{-1};
    const std::unique_ptr<QThread> launch(
        QThread::create([&] { taken = InstanceChannel::handOver(socket, file, timeoutMs) ? 1 : 0; }));
    launch->start();
    QDeadlineTimer deadline(timeoutMs + 10000);
    while (taken.load() < 0 && !deadline.hasExpired()) QTest::qWait(10);
    launch->wait();
    return taken.load() == 1;
  }

  // F5 on 200,000 characters at 3 x 3: a run that lasts long enough to act during it.
  void startALongRun() {
    QString text;
    while (text.size() < 200000) text += QStringLiteral("いろはにほへとちりぬるを\n");
    window->txtMain()->setPlainText(text);
    txtAppearance(*window, 0)->setText(QStringLiteral("3"));
    txtAppearance(*window, 2)->setText(QStringLiteral("3"));
    QTest::keyClick(window.get(), Qt::Key_F5);
  }

 private Q_SLOTS:
  void initTestCase() { QVERIFY(registerProgressBar()); }

  void init() {
    QFile::remove(settingsFile());
    messages = std::make_unique<FakeDialogs>();
    dir = std::make_unique<QTemporaryDir>();
    window = makeWindow();
    window->show();
    window->activateWindow();
    // The keys reach their commands in the active window.
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
  }

  void cleanup() {
    if (window) {
      window->setCloseGuard({});
      window->setCloseAllowed(true);
    }
    window.reset();
    messages.reset();
    dir.reset();
  }

  // ---- never lose the text ------------------------------------------------------

  void closeWithEditsAsks_data() {
    QTest::addColumn<MessageAnswer>("answer");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<QByteArray>("onDisk");  // the source file's bytes afterwards
    QTest::newRow("保存 writes the file in its encoding and closes")
        << MessageAnswer::save << true << QByteArray("\x8F\x63\x8F\x91\x82\xAB\r\n\x92\xC7\x8B\x4C");
    QTest::newRow("破棄 closes and leaves the file")
        << MessageAnswer::discard << true << QByteArray("\x8F\x63\x8F\x91\x82\xAB\r\n");
    QTest::newRow("キャンセル keeps the window and the text")
        << MessageAnswer::cancel << false << QByteArray("\x8F\x63\x8F\x91\x82\xAB\r\n");
  }
  void closeWithEditsAsks() {
    QFETCH(MessageAnswer, answer);
    QFETCH(bool, closed);
    QFETCH(QByteArray, onDisk);
    const QString file = path(QStringLiteral("story.txt"));
    writeBytes(file, "\x8F\x63\x8F\x91\x82\xAB\r\n");  // 縦書き in Shift_JIS
    QVERIFY(loadSourceFile(*window, file));
    QCOMPARE(window->windowTitle(), QStringLiteral("story.txt[*] - Zelvato"));
    QVERIFY(!window->isWindowModified());
    type(QStringLiteral("追記"));
    QVERIFY(window->isWindowModified());
    messages->answers = {answer};

    QCOMPARE(window->close(), closed);

    QCOMPARE(messages->shown.size(), 1);
    QCOMPARE(messages->shown[0].text, keepEdits);
    QCOMPARE(messages->shown[0].buttons, MessageButtons::saveDiscardCancel);
    QCOMPARE(fileBytes(file), onDisk);
    QCOMPARE(window->isVisible(), !closed);
    if (!closed) QCOMPARE(window->sourceText(), QStringLiteral("縦書き\r\n追記"));
  }

  void saveWithoutAFileAsksForOneAndItsEncoding_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("filter");  // 0 Shift_JIS, 1 UTF-8
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("warnings");
    QTest::newRow("Shift_JIS") << QStringLiteral("縦書き\nabc") << 0
                               << QByteArray("\x8F\x63\x8F\x91\x82\xAB\r\nabc") << 0;
    QTest::newRow("UTF-8") << QStringLiteral("縦書き") << 1 << QByteArray("縦書き") << 0;
    // 𠮷 is outside code page 932: saved as UTF-8 after a warning, never as a character reference.
    QTest::newRow("Shift_JIS with a character outside it becomes UTF-8")
        << QStringLiteral("𠮷野家") << 0 << QByteArray("𠮷野家") << 1;
  }
  void saveWithoutAFileAsksForOneAndItsEncoding() {
    QFETCH(QString, text);
    QFETCH(int, filter);
    QFETCH(QByteArray, bytes);
    QFETCH(int, warnings);
    type(text);
    const QString file = path(QStringLiteral("new.txt"));
    const QStringList filters{QStringLiteral("ﾃｷｽﾄﾌｧｲﾙ Shift_JIS (*.txt)"),
                              QStringLiteral("ﾃｷｽﾄﾌｧｲﾙ UTF-8 (*.txt)")};
    messages->answerFile(file, filters.at(filter));
    window->command("mnuSave")->trigger();
    // A new text is offered as Shift_JIS, the program's own, with the extension for a name without one.
    const QList<Asked> asked = messages->of(Asked::Kind::saveFile);
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked[0].title, QStringLiteral("変換元文章の保存"));
    QCOMPARE(asked[0].filters, filters);
    QCOMPARE(asked[0].selectedFilter, filters[0]);
    QCOMPARE(asked[0].suffix, QStringLiteral("txt"));
    QCOMPARE(fileBytes(file), bytes);
    QCOMPARE(messages->shown.size(), warnings);
    QVERIFY(!window->isWindowModified());
    QCOMPARE(window->windowTitle(), QStringLiteral("new.txt[*] - Zelvato"));
    // Saved again without a question, in the encoding the file now has.
    type(QStringLiteral("x"));
    QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(fileBytes(file), bytes + "x");
    QCOMPARE(messages->of(Asked::Kind::saveFile).size(), 1);
  }

  // A file loaded and saved gives back its bytes: line break, final break,
  // byte-order mark, encoding and the code page's second forms as it had them.
  void savingGivesBackTheFile_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("savedAfterAnEdit");  // "x" typed at the end
    QTest::newRow("CR LF") << QByteArray("一\r\n二\r\n") << QByteArray("一\r\n二\r\nx");
    QTest::newRow("LF") << QByteArray("一\n二\n") << QByteArray("一\n二\nx");
    QTest::newRow("CR only") << QByteArray("一\r二\r") << QByteArray("一\r二\rx");
    QTest::newRow("no final break") << QByteArray("一\n二") << QByteArray("一\n二x");
    QTest::newRow("one line without a break") << QByteArray("一") << QByteArray("一x");
    QTest::newRow("empty lines at the end") << QByteArray("一\n\n\n") << QByteArray("一\n\n\nx");
    QTest::newRow("UTF-8 with its mark")
        << QByteArray("\xEF\xBB\xBF一\r\n") << QByteArray("\xEF\xBB\xBF一\r\nx");
    QTest::newRow("UTF-16LE") << QByteArray("\xFF\xFE\x00\x4E\n\x00", 6)
                              << QByteArray("\xFF\xFE\x00\x4E\n\x00x\x00", 8);
    QTest::newRow("UTF-16BE, outside the plane")
        << QByteArray("\xFE\xFF\xD8\x42\xDF\xB7", 6) << QByteArray("\xFE\xFF\xD8\x42\xDF\xB7\x00x", 8);
    QTest::newRow("UTF-32LE") << QByteArray("\xFF\xFE\0\0\x00\x4E\0\0", 8)
                              << QByteArray("\xFF\xFE\0\0\x00\x4E\0\0x\0\0\0", 12);
    // 纊 ≒ ￢ in NEC's forms, ￢ also in IBM's, and ≒ once more as typed later.
    QTest::newRow("code page 932 second forms") << QByteArray("\x8F\x63\xED\x40\x87\x90\xEE\xF9\r\n")
                                                << QByteArray("\x8F\x63\xED\x40\x87\x90\xEE\xF9\r\nx");
    QTest::newRow("code page 932 own forms") << QByteArray("\x8F\x63\xFA\x5C\x81\xE0\x81\xCA\n")
                                             << QByteArray("\x8F\x63\xFA\x5C\x81\xE0\x81\xCA\nx");
    // A no-break space and a line separator are characters of the text, not a space and a break.
    QTest::newRow("UTF-8 no-break space") << QByteArray("一\xC2\xA0二\n") << QByteArray("一\xC2\xA0二\nx");
    QTest::newRow("UTF-8 line separator") << QByteArray("一\xE2\x80\xA8二\n") << QByteArray("一\xE2\x80\xA8二\nx");
    // Mixed line breaks come back in the one most lines used.
    QTest::newRow("mixed, LF the most") << QByteArray("a\r\nb\nc\n") << QByteArray("a\nb\nc\nx");
  }
  // A file that mixes line breaks is saved with the one most of its lines use.
  static QByteArray savedUnchanged(const QByteArray& file) {
    return QByteArray(QTest::currentDataTag()).startsWith("mixed") ? QByteArray("a\nb\nc\n") : file;
  }
  void savingGivesBackTheFile() {
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, savedAfterAnEdit);
    const QString at = path(QStringLiteral("kept.txt"));
    writeBytes(at, file);
    QVERIFY(loadSourceFile(*window, at));
    QVERIFY(saveSource(*window));
    QCOMPARE(fileBytes(at), savedUnchanged(file));
    type(QStringLiteral("x"));
    QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(fileBytes(at), savedAfterAnEdit);
    QCOMPARE(messages->shown.size(), 0);
  }

  // A file of one line of a million characters: the pane shows it in pieces
  // (laying it out whole took a second a keystroke), and the text read,
  // counted and saved is the file's, before and after an edit.
  void aMillionCharacterLineIsShownInPiecesAndSavedAsItWas() {
    const QString sentence = QStringLiteral("吾輩は猫である。名前はまだ無い。Neko, 1905; ｶﾀｶﾅ\tタブ。");
    QString line;
    while (line.size() < 1000000) line += sentence;
    line.truncate(1000000);
    const QByteArray bytes = line.toUtf8();
    const QString at = path(QStringLiteral("one-line.txt"));
    writeBytes(at, bytes);
    QVERIFY(loadSourceFile(*window, at));
    QVERIFY(window->txtMain()->document()->blockCount() >= 100);
    QCOMPARE(window->txtMain()->toPlainText(), line);
    QCOMPARE(window->sourceText(), line);
    QCOMPARE(lblHcov(*window, 20)->text(), QStringLiteral("( 1,000,000 字 / 1 行)"));
    QVERIFY(!window->isWindowModified());
    QVERIFY(saveSource(*window));
    QCOMPARE(fileBytes(at), bytes);
    type(QStringLiteral("終"));
    QCOMPARE(lblHcov(*window, 20)->text(), QStringLiteral("( 1,000,001 字 / 1 行)"));
    QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(fileBytes(at), bytes + QByteArray("終"));
    QCOMPARE(messages->shown.size(), 0);
  }

  void aTextTypedInAFilesSecondFormKeepsIt() {
    // 纊 typed into a file that writes it in NEC's form is saved in that form too.
    const QString at = path(QStringLiteral("forms.txt"));
    writeBytes(at, QByteArray("\xED\x40\n"));
    QVERIFY(loadSourceFile(*window, at));
    type(QStringLiteral("纊≒"));
    QVERIFY(saveSource(*window));
    QCOMPARE(fileBytes(at), QByteArray("\xED\x40\n\xED\x40\x81\xE0"));
  }

  // ---- counts ---------------------------------------------------------------------

  // The manuscript count in the status bar follows the text, whatever changed it.
  void theManuscriptCountIsNeverStale_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("count");
    QTest::newRow("typing past a sheet") << "type"
                                         << "400字詰め原稿用紙換算 2 枚";
    QTest::newRow("loading another file") << "load"
                                          << "400字詰め原稿用紙換算 3 枚";
    QTest::newRow("a new text") << "new"
                                << "";
    QTest::newRow("undoing the typing") << "undo"
                                        << "400字詰め原稿用紙換算 1 枚";
  }
  void theManuscriptCountIsNeverStale() {
    QFETCH(QString, change);
    QFETCH(QString, count);
    auto* label = window->statusBar()->findChild<QLabel*>(QStringLiteral("lblManuscriptCount"));
    QVERIFY(label != nullptr);
    window->txtMain()->setPlainText(QString(400, QChar(u'い')));
    QTRY_COMPARE_WITH_TIMEOUT(label->text(), QStringLiteral("400字詰め原稿用紙換算 1 枚"), 20000);
    type(QStringLiteral("ろ"));
    if (change == QLatin1String("load")) {
      const QString file = path(QStringLiteral("three.txt"));
      writeBytes(file, QString(801, QChar(u'は')).toUtf8());
      messages->answers = {MessageAnswer::discard};
      openNamedFile(*window, file);
      QVERIFY(QTest::qWaitFor([] { return !sourceLoading(); }, 60000));
    } else if (change == QLatin1String("new")) {
      messages->answers = {MessageAnswer::discard};
      newSource(*window);
    } else if (change == QLatin1String("undo")) {
      window->txtMain()->undo();
    }
    QTRY_COMPARE_WITH_TIMEOUT(label->text(), count, 20000);
  }

  // 見出し: the headings of the text beside it, kept in step, and a jump to each.
  void theHeadingListFollowsTheTextAndJumps_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("aozora");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QList<int>>("lines");
    const QString kokoro = QStringLiteral(
        "こころ\n夏目漱石\n\n［＃２字下げ］上　先生と私［＃「上　先生と私」は大見出し］\n\n"
        "［＃５字下げ］一［＃「一」は中見出し］\n\n　私はその人を常に先生と呼んでいた。\n\n"
        "［＃５字下げ］二［＃「二」は中見出し］\n\n　学校の授業が始まるにはまだ大分日数があるので\n");
    QTest::newRow("Aozora headings") << kokoro << true << QStringList{"上　先生と私", "　一", "　二"}
                                     << QList<int>{3, 5, 9};
    QTest::newRow("web novel headings, notation off")
        << QStringLiteral("# 第一章\n本文\n## 第一話\n本文\n") << false << QStringList{"第一章", "　第一話"}
        << QList<int>{0, 2};
    QTest::newRow("no headings: no list")
        << QStringLiteral("雪が降る。\n") << true << QStringList() << QList<int>();
  }
  void theHeadingListFollowsTheTextAndJumps() {
    QFETCH(QString, text);
    QFETCH(bool, aozora);
    QFETCH(QStringList, listed);
    QFETCH(QList<int>, lines);
    window->settings().editChecked(*findOption("aozoraNotation"), aozora);
    window->txtMain()->setPlainText(text);
    auto* list = window->findChild<QListWidget*>(QStringLiteral("lstHeadings"));
    QVERIFY(list != nullptr);
    const auto shown = [list] {
      QStringList items;
      for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
      return items;
    };
    QTRY_COMPARE_WITH_TIMEOUT(shown(), listed, 20000);
    QCOMPARE(list->isVisible(), !listed.isEmpty());
    // Each heading chosen puts the caret at the start of its line, from the last back to the first.
    for (int row = list->count() - 1; row >= 0; --row) {
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
      QCOMPARE(window->txtMain()->textCursor().blockNumber(), lines[row]);
      QCOMPARE(window->txtMain()->textCursor().positionInBlock(), 0);
    }
    // The heading chosen last jumps again after the caret went elsewhere.
    if (list->count() > 0) {
      window->txtMain()->moveCursor(QTextCursor::End);
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
      QCOMPARE(window->txtMain()->textCursor().blockNumber(), lines[0]);
    }
    // Typing a heading lists it too.
    if (aozora) {
      window->txtMain()->moveCursor(QTextCursor::End);
      window->txtMain()->insertPlainText(QStringLiteral("三［＃「三」は中見出し］\n"));
      QTRY_COMPARE_WITH_TIMEOUT(list->count(), static_cast<int>(listed.size()) + 1, 20000);
    }
  }

  void aBooksPagesStandBesideTheCountUntilAChange() {
    auto* label = window->statusBar()->findChild<QLabel*>(QStringLiteral("lblManuscriptCount"));
    window->txtMain()->setPlainText(QString(400, QChar(u'い')));
    QTRY_COMPARE_WITH_TIMEOUT(label->text(), QStringLiteral("400字詰め原稿用紙換算 1 枚"), 20000);
    showBookPages(*window, 176);
    QCOMPARE(label->text(), QStringLiteral("400字詰め原稿用紙換算 1 枚　書籍 176 ページ"));
    type(QStringLiteral("ろ"));
    QTRY_COMPARE_WITH_TIMEOUT(label->text(), QStringLiteral("400字詰め原稿用紙換算 2 枚"), 20000);
  }

  void discardLosesNothingElse() {
    window->txtHTML()->setPlainText(QStringLiteral("<PRE>earlier result</PRE>"));
    txtAppearance(*window, 0)->setText(QStringLiteral("30"));
    const ConversionSettings before = window->readSettings();
    type(QStringLiteral("捨てる文章"));
    messages->answers = {MessageAnswer::discard};
    toolbarButton(*window, 1)->trigger();  // 新規作成
    QCOMPARE(messages->shown.size(), 1);
    QVERIFY(window->sourceText().isEmpty());
    QVERIFY(!window->isWindowModified());
    QCOMPARE(window->readSettings().charsPerLine, before.charsPerLine);
    QVERIFY(same(window->readSettings(), before));
    QCOMPARE(window->txtHTML()->toPlainText(), QStringLiteral("<PRE>earlier result</PRE>"));
    // New text is nothing to ask about.
    toolbarButton(*window, 1)->trigger();
    QCOMPARE(messages->shown.size(), 1);
  }

  void atomicWriteReplacesWholeOrNotAtAll_data() {
    QTest::addColumn<int>("kind");
    QTest::newRow("an existing file keeps its permissions") << 0;
    QTest::newRow("a link is followed to its file") << 1;
    QTest::newRow("a writable file in a folder that cannot be written is saved in place") << 2;
    QTest::newRow("a file with a second hard link stays one file") << 3;
    QTest::newRow("a file of another group keeps its group") << 4;
    QTest::newRow("past the file-size limit the old file stays and the save says why") << 5;
  }
  void atomicWriteReplacesWholeOrNotAtAll() {
    QFETCH(int, kind);
    const QString target = path(QStringLiteral("keep.txt"));
    writeBytes(target, "old");
    QVERIFY(QFile::setPermissions(target,
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
    QString written = target;
    if (kind == 1) {
      written = path(QStringLiteral("link.txt"));
      QVERIFY(QFile::link(target, written));
    }
    if (kind == 2)
      QVERIFY(QFile::setPermissions(dir->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const QByteArray other = QFile::encodeName(path(QStringLiteral("other.txt")));
    if (kind == 3) QCOMPARE(::link(QFile::encodeName(target).constData(), other.constData()), 0);
    // Another group of the user's, or for root any other group: the save keeps it.
    gid_t group = 0;
    if (kind == 4) {
      gid_t groups[64];
      const int count = ::getgroups(64, groups);
      for (int i = 0; i < count; ++i)
        if (groups[i] != ::getegid()) group = groups[i];
      if (::geteuid() == 0) group = ::getegid() == 0 ? 1 : 0;
      if (group == 0 && ::geteuid() != 0) QSKIP("the user belongs to one group only");
      QCOMPARE(::chown(QFile::encodeName(target).constData(), static_cast<uid_t>(-1), group), 0);
    }
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    if (kind == 5) {
      rlimit tiny = limit;
      tiny.rlim_cur = 2;
      QCOMPARE(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
    }
    const std::optional<QString> failure = writeFileAtomically(written, "new");
    ::setrlimit(RLIMIT_FSIZE, &limit);
    if (kind == 2)
      QVERIFY(QFile::setPermissions(
          dir->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    if (kind == 5) {
      QVERIFY(failure.has_value());
      QCOMPARE(*failure, QString::fromLocal8Bit(std::strerror(EFBIG)));
      QCOMPARE(fileBytes(target), QByteArray("old"));
    } else {
      QVERIFY2(!failure.has_value(), qPrintable(failure.value_or(QString())));
      QCOMPARE(fileBytes(target), QByteArray("new"));
      const QFileDevice::Permissions ownerGroupOther(0x7077);
      QCOMPARE(QFileInfo(target).permissions() & ownerGroupOther,
               QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
      if (kind == 1) QVERIFY(QFileInfo(written).isSymLink());
    }
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(target).constData(), &st), 0);
    if (kind == 3) {
      QCOMPARE(st.st_nlink, nlink_t{2});
      QCOMPARE(fileBytes(QFile::decodeName(other)), QByteArray("new"));
    }
    if (kind == 4) QCOMPARE(st.st_gid, group);
    // No temporary file or backup copy is left beside it.
    QCOMPARE(QDir(dir->path()).entryList({QStringLiteral(".zelvato-*")}, QDir::Files | QDir::Hidden).size(),
             0);
  }

  // As another user's file: saved by root, it keeps its owner and group.
  void aFileOfAnotherOwnerKeepsItsOwner() {
    if (::geteuid() != 0) QSKIP("only root can give a file to another user");
    const QString target = path(QStringLiteral("theirs.txt"));
    writeBytes(target, "old");
    QCOMPARE(::chown(QFile::encodeName(target).constData(), 65534, 65534), 0);
    QVERIFY(!writeFileAtomically(target, "new").has_value());
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(target).constData(), &st), 0);
    QCOMPARE(st.st_uid, uid_t{65534});
    QCOMPARE(st.st_gid, gid_t{65534});
    QCOMPARE(fileBytes(target), QByteArray("new"));
  }

  // The saves again as a user who is not root, where the kernel's checks hold:
  // a folder without write permission refuses a new file, and a file of
  // another owner or group cannot be given back by chown. Root saves as
  // "nobody" in a child process under setpriv.
  void savesKeepTheFileForANormalUser_data() {
    QTest::addColumn<SaveCase>("kind");
    QTest::newRow("a writable file in a folder that cannot be written") << SaveCase::readOnlyFolder;
    QTest::newRow("the same without a cache folder of the user's") << SaveCase::readOnlyFolderNoCache;
    QTest::newRow("a file of another group of the user's keeps its group") << SaveCase::otherGroup;
    QTest::newRow("another owner's file the group may write keeps its owner") << SaveCase::otherOwner;
    QTest::newRow("a file with a second hard link stays one file") << SaveCase::hardLink;
    QTest::newRow("an unusual mode stays") << SaveCase::mode;
    QTest::newRow("a POSIX ACL stays") << SaveCase::acl;
    QTest::newRow("a user attribute stays") << SaveCase::attribute;
  }
  void savesKeepTheFileForANormalUser() {
    QFETCH(SaveCase, kind);
    if (::geteuid() != 0) QSKIP("saving as another user needs root; the table above is this user's own run");
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty(),
             "setpriv (util-linux) is missing");
    constexpr uid_t user = 65534;       // nobody
    constexpr gid_t userGroup = 65534;  // nogroup
    constexpr uid_t otherUser = 1;      // daemon
    constexpr gid_t shared = 100;       // users, which the saving user joins where the row says
    const auto encoded = [](const QString& p) { return QFile::encodeName(p); };
    // The user reaches its own folders in the test's folder, and nothing else there.
    QCOMPARE(::chmod(encoded(dir->path()).constData(), 0711), 0);
    const QString folder = path(QStringLiteral("theirs"));
    const QString home = path(QStringLiteral("home"));
    for (const QString& made : {folder, home}) {
      QVERIFY(QDir().mkpath(made));
      QCOMPARE(::chown(encoded(made).constData(), user, userGroup), 0);
    }
    const QString target = folder + QStringLiteral("/keep.txt");
    const QString other = folder + QStringLiteral("/other.txt");
    writeBytes(target, "old");
    QCOMPARE(::chown(encoded(target).constData(), user, userGroup), 0);
    QCOMPARE(::chmod(encoded(target).constData(), 0644), 0);
    QStringList groups{QStringLiteral("--clear-groups")};
    QString userHome = home;
    switch (kind) {
      case SaveCase::readOnlyFolderNoCache:
        userHome = QStringLiteral("/nonexistent");
        [[fallthrough]];
      case SaveCase::readOnlyFolder:
        QCOMPARE(::chmod(encoded(folder).constData(), 0555), 0);
        break;
      case SaveCase::otherOwner:
        QCOMPARE(::chown(encoded(target).constData(), otherUser, shared), 0);
        QCOMPARE(::chmod(encoded(target).constData(), 0664), 0);
        groups = {QStringLiteral("--groups=%1").arg(shared)};
        break;
      case SaveCase::otherGroup:
        QCOMPARE(::chown(encoded(target).constData(), user, shared), 0);
        groups = {QStringLiteral("--groups=%1").arg(shared)};
        break;
      case SaveCase::hardLink:
        QCOMPARE(::link(encoded(target).constData(), encoded(other).constData()), 0);
        break;
      case SaveCase::mode:
        QCOMPARE(::chmod(encoded(target).constData(), 0604), 0);
        break;
      case SaveCase::acl: {
        QProcess setfacl;
        setfacl.start(QStringLiteral("setfacl"),
                      {QStringLiteral("-m"), QStringLiteral("u:daemon:rw"), target});
        QVERIFY2(setfacl.waitForFinished(10000), "setfacl (acl) is missing");
        if (setfacl.exitCode() != 0 && setfacl.readAllStandardError().contains("not supported"))
          QSKIP("the test folder's file system keeps no POSIX ACLs");
        QCOMPARE(setfacl.exitCode(), 0);
        break;
      }
      case SaveCase::attribute:
        if (::setxattr(encoded(target).constData(), "user.zelvato.note", "kept", 4, 0) != 0 &&
            errno == ENOTSUP)
          QSKIP("the test folder's file system keeps no user attributes");
        QVERIFY(attributes(target).contains("user.zelvato.note"));
        break;
    }
    struct stat before {};
    QCOMPARE(::stat(encoded(target).constData(), &before), 0);
    const QMap<QByteArray, QByteArray> attributesBefore = attributes(target);

    QProcess save;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), userHome);
    save.setProcessEnvironment(environment);
    save.start(
        QStringLiteral("setpriv"),
        QStringList{QStringLiteral("--reuid=%1").arg(user), QStringLiteral("--regid=%1").arg(userGroup)}
            << groups << QStringLiteral(SAVE_FILE_PATH) << target << QStringLiteral("new"));
    QVERIFY(save.waitForFinished(20000));
    const QByteArray said = save.readAllStandardError();
    ::chmod(encoded(folder).constData(), 0755);
    QVERIFY2(save.exitStatus() == QProcess::NormalExit && save.exitCode() == 0, said.constData());

    QCOMPARE(fileBytes(target), QByteArray("new"));
    struct stat after {};
    QCOMPARE(::stat(encoded(target).constData(), &after), 0);
    QCOMPARE(after.st_uid, before.st_uid);
    QCOMPARE(after.st_gid, before.st_gid);
    QCOMPARE(after.st_mode & 07777, before.st_mode & 07777);
    QCOMPARE(after.st_nlink, before.st_nlink);
    QCOMPARE(attributes(target), attributesBefore);
    if (kind == SaveCase::hardLink) QCOMPARE(fileBytes(other), QByteArray("new"));
    // No temporary file or backup copy is left, beside the file or in the user's cache.
    const QStringList leftBehind =
        QDir(folder).entryList({QStringLiteral(".zelvato-*")}, QDir::Files | QDir::Hidden) +
        QDir(home + QStringLiteral("/.cache/zelvato")).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(leftBehind, QStringList());
  }

  // 保存 in the window keeps what the file carries besides its bytes: its ACL
  // and its attributes.
  void saveKeepsTheFilesAclAndAttributes() {
    const QString at = path(QStringLiteral("marked.txt"));
    writeBytes(at, "いろはにほへと\n");
    const QByteArray name = QFile::encodeName(at);
    if (::setxattr(name.constData(), "user.zelvato.note", "kept", 4, 0) != 0 && errno == ENOTSUP)
      QSKIP("the test folder's file system keeps no user attributes");
    QProcess setfacl;
    setfacl.start(QStringLiteral("setfacl"), {QStringLiteral("-m"), QStringLiteral("g:users:rw"), at});
    QVERIFY2(setfacl.waitForFinished(10000), "setfacl (acl) is missing");
    if (setfacl.exitCode() != 0 && setfacl.readAllStandardError().contains("not supported"))
      QSKIP("the test folder's file system keeps no POSIX ACLs");
    QCOMPARE(setfacl.exitCode(), 0);
    const QMap<QByteArray, QByteArray> before = attributes(at);
    QVERIFY(before.contains("system.posix_acl_access"));
    QVERIFY(loadSourceFile(*window, at));
    type(QStringLiteral("追記"));
    QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(messages->shown.size(), 0);
    QCOMPARE(fileBytes(at), QByteArray("いろはにほへと\n追記"));
    QCOMPARE(attributes(at), before);
  }

  // ---- remembered settings ------------------------------------------------------

  void settingsSurviveARestart() {
    txtAppearance(*window, 0)->setText(QStringLiteral("40"));
    txtAppearance(*window, 2)->setText(QStringLiteral("12"));
    chkOpt(*window, 2)->setChecked(true);
    optOutput(*window, 2)->setChecked(true);
    txtOutput(*window, 2)->setText(QStringLiteral("page"));
    txtOutput(*window, 5)->setText(QStringLiteral("/books/猫.epub"));
    optEncoding(*window, 1)->setChecked(true);
    // Every check box of the typesetting page, the ones made from the option table included.
    for (const zelvato::OptionEntry* o : ui::typesettingCheckBoxes())
      window
          ->findChild<QCheckBox*>(QLatin1String(o->control.data(), static_cast<qsizetype>(o->control.size())))
          ->setChecked(true);
    optRuby(*window, 1)->setChecked(true);
    window->chkAutoPreview()->setChecked(true);
    window->resize(900, 700);
    QTRY_COMPARE(window->size(), QSize(900, 700));
    const ConversionSettings chosen = window->readSettings();
    QVERIFY(window->close());

    auto second = makeWindow();
    QVERIFY(same(second->readSettings(), chosen));
    QCOMPARE(second->size(), QSize(900, 700));
    QVERIFY(second->chkAutoPreview()->isChecked());
    // The rules follow the restored values: the page-file fields are usable, ruby is offered.
    QVERIFY(txtOutput(*second, 2)->isEnabled());
    QVERIFY(optRuby(*second, 0)->isEnabled());
  }

  // A settings file of an earlier release names the typesetting options by
  // these keys; each still reaches its option.
  void earlierKeysOfTheTypesettingPageStillLoad_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("field");
    const auto on = [](const char* key) { return QByteArray("[typeset]\n") + key + "=true\n"; };
    QTest::newRow("kinsoku") << on("kinsoku") << "kinsoku";
    QTest::newRow("tateChuYoko") << on("tateChuYoko") << "tateChuYoko";
    QTest::newRow("aozora") << on("aozora") << "aozoraNotation";
    QTest::newRow("editorNotes") << on("editorNotes") << "showEditorNotes";
    QTest::newRow("doubleBrackets") << on("doubleBrackets") << "doubleBracketForms";
    QTest::newRow("verticalForms") << on("verticalForms") << "unicodeVerticalForms";
  }
  void earlierKeysOfTheTypesettingPageStillLoad() {
    QFETCH(QByteArray, file);
    QFETCH(QString, field);
    QVERIFY(QDir().mkpath(QFileInfo(settingsFile()).absolutePath()));
    writeBytes(settingsFile(), file);
    auto restarted = makeWindow();
    const ConversionSettings read = restarted->readSettings();
    const bool values[] = {read.kinsoku,         read.tateChuYoko,        read.aozoraNotation,
                           read.showEditorNotes, read.doubleBracketForms, read.unicodeVerticalForms};
    const char* names[] = {"kinsoku",         "tateChuYoko",        "aozoraNotation",
                           "showEditorNotes", "doubleBracketForms", "unicodeVerticalForms"};
    // The one named is on, the others stay at their start value, off.
    for (std::size_t i = 0; i < std::size(values); ++i) QCOMPARE(values[i], field == QLatin1String(names[i]));
  }

  void aDamagedSettingsFileFallsBackKeyByKey_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("charsPerLine");  // what the window reads afterwards
    QTest::addColumn<bool>("grid");
    QTest::addColumn<int>("mode");
    const QByteArray good = "[layout]\ncharsPerLine=30\ngrid=true\n[output]\nmode=1\n";
    QTest::newRow("good values are taken") << good << "30" << true << 1;
    QTest::newRow("the book's mode") << QByteArray("[output]\nmode=3\n") << "25" << false << 3;
    QTest::newRow("a number that is none")
        << QByteArray("[layout]\ncharsPerLine=abc\ngrid=true\n") << "25" << true << 0;
    QTest::newRow("a check that is neither true nor false")
        << QByteArray("[layout]\ncharsPerLine=30\ngrid=yes please\n") << "30" << false << 0;
    QTest::newRow("an option out of range")
        << QByteArray("[output]\nmode=7\n[layout]\ncharsPerLine=30\n") << "30" << false << 0;
    QTest::newRow("a list where a value belongs")
        << QByteArray("[layout]\ncharsPerLine=3, 4\n") << "25" << false << 0;
    QTest::newRow("binary garbage") << QByteArray("\x00\xFF[[[\x01=\n=\xFE\n", 12) << "25" << false << 0;
  }
  void aDamagedSettingsFileFallsBackKeyByKey() {
    QFETCH(QByteArray, file);
    QFETCH(QString, charsPerLine);
    QFETCH(bool, grid);
    QFETCH(int, mode);
    QVERIFY(QDir().mkpath(QFileInfo(settingsFile()).absolutePath()));
    writeBytes(settingsFile(), file);
    auto restarted = makeWindow();
    const ConversionSettings read = restarted->readSettings();
    QCOMPARE(QString::fromStdU16String(read.charsPerLine.typed()), charsPerLine);
    QCOMPARE(read.showGrid, grid);
    const zelvato::WriterEntry* remembered = zelvato::writerRemembered(std::to_string(mode));
    QVERIFY(remembered != nullptr);
    QCOMPARE(read.outputMode, std::string(remembered->key));
    // Every other setting is at its start value.
    ConversionSettings expected;
    expected.charsPerLine = read.charsPerLine;
    expected.showGrid = read.showGrid;
    expected.outputMode = read.outputMode;
    QVERIFY(same(read, expected));
  }

  void startValuesAndPresets_data() {
    QTest::addColumn<QString>("preset");
    QTest::addColumn<QString>("charsPerLine");
    QTest::addColumn<QString>("linesPerColumn");
    QTest::addColumn<bool>("kinsoku");
    // The manuscript sheet sets its measures and 禁則処理 only: the rule stays as the user set it.
    QTest::addColumn<bool>("rule");
    QTest::newRow("既定値に戻す") << QString() << "25"
                                  << "20" << false << false;
    QTest::newRow("400字詰め原稿用紙") << ui::manuscriptPreset << "20"
                                       << "20" << true << true;
    QTest::newRow("the user's own") << QStringLiteral("私の設定") << "33"
                                    << "11" << false << false;
  }
  void startValuesAndPresets() {
    QFETCH(QString, preset);
    QFETCH(QString, charsPerLine);
    QFETCH(QString, linesPerColumn);
    QFETCH(bool, kinsoku);
    QFETCH(bool, rule);
    if (preset == QStringLiteral("私の設定")) {
      txtAppearance(*window, 0)->setText(QStringLiteral("33"));
      txtAppearance(*window, 2)->setText(QStringLiteral("11"));
      messages->lines = {preset};
      window->command("mnuSavePreset")->trigger();
      QCOMPARE(messages->of(Asked::Kind::text).size(), 1);
    }
    // Everything moved away from where the preset puts it.
    txtAppearance(*window, 0)->setText(QStringLiteral("7"));
    txtAppearance(*window, 2)->setText(QStringLiteral("8"));
    chkTypeset(*window, 0)->setChecked(!kinsoku);
    chkOpt(*window, 3)->setChecked(true);

    if (preset.isEmpty()) {
      window->command("mnuDefaults")->trigger();
    } else {
      QAction* item = nullptr;
      for (QAction* a : window->presetsMenu()->actions())
        if (a->data().toString() == preset) item = a;
      QVERIFY(item);
      item->trigger();
    }
    const ConversionSettings read = window->readSettings();
    QCOMPARE(QString::fromStdU16String(read.charsPerLine.typed()), charsPerLine);
    QCOMPARE(QString::fromStdU16String(read.linesPerColumn.typed()), linesPerColumn);
    QCOMPARE(read.kinsoku, kinsoku);
    QCOMPARE(read.addRule, rule);
  }

  // A settings file with thousands of presets: the menu offers the first
  // hundred by name after the two of the program, and each still applies.
  void manyPresetsAreCappedInTheMenu() {
    QSettings store(path(QStringLiteral("many.ini")), QSettings::IniFormat);
    for (int i = 0; i < 2000; ++i) {
      const QString group = QStringLiteral("presets/p%1/").arg(i, 4, 10, QLatin1Char('0'));
      store.setValue(group + QStringLiteral("charsPerLine"), QString::number(3 + i % 40));
      store.setValue(group + QStringLiteral("other"), i);
    }
    store.setValue(QStringLiteral("presetsLike/p9999/x"), 1);  // a group of another name is none
    const QStringList names = ui::userPresetNames(store);
    QCOMPARE(names.size(), ui::maxUserPresets);
    QCOMPARE(names.front(), QStringLiteral("p0000"));
    QCOMPARE(names.back(), QStringLiteral("p0099"));
    QMenu menu;
    ui::fillPresetsMenu(menu, store);
    QCOMPARE(menu.actions().size(), 2 + 1 + ui::maxUserPresets);  // the separator among them
  }

  void recentFilesKeepTenNewestFirst() {
    QStringList opened;
    for (int i = 0; i < 12; ++i) {
      const QString file = path(QStringLiteral("r%1.txt").arg(i));
      writeBytes(file, "r");
      QVERIFY(loadSourceFile(*window, file));
      opened.prepend(file);
    }
    QVERIFY(loadSourceFile(*window, opened.at(5)));  // once more: to the top, not twice
    opened.move(5, 0);
    const QList<QAction*> items = window->recentFilesMenu()->actions();
    QCOMPARE(items.size(), 10);
    for (int i = 0; i < 10; ++i) QCOMPARE(items[i]->data().toString(), opened.at(i));
    // Choosing one opens it.
    writeBytes(opened.at(3), "chosen");
    items[3]->trigger();
    QVERIFY(QTest::qWaitFor([] { return !sourceLoading(); }, 10000));
    QCOMPARE(window->sourceText(), QStringLiteral("chosen"));
  }

  // ---- one window ----------------------------------------------------------------

  void aSecondLaunchHandsOverItsFile() {
    const QString file = path(QStringLiteral("handed.txt"));
    writeBytes(file, "渡されたファイル");
    const QString socket = path(QStringLiteral("zelvato.socket"));
    InstanceChannel channel;
    QVERIFY(channel.listen(socket));
    connect(&channel, &InstanceChannel::fileHandedOver, window.get(),
            [this](const QString& p) { openNamedFile(*window, p); });
    // The second launch blocks on its side of the socket, as a process of its own would.
    QVERIFY(handOverFromAnotherLaunch(socket, file));
    QTRY_COMPARE(window->sourceText(), QStringLiteral("渡されたファイル"));
    QCOMPARE(window->sourceFilePath(), file);
    // Nobody listening: the launch is told so and may say it cannot start.
    QVERIFY(!InstanceChannel::handOver(path(QStringLiteral("nobody.socket")), file, 500));
  }

  // Launches that connect and say nothing are closed after the channel's
  // timeout, those beyond the few served at once after their turn; neither
  // keeps a later launch from handing over its file.
  void idleOrManyConnectionsDoNotDeafenTheChannel() {
    const QString socket = path(QStringLiteral("idle.socket"));
    InstanceChannel channel(nullptr, 300);
    QVERIFY(channel.listen(socket));
    QStringList handed;
    connect(&channel, &InstanceChannel::fileHandedOver, this, [&](const QString& p) { handed << p; });
    std::vector<std::unique_ptr<QLocalSocket>> idle;
    for (int i = 0; i < 20; ++i) {
      idle.push_back(std::make_unique<QLocalSocket>());
      idle.back()->connectToServer(socket);
    }
    const auto allClosed = [&] {
      for (const auto& s : idle)
        if (s->state() != QLocalSocket::UnconnectedState) return false;
      return true;
    };
    QTRY_VERIFY_WITH_TIMEOUT(allClosed(), 10000);
    const QString file = path(QStringLiteral("later.txt"));
    QVERIFY(handOverFromAnotherLaunch(socket, file));
    QCOMPARE(handed, QStringList{file});
  }

  // While the few served at once are taken by launches that say nothing, a
  // launch with a file waits for its turn instead of being turned away (it
  // would say 「二重起動することはできません.」).
  void aLaunchBehindSilentOnesWaitsItsTurn() {
    const QString socket = path(QStringLiteral("busy.socket"));
    InstanceChannel channel(nullptr, 500);
    QVERIFY(channel.listen(socket));
    QStringList handed;
    connect(&channel, &InstanceChannel::fileHandedOver, this, [&](const QString& p) { handed << p; });
    std::vector<std::unique_ptr<QLocalSocket>> silent;
    for (int i = 0; i < 6; ++i) {
      silent.push_back(std::make_unique<QLocalSocket>());
      silent.back()->connectToServer(socket);
      QVERIFY(silent.back()->waitForConnected(2000));
    }
    QTest::qWait(50);  // the channel takes them in
    const QString file = path(QStringLiteral("waiting.txt"));
    QVERIFY(handOverFromAnotherLaunch(socket, file, 5000));
    QCOMPARE(handed, QStringList{file});
  }

  // A desktop opening many files starts a launch for each, all at once: the
  // window asks once which to open (after the question about edited text),
  // whatever order they arrive in, and opens the one chosen or none.
  void manyLaunchesAtOnceAskOneQuestion_data() {
    QTest::addColumn<int>("launches");
    QTest::addColumn<int>("distinctFiles");  // launches name these files in turn
    QTest::addColumn<bool>("edited");
    QTest::addColumn<QList<MessageAnswer>>("answers");  // to the question about edited text
    QTest::addColumn<std::optional<int>>("choice");     // the file chosen from the list
    QTest::addColumn<bool>("opens");                    // else the text stays
    const std::optional<int> cancelled;
    QTest::newRow("twenty launches, one list of twenty, the fifth opened")
        << 20 << 20 << false << QList<MessageAnswer>{} << std::optional<int>(4) << true;
    QTest::newRow("edited text is asked about first, then once which file")
        << 20 << 20 << true << QList<MessageAnswer>{MessageAnswer::discard} << std::optional<int>(19) << true;
    QTest::newRow("edited text kept: no list, nothing opened")
        << 20 << 20 << true << QList<MessageAnswer>{MessageAnswer::cancel} << std::optional<int>(0) << false;
    QTest::newRow("the list cancelled: nothing opened")
        << 20 << 20 << false << QList<MessageAnswer>{} << cancelled << false;
    QTest::newRow("a file named by two launches is listed once")
        << 20 << 10 << false << QList<MessageAnswer>{} << std::optional<int>(7) << true;
    QTest::newRow("one launch alone opens its file without a list")
        << 1 << 1 << false << QList<MessageAnswer>{} << cancelled << true;
  }
  void manyLaunchesAtOnceAskOneQuestion() {
    QFETCH(int, launches);
    QFETCH(int, distinctFiles);
    QFETCH(bool, edited);
    QFETCH(QList<MessageAnswer>, answers);
    QFETCH(std::optional<int>, choice);
    QFETCH(bool, opens);
    QStringList files;
    for (int i = 0; i < distinctFiles; ++i) {
      files << path(QStringLiteral("handed%1.txt").arg(i));
      writeBytes(files.back(), QStringLiteral("渡された%1").arg(i).toUtf8());
    }
    if (edited) type(QStringLiteral("書きかけ"));
    const QString before = window->sourceText();
    messages->answers = answers;
    messages->choices = {choice};
    const QString socket = path(QStringLiteral("many.socket"));
    InstanceChannel channel;
    QVERIFY(channel.listen(socket));
    HandOverQueue queue(
        nullptr, [this](const QStringList& paths) { openHandedOverFiles(*window, paths); },
        [this] { return readyToOpenFiles(*window); });
    connect(&channel, &InstanceChannel::fileHandedOver, &queue, &HandOverQueue::add);
    // Each launch blocks on its side of the socket, as a process of its own would.
    std::atomic<int> taken{0};
    std::atomic<int> ended{0};
    std::vector<QThread*> started;
    for (int i = 0; i < launches; ++i) {
      const QString file = files.at(i % distinctFiles);
      started.push_back(QThread::create([&, file] {
        if (InstanceChannel::handOver(socket, file, 10000)) ++taken;
        ++ended;
      }));
    }
    for (QThread* launch : started) launch->start();
    QTRY_VERIFY_WITH_TIMEOUT(ended.load() == launches, 30000);
    for (QThread* launch : started) {
      QVERIFY(launch->wait(5000));
      delete launch;
    }
    // No launch was turned away.
    QCOMPARE(taken.load(), launches);
    QTRY_VERIFY_WITH_TIMEOUT(queue.waiting().isEmpty() && !sourceLoading(), 10000);
    QTest::qWait(300);  // a second question would come now
    QVERIFY(!sourceLoading());

    const QList<Asked> lists = messages->of(Asked::Kind::choice);
    const bool editsAsked = edited;
    QCOMPARE(messages->shown.size(), editsAsked ? 1 : 0);
    const bool listShown = launches > 1 && (!edited || answers.value(0) != MessageAnswer::cancel);
    QCOMPARE(lists.size(), listShown ? 1 : 0);
    if (listShown) {
      // Every file once, as its launch named it.
      QCOMPARE(lists.front().items.size(), distinctFiles);
      QStringList listed = lists.front().items;
      listed.sort();
      QStringList expected = files;
      expected.sort();
      QCOMPARE(listed, expected);
      QVERIFY(lists.front().text.startsWith(
          QStringLiteral("%1 個のファイルを開く要求があります").arg(distinctFiles)));
      if (editsAsked) QCOMPARE(messages->asked.front().kind, Asked::Kind::message);
    }
    if (!opens) {
      QCOMPARE(window->sourceText(), before);
    } else {
      const QString file = launches > 1 ? lists.front().items.at(*choice) : files.front();
      QCOMPARE(window->sourceFilePath(), file);
      QCOMPARE(window->sourceText(), QString::fromUtf8(fileBytes(file)));
    }
  }

  // ---- the automatic preview ------------------------------------------------------

  void typingPausesGiveAPreviewAndConvertFollowsARunningOne() {
    QFile::remove(testPreviewFilePath());
    const QString out = path(QStringLiteral("out.html"));
    optOutput(*window, 1)->setChecked(true);
    txtOutput(*window, 0)->setText(out);
    window->chkAutoPreview()->setChecked(true);
    type(QStringLiteral("自動の文章"));
    // Half a second after the typing stopped, the preview alone is converted.
    QTRY_VERIFY_WITH_TIMEOUT(fileBytes(testPreviewFilePath()).size() > 0 && !conversionRunning(*window),
                             10000);
    QVERIFY(!QFile::exists(out));
    QVERIFY(window->txtHTML()->toPlainText().isEmpty());

    // Convert pressed while a preview runs: the preview stops, the full run follows it.
    QString text;
    while (text.size() < 100000) text += QStringLiteral("いろはにほへとちりぬるを\n");
    window->txtMain()->setPlainText(text);
    runConversion(*window, ConversionKind::preview);
    QVERIFY(conversionRunning(*window));
    toolbarButton(*window, 5)->trigger();
    QVERIFY(QTest::qWaitFor([this] { return window->isBusy(); }, 60000));
    QVERIFY(QTest::qWaitFor([this] { return !conversionRunning(*window); }, 60000));
    QCOMPARE(window->statusText(), QStringLiteral("変換完了しました."));
    QVERIFY(fileBytes(out).startsWith("<HTML>"));
    QCOMPARE(messages->shown.size(), 0);
  }

  void aFileHandedOverDuringARunOpensAfterIt() {
    const QString file = path(QStringLiteral("later.txt"));
    writeBytes(file, "after the run");
    QString text;
    while (text.size() < 200000) text += QStringLiteral("いろはにほへとちりぬるを\n");
    window->txtMain()->setPlainText(text);
    window->setSourceModified(false);
    txtAppearance(*window, 0)->setText(QStringLiteral("3"));
    txtAppearance(*window, 2)->setText(QStringLiteral("3"));
    runConversion(*window);
    QVERIFY(window->isBusy());
    openNamedFile(*window, file);
    QCOMPARE(window->sourceText(), text.replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
    stopConversion(*window);
    QTRY_COMPARE_WITH_TIMEOUT(window->sourceText(), QStringLiteral("after the run"), 20000);
  }

  // ---- keys ------------------------------------------------------------------------

  void keysReachTheirCommands_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("action");
    QTest::newRow("Ctrl+N") << int(Qt::Key_N) << int(Qt::ControlModifier) << "Toolbar1Button(1)";
    QTest::newRow("Ctrl+O") << int(Qt::Key_O) << int(Qt::ControlModifier) << "Toolbar1Button(2)";
    QTest::newRow("F5") << int(Qt::Key_F5) << 0 << "Toolbar1Button(5)";
    QTest::newRow("F1") << int(Qt::Key_F1) << 0 << "Toolbar1Button(7)";
    QTest::newRow("Ctrl+S") << int(Qt::Key_S) << int(Qt::ControlModifier) << "mnuSave";
    QTest::newRow("Ctrl+Shift+S") << int(Qt::Key_S) << int(Qt::ControlModifier | Qt::ShiftModifier)
                                  << "mnuSaveAs";
    QTest::newRow("Ctrl+F") << int(Qt::Key_F) << int(Qt::ControlModifier) << "mnuFind";
    QTest::newRow("Ctrl+Q") << int(Qt::Key_Q) << int(Qt::ControlModifier) << "mnuQuit";
  }
  void keysReachTheirCommands() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, action);
    auto* target = window->findChild<QAction*>(action);
    QVERIFY(target);
    QSignalSpy triggered(target, &QAction::triggered);
    // Whatever the command would ask is declined at once.
    QTest::keyClick(window->txtMain(), static_cast<Qt::Key>(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(triggered.size(), 1);
  }

  void escStopsARun() {
    startALongRun();
    QVERIFY(conversionRunning(*window));
    QTest::keyClick(window.get(), Qt::Key_Escape);
    QVERIFY(QTest::qWaitFor([this] { return !conversionRunning(*window); }, 60000));
    QCOMPARE(window->statusText(), QStringLiteral("変換を中止しました."));
  }

  void closingDuringARunAsksToStopAndClose_data() {
    QTest::addColumn<MessageAnswer>("answer");
    QTest::addColumn<bool>("closed");
    QTest::newRow("stop and close") << MessageAnswer::yes << true;
    QTest::newRow("keep running") << MessageAnswer::no << false;
  }
  void closingDuringARunAsksToStopAndClose() {
    QFETCH(MessageAnswer, answer);
    QFETCH(bool, closed);
    startALongRun();
    QVERIFY(conversionRunning(*window));
    messages->answers = {answer};
    window->close();
    QCOMPARE(messages->shown.size(), 1);
    QCOMPARE(messages->shown[0].text, QStringLiteral("変換処理中です. 変換を中止して終了しますか?"));
    if (!closed) {
      QVERIFY(conversionRunning(*window));
      QTest::keyClick(window.get(), Qt::Key_Escape);
    }
    QVERIFY(QTest::qWaitFor([this] { return !conversionRunning(*window); }, 60000));
    QTRY_COMPARE(window->isVisible(), !closed);
  }

  void findWalksTheMatchesBothWays() {
    window->txtMain()->setPlainText(QStringLiteral("猫と犬と猫と鳥と猫"));
    window->command("mnuFind")->trigger();
    auto* field = window->findChild<QLineEdit*>(QStringLiteral("txtFind"));
    QVERIFY(field && field->isVisible());
    field->setText(QStringLiteral("猫"));
    window->txtMain()->moveCursor(QTextCursor::Start);
    QList<int> positions;
    for (int i = 0; i < 4; ++i) {
      QTest::keyClick(field, Qt::Key_Return);
      positions << window->txtMain()->textCursor().selectionStart();
    }
    QCOMPARE(positions, (QList<int>{0, 4, 8, 0}));  // wraps around after the last
    QTest::keyClick(field, Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(window->txtMain()->textCursor().selectionStart(), 8);
    field->setText(QStringLiteral("象"));
    QVERIFY(!window->findInSource(false));
    // Nothing found is said, and said no more once the text is changed.
    auto* result = window->findChild<QLabel*>(QStringLiteral("lblFindResult"));
    QCOMPARE(result->text(), QStringLiteral("見つかりません"));
    QTest::keyClick(field, Qt::Key_Backspace);
    QCOMPARE(result->text(), QString());

    // Ctrl+Tab leaves the source pane (Tab types a tab there) through the find bar back to the tab strip.
    window->txtMain()->setFocus(Qt::OtherFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(window->txtMain()));
    bool first = true;
    for (const QString& name :
         {QStringLiteral("txtFind"), QStringLiteral("cmdFindPrevious"), QStringLiteral("cmdFindNext"),
          QStringLiteral("txtReplace"), QStringLiteral("cmdReplace"), QStringLiteral("cmdReplaceAll"),
          QStringLiteral("cmdFindClose"), QString()}) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, first ? Qt::ControlModifier : Qt::NoModifier);
      first = false;
      QWidget* expected = name.isEmpty() ? static_cast<QWidget*>(window->SSTabMain()->tabBar())
                                         : window->findChild<QWidget*>(name);
      QTRY_COMPARE(QApplication::focusWidget(), expected);
    }
  }

  void replaceAndReplaceAll_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("said");
    struct Row {
      const char* name;
      const char* button;
      const char* find;
      const char* replacement;
      const char* after;
      const char* said;
    };
    const Row rows[] = {
        {"置換 on the selected match, then the next is selected", "cmdReplace", "猫", "犬", "犬と猫と猫", ""},
        {"すべて置換", "cmdReplaceAll", "猫", "犬", "犬と犬と犬", "3 件置換しました"},
        {"すべて置換 with a replacement holding the text", "cmdReplaceAll", "猫", "子猫", "子猫と子猫と子猫",
         "3 件置換しました"},
        {"すべて置換 of nothing", "cmdReplaceAll", "象", "犬", "猫と猫と猫", "見つかりません"},
        {"置換 of nothing", "cmdReplace", "象", "犬", "猫と猫と猫", "見つかりません"},
    };
    for (const Row& r : rows)
      QTest::newRow(r.name) << QString::fromUtf8(r.button) << QString::fromUtf8(r.find)
                            << QString::fromUtf8(r.replacement) << QString::fromUtf8(r.after)
                            << QString::fromUtf8(r.said);
  }
  void replaceAndReplaceAll() {
    QFETCH(QString, button);
    QFETCH(QString, find);
    QFETCH(QString, replacement);
    QFETCH(QString, after);
    QFETCH(QString, said);
    window->txtMain()->setPlainText(QStringLiteral("猫と猫と猫"));
    window->command("mnuFind")->trigger();
    window->findChild<QLineEdit*>(QStringLiteral("txtFind"))->setText(find);
    window->findChild<QLineEdit*>(QStringLiteral("txtReplace"))->setText(replacement);
    window->txtMain()->moveCursor(QTextCursor::Start);
    window->findInSource(false);
    window->findChild<QPushButton*>(button)->click();
    QCOMPARE(window->txtMain()->toPlainText(), after);
    QCOMPARE(window->findChild<QLabel*>(QStringLiteral("lblFindResult"))->text(), said);
    if (button == QLatin1String("cmdReplace") && after != QStringLiteral("猫と猫と猫"))
      QCOMPARE(window->txtMain()->textCursor().selectionStart(), 2);
    // One undo gives the text back, whatever was replaced.
    window->txtMain()->undo();
    QCOMPARE(window->txtMain()->toPlainText(), QStringLiteral("猫と猫と猫"));
  }

  void tabTypesATabInTheSource() {
    window->txtMain()->setFocus(Qt::OtherFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(window->txtMain()));
    QTest::keyClicks(window->txtMain(), QStringLiteral("a"));
    QTest::keyClick(window->txtMain(), Qt::Key_Tab);
    QTest::keyClicks(window->txtMain(), QStringLiteral("b"));
    QCOMPARE(window->txtMain()->toPlainText(), QStringLiteral("a\tb"));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(window->txtMain()));
  }

  // The editing font's size follows Ctrl+wheel and Ctrl++ / Ctrl+-, and is kept for the next start.
  void theEditingFontZoomsAndIsRemembered_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("change");
    QTest::newRow("Ctrl++") << "plus" << 1;
    QTest::newRow("Ctrl+-") << "minus" << -1;
    QTest::newRow("Ctrl+wheel up two notches") << "wheelUp" << 2;
    QTest::newRow("Ctrl+wheel down") << "wheelDown" << -1;
    QTest::newRow("never below 6 points") << "floor" << -1;  // from 7, twice
  }
  void theEditingFontZoomsAndIsRemembered() {
    QFETCH(QString, how);
    QFETCH(int, change);
    auto* pane = window->txtMain();
    const int before = how == QLatin1String("floor") ? 7 : pane->fontPointSize();
    pane->setFontPointSize(before);
    pane->setFocus(Qt::OtherFocusReason);
    const auto wheel = [pane](int notches) {
      QWheelEvent event(QPointF(5, 5), pane->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120 * notches),
                        Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
      QApplication::sendEvent(pane->viewport(), &event);
    };
    if (how == QLatin1String("plus")) QTest::keyClick(pane, Qt::Key_Plus, Qt::ControlModifier);
    if (how == QLatin1String("minus") || how == QLatin1String("floor"))
      QTest::keyClick(pane, Qt::Key_Minus, Qt::ControlModifier);
    if (how == QLatin1String("floor")) QTest::keyClick(pane, Qt::Key_Minus, Qt::ControlModifier);
    if (how == QLatin1String("wheelUp")) wheel(2);
    if (how == QLatin1String("wheelDown")) wheel(-1);
    QCOMPARE(pane->fontPointSize(), before + change);
    // Nothing was typed by the keys.
    QCOMPARE(pane->toPlainText(), QString());
    QVERIFY(window->close());
    auto second = makeWindow();
    QCOMPARE(second->txtMain()->fontPointSize(), before + change);
  }

  void aFirstStartTakesThreeQuartersOfTheScreen() {
    // No settings file: the window is sized for the screen, not at its smallest.
    const QRect screen = window->screen()->availableGeometry();
    QVERIFY2(window->width() >= screen.width() * 7 / 10 && window->width() <= screen.width() * 8 / 10,
             qPrintable(QStringLiteral("%1 of %2").arg(window->width()).arg(screen.width())));
    QVERIFY(window->height() >= screen.height() * 7 / 10 && window->height() <= screen.height() * 8 / 10);
    QVERIFY(screen.intersects(window->frameGeometry()));
  }
};

QTEST_MAIN(WorkspaceTest)
#include "workspace_test.moc"
