#include "startup.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <QtTest>
#include <atomic>
#include <stdexcept>
#include <vector>

#include "dialog_watch.h"
#include "fake_dialogs.h"
#include "lock_holder_client.h"
#include "platform_routines.h"

using namespace zelvato;

namespace {

int visibleTopLevelWindows() {
  int count = 0;
  for (QWidget* widget : QApplication::topLevelWidgets()) count += widget->isVisible() ? 1 : 0;
  return count;
}

}  // namespace

class StartupTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void init();
  void cleanup();
  void secondCopyIsRefusedBeforeAnyWindow();
  void refusalBoxCarriesTitleStopIconAndOkButton();
  void programCarriesItsNameVersionAndIcon();
  void standardButtonsAndFileDialogSpeakJapanese();
  void startShowsSplashThenMainWindowThenClosesSplash();
  void failingStepDoesNotStopTheStart();
  void laterLaunchesHandTheirFilesToTheRunningWindow();
  void launchesAtOnceReachTheWindowAsOneList();
  void handedOverFilesAreGatheredIntoOneList_data();
  void handedOverFilesAreGatheredIntoOneList();

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  QString lockPath_;
  std::unique_ptr<testing::FakeDialogs> dialogs_;
  QList<testing::Asked> messages() const { return dialogs_->shown; }
};

void StartupTest::init() {
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(dir_->isValid());
  lockPath_ = dir_->filePath(QStringLiteral("zelvato.lock"));
  dialogs_ = std::make_unique<testing::FakeDialogs>();
}

void StartupTest::cleanup() {
  dialogs_.reset();
}

void StartupTest::secondCopyIsRefusedBeforeAnyWindow() {
  QProcess firstCopy;
  QCOMPARE(startHolder(firstCopy, lockPath_), QByteArray("held"));
  bool mainWindowCreated = false;
  StartupParts parts;
  parts.dialogs = dialogs_.get();
  parts.createMainWindow = [&mainWindowCreated]() -> std::unique_ptr<QWidget> {
    mainWindowCreated = true;
    return std::make_unique<QWidget>();
  };
  RunningProgram program;

  QVERIFY(!Main(program, parts, lockPath_));

  QCOMPARE(messages().size(), 1);
  QCOMPARE(messages()[0].text, QStringLiteral("二重起動することはできません."));
  QCOMPARE(messages()[0].icon, ui::MessageIcon::stop);
  QCOMPARE(messages()[0].buttons, ui::MessageButtons::ok);
  QVERIFY(!mainWindowCreated);
  QVERIFY(!program.splash);
  QCOMPARE(visibleTopLevelWindows(), 0);
  QCOMPARE(firstCopy.state(), QProcess::Running);
  killHard(firstCopy);
}

void StartupTest::programCarriesItsNameVersionAndIcon() {
  applyProgramIdentity();
  QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Zelvato"));
  QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral("1.2.0"));
  // The splash and the message boxes carry the main window's program icon.
  const QImage icon = QApplication::windowIcon().pixmap(32, 32).toImage();
  QVERIFY(!icon.isNull());
  QCOMPARE(icon, QIcon(QStringLiteral(":/zelvato/icons/zelvato.svg")).pixmap(32, 32).toImage());
}

void StartupTest::standardButtonsAndFileDialogSpeakJapanese() {
  applyProgramIdentity();
  QMessageBox box;
  box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("はい(&Y)"));
  QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("キャンセル"));
  QFileDialog dialog;
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"))->text(), QStringLiteral("アドレス:"));
}

void StartupTest::refusalBoxCarriesTitleStopIconAndOkButton() {
  QProcess firstCopy;
  QCOMPARE(startHolder(firstCopy, lockPath_), QByteArray("held"));
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  testing::DialogWatch<QMessageBox> watch([&](QMessageBox* box) {
    title = box->windowTitle();
    text = box->text();
    icon = box->icon();
    buttons = box->standardButtons();
    const QByteArray shots = qgetenv("ZELVATO_SCREENSHOT_DIR");
    if (!shots.isEmpty()) box->grab().save(QString::fromLocal8Bit(shots) + QStringLiteral("/refusal.png"));
    box->button(QMessageBox::Ok)->click();
  });

  SingleInstanceLock lock;
  // The real box, as the program shows it.
  QVERIFY(refuseSecondInstance(lock, lockPath_, ui::realDialogs()));
  QVERIFY(watch.answered());

  QCOMPARE(title, QStringLiteral("Zelvato"));
  QCOMPARE(text, QStringLiteral("二重起動することはできません."));
  QCOMPARE(icon, QMessageBox::Critical);
  QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  killHard(firstCopy);
}

