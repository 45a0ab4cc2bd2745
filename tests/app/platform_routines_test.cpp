#include "platform_routines.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

using namespace zelvato;

class PlatformRoutinesTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void programFolderAlwaysEndsInOneSeparator_data();
  void programFolderAlwaysEndsInOneSeparator();
  void initAppFolderNamesTheFolderHoldingTheProgram();
  void helpPageLiesBesideTheProgram();
  void helpPageIsFoundBesideTheProgramOrWhereItIsInstalled_data();
  void helpPageIsFoundBesideTheProgramOrWhereItIsInstalled();
  void ansiByteLengthCountsCodePage932Bytes_data();
  void ansiByteLengthCountsCodePage932Bytes();
  void setTopMostKeepsPlaceSizeAndVisibility_data();
  void setTopMostKeepsPlaceSizeAndVisibility();
};

void PlatformRoutinesTest::programFolderAlwaysEndsInOneSeparator_data() {
  QTest::addColumn<QString>("folder");
  QTest::addColumn<QString>("expected");
  QTest::newRow("folder without separator") << "/usr/lib/zelvato"
                                            << "/usr/lib/zelvato/";
  QTest::newRow("root stays a single separator") << "/"
                                                 << "/";
  QTest::newRow("separator already there") << "/opt/zelvato/"
                                           << "/opt/zelvato/";
  QTest::newRow("japanese folder name") << "/home/花子/縦書き"
                                        << "/home/花子/縦書き/";
  QTest::newRow("nothing reported stays nothing") << ""
                                                  << "";
}

void PlatformRoutinesTest::programFolderAlwaysEndsInOneSeparator() {
  QFETCH(QString, folder);
  QFETCH(QString, expected);
  QCOMPARE(folderWithSeparator(folder), expected);
}

void PlatformRoutinesTest::initAppFolderNamesTheFolderHoldingTheProgram() {
  appFolder.clear();
  initAppFolder();
  QVERIFY(appFolder.endsWith(QLatin1Char('/')));
  QVERIFY(!appFolder.endsWith(QStringLiteral("//")));
  // The help page is found as appFolder + "help/index.html"; here the program itself.
  QVERIFY2(QFileInfo::exists(appFolder + QFileInfo(QCoreApplication::applicationFilePath()).fileName()),
           qPrintable(appFolder));
}

// The Help command shows appFolder + "help/index.html".
void PlatformRoutinesTest::helpPageLiesBesideTheProgram() {
  QFile page(QStringLiteral(PROGRAM_DIR "/help/index.html"));
  QVERIFY2(page.open(QIODevice::ReadOnly), qPrintable(page.fileName()));
  const QByteArray bytes = page.readAll();
  QVERIFY(bytes.contains("<meta charset=\"utf-8\">"));
  QStringDecoder decoder(QStringDecoder::Utf8);
  const QString text = decoder.decode(bytes);
  QVERIFY(!decoder.hasError());
  // It covers every part of the window a user meets.
  for (const char* topic :
       {"変換元文章", "ﾚｲｱｳﾄ設定", "出力設定", "変換中断", "ﾎｰﾑﾍﾟｰｼﾞﾌﾟﾚﾋﾞｭｰ", "簡易出力HTML",
        "全てｸﾘｯﾌﾟﾎﾞｰﾄﾞへ", "分割出力", "文字の置き換え", "保存", "既定値に戻す", "自動ﾌﾟﾚﾋﾞｭｰ"}) {
    QVERIFY2(text.contains(QString::fromUtf8(topic)), topic);
  }
}

// A build tree has the help beside the program; an installed program (bin/zelvato)
// keeps it in share/zelvato/help.
void PlatformRoutinesTest::helpPageIsFoundBesideTheProgramOrWhereItIsInstalled_data() {
  QTest::addColumn<QStringList>("pages");
  QTest::addColumn<QString>("expected");
  const QString beside = QStringLiteral("bin/help/index.html");
  const QString installed = QStringLiteral("share/zelvato/help/index.html");
  QTest::newRow("build tree") << QStringList{beside} << beside;
  QTest::newRow("installed") << QStringList{installed} << installed;
  QTest::newRow("the page beside the program comes first") << QStringList{beside, installed} << beside;
  QTest::newRow("neither: the page beside the program") << QStringList{} << beside;
}

void PlatformRoutinesTest::helpPageIsFoundBesideTheProgramOrWhereItIsInstalled() {
  QFETCH(QStringList, pages);
  QFETCH(QString, expected);
  QTemporaryDir root;
  QVERIFY(root.isValid());
  QVERIFY(QDir(root.path()).mkpath(QStringLiteral("bin")));
  for (const QString& page : pages) {
    QVERIFY(QDir(root.path()).mkpath(QFileInfo(page).path()));
    QFile file(root.filePath(page));
    QVERIFY(file.open(QIODevice::WriteOnly));
  }
  QCOMPARE(helpPagePath(root.filePath(QStringLiteral("bin/"))), root.filePath(expected));
}

void PlatformRoutinesTest::ansiByteLengthCountsCodePage932Bytes_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("bytes");
  QTest::newRow("three ascii letters") << "abc" << 3;
  QTest::newRow("five full-width and one half-width katakana") << "縦書きかなｱ" << 11;
  QTest::newRow("empty text") << "" << 0;
  QTest::newRow("line end counts its two bytes") << "a\r\nb" << 4;
  QTest::newRow("half-width katakana message") << "二重起動することはできません." << 29;
  QTest::newRow("full-width digits and signs") << "１２＋〝〟" << 10;
}

void PlatformRoutinesTest::ansiByteLengthCountsCodePage932Bytes() {
  QFETCH(QString, text);
  QFETCH(int, bytes);
  QCOMPARE(ansiByteLength(text), bytes);
}

void PlatformRoutinesTest::setTopMostKeepsPlaceSizeAndVisibility_data() {
  QTest::addColumn<bool>("shown");
  QTest::newRow("window on screen") << true;
  QTest::newRow("window not yet shown") << false;
}

void PlatformRoutinesTest::setTopMostKeepsPlaceSizeAndVisibility() {
  QFETCH(bool, shown);
  QWidget window;
  window.setGeometry(140, 90, 320, 180);
  if (shown) {
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
  }
  const QRect before = window.geometry();

  setTopMost(&window);

  QVERIFY(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  QCOMPARE(window.isVisible(), shown);
  QCOMPARE(window.geometry(), before);
}

QTEST_MAIN(PlatformRoutinesTest)
#include "platform_routines_test.moc"
