// The conversion run through the real main window: the checks and their
// order, the output of every mode against the page writer's golden files and
// against the engine run alone, the window while a run is in progress, Stop,
// and the failure path.
#include "conversion_run.h"

#include <zip.h>

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <memory>

#include "commands.h"
#include "control_dispatch.h"
#include "frm_main.h"
#include "frm_progress.h"
#include "main_window_fixture.h"
#include "option_controls.h"
#include "output_choices.h"
#include "run/conversion.h"
#include "source_text_edit.h"
#include "temp_folder.h"
#include "text/codepage.h"
#include "window_controls.h"
#include "write/registry/writer_registry.h"

using namespace zelvato;
using namespace zelvato::testing;
using zelvato::ui::frmMain;
using zelvato::ui::MessageIcon;

namespace {

const QString interrupted = QStringLiteral("変換中に予期しないｴﾗｰが発生し、中断されました.");
const QString failedStatus = QStringLiteral("ｴﾗｰで中断しました.");
const QString doneStatus = QStringLiteral("変換完了しました.");
const QString generatorLine = QStringLiteral("<!--GENERATOR:KORVENT LUMIKARA-->\r\n");

// Five blocks of one character each in a 3 x 3 grid: three carriage returns
// close a block (the page writer's golden files use the same text).
const QString fiveBlocks = QStringLiteral("あ\r\n\r\n\r\nい\r\n\r\n\r\nう\r\n\r\n\r\nえ\r\n\r\n\r\nお");

QString golden(const QString& name) {
  return QStringLiteral(ZELVATO_TEST_DATA_DIR "/") + name;
}

// A Japanese text of `length` code units with a line break now and then.
QString japaneseText(int length) {
  const QString sentence = QStringLiteral(
      "吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。「何でも薄暗いじめじめした所で"
      "ニャーニャー泣いていた事だけは記憶している」――１２３、ＡＢＣ。\r\n");
  QString text;
  while (text.size() < length) text += sentence;
  text.truncate(length);
  return text;
}

QString decoded(const QByteArray& bytes) {
  return QString::fromStdU16String(decodeCp932(std::string_view(bytes.constData(), bytes.size())));
}

void setSource(frmMain& window, const QString& crlfText) {
  QString text = crlfText;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  window.txtMain()->setPlainText(text);
}

bool toolbarLockedForRun(const frmMain& window) {
  for (int index : {1, 2, 3, 5, 7}) {
    if (toolbarButton(window, index)->isEnabled()) return false;
  }
  return toolbarButton(window, 6)->isEnabled();
}

bool toolbarIdle(const frmMain& window) {
  for (int index : {1, 2, 3, 5, 7}) {
    if (!toolbarButton(window, index)->isEnabled()) return false;
  }
  return !toolbarButton(window, 6)->isEnabled();
}

// Output settings of one case: the mode and the texts of txtOutput(0..4), the
// file going to the book's own field in the book's mode.
struct Output {
  int mode = 0;
  QString file, folder, baseName, title = QStringLiteral("タイトル未設定"), body = QStringLiteral("<BODY>");
};

}  // namespace

class ConversionRunTest : public QObject {
  Q_OBJECT

 public:
  static void initMain() { prepareMainWindowTest(); }

 private:
  std::unique_ptr<FakeDialogs> messages;
  std::unique_ptr<frmMain> window;
  std::unique_ptr<QTemporaryDir> outputDir;

  void applyOutput(const Output& output) {
    optOutput(*window, output.mode)->setChecked(true);
    // The book has a file field of its own.
    txtOutput(*window, output.mode == 3 ? 5 : 0)->setText(output.file);
    txtOutput(*window, 1)->setText(output.folder);
    txtOutput(*window, 2)->setText(output.baseName);
    txtOutput(*window, 3)->setText(output.title);
    txtOutput(*window, 4)->setText(output.body);
  }

  QString outputPath(const QString& name) const { return outputDir->filePath(name); }
  QString outputFolder() const { return outputDir->path() + QLatin1Char('/'); }

  // What the engine alone writes for the window's current settings and source,
  // in a folder of its own: the preview file and the output files by name.
  QMap<QString, QByteArray> engineAlone(const QStringList& outputNames) {
    QTemporaryDir dir;
    ConversionSettings s = window->readSettings();
    s.singleFilePath = QDir(dir.path()).filePath(QStringLiteral("out.html")).toStdU16String();
    s.outputFolder = (dir.path() + QLatin1Char('/')).toStdU16String();
    const std::string preview = QDir(dir.path()).filePath(QStringLiteral("preview.html")).toStdString();
    NullHost host;
    QMap<QString, QByteArray> files;
    if (!convertText(window->sourceText().toStdU16String(), s, preview, host)) {
      return files;
    }
    for (const QString& name : outputNames) files[name] = fileBytes(QDir(dir.path()).filePath(name));
    files[QStringLiteral("preview")] = fileBytes(QString::fromStdString(preview));
    return files;
  }

 private Q_SLOTS:
  void initTestCase() {
    QVERIFY(registerProgressBar());
    FakeDialogs dialogs;
    QCOMPARE(previewFilePath(dialogs), testPreviewFilePath());
  }

  void init() {
    messages = std::make_unique<FakeDialogs>();
    outputDir = std::make_unique<QTemporaryDir>();
    QFile::remove(testPreviewFilePath());
    window = std::make_unique<frmMain>(messages.get());
    window->addCommands(commandTable());
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
  }

