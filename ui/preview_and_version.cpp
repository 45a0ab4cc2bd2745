// The preview pane and the version message.
#include <QDir>
#include <QUrl>
#include <QWebEngineView>

#include "frm_main.h"
#include "message_box.h"
#include "program_identity.h"

namespace zelvato::ui {

void frmMain::navigate(const QString& location) {
  QUrl url;
  if (location.isEmpty() || location == QLatin1String("about:")) {
    url = QUrl(QStringLiteral("about:blank"));
  } else if (QDir::isAbsolutePath(location)) {
    url = QUrl::fromLocalFile(location);
  } else {
    url = QUrl::fromUserInput(location, QDir::currentPath());
  }
  // Returns at once; the page loads in the background and nobody waits for it.
  // Until it has loaded the pane stays empty, rather than show the page before.
  brwIE_->hide();
  brwIE_->load(url);
}

void frmMain::refresh() {
  brwIE_->reload();
}

void frmMain::toolbarReload_ButtonClick() {
  refresh();
}

void frmMain::mnuVersion_Click() {
  raise();
  activateWindow();
  showMessage(this, versionMessageText(), MessageIcon::none);
}

}  // namespace zelvato::ui
