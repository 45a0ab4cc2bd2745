// The source pane with lines too long to lay out at every keystroke: shown in
// pieces, read back, edited, copied, counted and undone as the one line it is.
#include "source_text_edit.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <QTextBlock>
#include <functional>

using zelvato::ui::SourceTextEdit;

namespace {

constexpr qsizetype piece = SourceTextEdit::shownPiece;

// A line of 250,000 characters whose natural piece ends would fall inside a
// surrogate pair (at the first piece's end) and before a voiced mark (at the
// second's), between a short line before it and one after it. The first
// piece is one shorter, and the second piece one shorter again.
QString longLineText() {
  QString line;
  const QString kana = QStringLiteral("いろはにほへとちりぬるをわかよたれそつねならむ");
  while (line.size() < 250000) line += kana;
  line.truncate(250000);
  line.replace(piece - 1, 2, QStringLiteral("𠮷"));
  line.replace(2 * piece - 2, 2, QStringLiteral("か\u3099"));
  return QStringLiteral("前の行\n") + line + QStringLiteral("\n後の行");
}

// The text's position where the pane's `piece`-th paragraph begins (1 is the long line's first).
qsizetype pieceStart(const SourceTextEdit& edit, int number) {
  return edit.document()->findBlockByNumber(number).position() - (number - 1);
}

}  // namespace

class SourceTextEditTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void aLongLineIsShownInPiecesAndReadBackWhole() {
    SourceTextEdit edit(nullptr);
    const QString text = longLineText();
    edit.setPlainText(text);
    QCOMPARE(edit.toPlainText(), text);
    QCOMPARE(edit.sourceLength(), text.size() + 2);  // two line breaks of two code units
    QCOMPARE(edit.sourceText(), QString(text).replace(u'\n', QStringLiteral("\r\n")));
    // The line is shown in pieces of at most the piece's length, no piece
    // beginning inside a character.
    const int pieces = edit.document()->blockCount() - 2;
    QVERIFY(pieces >= 25);
    QCOMPARE(edit.shownPieceJoins(), pieces - 1);
    for (QTextBlock block = edit.document()->findBlockByNumber(1); block.blockNumber() <= pieces;
         block = block.next()) {
      QVERIFY(block.length() - 1 <= piece);
      QVERIFY(!block.text().front().isLowSurrogate());
      QVERIFY(block.text().front() != QChar(0x3099));
    }
    // The lines of the text are found where they are.
    QCOMPARE(edit.blockOfLine(2).text(), QStringLiteral("後の行"));
    QCOMPARE(edit.blockOfLine(1).blockNumber(), 1);
    QCOMPARE(edit.lineOfBlock(edit.document()->findBlockByNumber(pieces)), 1);
    QCOMPARE(edit.lineOfBlock(edit.document()->lastBlock()), 2);
    QCOMPARE(edit.lineOfBlock(edit.document()->firstBlock()), 0);
    // Loading the text again is no edit to undo, and a text of short lines has no pieces.
    QVERIFY(!edit.document()->isModified());
    QVERIFY(!edit.document()->isUndoAvailable());
    edit.setPlainText(QStringLiteral("短い\n行"));
    QCOMPARE(edit.shownPieceJoins(), 0);
    QCOMPARE(edit.document()->blockCount(), 2);
  }

  // A piece ends after a sentence or a clause near its full length, so that
  // it reads as the text does; a line without one is cut at the full length.
  void piecesEndAfterASentenceNearTheirEnd_data() {
    QTest::addColumn<QString>("unit");      // the line repeats it
    QTest::addColumn<qsizetype>("length");  // of the first piece
    QTest::newRow("after 。") << QStringLiteral("吾輩は猫である。名前はまだ無い") << qsizetype{9998};
    QTest::newRow("after a space") << QStringLiteral("abcdefg ") << qsizetype{10000};
    QTest::newRow("after 」") << QStringLiteral("「にゃあ」と鳴いた") << qsizetype{9995};
    QTest::newRow("no sentence: the full length") << QStringLiteral("あいうえお") << piece;
  }
  void piecesEndAfterASentenceNearTheirEnd() {
    QFETCH(QString, unit);
    QFETCH(qsizetype, length);
    QString line;
    while (line.size() < 3 * SourceTextEdit::longestShownLine / 2) line += unit;
    SourceTextEdit edit(nullptr);
    edit.setPlainText(line);
    QCOMPARE(edit.document()->firstBlock().length() - 1, length);
    QCOMPARE(edit.toPlainText(), line);
    for (QTextBlock block = edit.document()->firstBlock(); block.isValid(); block = block.next())
      QVERIFY(block.length() - 1 <= piece);
  }

  // Each edit changes the text as it would change the one line, and undo gives it back.
  void editsAtTheJoinsActOnTheText_data() {
    QTest::addColumn<std::function<void(SourceTextEdit&)>>("action");
    QTest::addColumn<std::function<QString(const SourceTextEdit&, QString)>>("expected");
    using Action = std::function<void(SourceTextEdit&)>;
    using Expected = std::function<QString(const SourceTextEdit&, QString)>;
    const auto atPieceStart = [](SourceTextEdit& edit, int number) {
      QTextCursor cursor(edit.document()->findBlockByNumber(number));
      edit.setTextCursor(cursor);
    };
    QTest::newRow("Backspace at a piece's start takes the character before the join")
        << Action([=](SourceTextEdit& e) {
             atPieceStart(e, 4);
             QTest::keyClick(&e, Qt::Key_Backspace);
           })
        << Expected([](const SourceTextEdit& e, QString t) { return t.remove(pieceStart(e, 4) - 1, 1); });
    QTest::newRow("Delete before a join takes the surrogate pair after it whole")
        << Action([=](SourceTextEdit& e) {
             atPieceStart(e, 1);
             e.moveCursor(QTextCursor::EndOfBlock);
             QTest::keyClick(&e, Qt::Key_Delete);
           })
        << Expected([](const SourceTextEdit& e, QString t) { return t.remove(pieceStart(e, 2), 2); });
    QTest::newRow("Delete at a piece's end takes the character after the join")
        << Action([=](SourceTextEdit& e) {
             atPieceStart(e, 6);
             e.moveCursor(QTextCursor::EndOfBlock);
             QTest::keyClick(&e, Qt::Key_Delete);
           })
        << Expected([](const SourceTextEdit& e, QString t) { return t.remove(pieceStart(e, 7), 1); });
    QTest::newRow("Enter inside a piece breaks the line there") << Action([=](SourceTextEdit& e) {
      atPieceStart(e, 5);
      e.moveCursor(QTextCursor::NextCharacter);
      QTest::keyClick(&e, Qt::Key_Return);
    }) << Expected([](const SourceTextEdit& e, QString t) {
      // The pane has one paragraph more before the piece now.
      return t.insert(e.document()->findBlockByNumber(5).position() - 4 + 1, u'\n');
    });
    QTest::newRow("Enter at a piece's start breaks the line at the join") << Action([=](SourceTextEdit& e) {
      atPieceStart(e, 3);
      QTest::keyClick(&e, Qt::Key_Enter, Qt::KeypadModifier);
    }) << Expected([](const SourceTextEdit& e, QString t) {
      return t.insert(e.document()->findBlockByNumber(3).position() - 2, u'\n');
    });
    QTest::newRow("typing at a join puts the character between the pieces' characters")
        << Action([=](SourceTextEdit& e) {
             atPieceStart(e, 8);
             QTest::keyClicks(&e, QStringLiteral("x"));
           })
        << Expected([](const SourceTextEdit& e, QString t) { return t.insert(pieceStart(e, 8), u'x'); });
    QTest::newRow("lines pasted into a piece stay lines") << Action([=](SourceTextEdit& e) {
      atPieceStart(e, 9);
      e.moveCursor(QTextCursor::NextCharacter);
      QGuiApplication::clipboard()->setText(QStringLiteral("一\r\n二\n三"));
      e.paste();
    }) << Expected([](const SourceTextEdit& e, QString t) {
      return t.insert(e.document()->findBlockByNumber(9).position() - 8 + 1, QStringLiteral("一\n二\n三"));
    });
    QTest::newRow("a selection across joins deleted takes only its characters")
        << Action([=](SourceTextEdit& e) {
             QTextCursor cursor(e.document()->findBlockByNumber(10));
             cursor.setPosition(cursor.position() - 5);
             cursor.setPosition(e.document()->findBlockByNumber(12).position() + 7, QTextCursor::KeepAnchor);
             e.setTextCursor(cursor);
             QTest::keyClick(&e, Qt::Key_Delete);
           })
        << Expected([](const SourceTextEdit& e, QString t) {
             // Four characters before the join, two whole pieces, seven characters after.
             return t.remove(pieceStart(e, 10) - 4, 4 + 2 * piece + 7);
           });
    QTest::newRow("a long line pasted is one line") << Action([=](SourceTextEdit& e) {
      e.moveCursor(QTextCursor::End);
      QGuiApplication::clipboard()->setText(QStringLiteral("\n") + QString(150000, u'あ'));
      e.paste();
    }) << Expected([](const SourceTextEdit&, QString t) { return t + u'\n' + QString(150000, u'あ'); });
  }
  void editsAtTheJoinsActOnTheText() {
    QFETCH(std::function<void(SourceTextEdit&)>, action);
    QFETCH(std::function<QString(const SourceTextEdit&, QString)>, expected);
    SourceTextEdit edit(nullptr);
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    const QString text = longLineText();
    edit.setPlainText(text);
    // What is expected is read from the pane as it is shown before the edit.
    const QString after = expected(edit, text);
    action(edit);
    QCOMPARE(edit.toPlainText().size(), after.size());
    QCOMPARE(edit.toPlainText(), after);
    QCOMPARE(edit.sourceLength(), after.size() + after.count(u'\n'));
    edit.undo();
    QCOMPARE(edit.toPlainText(), text);
    edit.redo();
    QCOMPARE(edit.toPlainText(), after);
  }

  void aSelectionAcrossAJoinIsCopiedAsTheTextHasIt() {
    SourceTextEdit edit(nullptr);
    const QString text = longLineText();
    edit.setPlainText(text);
    QTextCursor cursor(edit.document()->findBlockByNumber(3));
    // Two characters, the join, four characters.
    cursor.setPosition(cursor.position() - 3);
    cursor.setPosition(cursor.position() + 7, QTextCursor::KeepAnchor);
    edit.setTextCursor(cursor);
    edit.copy();
    QCOMPARE(QGuiApplication::clipboard()->text(), text.mid(pieceStart(edit, 3) - 2, 6));
    edit.selectAll();
    edit.copy();
    QCOMPARE(QGuiApplication::clipboard()->text(), text);
  }
};

QTEST_MAIN(SourceTextEditTest)
#include "source_text_edit_test.moc"