  void cleanup() {
    window->setCloseAllowed(true);
    window.reset();
    messages.reset();
    outputDir.reset();
  }

  // ---- checks ---------------------------------------------------------------

  void checksEndTheRunInTheirOrder_data() {
    QTest::addColumn<int>("emptyField");  // txtAppearance index made empty, or -1
    QTest::addColumn<QString>("charsPerLine");
    QTest::addColumn<QString>("linesPerColumn");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("outputs");  // file, folder, base name, title, BODY tag
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("warning");  // the one message shown, or empty
    QTest::addColumn<int>("rows");         // rows of the block written; 0 when the run does not start

    const QString text = QStringLiteral("あいうえお");
    const QString file = QStringLiteral("@out.html");  // @ stands for the test's output folder
    const QString folder = QStringLiteral("@");
    const QStringList full{file, folder, QStringLiteral("vt"), QStringLiteral("題"),
                           QStringLiteral("<BODY>")};
    const auto without = [&](std::initializer_list<int> fields) {
      QStringList o = full;
      for (int f : fields) o[f].clear();
      return o;
    };
    const QString noFile = QStringLiteral("出力先ﾌｧｲﾙ名を指定して下さい");
    const QString noFolder = QStringLiteral("出力先ﾌｫﾙﾀﾞを指定して下さい");
    const QString noTitle = QStringLiteral("HTMLのﾀｲﾄﾙを指定して下さい");
    const QString noBody = QStringLiteral("HTMLのBODYﾀｸﾞを指定して下さい");

    // An empty layout field ends the run before any output check, with a warning that names it.
    const char* captions[6] = {"桁数", "字間隔", "行数", "行間隔", "コラム間隔", "タブカラム"};
    for (int i = 0; i < 6; ++i) {
      QTest::addRow("empty txtAppearance(%d) is named before the output checks", i)
          << i << "25"
          << "20" << 1 << without({0, 3}) << text
          << QStringLiteral("ﾚｲｱｳﾄ設定の「%1」が空欄です. 値を入れて下さい.")
                 .arg(QString::fromUtf8(captions[i]))
          << 0;
    }
    const QString fewChars = QStringLiteral("ﾚｲｱｳﾄ設定の「桁数」は3以上にして下さい.");
    const QString fewLines = QStringLiteral("ﾚｲｱｳﾄ設定の「行数」は3以上にして下さい.");
    QTest::newRow("a blank charsPerLine reads 0 and is named") << -1 << " "
                                                               << "20" << 0 << full << text << fewChars << 0;
    QTest::newRow("a blank linesPerColumn reads 0 and is named") << -1 << "25"
                                                                 << " " << 0 << full << text << fewLines << 0;
    QTest::newRow("2.9 characters per line are named") << -1 << "2.9"
                                                       << "20" << 0 << full << text << fewChars << 0;
    QTest::newRow("2.9 vertical lines are named") << -1 << "25"
                                                  << "2.9" << 0 << full << text << fewLines << 0;
    QTest::newRow("3.4 characters per line run with 3") << -1 << "3.4"
                                                        << "3" << 0 << full << text << QString() << 3;
    QTest::newRow("an empty source ends silently") << -1 << "25"
                                                   << "20" << 0 << full << QString() << QString() << 0;
    QTest::newRow("a blank source runs") << -1 << "25"
                                         << "20" << 0 << full << " " << QString() << 25;
    QTest::newRow("single file without a name") << -1 << "25"
                                                << "20" << 1 << without({0}) << text << noFile << 0;
    QTest::newRow("single file without name and title: only the name message")
        << -1 << "25"
        << "20" << 1 << without({0, 3}) << text << noFile << 0;
    QTest::newRow("single file without a title") << -1 << "25"
                                                 << "20" << 1 << without({3}) << text << noTitle << 0;
    QTest::newRow("single file without a BODY tag") << -1 << "25"
                                                    << "20" << 1 << without({4}) << text << noBody << 0;
    QTest::newRow("book without a name") << -1 << "25"
                                         << "20" << 3 << without({0}) << text << noFile << 0;
    QTest::newRow("book without a title") << -1 << "25"
                                          << "20" << 3 << without({3}) << text << noTitle << 0;
    QTest::newRow("page files without folder and base name: only the folder message")
        << -1 << "25"
        << "20" << 2 << without({1, 2}) << text << noFolder << 0;
    QTest::newRow("page files without a base name") << -1 << "25"
                                                    << "20" << 2 << without({2}) << text << noFile << 0;
    QTest::newRow("page files without title and BODY tag: the title message")
        << -1 << "25"
        << "20" << 2 << without({3, 4}) << text << noTitle << 0;
    QTest::newRow("page files without a BODY tag") << -1 << "25"
                                                   << "20" << 2 << without({4}) << text << noBody << 0;
    QTest::newRow("a warning comes before the empty-source check")
        << -1 << "25"
        << "20" << 2 << without({1}) << QString() << noFolder << 0;
    QTest::newRow("a warning comes before the too-few-characters check")
        << -1 << "2"
        << "20" << 1 << without({4}) << text << noBody << 0;
    QTest::newRow("show only accepts an empty title and BODY tag")
        << -1 << "25"
        << "20" << 0 << without({0, 1, 2, 3, 4}) << text << QString() << 25;
    // Settings the engine cannot use are refused before anything is written.
    const QString gridTooLarge = QStringLiteral("1ｺﾗﾑの升目が多すぎます. 1行の文字数か行数を減らして下さい.");
    QTest::newRow("characters per line beyond 32 bits") << -1 << "1E12"
                                                        << "20" << 0 << full << text << gridTooLarge << 0;
    QTest::newRow("a grid too large for the engine") << -1 << "90000"
                                                     << "20" << 0 << full << text << gridTooLarge << 0;
    QStringList climbing = full;
    climbing[2] = QStringLiteral("../../x");
    QTest::newRow("a base name that leaves the output folder")
        << -1 << "25"
        << "20" << 2 << climbing << text
        << QStringLiteral("ﾌｧｲﾙ名に / や \\ は使えません. ﾌｫﾙﾀﾞの区切りになるためです.") << 0;
  }

