// Pages written by the engine, shown in the web engine and measured there: in
// every block each grid bar, each cell's first character and each row's right
// edge must stand where they stand in the block's other rows.

#include <QDir>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <QtTest>

#include "document/conversion_settings.h"
#include "recording_host.h"
#include "run/conversion.h"
#include "text/codepage.h"
#include "text/unicode_text.h"
#include "write/grid_html/page_writer.h"
#include "write/registry/writer_registry.h"

using namespace zelvato;

namespace {

// Every vertical form, kanji numerals, kana, kanji, widened ASCII, tabs and
// empty lines: about two blocks of the window's 25 x 20 grid.
const std::u16string sampleText =
    u"「雪の朝」\r\n"
    u"　その朝、町は一面の雪でした。『どこへ行くの？』と姉が訊きました。\r\n"
    u"（まだ早い）――そう思いながら、私は１２月２４日の新聞を読みました……。\r\n"
    u"温度は－３度、湿度＝８０％、風速３．５ｍ。‘静かな’朝です。\r\n"
    u"\t“ようこそ”と書かれた札が【門】に《掛かって》いる。［注］｛付記｝＜了＞\r\n"
    u"abc ABC 123 ~!?#&* ｶﾞｷﾞｸﾞ ーー～～｜｜…\r\n"
    u"\r\n"
    u"雪はしんしんと降り続け、屋根も道も白く覆われていきました。子供たちは外へ"
    u"駆け出し、雪だるまを作ったり、雪合戦をしたりして遊びました。大人たちは"
    u"雪かきに追われ、汗を拭いながらも、どこか楽しそうな顔をしていました。\r\n"
    u"夕方になると雪は止み、空には星が一つ、二つと瞬き始めました。「明日も晴れるかな。」"
    u"と弟が言いました。私は窓の外を眺めながら、静かに頷きました。\r\n"
    u"翌朝、２０２６年１月１日。　町の人々は“おめでとう”と言い合い、神社へ向かいました。"
    u"境内には屋台が並び、甘酒の湯気が白く立ち昇っていました。［了］\r\n";

// Headings of every size, with kana, kanji, half-width letters and digits, one
// longer than a vertical line, between lines of text: their cells are set in bold.
const std::u16string headingText =
    u"［＃大見出し］第1章　雪の朝 Snow［＃大見出し終わり］\r\n"
    u"　その朝、町は一面の雪でした。『どこへ行くの？』と姉が訊きました。\r\n"
    u"［＃中見出し］（まだ早い）――そう思いながら、私は１２月２４日の新聞を読みました……。［＃中見出し終わり］"
    u"\r\n"
    u"温度は－３度、湿度＝８０％、風速３．５ｍ。‘静かな’朝です。\r\n"
    u"［＃小見出し］abc ABC 123 ~!?#&* ｶﾞｷﾞｸﾞ ーー～～｜｜…［＃小見出し終わり］\r\n"
    u"雪はしんしんと降り続け、屋根も道も白く覆われていきました。子供たちは外へ"
    u"駆け出し、雪だるまを作ったり、雪合戦をしたりして遊びました。大人たちは"
    u"雪かきに追われ、汗を拭いながらも、どこか楽しそうな顔をしていました。\r\n"
    u"［＃改ページ］\r\n"
    u"夕方［＃「夕方」は中見出し］\r\n"
    u"夕方になると雪は止み、空には星が一つ、二つと瞬き始めました。「明日も晴れるかな。」"
    u"と弟が言いました。私は窓の外を眺めながら、静かに頷きました。\r\n";

// For every PRE: the rows of the block (the text between its line breaks), each
// cut into cells of three characters with the half-width bar "|" between cells.
// Measured with a range per character. The answer is the largest distance of a
// bar, a cell's first character or a row's right edge from the same place in the
// block's first row.
const char* measureScript = R"JS(
(() => {
  // A reading text counts when it has text and follows a PRE hidden from screen readers.
  const followsHiddenPre = (e) => e.textContent.length > 0 && e.previousElementSibling &&
      e.previousElementSibling.tagName === 'PRE' && e.previousElementSibling.getAttribute('aria-hidden') === 'true';
  const range = document.createRange();
  const rectOf = (c) => { range.setStart(c.node, c.off); range.setEnd(c.node, c.off + c.len);
                          return range.getBoundingClientRect(); };
  let worst = 0, where = '', blocks = 0, rowsMeasured = 0, problem = '';
  for (const pre of document.querySelectorAll('pre')) {
    ++blocks;
    const walker = document.createTreeWalker(pre, NodeFilter.SHOW_TEXT);
    const rows = [];
    let row = [];
    for (let node; (node = walker.nextNode());) {
      const t = node.data;
      for (let i = 0; i < t.length;) {
        const cp = t.codePointAt(i), len = cp > 0xffff ? 2 : 1, ch = String.fromCodePoint(cp);
        if (ch === '\n') { if (row.length) rows.push(row); row = []; }
        else if (ch !== '\r') row.push({node, off: i, len, ch});
        i += len;
      }
    }
    if (row.length) rows.push(row);
    const places = rows.map((r) => {
      const p = [];
      for (let i = 0; i < r.length;) {
        if (r[i].ch === '|') { p.push(['bar', rectOf(r[i]).left]); i += 1; }
        else { p.push(['cell', rectOf(r[i]).left]); i += 3; }
      }
      p.push(['right edge', rectOf(r[r.length - 1]).right]);
      return p;
    });
    for (let r = 0; r < places.length; ++r) {
      ++rowsMeasured;
      if (places[r].length !== places[0].length) { problem = `block ${blocks} row ${r + 1} has another cell count`; continue; }
      for (let k = 0; k < places[r].length; ++k) {
        const d = Math.abs(places[r][k][1] - places[0][k][1]);
        if (d > worst) { worst = d; where = `block ${blocks} row ${r + 1} ${places[r][k][0]} ${k + 1}`; }
      }
    }
  }
  let readingTexts = 0, readingTextsShown = 0;
  const hidden = document.querySelectorAll('div[lang="ja"]');
  for (const e of hidden) {
    const r = e.getBoundingClientRect();
    if (followsHiddenPre(e)) ++readingTexts;
    if (r.width > 1 || r.height > 1) ++readingTextsShown;
  }
  const readingStart = hidden.length ? hidden[0].textContent.substring(0, 5) : '';
  // The heading cells: set in bold, each run of them inside one row.
  let boldRuns = 0, boldShown = 0;
  for (const b of document.querySelectorAll('pre b')) {
    ++boldRuns;
    if (Number(getComputedStyle(b).fontWeight) >= 600) ++boldShown;
  }
  return JSON.stringify({blocks, rows: rowsMeasured, worst, where, problem, readingTexts, readingTextsShown,
                         readingStart, charset: document.characterSet, boldRuns, boldShown,
                         title: document.title});
})()
)JS";

