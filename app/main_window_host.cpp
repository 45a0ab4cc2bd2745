#include "main_window_host.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QTextCursor>

#include "frm_main.h"
#include "window_conversion_host.h"

namespace zelvato {
namespace {

constexpr int stopButton = 6;

}  // namespace

void appendToHtmlPane(QPlainTextEdit& pane, const QString& markup) {
  QString text = markup;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  QTextCursor end(pane.document());
  end.movePosition(QTextCursor::End);
  end.insertText(text);
}

void bindToMainWindow(WindowConversionHost& host, ui::frmMain& window) {
  host.onStatusText = [&window](const QString& text) { window.setStatusText(text); };
  host.onBlockMarkup = [&window](const QString& blocks, const QString& lastBlock) {
    appendToHtmlPane(*window.txtHTML(), blocks);
    if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(lastBlock);
  };
  QObject::connect(&window, &ui::frmMain::toolbarButtonClicked, &host, [&host](int index) {
    if (index == stopButton) host.requestStop();
  });
}

}  // namespace zelvato
