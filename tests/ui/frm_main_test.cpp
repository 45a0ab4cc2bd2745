// The main window: its pages and their controls bound to the settings model,
// the rules shown in the controls, the keyboard order, the source pane, the
// output choosers and the font chooser as they ask their dialogs, the
// commands made from a table, the preview and the version message.
#include "frm_main.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <memory>

#include "command_table.h"
#include "fake_dialogs.h"
#include "option_controls.h"
#include "options/option_table.h"
#include "output_choices.h"
#include "pages/html_page.h"
#include "program_identity.h"
#include "settings_model.h"
#include "source_text_edit.h"
#include "up_down.h"
#include "window_controls.h"
#include "write/registry/writer_registry.h"

namespace writerKeys = zelvato::writerKeys;
using zelvato::testing::Asked;
using zelvato::testing::FakeDialogs;
using zelvato::ui::frmMain;
using zelvato::ui::HtmlPage;
using zelvato::ui::MessageButtons;
using zelvato::ui::MessageIcon;
using namespace zelvato::ui;

Q_DECLARE_METATYPE(zelvato::ui::Tab)

namespace {

QString fromU16(const std::u16string& s) {
  return QString::fromStdU16String(s);
}
// A number field as it was typed.
QString fromU16(const zelvato::NumberField& n) {
  return fromU16(n.typed());
}

// Shows the window and gives it the keyboard, also where no window manager runs.
void showActive(QWidget* w) {
  w->show();
  QVERIFY(QTest::qWaitForWindowExposed(w));
  w->activateWindow();
  w->raise();
  QVERIFY(QTest::qWaitForWindowActive(w));
}

// Every field of the record the window shows, for comparing two of them.
bool sameAsShown(const zelvato::ConversionSettings& a, const zelvato::ConversionSettings& b) {
  SettingsModel left, right;
  left.reset({a, false});
  right.reset({b, false});
  for (const zelvato::OptionEntry* o : windowOptions())
    if (left.text(*o) != right.text(*o) || left.isChecked(*o) != right.isChecked(*o) ||
        left.choice(*o) != right.choice(*o))
      return false;
  return a.outputMode == b.outputMode;
}

// Commands of a test's own: what each did is counted.
int handled[4] = {};
template <int n>
void count(frmMain&) {
  ++handled[n];
}
const CommandEntry testCommands[] = {
    {.name = "Toolbar1Button(1)",
     .caption = QStringLiteral("新規作成"),
     .icon = "new",
     .toolbar = 1,
     .handler = count<0>},
    {.name = "mnuRecent", .caption = QStringLiteral("最近使ったﾌｧｲﾙ(&R)")},
    {.name = "cmdSecond",
     .caption = QStringLiteral("二番目(&2)..."),
     .icon = "save",
     .toolbar = 2,
     .separatorBefore = true,
     .handler = count<1>},
    {.name = "cmdStop",
     .caption = QStringLiteral("変換中断"),
     .icon = "stop",
     .menu = CommandMenu::convert,
     .toolbar = 4,
     .available = Availability::busy,
     .handler = count<2>},
    {.name = "cmdQuit",
     .caption = QStringLiteral("終了(&Q)"),
     .menu = CommandMenu::convert,
     .available = Availability::always,
     .handler = count<3>},
};

}  // namespace

class FrmMainTest : public QObject {
  Q_OBJECT

 public:
  static void initMain() { zelvato::ui::prepareApplication(); }

 private:
  std::unique_ptr<FakeDialogs> dialogs;
  std::unique_ptr<frmMain> window;

 private Q_SLOTS:
  void init() {
    dialogs = std::make_unique<FakeDialogs>();
    window = std::make_unique<frmMain>(dialogs.get());
  }
  void cleanup() {
    window->setCloseAllowed(true);
    window.reset();
    dialogs.reset();
  }

  // A fresh window converts as a default record does, and shows what follows from it.
  void aFreshWindowShowsTheStartState() {
    QVERIFY(sameAsShown(window->readSettings(), zelvato::ConversionSettings{}));
    QCOMPARE(lineEdit(*window, "txtWidth")->text(), QStringLiteral("127"));
    QCOMPARE(lineEdit(*window, "txtHeight")->text(), QStringLiteral("158"));
    QCOMPARE(txtAppearance(*window, 0)->text(), QStringLiteral("25"));
    QCOMPARE(lineEdit(*window, "txtPageColum")->text(), QStringLiteral("2"));
    // The text colour, which the window carries but does not offer, stands grey and disabled.
    QCOMPARE(chkOpt(*window, 4)->checkState(), Qt::PartiallyChecked);
    QVERIFY(!chkOpt(*window, 4)->isEnabled());
    // Line-breaking rules are chosen on the typesetting page only.
    QVERIFY(chkOpt(*window, 1) == nullptr);
    QVERIFY(optRuby(*window, 0)->isChecked() && !optRuby(*window, 0)->isEnabled());
    QVERIFY(optOutput(*window, 0)->isChecked() && !button(*window, "cmdFileSelect")->isEnabled());
    QCOMPARE(window->SSTabMain()->currentIndex(), 0);
    QCOMPARE(window->SSTabMain()->tabText(5), QStringLiteral("組版設定"));
    QVERIFY(window->closeAllowed());
  }

  // The option table binds each field and check box by its object name: a
  // value put into the control is the value a conversion reads, and a check
  // box shows the caption the table gives it.
  void everyOptionOfTheTableIsReadFromItsControl_data() {
    QTest::addColumn<QString>("key");
    for (const zelvato::OptionEntry* o : windowOptions())
      QTest::newRow(std::string(o->key).c_str()) << QString::fromLatin1(o->key.data(), o->key.size());
  }
  void everyOptionOfTheTableIsReadFromItsControl() {
    QFETCH(QString, key);
    const zelvato::OptionEntry* option = zelvato::findOption(key.toStdString());
    const QString control = controlName(*option);
    if (option->text != nullptr || option->number != nullptr) {
      auto* box = window->findChild<QLineEdit*>(control);
      QVERIFY(box != nullptr);
      box->setText(QStringLiteral("7"));
      const zelvato::ConversionSettings read = window->readSettings();
      if (option->number != nullptr) {
        QCOMPARE(fromU16(read.*option->number), QStringLiteral("7"));
        QCOMPARE((read.*option->number).value(), 7.0);
      } else {
        QCOMPARE(fromU16(read.*option->text), QStringLiteral("7"));
      }
      return;
    }
    if (shownAsCheckBox(*option)) {
      auto* box = window->findChild<QCheckBox*>(control);
      QVERIFY(box != nullptr);
      QCOMPARE(box->text(), captionOf(*option));
      for (const Qt::CheckState state : {Qt::Checked, Qt::Unchecked, Qt::Checked}) {
        box->setEnabled(true);
        box->setCheckState(state);
        QCOMPARE(checkedFor(*option, window->readSettings()), state == Qt::Checked);
      }
      return;
    }
    // The choice's group shows its caption; each word's option button sets its value.
    auto* group = window->findChild<QRadioButton*>(choiceButtonName(*option, 0))->parentWidget();
    QCOMPARE(group->property("title").toString(), captionOf(*option));
    for (const zelvato::OptionChoice& c : option->choices) {
      if (!c.refusal.empty()) continue;
      auto* button = window->findChild<QRadioButton*>(choiceButtonName(*option, c.value));
      QVERIFY(button != nullptr);
      button->setEnabled(true);
      button->click();
      QCOMPARE(option->choiceOf(window->readSettings()), c.value);
    }
  }