// The window's start values with grid bars, then one change at a time; last,
// each Japanese face the project installs as the user's own choice.
struct Case {
  const char* name;
  const char* font;
  bool styleSheet, grid;
  const char *charSpacing, *lineSpacing;
  bool center;
  std::string_view mode;
  OutputEncoding encoding;
  bool accessible;
  bool doubleBrackets = false;
  bool unicodeForms = false;
  bool headings = false;  // the text with headings, read as Aozora Bunko notation
};
constexpr auto showOnly = writerKeys::showOnly, single = writerKeys::singleFile,
               pages = writerKeys::pageFiles;
constexpr auto sjis = OutputEncoding::shiftJis, utf8 = OutputEncoding::utf8;
constexpr const char* ms = "ＭＳ ゴシック";
const Case cases[] = {
    // name, font, style sheet, grid, char and line spacing, centring, mode, encoding, accessible text
    {"start values, grid, preview", ms, true, true, "9", "0", true, showOnly, sjis, false},
    {"start values, no grid, single file", ms, true, false, "9", "0", true, single, sjis, false},
    {"font form, grid, page files", ms, false, true, "9", "0", true, pages, sjis, false},
    {"font form, no grid, not centred", ms, false, false, "9", "0", false, single, sjis, false},
    {"spacing 0, grid, not centred", ms, true, true, "0", "0", false, pages, sjis, false},
    {"line spacing 3, grid", ms, true, true, "9", "3", true, single, sjis, false},
    {"UTF-8, grid, page files", ms, true, true, "9", "0", true, pages, utf8, false},
    {"UTF-8, font form, no grid", ms, false, false, "9", "0", false, single, utf8, false},
    {"accessible text, grid", ms, true, true, "9", "0", true, pages, sjis, true},
    {"accessible text, UTF-8, spacing 0", ms, false, true, "0", "0", false, single, utf8, true},
    {"BIZ UDGothic", "BIZ UDGothic", true, true, "9", "0", true, single, sjis, false},
    {"IPAGothic", "IPAGothic", true, true, "9", "0", true, single, sjis, false},
    {"TakaoGothic", "TakaoGothic", true, true, "9", "0", true, single, sjis, false},
    // 『』 in look-alikes of their own, and Unicode's vertical forms, in each face.
    {"『』 as ┓┗", ms, true, true, "9", "0", true, single, sjis, false, true},
    {"『』 as ┓┗, BIZ UDGothic", "BIZ UDGothic", true, true, "9", "0", true, single, sjis, false, true},
    {"『』 as ┓┗, IPAGothic", "IPAGothic", true, true, "9", "0", true, single, sjis, false, true},
    {"vertical forms, BIZ UDGothic", "BIZ UDGothic", true, true, "9", "0", true, single, utf8, false, false,
     true},
    {"vertical forms, IPAGothic", "IPAGothic", true, true, "9", "0", true, single, utf8, false, false, true},
    {"vertical forms, TakaoGothic", "TakaoGothic", true, true, "9", "0", true, single, utf8, false, false,
     true},
    // Headings in bold, in each face, in page files that begin with a heading.
    {"headings", ms, true, true, "9", "0", true, pages, sjis, false, false, false, true},
    {"headings, font form, no grid", ms, false, false, "9", "0", false, single, sjis, false, false, false,
     true},
    {"headings, BIZ UDGothic", "BIZ UDGothic", true, true, "9", "0", true, pages, utf8, false, false, false,
     true},
    {"headings, IPAGothic", "IPAGothic", true, true, "9", "0", true, pages, sjis, false, false, false, true},
    {"headings, TakaoGothic", "TakaoGothic", true, true, "9", "0", true, pages, sjis, false, false, false,
     true},
};

