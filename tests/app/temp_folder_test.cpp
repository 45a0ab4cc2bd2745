#include "temp_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "app_texts.h"
#include "fake_dialogs.h"

using namespace zelvato;

namespace {

mode_t modeOf(const QString& path) {
  struct stat info {};
  if (::lstat(QFile::encodeName(path).constData(), &info) != 0) return 0;
  return info.st_mode & 07777;
}

bool makeDir(const QString& path, mode_t mode) {
  const QByteArray name = QFile::encodeName(path);
  return ::mkdir(name.constData(), mode) == 0 && ::chmod(name.constData(), mode) == 0;
}

}  // namespace

class TempFolderTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void init();
  void sharedFolderIsUsedOnlyWhenPrivate_data();
  void sharedFolderIsUsedOnlyWhenPrivate();
  void runtimeFolderIsUsedOnlyWhenPrivate_data();
  void runtimeFolderIsUsedOnlyWhenPrivate();
  void ownCacheFolderIsTightenedToPrivate();
  void noPrivateFolderGivesEmptyText();
  void tempFolderUsesTheSessionRuntimeFolder();
  void tempFolderFailureShowsStopMessageAndGivesEmptyText();

 private:
  std::unique_ptr<QTemporaryDir> base_;
  QString shared_;
  QString cache_;
  QString sharedFolder_;
};

void TempFolderTest::init() {
  base_ = std::make_unique<QTemporaryDir>();
  QVERIFY(base_->isValid());
  shared_ = base_->filePath(QStringLiteral("tmp"));
  cache_ = base_->filePath(QStringLiteral("cache"));
  QVERIFY(makeDir(shared_, 01777));
  sharedFolder_ = shared_ + QStringLiteral("/zelvato-") + QString::number(::geteuid());
}

// What another user (or an accident) may have left at /tmp/zelvato-<uid>.
void TempFolderTest::sharedFolderIsUsedOnlyWhenPrivate_data() {
  QTest::addColumn<QString>("planted");
  QTest::addColumn<bool>("sharedUsed");
  QTest::newRow("nothing there: made with mode 0700") << "nothing" << true;
  QTest::newRow("own private folder from an earlier start") << "own0700" << true;
  QTest::newRow("own folder others can read is refused") << "own0755" << false;
  QTest::newRow("symbolic link to a private folder is refused") << "symlink" << false;
  QTest::newRow("folder of another user is refused") << "foreign" << false;
  QTest::newRow("plain file is refused") << "file" << false;
}

void TempFolderTest::sharedFolderIsUsedOnlyWhenPrivate() {
  QFETCH(QString, planted);
  QFETCH(bool, sharedUsed);
  if (planted == QLatin1String("own0700")) {
    QVERIFY(makeDir(sharedFolder_, 0700));
  } else if (planted == QLatin1String("own0755")) {
    QVERIFY(makeDir(sharedFolder_, 0755));
  } else if (planted == QLatin1String("symlink")) {
    const QString target = base_->filePath(QStringLiteral("elsewhere"));
    QVERIFY(makeDir(target, 0700));
    QVERIFY(QFile::link(target, sharedFolder_));
  } else if (planted == QLatin1String("foreign")) {
    if (::geteuid() != 0) QSKIP("making a folder owned by another user needs root");
    QVERIFY(makeDir(sharedFolder_, 0700));
    QCOMPARE(::chown(QFile::encodeName(sharedFolder_).constData(), 65534, 65534), 0);
  } else if (planted == QLatin1String("file")) {
    QFile file(sharedFolder_);
    QVERIFY(file.open(QIODevice::WriteOnly));
  }

  const QString folder = privateFolder({QString(), shared_, cache_});

  const QString expected =
      sharedUsed ? sharedFolder_ + QLatin1Char('/') : cache_ + QStringLiteral("/zelvato/");
  QCOMPARE(folder, expected);
  QCOMPARE(modeOf(folder), mode_t{0700});
  QVERIFY(!QFileInfo(QDir::cleanPath(folder)).isSymLink());
}

void TempFolderTest::runtimeFolderIsUsedOnlyWhenPrivate_data() {
  QTest::addColumn<QString>("runtime");
  QTest::addColumn<bool>("runtimeUsed");
  QTest::newRow("private runtime folder") << "private" << true;
  QTest::newRow("private runtime folder named with a trailing separator") << "private/" << true;
  QTest::newRow("runtime folder others can enter") << "open" << false;
  QTest::newRow("runtime folder that is a link") << "link" << false;
  QTest::newRow("runtime folder that does not exist") << "missing" << false;
  QTest::newRow("relative runtime folder") << "relative" << false;
}

