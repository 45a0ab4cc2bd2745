// The real dialogs the program asks in: what each returns, the extension the
// file dialog gives, the message box's title, icon and buttons, the folder
// chooser, the fixed-pitch font chooser and the PDF print preview. Each real dialog is answered by a
// watch armed before it opens, with a bounded wait.
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPdfDocument>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <memory>

#include "dialog_provider.h"
#include "dialog_watch.h"
#include "font_chooser.h"
#include "frm_dir_select.h"
#include "pdf_print_preview.h"
#include "program_identity.h"
#include "run/conversion.h"
#include "run/null_host.h"
#include "write/registry/writer_registry.h"

using zelvato::testing::DialogWatch;
using namespace zelvato::ui;

Q_DECLARE_METATYPE(zelvato::ui::MessageButtons)
Q_DECLARE_METATYPE(zelvato::ui::MessageIcon)
Q_DECLARE_METATYPE(zelvato::ui::MessageAnswer)

namespace {

// Shows the window and gives it the keyboard, also where no window manager runs.
void showActive(QWidget* w) {
  w->show();
  QVERIFY(QTest::qWaitForWindowExposed(w));
  w->activateWindow();
  w->raise();
  QVERIFY(QTest::qWaitForWindowActive(w));
}

}  // namespace

class DialogsTest : public QObject {
  Q_OBJECT

 public:
  static void initMain() { prepareApplication(); }

 private:
  QtDialogs dialogs;

 private Q_SLOTS:
  // The standard buttons speak Japanese, as in the program.
  void initTestCase() { QVERIFY(installJapaneseTranslations()); }

  // One file dialog after the other in one program, as a user chooses file
  // after file: each starts without a name, offers its filters and gives its
  // extension to a name typed without one.
  void fileDialogsGiveTheExtensionToANameWithoutOne_data() {
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("result");
    QTest::newRow("html name without extension") << true << "page"
                                                 << "html"
                                                 << "page.html";
    QTest::newRow("html name with extension") << true << "other.html"
                                              << "html"
                                              << "other.html";
    QTest::newRow("book name without extension") << true << "book"
                                                 << "epub"
                                                 << "book.epub";
    QTest::newRow("book name with extension") << true << "novel.epub"
                                              << "epub"
                                              << "novel.epub";
    QTest::newRow("a text to open, typed without extension") << false << "story"
                                                             << "txt"
                                                             << "story.txt";
  }
  void fileDialogsGiveTheExtensionToANameWithoutOne() {
    QFETCH(bool, save);
    QFETCH(QString, typed);
    QFETCH(QString, suffix);
    QFETCH(QString, result);
    QTemporaryDir dir;
    QFile(dir.filePath(result)).open(QIODevice::WriteOnly);
    FileRequest request;
    request.title = QStringLiteral("出力先ﾌｧｲﾙの指定");
    request.filters = {QStringLiteral("ﾌｧｲﾙ (*.%1)").arg(suffix), QStringLiteral("全てのﾌｧｲﾙ (*)")};
    request.defaultSuffix = suffix;
    QString title;
    QStringList filters;
    QString nameAtStart = QStringLiteral("(not shown)");
    DialogWatch<QFileDialog> watch([&](QFileDialog* dialog) {
      title = dialog->windowTitle();
      filters = dialog->nameFilters();
      auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      nameAtStart = name->text();
      // The name is typed into the field as a user would.
      dialog->setDirectory(dir.path());
      name->setText(typed);
      static_cast<QDialog*>(dialog)->accept();
    });
    const std::optional<FileAnswer> answer =
        save ? dialogs.saveFile(nullptr, request) : dialogs.openFile(nullptr, request);
    QVERIFY(watch.answered());
    QCOMPARE(title, request.title);
    QCOMPARE(filters, request.filters);
    QCOMPARE(nameAtStart, QString());
    QVERIFY(answer.has_value());
    QCOMPARE(answer->path, dir.filePath(result));
    QCOMPARE(answer->filter, request.filters.first());
  }

  void aSaveDialogProposesTheFileItWasGiven() {
    QTemporaryDir dir;
    FileRequest request;
    request.title = QStringLiteral("変換元文章の保存");
    request.filters = {QStringLiteral("ﾃｷｽﾄﾌｧｲﾙ Shift_JIS (*.txt)"),
                       QStringLiteral("ﾃｷｽﾄﾌｧｲﾙ UTF-8 (*.txt)")};
    request.selectedFilter = request.filters[1];
    request.startPath = dir.filePath(QStringLiteral("story.txt"));
    QString name;
    QString filter;
    DialogWatch<QFileDialog> watch([&](QFileDialog* dialog) {
      name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
      filter = dialog->selectedNameFilter();
      static_cast<QDialog*>(dialog)->accept();
    });
    const std::optional<FileAnswer> answer = dialogs.saveFile(nullptr, request);
    QVERIFY(watch.answered());
    QCOMPARE(name, QStringLiteral("story.txt"));
    QCOMPARE(filter, request.filters[1]);
    QVERIFY(answer && answer->path == request.startPath && answer->filter == request.filters[1]);
  }