struct Measurement {
  int blocks = 0;
  int rows = 0;
  double worst = -1;
  QString where;
  QString problem;
  int readingTexts = 0;
  int readingTextsShown = 0;
  QString readingStart;
  QString charset;
  int boldRuns = 0;
  int boldShown = 0;
  QString title;
};

std::string readBytes(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll().toStdString();
}

}  // namespace

class PageAlignmentTest : public QObject {
  Q_OBJECT

 private:
  QWebEngineView view_;

  Measurement measure(const QString& path) {
    Measurement m;
    QEventLoop loop;
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    bool loaded = false;
    auto c = connect(&view_, &QWebEngineView::loadFinished, &loop, [&](bool ok) {
      loaded = ok;
      loop.quit();
    });
    view_.load(QUrl::fromLocalFile(path));
    loop.exec();
    disconnect(c);
    if (!loaded) {
      m.problem = "page did not load";
      return m;
    }
    QString answer;
    QEventLoop wait;
    QTimer::singleShot(20000, &wait, &QEventLoop::quit);
    view_.page()->runJavaScript(QString::fromUtf8(measureScript), [&](const QVariant& v) {
      answer = v.toString();
      wait.quit();
    });
    wait.exec();
    const QJsonObject o = QJsonDocument::fromJson(answer.toUtf8()).object();
    m.blocks = o.value("blocks").toInt();
    m.rows = o.value("rows").toInt();
    m.worst = o.value("worst").toDouble(-1);
    m.where = o.value("where").toString();
    m.problem = o.value("problem").toString();
    m.readingTexts = o.value("readingTexts").toInt();
    m.readingTextsShown = o.value("readingTextsShown").toInt();
    m.readingStart = o.value("readingStart").toString();
    m.charset = o.value("charset").toString();
    m.boldRuns = o.value("boldRuns").toInt();
    m.boldShown = o.value("boldShown").toInt();
    m.title = o.value("title").toString();
    return m;
  }

  // Converts the sample and returns the files a browser would open: the preview
  // and the single file or every page file.
  QStringList convert(const QTemporaryDir& dir, ConversionSettings s,
                      const std::u16string& text = sampleText) {
    const QString preview = dir.filePath("zelvato_temp.html");
    if (s.outputMode == writerKeys::singleFile) s.singleFilePath = dir.filePath("out.html").toStdU16String();
    if (s.outputMode == writerKeys::pageFiles) {
      s.outputFolder = (dir.path() + "/").toStdU16String();
      s.fileBaseName = u"vt";
    }
    RecordingHost host;
    if (!convertText(text, s, preview.toStdString(), host)) return {};
    QStringList files{preview};
    if (s.outputMode == writerKeys::singleFile) files << dir.filePath("out.html");
    for (const QString& name : QDir(dir.path()).entryList({"vt*.html"}, QDir::Files, QDir::Name))
      files << dir.filePath(name);
    return files;
  }

