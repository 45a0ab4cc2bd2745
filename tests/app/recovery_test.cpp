// Never lose a keystroke: unsaved text is journaled while the window runs,
// survives the process being killed, and is offered back (復元 / 破棄) at
// the next start; settings reach their file as they change.
#include <signal.h>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTextDocument>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "commands.h"
#include "fake_dialogs.h"
#include "frm_main.h"
#include "main_window_fixture.h"
#include "recovery_journal.h"
#include "settings_model.h"
#include "source_saving.h"
#include "source_text_edit.h"
#include "window_controls.h"

using namespace zelvato;
using namespace zelvato::testing;
using ui::frmMain;
using ui::MessageAnswer;

namespace {

QString stateFolder() {
  return runtimeFolder().filePath(QStringLiteral("state"));
}

QStringList journalFiles() {
  return QDir(recoveryFolder()).entryList({QStringLiteral("recovery-*.json")}, QDir::Files);
}

// A recovery file as a crashed process of another id would have left it.
QString leaveRecoveryFile(const QString& name, const RecoveredText& text) {
  QDir().mkpath(recoveryFolder());
  const QString path = QDir(recoveryFolder()).filePath(name);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return {};
  file.write(recoveryFileBytes(text));
  return path;
}

}  // namespace

class RecoveryTest : public QObject {
  Q_OBJECT

 public:
  static void initMain() {
    prepareMainWindowTest();
    qputenv("XDG_STATE_HOME", stateFolder().toLocal8Bit());
  }

 private:
  std::unique_ptr<FakeDialogs> dialogs_;
  std::unique_ptr<frmMain> window_;
  std::unique_ptr<QTemporaryDir> dir_;

  std::unique_ptr<frmMain> makeWindow() {
    auto w = std::make_unique<frmMain>(dialogs_.get());
    connectCommands(*w);
    restoreUserSettings(*w);
    installRecoveryJournal(*w);
    return w;
  }

  void type(const QString& text) {
    window_->txtMain()->setFocus();
    window_->txtMain()->moveCursor(QTextCursor::End);
    ui::typeText(window_->txtMain(), text);
  }

  // What the journal of this window holds now; nothing when it has no file.
  std::optional<RecoveredText> journaled() const {
    const QStringList files = journalFiles();
    if (files.size() != 1) return std::nullopt;
    QFile file(QDir(recoveryFolder()).filePath(files.first()));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return parseRecoveryFile(file.readAll());
  }

 private Q_SLOTS:
  void init() {
    QDir(stateFolder()).removeRecursively();
    QFile::remove(runtimeFolder().filePath(QStringLiteral("config/zelvato/zelvato.ini")));
    dialogs_ = std::make_unique<FakeDialogs>();
    dir_ = std::make_unique<QTemporaryDir>();
    window_ = makeWindow();
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }

  void cleanup() {
    window_.reset();
    dialogs_.reset();
    dir_.reset();
  }

  // ---- the whole story ----------------------------------------------------------

  void aKilledWindowsTextAndSettingsComeBack() {
    const QString typed = QStringLiteral("吾輩は猫である。名前はまだ無い。\n𠮷野家\tにて");
    QProcess writer;
    writer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    writer.start(QStringLiteral(JOURNAL_WRITER_PATH), {typed, QStringLiteral("33")});
    QVERIFY(writer.waitForStarted(20000));
    QVERIFY(QTest::qWaitFor([&] { return writer.canReadLine() || writer.state() == QProcess::NotRunning; },
                            60000));
    QCOMPARE(writer.readLine(), QByteArray("ready\n"));
    // No chance to tidy up: the process dies as in a crash or a power cut.
    ::kill(static_cast<pid_t>(writer.processId()), SIGKILL);
    QVERIFY(writer.waitForFinished(20000));
    QCOMPARE(journalFiles().size(), 1);

    // The next start: the settings of the killed session, and the question.
    window_.reset();
    dialogs_->answers = {MessageAnswer::restore};
    window_ = makeWindow();
    window_->show();
    QCOMPARE(window_->readSettings().charsPerLine.typed(), std::u16string(u"33"));
    offerRecoveredTexts(*window_);
    QCOMPARE(dialogs_->shown.size(), 1);
    QCOMPARE(dialogs_->shown[0].buttons, ui::MessageButtons::restoreDiscard);
    QCOMPARE(window_->txtMain()->toPlainText(), typed);
    // Restored text is edited text: closing or loading asks before it goes.
    QVERIFY(window_->sourceModified());
    // The killed process's file is gone; this window journals the text itself.
    const std::optional<RecoveredText> now = journaled();
    QVERIFY(now);
    QCOMPARE(now->text, typed);

    // Saved, it leaves nothing to recover.
    QVERIFY(saveSourceTo(*window_, dir_->filePath(QStringLiteral("猫.txt")), SourceEncoding::utf8));
    QCOMPARE(journalFiles().size(), 0);
  }

  // ---- the question -------------------------------------------------------------

