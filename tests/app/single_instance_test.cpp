#include "single_instance.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "lock_holder_client.h"

using namespace zelvato;
using Result = SingleInstanceLock::Result;

class SingleInstanceTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void init();
  void secondCopyIsRefusedWhileFirstRuns();
  void killedCopyDoesNotBlockTheNextStart();
  void endedCopyLetsTheNextOneStart();
  void lockFileLinkIsNotFollowed();
  void unreachableLockFileLetsTheProgramStart();
  void lockFileLivesInThePrivateFolder();

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  QString lockPath_;
};

void SingleInstanceTest::init() {
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(dir_->isValid());
  lockPath_ = dir_->filePath(QStringLiteral("zelvato.lock"));
}

void SingleInstanceTest::secondCopyIsRefusedWhileFirstRuns() {
  QProcess first;
  QCOMPARE(startHolder(first, lockPath_), QByteArray("held"));

  SingleInstanceLock second;
  QCOMPARE(second.acquire(lockPath_), Result::heldElsewhere);
  QVERIFY(!second.isHeld());
  QProcess third;
  QCOMPARE(startHolder(third, lockPath_), QByteArray("busy"));
  third.waitForFinished(10000);

  // The refusal leaves the first copy running and holding its lock.
  QCOMPARE(first.state(), QProcess::Running);
  QCOMPARE(second.acquire(lockPath_), Result::heldElsewhere);
  killHard(first);
}

void SingleInstanceTest::killedCopyDoesNotBlockTheNextStart() {
  QProcess crashed;
  QCOMPARE(startHolder(crashed, lockPath_), QByteArray("held"));
  killHard(crashed);
  QCOMPARE(crashed.exitStatus(), QProcess::CrashExit);
  // The lock file is left behind, as after a real crash.
  QVERIFY(QFileInfo::exists(lockPath_));

  SingleInstanceLock next;
  QCOMPARE(next.acquire(lockPath_), Result::acquired);
  QVERIFY(next.isHeld());
  // And the copy that started now is the one a later start meets.
  QProcess later;
  QCOMPARE(startHolder(later, lockPath_), QByteArray("busy"));
  later.waitForFinished(10000);
}

void SingleInstanceTest::endedCopyLetsTheNextOneStart() {
  {
    SingleInstanceLock first;
    QCOMPARE(first.acquire(lockPath_), Result::acquired);
    QCOMPARE(first.acquire(lockPath_), Result::acquired);
    SingleInstanceLock second;
    QCOMPARE(second.acquire(lockPath_), Result::heldElsewhere);
  }
  SingleInstanceLock afterwards;
  QCOMPARE(afterwards.acquire(lockPath_), Result::acquired);
  afterwards.release();
  QVERIFY(!afterwards.isHeld());
  QProcess other;
  QCOMPARE(startHolder(other, lockPath_), QByteArray("held"));
  killHard(other);
}

void SingleInstanceTest::lockFileLinkIsNotFollowed() {
  const QString target = dir_->filePath(QStringLiteral("victim"));
  QVERIFY(QFile::link(target, lockPath_));
  SingleInstanceLock lock;
  QCOMPARE(lock.acquire(lockPath_), Result::unavailable);
  QVERIFY(!QFileInfo::exists(target));
}

void SingleInstanceTest::unreachableLockFileLetsTheProgramStart() {
  SingleInstanceLock lock;
  QCOMPARE(lock.acquire(dir_->filePath(QStringLiteral("no-such-folder/zelvato.lock"))), Result::unavailable);
  QCOMPARE(lock.acquire(QString()), Result::unavailable);
  QVERIFY(!lock.isHeld());
}

void SingleInstanceTest::lockFileLivesInThePrivateFolder() {
  const QString path = singleInstanceLockPath();
  QVERIFY(path.endsWith(QStringLiteral("/zelvato.lock")));
  const QFileInfo folder(QFileInfo(path).path());
  QVERIFY(folder.isDir());
  QVERIFY(!folder.isSymLink());
  QCOMPARE(folder.permissions() & (QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                                   QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther),
           QFileDevice::Permissions());
}

QTEST_MAIN(SingleInstanceTest)
#include "single_instance_test.moc"