void StartupTest::startShowsSplashThenMainWindowThenClosesSplash() {
  appFolder.clear();
  QStringList steps;
  RunningProgram program;
  StartupParts parts;
  parts.dialogs = dialogs_.get();
  parts.preloadProgressWindow = [&] {
    steps << QStringLiteral("progress window");
    if (program.splash && program.splash->isVisible()) steps << QStringLiteral("splash shown");
    if (appFolder.endsWith(QLatin1Char('/'))) steps << QStringLiteral("appFolder filled");
  };
  parts.createMainWindow = [&]() -> std::unique_ptr<QWidget> {
    steps << QStringLiteral("main window");
    // Loaded behind the splash, before the splash timer runs.
    QWindow* splashWindow = program.splash->windowHandle();
    if (splashWindow != nullptr && splashWindow->isExposed()) steps << QStringLiteral("splash on screen");
    if (!program.splash->LoadingTimer()->isActive()) steps << QStringLiteral("splash timer idle");
    auto window = std::make_unique<QWidget>();
    window->setWindowTitle(QStringLiteral("Zelvato"));
    return window;
  };

  QVERIFY(Main(program, parts, lockPath_));

  QCOMPARE(steps, (QStringList{QStringLiteral("progress window"), QStringLiteral("splash shown"),
                               QStringLiteral("appFolder filled"), QStringLiteral("main window"),
                               QStringLiteral("splash on screen"), QStringLiteral("splash timer idle")}));
  QVERIFY(messages().isEmpty());
  QVERIFY(program.instanceLock.isHeld());
  QVERIFY(program.mainWindow && program.mainWindow->isVisible());
  QVERIFY(program.splash->isVisible());
  QVERIFY(program.splash->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  QVERIFY(program.splash->LoadingTimer()->isActive());
  // A copy started now is refused.
  QProcess secondCopy;
  QCOMPARE(startHolder(secondCopy, lockPath_), QByteArray("busy"));
  secondCopy.waitForFinished(10000);

  QTRY_VERIFY_WITH_TIMEOUT(!program.splash->isVisible(), 10000);
  QCOMPARE(program.splash->tickCount(), 4);
  QVERIFY(program.mainWindow->isVisible());
}

void StartupTest::failingStepDoesNotStopTheStart() {
  RunningProgram program;
  StartupParts parts;
  parts.dialogs = dialogs_.get();
  parts.preloadProgressWindow = [] {
    throw std::runtime_error("the progress bar control cannot be created");
  };
  parts.createMainWindow = []() -> std::unique_ptr<QWidget> { return std::make_unique<QWidget>(); };

  QVERIFY(Main(program, parts, lockPath_));

  QVERIFY(program.mainWindow && program.mainWindow->isVisible());
  QVERIFY(program.splash->LoadingTimer()->isActive());
  QVERIFY(messages().isEmpty());
}

void StartupTest::laterLaunchesHandTheirFilesToTheRunningWindow() {
  QStringList opened;
  RunningProgram program;
  StartupParts parts;
  parts.dialogs = dialogs_.get();
  parts.createMainWindow = []() -> std::unique_ptr<QWidget> { return std::make_unique<QWidget>(); };
  parts.fileToOpen = QStringLiteral("/texts/first.txt");
  parts.channelPath = dir_->filePath(QStringLiteral("zelvato.socket"));
  parts.openFile = [&opened](QWidget&, const QString& path) { opened << path; };

  QVERIFY(Main(program, parts, lockPath_));
  QCOMPARE(opened, QStringList{QStringLiteral("/texts/first.txt")});

  // A second launch, with a file and without one: the running window takes the
  // file; no second window, no refusal. It blocks on its side of the socket as
  // a process of its own would, so it runs on a thread of its own here.
  for (const QString& file : {QStringLiteral("/texts/second.txt"), QString()}) {
    std::atomic<int> refused{-1};
    QThread* launch = QThread::create([&] {
      SingleInstanceLock lock;
      refused = refuseSecondInstance(lock, lockPath_, *dialogs_, parts.channelPath, file) ? 1 : 0;
    });
    launch->start();
    QTRY_VERIFY_WITH_TIMEOUT(refused.load() >= 0, 10000);
    QVERIFY(launch->wait(5000));
    delete launch;
    QCOMPARE(refused.load(), 1);
  }
  // Opened once the moment of gathering launches has passed.
  QTRY_COMPARE(opened,
               (QStringList{QStringLiteral("/texts/first.txt"), QStringLiteral("/texts/second.txt")}));
  QVERIFY(messages().isEmpty());
}

// Launches started together (a file manager opening several files) reach the
// running window as one list, once the window says it can take them.
void StartupTest::launchesAtOnceReachTheWindowAsOneList() {
  QList<QStringList> lists;
  int busyAnswers = 2;
  RunningProgram program;
  StartupParts parts;
  parts.dialogs = dialogs_.get();
  parts.createMainWindow = []() -> std::unique_ptr<QWidget> { return std::make_unique<QWidget>(); };
  parts.channelPath = dir_->filePath(QStringLiteral("zelvato.socket"));
  parts.openFile = [](QWidget&, const QString&) { QFAIL("each file was opened on its own"); };
  parts.openHandedOver = [&lists](QWidget&, const QStringList& paths) { lists.append(paths); };
  parts.readyToOpen = [&busyAnswers](QWidget&) { return busyAnswers-- <= 0; };
  QVERIFY(Main(program, parts, lockPath_));

  QStringList files;
  std::vector<QThread*> launches;
  std::atomic<int> refused{0};
  std::atomic<int> ended{0};
  for (int i = 0; i < 8; ++i) {
    files << QStringLiteral("/texts/%1.txt").arg(i);
    launches.push_back(QThread::create([&, file = files.back()] {
      SingleInstanceLock lock;
      if (refuseSecondInstance(lock, lockPath_, *dialogs_, parts.channelPath, file)) ++refused;
      ++ended;
    }));
  }
  for (QThread* launch : launches) launch->start();
  QTRY_VERIFY_WITH_TIMEOUT(ended.load() == 8, 20000);
  for (QThread* launch : launches) {
    QVERIFY(launch->wait(5000));
    delete launch;
  }
  // Every launch was taken (none refused with a message) and the window had one list.
  QCOMPARE(refused.load(), 8);
  QVERIFY(messages().isEmpty());
  QTRY_COMPARE(lists.size(), 1);
  QStringList listed = lists.front();
  listed.sort();
  QCOMPARE(listed, files);
  QTest::qWait(300);
  QCOMPARE(lists.size(), 1);
}

// Files handed over in one burst make one list; those that come while a list
// is asked about, or while the window is busy, wait for the next one.
void StartupTest::handedOverFilesAreGatheredIntoOneList_data() {
  QTest::addColumn<QStringList>("burst");
  QTest::addColumn<QStringList>("duringTheQuestion");  // handed over while the first list is asked about
  QTest::addColumn<int>("busyChecks");                 // the window says it is busy this many times first
  QTest::addColumn<QList<QStringList>>("lists");
  const QStringList abc{QStringLiteral("/a"), QStringLiteral("/b"), QStringLiteral("/c")};
  QTest::newRow("a burst is one list, in order") << abc << QStringList{} << 0 << QList<QStringList>{abc};
  QTest::newRow("a file named twice is listed once")
      << QStringList{QStringLiteral("/a"), QStringLiteral("/b"), QStringLiteral("/a")} << QStringList{} << 0
      << QList<QStringList>{{QStringLiteral("/a"), QStringLiteral("/b")}};
  QTest::newRow("a launch without a file adds nothing")
      << QStringList{QString(), QStringLiteral("/a")} << QStringList{} << 0
      << QList<QStringList>{{QStringLiteral("/a")}};
  QTest::newRow("files handed over during the question make one list after it")
      << abc << QStringList{QStringLiteral("/d"), QStringLiteral("/e")} << 0
      << QList<QStringList>{abc, {QStringLiteral("/d"), QStringLiteral("/e")}};
  QTest::newRow("a busy window gets the whole burst once it is free")
      << abc << QStringList{} << 3 << QList<QStringList>{abc};
}

void StartupTest::handedOverFilesAreGatheredIntoOneList() {
  QFETCH(QStringList, burst);
  QFETCH(QStringList, duringTheQuestion);
  QFETCH(int, busyChecks);
  QFETCH(QList<QStringList>, lists);
  QList<QStringList> delivered;
  HandOverQueue* queue = nullptr;
  int busy = busyChecks;
  HandOverQueue gathering(
      nullptr,
      [&](const QStringList& paths) {
        delivered.append(paths);
        // The question's own event loop: more launches arrive meanwhile.
        if (delivered.size() == 1)
          for (const QString& path : duringTheQuestion) queue->add(path);
        QTest::qWait(50);
      },
      [&] { return busy-- <= 0; }, 20);
  queue = &gathering;
  for (const QString& path : burst) gathering.add(path);
  QTRY_COMPARE(delivered, lists);
  QTest::qWait(200);  // and nothing after them
  QCOMPARE(delivered, lists);
  QVERIFY(gathering.waiting().isEmpty());
}

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
