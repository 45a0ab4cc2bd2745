// Opens the main window and reports how long it takes until the window is
// shown and until its preview pane has loaded the blank page. With a folder
// argument it also saves screenshots of every page, of the folder chooser, the
// font and file dialogs, a question box and the print preview:
//   ui_show [screenshot-folder]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTabWidget>
#include <QTimer>
#include <QWebEngineView>
#include <cstdio>

#include "commands.h"
#include "font_chooser.h"
#include "frm_dir_select.h"
#include "frm_main.h"
#include "pdf_print_preview.h"
#include "program_identity.h"
#include "run/conversion.h"
#include "run/null_host.h"
#include "write/registry/writer_registry.h"

namespace {

void saveScreenshots(zelvato::ui::frmMain& window, const QString& folder) {
  QDir().mkpath(folder);
  window.setStatusText(QStringLiteral("変換完了しました."));
  for (int i = 0; i < window.SSTabMain()->count(); ++i) {
    window.SSTabMain()->setCurrentIndex(i);
    QApplication::processEvents();
    window.grab().save(QStringLiteral("%1/tab%2.png").arg(folder).arg(i));
  }
  // The output page once more with the book chosen: its own file field and chooser.
  window.chooseOutputMode(zelvato::writerKeys::epub);
  window.showTab(zelvato::ui::Tab::output);
  QApplication::processEvents();
  window.grab().save(folder + QStringLiteral("/tab3_epub.png"));
  window.chooseOutputMode(zelvato::writerKeys::showOnly);
  zelvato::ui::frmDirSelect chooser(&window);
  chooser.show();
  QElapsedTimer wait;
  wait.start();
  while (wait.elapsed() < 700) QApplication::processEvents(QEventLoop::AllEvents, 50);
  chooser.grab().save(folder + QStringLiteral("/frmDirSelect.png"));
  chooser.cmdCancel_Click();

  zelvato::ui::FontChooser fonts(&window);
  fonts.setCurrentFont(window.findChild<QLineEdit*>(QStringLiteral("txtSampleFont"))->font());
  fonts.show();
  QApplication::processEvents();
  fonts.grab().save(folder + QStringLiteral("/FontDialog.png"));
  fonts.hide();

  QFileDialog files(&window);
  files.setOption(QFileDialog::DontUseNativeDialog);
  files.setAcceptMode(QFileDialog::AcceptSave);
  files.setNameFilters({QStringLiteral("HTMLﾌｧｲﾙ (*.html)")});
  files.show();
  wait.restart();
  while (wait.elapsed() < 500) QApplication::processEvents(QEventLoop::AllEvents, 50);
  files.grab().save(folder + QStringLiteral("/FileDialog.png"));
  files.hide();

  QMessageBox question(QMessageBox::Question, zelvato::ui::programTitle, QStringLiteral("HTML保存"),
                       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, &window);
  question.show();
  QApplication::processEvents();
  question.grab().save(folder + QStringLiteral("/MessageBox.png"));

  // The print preview of a two-sheet manuscript, as 印刷… writes it.
  zelvato::ConversionSettings sheets;
  sheets.charsPerLine = u"20";
  sheets.linesPerColumn = u"20";
  sheets.outputMode = zelvato::writerKeys::manuscriptPdf;
  const QString pdf = folder + QStringLiteral("/manuscript.pdf");
  zelvato::setOutputPath(sheets, *zelvato::findWriter(sheets.outputMode), pdf.toStdU16String());
  zelvato::NullHost host;
  zelvato::convertText(u"吾輩は猫である。名前はまだ無い。\r\n" + std::u16string(420, u'猫'), sheets,
                       std::string(), host);
  zelvato::ui::PdfPrintPreview preview(pdf, &window);
  preview.show();
  wait.restart();
  while (wait.elapsed() < 700) QApplication::processEvents(QEventLoop::AllEvents, 50);
  preview.grab().save(folder + QStringLiteral("/PrintPreview.png"));
}

}  // namespace

int main(int argc, char** argv) {
  QElapsedTimer clock;
  clock.start();
  zelvato::ui::prepareApplication();
  QApplication app(argc, argv);
  zelvato::ui::installJapaneseTranslations();
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();

  zelvato::ui::frmMain window;
  zelvato::connectCommands(window);
  window.show();
  const qint64 shown = clock.elapsed();

  bool reported = false;
  QObject::connect(window.brwIE(), &QWebEngineView::loadFinished, &window, [&](bool ok) {
    if (reported) return;
    reported = true;
    std::printf("window shown after %lld ms; blank preview loaded (%s) after %lld ms\n",
                static_cast<long long>(shown), ok ? "ok" : "failed", static_cast<long long>(clock.elapsed()));
    std::fflush(stdout);
    QTimer::singleShot(folder.isEmpty() ? 0 : 500, &window, [&] {
      if (!folder.isEmpty()) saveScreenshots(window, folder);
      app.quit();
    });
  });
  QTimer::singleShot(20000, &app, [&] {
    std::printf("the preview did not load within 20 s\n");
    app.exit(1);
  });
  return app.exec();
}
