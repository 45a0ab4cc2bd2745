#include "main_window_host.h"

#include <QClipboard>
#include <QGuiApplication>

#include "frm_main.h"
#include "window_conversion_host.h"

namespace zelvato {

void bindToMainWindow(WindowConversionHost& host, ui::frmMain& window) {
  host.onStatusText = [&window](const QString& text) { window.setStatusText(text); };
  host.onBlockMarkup = [&window](const QString& blocks, const QString& lastBlock) {
    window.appendHtml(blocks);
    if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(lastBlock);
  };
  QObject::connect(&window, &ui::frmMain::commandTriggered, &host, [&host](ui::Command command) {
    if (command == ui::Command::stop) host.requestStop();
  });
}

}  // namespace zelvato