  void checksEndTheRunInTheirOrder() {
    QFETCH(int, emptyField);
    QFETCH(QString, charsPerLine);
    QFETCH(QString, linesPerColumn);
    QFETCH(int, mode);
    QFETCH(QStringList, outputs);
    QFETCH(QString, source);
    QFETCH(QString, warning);
    QFETCH(int, rows);

    for (QString& o : outputs) o.replace(QLatin1Char('@'), outputFolder());
    applyOutput({mode, outputs[0], outputs[1], outputs[2], outputs[3], outputs[4]});
    txtAppearance(*window, 0)->setText(charsPerLine);
    txtAppearance(*window, 2)->setText(linesPerColumn);
    if (emptyField >= 0) txtAppearance(*window, emptyField)->clear();
    setSource(*window, source);
    window->showTab(ui::Tab::layout);
    window->setStatusText(QStringLiteral("before"));

    QVERIFY(runAndWait(*window));

    if (warning.isEmpty()) {
      QCOMPARE(messages->shown.size(), 0);
    } else {
      QCOMPARE(messages->shown.size(), 1);
      QCOMPARE(messages->shown[0].text, warning);
      QCOMPARE(messages->shown[0].icon, MessageIcon::warning);
    }
    QVERIFY(window->closeAllowed());
    QVERIFY(toolbarIdle(*window));
    if (rows == 0) {
      // Nothing changed: no preview file, same tab; the status bar shows the
      // warning (never an earlier success) or, without one, stays.
      QVERIFY(!QFile::exists(testPreviewFilePath()));
      QCOMPARE(shownTab(*window), ui::Tab::layout);
      QCOMPARE(window->statusText(), warning.isEmpty() ? QStringLiteral("before") : warning);
      return;
    }
    QCOMPARE(window->statusText(), doneStatus);
    const QString markup = decoded(fileBytes(testPreviewFilePath()));
    QVERIFY(markup.startsWith(generatorLine));
    // The block has as many rows as characters per line, rounded.
    const QStringList lines = markup.split(QStringLiteral("\r\n"));
    const int opening = lines.indexOf(QRegularExpression(QStringLiteral("^<PRE>.*")));
    const int closing = lines.indexOf(QRegularExpression(QStringLiteral("^</CENTER></FONT></PRE>$")));
    QVERIFY(opening > 0 && closing > opening);
    QCOMPARE(closing - opening - 1, rows);
  }

  // ---- values the page cannot take ------------------------------------------

