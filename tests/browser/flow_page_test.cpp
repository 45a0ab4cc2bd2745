// Flowing vertical pages, shown in the web engine and measured there: the
// browser sets the text vertically, the ruby stands to the right of its base,
// the page copies as the source's own text (the reading in parentheses), and
// on a phone-sized window the text fills the screen page after page, starts
// where a reader looks first, and nothing of it is out of reach.

#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <QtTest>

#include "read/text_reader.h"
#include "recording_host.h"
#include "run/conversion.h"
#include "text/unicode_text.h"
#include "write/registry/writer_registry.h"

using namespace zelvato;

namespace {

// The head and the beginning of an Aozora Bunko text, typed in after
// 芥川龍之介「羅生門」 (public domain), with notation of every kind the page sets.
const std::u16string storyText =
    u"羅生門\r\n芥川龍之介\r\n\r\n"
    u"　或日の暮方の事である。一人の下人《げにん》が、羅生門《らしやうもん》の下で雨やみを待つてゐた。\r\n"
    u"［＃ここから２字下げ］\r\n"
    u"　広い門の下には、この男の外に誰もゐない。唯、所々丹塗《にぬり》の剥げた、大きな円柱《まるばしら》に、"
    u"蟋蟀《きりぎりす》が一匹［＃「一匹」に傍点］とまつてゐる。\r\n"
    u"［＃ここで字下げ終わり］\r\n"
    u"　何故かと云ふと、この二三年、京都には、地震とか辻風とか火事とか饑饉とか云ふ災《わざはひ》が"
    u"つゞいて起つた。12月の𠮷日!?\r\n"
    u"［＃改ページ］\r\n"
    u"　作者はさつき、「下人が雨やみを待つてゐた」と書いた。\r\n";

// The page's own measurements, as JSON.
const char* measureScript = R"JS(
(() => {
  const html = document.documentElement;
  const main = document.querySelector('main');
  const writingMode = getComputedStyle(main).writingMode;
  let rubies = 0, rubyOnTheRight = 0;
  const range = document.createRange();
  for (const ruby of document.querySelectorAll('ruby')) {
    ++rubies;
    const rt = ruby.querySelector('rt');
    const base = ruby.firstChild;
    range.selectNodeContents(base);
    const b = range.getBoundingClientRect(), r = rt.getBoundingClientRect();
    if (r.left >= b.right - 1 && r.top < b.bottom && r.bottom > b.top) ++rubyOnTheRight;
  }
  const copy = document.body.cloneNode(true);
  for (const rt of copy.querySelectorAll('rt, rp')) rt.remove();
  document.body.appendChild(copy);
  copy.style.position = 'absolute';
  const text = copy.innerText.replace(/[\n\r ]/g, '');
  copy.remove();
  // Every character of the text within the scrollable area; the first line in view.
  const leftmost = -(html.scrollWidth - html.clientWidth);
  let outside = 0;
  const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
  for (let node; (node = walker.nextNode());) {
    if (!node.data.trim()) continue;
    range.selectNodeContents(node);
    for (const rect of range.getClientRects())
      if (rect.right > html.clientWidth + 1 || rect.left < leftmost - 1 || rect.top < -1 ||
          rect.bottom > html.scrollHeight + 1) ++outside;
  }
  const first = document.querySelector('main > *').getBoundingClientRect();
  const firstInView = first.right > 0 && first.left < html.clientWidth && first.top < html.clientHeight;
  // How much of the third screen (the title page and a page break before it)
  // the text covers: a page of a phone is full.
  let left = 1e9, right = -1e9, top = 1e9, bottom = -1e9;
  const screenTop = 2 * window.innerHeight, screenBottom = 3 * window.innerHeight;
  const all = document.createTreeWalker(main, NodeFilter.SHOW_TEXT);
  for (let node; (node = all.nextNode());) {
    if (!node.data.trim() || node.parentElement.closest('rt')) continue;
    range.selectNodeContents(node);
    for (const r of range.getClientRects()) {
      if (r.bottom <= screenTop || r.top >= screenBottom || r.width === 0) continue;
      left = Math.min(left, r.left); right = Math.max(right, r.right);
      top = Math.max(Math.min(top, r.top), screenTop); bottom = Math.min(Math.max(bottom, r.bottom), screenBottom);
    }
  }
  const covered = right > left ? ((right - left) / html.clientWidth) * ((bottom - top) / window.innerHeight) : 0;
  return JSON.stringify({writingMode, rubies, rubyOnTheRight, text, outside, firstInView,
                         width: html.clientWidth, covered});
})()
)JS";

class FlowPageTest : public QObject {
  Q_OBJECT

 private:
  QWebEngineView view_;

  QJsonObject measure(const QString& path) {
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
    if (!loaded) return {};
    QString answer;
    QEventLoop wait;
    QTimer::singleShot(20000, &wait, &QEventLoop::quit);
    view_.page()->runJavaScript(QString::fromUtf8(measureScript), [&](const QVariant& v) {
      answer = v.toString();
      wait.quit();
    });
    wait.exec();
    return QJsonDocument::fromJson(answer.toUtf8()).object();
  }

