// The main window: start values, the settings rules, the keyboard order, the
// source pane's limit, the output choosers, the preview and the version message.
#include "frm_main.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QWebEngineView>
#include <memory>

#include "font_chooser.h"
#include "frm_dir_select.h"
#include "message_box.h"
#include "options/option_table.h"
#include "program_identity.h"
#include "source_text_edit.h"
#include "up_down.h"
#include "when_modal_shown.h"
#include "window_controls.h"
#include "write/registry/writer_registry.h"

namespace writerKeys = zelvato::writerKeys;
using zelvato::ui::Command;
using zelvato::ui::FontChooser;
using zelvato::ui::frmDirSelect;
using zelvato::ui::frmMain;
using zelvato::ui::MessageAnswer;
using zelvato::ui::MessageButtons;
using zelvato::ui::MessageIcon;

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

struct ShownMessage {
  QString text;
  MessageIcon icon = MessageIcon::none;
  MessageButtons buttons = MessageButtons::ok;
  int count = 0;
};

}  // namespace

class FrmMainTest : public QObject {
  Q_OBJECT

 public:
  static void initMain() { zelvato::ui::prepareApplication(); }

 private:
  std::unique_ptr<frmMain> window;
  ShownMessage shown;

 private Q_SLOTS:
  void init() {
    shown = ShownMessage{};
    zelvato::ui::setMessageBoxHandler(
        [this](QWidget*, const QString& text, MessageIcon icon, MessageButtons b) {
          shown.text = text;
          shown.icon = icon;
          shown.buttons = b;
          ++shown.count;
          return MessageAnswer::ok;
        });
    window = std::make_unique<frmMain>();
  }
  void cleanup() {
    window->setCloseAllowed(true);
    window.reset();
    zelvato::ui::setMessageBoxHandler({});
  }