  // Settings set as a whole (a preset, the remembered ones) show in every control.
  void aWholeRecordShowsInTheControls() {
    WindowSettings chosen;
    chosen.conversion.charsPerLine = u"40";
    chosen.conversion.fontSizePt = u"12";
    chosen.conversion.charSpacingPt = u"3";  // kept, though a new font size would set it
    chosen.conversion.showGrid = true;
    chosen.conversion.outputMode = writerKeys::pageFiles;
    chosen.conversion.rubyMode = zelvato::RubyMode::drop;
    chosen.conversion.aozoraNotation = true;
    chosen.autoPreview = true;
    window->settings().reset(chosen);
    QCOMPARE(txtAppearance(*window, 0)->text(), QStringLiteral("40"));
    QCOMPARE(txtFont(*window, 1)->text(), QStringLiteral("12"));
    QCOMPARE(txtAppearance(*window, 1)->text(), QStringLiteral("3"));
    QVERIFY(chkOpt(*window, 2)->isChecked());
    QVERIFY(optOutput(*window, 2)->isChecked() && button(*window, "cmdFolderSelect")->isEnabled());
    QVERIFY(optRuby(*window, 1)->isChecked() && optRuby(*window, 1)->isEnabled());
    QVERIFY(window->chkAutoPreview()->isChecked());
    QVERIFY(sameAsShown(window->readSettings(), chosen.conversion));
    // The spinner steps on from the value it was given.
    QTest::mouseClick(updnAppearance(*window, 0)->upButton(), Qt::LeftButton);
    QCOMPARE(txtAppearance(*window, 0)->text(), QStringLiteral("41"));
  }