  // The spacings and the font size go into the page as typed: a value that is
  // no number as the fields read it, or a number that overflows, is refused
  // with a warning that names the field; the numbers taken today convert as before.
  void fieldsThatAreNoNumberAreRefusedNamingTheField_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("warning");  // empty: the run converts
    QTest::addColumn<QString>("written");  // then: a part of the block's STYLE
    QTest::newRow("字間隔 abc") << "txtAppearance(1)"
                                << "abc"
                                << "字間隔には数値を入力して下さい."
                                << "";
    QTest::newRow("行間隔 9pt") << "txtAppearance(3)"
                                << "9pt"
                                << "行間隔には数値を入力して下さい."
                                << "";
    QTest::newRow("font size with CSS in it") << "txtFont(1)"
                                              << "9pt; background:url(x)"
                                              << "ﾌｫﾝﾄｻｲｽﾞには数値を入力して下さい."
                                              << "";
    QTest::newRow("コラム間隔 1e400") << "txtAppearance(4)"
                                      << "1e400"
                                      << "コラム間隔の値が大きすぎます."
                                      << "";
    QTest::newRow("字間隔 with blanks") << "txtAppearance(1)"
                                        << " 4 "
                                        << ""
                                        << "line-height: 4 pt";
    QTest::newRow("行間隔 in hexadecimal") << "txtAppearance(3)"
                                           << "&H0C"
                                           << ""
                                           << "letter-spacing:&amp;H0Cpt";
    QTest::newRow("font size 10.5") << "txtFont(1)"
                                    << "10.5"
                                    << ""
                                    << "font-size:10.5pt";
  }
  void fieldsThatAreNoNumberAreRefusedNamingTheField() {
    QFETCH(QString, control);
    QFETCH(QString, value);
    QFETCH(QString, warning);
    QFETCH(QString, written);
    window->findChild<QLineEdit*>(control)->setText(value);
    setSource(*window, QStringLiteral("雪"));

    QVERIFY(runAndWait(*window));

    if (!warning.isEmpty()) {
      QCOMPARE(messages->shown.size(), 1);
      QCOMPARE(messages->shown[0].text, warning);
      QCOMPARE(messages->shown[0].icon, MessageIcon::warning);
      QVERIFY(!QFile::exists(testPreviewFilePath()));
      return;
    }
    QCOMPARE(messages->shown.size(), 0);
    QCOMPARE(window->statusText(), doneStatus);
    QVERIFY(decoded(fileBytes(testPreviewFilePath())).contains(written));
  }

  // 60,000 tabs of 1,000 spaces each would write about 300 MB: the run asks
  // first, and an answer other than Yes leaves the window as it was.
  void anOutputFarLargerThanTheSourceIsWrittenOnlyWhenTheUserSaysSo_data() {
    QTest::addColumn<int>("answer");
    QTest::newRow("No") << static_cast<int>(ui::MessageAnswer::no);
    QTest::newRow("Cancel") << static_cast<int>(ui::MessageAnswer::cancel);
  }
  void anOutputFarLargerThanTheSourceIsWrittenOnlyWhenTheUserSaysSo() {
    QFETCH(int, answer);
    messages->answers = {static_cast<ui::MessageAnswer>(answer)};
    applyOutput({1, outputPath(QStringLiteral("out.html"))});
    txtAppearance(*window, 5)->setText(QStringLiteral("1000"));
    window->txtMain()->setPlainText(QString(60000, QLatin1Char('\t')));
    window->showTab(ui::Tab::layout);
    window->setStatusText(QStringLiteral("before"));

    runConversion(*window);

    QCOMPARE(messages->shown.size(), 1);
    QVERIFY(messages->shown[0].text.startsWith(QStringLiteral("出力が約")));
    QCOMPARE(messages->shown[0].icon, MessageIcon::question);
    QVERIFY(!QFile::exists(testPreviewFilePath()));
    QVERIFY(!QFile::exists(outputPath(QStringLiteral("out.html"))));
    QCOMPARE(shownTab(*window), ui::Tab::layout);
    QCOMPARE(window->statusText(), QStringLiteral("before"));
    QVERIFY(toolbarIdle(*window));
  }

  // ---- output of every mode -------------------------------------------------

  void outputIsWhatThePageWriterWrites_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("files");    // output files compared, preview first
    QTest::addColumn<QStringList>("goldens");  // their golden files; empty: the engine alone
    // The golden files hold the page writer's output for a 3 x 3 grid with the
    // window's other start values and the title 縦書き.
    QTest::newRow("show only, golden") << 0 << QStringLiteral("あいうえおか") << QStringList{"preview"}
                                       << QStringList{"initial_settings_preview.html"};
    QTest::newRow("single file, golden") << 1 << QStringLiteral("あいうえおか\r\n\r\nき")
                                         << QStringList{"out.html"} << QStringList{"single_file.html"};
    QTest::newRow("page files, golden")
        << 2 << fiveBlocks << QStringList{"vt001.html", "vt002.html", "vt003.html", "vt004.html"}
        << QStringList{"pages_vt001.html", "pages_vt002.html", "pages_vt003.html", QString()};
    const QString longText = japaneseText(3000);
    QTest::newRow("show only, start values") << 10 << longText << QStringList{"preview"} << QStringList{};
    QTest::newRow("single file, start values")
        << 11 << longText << QStringList{"preview", "out.html"} << QStringList{};
    QTest::newRow("page files, start values")
        << 12 << longText << QStringList{"preview", "vt001.html", "vt002.html", "vt003.html"}
        << QStringList{};
    // A text far beyond 65,535 code units converts whole, as the engine alone converts it.
    QTest::newRow("show only, 150,000 code units")
        << 10 << japaneseText(150000) << QStringList{"preview"} << QStringList{};
    // 20 and up: the start values with UTF-8 pages and the reading text.
    QTest::newRow("page files, UTF-8 with reading text")
        << 22 << longText << QStringList{"preview", "vt001.html", "vt002.html"} << QStringList{};
  }

  void outputIsWhatThePageWriterWrites() {
    QFETCH(int, mode);
    QFETCH(QString, source);
    QFETCH(QStringList, files);
    QFETCH(QStringList, goldens);

    const bool small = mode < 10;
    const bool newOptions = mode >= 20;
    mode %= 10;
    applyOutput({mode, outputPath(QStringLiteral("out.html")), outputFolder(), QStringLiteral("vt"),
                 small ? QStringLiteral("縦書き") : QStringLiteral("タイトル未設定"),
                 txtOutput(*window, 4)->text()});
    if (small) {
      txtAppearance(*window, 0)->setText(QStringLiteral("3"));
      txtAppearance(*window, 2)->setText(QStringLiteral("3"));
      chkOutput(*window, 0)->setChecked(true);
      chkOutput(*window, 1)->setChecked(true);
    }
    if (newOptions) {
      optEncoding(*window, 1)->click();
      checkBox(*window, "chkAccessibleText")->setChecked(true);
    }
    setSource(*window, source);
    QCOMPARE(window->sourceText(), source);

    QVERIFY(runAndWait(*window));
    QCOMPARE(messages->shown.size(), 0);
    QCOMPARE(window->statusText(), doneStatus);

    const auto actual = [&](const QString& name) {
      return name == QLatin1String("preview") ? fileBytes(testPreviewFilePath())
                                              : fileBytes(outputPath(name));
    };
    if (!goldens.isEmpty()) {
      for (int i = 0; i < files.size(); ++i) {
        if (goldens[i].isEmpty()) {
          QVERIFY2(!QFile::exists(outputPath(files[i])), qPrintable(files[i]));
        } else {
          QCOMPARE(actual(files[i]), fileBytes(golden(goldens[i])));
        }
      }
      return;
    }
    const QMap<QString, QByteArray> expected = engineAlone(files);
    QVERIFY(!expected.isEmpty());
    for (const QString& name : files) {
      QVERIFY2(!expected[name].isEmpty(), qPrintable(name));
      QCOMPARE(actual(name), expected[name]);
    }
  }

  void aPastedAozoraTextConvertsWithTheTypesettingOptions() {
    // The head of 芥川龍之介「羅生門」 (public domain) as an Aozora Bunko file has it, typed in.
    const QString aozora = QStringLiteral(
        "羅生門\r\n芥川龍之介\r\n\r\n"
        "-------------------------------------------------------\r\n"
        "【テキスト中に現れる記号について】\r\n《》：ルビ\r\n"
        "-------------------------------------------------------\r\n\r\n"
        "　或日の暮方の事である。一人の下人《げにん》が、羅生門の下で雨やみを待つてゐた。"
        "［＃「ゐた」は底本では「いた」］時刻は午後の12時ごろである。\r\n");
    applyOutput({1, outputPath(QStringLiteral("out.html")), QString(), QString(),
                 QStringLiteral("タイトル未設定"), txtOutput(*window, 4)->text()});
    QVERIFY(!optRuby(*window, 0)->isEnabled());
    for (int i = 0; i < 3; ++i) chkTypeset(*window, i)->click();
    QVERIFY(optRuby(*window, 0)->isEnabled() && optRuby(*window, 0)->isChecked());
    setSource(*window, aozora);

    QVERIFY(runAndWait(*window));
    QCOMPARE(window->statusText(), doneStatus);
    const QString html = decoded(fileBytes(outputPath(QStringLiteral("out.html"))));
    QVERIFY(html.startsWith(QStringLiteral("<HTML><HEAD>")) &&
            html.contains(QStringLiteral("<TITLE>羅生門</TITLE>")));
    QVERIFY(!html.contains(QStringLiteral("［＃")) && !html.contains(QStringLiteral("テキスト中")));
    // Kanji numerals (the default) take the two digits too: no number mixes 一二 and 12.
    QVERIFY(html.contains(QStringLiteral(" 二 ")) && !html.contains(QStringLiteral(" 12 ")));
    QCOMPARE(fileBytes(outputPath(QStringLiteral("out.html"))),
             engineAlone({QStringLiteral("out.html")})[QStringLiteral("out.html")]);
  }

  // ---- success --------------------------------------------------------------

  void successShowsThePreviewOnTabTwo() {
    const QString source = japaneseText(2000);
    setSource(*window, source);
    QApplication::clipboard()->setText(QStringLiteral("copied by the user"));
    QTRY_COMPARE(QApplication::clipboard()->text(), QStringLiteral("copied by the user"));
    QSignalSpy loaded(window->brwIE(), &QWebEngineView::loadFinished);

    QVERIFY(runAndWait(*window));

    QCOMPARE(messages->shown.size(), 0);
    QCOMPARE(shownTab(*window), ui::Tab::preview);
    QCOMPARE(window->statusText(), doneStatus);
    QVERIFY(window->closeAllowed());
    QVERIFY(toolbarIdle(*window));
    QVERIFY(window->SSTabMain()->isEnabled());
    QVERIFY(window->txtMain()->isEnabled());
    QVERIFY(cmdAllSelect(*window, 1)->isEnabled());
    QVERIFY(!window->txtHTML()->isHidden());
    QCOMPARE(lblHcov(*window, 20)->text(), frmMain::characterCountText(window->txtMain()->toPlainText()));
    QVERIFY(!loadedProgressWindow());

    // The preview file: the generator line, the encoding, then the blocks, and no file header.
    const QString preview = decoded(fileBytes(testPreviewFilePath()));
    const QString head =
        generatorLine +
        QStringLiteral("<META http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">\r\n");
    QVERIFY(preview.startsWith(head));
    QVERIFY(!preview.contains(QStringLiteral("<HTML>")));
    const QString blocks = preview.mid(head.size());
    QVERIFY(blocks.count(QStringLiteral("<PRE>")) > 1);
    // txtHTML holds every block; the clipboard still holds what the user had copied.
    QString pane = window->txtHTML()->toPlainText();
    QCOMPARE(pane.replace(QLatin1Char('\n'), QStringLiteral("\r\n")), blocks);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("copied by the user"));

    // The preview pane shows the file.
    QTRY_COMPARE_WITH_TIMEOUT(window->brwIE()->url(), QUrl::fromLocalFile(testPreviewFilePath()), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty() && loaded.last().at(0).toBool(), 10000);
    QString shown;
    window->brwIE()->page()->toPlainText([&shown](const QString& text) { shown = text; });
    QTRY_VERIFY_WITH_TIMEOUT(!shown.isEmpty(), 10000);
    QVERIFY(shown.contains(QStringLiteral("吾")));
  }

  // The book goes where its field says: a zip that begins with its media type
  // stored uncompressed, as readers look for it, and holds the text itself.
  void aBookIsWrittenWhereItsFieldSays() {
    const QString book = outputPath(QStringLiteral("本.epub"));
    applyOutput({3, book, {}, {}, QStringLiteral("猫の本"), QStringLiteral("<BODY>")});
    setSource(*window, QStringLiteral("吾輩は猫である。\r\n名前はまだ無い。"));

    QVERIFY(runAndWait(*window));

    QCOMPARE(messages->shown.size(), 0);
    QCOMPARE(window->statusText(), doneStatus);
    QCOMPARE(shownTab(*window), ui::Tab::preview);
    const QByteArray bytes = fileBytes(book);
    // The first local header: signature, method 0 (stored), the name, then the data.
    QVERIFY(bytes.startsWith("PK\x03\x04"));
    QCOMPARE(bytes[8] | bytes[9], 0);
    const int nameLength = static_cast<uchar>(bytes[26]) | static_cast<uchar>(bytes[27]) << 8;
    const int extraLength = static_cast<uchar>(bytes[28]) | static_cast<uchar>(bytes[29]) << 8;
    QCOMPARE(bytes.mid(30, nameLength), QByteArray("mimetype"));
    QCOMPARE(bytes.mid(30 + nameLength + extraLength, 20), QByteArray("application/epub+zip"));

    QString content;
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(book).constData(), ZIP_RDONLY, &error);
    QVERIFY(archive != nullptr);
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
      zip_stat_t st;
      zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &st);
      if (!QByteArray(st.name).endsWith(".xhtml")) continue;
      QByteArray entry(static_cast<qsizetype>(st.size), '\0');
      zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
      if (file != nullptr) {
        zip_fread(file, entry.data(), st.size);
        zip_fclose(file);
      }
      content += QString::fromUtf8(entry);
    }
    zip_close(archive);
    QVERIFY(content.contains(QStringLiteral("吾輩は猫である。")));
    QVERIFY(content.contains(QStringLiteral("名前はまだ無い。")));
    QVERIFY(content.contains(QStringLiteral("猫の本")));
  }

  // Every medium the window offers that writes a file, a medium registered
  // later included, is chosen on the output page, asked for through its
  // chooser's save dialog, remembered and written by a run.
  void everyOfferedFileMediumIsChosenAskedForAndWritten_data() {
    QTest::addColumn<int>("choice");
    const std::vector<const WriterEntry*> choices = ui::outputChoices();
    for (std::size_t i = 0; i < choices.size(); ++i)
      if (choices[i]->destination == Destination::file)
        QTest::newRow(std::string(choices[i]->key).c_str()) << static_cast<int>(i);
  }
  void everyOfferedFileMediumIsChosenAskedForAndWritten() {
    QFETCH(int, choice);
    const WriterEntry& medium = *ui::outputChoices()[static_cast<std::size_t>(choice)];
    const QString target = outputPath(QStringLiteral("作品"));  // the dialog gives the extension
    const QString written = target + ui::latin(medium.defaultExtension);
    optOutput(*window, choice)->click();
    messages->answerFile(written);
    window->findChild<QPushButton*>(ui::latin(medium.chooserControl))->click();
    QCOMPARE(messages->asked.size(), 1);
    QCOMPARE(messages->asked.first().filters, QStringList{ui::qtText(medium.dialogFilter)});
    QCOMPARE(messages->asked.first().suffix, ui::latin(medium.defaultExtension).mid(1));
    QCOMPARE(window->readSettings().outputMode, medium.key);
    setSource(*window, QStringLiteral("吾輩は猫である。\r\n名前はまだ無い。"));

    QVERIFY(runAndWait(*window));

    QCOMPARE(window->statusText(), doneStatus);
    QCOMPARE(messages->shown.size(), 0);
    QVERIFY(fileBytes(written).size() > 0);
    // Only the chosen medium's file is written.
    QCOMPARE(QDir(outputDir->path()).entryList(QDir::Files), QStringList{QFileInfo(written).fileName()});
    QCOMPARE(QString::fromStdU16String(zelvato::outputPath(window->readSettings(), medium)), written);
  }

  void secondRunRecreatesThePreviewFile() {
    setSource(*window, QStringLiteral("一回目の文章"));
    QVERIFY(runAndWait(*window));
    setSource(*window, QStringLiteral("二回目"));
    QVERIFY(runAndWait(*window));
    const QString preview = decoded(fileBytes(testPreviewFilePath()));
    QVERIFY(preview.startsWith(generatorLine));
    QCOMPARE(preview.count(generatorLine), 1);
    QVERIFY(preview.contains(QStringLiteral("二")));
    QVERIFY(!preview.contains(QStringLiteral("文")));
    QCOMPARE(preview.count(QStringLiteral("<PRE>")), 1);
    QCOMPARE(window->txtHTML()->toPlainText().count(QStringLiteral("<PRE>")), 1);
  }

  // ---- during a run ---------------------------------------------------------

  void windowIsLockedAndAnswersWhileARunIsInProgress() {
    // Longer than the old pane could hold, written to page files of one block each.
    const QString source = japaneseText(80000);
    setSource(*window, source);
    applyOutput(
        {2, QString(), outputFolder(), QStringLiteral("vt"), QStringLiteral("題"), QStringLiteral("<BODY>")});
    lineEdit(*window, "txtPageColum")->setText(QStringLiteral("1"));
    // Blocks of 3 x 3: thousands of small pages, a run of many blocks.
    txtAppearance(*window, 0)->setText(QStringLiteral("3"));
    txtAppearance(*window, 2)->setText(QStringLiteral("3"));

    struct Seen {
      bool checked = false, running = false, closeRefused = false, toolbarLocked = false, tabDisabled = false,
           sourceDisabled = false, htmlHidden = false, copyDisabled = false, progressShown = false;
      QString label, status, progressMessage;
      int barMax = -1;
    } seen;
    // A zero timer fires at every pass of the event loop: the window's thread
    // runs its own loop while the worker converts.
    int passes = 0;
    QTimer ticker;
    ticker.setInterval(0);
    connect(&ticker, &QTimer::timeout, this, [&] {
      if (!conversionRunning(*window)) return;
      ++passes;
      if (seen.checked) return;
      seen.checked = true;
      seen.running = true;
      seen.closeRefused = !window->close() && window->isVisible();
      seen.toolbarLocked = toolbarLockedForRun(*window);
      seen.tabDisabled = !window->SSTabMain()->isEnabled() && shownTab(*window) == ui::Tab::source;
      seen.sourceDisabled = !window->txtMain()->isEnabled();
      seen.htmlHidden = window->txtHTML()->isHidden();
      seen.copyDisabled = !cmdAllSelect(*window, 1)->isEnabled();
      seen.label = lblHcov(*window, 20)->text();
      seen.status = window->statusText();
      if (frmProgress* progress = loadedProgressWindow()) {
        seen.progressShown = progress->isVisible();
        seen.progressMessage = progress->lblMessage()->text();
        seen.barMax = hosting::dispatchGet(progress->progressBar(), barMaxId).value.toInt();
      }
    });
    ticker.start();
    runConversion(*window);
    // runConversion returned at once: the run goes on in the worker.
    QVERIFY(conversionRunning(*window));
    QVERIFY(QTest::qWaitFor([&] { return !conversionRunning(*window); }, 120000));
    ticker.stop();

    QVERIFY(seen.running);
    QVERIFY(seen.closeRefused);
    QVERIFY(seen.toolbarLocked);
    QVERIFY(seen.tabDisabled);
    QVERIFY(seen.sourceDisabled);
    QVERIFY(seen.htmlHidden);
    QVERIFY(seen.copyDisabled);
    QCOMPARE(seen.label, QStringLiteral("変換処理中..."));
    QVERIFY(seen.status.startsWith(QStringLiteral("縦書き変換中...")));
    QVERIFY(seen.progressShown);
    QCOMPARE(seen.progressMessage, QStringLiteral("縦書きに変換しています．しばらくお待ち下さい..."));
    QCOMPARE(seen.barMax, source.size());
    // The event loop ran on through the run: many passes, not one per yield of the engine.
    QVERIFY2(passes > 10, qPrintable(QStringLiteral("%1 passes").arg(passes)));
    QCOMPARE(window->statusText(), doneStatus);
    // The long result reaches the HTML pane a moment after the run, whole.
    QTRY_COMPARE_WITH_TIMEOUT(window->txtHTML()->toPlainText().count(QStringLiteral("<PRE>")),
                              decoded(fileBytes(testPreviewFilePath())).count(QStringLiteral("<PRE>")),
                              20000);
    QVERIFY(window->close());
  }

  void stopEndsTheRunAndLeavesTheEarlierOutput() {
    const QString source = japaneseText(60000);
    setSource(*window, source);
    applyOutput(
        {2, QString(), outputFolder(), QStringLiteral("vt"), QStringLiteral("題"), QStringLiteral("<BODY>")});
    lineEdit(*window, "txtPageColum")->setText(QStringLiteral("1"));
    chkOutput(*window, 0)->setChecked(true);
    // Blocks of 3 x 3, so the run lasts long after its first page.
    txtAppearance(*window, 0)->setText(QStringLiteral("3"));
    txtAppearance(*window, 2)->setText(QStringLiteral("3"));
    // The pages of an earlier run.
    QMap<QString, QByteArray> earlier;
    for (const QString& name : {QStringLiteral("vt001.html"), QStringLiteral("vt002.html")}) {
      earlier[name] = QByteArray("earlier run ") + name.toLatin1();
      QFile file(outputPath(name));
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(earlier[name]);
    }

    // Stop is pressed once page 1 of this run is complete.
    bool stopped = false;
    QTimer watcher;
    watcher.setInterval(0);
    connect(&watcher, &QTimer::timeout, this, [&] {
      // Page 1 is complete once page 2 is begun beside its target.
      const QStringList staged =
          QDir(outputDir->path()).entryList({QStringLiteral(".zelvato-*")}, QDir::Files | QDir::Hidden);
      if (!stopped && staged.size() >= 2) {
        stopped = true;
        toolbarButton(*window, 6)->trigger();
      }
    });
    watcher.start();
    QVERIFY(runAndWait(*window));
    watcher.stop();
    QVERIFY(stopped);

    // Stopping is no error: the information icon, and the status bar says the same.
    QCOMPARE(messages->shown.size(), 1);
    QCOMPARE(messages->shown[0].text, QStringLiteral("変換を中止しました."));
    QCOMPARE(messages->shown[0].icon, MessageIcon::information);
    QCOMPARE(window->statusText(), QStringLiteral("変換を中止しました."));
    QCOMPARE(shownTab(*window), ui::Tab::source);
    QCOMPARE(window->sourceText(), source);
    QCOMPARE(lblHcov(*window, 20)->text(), frmMain::characterCountText(window->txtMain()->toPlainText()));
    QVERIFY(!QFile::exists(testPreviewFilePath()));
    QVERIFY(window->closeAllowed());
    QVERIFY(toolbarIdle(*window));
    QVERIFY(window->txtMain()->isEnabled());

    // The earlier pages are as they were; none of the stopped run is left behind.
    const QStringList left = QDir(outputDir->path()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(left, (QStringList{QStringLiteral("vt001.html"), QStringLiteral("vt002.html")}));
    for (auto it = earlier.cbegin(); it != earlier.cend(); ++it)
      QCOMPARE(fileBytes(outputPath(it.key())), it.value());
  }

  void automaticPreviewWritesThePreviewOnly() {
    // Output settings that a full run would write to; the preview writes none of them.
    applyOutput({1, outputPath(QStringLiteral("out.html")), QString(), QString(), QStringLiteral("題"),
                 QStringLiteral("<BODY>")});
    QApplication::clipboard()->setText(QStringLiteral("copied by the user"));
    QTRY_COMPARE(QApplication::clipboard()->text(), QStringLiteral("copied by the user"));
    window->showTab(ui::Tab::layout);
    setSource(*window, QStringLiteral("自動で変換される文章"));
    window->setStatusText(QStringLiteral("before"));
    QVERIFY(runAndWait(*window, ConversionKind::preview));
    QVERIFY(decoded(fileBytes(testPreviewFilePath())).contains(QStringLiteral("自")));
    QTRY_COMPARE_WITH_TIMEOUT(window->brwIE()->url(), QUrl::fromLocalFile(testPreviewFilePath()), 10000);
    QVERIFY(!QFile::exists(outputPath(QStringLiteral("out.html"))));
    QVERIFY(window->txtHTML()->toPlainText().isEmpty());
    QCOMPARE(shownTab(*window), ui::Tab::layout);
    QCOMPARE(window->statusText(), QStringLiteral("before"));
    QCOMPARE(messages->shown.size(), 0);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("copied by the user"));
  }

  // ---- failures -------------------------------------------------------------

  void failuresTakeTheFailurePath_data() {
    QTest::addColumn<QString>("charsPerLine");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("status");
    QTest::newRow("missing output folder")
        << "25"
        << "/nonexistent-zelvato-folder/"
        << failedStatus +
               QStringLiteral(" /nonexistent-zelvato-folder/vt001.html: No such file or directory");
    QTest::newRow("a folder where the page file goes")
        << "25"
        << "@" << failedStatus + QStringLiteral(" @vt001.html: not a regular file");
  }

  void failuresTakeTheFailurePath() {
    QFETCH(QString, charsPerLine);
    QFETCH(QString, folder);
    QFETCH(QString, status);
    folder.replace(QLatin1Char('@'), outputFolder());
    status.replace(QLatin1Char('@'), outputFolder());
    if (folder == outputFolder()) QVERIFY(QDir().mkdir(outputPath(QStringLiteral("vt001.html"))));
    applyOutput({2, QString(), folder, QStringLiteral("vt"), QStringLiteral("題"), QStringLiteral("<BODY>")});
    txtAppearance(*window, 0)->setText(charsPerLine);
    setSource(*window, QStringLiteral("あいうえお"));
    window->showTab(ui::Tab::output);

    QVERIFY(runAndWait(*window));

    QCOMPARE(messages->shown.size(), 1);
    QCOMPARE(messages->shown[0].text, interrupted);
    QCOMPARE(messages->shown[0].icon, MessageIcon::stop);
    QCOMPARE(window->statusText(), status);  // the file that could not be written, and why
    QCOMPARE(shownTab(*window), ui::Tab::source);
    QVERIFY(!QFile::exists(testPreviewFilePath()));
    QVERIFY(window->closeAllowed());
    QVERIFY(toolbarIdle(*window));
    QVERIFY(window->SSTabMain()->isEnabled());
    QVERIFY(!window->txtHTML()->isHidden());
    QVERIFY(!loadedProgressWindow());
    QVERIFY(QDir(outputDir->path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
  }

  void aPreviewFileThatCannotBeWrittenTakesTheFailurePath() {
    // A folder of the preview file's name stands in the way.
    QVERIFY(QDir().mkpath(testPreviewFilePath()));
    setSource(*window, QStringLiteral("あいうえお"));
    QVERIFY(runAndWait(*window));
    QVERIFY(QDir().rmdir(testPreviewFilePath()));
    QCOMPARE(messages->shown.size(), 1);
    QCOMPARE(messages->shown[0].text, interrupted);
    QVERIFY(window->statusText().startsWith(failedStatus + QStringLiteral(" ") + testPreviewFilePath()));
    QCOMPARE(shownTab(*window), ui::Tab::source);
    QVERIFY(window->closeAllowed());
    QVERIFY(window->txtHTML()->toPlainText().isEmpty());
  }
};

QTEST_MAIN(ConversionRunTest)
#include "conversion_run_test.moc"