  void cancelGivesNothing_data() {
    QTest::addColumn<QString>("question");
    for (const char* q : {"open", "save", "folder", "font", "text", "choice"})
      QTest::newRow(q) << QString::fromLatin1(q);
  }
  void cancelGivesNothing() {
    QFETCH(QString, question);
    DialogWatch<QDialog> watch([](QDialog* dialog) {
      // The folder chooser ends only by its buttons.
      if (auto* chooser = qobject_cast<frmDirSelect*>(dialog)) {
        chooser->cmdCancel()->click();
      } else {
        dialog->reject();
      }
    });
    bool answered = true;
    if (question == QLatin1String("open")) answered = dialogs.openFile(nullptr, {}).has_value();
    if (question == QLatin1String("save")) answered = dialogs.saveFile(nullptr, {}).has_value();
    if (question == QLatin1String("folder")) answered = dialogs.chooseFolder(nullptr, {}).has_value();
    if (question == QLatin1String("font")) answered = dialogs.chooseFont(nullptr, {}).has_value();
    if (question == QLatin1String("text")) answered = dialogs.askText(nullptr, {}, {}).has_value();
    if (question == QLatin1String("choice"))
      answered = dialogs.chooseItem(nullptr, {}, {QStringLiteral("/a.txt")}, 0).has_value();
    QVERIFY(watch.answered());
    QVERIFY(!answered);
  }

  void messageBoxCarriesTitleIconAndButtons_data() {
    QTest::addColumn<MessageIcon>("icon");
    QTest::addColumn<MessageButtons>("buttons");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<int>("pressed");
    QTest::addColumn<MessageAnswer>("answer");
    QTest::addColumn<int>("qtIcon");
    QTest::newRow("OK with the stop icon") << MessageIcon::stop << MessageButtons::ok << QStringList{"OK"}
                                           << 0 << MessageAnswer::ok << int(QMessageBox::Critical);
    QTest::newRow("a question answered No") << MessageIcon::question << MessageButtons::yesNoCancel
                                            << QStringList{"はい(&Y)", "いいえ(&N)", "キャンセル"} << 1
                                            << MessageAnswer::no << int(QMessageBox::Question);
    QTest::newRow("edited text discarded") << MessageIcon::warning << MessageButtons::saveDiscardCancel
                                           << QStringList{"保存", "破棄", "キャンセル"} << 1
                                           << MessageAnswer::discard << int(QMessageBox::Warning);
    QTest::newRow("the version, without icon") << MessageIcon::none << MessageButtons::ok << QStringList{"OK"}
                                               << 0 << MessageAnswer::ok << int(QMessageBox::NoIcon);
  }
  void messageBoxCarriesTitleIconAndButtons() {
    QFETCH(MessageIcon, icon);
    QFETCH(MessageButtons, buttons);
    QFETCH(QStringList, captions);
    QFETCH(int, pressed);
    QFETCH(MessageAnswer, answer);
    QFETCH(int, qtIcon);
    QString title;
    QString text;
    int shownIcon = -1;
    QStringList shownCaptions;
    DialogWatch<QMessageBox> watch([&](QMessageBox* box) {
      title = box->windowTitle();
      text = box->text();
      shownIcon = box->icon();
      // The buttons in the order the box shows them.
      QList<QAbstractButton*> row = box->findChild<QDialogButtonBox*>()->buttons();
      std::sort(row.begin(), row.end(),
                [](QAbstractButton* a, QAbstractButton* b) { return a->x() < b->x(); });
      for (QAbstractButton* b : row) shownCaptions << b->text();
      for (QAbstractButton* b : row)
        if (b->text() == captions.at(pressed)) b->click();
    });
    const MessageAnswer given =
        dialogs.message(nullptr, QStringLiteral("すぐに変換しますか？"), icon, buttons);
    QVERIFY(watch.answered());
    QCOMPARE(title, QStringLiteral("Zelvato"));
    QCOMPARE(text, QStringLiteral("すぐに変換しますか？"));
    QCOMPARE(shownIcon, qtIcon);
    shownCaptions.sort();
    captions.sort();
    QCOMPARE(shownCaptions, captions);
    QCOMPARE(given, answer);
  }

  void folderChooserGivesTheFolderWithASeparator() {
    DialogWatch<frmDirSelect> watch([](frmDirSelect* chooser) {
      chooser->setCurrentFolder(QStringLiteral("/tmp"));
      QTest::mouseClick(chooser->cmdOK(), Qt::LeftButton);
    });
    const std::optional<QString> folder =
        dialogs.chooseFolder(nullptr, {QStringLiteral("出力先ﾃﾞｨﾚｸﾄﾘの指定"), {}});
    QVERIFY(watch.answered());
    QCOMPARE(folder.value_or(QString()), QStringLiteral("/tmp/"));
  }