  void startValuesAreWhatAConversionReads_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("actual");
    QTest::addColumn<QString>("expected");
    frmMain fresh;
    const zelvato::ConversionSettings s = fresh.readSettings();
    const auto flag = [](bool on) { return on ? QStringLiteral("on") : QStringLiteral("off"); };
    QTest::newRow("charsPerLine") << "charsPerLine" << fromU16(s.charsPerLine) << "25";
    QTest::newRow("charSpacingPt") << "charSpacingPt" << fromU16(s.charSpacingPt) << "9";
    QTest::newRow("linesPerColumn") << "linesPerColumn" << fromU16(s.linesPerColumn) << "20";
    QTest::newRow("lineSpacingPt") << "lineSpacingPt" << fromU16(s.lineSpacingPt) << "0";
    QTest::newRow("columnGapPx") << "columnGapPx" << fromU16(s.columnGapPx) << "6";
    QTest::newRow("tabWidth") << "tabWidth" << fromU16(s.tabWidth) << "2";
    QTest::newRow("fontFace") << "fontFace" << fromU16(s.fontFace) << "ＭＳ ゴシック";
    QTest::newRow("fontSizePt") << "fontSizePt" << fromU16(s.fontSizePt) << "9";
    QTest::newRow("useStyleSheet") << "useStyleSheet" << flag(s.useStyleSheet) << "on";
    QTest::newRow("kanjiNumerals") << "kanjiNumerals" << flag(s.kanjiNumerals) << "on";
    QTest::newRow("centerText") << "centerText" << flag(s.centerText) << "on";
    QTest::newRow("showGrid") << "showGrid" << flag(s.showGrid) << "off";
    QTest::newRow("addRule") << "addRule" << flag(s.addRule) << "off";
    QTest::newRow("text colour stands grey and disabled")
        << "chkOpt(4)"
        << flag(chkOpt(fresh, 4)->checkState() == Qt::PartiallyChecked && !chkOpt(fresh, 4)->isEnabled())
        << "on";
    QTest::newRow("outputMode") << "outputMode" << flag(s.outputMode == writerKeys::showOnly) << "on";
    QTest::newRow("htmlTitle") << "htmlTitle" << fromU16(s.htmlTitle) << "タイトル未設定";
    QTest::newRow("bodyTag")
        << "bodyTag" << fromU16(s.bodyTag)
        << "<BODY BGCOLOR=\"#FFFFFF\" LEFTMARGIN=0 TOPMARGIN=0 RIGHTMARGIN=0 BOTTOMMARGIN=0 "
           "MARGINWIDTH=0 MARGINHEIGHT=0>";
    QTest::newRow("columnsPerPage") << "columnsPerPage" << fromU16(s.columnsPerPage) << "2";
    QTest::newRow("addPageLinks") << "addPageLinks" << flag(s.addPageLinks) << "off";
    QTest::newRow("addPageNumbers") << "addPageNumbers" << flag(s.addPageNumbers) << "off";
    QTest::newRow("outputEncoding") << "outputEncoding"
                                    << flag(s.outputEncoding == zelvato::OutputEncoding::shiftJis) << "on";
    QTest::newRow("accessibleText") << "accessibleText" << flag(s.accessibleText) << "off";
    QTest::newRow("file fields empty") << "singleFilePath+outputFolder+fileBaseName"
                                       << fromU16(s.singleFilePath + s.outputFolder + s.fileBaseName) << "";
    QTest::newRow("page width") << "txtWidth" << fresh.txtWidth()->text() << "127";
    QTest::newRow("page height") << "txtHeight" << fresh.txtHeight()->text() << "158";
    QTest::newRow("stop button") << "Toolbar1 button 6 enabled" << flag(toolbarButton(fresh, 6)->isEnabled())
                                 << "off";
    QTest::newRow("no second 禁則処理 box on the layout page")
        << "chkOpt(1)" << flag(chkOpt(fresh, 1) == nullptr) << "on";
    QTest::newRow("typesetting options off")
        << "kinsoku+tateChuYoko+aozoraNotation"
        << flag(s.kinsoku || s.tateChuYoko || s.aozoraNotation || s.rubyMode != zelvato::RubyMode::paren)
        << "off";
    QTest::newRow("ruby choice waits for Aozora notation")
        << "optRuby(0)" << flag(optRuby(fresh, 0)->isEnabled() || !optRuby(fresh, 0)->isChecked()) << "off";
    QTest::newRow("sixth tab") << "SSTabMain tab 5" << fresh.SSTabMain()->tabText(5) << "組版設定";
    QTest::newRow("first tab") << "SSTabMain index" << QString::number(fresh.SSTabMain()->currentIndex())
                               << "0";
    QTest::newRow("close allowed") << "closeAllowed" << flag(fresh.closeAllowed()) << "on";
  }
  void startValuesAreWhatAConversionReads() {
    QFETCH(QString, actual);
    QFETCH(QString, expected);
    QCOMPARE(actual, expected);
  }

  void controlsAreFoundByTheirNames_data() {
    QTest::addColumn<QString>("name");
    for (const char* name :
         {"txtMain",      "txtHTML",       "txtAppearance(0)", "txtAppearance(5)", "updnAppearance(3)",
          "lblHcov(20)",  "lblHcov(27)",   "chkOpt(5)",        "txtFont(1)",       "optOutput(2)",
          "txtOutput(4)", "chkOutput(1)",  "txtPageColum",     "updnColumnPage",   "cmdAllSelect(1)",
          "brwIE",        "picSample",     "Toolbar1",         "toolbarReload",    "SSTabMain",
          "statusBar",    "txtSampleFont", "optEncoding(1)",   "chkAccessibleText"}) {
      QTest::newRow(name) << QString::fromLatin1(name);
    }
  }
  void controlsAreFoundByTheirNames() {
    QFETCH(QString, name);
    QVERIFY(window->findChild<QWidget*>(name) != nullptr);
  }

  // The option table binds each field and check box by its object name: a
  // value put into the control is the value a conversion reads, and a check
  // box shows the caption the table gives it.
  void everyOptionOfTheTableIsReadFromItsControl_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("isText");
    for (const zelvato::OptionEntry& o : zelvato::optionTable()) {
      if (o.control.empty()) continue;
      QTest::newRow(std::string(o.key).c_str())
          << QString::fromLatin1(o.control.data(), static_cast<qsizetype>(o.control.size()))
          << QString::fromStdU16String(std::u16string(o.caption))
          << (o.text != nullptr || o.number != nullptr);
    }
  }
  void everyOptionOfTheTableIsReadFromItsControl() {
    QFETCH(QString, control);
    QFETCH(QString, caption);
    QFETCH(bool, isText);
    const zelvato::OptionEntry* option = nullptr;
    for (const zelvato::OptionEntry& o : zelvato::optionTable())
      if (QLatin1String(o.control.data(), static_cast<qsizetype>(o.control.size())) == control) option = &o;
    QVERIFY(option != nullptr);
    if (isText) {
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
    if (auto* box = window->findChild<QCheckBox*>(control); box != nullptr && option->setChoice != nullptr) {
      // A choice of two as one check box: checked is the second word.
      QCOMPARE(box->text(), caption);
      for (const Qt::CheckState state : {Qt::Checked, Qt::Unchecked, Qt::Checked}) {
        box->setEnabled(true);
        box->setCheckState(state);
        QCOMPARE(option->choiceOf(window->readSettings()),
                 option->choices[state == Qt::Checked ? 1 : 0].value);
      }
      return;
    }
    if (option->setChoice != nullptr) {
      // The choice's group shows its caption; each word's option button sets its value.
      auto* group = window->findChild<QRadioButton*>(control + QStringLiteral("(0)"))->parentWidget();
      QCOMPARE(group->property("title").toString(), caption);
      for (const zelvato::OptionChoice& c : option->choices) {
        if (!c.refusal.empty()) continue;
        auto* button = window->findChild<QRadioButton*>(QStringLiteral("%1(%2)").arg(control).arg(c.value));
        QVERIFY(button != nullptr);
        button->setEnabled(true);
        button->click();
        QCOMPARE(option->choiceOf(window->readSettings()), c.value);
      }
      return;
    }
    auto* box = window->findChild<QCheckBox*>(control);
    QVERIFY(box != nullptr);
    QCOMPARE(box->text(), caption);
    for (const Qt::CheckState state : {Qt::Checked, Qt::Unchecked, Qt::Checked}) {
      box->setEnabled(true);
      box->setCheckState(state);
      QCOMPARE(window->readSettings().*option->onOff, state == Qt::Checked);
    }
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

  // The typesetting page's check boxes are the option table's: one column in
  // the table's order, on the page, none hiding another.
  void typesettingCheckBoxesStandInOneColumnInTheTablesOrder() {
    window->show();
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

  void outputModeEnablesOnlyItsFields_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("visible");
    const char* fileControls[] = {"txtOutput(0)", "cmdFileSelect"};
    const char* pageControls[] = {"txtOutput(1)", "cmdFolderSelect", "txtOutput(2)",  "chkOutput(0)",
                                  "chkOutput(1)", "txtPageColum",    "updnColumnPage"};
    const char* bookControls[] = {"txtOutput(5)", "cmdEpubSelect"};
    // The book is always UTF-8 real text: the encoding and the grid's reading text do not apply.
    const char* htmlOnlyControls[] = {"optEncoding(0)", "optEncoding(1)", "chkAccessibleText"};
    for (int mode : {0, 1, 2, 3}) {
      // The book's file field and chooser stand in the place of the HTML file's.
      for (const char* c : fileControls)
        QTest::addRow("mode %d %s", mode, c) << mode << QString::fromLatin1(c) << (mode == 1) << (mode != 3);
      for (const char* c : bookControls)
        QTest::addRow("mode %d %s", mode, c) << mode << QString::fromLatin1(c) << (mode == 3) << (mode == 3);
      for (const char* c : pageControls)
        QTest::addRow("mode %d %s", mode, c) << mode << QString::fromLatin1(c) << (mode == 2) << true;
      for (const char* c : htmlOnlyControls)
        QTest::addRow("mode %d %s", mode, c) << mode << QString::fromLatin1(c) << (mode != 3) << true;
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
    optOutput(*window, (mode + 1) % 4)->click();
    txtOutput(*window, 2)->setText(QStringLiteral("kept"));
    txtOutput(*window, 5)->setText(QStringLiteral("kept.epub"));
    optOutput(*window, mode)->click();
    auto* w = window->findChild<QWidget*>(control);
    QCOMPARE(w->isEnabled(), enabled);
    QCOMPARE(w->isVisibleTo(w->parentWidget()), visible);
    QCOMPARE(txtOutput(*window, 2)->text(), QStringLiteral("kept"));
    QCOMPARE(txtOutput(*window, 5)->text(), QStringLiteral("kept.epub"));
    const std::string_view expected[] = {writerKeys::showOnly, writerKeys::singleFile, writerKeys::pageFiles,
                                         writerKeys::epub};
    QCOMPARE(window->readSettings().outputMode, expected[mode]);
    QCOMPARE(optOutput(*window, 3)->text(), QStringLiteral("EPUB (電子書籍)"));
  }

  void encodingAndReadingTextAreReadInEveryOutputMode() {
    for (int mode : {0, 1, 2}) {
      optOutput(*window, mode)->click();
      optEncoding(*window, 1)->click();
      window->chkAccessibleText()->click();
      QVERIFY(optEncoding(*window, 1)->isEnabled() && window->chkAccessibleText()->isEnabled());
      zelvato::ConversionSettings s = window->readSettings();
      QCOMPARE(s.outputEncoding, zelvato::OutputEncoding::utf8);
      QVERIFY(s.accessibleText);
      optEncoding(*window, 0)->click();
      window->chkAccessibleText()->click();
      s = window->readSettings();
      QCOMPARE(s.outputEncoding, zelvato::OutputEncoding::shiftJis);
      QVERIFY(!s.accessibleText);
    }
  }

  void styleSheetOffFollowsTheFontSize_data() {
    QTest::addColumn<QString>("fontSize");
    QTest::addColumn<QString>("charSpacing");
    QTest::newRow("size 9") << "9"
                            << "9";
    QTest::newRow("size 12") << "12"
                             << "12";
  }
  void styleSheetOffFollowsTheFontSize() {
    QFETCH(QString, fontSize);
    QFETCH(QString, charSpacing);
    txtFont(*window, 1)->setText(fontSize);
    txtAppearance(*window, 1)->setText(QStringLiteral("5"));
    txtAppearance(*window, 3)->setText(QStringLiteral("4"));
    window->chkCSS()->click();
    QCOMPARE(txtAppearance(*window, 1)->text(), charSpacing);
    QCOMPARE(txtAppearance(*window, 3)->text(), QStringLiteral("0"));
    for (int i : {1, 3}) {
      QVERIFY(!txtAppearance(*window, i)->isEnabled());
      QVERIFY(!updnAppearance(*window, i)->isEnabled());
    }
    QVERIFY(!window->readSettings().useStyleSheet);
    window->chkCSS()->click();
    for (int i : {1, 3}) {
      QVERIFY(txtAppearance(*window, i)->isEnabled());
      QVERIFY(updnAppearance(*window, i)->isEnabled());
    }
    QCOMPARE(txtAppearance(*window, 1)->text(), charSpacing);
    QVERIFY(window->readSettings().useStyleSheet);
  }

  void fontSizeSetsTheSpacings_data() {
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("sizeAfter");
    QTest::addColumn<QString>("charSpacing");
    QTest::newRow("10.5 rounds to even 10") << "10.5"
                                            << "10.5"
                                            << "10";
    QTest::newRow("11.5 rounds to even 12") << "11.5"
                                            << "11.5"
                                            << "12";
    QTest::newRow("empty becomes 6") << ""
                                     << "6"
                                     << "6";
    QTest::newRow("above the spinner range is clamped") << "48"
                                                        << "48"
                                                        << "30";
  }
  void fontSizeSetsTheSpacings() {
    QFETCH(QString, size);
    QFETCH(QString, sizeAfter);
    QFETCH(QString, charSpacing);
    txtAppearance(*window, 3)->setText(QStringLiteral("3"));
    txtFont(*window, 1)->setText(size);
    QCOMPARE(txtFont(*window, 1)->text(), sizeAfter);
    QCOMPARE(txtAppearance(*window, 1)->text(), charSpacing);
    QCOMPARE(txtAppearance(*window, 3)->text(), QStringLiteral("0"));
  }

  void pageSizeFollowsTheLayout_data() {
    QTest::addColumn<QString>("font");
    QTest::addColumn<QString>("chars");
    QTest::addColumn<QString>("charSpacing");
    QTest::addColumn<QString>("lines");
    QTest::addColumn<QString>("lineSpacing");
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("height");
    QTest::newRow("start values") << "9"
                                  << "25"
                                  << "9"
                                  << "20"
                                  << "0"
                                  << "127"
                                  << "158";
    QTest::newRow("font 10.5, 30 chars, spacing -2, 15 lines, 3") << "10.5"
                                                                  << "30"
                                                                  << "-2"
                                                                  << "15"
                                                                  << "3"
                                                                  << "127"
                                                                  << "90";
    QTest::newRow("12 followed by letters counts as 12") << "9"
                                                         << "25"
                                                         << "9"
                                                         << "12abc"
                                                         << "0"
                                                         << "76"
                                                         << "158";
    QTest::newRow("huge values still show a number")
        << "9"
        << "25"
        << "9"
        << "1E300"
        << "0" << QString::number(9 * 0.3514 * 2e300, 'f', 0) << "158";
  }
  void pageSizeFollowsTheLayout() {
    QFETCH(QString, font);
    QFETCH(QString, chars);
    QFETCH(QString, charSpacing);
    QFETCH(QString, lines);
    QFETCH(QString, lineSpacing);
    QFETCH(QString, width);
    QFETCH(QString, height);
    txtFont(*window, 1)->setText(font);
    txtAppearance(*window, 0)->setText(chars);
    txtAppearance(*window, 1)->setText(charSpacing);
    txtAppearance(*window, 2)->setText(lines);
    txtAppearance(*window, 3)->setText(lineSpacing);
    QCOMPARE(window->txtWidth()->text(), width);
    QCOMPARE(window->txtHeight()->text(), height);
  }

  void emptyLayoutFieldLeavesThePageSize_data() {
    QTest::addColumn<int>("index");
    for (int i : {0, 1, 2, 3}) QTest::addRow("txtAppearance(%d)", i) << i;
  }
  void emptyLayoutFieldLeavesThePageSize() {
    QFETCH(int, index);
    txtAppearance(*window, index)->clear();
    QCOMPARE(window->txtWidth()->text(), QStringLiteral("127"));
    QCOMPARE(window->txtHeight()->text(), QStringLiteral("158"));
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
    QTest::newRow("7") << "7"
                       << "7";
  }
  void columnBlocksBelowOneBecomeOne() {
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    optOutput(*window, 2)->click();
    // The value is entered as a whole, as by pasting over the selection.
    window->txtPageColum()->selectAll();
    window->txtPageColum()->insert(typed);
    QCOMPARE(window->txtPageColum()->text(), shown);
    QCOMPARE(fromU16(window->readSettings().columnsPerPage), shown);
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
    QLineEdit* box = window->txtPageColum();
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

  void characterCountGroupsThousands_data() {
    QTest::addColumn<qint64>("length");
    QTest::addColumn<QString>("label");
    QTest::newRow("999") << qint64(999) << "( 999 字)";
    QTest::newRow("1000") << qint64(1000) << "( 1,000 字)";
    QTest::newRow("1234567") << qint64(1234567) << "( 1,234,567 字)";
    QTest::newRow("empty") << qint64(0) << "縦書きにする文章を入力し、変換ﾎﾞﾀﾝをクリックします";
  }
  void characterCountGroupsThousands() {
    QFETCH(qint64, length);
    QFETCH(QString, label);
    QCOMPARE(frmMain::characterCountText(length), label);
    if (length <= 100000) {
      window->txtMain()->setPlainText(QString(length, QChar(u'あ')));
      QCOMPARE(lblHcov(*window, 20)->text(), label);
    }
  }

  void characterCountCountsLineBreaksAsTwo() {
    window->txtMain()->setPlainText(QStringLiteral("ab\ncd"));
    QCOMPARE(lblHcov(*window, 20)->text(), QStringLiteral("( 6 字)"));
    QCOMPARE(window->sourceText(), QStringLiteral("ab\r\ncd"));
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
    QCOMPARE(lblHcov(*window, 20)->text(), frmMain::characterCountText(after));
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
    QTest::keyClick(control, Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), window->SSTabMain()->tabBar());
    QCOMPARE(window->SSTabMain()->currentIndex(), page);
  }

  void tabFromTheStripWalksTheLayoutPage() {
    showActive(window.get());
    window->showTab(zelvato::ui::Tab::layout);
    window->SSTabMain()->tabBar()->setFocus(Qt::OtherFocusReason);
    const QStringList expected{"cmdFontChange",    "chkCSS",           "txtAppearance(0)", "txtAppearance(2)",
                               "txtAppearance(1)", "txtAppearance(3)", "txtAppearance(4)", "txtAppearance(5)",
                               "chkOpt(0)",        "chkOpt(2)",        "chkOpt(3)",        "chkOpt(5)",
                               "SSTabMain"};
    for (const QString& name : expected) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QWidget* target = name == QLatin1String("SSTabMain") ? window->SSTabMain()->tabBar()
                                                           : window->findChild<QWidget*>(name);
      QTRY_COMPARE(QApplication::focusWidget(), target);
    }
  }

  void tabWalksTheOutputPageOfAMode_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("page files") << 2 << QStringList{"cmdFolderSelect",   "txtOutput(2)",   "chkOutput(0)",
                                                    "chkOutput(1)",      "updnColumnPage", "optEncoding(0)",
                                                    "chkAccessibleText", "txtOutput(3)",   "txtOutput(4)",
                                                    "SSTabMain"};
    // The book's chooser, then past the encoding and the reading text, which do not apply to it.
    QTest::newRow("book") << 3 << QStringList{"cmdEpubSelect", "txtOutput(3)", "txtOutput(4)", "SSTabMain"};
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
    QCOMPARE(window->SSTabMain()->count(), 6);  // the five pages and the typesetting page
  }

  void panesGrowWithTheWindow_data() {
    QTest::addColumn<QString>("pane");
    QTest::addColumn<bool>("grows");
    QTest::newRow("source pane") << "txtMain" << true;
    QTest::newRow("preview") << "brwIE" << true;
    QTest::newRow("HTML pane") << "txtHTML" << true;
    QTest::newRow("a settings field keeps its place and size") << "txtAppearance(0)" << false;
  }
  void panesGrowWithTheWindow() {
    QFETCH(QString, pane);
    QFETCH(bool, grows);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto* control = window->findChild<QWidget*>(pane);
    const QRect before = control->geometry();
    window->resize(1600, 1000);
    QTRY_COMPARE(window->size(), QSize(1600, 1000));
    const QRect after = control->geometry();
    if (grows) {
      // Larger by what the window grew, less nothing: the pane follows both edges.
      QCOMPARE(after.topLeft(), before.topLeft());
      QCOMPARE(after.width() - before.width(), 1600 - 632);
      QCOMPARE(after.height() - before.height(), 1000 - window->minimumHeight());
    } else {
      QCOMPARE(after, before);
    }
    window->resize(window->minimumSize());
    QTRY_COMPARE(control->geometry(), before);
  }

  void fontFieldsSitBelowTheFrameCaptionWithTheUnitCentred() {
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    const auto* frame = window->findChild<QWidget*>(QStringLiteral("fraFont"));
    QLineEdit* size = txtFont(*window, 1);
    for (const QWidget* field : {static_cast<QWidget*>(txtFont(*window, 0)), static_cast<QWidget*>(size),
                                 static_cast<QWidget*>(window->cmdFontChange())}) {
      QVERIFY2(field->y() >= frame->contentsRect().top(), qPrintable(field->objectName()));
    }
    QVERIFY(qAbs(lblHcov(*window, 9)->geometry().center().y() - size->geometry().center().y()) <= 1);
    QCOMPARE(lblHcov(*window, 9)->alignment() & Qt::AlignVertical_Mask, Qt::AlignVCenter);
  }

  // Both output files are chosen with the save dialog, which appends the
  // mode's extension to a name without one.
  void saveDialogAppendsTheExtension_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("filter");
    const QString html = QStringLiteral("HTMLﾌｧｲﾙ (*.html)");
    const QString book = QStringLiteral("EPUBﾌｧｲﾙ (*.epub)");
    QTest::newRow("html name without extension") << 1 << "page"
                                                 << "page.html" << html;
    QTest::newRow("html name with extension") << 1 << "other.html"
                                              << "other.html" << html;
    QTest::newRow("book name without extension") << 3 << "book"
                                                 << "book.epub" << book;
    QTest::newRow("book name with extension") << 3 << "novel.epub"
                                              << "novel.epub" << book;
  }
  void saveDialogAppendsTheExtension() {
    QFETCH(int, mode);
    QFETCH(QString, typed);
    QFETCH(QString, result);
    QFETCH(QString, filter);
    QTemporaryDir dir;
    optOutput(*window, mode)->click();
    QString title;
    QStringList filters;
    whenModalShown<QFileDialog>([&](QFileDialog* dialog) {
      title = dialog->windowTitle();
      filters = dialog->nameFilters();
      dialog->setDirectory(dir.path());
      dialog->selectFile(dir.filePath(typed));
      static_cast<QDialog*>(dialog)->accept();
    });
    const bool book = mode == 3;
    (book ? window->cmdEpubSelect() : window->cmdFileSelect())->click();
    QCOMPARE(title, QStringLiteral("出力先ﾌｧｲﾙの指定"));
    QCOMPARE(filters, QStringList{filter});
    QCOMPARE(txtOutput(*window, book ? 5 : 0)->text(), dir.filePath(result));
    const zelvato::ConversionSettings s = window->readSettings();
    QCOMPARE(fromU16(book ? s.epubFilePath : s.singleFilePath), dir.filePath(result));
    // The other mode's field is left alone.
    QCOMPARE(txtOutput(*window, book ? 0 : 5)->text(), QString());
  }

  void statusTextStaysWhileTheMousePassesOverMenuAndToolbar() {
    showActive(window.get());
    window->setStatusText(QStringLiteral("変換完了しました."));
    QMenuBar* menu = window->menuBar();
    QTest::mouseMove(menu, menu->actionGeometry(window->mnuVersion()).center());
    QWidget* newButton = window->Toolbar1()->widgetForAction(toolbarButton(*window, 1));
    QTest::mouseMove(newButton, newButton->rect().center());
    QTest::mouseMove(window->SSTabMain(), window->SSTabMain()->rect().center());
    QCOMPARE(window->statusText(), QStringLiteral("変換完了しました."));
  }

  void fileDialogStartsWithAnEmptyName() {
    QTemporaryDir dir;
    optOutput(*window, 1)->click();
    whenModalShown<QFileDialog>([&](QFileDialog* dialog) {
      dialog->setDirectory(dir.path());
      dialog->selectFile(dir.filePath(QStringLiteral("out1")));
      static_cast<QDialog*>(dialog)->accept();
    });
    window->cmdFileSelect()->click();
    QCOMPARE(txtOutput(*window, 0)->text(), dir.filePath(QStringLiteral("out1.html")));
    QString nameShown = QStringLiteral("(not shown)");
    whenModalShown<QFileDialog>([&](QFileDialog* dialog) {
      nameShown = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
      dialog->reject();
    });
    window->cmdFileSelect()->click();
    QCOMPARE(nameShown, QString());
  }

  void saveDialogCancelChangesNothing() {
    txtOutput(*window, 0)->setText(QStringLiteral("/old/file.html"));
    txtOutput(*window, 5)->setText(QStringLiteral("/old/book.epub"));
    whenModalShown<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    window->cmdFileSelect_Click();
    whenModalShown<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    window->cmdEpubSelect_Click();
    QCOMPARE(txtOutput(*window, 0)->text(), QStringLiteral("/old/file.html"));
    QCOMPARE(txtOutput(*window, 5)->text(), QStringLiteral("/old/book.epub"));
  }

  void folderChooserEndsThePathWithASeparator_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("result");
    QTest::newRow("root stays") << "/"
                                << "/";
    QTest::newRow("tmp gets a separator") << "/tmp"
                                          << "/tmp/";
    QTest::newRow("home gets a separator") << QDir::homePath() << QDir::homePath() + "/";
  }
  void folderChooserEndsThePathWithASeparator() {
    QFETCH(QString, folder);
    QFETCH(QString, result);
    frmDirSelect chooser(window.get());
    QCOMPARE(chooser.windowTitle(), QStringLiteral("出力先ﾃﾞｨﾚｸﾄﾘの指定"));
    QCOMPARE(chooser.currentFolder(), QDir::currentPath());
    chooser.setCurrentFolder(folder);
    QCOMPARE(chooser.currentFolder(), folder);
    chooser.cmdOK_Click();
    QCOMPARE(chooser.tag(), result);
    QVERIFY(chooser.closeAllowed());
  }

  void folderChooserFillsTheOutputFolder_data() {
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("result");
    QTest::newRow("OK") << true << "/tmp/";
    QTest::newRow("cancel keeps the old text") << false << "/old/";
  }
  void folderChooserFillsTheOutputFolder() {
    QFETCH(bool, ok);
    QFETCH(QString, result);
    optOutput(*window, 2)->click();
    txtOutput(*window, 1)->setText(QStringLiteral("/old/"));
    whenModalShown<frmDirSelect>([ok](frmDirSelect* chooser) {
      chooser->setCurrentFolder(QStringLiteral("/tmp"));
      QTest::mouseClick(ok ? chooser->cmdOK() : chooser->cmdCancel(), Qt::LeftButton);
    });
    window->cmdFolderSelect()->click();
    QCOMPARE(txtOutput(*window, 1)->text(), result);
    QCOMPARE(fromU16(window->readSettings().outputFolder), result);
  }

  void folderChooserRefusesToCloseUntilAButtonIsPressed() {
    frmDirSelect chooser(window.get());
    chooser.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chooser));
    QVERIFY(!chooser.close());
    QTest::keyClick(&chooser, Qt::Key_Escape);
    QVERIFY(chooser.isVisible());
    chooser.cmdCancel_Click();
    QVERIFY(!chooser.isVisible());
    QVERIFY(chooser.tag().isEmpty());
  }

  void choosingADriveOpensItsFolder_data() {
    QTest::addColumn<QString>("drive");
    QTest::addColumn<QString>("opened");
    const QString cwd = QDir::currentPath();
    const QString home = QDir::homePath();
    if (!cwd.startsWith(home + u'/') && cwd != home) QTest::newRow("home opens at its top") << home << home;
    QTest::newRow("the drive of the current folder opens there") << "/" << cwd;
  }
  void choosingADriveOpensItsFolder() {
    QFETCH(QString, drive);
    QFETCH(QString, opened);
    frmDirSelect chooser(window.get());
    chooser.setCurrentFolder(QStringLiteral("/tmp"));
    const int index = chooser.Drive()->findText(drive);
    QVERIFY(index >= 0);
    chooser.Drive()->setCurrentIndex(index);
    chooser.Drive_Change();
    QCOMPARE(chooser.currentFolder(), opened);
  }

  void folderChooserOffersTheVolumesAndHome() {
    const QStringList drives = frmDirSelect::driveList();
    QVERIFY(drives.contains(QStringLiteral("/")));
    QVERIFY(drives.contains(QDir::homePath()));
    QVERIFY(!drives.contains(QStringLiteral("/proc")));
  }

  void fontChooserOffersFixedPitchFamiliesOnly_data() {
    QTest::addColumn<QString>("family");
    QTest::addColumn<bool>("offered");
    QTest::newRow("Japanese fixed-pitch Gothic") << "IPAGothic" << true;
    QTest::newRow("Japanese fixed-pitch Mincho") << "IPAMincho" << true;
    QTest::newRow("Latin monospace") << "DejaVu Sans Mono" << true;
    QTest::newRow("Japanese proportional") << "IPAPGothic" << false;
    QTest::newRow("Latin proportional") << "DejaVu Sans" << false;
  }
  void fontChooserOffersFixedPitchFamiliesOnly() {
    QFETCH(QString, family);
    QFETCH(bool, offered);
    if (!QFontDatabase::families().contains(family)) QSKIP("font not installed");
    QCOMPARE(FontChooser::fixedPitchFamilies().contains(family), offered);
  }

  void fontChooserWritesNameAndShortestSize_data() {
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
  void fontChooserWritesNameAndShortestSize() {
    QFETCH(QString, size);
    QFETCH(QString, sizeText);
    QFETCH(QString, charSpacing);
    QString title;
    whenModalShown<FontChooser>([&](FontChooser* dialog) {
      title = dialog->windowTitle();
      QFont font(QStringLiteral("IPAGothic"));
      font.setUnderline(true);
      dialog->setCurrentFont(font);
      dialog->sizeBox()->setCurrentText(size);
      dialog->setCurrentColor(Qt::red);
      dialog->accept();
    });
    window->cmdFontChange()->click();
    QCOMPARE(title, QStringLiteral("変換後ﾌｫﾝﾄの選択"));
    QCOMPARE(txtFont(*window, 0)->text(), QStringLiteral("IPAGothic"));
    QCOMPARE(txtFont(*window, 1)->text(), sizeText);
    QCOMPARE(txtAppearance(*window, 1)->text(), charSpacing);
    QCOMPARE(txtAppearance(*window, 3)->text(), QStringLiteral("0"));
    QVERIFY(window->txtSampleFont()->font().underline());
    QCOMPARE(window->txtSampleFont()->palette().color(QPalette::Text), QColor(Qt::red));
    QCOMPARE(fromU16(window->readSettings().fontFace), QStringLiteral("IPAGothic"));
    QCOMPARE(fromU16(window->readSettings().fontSizePt), sizeText);
  }

  void fontChooserKeepsAFaceThatIsNotInstalled() {
    if (QFontDatabase::families().contains(QStringLiteral("ＭＳ ゴシック"))) QSKIP("the face is installed");
    QString initialFamily;
    whenModalShown<FontChooser>([&](FontChooser* dialog) {
      initialFamily = dialog->currentFont().family();
      dialog->sizeBox()->setCurrentText(QStringLiteral("12"));
      dialog->accept();
    });
    window->cmdFontChange()->click();
    QCOMPARE(initialFamily, QStringLiteral("ＭＳ ゴシック"));
    QCOMPARE(txtFont(*window, 0)->text(), QStringLiteral("ＭＳ ゴシック"));
    QCOMPARE(txtFont(*window, 1)->text(), QStringLiteral("12"));
  }

  void fontChooserCaptionsTakeTheKeyboardToTheirFields() {
    FontChooser* dialog = window->FontDialog();
    int captions = 0;
    for (const QLabel* label : dialog->findChildren<QLabel*>()) {
      if (!label->text().contains(u'&')) continue;
      ++captions;
      QVERIFY2(label->buddy() != nullptr, qPrintable(label->text()));
    }
    QCOMPARE(captions, 4);
    showActive(dialog);
    QTest::keyClick(dialog, Qt::Key_S, Qt::AltModifier);
    QVERIFY(dialog->sizeBox()->hasFocus());
    dialog->hide();
  }

  void fontChooserCancelChangesNothing() {
    txtAppearance(*window, 1)->setText(QStringLiteral("4"));
    whenModalShown<FontChooser>([](FontChooser* dialog) { dialog->reject(); });
    window->cmdFontChange_Click();
    QCOMPARE(txtFont(*window, 0)->text(), QStringLiteral("ＭＳ ゴシック"));
    QCOMPARE(txtFont(*window, 1)->text(), QStringLiteral("9"));
    QCOMPARE(txtAppearance(*window, 1)->text(), QStringLiteral("4"));
  }

  void versionMessageNamesTheRelease() {
    window->mnuVersion()->trigger();
    QCOMPARE(shown.count, 1);
    QCOMPARE(shown.icon, MessageIcon::none);
    QCOMPARE(shown.buttons, MessageButtons::ok);
    const QStringList lines = shown.text.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[0], QStringLiteral("HTML 縦書き変換 (Zelvato) Ver1.2.0"));
    QCOMPARE(lines[1], QString());
    QVERIFY(lines[2].startsWith(QStringLiteral("Copyright")));
    QCOMPARE(lines[3], QStringLiteral("For TOVRIX 2000 Windows edition"));
  }

  void realMessageBoxIsTitledZelvato() {
    zelvato::ui::setMessageBoxHandler({});
    QString title;
    whenModalShown<QMessageBox>([&](QMessageBox* box) {
      title = box->windowTitle();
      box->button(QMessageBox::No)->click();
    });
    const MessageAnswer answer = zelvato::ui::askYesNoCancel(
        window.get(), QStringLiteral("すぐに変換しますか？"), MessageIcon::question);
    QCOMPARE(title, QStringLiteral("Zelvato"));
    QCOMPARE(answer, MessageAnswer::no);
  }

  void previewNavigatesAndReloadsQuietly() {
    QTRY_COMPARE(window->brwIE()->url(), QUrl(QStringLiteral("about:blank")));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("zelvato_temp.html"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<HTML><BODY>\x82\xa0</BODY></HTML>");  // "あ" in code page 932
    file.close();
    window->toolbarReload()->actions().first()->trigger();  // blank page: nothing happens
    QCOMPARE(shown.count, 0);
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

  void toolbarButtonsReportTheirIndex_data() {
    QTest::addColumn<int>("index");
    for (int i : {1, 2, 3, 5, 7}) QTest::addRow("button %d", i) << i;
  }
  void toolbarButtonsReportTheirIndex() {
    QFETCH(int, index);
    std::vector<Command> commands;
    connect(window.get(), &frmMain::commandTriggered, this, [&](Command c) { commands.push_back(c); });
    window->commandButton(static_cast<Command>(index))->trigger();
    QCOMPARE(commands, std::vector<Command>{static_cast<Command>(index)});
  }
};

QTEST_MAIN(FrmMainTest)
#include "frm_main_test.moc"