void TempFolderTest::runtimeFolderIsUsedOnlyWhenPrivate() {
  QFETCH(QString, runtime);
  QFETCH(bool, runtimeUsed);
  const QString privateRuntime = base_->filePath(QStringLiteral("run-private"));
  QVERIFY(makeDir(privateRuntime, 0700));
  QVERIFY(makeDir(base_->filePath(QStringLiteral("run-open")), 0755));
  QVERIFY(QFile::link(privateRuntime, base_->filePath(QStringLiteral("run-link"))));
  const QString runtimeDir = runtime == QLatin1String("private")    ? privateRuntime
                             : runtime == QLatin1String("private/") ? privateRuntime + QLatin1Char('/')
                             : runtime == QLatin1String("open") ? base_->filePath(QStringLiteral("run-open"))
                             : runtime == QLatin1String("link") ? base_->filePath(QStringLiteral("run-link"))
                             : runtime == QLatin1String("missing")
                                 ? base_->filePath(QStringLiteral("run-missing"))
                                 : QStringLiteral("run-private");

  const QString folder = privateFolder({runtimeDir, shared_, cache_});

  QCOMPARE(folder, runtimeUsed ? privateRuntime + QLatin1Char('/') : sharedFolder_ + QLatin1Char('/'));
}

void TempFolderTest::ownCacheFolderIsTightenedToPrivate() {
  QVERIFY(makeDir(cache_, 0755));
  QVERIFY(makeDir(cache_ + QStringLiteral("/zelvato"), 0755));
  // The shared place is unusable: a plain file stands where the folder would go.
  QFile file(sharedFolder_);
  QVERIFY(file.open(QIODevice::WriteOnly));

  const QString folder = privateFolder({QString(), shared_, cache_});

  QCOMPARE(folder, cache_ + QStringLiteral("/zelvato/"));
  QCOMPARE(modeOf(folder), mode_t{0700});
}

void TempFolderTest::noPrivateFolderGivesEmptyText() {
  const QString notAFolder = base_->filePath(QStringLiteral("plain-file"));
  QFile file(notAFolder);
  QVERIFY(file.open(QIODevice::WriteOnly));
  QCOMPARE(privateFolder({QString(), notAFolder, notAFolder}), QString());
  QCOMPARE(privateFolder({}), QString());
}

void TempFolderTest::tempFolderUsesTheSessionRuntimeFolder() {
  const QString runtime = base_->filePath(QStringLiteral("session"));
  QVERIFY(makeDir(runtime, 0700));
  qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
  testing::FakeDialogs dialogs;
  QCOMPARE(tempFolder(dialogs), runtime + QLatin1Char('/'));
  QCOMPARE(previewFilePath(dialogs), runtime + QStringLiteral("/zelvato_temp.html"));
  QVERIFY(dialogs.shown.isEmpty());
  qunsetenv("XDG_RUNTIME_DIR");
}

void TempFolderTest::tempFolderFailureShowsStopMessageAndGivesEmptyText() {
  const QString notAFolder = base_->filePath(QStringLiteral("plain-file"));
  QFile file(notAFolder);
  QVERIFY(file.open(QIODevice::WriteOnly));
  const QByteArray oldTmp = qgetenv("TMPDIR");
  const QByteArray oldCache = qgetenv("XDG_CACHE_HOME");
  qunsetenv("XDG_RUNTIME_DIR");
  qputenv("TMPDIR", QFile::encodeName(notAFolder));
  qputenv("XDG_CACHE_HOME", QFile::encodeName(notAFolder));
  testing::FakeDialogs dialogs;
  const QString folder = tempFolder(dialogs);
  const QString preview = previewFilePath(dialogs);

  qputenv("TMPDIR", oldTmp);
  qputenv("XDG_CACHE_HOME", oldCache);
  if (oldCache.isEmpty()) qunsetenv("XDG_CACHE_HOME");
  if (oldTmp.isEmpty()) qunsetenv("TMPDIR");
  QCOMPARE(folder, QString());
  QCOMPARE(preview, QString());  // never the bare name in the current folder
  QCOMPARE(dialogs.shown.size(), 2);
  QCOMPARE(dialogs.shown[1].icon, ui::MessageIcon::stop);
  QCOMPARE(dialogs.shown[1].text,
           QStringLiteral("一時ﾌｧｲﾙを置く利用者専用のﾌｫﾙﾀﾞが用意できないため、変換できません."));
}

QTEST_MAIN(TempFolderTest)
#include "temp_folder_test.moc"
