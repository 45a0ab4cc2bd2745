// Where the characters of a page came from: the source units the page's
// characters stand for, walked past line breaks and notation, and every cell
// of a grid the typesetter set found again from its source character and back.
#include "page_map.h"

#include <QTest>
#include <string>

#include "document/conversion_settings.h"
#include "read/text_reader.h"
#include "run/null_host.h"
#include "typeset/grid_typesetter.h"

using namespace zelvato;
using zelvato::ui::GridPageMap;
using zelvato::ui::PageCounting;
using zelvato::ui::SourceLines;

namespace {

std::u16string u16(const QString& text) {
  return text.toStdU16String();
}

// The text with CR LF line breaks, as a run reads it.
QString crlf(QString text) {
  return text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
}

// The source character at a unit (a pair beyond the basic plane whole).
QString characterAt(const std::u16string& source, std::size_t at) {
  const auto length = at + 1 < source.size() && QChar::isHighSurrogate(source[at]) ? 2 : 1;
  return QString::fromStdU16String(source.substr(at, length));
}

// The grid the typesetter sets the text in, block by block into a map.
GridPageMap typesetMap(const std::u16string& source, int chars, int lines, bool aozora, RubyMode ruby,
                       bool kinsoku, std::vector<GridBlock>& blocks) {
  ConversionSettings settings;
  settings.aozoraNotation = aozora;
  settings.rubyMode = ruby;
  settings.kinsoku = kinsoku;
  settings.charsPerLine = QString::number(chars).toStdU16String();
  settings.linesPerColumn = QString::number(lines).toStdU16String();
  const GridLayoutOptions options = gridLayoutOptions(settings);
  GridBlock grid = makeGrid(options);
  NullHost host;
  GridPageMap map;
  const bool set =
      typesetGrid(readDocument(source, settings), options, grid, host, [&](const GridBlock& block) {
        if (!block.isEmpty()) {
          map.addBlock(block);
          blocks.push_back(block);
        }
        return true;
      });
  if (!set) qWarning("the typesetter failed");
  map.resolve(source, {aozora, ruby == RubyMode::paren});
  return map;
}

}  // namespace

class PageMapTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void theWalkPassesOverWhatThePageDoesNotShow_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<bool>("notation");
    QTest::addColumn<bool>("rubyInText");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("offset");  // the unit of the page's character `count`
    QTest::newRow("plain text counts every character") << "あいう" << false << false << 0 << 2 << 2;
    QTest::newRow("a line break is no character") << "あい\r\nう" << false << false << 0 << 2 << 4;
    QTest::newRow("a paragraph that begins on its line feed")
        << "あ\r\nいう" << false << false << 2 << 1 << 4;
    QTest::newRow("ruby beside its base is passed over")
        << "吾輩《わがはい》は" << true << false << 0 << 2 << 8;
    QTest::newRow("ruby in parentheses counts as its marks")
        << "吾輩《わがはい》は" << true << true << 0 << 8 << 8;
    QTest::newRow("an annotation is passed over") << "［＃５字下げ］一" << true << false << 0 << 0 << 7;
    QTest::newRow("the bar before a base is passed over")
        << "｜東京《とうきょう》へ" << true << false << 0 << 2 << 10;
    QTest::newRow("a web novel's bar before its ruby") << "|漢字《かんじ》は" << true << false << 0 << 2 << 8;
    QTest::newRow("a bar with no ruby after it is a character") << "a|b" << true << false << 0 << 2 << 2;
    QTest::newRow("the doubled marks of emphasis set nothing")
        << "《《猫》》だ" << true << true << 0 << 1 << 5;
    QTest::newRow("without notation its marks are characters")
        << "［＃x］一" << false << false << 0 << 4 << 4;
    QTest::newRow("an annotation line before the text")
        << "［＃ここから２字下げ］\r\n本文" << true << false << 0 << 1 << 14;
    QTest::newRow("past the end stops at the end") << "あい" << false << false << 0 << 5 << 2;
  }
  void theWalkPassesOverWhatThePageDoesNotShow() {
    QFETCH(QString, source);
    QFETCH(bool, notation);
    QFETCH(bool, rubyInText);
    QFETCH(int, start);
    QFETCH(int, count);
    QFETCH(int, offset);
    const std::u16string text = u16(source);
    const PageCounting counting{notation, rubyInText};
    QCOMPARE(ui::sourceOffsetAfter(text, static_cast<std::size_t>(start), static_cast<std::size_t>(count),
                                   counting),
             static_cast<std::size_t>(offset));
    // And back: the characters before that unit are the ones walked.
    if (offset < static_cast<int>(text.size()))
      QCOMPARE(ui::pageCharactersBetween(text, static_cast<std::size_t>(start),
                                         static_cast<std::size_t>(offset), counting),
               static_cast<std::size_t>(count));
  }

  void linesOfTheRunAndOfTheEditorMeet_data() {
    QTest::addColumn<QString>("text");  // line breaks as CR LF
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("column");
    QTest::newRow("first line") << "あい\r\nう" << 1 << 0 << 1;
    QTest::newRow("after a CR LF") << "あい\r\nう" << 4 << 1 << 0;
    QTest::newRow("an empty line") << "あ\r\n\r\nい" << 3 << 1 << 0;
    QTest::newRow("the last line without a break") << "あ\r\nいう" << 4 << 1 << 1;
  }
  void linesOfTheRunAndOfTheEditorMeet() {
    QFETCH(QString, text);
    QFETCH(int, offset);
    QFETCH(int, line);
    QFETCH(int, column);
    const SourceLines lines(u16(text));
    QCOMPARE(lines.lineAndColumn(static_cast<std::size_t>(offset)), std::make_pair(line, column));
    QCOMPARE(lines.offsetOf(line, column), static_cast<std::size_t>(offset));
  }

  // Every character the grid shows: its cell is found from its source unit,
  // holds that character, and gives the unit back.
  void everyCellIsFoundFromItsSourceAndBack_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("chars");
    QTest::addColumn<int>("lines");
    QTest::addColumn<bool>("aozora");
    QTest::addColumn<int>("ruby");
    QTest::addColumn<bool>("kinsoku");
    const QString plain = QStringLiteral(
        "吾輩は猫である。名前はまだ無い。\nどこで生れたかとんと見当がつかぬ。\n\n"
        "何でも薄暗いじめじめした所で𠮷と泣いていた事だけは記憶している。");
    QTest::newRow("plain text over several blocks") << plain << 5 << 3 << false << 0 << false;
    QTest::newRow("plain text with hanging stops") << plain << 6 << 4 << false << 0 << true;
    const QString aozora = QStringLiteral(
        "［＃５字下げ］一［＃「一」は中見出し］\n\n　親譲《おやゆず》りの無鉄砲《むてっぽう》で小供の時から損"
        "ばかりしている。\n"
        "［＃ここから２字下げ］\n｜小学校《しょうがっこう》に居る時分\n［＃ここで字下げ終わり］\n");
    QTest::newRow("Aozora notation, ruby in parentheses") << aozora << 8 << 4 << true << 0 << false;
    QTest::newRow("Aozora notation, ruby dropped") << aozora << 8 << 4 << true << 1 << true;
  }
  void everyCellIsFoundFromItsSourceAndBack() {
    QFETCH(QString, text);
    QFETCH(int, chars);
    QFETCH(int, lines);
    QFETCH(bool, aozora);
    QFETCH(int, ruby);
    QFETCH(bool, kinsoku);
    const std::u16string source = u16(crlf(text));
    std::vector<GridBlock> blocks;
    const GridPageMap map =
        typesetMap(source, chars, lines, aozora, static_cast<RubyMode>(ruby), kinsoku, blocks);
    QVERIFY(!map.empty());
    const auto rubyShownAt = [&](std::size_t at) {
      // In parentheses the ruby's own characters have cells of their own.
      return ruby == 0 && aozora && (source[at] == u'《' || source[at] == u'》');
    };
    int checked = 0;
    for (std::size_t at = 0; at < source.size(); ++at) {
      const QString expected = characterAt(source, at);
      const auto cell = map.cellAt(at);
      QVERIFY(cell.has_value());
      const GridBlock& block = blocks.at(static_cast<std::size_t>(cell->block));
      const GridCell& shown = block.cell(cell->row, block.linesPerColumn() - cell->column);
      if (cell->source != at) continue;  // a character the page does not show
      ++checked;
      // The cell shows the character (widened, or as its parenthesis for the ruby's marks).
      if (!rubyShownAt(at)) QCOMPARE(QString::fromStdU16String(shown.text), expected);
      QCOMPARE(map.sourceAt(cell->block, cell->row, cell->column), std::optional<std::size_t>(at));
    }
    QCOMPARE(static_cast<std::size_t>(checked), map.size());
  }

  void anEmptyCellGivesTheCharacterBeforeIt() {
    std::vector<GridBlock> blocks;
    // あい fills two cells of the first vertical line; the rest of it stays empty.
    const std::u16string source = u16(crlf(QStringLiteral("あい\nうえ")));
    const GridPageMap map = typesetMap(source, 4, 3, false, RubyMode::paren, false, blocks);
    const int rightmost = blocks.front().linesPerColumn() - 1;
    QCOMPARE(map.sourceAt(0, 4, rightmost), std::optional<std::size_t>(1));
    QCOMPARE(map.sourceAt(0, 1, rightmost - 1), std::optional<std::size_t>(4));
    QCOMPARE(map.sourceAt(1, 1, 0), std::nullopt);
  }
};

QTEST_MAIN(PageMapTest)
#include "page_map_test.moc"