  // The editing rules of the model, seen in the controls the user works with
  // (the line spacing is 3 before each row).
  void rulesShowInTheControls_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("charSpacing");
    QTest::addColumn<QString>("lineSpacing");
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("height");
    QTest::newRow("font size 10.5 sets the spacings") << "txtFont(1)"
                                                      << "10.5"
                                                      << "10.5"
                                                      << "10"
                                                      << "0"
                                                      << "148"
                                                      << "180";
    QTest::newRow("empty font size becomes 6") << "txtFont(1)"
                                               << ""
                                               << "6"
                                               << "6"
                                               << "0"
                                               << "84"
                                               << "106";
    QTest::newRow("12 followed by letters counts as 12") << "txtAppearance(2)"
                                                         << "12abc"
                                                         << "12abc"
                                                         << "9"
                                                         << "3"
                                                         << "89"
                                                         << "158";
    QTest::newRow("an empty measure leaves the page size") << "txtAppearance(0)"
                                                           << ""
                                                           << ""
                                                           << "9"
                                                           << "3"
                                                           << "148"
                                                           << "158";
  }
  void rulesShowInTheControls() {
    QFETCH(QString, control);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QString, charSpacing);
    QFETCH(QString, lineSpacing);
    QFETCH(QString, width);
    QFETCH(QString, height);
    txtAppearance(*window, 3)->setText(QStringLiteral("3"));
    auto* box = window->findChild<QLineEdit*>(control);
    box->setText(typed);
    QCOMPARE(box->text(), shown);
    QCOMPARE(txtAppearance(*window, 1)->text(), charSpacing);
    QCOMPARE(txtAppearance(*window, 3)->text(), lineSpacing);
    QCOMPARE(lineEdit(*window, "txtWidth")->text(), width);
    QCOMPARE(lineEdit(*window, "txtHeight")->text(), height);
  }

  void styleSheetOffDisablesTheSpacingsAtTheFontSize() {
    txtFont(*window, 1)->setText(QStringLiteral("12"));
    txtAppearance(*window, 1)->setText(QStringLiteral("5"));
    txtAppearance(*window, 3)->setText(QStringLiteral("4"));
    checkBox(*window, "chkCSS")->click();
    QCOMPARE(txtAppearance(*window, 1)->text(), QStringLiteral("12"));
    QCOMPARE(txtAppearance(*window, 3)->text(), QStringLiteral("0"));
    for (int i : {1, 3})
      QVERIFY(!txtAppearance(*window, i)->isEnabled() && !updnAppearance(*window, i)->isEnabled());
    QVERIFY(!window->readSettings().useStyleSheet);
    checkBox(*window, "chkCSS")->click();
    for (int i : {1, 3})
      QVERIFY(txtAppearance(*window, i)->isEnabled() && updnAppearance(*window, i)->isEnabled());
    QCOMPARE(txtAppearance(*window, 1)->text(), QStringLiteral("12"));
    QVERIFY(window->readSettings().useStyleSheet);
  }

  void columnBlocksBelowOneBecomeOne_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("0") << "0"
                       << "1";
    QTest::newRow("-3") << "-3"
                        << "1";
    QTest::newRow("empty") << ""
                           << "1";
    QTest::newRow("letters") << "abc"
                             << "1";
    QTest::newRow("250 stays above the spinner range") << "250"
                                                       << "250";
  }
  void columnBlocksBelowOneBecomeOne() {
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    optOutput(*window, 2)->click();
    // The value is entered as a whole, as by pasting over the selection.
    QLineEdit* box = lineEdit(*window, "txtPageColum");
    box->selectAll();
    box->insert(typed);
    QCOMPARE(box->text(), shown);
    QCOMPARE(fromU16(window->readSettings().columnsPerPage), shown);
  }

  void outputModeEnablesOnlyItsFields_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("visible");
    const char* fileControls[] = {"txtOutput(0)", "cmdFileSelect"};
    const char* pageControls[] = {"txtOutput(1)", "cmdFolderSelect", "txtOutput(2)",  "chkOutput(0)",
                                  "chkOutput(1)", "txtPageColum",    "updnColumnPage"};
    const char* bookControls[] = {"txtOutput(5)", "cmdEpubSelect"};
    const char* textControls[] = {"txtOutput(6)", "cmdTextSelect"};
    // The reading type is the book's (and the flowing page's) alone, on a page
    // of its own; the grid is set in its own font.
    const char* bookTypeControls[] = {"optReadingTypeface(0)", "optReadingTypeface(1)", "txtReadingFont",
                                      "txtReadingFontSize",    "txtReadingLineHeight",  "txtCover",
                                      "cmdCoverSelect"};
    // The book and the plain text are always UTF-8 real text: the encoding
    // and the grid's reading text do not apply.
    const char* htmlOnlyControls[] = {"optEncoding(0)", "optEncoding(1)", "chkAccessibleText"};
    for (int mode : {0, 1, 2, 3, 4}) {
      // The book's and the text's file field and chooser stand in the place of the HTML file's.
      for (const char* c : fileControls)
        QTest::addRow("mode %d %s", mode, c) << mode << QString::fromLatin1(c) << (mode == 1) << (mode < 3);
      for (const char* c : bookControls)
        QTest::addRow("mode %d %s", mode, c) << mode << QString::fromLatin1(c) << (mode == 3) << (mode == 3);
      for (const char* c : textControls)
        QTest::addRow("mode %d %s", mode, c) << mode << QString::fromLatin1(c) << (mode == 4) << (mode == 4);
      for (const char* c : bookTypeControls)
        QTest::addRow("mode %d %s", mode, c) << mode << QString::fromLatin1(c) << (mode == 3) << true;
      for (const char* c : pageControls)
        QTest::addRow("mode %d %s", mode, c) << mode << QString::fromLatin1(c) << (mode == 2) << true;
      for (const char* c : htmlOnlyControls)
        QTest::addRow("mode %d %s", mode, c) << mode << QString::fromLatin1(c) << (mode < 3) << true;
      for (const char* c : {"txtOutput(3)", "txtOutput(4)"})
        QTest::addRow("mode %d %s", mode, c) << mode << QString::fromLatin1(c) << true << true;
    }
  }
  void outputModeEnablesOnlyItsFields() {
    QFETCH(int, mode);
    QFETCH(QString, control);
    QFETCH(bool, enabled);
    QFETCH(bool, visible);
    window->show();
    // Go through another mode first so the rule has something to undo.
    optOutput(*window, (mode + 1) % 5)->click();
    txtOutput(*window, 2)->setText(QStringLiteral("kept"));
    txtOutput(*window, 5)->setText(QStringLiteral("kept.epub"));
    optOutput(*window, mode)->click();
    auto* w = window->findChild<QWidget*>(control);
    QCOMPARE(w->isEnabled(), enabled);
    // Seen on its page: the output page, or the book's type on a page of its own.
    QWidget* page = window->SSTabMain()->widget(static_cast<int>(Tab::output));
    if (!page->isAncestorOf(w)) page = window->SSTabMain()->widget(static_cast<int>(Tab::reading));
    QCOMPARE(w->isVisibleTo(page), visible);
    QCOMPARE(txtOutput(*window, 2)->text(), QStringLiteral("kept"));
    QCOMPARE(txtOutput(*window, 5)->text(), QStringLiteral("kept.epub"));
    const std::string_view expected[] = {writerKeys::showOnly, writerKeys::singleFile, writerKeys::pageFiles,
                                         writerKeys::epub, "text"};
    QCOMPARE(window->readSettings().outputMode, expected[mode]);
  }

  // Flowing text has no reading text beside it: the check box means nothing
  // for a flowing page, and comes back with the grid.
  void theReadingTextFollowsTheStyleOfText() {
    window->show();
    optOutput(*window, 1)->click();
    QVERIFY(checkBox(*window, "chkAccessibleText")->isEnabled());
    window->findChild<QRadioButton*>(QStringLiteral("optStyle(1)"))->click();
    QVERIFY(!checkBox(*window, "chkAccessibleText")->isEnabled());
    QVERIFY(optEncoding(*window, 1)->isEnabled());
    window->findChild<QRadioButton*>(QStringLiteral("optStyle(0)"))->click();
    QVERIFY(checkBox(*window, "chkAccessibleText")->isEnabled());
  }

  // The output page is made from the writer registry: each medium the window
  // offers has its button, which selects it, and a medium that writes a file
  // or folder offers its chooser and field, usable only while it is chosen.
  void everyOutputChoiceSelectsItsModeAndItsPath_data() {
    QTest::addColumn<int>("index");
    const std::vector<const zelvato::WriterEntry*> choices = outputChoices();
    for (std::size_t i = 0; i < choices.size(); ++i)
      QTest::newRow(std::string(choices[i]->key).c_str()) << static_cast<int>(i);
  }
  void everyOutputChoiceSelectsItsModeAndItsPath() {
    QFETCH(int, index);
    const std::vector<const zelvato::WriterEntry*> choices = outputChoices();
    const zelvato::WriterEntry& choice = *choices[static_cast<std::size_t>(index)];
    optOutput(*window, (index + 1) % static_cast<int>(choices.size()))->click();
    QRadioButton* option = optOutput(*window, index);
    QCOMPARE(option->text(), qtText(choice.choiceCaption));
    option->click();
    QCOMPARE(window->readSettings().outputMode, choice.key);
    for (const zelvato::WriterEntry* other : choices) {
      if (other->destination == zelvato::Destination::none) continue;
      auto* chooser = window->findChild<QPushButton*>(latin(other->chooserControl));
      auto* field = window->findChild<QLineEdit*>(latin(other->pathControl));
      QVERIFY(chooser != nullptr && field != nullptr);
      QCOMPARE(chooser->isEnabled(), other == &choice);
      QCOMPARE(field->isEnabled(), other == &choice);
    }
  }

  // Each chooser asks its own question, starting without a name, and its
  // answer reaches the field and the settings; a cancel changes nothing.
  void choosersAskTheirDialogAndFillTheirField_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("chooser");
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("filters");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("one HTML file") << 1 << "cmdFileSelect" << 0 << int(Asked::Kind::saveFile)
                                   << "出力先ﾌｧｲﾙの指定" << QStringList{"HTMLﾌｧｲﾙ (*.html)"} << "html";
    QTest::newRow("the book") << 3 << "cmdEpubSelect" << 5 << int(Asked::Kind::saveFile) << "出力先ﾌｧｲﾙの指定"
                              << QStringList{"EPUBﾌｧｲﾙ (*.epub)"} << "epub";
    QTest::newRow("the plain text") << 4 << "cmdTextSelect" << 6 << int(Asked::Kind::saveFile)
                                    << "出力先ﾌｧｲﾙの指定" << QStringList{"ﾃｷｽﾄﾌｧｲﾙ (*.txt)"} << "txt";
    QTest::newRow("the typeset book") << 5 << "cmdBookSelect" << 7 << int(Asked::Kind::saveFile)
                                      << "出力先ﾌｧｲﾙの指定" << QStringList{"PDFﾌｧｲﾙ (*.pdf)"} << "pdf";
    QTest::newRow("the page files' folder") << 2 << "cmdFolderSelect" << 1 << int(Asked::Kind::folder)
                                            << "出力先ﾃﾞｨﾚｸﾄﾘの指定" << QStringList() << "";
  }
  void choosersAskTheirDialogAndFillTheirField() {
    QFETCH(int, mode);
    QFETCH(QString, chooser);
    QFETCH(int, field);
    QFETCH(int, kind);
    QFETCH(QString, title);
    QFETCH(QStringList, filters);
    QFETCH(QString, suffix);
    optOutput(*window, mode)->click();
    const QString answer =
        kind == int(Asked::Kind::folder) ? QStringLiteral("/tmp/") : QStringLiteral("/tmp/chosen.") + suffix;
    dialogs->answerFile(answer);
    dialogs->folders = {answer};
    window->findChild<QPushButton*>(chooser)->click();
    QCOMPARE(txtOutput(*window, field)->text(), answer);
    // Asked again and cancelled: the field keeps its path.
    window->findChild<QPushButton*>(chooser)->click();
    QCOMPARE(txtOutput(*window, field)->text(), answer);
    QCOMPARE(dialogs->asked.size(), 2);
    for (const Asked& asked : dialogs->asked) {
      QCOMPARE(int(asked.kind), kind);
      QCOMPARE(asked.title, title);
      QCOMPARE(asked.filters, filters);
      QCOMPARE(asked.suffix, suffix);
    }
    // Every question starts without a name: the first nowhere in particular
    // (no text file), the next in the folder chosen before.
    QCOMPARE(dialogs->asked[0].start, QString());
    QCOMPARE(QDir(dialogs->asked[1].start), QDir(QStringLiteral("/tmp")));
    const zelvato::ConversionSettings s = window->readSettings();
    const zelvato::WriterEntry& medium = *outputChoices()[static_cast<std::size_t>(mode)];
    QCOMPARE(fromU16(zelvato::outputPath(s, medium)), answer);
    // The other choices' fields are left alone.
    for (int other : {0, 1, 5, 6, 7})
      if (other != field) QCOMPARE(txtOutput(*window, other)->text(), QString());
  }

  // Output goes beside the text by default, and a name typed without an extension gets the medium's.
  void choosersStartBesideTheTextAndAddTheExtension_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("chooser");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::newRow("one HTML file, no extension") << 1 << "cmdFileSelect" << 0 << "neko"
                                                 << "neko.html";
    QTest::newRow("the book, its extension") << 3 << "cmdEpubSelect" << 5 << "neko.epub"
                                             << "neko.epub";
    QTest::newRow("the plain text, another extension") << 4 << "cmdTextSelect" << 6 << "neko.md"
                                                       << "neko.md";
    QTest::newRow("the page files' folder") << 2 << "cmdFolderSelect" << 1 << "out/"
                                            << "out/";
  }
  void choosersStartBesideTheTextAndAddTheExtension() {
    QFETCH(int, mode);
    QFETCH(QString, chooser);
    QFETCH(int, field);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    QTemporaryDir textFolder;
    window->setSourceFile(QDir(textFolder.path()).filePath(QStringLiteral("猫.txt")),
                          zelvato::SourceFormat{});
    optOutput(*window, mode)->click();
    const QString answer = QDir(textFolder.path()).filePath(typed);
    dialogs->answerFile(answer);
    dialogs->folders = {answer};
    window->findChild<QPushButton*>(chooser)->click();
    QCOMPARE(dialogs->asked.size(), 1);
    QCOMPARE(QDir(dialogs->asked[0].start), QDir(textFolder.path()));
    QCOMPARE(txtOutput(*window, field)->text(), QDir(textFolder.path()).filePath(kept));
    window->setSourceFile(QString(), zelvato::SourceFormat{});
  }

  void fontChooserSetsFaceSizeAndSample_data() {
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("sizeText");
    QTest::addColumn<QString>("charSpacing");
    QTest::newRow("9") << "9"
                       << "9"
                       << "9";
    QTest::newRow("10.5") << "10.5"
                          << "10.5"
                          << "10";
    QTest::newRow("11.50 is written shortest") << "11.50"
                                               << "11.5"
                                               << "12";
  }
  void fontChooserSetsFaceSizeAndSample() {
    QFETCH(QString, size);
    QFETCH(QString, sizeText);
    QFETCH(QString, charSpacing);
    QFont font(QStringLiteral("IPAGothic"));
    font.setPointSizeF(size.toDouble());
    font.setUnderline(true);
    dialogs->fonts = {zelvato::ui::FontAnswer{font, QColor(Qt::red)}};
    button(*window, "cmdFontChange")->click();
    QCOMPARE(dialogs->asked.size(), 1);
    QCOMPARE(dialogs->asked[0].title, QStringLiteral("変換後ﾌｫﾝﾄの選択"));
    // The chooser starts at the window's face, installed or not.
    QCOMPARE(dialogs->asked[0].font.family(), QStringLiteral("ＭＳ ゴシック"));
    QCOMPARE(txtFont(*window, 0)->text(), QStringLiteral("IPAGothic"));
    QCOMPARE(txtFont(*window, 1)->text(), sizeText);
    QCOMPARE(txtAppearance(*window, 1)->text(), charSpacing);
    QCOMPARE(txtAppearance(*window, 3)->text(), QStringLiteral("0"));
    QLineEdit* sample = lineEdit(*window, "txtSampleFont");
    QVERIFY(sample->font().underline());
    QCOMPARE(sample->font().family(), QStringLiteral("IPAGothic"));
    QCOMPARE(sample->palette().color(QPalette::Text), QColor(Qt::red));
    QCOMPARE(fromU16(window->readSettings().fontFace), QStringLiteral("IPAGothic"));
    QCOMPARE(fromU16(window->readSettings().fontSizePt), sizeText);
  }

  void fontChooserCancelChangesNothing() {
    txtAppearance(*window, 1)->setText(QStringLiteral("4"));
    button(*window, "cmdFontChange")->click();
    QCOMPARE(dialogs->of(Asked::Kind::font).size(), 1);
    QCOMPARE(txtFont(*window, 0)->text(), QStringLiteral("ＭＳ ゴシック"));
    QCOMPARE(txtFont(*window, 1)->text(), QStringLiteral("9"));
    QCOMPARE(txtAppearance(*window, 1)->text(), QStringLiteral("4"));
  }

  void versionMessageNamesTheRelease() {
    window->mnuVersion()->trigger();
    QCOMPARE(dialogs->shown.size(), 1);
    QCOMPARE(dialogs->shown[0].icon, MessageIcon::none);
    QCOMPARE(dialogs->shown[0].buttons, MessageButtons::ok);
    const QStringList lines = dialogs->shown[0].text.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[0], QStringLiteral("HTML 縦書き変換 (Zelvato) Ver1.2.0"));
    QCOMPARE(lines[1], QString());
    QVERIFY(lines[2].startsWith(QStringLiteral("Copyright")));
    QCOMPARE(lines[3], QStringLiteral("For TOVRIX 2000 Windows edition"));
  }

  // The command table makes the actions: in their menus in the table's order,
  // on the toolbar at their places with a separator for a free place, the
  // submenus the window fills, and each usable only when it is available.
  void commandTableMakesMenusToolbarAndAvailability() {
    std::fill(std::begin(handled), std::end(handled), 0);
    window->addCommands(testCommands);
    auto* file = window->menuBar()->findChild<QMenu*>(QStringLiteral("mnuFile"));
    QStringList fileItems;
    for (QAction* a : file->actions()) fileItems << (a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(fileItems, (QStringList{"新規作成", "最近使ったﾌｧｲﾙ(&R)", "-", "二番目(&2)..."}));
    QVERIFY(window->recentFilesMenu() != nullptr);
    // Menus without commands stay out of the menu bar; the version item stays last.
    QVERIFY(!window->menuBar()->findChild<QMenu*>(QStringLiteral("mnuEdit"))->menuAction()->isVisible());
    QCOMPARE(window->menuBar()->actions().last(), window->mnuVersion());
    QStringList buttons;
    for (QAction* a : window->Toolbar1()->actions())
      buttons << (a->isSeparator() ? QStringLiteral("-") : a->iconText());
    QCOMPARE(buttons, (QStringList{"新規作成", "二番目", "-", "変換中断"}));

    const auto trigger = [this](const char* name) { window->command(name)->trigger(); };
    for (const char* name : {"Toolbar1Button(1)", "cmdSecond", "cmdStop", "cmdQuit"}) trigger(name);
    QCOMPARE(std::vector<int>(std::begin(handled), std::end(handled)), (std::vector<int>{1, 1, 0, 1}));
    window->setBusy(true);
    QVERIFY(!window->command("cmdSecond")->isEnabled() && window->command("cmdStop")->isEnabled());
    // The window refuses a command that is not available, however it arrives.
    window->command("cmdSecond")->setEnabled(true);
    for (const char* name : {"Toolbar1Button(1)", "cmdSecond", "cmdStop", "cmdQuit"}) trigger(name);
    QCOMPARE(std::vector<int>(std::begin(handled), std::end(handled)), (std::vector<int>{1, 1, 1, 2}));
    window->setBusy(false);
    QVERIFY(window->command("cmdSecond")->isEnabled() && !window->command("cmdStop")->isEnabled());
  }

  void statusTextStaysWhileTheMousePassesOverMenuAndToolbar() {
    window->addCommands(testCommands);
    showActive(window.get());
    window->setStatusText(QStringLiteral("変換完了しました."));
    QMenuBar* menu = window->menuBar();
    QTest::mouseMove(menu, menu->actionGeometry(window->mnuVersion()).center());
    QWidget* newButton = window->Toolbar1()->widgetForAction(toolbarButton(*window, 1));
    QTest::mouseMove(newButton, newButton->rect().center());
    QTest::mouseMove(window->SSTabMain(), window->SSTabMain()->rect().center());
    QCOMPARE(window->statusText(), QStringLiteral("変換完了しました."));
  }

  void typesettingOptionsReachTheSettings() {
    chkTypeset(*window, 2)->click();
    QVERIFY(optRuby(*window, 1)->isEnabled());
    optRuby(*window, 1)->click();
    chkTypeset(*window, 0)->click();
    zelvato::ConversionSettings s = window->readSettings();
    QVERIFY(s.kinsoku && !s.tateChuYoko && s.aozoraNotation && s.rubyMode == zelvato::RubyMode::drop);
    // Without Aozora notation the choice is kept but cannot be changed.
    chkTypeset(*window, 2)->click();
    QVERIFY(!optRuby(*window, 0)->isEnabled() && !optRuby(*window, 1)->isEnabled());
    chkTypeset(*window, 1)->click();
    s = window->readSettings();
    QVERIFY(s.tateChuYoko && !s.aozoraNotation);
  }

  // The notation's three choices and the Aozora check box show one setting:
  // whichever the user clicks, the other follows, and the controls that mean
  // something only for a notation are usable only with it.
  void notationChoiceAndAozoraCheckBoxAgree_data() {
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<bool>("aozora");
    QTest::addColumn<bool>("web");
    QTest::addColumn<bool>("rubyUsable");
    QTest::addColumn<bool>("notesUsable");
    QTest::addColumn<bool>("parensUsable");
    QTest::newRow("web notation") << QStringList{"optNotation(2)"} << false << true << true << false << true;
    QTest::newRow("Aozora by its check box")
        << QStringList{"chkTypeset(2)"} << true << false << true << true << false;
    QTest::newRow("the check box over web notation")
        << QStringList{"optNotation(2)", "chkTypeset(2)"} << true << false << true << true << false;
    QTest::newRow("web after Aozora")
        << QStringList{"chkTypeset(2)", "optNotation(2)"} << false << true << true << false << true;
    QTest::newRow("plain after web") << QStringList{"optNotation(2)", "optNotation(0)"} << false << false
                                     << false << false << false;
    QTest::newRow("Aozora check box cleared")
        << QStringList{"optNotation(1)", "chkTypeset(2)"} << false << false << false << false << false;
  }
  void notationChoiceAndAozoraCheckBoxAgree() {
    QFETCH(QStringList, clicks);
    QFETCH(bool, aozora);
    QFETCH(bool, web);
    QFETCH(bool, rubyUsable);
    QFETCH(bool, notesUsable);
    QFETCH(bool, parensUsable);
    for (const QString& name : clicks) {
      auto* control = window->findChild<QAbstractButton*>(name);
      QVERIFY2(control != nullptr, qPrintable(name));
      control->click();
    }
    const zelvato::ConversionSettings s = window->readSettings();
    QCOMPARE(s.aozoraNotation, aozora);
    QCOMPARE(s.webNotation, web);
    QCOMPARE(chkTypeset(*window, 2)->isChecked(), aozora);
    const int shown = aozora ? 1 : web ? 2 : 0;
    for (int value : {0, 1, 2})
      QCOMPARE(window->findChild<QRadioButton*>(QStringLiteral("optNotation(%1)").arg(value))->isChecked(),
               value == shown);
    QCOMPARE(optRuby(*window, 1)->isEnabled(), rubyUsable);
    QCOMPARE(checkBox(*window, "chkEditorNotes")->isEnabled(), notesUsable);
    QCOMPARE(checkBox(*window, "chkFuriganaParens")->isEnabled(), parensUsable);
  }

  // The flowing page is set in the reading type as the book is: its controls
  // are usable for a flowing page in any medium that writes it, the cover only for the book.
  void readingTypeFollowsTheFlowingStyle() {
    window->show();
    optOutput(*window, 1)->click();
    QVERIFY(!lineEdit(*window, "txtReadingFontSize")->isEnabled());
    window->findChild<QRadioButton*>(QStringLiteral("optStyle(1)"))->click();
    for (const char* name : {"txtReadingFont", "txtReadingFontSize", "txtReadingLineHeight"})
      QVERIFY2(lineEdit(*window, name)->isEnabled(), name);
    QVERIFY(window->findChild<QRadioButton*>(QStringLiteral("optReadingTypeface(1)"))->isEnabled());
    QVERIFY(!lineEdit(*window, "txtCover")->isEnabled() && !button(*window, "cmdCoverSelect")->isEnabled());
    window->findChild<QRadioButton*>(QStringLiteral("optReadingTypeface(1)"))->click();
    lineEdit(*window, "txtReadingFontSize")->setText(QStringLiteral("120"));
    const zelvato::ConversionSettings s = window->readSettings();
    QCOMPARE(s.readingTypeface, zelvato::Typeface::gothic);
    QCOMPARE(s.readingFontSize.value(), 120.0);
  }

  // The cover's chooser asks for a picture; its answer reaches the field and
  // the settings, a cancel keeps what was chosen.
  void coverChooserAsksForAPicture() {
    optOutput(*window, 3)->click();
    dialogs->answerFile(QStringLiteral("/tmp/cover.png"));
    button(*window, "cmdCoverSelect")->click();
    button(*window, "cmdCoverSelect")->click();
    QCOMPARE(lineEdit(*window, "txtCover")->text(), QStringLiteral("/tmp/cover.png"));
    QCOMPARE(fromU16(window->readSettings().coverFile), QStringLiteral("/tmp/cover.png"));
    QCOMPARE(dialogs->asked.size(), 2);
    for (const Asked& asked : dialogs->asked) {
      QCOMPARE(int(asked.kind), int(Asked::Kind::openFile));
      QCOMPARE(asked.filters, QStringList{QStringLiteral("画像ﾌｧｲﾙ (*.jpg *.jpeg *.png)")});
    }
  }

  // The typesetting page's check boxes are the option table's: one column in
  // the table's order, on the page, none hiding another.
  void typesettingCheckBoxesStandInOneColumnInTheTablesOrder() {
    window->showTab(Tab::typeset);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QWidget* page = window->SSTabMain()->widget(static_cast<int>(zelvato::ui::Tab::typeset));
    const std::vector<const zelvato::OptionEntry*> options = zelvato::ui::typesettingCheckBoxes();
    QVERIFY(options.size() >= 6);
    const QCheckBox* previous = nullptr;
    for (const zelvato::OptionEntry* o : options) {
      const QString name = QString::fromLatin1(o->control.data(), static_cast<qsizetype>(o->control.size()));
      auto* box = page->findChild<QCheckBox*>(name);
      QVERIFY2(box != nullptr, qPrintable(name));
      QCOMPARE(box->text(), QString::fromStdU16String(std::u16string(o->caption)));
      QVERIFY(page->rect().contains(box->geometry()));
      if (previous != nullptr) {
        QCOMPARE(box->x(), previous->x());
        QVERIFY2(box->y() >= previous->geometry().bottom(), qPrintable(name));
      }
      previous = box;
    }
    // The frames beside the column leave it clear.
    for (const char* frame : {"fraStyle", "fraRuby"})
      QVERIFY(!page->findChild<QWidget*>(QLatin1String(frame))
                   ->geometry()
                   .intersects(QRect(previous->x(), 0, previous->width(), previous->geometry().bottom())));
  }

  void encodingAndReadingTextAreReadInEveryOutputMode() {
    for (int mode : {0, 1, 2}) {
      optOutput(*window, mode)->click();
      optEncoding(*window, 1)->click();
      checkBox(*window, "chkAccessibleText")->click();
      QVERIFY(optEncoding(*window, 1)->isEnabled() && checkBox(*window, "chkAccessibleText")->isEnabled());
      zelvato::ConversionSettings s = window->readSettings();
      QCOMPARE(s.outputEncoding, zelvato::OutputEncoding::utf8);
      QVERIFY(s.accessibleText);
      optEncoding(*window, 0)->click();
      checkBox(*window, "chkAccessibleText")->click();
      s = window->readSettings();
      QCOMPARE(s.outputEncoding, zelvato::OutputEncoding::shiftJis);
      QVERIFY(!s.accessibleText);
    }
  }

  void columnBlocksOneIsReplacedByTheNextKey_data() {
    QTest::addColumn<bool>("backspaceFirst");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("Backspace on 2, then 5") << true << "5"
                                            << "5";
    QTest::newRow("-3 over the selection") << false << "-3"
                                           << "3";
  }
  void columnBlocksOneIsReplacedByTheNextKey() {
    QFETCH(bool, backspaceFirst);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    optOutput(*window, 2)->click();
    QLineEdit* box = lineEdit(*window, "txtPageColum");
    QCOMPARE(box->text(), QStringLiteral("2"));
    if (backspaceFirst) {
      box->end(false);
      QTest::keyClick(box, Qt::Key_Backspace);
      QCOMPARE(box->text(), QStringLiteral("1"));
    } else {
      box->selectAll();
    }
    QTest::keyClicks(box, typed);
    QCOMPARE(box->text(), shown);
  }

  void spinnerWritesItsBox_data() {
    QTest::addColumn<QString>("spinner");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("up");
    QTest::addColumn<QString>("shown");
    QTest::newRow("up from the start value") << "updnAppearance(0)"
                                             << "" << true << "26";
    QTest::newRow("up from a typed number in range") << "updnAppearance(0)"
                                                     << "40" << true << "41";
    QTest::newRow("typed outside the range starts from the value") << "updnAppearance(0)"
                                                                   << "500" << true << "26";
    QTest::newRow("down to the minimum stays") << "updnAppearance(5)"
                                               << "0" << false << "0";
    QTest::newRow("step 2") << "updnAppearance(4)"
                            << "" << true << "8";
    QTest::newRow("negative range") << "updnAppearance(3)"
                                    << "-30" << false << "-30";
    QTest::newRow("maximum") << "updnAppearance(1)"
                             << "30" << true << "30";
  }
  void spinnerWritesItsBox() {
    QFETCH(QString, spinner);
    QFETCH(QString, typed);
    QFETCH(bool, up);
    QFETCH(QString, shown);
    auto* spin = window->findChild<zelvato::ui::UpDown*>(spinner);
    QVERIFY(spin);
    if (!typed.isEmpty()) spin->buddy()->setText(typed);
    QTest::mouseClick(up ? spin->upButton() : spin->downButton(), Qt::LeftButton);
    QCOMPARE(spin->buddy()->text(), shown);
  }

  void spinnerStepsWithTheArrowKeys() {
    auto* spin = updnAppearance(*window, 4);
    QTest::keyClick(spin, Qt::Key_Up);
    QCOMPARE(txtAppearance(*window, 4)->text(), QStringLiteral("8"));
    QTest::keyClick(spin, Qt::Key_Down);
    QTest::keyClick(spin, Qt::Key_Down);
    QCOMPARE(txtAppearance(*window, 4)->text(), QStringLiteral("4"));
  }

  void typedValueOutsideTheRangeStays() {
    QTest::keyClick(txtAppearance(*window, 0), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(txtAppearance(*window, 0), QStringLiteral("500"));
    QCOMPARE(txtAppearance(*window, 0)->text(), QStringLiteral("500"));
    QCOMPARE(fromU16(window->readSettings().charsPerLine), QStringLiteral("500"));
  }

  // A writer's count: characters are code points, line breaks are not
  // characters, and the lines are counted beside them.
  void characterCountCountsWhatAWriterCounts_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("label");
    QTest::newRow("a sheet of あ") << QString(400, QChar(u'あ')) << "( 400 字 / 1 行)";
    QTest::newRow("thousands grouped") << QString(12345, QChar(u'a')) << "( 12,345 字 / 1 行)";
    QTest::newRow("a character outside the plane is one") << QStringLiteral("𠮷野家") << "( 3 字 / 1 行)";
    QTest::newRow("line breaks are not characters") << QStringLiteral("ab\ncd") << "( 4 字 / 2 行)";
    QTest::newRow("a final break starts no line") << QStringLiteral("ab\n") << "( 2 字 / 1 行)";
    QTest::newRow("empty lines are lines") << QStringLiteral("\n\n") << "( 0 字 / 2 行)";
    QTest::newRow("a tab is a character") << QStringLiteral("\tあ") << "( 2 字 / 1 行)";
    QTest::newRow("empty") << QString() << "縦書きにする文章を入力し、変換ﾎﾞﾀﾝをクリックします";
  }
  void characterCountCountsWhatAWriterCounts() {
    QFETCH(QString, text);
    QFETCH(QString, label);
    window->txtMain()->setPlainText(text);
    QCOMPARE(lblHcov(*window, 20)->text(), label);
    QCOMPARE(frmMain::characterCountText(text), label);
  }

  void characterCountFollowsTyping() {
    window->txtMain()->setPlainText(QStringLiteral("ab\ncd"));
    window->txtMain()->setFocus();
    window->txtMain()->moveCursor(QTextCursor::End);
    typeText(window->txtMain(), QStringLiteral("\nえf"));
    QCOMPARE(lblHcov(*window, 20)->text(), QStringLiteral("( 6 字 / 3 行)"));
    // The conversion still reads CR LF.
    QCOMPARE(window->sourceText(), QStringLiteral("ab\r\ncd\r\nえf"));
    window->txtMain()->clear();
    QCOMPARE(lblHcov(*window, 20)->text(),
             QStringLiteral("縦書きにする文章を入力し、変換ﾎﾞﾀﾝをクリックします"));
  }

  void sourcePaneTakesAnyLength_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("before");
    QTest::addColumn<QString>("added");
    QTest::addColumn<int>("after");
    // Beyond the 65,535 code units the pane of old held: nothing is cut.
    QTest::newRow("typing beyond 65,535") << "type" << 65535 << "xy" << 65537;
    QTest::newRow("pasting beyond") << "paste" << 65530 << "0123456789" << 65540;
    QTest::newRow("pasting CR LF text counts each break as two") << "paste" << 65533 << "ab\r\ncdef" << 65541;
    QTest::newRow("composed text beyond") << "compose" << 65534 << "漢字変換" << 65538;
    QTest::newRow("enter beyond") << "enter" << 65535 << "" << 65537;
    QTest::newRow("setting a novel's length") << "set" << 0 << QString(375000, QChar(u'z')) << 375000;
  }
  void sourcePaneTakesAnyLength() {
    QFETCH(QString, how);
    QFETCH(int, before);
    QFETCH(QString, added);
    QFETCH(int, after);
    auto* pane = window->txtMain();
    pane->setPlainText(QString(before, QChar(u'あ')));
    pane->moveCursor(QTextCursor::End);
    if (how == QLatin1String("type")) {
      QTest::keyClicks(pane, added);
    } else if (how == QLatin1String("compose")) {
      QInputMethodEvent event;
      event.setCommitString(added);
      QApplication::sendEvent(pane, &event);
    } else if (how == QLatin1String("enter")) {
      QTest::keyClick(pane, Qt::Key_Return);
    } else if (how == QLatin1String("paste")) {
      QApplication::clipboard()->setText(added);
      pane->paste();
    } else {
      pane->setPlainText(added);
    }
    QCOMPARE(pane->sourceLength(), after);
    QCOMPARE(window->sourceText().size(), after);
    QCOMPARE(lblHcov(*window, 20)->text(), frmMain::characterCountText(pane->toPlainText()));
    if (how != QLatin1String("set")) {
      pane->undo();
      QCOMPARE(pane->sourceLength(), before);
    }
  }

  void closingIsRefusedWhileNotAllowed() {
    window->show();
    window->setCloseAllowed(false);
    QVERIFY(!window->close());
    QVERIFY(window->isVisible());
    window->setCloseAllowed(true);
    QVERIFY(window->close());
  }

  void lastControlOfAPageReturnsToTheTabStrip_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("last");
    QTest::newRow("source page") << 0 << "txtMain";
    QTest::newRow("layout page") << 1 << "chkOpt(5)";
    QTest::newRow("output page") << 3 << "txtOutput(4)";
    QTest::newRow("html page") << 4 << "cmdAllSelect(1)";
    QTest::newRow("preview page") << 2 << "chkAutoPreview";
  }
  void lastControlOfAPageReturnsToTheTabStrip() {
    QFETCH(int, page);
    QFETCH(QString, last);
    showActive(window.get());
    window->SSTabMain()->setCurrentIndex(page);
    auto* control = window->findChild<QWidget*>(last);
    control->setFocus(Qt::OtherFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), control);
    // The source pane types a tab; Ctrl+Tab leaves it.
    QTest::keyClick(control, Qt::Key_Tab, page == 0 ? Qt::ControlModifier : Qt::NoModifier);
    QTRY_COMPARE(QApplication::focusWidget(), window->SSTabMain()->tabBar());
    QCOMPARE(window->SSTabMain()->currentIndex(), page);
  }

  void tabFromTheStripWalksTheLayoutPage() {
    showActive(window.get());
    window->showTab(zelvato::ui::Tab::layout);
    window->SSTabMain()->tabBar()->setFocus(Qt::OtherFocusReason);
    // Each measure's box with its spinner, across and down.
    QStringList expected{"cmdFontChange", "chkCSS"};
    for (int measure : {0, 2, 1, 3, 4, 5})
      expected << QStringLiteral("txtAppearance(%1)").arg(measure)
               << QStringLiteral("updnAppearance(%1)").arg(measure);
    expected << "chkOpt(0)"
             << "chkOpt(2)"
             << "chkOpt(3)"
             << "chkOpt(5)"
             << "SSTabMain";
    for (const QString& name : expected) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QWidget* target = name == QLatin1String("SSTabMain") ? window->SSTabMain()->tabBar()
                                                           : window->findChild<QWidget*>(name);
      QTRY_COMPARE(QApplication::focusWidget(), target);
    }
  }

  void htmlPaneShowsTheWholeResult_data() {
    // What the window is asked to show, in order: markup, or an empty string for "clear".
    QTest::addColumn<QStringList>("asked");
    // The pane's text once everything asked has settled.
    QTest::addColumn<QString>("shown");
    const QString block = QStringLiteral("<PRE>\r\n┐𠮷縦\r\n</PRE>\r\n");
    const QString paneBlock = QStringLiteral("<PRE>\n┐𠮷縦\n</PRE>\n");
    const qsizetype count = HtmlPage::shownAtOnce / block.size() + 10;
    const QString longMarkup = block.repeated(count);
    QTest::newRow("a short result, line ends as the pane's")
        << QStringList{block + QStringLiteral("a\rb")} << paneBlock + QStringLiteral("a\nb");
    QTest::newRow("a long result, made ready beside the window's thread")
        << QStringList{longMarkup} << paneBlock.repeated(count);
    QTest::newRow("a long result, then a short one: the short one stays")
        << QStringList{longMarkup, block} << paneBlock;
    QTest::newRow("a long result, then cleared: nothing stays")
        << QStringList{longMarkup, QString()} << QString();
    QTest::newRow("two long results: the second stays")
        << QStringList{longMarkup, QStringLiteral("x\r\n").repeated(HtmlPage::shownAtOnce)}
        << QStringLiteral("x\n").repeated(HtmlPage::shownAtOnce);
  }
  void htmlPaneShowsTheWholeResult() {
    QFETCH(QStringList, asked);
    QFETCH(QString, shown);
    auto* page = window->findChild<HtmlPage*>();
    QVERIFY(page != nullptr);
    window->txtHTML()->setPlainText(QStringLiteral("an earlier result"));
    for (const QString& markup : asked) {
      if (markup.isEmpty()) {
        window->clearHtml();
      } else {
        window->showHtml(markup);
      }
    }
    QTRY_VERIFY_WITH_TIMEOUT(!page->markupPending(), 20000);
    // Reports of builders that ended late change nothing.
    QTest::qWait(50);
    QCOMPARE(window->txtHTML()->toPlainText(), shown);
    QVERIFY(!window->txtHTML()->document()->isUndoRedoEnabled());
    QCOMPARE(window->txtHTML()->document()->defaultFont().family(), window->txtHTML()->font().family());
  }

  void copyingTakesAResultStillBeingMadeReady() {
    const QString markup =
        QStringLiteral("<PRE>\r\n縦書き\r\n</PRE>\r\n").repeated(HtmlPage::shownAtOnce / 8);
    QSignalSpy copied(window.get(), &frmMain::cmdAllSelectClicked);
    window->showHtml(markup);
    cmdAllSelect(*window, 1)->click();
    // The copy, asked at once, finds the whole result in the pane.
    QCOMPARE(copied.size(), 1);
    QCOMPARE(window->txtHTML()->toPlainText().size(), markup.size() - markup.count(QLatin1Char('\r')));
  }

  void tabReachesEveryControlOfAPage_data() {
    QTest::addColumn<Tab>("page");
    // The output mode chosen first (its fields are the ones enabled); -1: as it starts.
    QTest::addColumn<int>("mode");
    QTest::newRow("変換元文章") << Tab::source << -1;
    QTest::newRow("ﾚｲｱｳﾄ設定, the spacings enabled by the style sheet") << Tab::layout << -1;
    QTest::newRow("ﾎｰﾑﾍﾟｰｼﾞﾌﾟﾚﾋﾞｭｰ") << Tab::preview << -1;
    for (int mode = 0; mode < 4; ++mode)
      QTest::newRow(qPrintable(QStringLiteral("出力設定, output mode %1").arg(mode))) << Tab::output << mode;
    QTest::newRow("簡易出力HTML") << Tab::html << -1;
    QTest::newRow("typesetting") << Tab::typeset << -1;
    // The reading type and the cover are the flowing book's.
    QTest::newRow("reading type and cover, the book in the flowing style") << Tab::reading << 3;
  }
  void tabReachesEveryControlOfAPage() {
    QFETCH(Tab, page);
    QFETCH(int, mode);
    showActive(window.get());
    if (page == Tab::layout) window->findChild<QCheckBox*>(QStringLiteral("chkCSS"))->setChecked(true);
    if (mode >= 0) optOutput(*window, mode)->click();
    if (page == Tab::reading) window->findChild<QRadioButton*>(QStringLiteral("optStyle(1)"))->click();
    window->showTab(page);
    QWidget* strip = window->SSTabMain()->tabBar();
    strip->setFocus(Qt::OtherFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), strip);
    // Every control the keyboard can take: shown, enabled and taking Tab. Of
    // a group of option buttons, Tab reaches the chosen one and the arrow keys the rest.
    QWidget* shown = window->SSTabMain()->widget(static_cast<int>(page));
    const auto chosenElsewhere = [](const QWidget* w) {
      const auto* option = qobject_cast<const QRadioButton*>(w);
      if (option == nullptr || option->isChecked() || !option->autoExclusive()) return false;
      for (const QRadioButton* other :
           option->parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly))
        if (other->isChecked() && other->autoExclusive()) return true;
      return false;
    };
    QList<QWidget*> expected;
    for (QWidget* w : shown->findChildren<QWidget*>())
      if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus &&
          w->focusProxy() == nullptr && !chosenElsewhere(w))
        expected.append(w);
    QVERIFY(!expected.isEmpty());

    // Tab from the tab strip walks the page and comes back to the strip; the
    // source pane types a tab, so it is left with Ctrl+Tab.
    QList<QWidget*> reached;
    for (int step = 0; step < 3 * expected.size() + 5; ++step) {
      QWidget* focus = QApplication::focusWidget();
      QTest::keyClick(focus, Qt::Key_Tab, focus == window->txtMain() ? Qt::ControlModifier : Qt::NoModifier);
      QTest::qWait(1);
      focus = QApplication::focusWidget();
      if (focus == strip) break;
      QVERIFY2(shown->isAncestorOf(focus),
               qPrintable(QStringLiteral("Tab left the page for ") + focus->objectName()));
      if (!reached.contains(focus)) reached.append(focus);
    }
    QCOMPARE(QApplication::focusWidget(), strip);
    for (QWidget* w : expected)
      QVERIFY2(reached.contains(w), qPrintable(QStringLiteral("never reached: ") + w->objectName() + u' ' +
                                               QString::fromLatin1(w->metaObject()->className())));
  }

  void tabWalksTheOutputPageOfAMode_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("expected");
    // Each path before its chooser, the number of columns before its spinner.
    QTest::newRow("page files") << 2 << QStringList{"txtOutput(1)",   "cmdFolderSelect", "txtOutput(2)",
                                                    "chkOutput(0)",   "chkOutput(1)",    "txtPageColum",
                                                    "updnColumnPage", "optEncoding(0)",  "chkAccessibleText",
                                                    "txtOutput(3)",   "txtOutput(4)",    "SSTabMain"};
    // The book's path and chooser, then past the encoding and the reading text, which do not apply to it.
    QTest::newRow("book") << 3
                          << QStringList{"txtOutput(5)", "cmdEpubSelect", "txtOutput(3)", "txtOutput(4)",
                                         "SSTabMain"};
  }
  void tabWalksTheOutputPageOfAMode() {
    QFETCH(int, mode);
    QFETCH(QStringList, expected);
    showActive(window.get());
    window->showTab(zelvato::ui::Tab::output);
    optOutput(*window, mode)->click();
    optOutput(*window, mode)->setFocus(Qt::OtherFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), optOutput(*window, mode));
    for (const QString& name : expected) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QWidget* target = name == QLatin1String("SSTabMain") ? window->SSTabMain()->tabBar()
                                                           : window->findChild<QWidget*>(name);
      QTRY_COMPARE(QApplication::focusWidget(), target);
    }
  }

  void windowStartsAtTheDesignSizeAndGrows() {
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QCOMPARE(window->windowTitle(), QStringLiteral("Zelvato[*]"));
    QVERIFY(!window->windowIcon().isNull());
    // Client area 9480 x 5025 twips below the menu bar, and no smaller.
    QCOMPARE(window->width(), 632);
    QCOMPARE(window->height() - window->menuBar()->height(), 335);
    QCOMPARE(window->minimumSize(), window->size());
    QVERIFY(window->maximumWidth() > 1600 && window->maximumHeight() > 1000);
    QCOMPARE(window->menuBar()->actions().last()->text(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ(&V)"));
    QCOMPARE(window->SSTabMain()->tabPosition(), QTabWidget::South);
    // The five pages, the typesetting page and the reading type with the cover.
    QCOMPARE(window->SSTabMain()->count(), 7);
  }

  void panesGrowWithTheWindow_data() {
    QTest::addColumn<QString>("pane");
    QTest::addColumn<Tab>("page");
    QTest::addColumn<bool>("grows");
    // The parts of the width the window grows by that the pane gets, and whether its left edge stays.
    QTest::addColumn<int>("widthShare");
    QTest::addColumn<bool>("leftStays");
    // The source pane and the page at its right share what the window grows by.
    QTest::newRow("source pane") << "txtMain" << Tab::source << true << 2 << true;
    QTest::newRow("the page beside the source") << "pagePane" << Tab::source << true << 2 << false;
    QTest::newRow("preview") << "brwIE" << Tab::preview << true << 1 << true;
    QTest::newRow("HTML pane") << "txtHTML" << Tab::html << true << 1 << true;
    QTest::newRow("a settings field keeps its place and size")
        << "txtAppearance(0)" << Tab::layout << false << 1 << true;
  }
  void panesGrowWithTheWindow() {
    QFETCH(QString, pane);
    QFETCH(Tab, page);
    QFETCH(bool, grows);
    QFETCH(int, widthShare);
    QFETCH(bool, leftStays);
    window->showTab(page);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto* control = window->findChild<QWidget*>(pane);
    const QRect before = control->geometry();
    window->resize(1600, 1000);
    QTRY_COMPARE(window->size(), QSize(1600, 1000));
    const QRect after = control->geometry();
    if (grows) {
      // Larger by what the window grew, less nothing: the pane follows both edges.
      if (leftStays) QCOMPARE(after.topLeft(), before.topLeft());
      QCOMPARE(after.width() - before.width(), (1600 - 632) / widthShare);
      QCOMPARE(after.height() - before.height(), 1000 - window->minimumHeight());
    } else {
      QCOMPARE(after, before);
    }
    window->resize(window->minimumSize());
    QTRY_COMPARE(control->geometry(), before);
  }

  void fontFieldsSitBelowTheFrameCaptionWithTheUnitCentred() {
    window->showTab(Tab::layout);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    const auto* frame = window->findChild<QWidget*>(QStringLiteral("fraFont"));
    QLineEdit* size = txtFont(*window, 1);
    for (const QWidget* field : {static_cast<QWidget*>(txtFont(*window, 0)), static_cast<QWidget*>(size),
                                 static_cast<QWidget*>(button(*window, "cmdFontChange"))}) {
      QVERIFY2(field->y() >= frame->contentsRect().top(), qPrintable(field->objectName()));
    }
    QVERIFY(qAbs(lblHcov(*window, 9)->geometry().center().y() - size->geometry().center().y()) <= 1);
    QCOMPARE(lblHcov(*window, 9)->alignment() & Qt::AlignVertical_Mask, Qt::AlignVCenter);
  }

  // Both output files are chosen with the save dialog, which appends the
  // mode's extension to a name without one.
  void previewNavigatesAndReloadsQuietly() {
    QTRY_COMPARE(window->brwIE()->url(), QUrl(QStringLiteral("about:blank")));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("zelvato_temp.html"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<HTML><BODY>\x82\xa0</BODY></HTML>");  // "あ" in code page 932
    file.close();
    named<QToolBar>(*window, QStringLiteral("toolbarReload"))
        ->actions()
        .first()
        ->trigger();  // blank page: nothing happens
    QCOMPARE(dialogs->shown.size(), 0);
    // The blank page of the load sequence may still be loading: wait for the
    // file's own text rather than for the next finished load.
    window->navigate(path);
    // Nothing of the page before is shown while the file loads.
    QVERIFY(window->brwIE()->isHidden());
    QTRY_COMPARE_WITH_TIMEOUT(window->brwIE()->url(), QUrl::fromLocalFile(path), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(!window->brwIE()->isHidden(), 15000);
    const auto text = std::make_shared<QString>();
    QTRY_VERIFY_WITH_TIMEOUT((window->brwIE()->page()->toPlainText([text](const QString& t) { *text = t; }),
                              text->trimmed() == QStringLiteral("あ")),
                             15000);
    window->navigate(QStringLiteral("about:"));
    QTRY_COMPARE(window->brwIE()->url(), QUrl(QStringLiteral("about:blank")));
  }
};

QTEST_MAIN(FrmMainTest)
#include "frm_main_test.moc"