  void fontChooserGivesTheFontAndColourChosen() {
    QString title;
    DialogWatch<FontChooser> watch([&](FontChooser* dialog) {
      title = dialog->windowTitle();
      dialog->sizeBox()->setCurrentText(QStringLiteral("10.5"));
      dialog->setCurrentColor(Qt::red);
      dialog->accept();
    });
    const std::optional<FontAnswer> chosen = dialogs.chooseFont(
        nullptr, {QStringLiteral("変換後ﾌｫﾝﾄの選択"), QFont(QStringLiteral("IPAGothic"), 9), Qt::black});
    QVERIFY(watch.answered());
    QCOMPARE(title, QStringLiteral("変換後ﾌｫﾝﾄの選択"));
    QVERIFY(chosen.has_value());
    QCOMPARE(chosen->font.pointSizeF(), 10.5);
    QCOMPARE(chosen->color, QColor(Qt::red));
  }

  void askTextGivesTheLineTyped() {
    DialogWatch<QInputDialog> watch([](QInputDialog* dialog) {
      dialog->setTextValue(QStringLiteral("私の設定"));
      dialog->accept();
    });
    const std::optional<QString> name =
        dialogs.askText(nullptr, QStringLiteral("設定の保存"), QStringLiteral("ﾌﾟﾘｾｯﾄの名前:"));
    QVERIFY(watch.answered());
    QCOMPARE(name.value_or(QString()), QStringLiteral("私の設定"));
  }

  // The list is shown whole, the proposed item chosen at first; the index of
  // the item accepted comes back.
  void chooseItemGivesTheIndexChosen() {
    const QStringList files{QStringLiteral("/texts/一.txt"), QStringLiteral("/texts/二.txt"),
                            QStringLiteral("/texts/三.txt")};
    QString proposed;
    QString label;
    QString title;
    DialogWatch<QInputDialog> watch([&](QInputDialog* dialog) {
      proposed = dialog->textValue();
      label = dialog->labelText();
      title = dialog->windowTitle();
      QCOMPARE(dialog->comboBoxItems(), files);
      QVERIFY(!dialog->isComboBoxEditable());
      dialog->setTextValue(files[2]);
      dialog->accept();
    });
    const std::optional<int> chosen = dialogs.chooseItem(nullptr, QStringLiteral("開くファイル:"), files, 1);
    QVERIFY(watch.answered());
    QCOMPARE(proposed, files[1]);
    QCOMPARE(label, QStringLiteral("開くファイル:"));
    QCOMPARE(title, QStringLiteral("Zelvato"));
    QCOMPARE(chosen, std::optional<int>(2));
  }

  // The print preview shows the PDF it is given and returns once closed.
  void printPreviewShowsThePdfUntilClosed() {
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("sheets.pdf"));
    zelvato::ConversionSettings settings;
    settings.outputMode = zelvato::writerKeys::manuscriptPdf;
    zelvato::setOutputPath(settings, *zelvato::findWriter(settings.outputMode), pdf.toStdU16String());
    zelvato::NullHost host;
    // 25 x 20 cells a sheet: 501 characters take two.
    QVERIFY(zelvato::convertText(std::u16string(501, u'縦'), settings, std::string(), host));
    int pages = -1;
    DialogWatch<PdfPrintPreview> watch([&](PdfPrintPreview* preview) {
      pages = preview->document()->pageCount();
      preview->findChild<QPushButton*>(QStringLiteral("cmdClose"))->click();
    });
    dialogs.previewPrint(nullptr, pdf);
    QVERIFY(watch.answered());
    QCOMPARE(pages, 2);
  }

  // A dialog nobody answers is closed after the watch's wait: the test fails
  // instead of hanging.
  void aDialogLeftOpenIsClosedAfterTheWait() {
    DialogWatch<QMessageBox> watch([](QMessageBox*) {}, 300);
    dialogs.inform(nullptr, QStringLiteral("誰も答えない"), MessageIcon::information);
    QVERIFY(!watch.answered());
  }

  void fontChooserKeepsAFaceThatIsNotInstalled() {
    if (QFontDatabase::families().contains(QStringLiteral("ＭＳ ゴシック"))) QSKIP("the face is installed");
    FontChooser dialog(nullptr);
    dialog.setCurrentFont(QFont(QStringLiteral("ＭＳ ゴシック"), 9));
    dialog.sizeBox()->setCurrentText(QStringLiteral("12"));
    QCOMPARE(dialog.selectedFont().family(), QStringLiteral("ＭＳ ゴシック"));
    QCOMPARE(dialog.selectedFont().pointSizeF(), 12.0);
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
    frmDirSelect chooser(nullptr);
    QCOMPARE(chooser.windowTitle(), QStringLiteral("出力先ﾃﾞｨﾚｸﾄﾘの指定"));
    QCOMPARE(chooser.currentFolder(), QDir::currentPath());
    chooser.setCurrentFolder(folder);
    QCOMPARE(chooser.currentFolder(), folder);
    chooser.cmdOK_Click();
    QCOMPARE(chooser.tag(), result);
    QVERIFY(chooser.closeAllowed());
  }

  void folderChooserRefusesToCloseUntilAButtonIsPressed() {
    frmDirSelect chooser(nullptr);
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
    frmDirSelect chooser(nullptr);
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

  void fontChooserCaptionsTakeTheKeyboardToTheirFields() {
    auto owned = std::make_unique<FontChooser>(nullptr);
    FontChooser* dialog = owned.get();
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
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
