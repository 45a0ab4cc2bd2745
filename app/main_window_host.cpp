#include "main_window_host.h"

#include "frm_main.h"
#include "window_conversion_host.h"

namespace zelvato {

void bindToMainWindow(WindowConversionHost& host, ui::frmMain& window) {
  // Only a full run shows its progress in the window; the automatic preview works unseen.
  QObject::connect(&host, &WindowConversionHost::statusTextChanged, &window, [&window](const QString& text) {
    if (window.isBusy()) window.setStatusText(text);
  });
  QObject::connect(&host, &WindowConversionHost::blocksFinished, &window, [&window](const QString& blocks) {
    if (window.isBusy()) window.showHtml(blocks);
  });
}

}  // namespace zelvato