  void eachAnswerDecidesTheLeftText_data() {
    QTest::addColumn<QList<MessageAnswer>>("answers");
    QTest::addColumn<QString>("paneText");
    QTest::addColumn<QString>("fileShown");
    QTest::addColumn<int>("filesLeft");
    // Two texts left: the newer is offered first.
    QTest::newRow("restore the newer") << QList<MessageAnswer>{MessageAnswer::restore} << "新しい"
                                       << "b.txt" << 2;  // the older waits; this window journals its own
    QTest::newRow("discard both") << QList<MessageAnswer>{MessageAnswer::discard, MessageAnswer::discard}
                                  << ""
                                  << "" << 0;
    QTest::newRow("discard, then restore")
        << QList<MessageAnswer>{MessageAnswer::discard, MessageAnswer::restore} << "古い"
        << "a.txt" << 1;
    QTest::newRow("box closed: asked again next time")
        << QList<MessageAnswer>{MessageAnswer::cancel, MessageAnswer::cancel} << ""
        << "" << 2;
  }
  void eachAnswerDecidesTheLeftText() {
    QFETCH(QList<MessageAnswer>, answers);
    QFETCH(QString, paneText);
    QFETCH(QString, fileShown);
    QFETCH(int, filesLeft);
    const QString older = leaveRecoveryFile(
        QStringLiteral("recovery-0-old.json"),
        {{}, QStringLiteral("古い"), dir_->filePath(QStringLiteral("a.txt")), {SourceEncoding::cp932, LineEnd::crlf, {}}});
    QFile olderFile(older);
    QVERIFY(olderFile.open(QIODevice::ReadWrite));
    QVERIFY(olderFile.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    olderFile.close();
    leaveRecoveryFile(
        QStringLiteral("recovery-0-new.json"),
        {{}, QStringLiteral("新しい"), dir_->filePath(QStringLiteral("b.txt")), {SourceEncoding::utf8, LineEnd::crlf, {}}});
    dialogs_->answers = answers;
    offerRecoveredTexts(*window_);
    QCOMPARE(window_->txtMain()->toPlainText(), paneText);
    QCOMPARE(QFileInfo(window_->sourceFilePath()).fileName(), fileShown);
    QCOMPARE(journalFiles().size(), filesLeft);
    if (!paneText.isEmpty()) QVERIFY(window_->sourceModified());
  }

  // ---- the journal ----------------------------------------------------------------

  void theJournalFollowsTheText_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("fileLeft");
    QTest::newRow("typing stops") << "pause" << true;
    QTest::newRow("the window loses the keyboard") << "deactivate" << true;
    QTest::newRow("saved") << "save" << false;
    QTest::newRow("new text, edits discarded") << "new" << false;
    QTest::newRow("the window closes normally") << "destroy" << false;
    QTest::newRow("all typing undone") << "undo" << false;
  }
  void theJournalFollowsTheText() {
    QFETCH(QString, action);
    QFETCH(bool, fileLeft);
    type(QStringLiteral("一行目"));
    if (action == QLatin1String("pause")) {
      QVERIFY(QTest::qWaitFor([] { return !journalFiles().isEmpty(); }, 20000));
    } else {
      QVERIFY(writeRecoveryJournalNow(*window_));
    }
    if (action == QLatin1String("deactivate")) {
      type(QStringLiteral("二行目"));
      QEvent deactivate(QEvent::WindowDeactivate);
      QApplication::sendEvent(window_.get(), &deactivate);
      QCOMPARE(journaled()->text, QStringLiteral("一行目二行目"));
    } else if (action == QLatin1String("save")) {
      QVERIFY(saveSourceTo(*window_, dir_->filePath(QStringLiteral("a.txt")), SourceEncoding::cp932));
    } else if (action == QLatin1String("new")) {
      dialogs_->answers = {MessageAnswer::discard};
      newSource(*window_);
    } else if (action == QLatin1String("destroy")) {
      window_->setCloseGuard({});
      window_.reset();
    } else if (action == QLatin1String("undo")) {
      while (window_->txtMain()->document()->isUndoAvailable()) window_->txtMain()->undo();
    }
    QCOMPARE(!journalFiles().isEmpty(), fileLeft);
    // The folder is the user's alone.
    if (fileLeft)
      QVERIFY(!(QFileInfo(recoveryFolder()).permissions() & (QFile::ReadOther | QFile::ReadGroup)));
  }

  void onlyRecoveryFilesAreRead_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("read");
    const RecoveredText text{{},
                             QStringLiteral("𠮷\r\n\tあ"),
                             QStringLiteral("/x/猫.txt"),
                             {SourceEncoding::cp932, LineEnd::cr, {{0xFA5C, 0xED40}, {0x81E0, 0x8790}}}};
    QTest::newRow("a journal") << recoveryFileBytes(text) << true;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("cut short") << recoveryFileBytes(text).left(30) << false;
    QTest::newRow("other JSON") << QByteArray(R"({"text":"a"})") << false;
    QTest::newRow("a later format")
        << QByteArray(R"({"kind":"zelvato-recovery","version":2,"text":"a","encoding":0})") << false;
    QTest::newRow("unknown encoding")
        << QByteArray(R"({"kind":"zelvato-recovery","version":1,"text":"a","encoding":99,"lineEnd":0})")
        << false;
    QTest::newRow("unknown line break")
        << QByteArray(R"({"kind":"zelvato-recovery","version":1,"text":"a","encoding":0,"lineEnd":7})")
        << false;
    QTest::newRow("a form that is no code")
        << QByteArray(
               R"({"kind":"zelvato-recovery","version":1,"text":"a","encoding":6,"lineEnd":0,"cp932Forms":[[1]]})")
        << false;
  }
  void onlyRecoveryFilesAreRead() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, read);
    const std::optional<RecoveredText> text = parseRecoveryFile(bytes);
    QCOMPARE(text.has_value(), read);
    if (!read) return;
    QCOMPARE(text->text, QStringLiteral("𠮷\r\n\tあ"));
    QCOMPARE(text->sourcePath, QStringLiteral("/x/猫.txt"));
    // The file's form comes back whole: a save after the restore writes what the file had.
    QCOMPARE(text->format.encoding, SourceEncoding::cp932);
    QCOMPARE(text->format.lineEnd, LineEnd::cr);
    QVERIFY((text->format.cp932Forms == Cp932Forms{{0xFA5C, 0xED40}, {0x81E0, 0x8790}}));
  }
};

QTEST_MAIN(RecoveryTest)
#include "recovery_test.moc"