 private Q_SLOTS:
  void initTestCase() {
    view_.resize(1400, 1000);
    view_.settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, true);
    view_.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view_));
  }

  void rowsLineUp_data() {
    QTest::addColumn<int>("index");
    for (int i = 0; i < int(std::size(cases)); ++i) QTest::newRow(cases[i].name) << i;
  }

  void rowsLineUp() {
    QFETCH(int, index);
    const Case& c = cases[index];
    ConversionSettings s;
    s.fontFace = utf8ToUtf16(c.font);
    s.useStyleSheet = c.styleSheet;
    s.showGrid = c.grid;
    s.charSpacingPt = utf8ToUtf16(c.charSpacing);
    s.lineSpacingPt = utf8ToUtf16(c.lineSpacing);
    s.centerText = c.center;
    s.outputMode = c.mode;
    s.outputEncoding = c.encoding;
    s.accessibleText = c.accessible;
    s.doubleBracketForms = c.doubleBrackets;
    s.unicodeVerticalForms = c.unicodeForms;
    s.aozoraNotation = c.headings;
    QTemporaryDir dir;
    const QStringList files = convert(dir, s, c.headings ? headingText : sampleText);
    QVERIFY(!files.isEmpty());
    for (const QString& file : files) {
      const Measurement m = measure(file);
      qInfo("%s: %d blocks, %d rows, %d bold runs, worst %.2f px at %s",
            qPrintable(QFileInfo(file).fileName()), m.blocks, m.rows, m.boldRuns, m.worst,
            qPrintable(m.where));
      QVERIFY2(m.problem.isEmpty(), qPrintable(file + ": " + m.problem));
      QVERIFY(m.blocks >= (c.headings ? 1 : 2));
      QCOMPARE(m.rows, 25 * m.blocks);
      // Heading cells are bold on screen; text without headings has none.
      QVERIFY2(c.headings ? m.boldRuns > 0 : m.boldRuns == 0, qPrintable(file));
      QCOMPARE(m.boldShown, m.boldRuns);
      // A page file that begins with a heading takes its text for the title.
      if (c.headings && QFileInfo(file).fileName().startsWith("vt"))
        QCOMPARE(m.title, QFileInfo(file).fileName() == "vt001.html" ? QString::fromUtf8("第1章　雪の朝 Snow")
                                                                     : QString::fromUtf8("夕方"));
      // The reading text is there for screen readers and takes no room on screen.
      QCOMPARE(m.readingTexts, c.accessible ? m.blocks : 0);
      QCOMPARE(m.readingTextsShown, 0);
      // The source's own characters, before vertical forms, in reading order.
      if (c.accessible) QCOMPARE(m.readingStart, QString::fromUtf8("「雪の朝」"));
      // The browser took the encoding the page declares.
      QCOMPARE(m.charset, QString(c.encoding == utf8 ? "UTF-8" : "Shift_JIS"));
      QVERIFY2(
          m.worst >= 0 && m.worst <= 1.0,
          qPrintable(QString("%1: %2 px at %3").arg(QFileInfo(file).fileName()).arg(m.worst).arg(m.where)));
    }
  }

  // The measurement sees what the eye sees: with a font list of faces that are
  // not on the machine, the browser falls back glyph by glyph and the rows part.
  void rowsPartWithoutAFixedPitchJapaneseFace() {
    ConversionSettings s;
    s.showGrid = true;
    s.outputMode = writerKeys::singleFile;
    QTemporaryDir dir;
    const QStringList files = convert(dir, s);
    QCOMPARE(files.size(), 2);
    std::string bytes = readBytes(files[1]);
    const std::string list = encodeCp932(fontList(s));
    for (std::size_t at; (at = bytes.find(list)) != std::string::npos;)
      bytes.replace(at, list.size(), encodeCp932(u"ＭＳ ゴシック, Osaka－等幅, mono"));
    const QString path = dir.filePath("unknown_faces.html");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes.data(), qint64(bytes.size()));
    f.close();
    const Measurement m = measure(path);
    qInfo("unknown faces: %d blocks, worst %.2f px at %s", m.blocks, m.worst, qPrintable(m.where));
    QVERIFY(m.blocks >= 2);
    QVERIFY(m.worst > 1.0);
  }
};

QTEST_MAIN(PageAlignmentTest)
#include "page_alignment_test.moc"