  // The text without its notation, ruby readings aside, as the page should copy.
  static QString plainText(ConversionSettings s, const std::u16string& source) {
    std::u16string text;
    for (const Paragraph& p : readDocument(source, s.aozoraNotation).paragraphs)
      for (const Run& run : p.runs) text += run.text;
    QString plain = QString::fromStdU16String(text);
    plain.remove(QRegularExpression("[\\n\\r ]"));
    return plain;
  }

 private Q_SLOTS:
  void initTestCase() {
    view_.resize(400, 800);
    view_.settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, true);
    view_.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view_));
  }

  void readsAsVerticalTextOnAnyWidth_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("utf8");
    QTest::addColumn<bool>("horizontal");
    QTest::newRow("phone, UTF-8") << 400 << true << false;
    QTest::newRow("desktop, UTF-8") << 1400 << true << false;
    QTest::newRow("phone, Shift_JIS") << 400 << false << false;
    QTest::newRow("phone, horizontal") << 400 << true << true;
  }

  void readsAsVerticalTextOnAnyWidth() {
    QFETCH(int, width);
    QFETCH(bool, utf8);
    QFETCH(bool, horizontal);
    view_.resize(width, 800);
    QTemporaryDir dir;
    ConversionSettings s;
    s.textStyle = TextStyle::flow;
    s.aozoraNotation = s.kinsoku = s.tateChuYoko = true;
    s.outputMode = writerKeys::singleFile;
    s.outputEncoding = utf8 ? OutputEncoding::utf8 : OutputEncoding::shiftJis;
    s.writingMode = horizontal ? WritingMode::horizontal : WritingMode::vertical;
    s.singleFilePath = dir.filePath("story.html").toStdU16String();
    RecordingHost host;
    // A text long enough to fill a few screens after its page break.
    const std::size_t from = storyText.find(u"　何故かと");
    const std::u16string paragraph = storyText.substr(from, storyText.find(u"\r\n", from) + 2 - from);
    std::u16string longer = storyText;
    for (int i = 0; i < 30; ++i) longer += paragraph;
    QVERIFY(convertText(longer, s, "", host));
    const QJsonObject m = measure(dir.filePath("story.html"));
    QJsonObject shown = m;
    shown.remove("text");
    qInfo("%s", QJsonDocument(shown).toJson(QJsonDocument::Compact).constData());
    QCOMPARE(m.value("writingMode").toString(), QString(horizontal ? "horizontal-tb" : "vertical-rl"));
    QCOMPARE(m.value("rubies").toInt(), 6 + 30);
    if (!horizontal) QCOMPARE(m.value("rubyOnTheRight").toInt(), 6 + 30);
    QCOMPARE(m.value("text").toString(), plainText(s, longer));
    QCOMPARE(m.value("outside").toInt(), 0);
    QVERIFY(m.value("firstInView").toBool());
    // A phone's screen is a page of text from edge to edge (a desktop's is
    // wider than the lines of a vertical page are long).
    if (width == 400) QVERIFY2(m.value("covered").toDouble() > 0.7, "the page leaves the screen empty");
    if (qEnvironmentVariableIsSet("ZELVATO_SCREENSHOTS"))
      view_.grab().save(QString("%1/flow-%2-%3.png")
                            .arg(qEnvironmentVariable("ZELVATO_SCREENSHOTS"))
                            .arg(width)
                            .arg(utf8 ? "utf8" : "sjis"));
  }

  // What a reader copies from the page keeps each reading in parentheses
  // after its base, never run together with it.
  void copiedTextKeepsTheReadingInParentheses() {
    view_.resize(400, 800);
    QTemporaryDir dir;
    ConversionSettings s;
    s.textStyle = TextStyle::flow;
    s.aozoraNotation = true;
    s.outputMode = writerKeys::singleFile;
    s.outputEncoding = OutputEncoding::utf8;
    s.singleFilePath = dir.filePath("story.html").toStdU16String();
    RecordingHost host;
    QVERIFY(convertText(storyText, s, "", host));
    QVERIFY(!measure(dir.filePath("story.html")).isEmpty());
    QEventLoop wait;
    QTimer::singleShot(20000, &wait, &QEventLoop::quit);
    view_.page()->runJavaScript(QStringLiteral("getSelection().selectAllChildren(document.body)"),
                                [&](const QVariant&) { wait.quit(); });
    wait.exec();
    const QString copied = view_.page()->selectedText();
    QVERIFY2(copied.contains(QStringLiteral("一人の下人（げにん）が、羅生門（らしやうもん）の下で")),
             qPrintable(copied));
    QVERIFY(!copied.contains(QStringLiteral("下人げにん")));
  }
};

}  // namespace

QTEST_MAIN(FlowPageTest)
#include "flow_page_test.moc"
